// Code page 1252 <-> UTF-16 for the wide Windows calls of the front end,
// done by table so that the result never depends on the system's code pages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kx::win32 {

std::wstring widen(std::string_view cp1252);
// Nothing when the text holds a letter that cp1252 lacks (or a broken pair).
std::optional<std::string> narrow(std::wstring_view text);
// As narrow, with '?' for each letter that cannot be carried.
std::string narrowLossy(std::wstring_view text);

}  // namespace kx::win32
