// Opening a URL, a file or a folder with its default program (the desktop's handler for it).
#pragma once

#include <string>

namespace kx {

// Starts the handler for `target` (cp1252) without waiting for it and without
// any output of its own; false when it could not be started.
bool openWithDefaultProgram(const std::string& target);

}  // namespace kx
