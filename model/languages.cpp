// The lookup of language names and codes in the ISO 639-2 table that
// tools/make-languages.py writes into language_table.inc.
#include "model/languages.h"

#include <array>

#include "base/text.h"

namespace kx {

namespace {

struct Language {
    std::string_view code, terminology, twoLetter, names;
};

constexpr Language languages[] = {
#include "model/language_table.inc"
};

// A cp1252 letter without its accent, lower-cased.
char folded(char c) {
    // 0xC0 to 0xFF: the accented capitals, then the small letters.
    static constexpr std::string_view latin = "aaaaaaaceeeeiiiidnooooo*ouuuuyts" "aaaaaaaceeeeiiiidnooooo/ouuuuyty";
    auto u = static_cast<unsigned char>(c);
    if (u >= 0xC0) return latin[u - 0xC0];
    if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
    return c;
}

// Lower-case ASCII without accents, a final " (...)" (a region or script)
// and surrounding blanks left out.
std::string normalised(std::string_view language) {
    std::size_t open = language.find('(');
    if (open != std::string_view::npos && open > 0) language = language.substr(0, open);
    std::string text;
    for (char c : language) text += folded(c);
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool namesInclude(std::string_view names, std::string_view name) {
    while (!names.empty()) {
        std::size_t bar = names.find('|');
        if (names.substr(0, bar) == name) return true;
        if (bar == std::string_view::npos) break;
        names.remove_prefix(bar + 1);
    }
    return false;
}

bool letters(std::string_view text) {
    for (char c : text)
        if (c < 'a' || c > 'z') return false;
    return !text.empty();
}

}  // namespace

std::string iso639Code(std::string_view language) {
    const std::string text = normalised(language);
    if (text.size() == 3 && letters(text) && text >= "qaa" && text <= "qtz") return text;  // kept for local use
    for (const Language& l : languages) {
        if (text.size() == 2 ? text == l.twoLetter
                             : text.size() == 3 ? (text == l.code || text == l.terminology) : false)
            return std::string(l.code);
    }
    for (const Language& l : languages)
        if (namesInclude(l.names, text)) return std::string(l.code);
    return {};
}

}  // namespace kx
