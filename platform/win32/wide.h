// The Windows edge of the program's texts: cp1252 to the wide (UTF-16) texts
// of the W functions and back, whatever the system's ANSI code page.
#pragma once

#include <string>
#include <string_view>

#include "base/encoding.h"

namespace kx::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

inline std::wstring wide(std::string_view cp1252) {
    std::u16string u = toUtf16(cp1252);
    return std::wstring(u.begin(), u.end());
}

// What cp1252 cannot hold becomes '?'.
inline std::string narrow(std::wstring_view text) {
    return fromUtf16Lossy(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace kx::win32
