#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/private_file.h"
#include "wificodec/settings_ini.h"

namespace hollin::wifi {
namespace {

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

class SystemSettingsFile final : public SettingsFile {
  public:
    explicit SystemSettingsFile(std::string path) : path_(std::move(path)) {}

    std::optional<std::string> read() override {
        Fd file{::open(path_.c_str(), O_RDONLY | O_CLOEXEC)};
        struct stat info {};
        if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
            return std::nullopt;
        std::string text;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return std::nullopt;
            if (n == 0)
                return text;
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }

    bool replace(std::string_view text) override {
        // A link is followed: the file it names is the one replaced, the link stays.
        char resolved[PATH_MAX];
        const std::string target = ::realpath(path_.c_str(), resolved) ? std::string(resolved) : path_;
        struct stat info {};
        if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            return false;
        const std::string temporary = target + ".part" + std::to_string(::getpid());
        bool written = false;
        {
            Fd file{::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)};
            if (file.fd < 0)
                return false;
            written = ::fchmod(file.fd, info.st_mode & 07777) == 0 &&
                      writeWhole(file.fd, std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                                    text.size())) &&
                      ::fsync(file.fd) == 0;
            const int fd = file.fd;
            file.fd = -1;
            written = ::close(fd) == 0 && written;
        }
        if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        return true;
    }

  private:
    std::string path_;
};

}  // namespace

std::unique_ptr<SettingsFile> makeSystemSettingsFile(std::string path) {
    return std::make_unique<SystemSettingsFile>(std::move(path));
}

std::unique_ptr<SettingsFile> makeSystemSettingsFile() {
    const char* path = std::getenv("HOLLIN_EXPORT_INI");
    return makeSystemSettingsFile(path && *path ? std::string(path) : std::string(kExportFileName));
}

}  // namespace hollin::wifi
