#include "transport/printer_exchange.h"

#include <algorithm>

#include "link/link.h"
#include "transport/emulation.h"

namespace hollin::printer {
namespace {

// The two queries, built once.
const Bytes& probeBytes() {
    static const Bytes bytes = probeCommand();
    return bytes;
}

const Bytes& modelQueryBytes() {
    static const Bytes bytes = modelQueryCommand();
    return bytes;
}

}  // namespace

PrinterExchange::PrinterExchange(Clock& clock) : clock_(clock) {}

bool PrinterExchange::SendToPrinter(std::span<const std::uint8_t> bytes) {
    // A command is built in the command buffer; a longer block (the code-page sample) is written from
    // where it lies.
    std::span<const std::uint8_t> out = bytes;
    if (bytes.size() <= command_.size()) {
        command_.fill(0);
        std::copy(bytes.begin(), bytes.end(), command_.begin());
        out = std::span<const std::uint8_t>(command_.data(), bytes.size());
    }
    if (link_ == nullptr)
        return false;
    link_->Write(out);
    return link_->lastWriteDelivered();
}

bool PrinterExchange::SendToPrinter(std::string_view text) {
    return SendToPrinter(asBytes(text));
}

int PrinterExchange::readOnce() {
    return link_ != nullptr ? link_->Read(reply_) : 0;
}

int PrinterExchange::awaitReply(std::uint32_t pauseMs, int maxPauses) {
    reply_.fill(0);
    replyLength_ = 0;
    for (int pauses = 0;; ++pauses) {
        const int n = readOnce();
        if (n > 0) {
            replyLength_ = std::min<std::size_t>(static_cast<std::size_t>(n), reply_.size());
            return static_cast<int>(replyLength_);
        }
        if (pauses >= maxPauses)
            return 0;
        waitForReply(pauseMs);
    }
}

void PrinterExchange::waitForReply(std::uint32_t ms) {
    if (link_ != nullptr)
        link_->waitReadable(ms);
    else
        clock_.sleepMs(ms);
}

int PrinterExchange::PollReply(std::uint32_t pauseMs) {
    const std::uint32_t pause = std::max<std::uint32_t>(pauseMs, 1);
    return awaitReply(pause, static_cast<int>(kPollBoundMs / pause));
}

int PrinterExchange::probeReply() {
    SendToPrinter(probeBytes());
    return awaitReply(kProbePauseMs, kProbeMaxPauses);
}

int PrinterExchange::ProbePrinter(int& emulationKind) {
    if (probeReply() == 0)
        return kProbeNoReply;
    const auto kind = emulationFromProbeByte(reply_[replyLength_ - 1]);
    if (!kind)
        return kProbeUnknown;
    emulationKind = *kind;
    return kProbeOk;
}

int PrinterExchange::QueryModel(int& modelIndex) {
    SendToPrinter(modelQueryBytes());
    if (awaitReply(kProbePauseMs, kProbeMaxPauses) == 0)
        return -1;
    modelIndex = modelIndexFromReply(reply());
    return 0;
}

}  // namespace hollin::printer
