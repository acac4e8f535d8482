// Opening a URL, a file or a folder with the desktop's default handler.
#pragma once

#include <string>

namespace kx {

// Starts the handler for `target` (cp1252) without waiting for it and without
// any output of its own; false when it could not be started.
bool shellOpen(const std::string& target);

}  // namespace kx
