// Numbers of the resources linked into the Windows programs: read by the
// resource compiler and by the front end.
#pragma once

#define KX_PROGRAM_ICON 1
#define KX_LOGO_ICON 2
