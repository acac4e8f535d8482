// The immediate run: the current file processed at once, from the run plan
// to the verdict and the cleared window.
#pragma once

#include "workers/context.h"

namespace kx {

// Runs on the run worker when "Lancer !" is pressed with a file loaded.
void runImmediate(AppContext& context);

}  // namespace kx
