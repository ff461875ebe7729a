#include "link/printer_link.h"

#include <algorithm>
#include <climits>
#include <iostream>
#include <utility>

#include "link/port_map.h"

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
    if (!factory_) {
        // The port's own waits run on real time even when the link's pauses do not.
        factory_ = [] { return makeSystemSerialPort(systemClock()); };
    }
    if (!resolver_)
        resolver_ = [](std::string_view name) { return PortMap::system().deviceFor(name); };
}

PrinterLink::~PrinterLink() {
    Close();
}

int PrinterLink::Open(std::string_view portName, std::uint32_t baud, int parity, int dataBits, int stopBits,
                      int flowControl) {
    Close();
    delivered_ = false;
    const std::optional<std::string> device = resolver_(portName);
    std::unique_ptr<SerialPort> port = device ? factory_() : nullptr;
    if (!port || !port->open(*device))
        return -1;
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

std::optional<std::size_t> PrinterLink::writeChunk(const std::uint8_t* data, std::size_t length) {
    // A chunk the port refuses at once, or that leaves nothing, is tried again within the same bound
    // as a chunk still being written.
    const std::uint32_t start = clock_->tickMs();
    for (;;) {
        const std::uint32_t spent = elapsedMs(start, clock_->tickMs());
        if (spent >= kChunkBoundMs)
            return std::nullopt;
        const WriteOutcome out = port_->write(data, length, kChunkBoundMs - spent);
        if (out.status == WriteStatus::TimedOut || out.status == WriteStatus::Failed)
            return std::nullopt;
        if (out.status == WriteStatus::Completed && out.count > 0)
            return std::min(out.count, length);
        clock_->sleepMs(kRetryPauseMs);
    }
}

int PrinterLink::Write(std::span<const std::uint8_t> data) {
    delivered_ = false;
    if (!open_ || !port_)
        return 0;
    if (wakeUpOwed_ || elapsedMs(lastWriteMs_, clock_->tickMs()) > kWakeUpAfterMs) {
        if (!wakeUp())
            return 0;
    }
    std::size_t sent = 0;
    while (sent < data.size()) {
        const std::size_t length = std::min(kChunkBytes, data.size() - sent);
        const std::optional<std::size_t> n = writeChunk(data.data() + sent, length);
        if (!n) {
            port_->purge();
            return 0;
        }
        sent += *n;
    }
    // Whatever arrived during the write is not the reply to it.
    port_->purge();
    lastWriteMs_ = clock_->tickMs();
    delivered_ = true;
    return clampToInt(sent);
}

int PrinterLink::Read(std::span<std::uint8_t> buffer) {
    if (!open_ || !port_ || buffer.empty())
        return 0;
    if (port_->bytesWaiting() == 0)
        return 0;
    const long n = port_->read(buffer.data(), std::min<std::size_t>(buffer.size(), INT_MAX));
    return n > 0 ? static_cast<int>(n) : 0;
}

void PrinterLink::Close() {
    if (!open_)
        return;
    open_ = false;
    if (port_ && ownsPort_)
        port_->close();
    port_.reset();
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
