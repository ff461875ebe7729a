#pragma once

#include <string_view>

namespace hollin {

// Code-page numbers a window's MessageLanguage can hold.
inline constexpr int kLanguageEnglish = 1252;
inline constexpr int kLanguageKorean = 949;

// A message in English with its Korean twin (UTF-8).
struct TextTwin {
    std::string_view english;
    std::string_view korean;
};

// The one language rule of every window: 949 gives the Korean twin, anything else the English text.
constexpr std::string_view pickText(const TextTwin& twin, int messageLanguage) {
    return messageLanguage == kLanguageKorean ? twin.korean : twin.english;
}

}  // namespace hollin
