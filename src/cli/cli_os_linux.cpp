// hollinctl's files and terminal on Linux.
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/cli_os.h"

namespace hollin::cli {

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Creates or replaces the file with mode 0600 from its first byte on: a profile may hold keys.
bool writePrivateFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    std::size_t done = 0;
    while (ok && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && ok;
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
