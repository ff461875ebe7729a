#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hollin::app {

// An environment variable's value; nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The language the windows start with: "--language en|ko" when `args` hold it (taken out of them),
// otherwise the locale's (LC_ALL, LC_MESSAGES, LANG read through `environment`). Nothing, with
// `error` saying why, when the option has no value or an unknown one.
std::optional<int> takeStartLanguage(std::vector<std::string>& args, const EnvironmentLookup& environment,
                                     std::string& error);

}  // namespace hollin::app
