// Drawing the program's windows into PNG files (tools/screenshots.sh), so
// that they can be looked at without a Windows desktop.
#pragma once

#include <string>

namespace kx::test {

// Opens the main window (both tabs), the options window, the About window and
// the help window with sample contents and writes main.png, main-queue.png,
// options.png, about.png and help.png into `folder` (a Windows path). 0 when
// every file was written.
int screenshots(const std::string& folder);

}  // namespace kx::test
