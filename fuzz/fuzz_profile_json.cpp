// A profile file as hollinctl reads it: any text either parses or gives an error, never both; what
// parses, written out again, parses to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/json_reader.h"

namespace {

using hollin::JsonValue;

void writeString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

void write(std::string& out, const JsonValue& value) {
    if (const auto* flag = value.boolean()) {
        out += *flag ? "true" : "false";
    } else if (const auto* number = value.number()) {
        out += number->text;
    } else if (const auto* text = value.string()) {
        writeString(out, *text);
    } else if (const auto* items = value.array()) {
        out += '[';
        for (std::size_t i = 0; i < items->size(); ++i) {
            if (i)
                out += ',';
            write(out, (*items)[i]);
        }
        out += ']';
    } else if (const auto* members = value.object()) {
        out += '{';
        bool first = true;
        for (const auto& [key, member] : *members) {
            if (!first)
                out += ',';
            first = false;
            writeString(out, key);
            out += ':';
            write(out, member);
        }
        out += '}';
    } else {
        out += "null";
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const hollin::JsonParse parsed = hollin::parseJson(text);
    if (parsed.value.has_value() == !parsed.error.empty())
        __builtin_trap();
    if (!parsed.value)
        return 0;
    std::string once;
    write(once, *parsed.value);
    const hollin::JsonParse again = hollin::parseJson(once);
    if (!again.value)
        __builtin_trap();
    std::string twice;
    write(twice, *again.value);
    if (twice != once)
        __builtin_trap();
    return 0;
}
