#include "fonts/font_codec.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "common/device_text.h"

namespace hollin::fonts {
namespace {

constexpr std::uint8_t kGs = 0x1D;
constexpr std::uint32_t kMax32 = std::numeric_limits<std::uint32_t>::max();

Bytes gsText(std::string_view text) {
    Bytes out(text.size() + 1);
    out[0] = kGs;
    std::copy(text.begin(), text.end(), out.begin() + 1);
    return out;
}

void putLe(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t addSaturating(std::uint32_t a, std::uint32_t b) {
    return b > kMax32 - a ? kMax32 : a + b;
}

// The leading decimal digits of a field (after blanks), saturating at 32 bits; 0 without any.
std::uint32_t leadingDecimal(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    std::uint64_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(field[i] - '0'), kMax32);
    return static_cast<std::uint32_t>(value);
}

bool allDigits(std::string_view token) {
    return !token.empty() &&
           std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The non-empty pieces of `text` between any of `separators`.
std::vector<std::string_view> split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::string_view asText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// A ZPL reply's signature: "{" at byte 0, "W" at 2, "0" at 4, then `a` at 6 and `b` at 8.
bool zplSignature(std::string_view reply, char a, char b) {
    return reply.size() > 8 && reply[0] == '{' && reply[2] == 'W' && reply[4] == '0' && reply[6] == a &&
           reply[8] == b;
}

// The pieces after the first, at "|" and LF, of at least 5 bytes.
std::vector<std::string_view> zplDataPieces(std::string_view reply) {
    auto pieces = split(reply, "|\n");
    std::vector<std::string_view> data;
    for (std::size_t i = 1; i < pieces.size(); ++i)
        if (pieces[i].size() >= 5)
            data.push_back(pieces[i]);
    return data;
}

// The longest prefix of `text` of at most `limit` bytes that does not end inside a UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t n = limit;
    while (n > 0 && (static_cast<std::uint8_t>(text[n]) & 0xC0) == 0x80)
        --n;
    return text.substr(0, n);
}

}  // namespace

bool fontSizeAccepted(std::uint64_t size) {
    return size >= kMinFontBytes && size <= kMaxFontBytes;
}

std::string fontNameFromFileName(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    std::size_t cut = name.find(".ttf");
    if (cut == std::string_view::npos)
        cut = name.find(".TTF");
    if (cut == std::string_view::npos)
        cut = name.find('.');
    if (cut != std::string_view::npos)
        name = name.substr(0, cut);
    return std::string(utf8Prefix(name, kFontNameBytes));
}

std::array<std::uint8_t, kFontHeaderBytes> fontHeader(int fontId, std::string_view name,
                                                      std::uint32_t fontSize) {
    std::array<std::uint8_t, kFontHeaderBytes> header{};
    header[0] = 0x04;
    header[1] = 0x20;
    putLe(&header[2], static_cast<std::uint32_t>(fontId), 2);
    const std::string_view shown = name.substr(0, std::min(name.size(), kFontNameBytes));
    std::copy(shown.begin(), shown.end(), header.begin() + 4);
    header[21] = 0x01;
    putLe(&header[24], fontSize + static_cast<std::uint32_t>(kFontHeaderBytes), 4);
    putLe(&header[28], static_cast<std::uint32_t>(kFontHeaderBytes), 4);
    return header;
}

Bytes fontDownloadCommand(int fontId, FontMemory memory, std::uint32_t fontSize) {
    char text[48];
    std::snprintf(text, sizeof text, "{W,%d,A,%c,%u,", fontId, memory == FontMemory::Flash ? 'F' : 'R',
                  fontSize + static_cast<std::uint32_t>(kFontHeaderBytes));
    return gsText(text);
}

Bytes fontDownloadStream(int fontId, FontMemory memory, std::string_view name,
                         std::span<const std::uint8_t> font) {
    const auto size = static_cast<std::uint32_t>(font.size());
    Bytes stream = fontDownloadCommand(fontId, memory, size);
    const auto header = fontHeader(fontId, name, size);
    stream.reserve(stream.size() + header.size() + font.size() + 1);
    stream.insert(stream.end(), header.begin(), header.end());
    stream.insert(stream.end(), font.begin(), font.end());
    stream.push_back('}');
    return stream;
}

std::vector<FontSlice> fontSlicePlan(std::size_t total) {
    std::vector<FontSlice> plan;
    const std::size_t slice = std::max<std::size_t>(total / 10, 1);
    int progress = 0;
    for (std::size_t offset = 0; offset < total;) {
        const std::size_t length = std::min(slice, total - offset);
        progress += 10;
        plan.push_back({offset, length, progress});
        offset += length;
    }
    return plan;
}

std::string tfdFileName(std::string_view chosen) {
    std::string name(chosen);
    if (name.find(".tfd") == std::string::npos)
        name += ".tfd";
    return name;
}

Bytes cpclDirectoryRequest() {
    return gsText("{W,0,H,F}");
}

Bytes zplMemoryRequest() {
    return gsText("{W,0,M,F}");
}

Bytes zplFontListRequest() {
    return gsText("{W,0,H,Z}");
}

std::optional<Bytes> cpclDeleteCommand(std::string_view name) {
    if (std::any_of(name.begin(), name.end(), [](char c) {
            const auto b = static_cast<std::uint8_t>(c);
            return b < 0x20 || b == 0x7F;
        }))
        return std::nullopt;
    const std::string text = "! U1 DEL " + std::string(name) + "\r\n";
    return Bytes(text.begin(), text.end());
}

Bytes zplDeleteCommand(std::uint32_t fontId) {
    return gsText("{W," + std::to_string(fontId) + ",C,F}");
}

std::optional<CpclDirectory> parseCpclDirectory(std::span<const std::uint8_t> reply) {
    const auto tokens = split(asText(reply), " \r\n");
    std::size_t next = 0;
    if (!tokens.empty() && tokens[0].size() == 1)
        next = 1;
    if (next >= tokens.size() || !tokens[next].starts_with("Directory"))
        return std::nullopt;
    ++next;
    CpclDirectory directory;
    while (next < tokens.size()) {
        const std::string_view token = tokens[next++];
        if (allDigits(token)) {
            directory.free = leadingDecimal(token);
            break;
        }
        if (next >= tokens.size())
            break;  // a name without its size
        const std::uint32_t size = leadingDecimal(tokens[next++]);
        if (directory.entries.size() < kMaxFontEntries) {
            directory.entries.push_back({0, std::string(token), size});
            directory.used = addSaturating(directory.used, size);
        }
    }
    return directory;
}

std::optional<ZplMemory> parseZplMemory(std::span<const std::uint8_t> reply) {
    const std::string_view text = asText(reply);
    if (!zplSignature(text, 'M', 'F'))
        return std::nullopt;
    const auto pieces = zplDataPieces(text);
    ZplMemory memory;
    if (pieces.empty())
        return memory;
    const auto fields = split(pieces.back(), ",\n");
    if (!fields.empty())
        memory.free = leadingDecimal(fields[0]);
    if (fields.size() > 1)
        memory.used = leadingDecimal(fields[1]);
    return memory;
}

std::optional<std::vector<PrinterFontEntry>> parseZplFontList(std::span<const std::uint8_t> reply) {
    const std::string_view text = asText(reply);
    if (!zplSignature(text, 'H', 'Z'))
        return std::nullopt;
    std::vector<PrinterFontEntry> entries;
    for (const std::string_view piece : zplDataPieces(text)) {
        const auto fields = split(piece, ",\n");
        if (fields.size() < 3 || entries.size() >= kMaxFontEntries)
            continue;
        entries.push_back({leadingDecimal(fields[0]), std::string(fields[1]), leadingDecimal(fields[2])});
    }
    return entries;
}

std::string fontListLine(const PrinterFontEntry& entry) {
    const std::string name = deviceText(asBytes(entry.name));
    // Cut at 19 characters and right-aligned in 16, counting a UTF-8 sequence as one character.
    std::size_t end = 0;
    std::size_t chars = 0;
    for (; end < name.size() && chars < kShownNameChars; ++chars) {
        ++end;
        while (end < name.size() && (static_cast<std::uint8_t>(name[end]) & 0xC0) == 0x80)
            ++end;
    }
    char id[16];
    char size[16];
    std::snprintf(id, sizeof id, "%3u", entry.id);
    std::snprintf(size, sizeof size, "%10u", entry.size);
    const std::size_t pad = chars < 16 ? 16 - chars : 0;
    return std::string(id) + " " + std::string(pad, ' ') + name.substr(0, end) + " " + size;
}

}  // namespace hollin::fonts
