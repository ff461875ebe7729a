#include "support/virtual_serial_port.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>

namespace hollin::test {
namespace {

constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();

void append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// Moves up to `max` bytes from the front of `from` to the end of `to`.
void moveFront(std::vector<std::uint8_t>& from, std::vector<std::uint8_t>& to, std::size_t max) {
    const std::size_t n = std::min(max, from.size());
    to.insert(to.end(), from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n));
    from.erase(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n));
}

// Sleeps on `clock` until the printer's next answer byte is due or `ms` have passed, whichever comes
// first. `ready`: bytes readable already.
ReadWait waitForPrinter(const sim::VirtualPrinter& printer, VirtualClock& clock, std::size_t ready,
                        std::uint32_t ms) {
    if (ready > 0)
        return ReadWait::Readable;
    const std::optional<std::uint32_t> next = printer.nextOutputInMs();
    if (next && *next <= ms) {
        clock.sleepMs(*next);
        return ReadWait::Readable;
    }
    clock.sleepMs(ms);
    return ReadWait::TimedOut;
}

// Lets PrinterLink own "a" port while the test keeps the real one to look at.
class PortRef final : public SerialPort {
  public:
    explicit PortRef(SerialPort& port) : port_(port) {}
    bool open(const std::string& device) override { return port_.open(device); }
    int openError() const override { return port_.openError(); }
    bool isOpen() const override { return port_.isOpen(); }
    bool configure(const LineSettings& line) override { return port_.configure(line); }
    bool setTimeouts(const PortTimeouts& timeouts) override { return port_.setTimeouts(timeouts); }
    WriteOutcome write(const std::uint8_t* data, std::size_t length, std::uint32_t waitMs) override {
        return port_.write(data, length, waitMs);
    }
    std::size_t bytesWaiting() override { return port_.bytesWaiting(); }
    ReadWait waitReadable(std::uint32_t ms) override { return port_.waitReadable(ms); }
    long read(std::uint8_t* buffer, std::size_t capacity) override { return port_.read(buffer, capacity); }
    void purge() override { port_.purge(); }
    void close() override { port_.close(); }
    long nativeHandle() const override { return port_.nativeHandle(); }

  private:
    SerialPort& port_;
};

sim::Parity simParity(Parity parity) {
    switch (parity) {
        case Parity::Odd:
            return sim::Parity::kOdd;
        case Parity::Even:
            return sim::Parity::kEven;
        default:
            return sim::Parity::kNone;
    }
}

}  // namespace

std::function<std::unique_ptr<SerialPort>()> VirtualSerialPort::factoryFor(VirtualSerialPort& port) {
    return [&port]() -> std::unique_ptr<SerialPort> { return std::make_unique<PortRef>(port); };
}

VirtualSerialPort::VirtualSerialPort(sim::VirtualPrinter& printer, VirtualClock& clock, std::string device)
    : printer_(printer), clock_(clock), device_(std::move(device)) {}

void VirtualSerialPort::answerNextWriteWith(std::vector<std::uint8_t> bytes) {
    scripted_ = std::move(bytes);
}

std::vector<std::uint8_t> VirtualSerialPort::commandBytes() const {
    std::vector<std::uint8_t> all;
    for (const auto& w : writes_) {
        if (std::any_of(w.begin(), w.end(), [](std::uint8_t b) { return b != 0; }))
            append(all, w);
    }
    return all;
}

bool VirtualSerialPort::open(const std::string& device) {
    // As the system answers: another device is not there, this one is already held.
    openError_ = device != device_ ? ENOENT : open_ ? EBUSY : 0;
    if (openError_ != 0)
        return false;
    open_ = true;
    ++opens_;
    line_.reset();
    early_.clear();
    injected_.clear();
    return true;
}

bool VirtualSerialPort::configure(const LineSettings& line) {
    if (!open_ || rejectSettings_)
        return false;
    line_ = line;
    return true;
}

bool VirtualSerialPort::setTimeouts(const PortTimeouts& timeouts) {
    if (!open_)
        return false;
    timeouts_ = timeouts;
    return true;
}

// The printer answers only once the write is over, so the link's purge at the end of a write drops
// what had arrived before it, never the answer to it.
WriteOutcome VirtualSerialPort::write(const std::uint8_t* data, std::size_t length,
                                      std::uint32_t /*waitMs*/) {
    if (!open_)
        return {WriteStatus::Failed, 0};
    if (writesTimeOut_)
        return {WriteStatus::TimedOut, 0};
    append(early_, injected_);
    injected_.clear();
    append(early_, printer_.takeOutput(kAll));
    const std::vector<std::uint8_t> bytes(data, data + length);
    writes_.push_back(bytes);
    // A serial line does not know whether anyone listens: the bytes leave whatever the printer does.
    if (lineMatchesPrinter())
        printer_.receive(bytes);
    const bool command = std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
    if (command && scripted_) {
        printer_.takeOutput(kAll);
        injected_ = std::move(*scripted_);
        scripted_.reset();
    }
    return {WriteStatus::Completed, length};
}

bool VirtualSerialPort::lineMatchesPrinter() const {
    if (!line_)
        return false;
    const sim::SerialLine printer = printer_.settings().serialLine;
    return static_cast<int>(line_->baud) == printer.baud && line_->dataBits == printer.dataBits &&
           simParity(line_->parity) == printer.parity && line_->stopBits == printer.stopBits;
}

std::size_t VirtualSerialPort::readyBytes() {
    return early_.size() + injected_.size() + printer_.pending();
}

std::size_t VirtualSerialPort::bytesWaiting() {
    return open_ ? readyBytes() : 0;
}

ReadWait VirtualSerialPort::waitReadable(std::uint32_t ms) {
    if (!open_)
        return ReadWait::CannotWait;
    return waitForPrinter(printer_, clock_, readyBytes(), ms);
}

long VirtualSerialPort::read(std::uint8_t* buffer, std::size_t capacity) {
    if (!open_)
        return -1;
    ++reads_;
    std::vector<std::uint8_t> got;
    moveFront(early_, got, capacity);
    moveFront(injected_, got, capacity - got.size());
    append(got, printer_.takeOutput(capacity - got.size()));
    // More bytes that follow within the interval time-out belong to the same read, up to the total.
    std::uint32_t waited = 0;
    while (!got.empty() && got.size() < capacity && timeouts_.readIntervalMs > 0) {
        const auto next = printer_.nextOutputInMs();
        if (!next || *next > timeouts_.readIntervalMs || waited + *next > timeouts_.readTotalMs)
            break;
        clock_.advance(*next);
        waited += *next;
        append(got, printer_.takeOutput(capacity - got.size()));
    }
    std::copy(got.begin(), got.end(), buffer);
    return static_cast<long>(got.size());
}

void VirtualSerialPort::purge() {
    early_.clear();
}

void VirtualSerialPort::close() {
    open_ = false;
    early_.clear();
    injected_.clear();
}

long VirtualUsbDevice::write(std::span<const std::uint8_t> data) {
    if (!printer_.present())
        return -1;
    return static_cast<long>(printer_.receive(data));
}

long VirtualUsbDevice::readAvailable(std::span<std::uint8_t> buffer) {
    ++reads_;
    if (!printer_.present())
        return -1;
    const auto bytes = printer_.takeOutput(buffer.size());
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return static_cast<long>(bytes.size());
}

ReadWait VirtualUsbDevice::waitReadable(std::uint32_t ms) {
    if (clock_ == nullptr || !printer_.present())
        return ReadWait::CannotWait;
    return waitForPrinter(printer_, *clock_, printer_.pending(), ms);
}

std::unique_ptr<UsbPrinterDevice> VirtualUsbFinder::openPrinter() {
    if (!present_ || !printer_.present())
        return nullptr;
    ++opens_;
    return std::make_unique<VirtualUsbDevice>(printer_, reads_, clock_);
}

}  // namespace hollin::test
