#include "sim/json_writer.h"

#include <array>
#include <cstdint>

namespace hollin::sim {
namespace {

// The length of the valid UTF-8 sequence that starts `text` at `i`; 0 when none does. Overlong forms,
// surrogates and values past U+10FFFF are not valid.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&text](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t n = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool overlong = (n == 3 && code < 0x800) || (n == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || surrogate || code > 0x10FFFF)
        return 0;
    return n;
}

std::string unicodeEscape(std::uint8_t byte) {
    static constexpr std::array<char, 16> kDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                     '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    return std::string("\\u00") + kDigits[byte >> 4] + kDigits[byte & 0x0F];
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte >= 0x80) {
            const std::size_t n = utf8Length(text, i);
            if (n == 0) {
                out += unicodeEscape(byte);
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20)
                    out += unicodeEscape(byte);
                else
                    out += static_cast<char>(byte);
        }
        ++i;
    }
    return out + "\"";
}

JsonObject& JsonObject::member(std::string_view key, std::string_view json) {
    if (!members_.empty())
        members_ += ',';
    members_ += jsonString(key);
    members_ += ':';
    members_ += json;
    return *this;
}

JsonObject& JsonObject::text(std::string_view key, std::string_view value) {
    return member(key, jsonString(value));
}

JsonObject& JsonObject::number(std::string_view key, long long value) {
    return member(key, std::to_string(value));
}

JsonObject& JsonObject::flag(std::string_view key, bool value) {
    return member(key, value ? "true" : "false");
}

JsonObject& JsonObject::null(std::string_view key) {
    return member(key, "null");
}

JsonObject& JsonObject::object(std::string_view key, const JsonObject& value) {
    return member(key, value.str());
}

JsonObject& JsonObject::texts(std::string_view key, std::span<const std::string> values) {
    std::string list = "[";
    for (const std::string& value : values) {
        if (list.size() > 1)
            list += ',';
        list += jsonString(value);
    }
    return member(key, list + "]");
}

std::string JsonObject::str() const {
    return "{" + members_ + "}";
}

}  // namespace hollin::sim
