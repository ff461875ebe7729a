#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A small JSON reader for files people edit (hollinctl's profiles): objects, arrays, strings,
// numbers, true, false and null. Bounded: at most kMaxJsonBytes of text and kMaxJsonDepth levels.
namespace hollin {

inline constexpr std::size_t kMaxJsonBytes = 1 << 20;
inline constexpr int kMaxJsonDepth = 16;

struct JsonValue {
    using Object = std::map<std::string, JsonValue, std::less<>>;
    using Array = std::vector<JsonValue>;
    // A number keeps its text as written (hollinctl checks it as a command-line value would be).
    struct Number {
        std::string text;
    };
    std::variant<std::nullptr_t, bool, Number, std::string, Array, Object> value = nullptr;

    const Object* object() const { return std::get_if<Object>(&value); }
    const Array* array() const { return std::get_if<Array>(&value); }
    const std::string* string() const { return std::get_if<std::string>(&value); }
    const bool* boolean() const { return std::get_if<bool>(&value); }
    const Number* number() const { return std::get_if<Number>(&value); }
    // A member of an object; nothing when this is no object or has no such member.
    const JsonValue* member(std::string_view key) const;
};

struct JsonParse {
    std::optional<JsonValue> value;
    std::string error;  // where and why, when `value` is empty
};
// The one value the text holds (white space around it allowed). A member named twice is refused.
JsonParse parseJson(std::string_view text);

}  // namespace hollin
