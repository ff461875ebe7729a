#include "common/json_reader.h"

#include <cstdint>

namespace hollin {
namespace {

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<JsonValue> document() {
        auto value = parseValue(0);
        skipSpace();
        if (value && pos_ != text_.size())
            return fail("text after the value");
        return value;
    }
    const std::string& error() const { return error_; }

  private:
    std::nullopt_t fail(std::string why) {
        if (error_.empty())
            error_ = "offset " + std::to_string(pos_) + ": " + std::move(why);
        return std::nullopt;
    }
    void skipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool take(char c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool takeWord(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }

    std::optional<JsonValue> parseValue(int depth) {
        if (depth > kMaxJsonDepth)
            return fail("nested too deeply");
        skipSpace();
        if (pos_ >= text_.size())
            return fail("a value is missing");
        const char c = text_[pos_];
        if (c == '{')
            return parseObject(depth);
        if (c == '[')
            return parseArray(depth);
        if (c == '"') {
            auto text = parseString();
            if (!text)
                return std::nullopt;
            return JsonValue{std::move(*text)};
        }
        if (takeWord("true"))
            return JsonValue{true};
        if (takeWord("false"))
            return JsonValue{false};
        if (takeWord("null"))
            return JsonValue{nullptr};
        return parseNumber();
    }

    std::optional<JsonValue> parseNumber() {
        const std::size_t start = pos_;
        auto digits = [this] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
                ++pos_;
            return pos_ > from;
        };
        if (pos_ < text_.size() && text_[pos_] == '-')
            ++pos_;
        if (!digits())
            return fail("no value here");
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (!digits())
                return fail("a number without digits after its point");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
                ++pos_;
            if (!digits())
                return fail("a number without digits in its exponent");
        }
        return JsonValue{JsonValue::Number{std::string(text_.substr(start, pos_ - start))}};
    }

    std::optional<unsigned> hex4() {
        if (text_.size() - pos_ < 4)
            return fail("a short \\u escape");
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return fail("a bad \\u escape");
            value = value << 4 | static_cast<unsigned>(digit);
        }
        return value;
    }

    static void appendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::optional<std::uint32_t> escapedCodePoint() {
        const auto first = hex4();
        if (!first)
            return std::nullopt;
        if (*first >= 0xDC00 && *first <= 0xDFFF)
            return fail("a lone low surrogate");
        if (*first < 0xD800 || *first > 0xDBFF)
            return *first;
        if (!takeWord("\\u"))
            return fail("a high surrogate without its low half");
        const auto second = hex4();
        if (!second)
            return std::nullopt;
        if (*second < 0xDC00 || *second > 0xDFFF)
            return fail("a high surrogate without its low half");
        return 0x10000 + ((*first - 0xD800) << 10) + (*second - 0xDC00);
    }

    std::optional<std::string> parseString() {
        ++pos_;  // the opening quote
        std::string out;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("a control character inside a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                break;
            const char e = text_[pos_++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    const auto cp = escapedCodePoint();
                    if (!cp)
                        return std::nullopt;
                    appendUtf8(out, *cp);
                    break;
                }
                default:
                    return fail("an unknown escape");
            }
        }
        return fail("a string without its closing quote");
    }

    std::optional<JsonValue> parseArray(int depth) {
        ++pos_;
        JsonValue::Array items;
        if (take(']'))
            return JsonValue{std::move(items)};
        do {
            auto item = parseValue(depth + 1);
            if (!item)
                return std::nullopt;
            items.push_back(std::move(*item));
        } while (take(','));
        if (!take(']'))
            return fail("',' or ']' expected");
        return JsonValue{std::move(items)};
    }

    std::optional<JsonValue> parseObject(int depth) {
        ++pos_;
        JsonValue::Object members;
        if (take('}'))
            return JsonValue{std::move(members)};
        do {
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"')
                return fail("a member name expected");
            auto key = parseString();
            if (!key)
                return std::nullopt;
            if (!take(':'))
                return fail("':' expected");
            auto item = parseValue(depth + 1);
            if (!item)
                return std::nullopt;
            if (!members.emplace(std::move(*key), std::move(*item)).second)
                return fail("a member named twice");
        } while (take(','));
        if (!take('}'))
            return fail("',' or '}' expected");
        return JsonValue{std::move(members)};
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::member(std::string_view key) const {
    const Object* members = object();
    if (members == nullptr)
        return nullptr;
    const auto found = members->find(key);
    return found == members->end() ? nullptr : &found->second;
}

JsonParse parseJson(std::string_view text) {
    if (text.size() > kMaxJsonBytes)
        return {std::nullopt, "the text is larger than " + std::to_string(kMaxJsonBytes) + " bytes"};
    Reader reader(text);
    auto value = reader.document();
    if (!value)
        return {std::nullopt, reader.error()};
    return {std::move(value), {}};
}

}  // namespace hollin
