// Scripts on POSIX are run by klarbrix-cmd, which reads them as cp1252: the
// text is written as it is.
#include "platform/script_encoding.h"

namespace kx {

std::optional<std::string> toScriptCodePage(std::string_view cp1252) { return std::string(cp1252); }

std::string fromScriptCodePage(std::string_view bytes) { return std::string(bytes); }

bool scriptCodePageCarries(std::string_view) { return true; }

}  // namespace kx
