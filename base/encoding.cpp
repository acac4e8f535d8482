// Runtime conversions between cp1252 and UTF-8 or UTF-16.
#include "base/encoding.h"

namespace kx {

std::string toUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (unsigned char c : cp1252) {
        char32_t u = cp1252ToUnicode(c);
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

namespace {

// Decodes one UTF-16 letter at s[i] (a pair of surrogates is one); advances i.
char32_t decodeUtf16(std::u16string_view s, std::size_t& i) {
    char32_t u = s[i++];
    if (u >= 0xD800 && u <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
        return 0x10000 + ((u - 0xD800) << 10) + (s[i++] - 0xDC00);
    return u;  // a lone surrogate has no cp1252 byte
}

// The cp1252 bytes of a text whose letters `decode` reads one by one. A letter
// cp1252 lacks makes the whole text fail, or becomes '?' when `lossy`.
template <typename Text, typename Decode>
std::optional<std::string> toCp1252(Text text, bool lossy, Decode decode) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        int c = unicodeToCp1252(decode(text, i));
        if (c < 0) {
            if (!lossy) return std::nullopt;
            c = '?';
        }
        out += char(c);
    }
    return out;
}

}  // namespace

std::optional<std::string> fromUtf8(std::string_view utf8) { return toCp1252(utf8, false, decodeUtf8); }

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();)
        if (decodeUtf8(bytes, i) > 0x10FFFF) return false;
    return true;
}

std::string_view textFileCharset(std::string_view bytes) { return isUtf8(bytes) ? "UTF-8" : "windows-1252"; }

std::string fromUtf8Lossy(std::string_view utf8) { return *toCp1252(utf8, true, decodeUtf8); }

std::u16string toUtf16(std::string_view cp1252) {
    std::u16string out;
    out.reserve(cp1252.size());
    for (unsigned char c : cp1252) out += char16_t(cp1252ToUnicode(c));  // all within the first plane
    return out;
}

std::optional<std::string> fromUtf16(std::u16string_view utf16) { return toCp1252(utf16, false, decodeUtf16); }

std::string fromUtf16Lossy(std::u16string_view utf16) { return *toCp1252(utf16, true, decodeUtf16); }

}  // namespace kx
