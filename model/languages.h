// ISO 639-2 language codes for the language a MediaInfo report gives: a name
// ("Portuguese", "Portuguese (BR)", "Norwegian Bokmal") or a code ("pt",
// "por", "deu"), mapped to the bibliographic code the remux tool is given.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// The ISO 639-2/B code of a language name or two- or three-letter code,
// compared without regard to case or accents, a region in parentheses left
// out; empty when the text names no language of ISO 639-2.
std::string iso639Code(std::string_view language);

}  // namespace kx
