// The JSON reader: a recursive-descent parser over the whole text, with a
// depth limit and byte positions in its error messages.
#include "base/json.h"

#include <charconv>

namespace kx::json {

namespace {

const Value& nullValue() {
    static const Value none;
    return none;
}

const std::vector<Value>& noItems() {
    static const std::vector<Value> none;
    return none;
}

const std::vector<std::pair<std::string, Value>>& noMembers() {
    static const std::vector<std::pair<std::string, Value>> none;
    return none;
}

void appendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xF0 | (u >> 18));
        out += char(0x80 | ((u >> 12) & 0x3F));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    ParseResult run() {
        ParseResult result;
        skipBlanks();
        std::optional<Value> v = parseValue(0);
        if (v) {
            skipBlanks();
            if (pos_ != s_.size()) fail("unexpected text after the document");
        }
        if (!error_.empty()) {
            result.error = error_;
            return result;
        }
        result.value = std::move(v);
        return result;
    }

private:
    static constexpr int maxDepth = 200;

    std::string_view s_;
    std::size_t pos_ = 0;
    std::string error_;

    void fail(const std::string& what) {
        if (error_.empty()) error_ = what + " at byte " + std::to_string(pos_);
    }

    // Steps over `c` when it comes next.
    bool take(char c) {
        if (pos_ >= s_.size() || s_[pos_] != c) return false;
        ++pos_;
        return true;
    }

    void skipBlanks() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }

    bool take(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    std::optional<Value> parseValue(int depth) {
        if (depth > maxDepth) {
            fail("nesting too deep");
            return std::nullopt;
        }
        if (pos_ >= s_.size()) {
            fail("unexpected end of text");
            return std::nullopt;
        }
        char c = s_[pos_];
        if (c == '{') return parseObject(depth);
        if (c == '[') return parseArray(depth);
        if (c == '"') {
            std::optional<std::string> str = parseString();
            if (!str) return std::nullopt;
            return Value::makeString(std::move(*str));
        }
        if (c == '-' || (c >= '0' && c <= '9')) return parseNumber();
        if (take("true")) return Value::makeBool(true);
        if (take("false")) return Value::makeBool(false);
        if (take("null")) return Value();
        fail("unexpected character");
        return std::nullopt;
    }

    std::optional<Value> parseObject(int depth) {
        ++pos_;  // '{'
        std::vector<std::pair<std::string, Value>> members;
        skipBlanks();
        if (take('}')) return Value::makeObject(std::move(members));
        for (;;) {
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != '"') {
                fail("expected a member name");
                return std::nullopt;
            }
            std::optional<std::string> key = parseString();
            if (!key) return std::nullopt;
            skipBlanks();
            if (!take(':')) {
                fail("expected ':'");
                return std::nullopt;
            }
            skipBlanks();
            std::optional<Value> v = parseValue(depth + 1);
            if (!v) return std::nullopt;
            members.emplace_back(std::move(*key), std::move(*v));
            skipBlanks();
            if (take(',')) continue;
            if (take('}')) return Value::makeObject(std::move(members));
            fail("expected ',' or '}'");
            return std::nullopt;
        }
    }

    std::optional<Value> parseArray(int depth) {
        ++pos_;  // '['
        std::vector<Value> items;
        skipBlanks();
        if (take(']')) return Value::makeArray(std::move(items));
        for (;;) {
            skipBlanks();
            std::optional<Value> v = parseValue(depth + 1);
            if (!v) return std::nullopt;
            items.push_back(std::move(*v));
            skipBlanks();
            if (take(',')) continue;
            if (take(']')) return Value::makeArray(std::move(items));
            fail("expected ',' or ']'");
            return std::nullopt;
        }
    }

    std::optional<Value> parseNumber() {
        std::size_t start = pos_;
        auto digits = [&] {
            std::size_t from = pos_;
            while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
            return pos_ > from;
        };
        if (s_[pos_] == '-') ++pos_;
        if (!digits()) {
            fail("malformed number");
            return std::nullopt;
        }
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            if (!digits()) {
                fail("malformed number");
                return std::nullopt;
            }
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (!digits()) {
                fail("malformed number");
                return std::nullopt;
            }
        }
        return Value::makeNumber(std::string(s_.substr(start, pos_ - start)));
    }

    std::optional<char32_t> hex4() {
        if (pos_ + 4 > s_.size()) return std::nullopt;
        char32_t u = 0;
        for (int k = 0; k < 4; ++k) {
            char c = s_[pos_++];
            u <<= 4;
            if (c >= '0' && c <= '9') u |= char32_t(c - '0');
            else if (c >= 'a' && c <= 'f') u |= char32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') u |= char32_t(c - 'A' + 10);
            else return std::nullopt;
        }
        return u;
    }

    std::optional<std::string> parseString() {
        ++pos_;  // opening quote
        std::string out;
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (c == '"') {
                ++pos_;
                return out;
            }
            if ((unsigned char)c < 0x20) {
                fail("control character in a string");
                return std::nullopt;
            }
            if (c != '\\') {
                out += c;
                ++pos_;
                continue;
            }
            ++pos_;
            if (pos_ >= s_.size()) break;
            char e = s_[pos_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    std::optional<char32_t> u = hex4();
                    if (!u) {
                        fail("malformed \\u escape");
                        return std::nullopt;
                    }
                    char32_t code = *u;
                    if (code >= 0xD800 && code <= 0xDBFF) {
                        std::optional<char32_t> low;
                        if (take("\\u")) low = hex4();
                        if (!low || *low < 0xDC00 || *low > 0xDFFF) {
                            fail("unpaired surrogate");
                            return std::nullopt;
                        }
                        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
                    } else if (code >= 0xDC00 && code <= 0xDFFF) {
                        fail("unpaired surrogate");
                        return std::nullopt;
                    }
                    appendUtf8(out, code);
                    break;
                }
                default:
                    fail("unknown escape");
                    return std::nullopt;
            }
        }
        fail("unterminated string");
        return std::nullopt;
    }
};

}  // namespace

Value Value::makeBool(bool b) {
    Value v;
    v.kind_ = Kind::boolean;
    v.flag_ = b;
    return v;
}

Value Value::makeNumber(std::string text) {
    Value v;
    v.kind_ = Kind::number;
    v.text_ = std::move(text);
    return v;
}

Value Value::makeString(std::string text) {
    Value v;
    v.kind_ = Kind::string;
    v.text_ = std::move(text);
    return v;
}

Value Value::makeArray(std::vector<Value> items) {
    Value v;
    v.kind_ = Kind::array;
    v.items_ = std::make_shared<const std::vector<Value>>(std::move(items));
    return v;
}

Value Value::makeObject(std::vector<std::pair<std::string, Value>> members) {
    Value v;
    v.kind_ = Kind::object;
    v.members_ = std::make_shared<const std::vector<std::pair<std::string, Value>>>(std::move(members));
    return v;
}

const Value& Value::operator[](std::string_view key) const {
    if (kind_ == Kind::object)
        for (const auto& [name, value] : *members_)
            if (name == key) return value;
    return nullValue();
}

bool Value::has(std::string_view key) const {
    if (kind_ != Kind::object) return false;
    for (const auto& member : *members_)
        if (member.first == key) return true;
    return false;
}

const std::vector<Value>& Value::items() const {
    return kind_ == Kind::array ? *items_ : noItems();
}

const std::vector<std::pair<std::string, Value>>& Value::members() const {
    return kind_ == Kind::object ? *members_ : noMembers();
}

std::string Value::text() const {
    return (kind_ == Kind::string || kind_ == Kind::number) ? text_ : std::string();
}

std::optional<std::int64_t> Value::integer() const {
    if (kind_ != Kind::string && kind_ != Kind::number) return std::nullopt;
    std::int64_t n = 0;
    const char* first = text_.data();
    const char* last = first + text_.size();
    auto [end, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || end != last) return std::nullopt;
    return n;
}

std::optional<double> Value::number() const {
    if (kind_ != Kind::string && kind_ != Kind::number) return std::nullopt;
    double d = 0;
    const char* first = text_.data();
    const char* last = first + text_.size();
    auto [end, ec] = std::from_chars(first, last, d);
    if (ec != std::errc() || end != last) return std::nullopt;
    return d;
}

ParseResult parse(std::string_view text) {
    return Parser(text).run();
}

}  // namespace kx::json
