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

static std::string convert(std::string_view utf8, bool lossy, bool& ok) {
    std::string out;
    out.reserve(utf8.size());
    ok = true;
    for (std::size_t i = 0; i < utf8.size();) {
        int c = unicodeToCp1252(decodeUtf8(utf8, i));
        if (c < 0) {
            ok = false;
            if (!lossy) return {};
            c = '?';
        }
        out += char(c);
    }
    return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8) {
    bool ok;
    std::string out = convert(utf8, false, ok);
    if (!ok) return std::nullopt;
    return out;
}

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();)
        if (decodeUtf8(bytes, i) > 0x10FFFF) return false;
    return true;
}

std::string_view textFileCharset(std::string_view bytes) { return isUtf8(bytes) ? "UTF-8" : "windows-1252"; }

std::string fromUtf8Lossy(std::string_view utf8) {
    bool ok;
    return convert(utf8, true, ok);
}

std::u16string toUtf16(std::string_view cp1252) {
    std::u16string out;
    out.reserve(cp1252.size());
    for (unsigned char c : cp1252) out += char16_t(cp1252ToUnicode(c));  // all within the first plane
    return out;
}

static std::string convert16(std::u16string_view utf16, bool lossy, bool& ok) {
    std::string out;
    out.reserve(utf16.size());
    ok = true;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char16_t u = utf16[i];
        int c = (u >= 0xD800 && u <= 0xDFFF) ? -1 : unicodeToCp1252(u);
        if (c < 0) {
            ok = false;
            if (!lossy) return {};
            // A pair of surrogates is one letter.
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
                ++i;
            c = '?';
        }
        out += char(c);
    }
    return out;
}

std::optional<std::string> fromUtf16(std::u16string_view utf16) {
    bool ok;
    std::string out = convert16(utf16, false, ok);
    if (!ok) return std::nullopt;
    return out;
}

std::string fromUtf16Lossy(std::u16string_view utf16) {
    bool ok;
    return convert16(utf16, true, ok);
}

}  // namespace kx
