// Line splitting, number reading, path parts and case-aware text operations.
#include "base/text.h"

#include <limits>

namespace kx {

std::vector<std::string> splitLines(std::string_view data) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        char c = data[i];
        if (c != '\r' && c != '\n' && c != '\0') continue;
        lines.emplace_back(data.substr(start, i - start));
        if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < data.size()) lines.emplace_back(data.substr(start));
    return lines;
}

std::vector<std::string> splitOn(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        pieces.emplace_back(text.substr(start, end - start));
        if (end == text.size()) return pieces;
        start = end + 1;
    }
}

std::int64_t readNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') base = 16, ++i;
    else if (i < text.size() && text[i] == '%') base = 2, ++i;

    // Magnitude limit: 2^63 for negative numbers, 2^63 - 1 otherwise.
    const std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f') digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = unsigned(c - 'A' + 10);
        else break;
        if (digit >= base) break;
        value = (value > (limit - digit) / base) ? limit : value * base + digit;
    }
    if (!negative) return std::int64_t(value);
    return value == limit ? std::numeric_limits<std::int64_t>::min() : -std::int64_t(value);
}

static std::size_t lastSeparator(std::string_view path) {
    return path.find_last_of("\\/");
}

std::string folderPart(std::string_view path) {
    std::size_t p = lastSeparator(path);
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string filePart(std::string_view path) {
    std::size_t p = lastSeparator(path);
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

char lowerLetter(char ch) {
    unsigned char c = (unsigned char)ch;
    if (c >= 'A' && c <= 'Z') return char(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return char(c + 16);
    if (c == 0x9F) return char(0xFF);
    return ch;
}

std::string toLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerLetter(c);
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerLetter(a[i]) != lowerLetter(b[i])) return false;
    return true;
}

std::size_t findNoCase(std::string_view haystack, std::string_view needle, std::size_t from) {
    if (needle.size() > haystack.size()) return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i)
        if (equalsNoCase(haystack.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

template <typename Find>
static std::string replaceWith(std::string_view text, std::string_view what, std::string_view with, Find find) {
    if (what.empty()) return std::string(text);
    std::string out;
    std::size_t start = 0;
    for (std::size_t p; (p = find(text, what, start)) != std::string_view::npos; start = p + what.size()) {
        out.append(text.substr(start, p - start));
        out.append(with);
    }
    out.append(text.substr(start));
    return out;
}

std::string replaceAll(std::string_view text, std::string_view what, std::string_view with) {
    return replaceWith(text, what, with,
                       [](std::string_view t, std::string_view w, std::size_t from) { return t.find(w, from); });
}

std::string replaceAllNoCase(std::string_view text, std::string_view what, std::string_view with) {
    return replaceWith(text, what, with, findNoCase);
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace kx
