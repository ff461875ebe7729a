#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"

namespace hollin::fonts {

// What the font windows need of the file system.
class FontFiles {
  public:
    virtual ~FontFiles() = default;

    struct Read {
        std::uint64_t size = 0;  // the file's size when it was opened
        Bytes bytes;             // what could be read of it, at most the limit asked for
    };
    // The file's size and up to `limit` of its bytes; nothing when it cannot be opened.
    virtual std::optional<Read> read(const std::string& path, std::uint64_t limit) = 0;
    enum class Written { Done, NotCreated, Failed };
    // Writes `bytes` under a temporary name beside `path` and renames it over `path` once complete:
    // NotCreated when the temporary file could not be created, Failed when a later step failed; an
    // existing file of that name is then unchanged.
    virtual Written replace(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
    // The ".ttf" files (any case) in `folder` and its sub-folders, as paths relative to it, sorted
    // ignoring case.
    virtual std::vector<std::string> trueTypeFiles(const std::string& folder) = 0;
};

// The machine's own files.
class SystemFontFiles final : public FontFiles {
  public:
    std::optional<Read> read(const std::string& path, std::uint64_t limit) override;
    Written replace(const std::string& path, std::span<const std::uint8_t> bytes) override;
    std::vector<std::string> trueTypeFiles(const std::string& folder) override;
};

// The folder the font manager opens on: HOLLIN_FONT_DIR when set, else /usr/share/fonts/truetype/,
// always ending in "/".
std::string defaultFontFolder();

}  // namespace hollin::fonts
