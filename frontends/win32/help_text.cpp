// HTML to the help view's text and runs, and the resolution of its links.
#include "frontends/win32/help_text.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/encoding.h"

namespace kx::win32 {

namespace {

bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();)
        if (decodeUtf8(text, i) > 0x10FFFF) return false;
    return true;
}

std::u32string decodePage(std::string_view html) {
    std::u32string out;
    out.reserve(html.size());
    if (validUtf8(html)) {
        for (std::size_t i = 0; i < html.size();) out.push_back(decodeUtf8(html, i));
    } else {
        for (char c : html) out.push_back(cp1252ToUnicode((unsigned char)c));
    }
    return out;
}

std::string toUtf8(std::u32string_view text) {
    std::string out;
    for (char32_t u : text) {
        if (u < 0x80) {
            out.push_back(char(u));
        } else if (u < 0x800) {
            out.push_back(char(0xC0 | (u >> 6)));
            out.push_back(char(0x80 | (u & 0x3F)));
        } else if (u < 0x10000) {
            out.push_back(char(0xE0 | (u >> 12)));
            out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(char(0x80 | (u & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (u >> 18)));
            out.push_back(char(0x80 | ((u >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(char(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

char32_t lower(char32_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

std::string lowerAscii(std::u32string_view s) {
    std::string out;
    for (char32_t c : s) out.push_back(c < 0x80 ? char(lower(c)) : '?');
    return out;
}

bool isSpace(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

struct NamedEntity {
    const char* name;
    char32_t value;
};

constexpr NamedEntity entities[] = {
    {"amp", '&'},       {"lt", '<'},         {"gt", '>'},         {"quot", '"'},        {"apos", '\''},
    {"nbsp", 0xA0},     {"eacute", 0xE9},    {"egrave", 0xE8},    {"ecirc", 0xEA},      {"euml", 0xEB},
    {"agrave", 0xE0},   {"acirc", 0xE2},     {"auml", 0xE4},      {"ccedil", 0xE7},     {"icirc", 0xEE},
    {"iuml", 0xEF},     {"ocirc", 0xF4},     {"ouml", 0xF6},      {"ugrave", 0xF9},     {"ucirc", 0xFB},
    {"uuml", 0xFC},     {"yuml", 0xFF},      {"oelig", 0x153},    {"aelig", 0xE6},      {"Eacute", 0xC9},
    {"Egrave", 0xC8},   {"Ecirc", 0xCA},     {"Agrave", 0xC0},    {"Acirc", 0xC2},      {"Ccedil", 0xC7},
    {"Ocirc", 0xD4},    {"Ucirc", 0xDB},     {"OElig", 0x152},    {"laquo", 0xAB},      {"raquo", 0xBB},
    {"copy", 0xA9},     {"reg", 0xAE},       {"deg", 0xB0},       {"middot", 0xB7},     {"euro", 0x20AC},
    {"hellip", 0x2026}, {"ndash", 0x2013},   {"mdash", 0x2014},   {"lsquo", 0x2018},    {"rsquo", 0x2019},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},   {"bull", 0x2022},    {"trade", 0x2122},    {"times", 0xD7},
};

// The entity at s[i] ('&'); advances i past it. Nothing when it is none.
std::optional<char32_t> entity(std::u32string_view s, std::size_t& i) {
    std::size_t end = i + 1;
    while (end < s.size() && end - i <= 10 && s[end] != ';' && !isSpace(s[end]) && s[end] != '&' && s[end] != '<') ++end;
    if (end >= s.size() || s[end] != ';') return std::nullopt;
    std::u32string_view name = s.substr(i + 1, end - i - 1);
    std::optional<char32_t> value;
    if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x' || name[1] == 'X';
        std::uint32_t v = 0;
        std::size_t digits = 0;
        for (char32_t c : name.substr(hex ? 2 : 1)) {
            int d = (c >= '0' && c <= '9') ? int(c - '0')
                    : hex && lower(c) >= 'a' && lower(c) <= 'f' ? int(lower(c) - 'a' + 10)
                                                                : -1;
            if (d < 0 || v > 0x10FFFF) return std::nullopt;
            v = v * (hex ? 16 : 10) + std::uint32_t(d);
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        value = (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) ? char32_t(0xFFFD) : char32_t(v);
    } else {
        std::string n;
        for (char32_t c : name) n.push_back(c < 0x80 ? char(c) : '?');
        for (const NamedEntity& e : entities)
            if (n == e.name) value = e.value;
    }
    if (value) i = end + 1;
    return value;
}

bool oneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

class Converter {
public:
    explicit Converter(std::u32string_view page) : s_(page) {}

    HelpText run() {
        std::size_t i = 0;
        while (i < s_.size()) {
            if (s_[i] == '<') {
                i = tag(i);
            } else if (s_[i] == '&') {
                std::size_t at = i;
                if (std::optional<char32_t> c = entity(s_, i)) {
                    letter(*c, *c == 0xA0);  // a no-break space is never collapsed
                } else {
                    i = at + 1;
                    letter('&');
                }
            } else {
                letter(s_[i++]);
            }
        }
        while (!text_.empty() && (text_.back() == ' ' || text_.back() == '\n')) text_.pop_back();
        closeAll();
        // UTF-16 positions of the letters: those beyond the first plane take two.
        HelpText out;
        std::vector<int> at(text_.size() + 1, 0);
        for (std::size_t k = 0; k < text_.size(); ++k) {
            at[k] = int(out.text.size());
            char32_t c = text_[k];
            if (c >= 0x10000) {
                out.text.push_back(wchar_t(0xD800 + ((c - 0x10000) >> 10)));
                out.text.push_back(wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                out.text.push_back(wchar_t(c));
            }
        }
        at[text_.size()] = int(out.text.size());
        for (HelpRun& r : runs_) {
            int from = at[std::size_t(std::min(r.from, int(text_.size())))];
            int to = at[std::size_t(std::min(r.to, int(text_.size())))];
            if (from < to) out.runs.push_back({r.kind, from, to, r.href});
        }
        if (!out.text.empty()) out.text.push_back('\n');
        return out;
    }

private:
    std::u32string_view s_;
    std::u32string text_;
    std::vector<HelpRun> runs_;
    struct Open {
        std::string tag;
        std::size_t run;
    };
    std::vector<Open> open_;
    int skipping_ = 0;          // inside head, script, style, title
    std::string skipUntil_;
    int pre_ = 0;
    int listDepth_ = 0;

    void letter(char32_t c, bool hard = false) {
        if (skipping_) return;
        if (!pre_ && !hard && isSpace(c)) {
            if (text_.empty() || text_.back() == ' ' || text_.back() == '\n') return;
            text_.push_back(' ');
            return;
        }
        if (c == '\r') return;
        text_.push_back(c);
    }

    void lineBreak() {
        while (!text_.empty() && text_.back() == ' ') text_.pop_back();
        text_.push_back('\n');
    }

    // Starts a block: one empty line before it, none at the top.
    void paragraph() {
        while (!text_.empty() && text_.back() == ' ') text_.pop_back();
        if (text_.empty()) return;
        if (text_.back() != '\n') text_.push_back('\n');
        if (text_.size() < 2 || text_[text_.size() - 2] != '\n') text_.push_back('\n');
    }

    void newLine() {
        while (!text_.empty() && text_.back() == ' ') text_.pop_back();
        if (!text_.empty() && text_.back() != '\n') text_.push_back('\n');
    }

    void openRun(const std::string& tag, HelpRun::Kind kind, std::string href = {}) {
        runs_.push_back({kind, int(text_.size()), int(text_.size()), std::move(href)});
        open_.push_back({tag, runs_.size() - 1});
    }

    void closeRun(const std::string& tag) {
        for (std::size_t k = open_.size(); k-- > 0;)
            if (open_[k].tag == tag) {
                runs_[open_[k].run].to = int(text_.size());
                open_.erase(open_.begin() + std::ptrdiff_t(k));
                return;
            }
    }

    void closeAll() {
        for (const Open& o : open_) runs_[o.run].to = int(text_.size());
        open_.clear();
    }

    std::optional<std::string> attribute(std::u32string_view inside, std::string_view wanted) {
        std::size_t i = 0;
        while (i < inside.size() && !isSpace(inside[i])) ++i;  // the tag's name
        while (i < inside.size()) {
            while (i < inside.size() && (isSpace(inside[i]) || inside[i] == '/')) ++i;
            std::size_t nameStart = i;
            while (i < inside.size() && !isSpace(inside[i]) && inside[i] != '=' && inside[i] != '/') ++i;
            std::string name = lowerAscii(inside.substr(nameStart, i - nameStart));
            while (i < inside.size() && isSpace(inside[i])) ++i;
            std::u32string value;
            if (i < inside.size() && inside[i] == '=') {
                ++i;
                while (i < inside.size() && isSpace(inside[i])) ++i;
                if (i < inside.size() && (inside[i] == '"' || inside[i] == '\'')) {
                    char32_t quote = inside[i++];
                    std::size_t end = inside.find(quote, i);
                    if (end == std::u32string_view::npos) end = inside.size();
                    value = inside.substr(i, end - i);
                    i = end + 1;
                } else {
                    std::size_t start = i;
                    while (i < inside.size() && !isSpace(inside[i])) ++i;
                    value = inside.substr(start, i - start);
                }
            }
            if (name.empty() && nameStart == i) ++i;
            if (name == wanted) {
                // Entities in the value.
                std::u32string decoded;
                for (std::size_t k = 0; k < value.size();) {
                    std::size_t at = k;
                    if (value[k] == '&')
                        if (std::optional<char32_t> c = entity(value, k)) {
                            decoded.push_back(*c);
                            continue;
                        }
                    k = at + 1;
                    decoded.push_back(value[at]);
                }
                return toUtf8(decoded);
            }
        }
        return std::nullopt;
    }

    // The tag, comment or declaration at s_[i] ('<'); returns where the text goes on.
    std::size_t tag(std::size_t i) {
        if (s_.substr(i, 4) == U"<!--") {
            std::size_t end = s_.find(U"-->", i + 4);
            return end == std::u32string_view::npos ? s_.size() : end + 3;
        }
        std::size_t end = i + 1;
        char32_t quote = 0;
        while (end < s_.size() && (quote || s_[end] != '>')) {
            if (quote && s_[end] == quote) quote = 0;
            else if (!quote && (s_[end] == '"' || s_[end] == '\'') && end > i + 1 && s_[end - 1] == '=') quote = s_[end];
            ++end;
        }
        std::u32string_view inside = s_.substr(i + 1, (end < s_.size() ? end : s_.size()) - i - 1);
        std::size_t next = end < s_.size() ? end + 1 : s_.size();
        if (inside.empty() || inside[0] == '!' || inside[0] == '?') return next;
        bool closing = inside[0] == '/';
        std::size_t nameStart = closing ? 1 : 0, nameEnd = nameStart;
        while (nameEnd < inside.size() && !isSpace(inside[nameEnd]) && inside[nameEnd] != '/') ++nameEnd;
        std::string name = lowerAscii(inside.substr(nameStart, nameEnd - nameStart));

        if (skipping_) {
            if (closing && name == skipUntil_) skipping_ = 0;
            return next;
        }
        if (!closing && oneOf(name, {"head", "script", "style", "title", "noscript", "template"})) {
            bool selfClosed = !inside.empty() && inside.back() == '/';
            if (!selfClosed) {
                skipping_ = 1;
                skipUntil_ = name;
            }
            return next;
        }

        if (oneOf(name, {"h1", "h2", "h3", "h4", "h5", "h6"})) {
            if (closing) {
                closeRun(name + "-bold");
                closeRun(name);
                paragraph();
            } else {
                paragraph();
                if (name <= "h3") openRun(name, HelpRun::heading);
                openRun(name + "-bold", HelpRun::bold);
            }
        } else if (oneOf(name, {"p", "div", "table", "blockquote", "section", "article", "header", "footer", "nav",
                                "main", "form", "dl", "figure", "address", "center"})) {
            paragraph();
        } else if (oneOf(name, {"ul", "ol"})) {
            listDepth_ += closing ? (listDepth_ > 0 ? -1 : 0) : 1;
            paragraph();
        } else if (name == "li") {
            if (!closing) {
                newLine();
                for (int k = 1; k < listDepth_; ++k) text_ += U"    ";
                text_ += U"\u2022 ";
            }
        } else if (oneOf(name, {"tr", "dt", "dd"})) {
            newLine();
        } else if (oneOf(name, {"td", "th"})) {
            if (!closing && !text_.empty() && text_.back() != '\n') letter(' ');
        } else if (name == "br") {
            lineBreak();
        } else if (name == "hr") {
            paragraph();
            text_ += U"\u2014\u2014\u2014";
            paragraph();
        } else if (name == "pre") {
            paragraph();
            pre_ += closing ? (pre_ > 0 ? -1 : 0) : 1;
        } else if (oneOf(name, {"b", "strong"})) {
            if (closing) closeRun(name);
            else openRun(name, HelpRun::bold);
        } else if (oneOf(name, {"i", "em"})) {
            if (closing) closeRun(name);
            else openRun(name, HelpRun::italic);
        } else if (name == "a") {
            if (closing) {
                closeRun("a");
            } else if (std::optional<std::string> href = attribute(inside, "href")) {
                closeRun("a");  // links do not nest
                openRun("a", HelpRun::link, *href);
            }
        } else if (name == "img") {
            if (std::optional<std::string> alt = attribute(inside, "alt"); alt && !alt->empty()) {
                for (std::size_t k = 0; k < alt->size();) letter(decodeUtf8(*alt, k));
            }
        }
        return next;
    }
};

std::string_view origin(std::string_view base) {
    std::size_t scheme = base.find("://");
    if (scheme == std::string_view::npos) return {};
    std::size_t path = base.find_first_of("/?#", scheme + 3);
    return base.substr(0, path == std::string_view::npos ? base.size() : path);
}

}  // namespace

HelpText htmlToHelpText(std::string_view html) { return Converter(decodePage(html)).run(); }

std::string resolveLink(std::string_view base, std::string_view href) {
    while (!href.empty() && (href.front() == ' ' || href.front() == '\t' || href.front() == '\n')) href.remove_prefix(1);
    while (!href.empty() && (href.back() == ' ' || href.back() == '\t' || href.back() == '\n')) href.remove_suffix(1);
    if (href.empty() || href.front() == '#') return {};
    std::size_t colon = href.find(':');
    std::size_t slash = href.find_first_of("/?#");
    if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash))
        return std::string(href);  // has its own scheme
    std::size_t schemeEnd = base.find("://");
    if (href.starts_with("//"))
        return (schemeEnd == std::string_view::npos ? std::string("http:") : std::string(base.substr(0, schemeEnd + 1))) +
               std::string(href);
    std::string_view site = origin(base);
    if (href.front() == '/') return std::string(site) + std::string(href);
    // Against the page's folder: its path up to the last '/'.
    std::string_view path = base.substr(site.size());
    path = path.substr(0, path.find_first_of("?#"));
    std::size_t last = path.rfind('/');
    std::string folder = std::string(site) + (last == std::string_view::npos ? "/" : std::string(path.substr(0, last + 1)));
    std::string_view rest = href;
    while (rest.starts_with("./") || rest.starts_with("../")) {
        if (rest.starts_with("./")) {
            rest.remove_prefix(2);
            continue;
        }
        rest.remove_prefix(3);
        if (folder.size() > site.size() + 1) {
            folder.pop_back();
            folder.erase(folder.rfind('/') + 1);
        }
    }
    return folder + std::string(rest);
}

}  // namespace kx::win32
