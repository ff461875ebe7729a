#include "sim/fonts.h"

#include <algorithm>
#include <charconv>

#include "common/crc16.h"
#include "sim/cpcl_text.h"

namespace hollin::sim {
namespace {

using Body = std::span<const std::uint8_t>;

constexpr std::size_t kHeaderBytes = 32;
// The text part of a brace command ("3,A,F,1032," or "0,H,F}") is at most this long.
constexpr std::size_t kMaxBraceText = 32;

std::uint32_t le32(Body at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The download's text after the prefix: "<id>,A,<F|R>,<n>,".
struct DownloadText {
    int id = 0;
    int memory = 1;
    std::size_t blockBytes = 0;
    std::size_t textBytes = 0;
};

// Reads a decimal number at `at`, advancing it; nothing without a digit or past 9 digits.
std::optional<std::size_t> number(Body text, std::size_t& at) {
    std::size_t value = 0;
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 9)
        value = value * 10 + static_cast<std::size_t>(text[at++] - '0');
    if (at == start)
        return std::nullopt;
    return value;
}

// What the bytes after the prefix are: a download's text (complete), or nothing yet / not one.
enum class BraceKind { Incomplete, Download, Text, NoMatch };
BraceKind classify(Body rest, DownloadText& download) {
    std::size_t at = 0;
    const auto id = number(rest, at);
    if (!id)
        return rest.empty() || (rest.size() < 9 && at == rest.size()) ? BraceKind::Incomplete
                                                                      : BraceKind::NoMatch;
    if (at + 2 > rest.size())
        return BraceKind::Incomplete;
    if (rest[at] != ',')
        return BraceKind::NoMatch;
    if (rest[at + 1] != 'A')
        return BraceKind::Text;
    // "<id>,A,<m>,<n>,"
    if (at + 6 > rest.size())
        return BraceKind::Incomplete;
    if (rest[at + 2] != ',' || (rest[at + 3] != 'F' && rest[at + 3] != 'R') || rest[at + 4] != ',')
        return BraceKind::NoMatch;
    download.id = static_cast<int>(*id);
    download.memory = rest[at + 3] == 'F' ? 1 : 0;
    at += 5;
    const std::size_t sizeStart = at;
    const auto size = number(rest, at);
    if (at == rest.size())
        return at - sizeStart < 9 ? BraceKind::Incomplete : BraceKind::NoMatch;
    if (!size || rest[at] != ',')
        return BraceKind::NoMatch;
    download.blockBytes = *size;
    download.textBytes = at + 1;
    return BraceKind::Download;
}

// A brace command's body: a download's text, block and "}", or a short text up to "}".
BodyLength braceBody() {
    return [](Body rest) -> std::optional<std::size_t> {
        DownloadText download;
        switch (classify(rest, download)) {
            case BraceKind::Incomplete:
                return std::nullopt;
            case BraceKind::NoMatch:
                return kNoMatch;
            case BraceKind::Text: {
                const TextScan scan = scanText(rest, '}', kMaxBraceText);
                if (scan.status == TextScan::kComplete)
                    return scan.length;
                return scan.status == TextScan::kInvalid ? kNoMatch : std::optional<std::size_t>{};
            }
            case BraceKind::Download:
                break;
        }
        if (download.blockBytes > kMaxBlockBody)
            return kNoMatch;
        const std::size_t total = download.textBytes + download.blockBytes + 1;
        if (rest.size() < total)
            return std::nullopt;
        return total;
    };
}

std::string asString(Body bytes) {
    return {bytes.begin(), bytes.end()};
}

}  // namespace

std::uint32_t FontsState::used(int memory) const {
    std::uint32_t total = 0;
    for (const StoredFont& f : fonts)
        if (f.memory == memory)
            total += f.size;
    return total;
}

std::uint32_t FontsState::free(int memory) const {
    const std::uint32_t capacity = memory == 1 ? flashBytes : ramBytes;
    return capacity - std::min(capacity, used(memory));
}

void writeState(JsonObject& out, const FontsState& state) {
    JsonObject fonts;
    for (std::size_t i = 0; i < state.fonts.size(); ++i) {
        const StoredFont& f = state.fonts[i];
        fonts.object(std::to_string(i), JsonObject()
                                            .number("id", f.id)
                                            .text("memory", f.memory == 1 ? "flash" : "ram")
                                            .text("name", f.name)
                                            .number("size", f.size)
                                            .number("checksum", f.checksum));
    }
    out.object("fonts", JsonObject()
                            .object("stored", fonts)
                            .number("flash_free", state.free(1))
                            .number("flash_used", state.used(1))
                            .number("ram_free", state.free(0))
                            .number("ram_used", state.used(0)));
}

FontStore::FontStore(VirtualPrinter& printer, const int& emulation) : emulation_(emulation) {
    printer.addCommand({"", {0x1D, '{', 'W', ','}, braceBody(), [this](Body body, CommandContext& p) {
                            handleBrace(body, p);
                        }});
    printer.addCommand({"", Bytes{'!', ' ', 'U', '1', ' ', 'D', 'E', 'L', ' '},
                        textBody('\n', kMaxTextCommand), [this](Body body, CommandContext& p) {
                            std::string name = asString(body);
                            while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
                                name.pop_back();
                            p.log("font delete " + name);
                            deleteWhere(p, [&name](const StoredFont& f) { return f.name == name; });
                        }});
}

void FontStore::handleBrace(Body body, CommandContext& p) {
    const Body rest = body;
    DownloadText text0;
    if (classify(rest, text0) == BraceKind::Download) {
        download(rest, p);
        return;
    }
    const std::string text = asString(rest);
    if (text == "0,H,F}") {
        p.log("font directory");
        answerCpclDirectory(p);
    } else if (text == "0,M,F}") {
        p.log("font memory");
        answerZplMemory(p);
    } else if (text == "0,H,Z}") {
        p.log("font list");
        answerZplList(p);
    } else if (text.size() > 5 && text.ends_with(",C,F}")) {
        std::size_t at = 0;
        const auto id = number(rest, at);
        p.log("font delete id " + text.substr(0, text.size() - 5));
        if (!id || at != text.size() - 5) {
            p.note("rejected");
            return;
        }
        deleteWhere(p, [&id](const StoredFont& f) { return f.id == static_cast<int>(*id); });
    } else {
        p.log("font command");
        p.note("not understood");
    }
}

void FontStore::download(Body rest, CommandContext& p) {
    DownloadText text;
    classify(rest, text);
    const Body block = rest.subspan(text.textBytes, text.blockBytes);
    p.log("font download " + std::to_string(text.id));
    const bool headerOk = block.size() >= kHeaderBytes && block[0] == 0x04 && block[1] == 0x20 &&
                          (block[2] | block[3] << 8) == text.id && le32(block.subspan(24)) == block.size() &&
                          le32(block.subspan(28)) == kHeaderBytes;
    if (!headerOk || rest[text.textBytes + text.blockBytes] != '}' || (emulation_ != 1 && emulation_ != 3)) {
        p.note("rejected");
        return;
    }
    StoredFont font;
    font.id = text.id;
    font.memory = text.memory;
    const Body nameField = block.subspan(4, 16);
    font.name =
        asString(nameField.first(std::find(nameField.begin(), nameField.end(), 0) - nameField.begin()));
    const Body bytes = block.subspan(kHeaderBytes);
    font.size = static_cast<std::uint32_t>(bytes.size());
    font.checksum = itemCrc(bytes);
    std::erase_if(state.fonts,
                  [&font](const StoredFont& f) { return f.id == font.id || f.name == font.name; });
    if (font.size > state.free(font.memory)) {
        p.note("no room");
        return;
    }
    p.amendLog(" " + font.name);
    state.fonts.push_back(std::move(font));
}

void FontStore::answerCpclDirectory(CommandContext& p) {
    std::string text = "Directory\r\n";
    for (const StoredFont& f : state.fonts)
        text += f.name + " " + std::to_string(f.size) + "\r\n";
    text += std::to_string(state.free(1)) + " bytes free\r\n";
    p.reply(Bytes(text.begin(), text.end()));
}

void FontStore::answerZplMemory(CommandContext& p) {
    const std::string text =
        "{RW,0,M,F|" + std::to_string(state.free(1)) + "," + std::to_string(state.used(1)) + "|}";
    p.reply(Bytes(text.begin(), text.end()));
}

void FontStore::answerZplList(CommandContext& p) {
    std::string text = "{RW,0,H,Z";
    for (const StoredFont& f : state.fonts)
        text += "|" + std::to_string(f.id) + "," + f.name + "," + std::to_string(f.size);
    text += "|}";
    p.reply(Bytes(text.begin(), text.end()));
}

void FontStore::deleteWhere(CommandContext& p, const std::function<bool(const StoredFont&)>& match) {
    if (std::erase_if(state.fonts, match) == 0)
        p.note("no such font");
}

}  // namespace hollin::sim
