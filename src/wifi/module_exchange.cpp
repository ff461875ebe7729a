#include "wifi/module_exchange.h"

#include <algorithm>
#include <string>

#include "link/link.h"

namespace hollin::wifi {
namespace {

constexpr std::uint32_t kUsbLineRate = 115200;

bool endsWithCrLf(std::span<const std::uint8_t> reply, std::size_t) {
    return endsWith(reply, "\r\n");
}

// The identification as a trace shows it: printable characters, others as '.'.
std::string printable(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes)
        text += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
    return text;
}

std::string groupItemText(const ModuleParameter& p) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[p.group >> 4], kDigits[p.group & 15], ' ', kDigits[p.item >> 4], kDigits[p.item & 15]};
}

}  // namespace

ModuleExchange::ModuleExchange(Clock& clock) : clock_(clock) {}

bool ModuleExchange::serial() const {
    return link_ != nullptr && link_->hasLineRate();
}

void ModuleExchange::trace(std::string_view line) {
    if (trace_)
        trace_(line);
}

bool ModuleExchange::send(std::span<const std::uint8_t> bytes) {
    if (link_ == nullptr)
        return false;
    link_->Write(bytes);
    return link_->lastWriteDelivered();
}

int ModuleExchange::readChunk(std::span<std::uint8_t> buffer) {
    return link_ != nullptr ? link_->Read(buffer) : 0;
}

void ModuleExchange::pause() {
    if (link_ != nullptr)
        link_->waitReadable(kPauseMs);
    else
        clock_.sleepMs(kPauseMs);
}

std::uint32_t ModuleExchange::bufferTimeMs(std::size_t bytes) const {
    const std::uint32_t rate = serial() ? std::max<std::uint32_t>(baud_, 1) : kUsbLineRate;
    // Ten bits a byte on the line.
    return static_cast<std::uint32_t>(bytes * 10 * 1000 / rate) + 1;
}

void ModuleExchange::collect(ModuleReply& reply, std::uint32_t startMs, std::uint32_t deadlineMs,
                             const ReadRule& rule, const Progress& progress) {
    const std::size_t chunkSize = serial() ? rule.serialChunk : rule.usbChunk;
    Bytes chunk(chunkSize);
    int empty = 0;
    while (reply.bytes.size() < rule.buffer) {
        const std::size_t room = std::min(chunkSize, rule.buffer - reply.bytes.size());
        const int n = readChunk(std::span<std::uint8_t>(chunk.data(), room));
        if (n > 0) {
            const auto got = std::min<std::size_t>(static_cast<std::size_t>(n), room);
            reply.bytes.insert(reply.bytes.end(), chunk.begin(),
                               chunk.begin() + static_cast<std::ptrdiff_t>(got));
            if (!rule.countInAll)
                empty = 0;
            if (progress && rule.progress && rule.progressAfterChunk)
                progress(rule.progress(empty));
            if (rule.done(reply.bytes, got))
                return;
        } else {
            ++empty;
            ++reply.emptyReads;
            if (progress && rule.progress)
                progress(rule.progress(empty));
            if (empty > rule.giveUp) {
                reply.timedOut = true;
                return;
            }
            pause();
        }
        if (elapsedMs(startMs, clock_.tickMs()) > deadlineMs) {
            reply.timedOut = true;
            trace("module: overall deadline passed");
            return;
        }
    }
}

ModuleReply ModuleExchange::exchange(std::string_view what, std::span<const std::uint8_t> command,
                                     std::uint32_t waitMs, const ReadRule& rule, const Progress& progress) {
    ModuleReply reply;
    if (!ispModeOn_) {
        trace(std::string("module: ") + std::string(what) + " not sent, ISP mode is off");
        return reply;
    }
    const std::uint32_t start = clock_.tickMs();
    reply.sent = send(command);
    if (!reply.sent) {
        trace(std::string("module: ") + std::string(what) + " not sent");
        return reply;
    }
    // The module's answer time starts once the command is out: a wake-up pause, a slow write or a USB
    // reconnection before that takes none of it.
    const std::uint32_t written = clock_.tickMs();
    if (waitMs > 0)
        clock_.sleepMs(waitMs);
    if (progress)
        progress(0);
    const std::uint32_t deadline =
        waitMs + static_cast<std::uint32_t>(rule.giveUp + 1) * kPauseMs + bufferTimeMs(rule.buffer);
    collect(reply, written, deadline, rule, progress);
    trace("module: " + std::string(what) + ": " + std::to_string(reply.bytes.size()) + " bytes" +
          (replyGood(reply.bytes, false) ? ", 701" : "") + (reply.timedOut ? ", gave up" : "") + ", " +
          std::to_string(reply.emptyReads) + " empty reads, " +
          std::to_string(elapsedMs(start, clock_.tickMs())) + " ms");
    return reply;
}

ModuleReply ModuleExchange::passThrough(std::string_view what, std::string_view text, std::uint32_t waitMs,
                                        const ReadRule& rule) {
    const auto command = passThroughCommand(text);
    if (!command)
        return {};
    return exchange(what, *command, waitMs, rule);
}

ModuleReply ModuleExchange::enterIspMode(ModuleKind& kind) {
    const Bytes command = enterIspCommand();
    ispModeOn_ = true;  // the entry itself is the one command sent while it is still off
    const ReadRule rule{256, 256, kIdentificationBytes, kIspGiveUp, false, endsWithCrLf, {}};
    ModuleReply reply = exchange("enter ISP mode", command, serial() ? kIspWaitMs : 0, rule);
    if (!reply.received()) {
        if (reply.sent)
            leaveIspMode();
        ispModeOn_ = false;
        return reply;
    }
    kind = moduleKindFromIdentification(reply.bytes);
    trace("module: identification \"" + printable(reply.bytes) + "\", kind " +
          std::string(moduleKindName(kind)));
    return reply;
}

bool ModuleExchange::leaveIspMode() {
    const bool sent = send(leaveIspCommand());
    ispModeOn_ = false;
    if (sent && serial())
        clock_.sleepMs(kIspLeaveWaitMs);
    trace(sent ? "module: left ISP mode" : "module: leave ISP mode not sent");
    return sent;
}

ModuleReply ModuleExchange::version() {
    const ReadRule rule{256, 64, kLineReplyBytes, kReadGiveUp, false, endsWithCrLf, {}};
    return passThrough("version", kVersionText, kReadWaitMs, rule);
}

ModuleReply ModuleExchange::readParameter(Param param) {
    const ReadRule rule{256, 64, kLineReplyBytes, kReadGiveUp, false, endsWithCrLf, {}};
    return passThrough("read " + groupItemText(moduleParameter(param)), readText(param), kReadWaitMs, rule);
}

ModuleReply ModuleExchange::writeParameter(Param param, std::span<const std::uint8_t> value) {
    const ModuleParameter& p = moduleParameter(param);
    const ReadRule rule{256, 64, kWriteReplyBytes, kWriteGiveUp, false, endsWithCrLf, {}};
    return passThrough("write " + groupItemText(p) + " (" + std::to_string(p.recordLength) + "-byte record)",
                       writeText(param, value), kWriteWaitMs, rule);
}

ModuleReply ModuleExchange::unlock() {
    const ReadRule rule{256,
                        64,
                        kWriteReplyBytes,
                        kUnlockGiveUp,
                        true,
                        [](std::span<const std::uint8_t>, std::size_t last) { return last != 64; },
                        {}};
    return passThrough("unlock", kUnlockText, kUnlockWaitMs, rule);
}

ModuleReply ModuleExchange::flash() {
    const ReadRule rule{256, 64, kWriteReplyBytes, kWriteGiveUp, false, endsWithCrLf, {}};
    return passThrough("flash", kFlashText, serial() ? kFlashWaitMs : 0, rule);
}

// Read until every command of the pass-through has its line, not just the first.
ModuleReply ModuleExchange::factoryDefaults() {
    const ReadRule rule{256,
                        64,
                        kWriteReplyBytes,
                        kFactoryGiveUp,
                        false,
                        [](std::span<const std::uint8_t> r, std::size_t) {
                            return completeLines(r) >= kFactoryDefaultsLines && endsWith(r, "\r\n");
                        },
                        {}};
    return passThrough("factory defaults", kFactoryDefaultsText, kFactoryWaitMs, rule);
}

bool ModuleExchange::resetSettings() {
    if (!ispModeOn_) {
        trace("module: settings reset not sent, ISP mode is off");
        return false;
    }
    const bool sent = send(resetSettingsCommand());
    trace(sent ? "module: settings reset sent" : "module: settings reset not sent");
    return sent;
}

bool ModuleExchange::startWps() {
    const bool sent = send(wpsCommand());
    trace(sent ? "module: WPS sent" : "module: WPS not sent");
    return sent;
}

ModuleReply ModuleExchange::bulkRead(const Progress& progress) {
    // Only the empty reads move the bar.
    const ReadRule rule{1024,
                        64,
                        kBulkReplyBytes,
                        kBulkReadGiveUp,
                        false,
                        [](std::span<const std::uint8_t> r, std::size_t) { return bulkReplyComplete(r); },
                        [](int empty) { return empty / 5; },
                        false};
    return exchange("bulk read", bulkReadFrame(), 0, rule, progress);
}

ModuleReply ModuleExchange::bulkWrite(const WifiSettingsRecord& record, const Progress& progress) {
    const ReadRule rule{1024,
                        64,
                        kBulkReplyBytes,
                        kBulkWriteGiveUp,
                        false,
                        [](std::span<const std::uint8_t> r, std::size_t) { return bulkReplyComplete(r); },
                        [](int empty) { return empty / 40; },
                        true};
    return exchange("bulk write", bulkWriteFrame(record), 0, rule, progress);
}

}  // namespace hollin::wifi
