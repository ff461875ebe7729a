#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace hollin {

// Writes all of `bytes` to the open descriptor `fd`, again after an interruption; false when it could
// not.
bool writeWhole(int fd, std::span<const std::uint8_t> bytes);

// Who may read a file the programs write: anyone the umask lets (mode 0666 less the umask), or its
// owner only (mode 0600).
enum class FileAccess { Shared, Private };

enum class FileWrite {
    Done,
    NotCreated,  // no file could be created beside the target
    Failed,      // a later step failed; the target is as it was
};

// Every file the programs write is written whole or not at all: `bytes` go into a new file beside
// `path`, under a name no one can foresee, created exclusively and never through a link, with its
// final mode from the first byte on; it is then renamed over `path`. A link at `path` is replaced by
// the file; what it pointed to is left alone.
FileWrite replaceFile(const std::string& path, std::span<const std::uint8_t> bytes, FileAccess access);

// replaceFile with FileAccess::Private; false when it could not be written whole.
bool writePrivateFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace hollin
