#include "link/printer_link.h"

#include <algorithm>
#include <climits>
#include <iostream>
#include <stdexcept>
#include <utility>

namespace hollin {
namespace {

constexpr std::uint32_t kAcceptedBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::uint8_t kWakeUp[2] = {0x00, 0x00};

void traceToStandardError(std::string_view text) {
    std::clog << "hollin: " << text << '\n';
}

int clampToInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

}  // namespace

bool acceptedBaud(std::uint32_t baud) {
    return std::find(std::begin(kAcceptedBauds), std::end(kAcceptedBauds), baud) != std::end(kAcceptedBauds);
}

std::optional<LineSettings> lineSettingsFor(std::uint32_t baud, int parity, int dataBits, int stopBits,
                                            int flowControl) {
    if (!acceptedBaud(baud) || parity < 0 || parity > 2 || dataBits < 0 || dataBits > 1 || stopBits < 0 ||
        stopBits > 1)
        return std::nullopt;
    static constexpr Parity kParity[] = {Parity::None, Parity::Odd, Parity::Even};
    LineSettings line;
    line.baud = baud;
    line.parity = kParity[parity];
    line.dataBits = dataBits == 0 ? 7 : 8;
    line.stopBits = stopBits == 0 ? 1 : 2;
    line.flowControl = flowControl;
    return line;
}

PortTimeouts linkTimeoutsFor(std::uint32_t baud) {
    PortTimeouts t;
    t.readIntervalMs = 50;
    t.readTotalMs = 100;
    t.readPerByteMs = 0;
    t.writeConstantMs = 0;
    t.writePerByteMs = baud == 0 ? 0 : 19200 / baud;
    return t;
}

PrinterLink::PrinterLink(Clock& clock, PortFactory factory, PortResolver resolver)
    : clock_(&clock),
      factory_(std::move(factory)),
      resolver_(std::move(resolver)),
      trace_(traceToStandardError) {
    if (!factory_ || !resolver_)
        throw std::invalid_argument("a printer link needs its serial ports and its port map");
}

PrinterLink::~PrinterLink() {
    Close();
}

int PrinterLink::Open(std::string_view portName, std::uint32_t baud, int parity, int dataBits, int stopBits,
                      int flowControl) {
    Close();
    delivered_ = false;
    openFailure_ = {};
    const std::optional<std::string> device = resolver_(portName);
    if (!device) {
        openFailure_ = {std::string(portName), OpenFailureReason::Missing, 0};
        return -1;
    }
    std::unique_ptr<SerialPort> port = factory_();
    if (!port || !port->open(*device)) {
        openFailure_ = openFailureFor(*device, port ? port->openError() : 0);
        return -1;
    }
    // From here on a failure is the line settings': the port is open.
    openFailure_ = {*device, OpenFailureReason::LineSettings, 0};
    port_ = std::move(port);
    ownsPort_ = true;
    open_ = true;
    // The driver queues (1024 bytes each way) are the kernel's own on Linux and cannot be sized.
    port_->purge();

    if (!acceptedBaud(baud))
        return -1;
    const std::optional<LineSettings> line = lineSettingsFor(baud, parity, dataBits, stopBits, flowControl);
    if (!line)
        return -1;
    if (!port_->configure(*line)) {
        trace_("SetCommState");
        return -1;
    }
    port_->setTimeouts(linkTimeoutsFor(baud));
    openFailure_ = {};
    lastWriteMs_ = 0;
    wakeUpOwed_ = true;
    return 0;
}

bool PrinterLink::wakeUp() {
    const WriteOutcome out = port_->write(kWakeUp, sizeof kWakeUp, kChunkBoundMs);
    if (out.status == WriteStatus::TimedOut)
        return false;
    wakeUpOwed_ = false;
    clock_->sleepMs(kWakeUpPauseMs);
    return true;
}

bool writeBoundedPiece(SerialPort& port, Clock& clock, const std::uint8_t* data, std::size_t length,
                       std::uint32_t boundMs, std::uint32_t retryPauseMs) {
    const std::uint32_t start = clock.tickMs();
    std::size_t done = 0;
    while (done < length) {
        const std::uint32_t spent = elapsedMs(start, clock.tickMs());
        if (spent >= boundMs)
            return false;
        const WriteOutcome out = port.write(data + done, length - done, boundMs - spent);
        if (out.status == WriteStatus::TimedOut || out.status == WriteStatus::Failed)
            return false;
        if (out.status == WriteStatus::Completed && out.count > 0)
            done += std::min(out.count, length - done);
        else
            clock.sleepMs(retryPauseMs);
    }
    return true;
}

bool PrinterLink::writeChunk(const std::uint8_t* data, std::size_t length) {
    // A chunk the port refuses at once, or takes only in part, is written on from where it stopped,
    // within the same bound as a chunk still being written.
    return writeBoundedPiece(*port_, *clock_, data, length, kChunkBoundMs, kRetryPauseMs);
}

int PrinterLink::Write(std::span<const std::uint8_t> data) {
    delivered_ = false;
    if (!open_ || !port_)
        return 0;
    if (wakeUpOwed_ || elapsedMs(lastWriteMs_, clock_->tickMs()) > kWakeUpAfterMs) {
        if (!wakeUp())
            return 0;
    }
    for (std::size_t sent = 0; sent < data.size(); sent += kChunkBytes) {
        if (!writeChunk(data.data() + sent, std::min(kChunkBytes, data.size() - sent))) {
            port_->purge();
            return 0;
        }
    }
    // Whatever arrived during the write is not the reply to it.
    port_->purge();
    lastWriteMs_ = clock_->tickMs();
    delivered_ = true;
    return clampToInt(data.size());
}

int PrinterLink::Read(std::span<std::uint8_t> buffer) {
    if (!open_ || !port_ || buffer.empty())
        return 0;
    if (port_->bytesWaiting() == 0)
        return 0;
    const long n = port_->read(buffer.data(), std::min<std::size_t>(buffer.size(), INT_MAX));
    return n > 0 ? static_cast<int>(n) : 0;
}

bool PrinterLink::waitReadable(std::uint32_t ms) {
    if (open_ && port_) {
        const ReadWait wait = port_->waitReadable(ms);
        if (wait != ReadWait::CannotWait)
            return wait == ReadWait::Readable;
    }
    clock_->sleepMs(ms);
    return open_ && port_ && port_->bytesWaiting() > 0;
}

void PrinterLink::Close() {
    if (!open_)
        return;
    open_ = false;
    if (port_ && ownsPort_)
        port_->close();
    port_.reset();
}

int PrinterLink::writeLent(std::span<const std::uint8_t> data) {
    if (!port_)
        return 0;
    for (std::size_t sent = 0; sent < data.size(); sent += kChunkBytes) {
        const std::size_t piece = std::min(kChunkBytes, data.size() - sent);
        if (!writeBoundedPiece(*port_, *clock_, data.data() + sent, piece, kChunkBoundMs, kRetryPauseMs)) {
            port_->purge();
            return 0;
        }
    }
    port_->purge();
    return static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX));
}

std::unique_ptr<Link> PrinterLink::shareOpen() {
    return std::make_unique<PrinterLink>(sharedCopy());
}

PrinterLink PrinterLink::sharedCopy() const {
    PrinterLink copy(*clock_, factory_, resolver_);
    copy.trace_ = trace_;
    copy.port_ = port_;
    copy.ownsPort_ = false;
    copy.open_ = open_ && port_ != nullptr;
    copy.lastWriteMs_ = lastWriteMs_;
    copy.wakeUpOwed_ = wakeUpOwed_;
    return copy;
}

}  // namespace hollin
