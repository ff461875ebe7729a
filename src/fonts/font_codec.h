#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"

// TrueType fonts for CPCL and ZPL printers: the envelope a font travels in, the commands that read
// and delete the fonts a printer holds, and the readers of its answers. Pure functions only.
namespace hollin::fonts {

enum class FontMemory { Ram = 0, Flash = 1 };

// A font file is accepted from 225 bytes (the stream's font part, size + 32, above 256) up to
// 4 194 272 bytes (size + 32 at most 4 MiB).
inline constexpr std::uint64_t kMinFontBytes = 225;
inline constexpr std::uint64_t kMaxFontBytes = 4194272;
bool fontSizeAccepted(std::uint64_t size);

// The header's name for a font file: its base name cut at the first ".ttf", else the first ".TTF",
// else the first ".", else taken whole; then at most 16 bytes, never splitting a UTF-8 sequence.
inline constexpr std::size_t kFontNameBytes = 16;
std::string fontNameFromFileName(std::string_view fileName);

// The 32-byte little-endian header: 04 20, the ID (2 bytes), the name zero-padded to 16 bytes,
// 00 01 00 00, the font's size + 32 (4 bytes), 32 (4 bytes).
inline constexpr std::size_t kFontHeaderBytes = 32;
std::array<std::uint8_t, kFontHeaderBytes> fontHeader(int fontId, std::string_view name,
                                                      std::uint32_t fontSize);

// GS "{W,<id>,A,F,<size + 32>," (Flash) or with "R" (RAM).
Bytes fontDownloadCommand(int fontId, FontMemory memory, std::uint32_t fontSize);

// The whole download: the command, the header, the font's bytes unchanged and "}". A ".tfd" file
// holds exactly these bytes.
Bytes fontDownloadStream(int fontId, FontMemory memory, std::string_view name,
                         std::span<const std::uint8_t> font);

// The stream goes out in slices of total / 10 bytes (an eleventh, shorter one for the rest), the
// progress bar advancing 10 with each.
struct FontSlice {
    std::size_t offset = 0;
    std::size_t length = 0;
    int progress = 0;  // the bar's position once this slice is sent
};
std::vector<FontSlice> fontSlicePlan(std::size_t total);

// The save dialog's name as the file written: ".tfd" appended unless it occurs anywhere in it.
std::string tfdFileName(std::string_view chosen);

// --- the fonts a printer holds
Bytes cpclDirectoryRequest();  // GS "{W,0,H,F}"
Bytes zplMemoryRequest();      // GS "{W,0,M,F}"
Bytes zplFontListRequest();    // GS "{W,0,H,Z}"
// "! U1 DEL <name>" CR LF, the name exactly as the printer listed it; nothing for a name holding a
// control byte (below 20 hex, or 7F), which the printer would take for more than a name.
std::optional<Bytes> cpclDeleteCommand(std::string_view name);
// GS "{W,<id>,C,F}"
Bytes zplDeleteCommand(std::uint32_t fontId);

struct PrinterFontEntry {
    std::uint32_t id = 0;  // always 0 on a CPCL printer
    std::string name;      // the printer's bytes, as listed
    std::uint32_t size = 0;
    bool operator==(const PrinterFontEntry&) const = default;
};
// At most this many entries are kept from one listing.
inline constexpr std::size_t kMaxFontEntries = 100;

struct CpclDirectory {
    std::vector<PrinterFontEntry> entries;
    std::uint32_t used = 0;             // the sizes listed, added up (saturating)
    std::optional<std::uint32_t> free;  // the free-memory figure, when the listing reached it
};
// The CPCL directory: tokens at blanks, CR and LF; "Directory" first (or second after a
// one-character token), then name and size pairs until a token made only of digits, the free memory.
// A name without its size is dropped. Nothing when the signature is missing.
std::optional<CpclDirectory> parseCpclDirectory(std::span<const std::uint8_t> reply);

struct ZplMemory {
    std::uint32_t free = 0;
    std::uint32_t used = 0;
};
// "{", "W", "0", "M", "F" at bytes 0, 2, 4, 6, 8 (the bytes between unread); pieces at "|" and LF after the
// first; the last of at least 5 bytes gives free and used, its first two fields at "," and LF (a missing one
// is 0; no such piece: both 0). Nothing when the signature is missing.
std::optional<ZplMemory> parseZplMemory(std::span<const std::uint8_t> reply);
// "H" and "Z" at bytes 6 and 8 likewise; every later piece of at least 5 bytes is one entry "id,name,size";
// an entry of fewer than three fields is skipped.
std::optional<std::vector<PrinterFontEntry>> parseZplFontList(std::span<const std::uint8_t> reply);

// The list's line "%3d %16s %10d": the name shown as UTF-8 when valid, else Latin-1, cut to 19
// characters.
inline constexpr std::size_t kShownNameChars = 19;
std::string fontListLine(const PrinterFontEntry& entry);

}  // namespace hollin::fonts
