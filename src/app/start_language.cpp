#include "app/start_language.h"

#include "common/text_twin.h"

namespace hollin::app {

std::optional<int> takeStartLanguage(std::vector<std::string>& args, const EnvironmentLookup& environment,
                                     std::string& error) {
    std::optional<int> chosen;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--language") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "--language needs a value (en or ko)";
            return std::nullopt;
        }
        chosen = messageLanguageNamed(args[++i]);
        if (!chosen) {
            error = "unknown language: " + args[i] + " (en or ko)";
            return std::nullopt;
        }
    }
    args = std::move(rest);
    if (chosen)
        return chosen;
    const auto value = [&](const char* name) { return environment(name).value_or(std::string()); };
    return messageLanguageForLocale(value("LC_ALL"), value("LC_MESSAGES"), value("LANG"));
}

}  // namespace hollin::app
