#include "common/text_twin.h"

#include <atomic>

namespace hollin {

namespace {

std::atomic<int> startLanguage{kLanguageEnglish};

}  // namespace

int startMessageLanguage() {
    return startLanguage.load();
}

void setStartMessageLanguage(int messageLanguage) {
    startLanguage.store(messageLanguage);
}

int messageLanguageForLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang) {
    const std::string_view locale = !lcAll.empty() ? lcAll : !lcMessages.empty() ? lcMessages : lang;
    return locale.starts_with("ko") ? kLanguageKorean : kLanguageEnglish;
}

std::optional<int> messageLanguageNamed(std::string_view name) {
    if (name == "en")
        return kLanguageEnglish;
    if (name == "ko")
        return kLanguageKorean;
    return std::nullopt;
}

}  // namespace hollin
