// The cp1252 <-> UTF-16 tables of the front end.
#include "ui/win32/wide_text.h"

#include "base/encoding.h"

namespace kx::win32 {

namespace {

// Each UTF-16 letter as cp1252, -1 where there is none; a surrogate pair is
// one letter, and cp1252 holds none of those.
template <typename Put>
bool eachLetter(std::wstring_view text, Put put) {
    bool whole = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t u = char32_t(text[i]) & 0xFFFF;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && (char32_t(text[i + 1]) & 0xFC00) == 0xDC00) ++i;
        int c = (u >= 0xD800 && u <= 0xDFFF) ? -1 : unicodeToCp1252(u);
        if (c < 0) whole = false;
        put(c);
    }
    return whole;
}

}  // namespace

std::wstring widen(std::string_view cp1252) {
    std::wstring out;
    out.reserve(cp1252.size());
    for (char c : cp1252) out.push_back(wchar_t(cp1252ToUnicode((unsigned char)c)));
    return out;
}

std::optional<std::string> narrow(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    if (!eachLetter(text, [&](int c) { out.push_back(char(c)); })) return std::nullopt;
    return out;
}

std::string narrowLossy(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    eachLetter(text, [&](int c) { out.push_back(c < 0 ? '?' : char(c)); });
    return out;
}

}  // namespace kx::win32
