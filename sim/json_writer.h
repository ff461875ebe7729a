#pragma once

#include <span>
#include <string>
#include <string_view>

// A tiny JSON writer for the virtual printer's state: objects, arrays of texts, texts, integers,
// flags and null. Each value is written once and never read back, so there is no parser.
namespace hollin::sim {

// `text` as a JSON string, quotes included. Quote, backslash and control bytes are escaped; valid
// UTF-8 passes through, and a byte that is not part of valid UTF-8 is written as the character of
// the same number (\u0080..\u00FF), so the result is always valid JSON and no byte is dropped.
std::string jsonString(std::string_view text);

// One JSON object built member by member, in the order added. Keys are escaped like any string.
class JsonObject {
  public:
    JsonObject& text(std::string_view key, std::string_view value);
    JsonObject& number(std::string_view key, long long value);
    JsonObject& flag(std::string_view key, bool value);
    JsonObject& null(std::string_view key);
    JsonObject& object(std::string_view key, const JsonObject& value);
    JsonObject& texts(std::string_view key, std::span<const std::string> values);

    // The object as compact JSON, e.g. {"a":1,"b":"x"}.
    std::string str() const;

  private:
    JsonObject& member(std::string_view key, std::string_view json);

    std::string members_;
};

}  // namespace hollin::sim
