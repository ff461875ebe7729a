#include "fonts/font_operations.h"

#include <algorithm>

#include "transport/emulation.h"

namespace hollin::fonts {

std::optional<Bytes> collectFontReply(ByteChannel& channel) {
    const std::size_t piece = channel.replyPieceBytes();
    Bytes reply;
    Bytes buffer(piece);
    int idle = 0;
    while (reply.size() < kFontReplyBytes) {
        const std::size_t room = std::min(piece, kFontReplyBytes - reply.size());
        const int n = channel.receive(std::span(buffer).first(room));
        if (n > 0) {
            reply.insert(reply.end(), buffer.begin(), buffer.begin() + std::min<std::size_t>(n, room));
            idle = 0;
            continue;
        }
        channel.clock().sleepMs(kFontIdlePollMs);
        ++idle;
        if (!reply.empty() && idle >= kFontQuietPolls)
            break;
        if (reply.empty() && idle >= kFontSilentPolls)
            return std::nullopt;
    }
    return reply;
}

namespace {

// Sends a request and collects its answer; the outcome when either failed.
std::optional<Bytes> ask(ByteChannel& channel, const Bytes& request, FontDirectoryResult& result) {
    if (!channel.send(request)) {
        result.outcome = Outcome::NotSent;
        return std::nullopt;
    }
    auto reply = collectFontReply(channel);
    if (!reply)
        result.outcome = Outcome::NoResponse;
    return reply;
}

void readCpcl(ByteChannel& channel, FontDirectoryResult& result) {
    const auto reply = ask(channel, cpclDirectoryRequest(), result);
    if (!reply)
        return;
    auto directory = parseCpclDirectory(*reply);
    if (!directory) {
        result.outcome = Outcome::BadReply;
        return;
    }
    result.entries = std::move(directory->entries);
    if (directory->free) {
        result.free = directory->free;
        result.used = directory->used;
    }
}

void readZpl(ByteChannel& channel, FontDirectoryResult& result) {
    const auto memoryReply = ask(channel, zplMemoryRequest(), result);
    if (!memoryReply)
        return;
    const auto memory = parseZplMemory(*memoryReply);
    if (!memory) {
        result.outcome = Outcome::BadReply;
        return;
    }
    result.free = memory->free;
    result.used = memory->used;
    const auto listReply = ask(channel, zplFontListRequest(), result);
    if (!listReply)
        return;
    auto entries = parseZplFontList(*listReply);
    if (!entries) {
        result.outcome = Outcome::BadReply;
        return;
    }
    result.entries = std::move(*entries);
}

}  // namespace

FontDirectoryResult readPrinterFonts(ByteChannel& channel, int emulationKind) {
    FontDirectoryResult result;
    if (emulationKind == kCpcl)
        readCpcl(channel, result);
    else if (emulationKind == kZpl)
        readZpl(channel, result);
    else
        result.outcome = Outcome::Unsupported;
    return result;
}

Outcome deletePrinterFont(ByteChannel& channel, int emulationKind, const PrinterFontEntry& entry) {
    std::optional<Bytes> command;
    if (emulationKind == kCpcl)
        command = cpclDeleteCommand(entry.name);
    else if (emulationKind == kZpl)
        command = zplDeleteCommand(entry.id);
    else
        return Outcome::Unsupported;
    if (!command)
        return Outcome::Refused;
    return channel.send(*command) ? Outcome::Done : Outcome::NotSent;
}

std::optional<Bytes> buildFontDownload(FontFiles& files, const FontSelection& selection) {
    const auto font = files.read(selection.path, kMaxFontBytes + 1);
    if (!font || !fontSizeAccepted(font->size) || font->bytes.size() != font->size)
        return std::nullopt;
    return fontDownloadStream(selection.fontId, selection.memory, fontNameFromFileName(selection.fileName),
                              font->bytes);
}

SavedStream rereadFontStream(FontFiles& files, const std::string& path, std::size_t expectedSize) {
    SavedStream saved;
    auto read = files.read(path, static_cast<std::uint64_t>(expectedSize) + 1);
    if (!read) {
        saved.status = SavedStream::Status::Missing;
        return saved;
    }
    if (read->size != expectedSize || read->bytes.size() != expectedSize) {
        saved.status = SavedStream::Status::WrongSize;
        return saved;
    }
    saved.bytes = std::move(read->bytes);
    return saved;
}

bool sendFontStream(const std::function<bool(std::span<const std::uint8_t>)>& send,
                    std::span<const std::uint8_t> stream, const std::function<void(int)>& progress) {
    for (const FontSlice& slice : fontSlicePlan(stream.size())) {
        if (!send(stream.subspan(slice.offset, slice.length)))
            return false;
        if (progress)
            progress(slice.progress);
    }
    return true;
}

}  // namespace hollin::fonts
