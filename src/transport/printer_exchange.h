#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/clock.h"

namespace hollin {
class Link;
}  // namespace hollin

namespace hollin::printer {

// Results of ProbePrinter.
inline constexpr int kProbeOk = 0;
inline constexpr int kProbeNoReply = -1;
inline constexpr int kProbeUnknown = -2;

// The main window's request/reply layer: writes a command with one Write on the current link, and
// polls that link for the answer. The answer is what the first Read that returns any
// bytes gave, cut at 256 bytes; later bytes are not collected. Nothing is allocated per exchange.
class PrinterExchange {
  public:
    static constexpr std::size_t kCommandBytes = 64;
    static constexpr std::size_t kReplyBytes = 256;
    // The probe and the model query: at most 201 reads and 200 pauses of 10 ms.
    static constexpr std::uint32_t kProbePauseMs = 10;
    static constexpr int kProbeMaxPauses = 200;
    // PollReply gives up after about this long.
    static constexpr std::uint32_t kPollBoundMs = 3000;

    // The clock, and any link set, must outlive the exchange.
    explicit PrinterExchange(Clock& clock);

    // The link the exchange writes and reads; none (nullptr) writes nothing and reads nothing.
    Link* link() const { return link_; }
    void setLink(Link* link) { link_ = link; }

    // Writes `bytes` with one Write on the current link. True when they were sent: false when there
    // is no link, the link is closed or the write gave up. A USB write that went through only after
    // the printer came back counts as sent.
    bool SendToPrinter(std::span<const std::uint8_t> bytes);
    // A text command, without a terminating zero.
    bool SendToPrinter(std::string_view text);

    // Reads until a Read returns bytes, pausing `pauseMs` between empty reads, for at most about
    // kPollBoundMs. Returns the number of reply bytes (see reply()), 0 when none came.
    int PollReply(std::uint32_t pauseMs);

    // Sends the emulation probe and waits for the answer as the probe does; the number of reply
    // bytes, 0 when none came.
    int probeReply();
    // Asks the printer for its emulation. 0: it answered with a known code and `emulationKind` holds
    // it; -1: no answer; -2: the answer's last byte is no known code (`emulationKind` unchanged).
    int ProbePrinter(int& emulationKind);
    // Asks the printer for its model. 0: it answered and `modelIndex` is the model its answer names
    // (0 when none); -1: no answer, `modelIndex` unchanged.
    int QueryModel(int& modelIndex);

    Clock& clock() { return clock_; }

    // The last reply.
    std::span<const std::uint8_t> reply() const { return {reply_.data(), replyLength_}; }

  private:
    int readOnce();
    // Reads until bytes come, with at most `maxPauses` pauses of up to `pauseMs` between empty reads;
    // a pause ends as soon as the printer's bytes arrive.
    int awaitReply(std::uint32_t pauseMs, int maxPauses);
    // One pause: waits up to `ms` on the current link, ending early when the printer's bytes arrive.
    void waitForReply(std::uint32_t ms);

    Clock& clock_;
    Link* link_ = nullptr;
    std::array<std::uint8_t, kCommandBytes> command_{};
    std::array<std::uint8_t, kReplyBytes> reply_{};
    std::size_t replyLength_ = 0;
};

}  // namespace hollin::printer
