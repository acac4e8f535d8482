// Code page 1252 <-> UTF-8 and UTF-16. Inside, the program keeps every text as cp1252 bytes;
// these conversions are used only at the edges (file names, process arguments,
// what the user sees). `"été"_cp` turns a UTF-8 literal into cp1252 at compile time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

// Unicode code point of a cp1252 byte. The five bytes that cp1252 leaves
// undefined map to the C1 control of the same value, so every byte converts.
constexpr char32_t cp1252ToUnicode(unsigned char c) {
    constexpr char32_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : char32_t(c);
}

// The cp1252 byte for a code point, or -1 when cp1252 has none.
constexpr int unicodeToCp1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return int(u);
    for (int c = 0x80; c < 0xA0; ++c)
        if (cp1252ToUnicode((unsigned char)c) == u) return c;
    return -1;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns a value above
// 0x10FFFF for a malformed sequence.
constexpr char32_t decodeUtf8(std::string_view s, std::size_t& i) {
    constexpr char32_t bad = 0x110000;
    unsigned char c = (unsigned char)s[i++];
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c > 0xF4) return bad;
    char32_t u = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || ((unsigned char)s[i] & 0xC0) != 0x80) return bad;
        u = (u << 6) | ((unsigned char)s[i++] & 0x3F);
    }
    constexpr char32_t least[4] = {0, 0x80, 0x800, 0x10000};
    if (u < least[extra] || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return bad;
    return u;
}

std::string toUtf8(std::string_view cp1252);
// Empty optional when the text is not valid UTF-8 or holds a letter cp1252 lacks.
std::optional<std::string> fromUtf8(std::string_view utf8);
// As fromUtf8, with '?' for what cannot be carried.
std::string fromUtf8Lossy(std::string_view utf8);
// Whether the bytes are valid UTF-8 (any letter, a byte-order mark or not).
bool isUtf8(std::string_view bytes);
// The charset a text file of unknown origin is in, as the remux tool names
// it: "UTF-8" when the bytes are valid UTF-8, else "windows-1252" (the
// common case of a subtitle made on a French Windows system).
std::string_view textFileCharset(std::string_view bytes);

// The same for UTF-16 (the wide texts of Windows). A lone surrogate counts
// as a letter cp1252 lacks; the lossy form gives one '?' per letter.
std::u16string toUtf16(std::string_view cp1252);
std::optional<std::string> fromUtf16(std::u16string_view utf16);
std::string fromUtf16Lossy(std::u16string_view utf16);

// A UTF-8 string literal converted to cp1252 while compiling.
template <std::size_t N>
struct Cp1252Literal {
    char bytes[N]{};
    std::size_t size = 0;
    consteval Cp1252Literal(const char (&utf8)[N]) {
        std::string_view s(utf8, N - 1);
        for (std::size_t i = 0; i < s.size();) {
            int c = unicodeToCp1252(decodeUtf8(s, i));
            if (c < 0) throw "letter not in code page 1252";
            bytes[size++] = char(c);
        }
    }
    constexpr std::string_view view() const { return {bytes, size}; }
};

template <Cp1252Literal L>
constexpr std::string_view operator""_cp() {
    return L.view();
}

}  // namespace kx
