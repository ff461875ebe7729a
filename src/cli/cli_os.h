#pragma once

#include <optional>
#include <string>
#include <string_view>

// What hollinctl's main needs of the operating system beyond the printer's links.
namespace hollin::cli {

std::optional<std::string> readWholeFile(const std::string& path);
// Creates or replaces the file, mode 0600 from its first byte on; false when it could not be written whole.
bool writePrivateFile(const std::string& path, const std::string& text);
bool standardErrorIsTerminal();
// The progress line on standard error, rewritten in place; the last one ends its line.
void progressLine(std::string_view what, int percent);

}  // namespace hollin::cli
