// Turns mediainfo's JSON output into the plain-text report the program reads
// (sections of "label : value" lines, cp1252, CR LF line ends), keeping the
// lines the program looks for where it looks for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/json.h"

namespace kx::adapt {

// The report holds at most this many lines (the reader's table size).
inline constexpr int reportLineLimit = 201;

// One report line: the label padded with blanks to 33 characters, ": ",
// then the value (cp1252), without line end.
std::string reportLine(std::string_view label, std::string_view value);

// A delay in milliseconds as the report writes it: "1s 23ms", "-42ms",
// "2s 0ms", "-1s -542ms" (both parts carry the sign); empty for 0.
std::string delayText(std::int64_t milliseconds);

// English name of a language code as mediainfo gives it ("fr", "fre", "fra",
// "fr-CA" gives "French (CA)"); empty for "und", an empty code or "zxx";
// the code itself when it is not known.
std::string languageName(std::string_view code);

// The whole report from a parsed `mediainfo --Output=JSON` document; empty
// when the document is not such a report (`error` then says why).
std::optional<std::string> makeReport(const json::Value& root, std::string& error);

// The whole report from the text mediainfo --Output=JSON printed; empty when
// it is no JSON or no such report (`error` then says why).
std::optional<std::string> reportFromJson(std::string_view jsonText, std::string& error);

}  // namespace kx::adapt
