// A small JSON reader for the reports of mediainfo, mkvmerge -J and ffprobe.
// Strings stay UTF-8 as received; numbers keep their text, so 64-bit ids
// and uids are not rounded through a double.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kx::json {

class Value {
public:
    enum class Kind { null, boolean, number, string, array, object };

    Value() = default;
    static Value makeBool(bool b);
    static Value makeNumber(std::string text);
    static Value makeString(std::string text);
    static Value makeArray(std::vector<Value> items);
    static Value makeObject(std::vector<std::pair<std::string, Value>> members);

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::null; }
    bool isObject() const { return kind_ == Kind::object; }
    bool isArray() const { return kind_ == Kind::array; }

    // Member of an object (the first of that name); a null value when this is
    // no object or the member is missing, so lookups can be chained.
    const Value& operator[](std::string_view key) const;
    bool has(std::string_view key) const;
    // Items of an array; empty for anything else.
    const std::vector<Value>& items() const;
    const std::vector<std::pair<std::string, Value>>& members() const;

    // The text of a string, or of a number as written; empty otherwise.
    std::string text() const;
    // A whole number from a number, or from a string holding one ("42").
    std::optional<std::int64_t> integer() const;
    // A number from a number or from a string holding one ("23.976").
    std::optional<double> number() const;
    bool boolean() const { return kind_ == Kind::boolean && flag_; }

private:
    Kind kind_ = Kind::null;
    bool flag_ = false;
    std::string text_;
    std::shared_ptr<const std::vector<Value>> items_;
    std::shared_ptr<const std::vector<std::pair<std::string, Value>>> members_;
};

struct ParseResult {
    std::optional<Value> value;  // empty on failure
    std::string error;           // what went wrong and at which byte
};

// Parses one JSON document (surrounding white space allowed). Nesting deeper
// than 200 levels is refused rather than risking the stack.
ParseResult parse(std::string_view text);

}  // namespace kx::json
