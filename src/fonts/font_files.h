#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"

namespace hollin::fonts {

// How far the font folder's listing looks: sub-folder levels below the folder, and names in all.
inline constexpr int kFontWalkDepth = 4;
inline constexpr std::size_t kFontWalkEntries = 20000;

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
    // Writes `bytes` into a new file beside `path` (an unforeseeable name, created exclusively, never
    // through a link, mode from the umask) and renames it over `path` once complete: NotCreated when
    // that file could not be created, Failed when a later step failed; an existing file of that name
    // is then unchanged.
    virtual Written replace(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
    // The regular ".ttf" files (any case) in `folder` and its sub-folders down to kFontWalkDepth
    // levels, as paths relative to it, sorted ignoring case. The walk looks at no more than
    // kFontWalkEntries names, so a folder as large as "/" lists quickly (in part) rather than holding
    // the window.
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
