#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/private_file.h"

namespace hollin {
namespace {

constexpr int kNameAttempts = 100;

// "<folder>/.<name>." followed by random letters: the temporary file's name beside `path`.
std::string temporaryName(const std::string& path, std::mt19937_64& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string out = folder + "." + name + ".";
    for (int i = 0; i < 12; ++i)
        out += kLetters[random() % (sizeof kLetters - 1)];
    return out;
}

// A new file beside `path`, opened for writing; -1 when none could be made.
int createTemporary(const std::string& path, FileAccess access, std::string& name) {
    std::random_device device;
    std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^ device());
    const mode_t mode = access == FileAccess::Private ? 0600 : 0666;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = temporaryName(path, random);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

}  // namespace

bool writeWhole(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

FileWrite replaceFile(const std::string& path, std::span<const std::uint8_t> bytes, FileAccess access) {
    std::string temporary;
    const int fd = createTemporary(path, access, temporary);
    if (fd < 0)
        return FileWrite::NotCreated;
    // The umask may take more than the group's and others' bits; a private file is its owner's.
    bool written = (access != FileAccess::Private || ::fchmod(fd, 0600) == 0) && writeWhole(fd, bytes) &&
                   ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return FileWrite::Failed;
    }
    return FileWrite::Done;
}

bool writePrivateFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    return replaceFile(path, bytes, FileAccess::Private) == FileWrite::Done;
}

}  // namespace hollin
