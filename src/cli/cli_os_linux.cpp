// hollinctl's files and terminal on Linux.
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/cli_os.h"
#include "platform/private_file.h"

namespace hollin::cli {

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A profile may hold keys: mode 0600 from its first byte on.
bool writePrivateFile(const std::string& path, const std::string& text) {
    return hollin::writePrivateFile(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// "hollinctl: font download 40%" rewritten in place on the terminal; the last one ends its line.
void progressLine(std::string_view what, int percent) {
    std::fprintf(stderr, "\rhollinctl: %.*s %3d%%%s", static_cast<int>(what.size()), what.data(), percent,
                 percent >= 100 ? "\n" : "");
    std::fflush(stderr);
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace hollin::cli
