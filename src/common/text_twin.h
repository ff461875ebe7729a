#pragma once

#include <optional>
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

// The language every window starts with: English unless the program's start chose another
// (setStartMessageLanguage, from the user's locale or --language).
int startMessageLanguage();
void setStartMessageLanguage(int messageLanguage);

// The language a locale asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty decides (as for the C library's messages); one beginning "ko" gives 949, anything else 1252.
int messageLanguageForLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang);

// The language an option's value names: "en" 1252, "ko" 949; nothing for any other value.
std::optional<int> messageLanguageNamed(std::string_view name);

}  // namespace hollin
