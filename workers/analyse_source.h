// The analysis worker: runs MediaInfo on the chosen source, reads its report
// and fills the track table, the frame rate and the three track lists.
#pragma once

#include "workers/context.h"

namespace kx {

// Runs on the analysis worker; the "Ouvrir" handler has prepared
// toolsFolder, homeFolder and mediaInfoArgs and emptied the lists.
void analyseSource(AppContext& context);

}  // namespace kx
