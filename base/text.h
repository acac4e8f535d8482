// Text helpers shared by every part of the program. All texts are cp1252
// bytes (one byte, one letter); nothing here looks at the platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Splits file contents into lines. A line ends at CR LF, a lone LF, a lone CR,
// a zero byte or the end of the data; the line end is not part of the line.
// A last line without a line end is kept; nothing follows a final line end.
std::vector<std::string> splitLines(std::string_view data);
// The pieces between the separators ("a||b" gives "a", "", "b"; "" gives one empty piece).
std::vector<std::string> splitOn(std::string_view text, char separator);

// Reads a number: blanks and tabs skipped, an optional sign, then "$" and hex
// digits, "%" and binary digits, or decimal digits, up to the first character
// that does not fit. No digits give 0; values beyond 64 bits saturate.
std::int64_t readNumber(std::string_view text);

// Everything up to and including the last backslash or slash; empty if none.
std::string folderPart(std::string_view path);
// What follows the last backslash or slash (the whole path if none).
std::string filePart(std::string_view path);

// Letter case in code page 1252 (accented capitals included).
char lowerLetter(char c);
std::string toLower(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
// Position of the first occurrence of `needle`, letters compared without case.
std::size_t findNoCase(std::string_view haystack, std::string_view needle, std::size_t from = 0);

// Every occurrence of `what` replaced by `with`, scanning left to right
// without rescanning the replacement. An empty `what` changes nothing.
std::string replaceAll(std::string_view text, std::string_view what, std::string_view with);
std::string replaceAllNoCase(std::string_view text, std::string_view what, std::string_view with);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

}  // namespace kx
