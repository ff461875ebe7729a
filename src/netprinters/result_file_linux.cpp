#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "netprinters/result_file.h"
#include "platform/private_file.h"

namespace hollin::wifi {
namespace {

// Makes every missing folder of `path`'s parent, mode 0700.
void makeParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

}  // namespace

std::string defaultResultFilePath() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
        return std::string(state) + "/hollin/result.out";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/.local/state/hollin/result.out";
    return {};
}

bool writeResultFile(const std::string& path, const WifiSettingsRecord& record) {
    if (path.empty())
        return false;
    makeParents(path);
    return writePrivateFile(path, record.bytes());
}

std::optional<WifiSettingsRecord> readResultFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::array<std::uint8_t, WifiSettingsRecord::kSize> bytes{};
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done < bytes.size())
        return std::nullopt;
    return WifiSettingsRecord::fromBytes(bytes);
}

}  // namespace hollin::wifi
