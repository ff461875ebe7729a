#include "sim/cpcl_text.h"

#include <algorithm>

namespace hollin::sim {
namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

TextScan scanText(std::span<const std::uint8_t> bytes, std::uint8_t terminator, std::size_t maxLength) {
    const std::size_t limit = std::min(bytes.size(), maxLength);
    for (std::size_t i = 0; i < limit; ++i) {
        const std::uint8_t b = bytes[i];
        if (b == terminator)
            return {TextScan::kComplete, i + 1};
        if (b == '\r' && terminator == '\n') {
            if (i + 1 < bytes.size() && bytes[i + 1] != '\n')
                return {TextScan::kInvalid, 0};
            continue;
        }
        if ((b < 0x20 && b != '\t') || b == 0x7F)
            return {TextScan::kInvalid, 0};
    }
    if (bytes.size() >= maxLength)
        return {TextScan::kInvalid, 0};
    return {TextScan::kIncomplete, 0};
}

std::optional<CpclLine> parseCpclLine(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size())
            break;
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            words.emplace_back(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const std::size_t start = i;
            while (i < text.size() && !isBlank(text[i]))
                ++i;
            words.emplace_back(text.substr(start, i - start));
        }
    }
    if (words.empty() || words.front().empty())
        return std::nullopt;
    CpclLine line;
    std::transform(words.front().begin(), words.front().end(), std::back_inserter(line.verb), lower);
    line.args.assign(words.begin() + 1, words.end());
    return line;
}

bool sameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::optional<int> pickWord(std::string_view value, std::span<const std::string_view> choices) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (sameWord(value, choices[i]))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace hollin::sim
