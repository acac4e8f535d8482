// The batch scripts as the system's command interpreter reads them. Inside
// the program a script is cp1252 text; Windows' cmd.exe reads a batch file in
// the console's (OEM) code page, so the bytes are converted here, at the edge.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kx {

// The bytes to write for a script whose text is `cp1252`, or nothing when a
// letter of it has no place in the interpreter's code page.
std::optional<std::string> toScriptCodePage(std::string_view cp1252);
// A script's bytes read back as cp1252 text ('?' for what cp1252 lacks).
std::string fromScriptCodePage(std::string_view bytes);
// Whether every letter of `cp1252` can be written in a script unchanged.
bool scriptCodePageCarries(std::string_view cp1252);

}  // namespace kx
