#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "fonts/font_files.h"
#include "platform/private_file.h"

namespace hollin::fonts {
namespace {

// Closes a descriptor on every path.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool endsWithTtf(const std::string& name) {
    return name.size() >= 4 && ::strcasecmp(name.c_str() + name.size() - 4, ".ttf") == 0;
}

}  // namespace

std::optional<FontFiles::Read> SystemFontFiles::read(const std::string& path, std::uint64_t limit) {
    // Only a regular file is opened, and without waiting: a FIFO or a device of that name would hold
    // the window until someone wrote to it.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    Fd file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    Read result;
    result.size = static_cast<std::uint64_t>(info.st_size);
    result.bytes.resize(static_cast<std::size_t>(std::min(result.size, limit)));
    std::size_t done = 0;
    while (done < result.bytes.size()) {
        const ssize_t n = ::read(file.fd, result.bytes.data() + done, result.bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    result.bytes.resize(done);
    return result;
}

FontFiles::Written SystemFontFiles::replace(const std::string& path, std::span<const std::uint8_t> bytes) {
    switch (replaceFile(path, bytes, FileAccess::Shared)) {
        case FileWrite::Done:
            return Written::Done;
        case FileWrite::NotCreated:
            return Written::NotCreated;
        default:
            return Written::Failed;
    }
}

std::vector<std::string> SystemFontFiles::trueTypeFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    const fs::path root(folder);
    // Links to folders are not followed, so the walk ends; it looks at no file's contents.
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
    std::size_t visited = 0;
    for (; !error && it != end && visited < kFontWalkEntries; it.increment(error), ++visited) {
        if (it.depth() >= kFontWalkDepth)
            it.disable_recursion_pending();
        if (it->is_regular_file(error) && endsWithTtf(it->path().filename().string()))
            names.push_back(it->path().lexically_relative(root).string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = ::strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

std::string defaultFontFolder() {
    const char* set = std::getenv("HOLLIN_FONT_DIR");
    std::string folder = set != nullptr && *set != '\0' ? set : "/usr/share/fonts/truetype/";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

}  // namespace hollin::fonts
