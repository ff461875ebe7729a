#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "common/bytes.h"
#include "platform/clock.h"
#include "wificodec/module_protocol.h"

namespace hollin {
class Link;
}  // namespace hollin

namespace hollin::wifi {

// What one exchange with the module gave.
struct ModuleReply {
    bool sent = false;      // the command went out whole
    Bytes bytes;            // what came back, cut at the exchange's buffer; empty when nothing came
    bool timedOut = false;  // the read ended at a give-up count or the overall deadline
    int emptyReads = 0;     // reads that found nothing, in all
    bool received() const { return !bytes.empty(); }
};

// The exchanges with the printer's Wi-Fi module, on the window's own serial or USB link. Each writes
// its command in one call and reads the answer in chunks, pausing 10 ms after an empty read (the pause
// ends as soon as bytes arrive), until the answer is complete, the count of empty reads passes the
// exchange's give-up count, its buffer is full, or an overall deadline passes (the wait after
// sending, the give-up span and the buffer's time at the line rate, counted from the end of the
// write), so that a module trickling bytes forever still ends. Every wait is on the clock.
//
// The module takes its commands only in ISP mode: an exchange other than entering it sends nothing
// while it is off.
class ModuleExchange {
  public:
    static constexpr std::uint32_t kPauseMs = 10;
    // Reply buffers.
    static constexpr std::size_t kIdentificationBytes = 512;
    static constexpr std::size_t kLineReplyBytes = 256;   // version and read
    static constexpr std::size_t kWriteReplyBytes = 512;  // write, unlock, flash, factory defaults
    static constexpr std::size_t kBulkReplyBytes = 2048;
    // Waits after sending.
    static constexpr std::uint32_t kIspWaitMs = 1000;      // serial only
    static constexpr std::uint32_t kIspLeaveWaitMs = 500;  // serial only
    static constexpr std::uint32_t kReadWaitMs = 200;
    static constexpr std::uint32_t kWriteWaitMs = 1000;
    static constexpr std::uint32_t kUnlockWaitMs = 10;
    static constexpr std::uint32_t kFlashWaitMs = 1000;  // serial only
    static constexpr std::uint32_t kFactoryWaitMs = 200;
    // Give-up counts: the exchange ends when the empty reads exceed them.
    static constexpr int kIspGiveUp = 100;
    static constexpr int kReadGiveUp = 30;
    static constexpr int kWriteGiveUp = 10;
    static constexpr int kUnlockGiveUp = 75;  // in all, not consecutive
    static constexpr int kFactoryGiveUp = 150;
    static constexpr int kBulkReadGiveUp = 500;
    static constexpr int kBulkWriteGiveUp = 4000;

    using Progress = std::function<void(int percent)>;
    using TraceSink = std::function<void(std::string_view)>;

    // The clock, and any link set, must outlive the exchange.
    explicit ModuleExchange(Clock& clock);

    // The link the window opened; none (nullptr) sends nothing and reads nothing.
    Link* link() const { return link_; }
    void setLink(Link* link) { link_ = link; }
    // The serial line's rate, for the deadlines (USB counts as 115200).
    void setLineRate(std::uint32_t baud) { baud_ = baud; }
    bool ispModeOn() const { return ispModeOn_; }
    // Where traces go (never to the operator): kinds, commands with group and item, reply status,
    // lengths and timings, never a key or pass phrase.
    void setTraceSink(TraceSink sink) { trace_ = std::move(sink); }

    // 1B 5B 4D 01 and the identification line. When nothing came ISP mode is left again. `kind` is
    // set from the identification when one came.
    ModuleReply enterIspMode(ModuleKind& kind);
    // 1B 5B 4D 00; ISP mode is off afterwards whatever happened. True when it was sent.
    bool leaveIspMode();

    ModuleReply version();
    ModuleReply readParameter(Param param);
    ModuleReply writeParameter(Param param, std::span<const std::uint8_t> value);
    ModuleReply unlock();
    // Read within the write exchange's bounds.
    ModuleReply flash();
    // The Sollae reset: unlock, "e 4", load defaults and flash in one pass-through.
    ModuleReply factoryDefaults();
    // 1B 5B 44 53, no answer read (QUATECH and INC). True when sent.
    bool resetSettings();
    // 1B 5B 57 50, no answer read (INC: Wi-Fi Protected Setup). True when sent.
    bool startWps();
    // The bulk frames; `progress` sees the bar's position after the reads (not 100: the caller's).
    ModuleReply bulkRead(const Progress& progress = {});
    ModuleReply bulkWrite(const WifiSettingsRecord& record, const Progress& progress = {});

  private:
    struct ReadRule {
        std::size_t serialChunk;
        std::size_t usbChunk;
        std::size_t buffer;
        int giveUp;
        bool countInAll = false;  // the empty reads are not restarted by a chunk (unlock)
        std::function<bool(std::span<const std::uint8_t> reply, std::size_t lastChunk)> done;
        std::function<int(int emptyReads)> progress;
        bool progressAfterChunk = false;  // the bar also moves after a read that brought bytes
    };

    bool send(std::span<const std::uint8_t> bytes);
    ModuleReply exchange(std::string_view what, std::span<const std::uint8_t> command, std::uint32_t waitMs,
                         const ReadRule& rule, const Progress& progress = {});
    ModuleReply passThrough(std::string_view what, std::string_view text, std::uint32_t waitMs,
                            const ReadRule& rule);
    void collect(ModuleReply& reply, std::uint32_t startMs, std::uint32_t deadlineMs, const ReadRule& rule,
                 const Progress& progress);
    int readChunk(std::span<std::uint8_t> buffer);
    void pause();
    // A serial line: its rate paces the deadlines, and the module is given time to answer on it.
    bool serial() const;
    std::uint32_t bufferTimeMs(std::size_t bytes) const;
    void trace(std::string_view line);

    Clock& clock_;
    Link* link_ = nullptr;
    std::uint32_t baud_ = 19200;
    bool ispModeOn_ = false;
    TraceSink trace_;
};

}  // namespace hollin::wifi
