#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "link/usb_device.h"
#include "platform/clock.h"
#include "sim/virtual_printer.h"

namespace hollin::test {

// A serial port in the test's own process whose far end is a VirtualPrinter, on the printer's clock
// (normally a VirtualClock). Only the device named `device` opens; anything else is "absent".
//
// The printer hears the host only while the port's line (rate, data bits, parity, stop bits) is the
// printer's own serial line; on any other line its bytes are lost, as on a real cable.
//
// A read behaves as the link configures the port: it takes what has arrived and, while answer bytes
// follow within the interval time-out, waits for them (by advancing the clock, not by sleeping, so
// that a test's count of pauses sees only the caller's own pauses), up to the total time-out.
// waitReadable sleeps on the clock until the printer's next answer byte is due, or for the whole
// wait when none is due within it: one pause either way.
class VirtualSerialPort final : public SerialPort {
  public:
    // A factory for PrinterLink whose ports all lead to `port` (the test keeps it).
    static std::function<std::unique_ptr<SerialPort>()> factoryFor(VirtualSerialPort& port);

  public:
    VirtualSerialPort(sim::VirtualPrinter& printer, VirtualClock& clock, std::string device);

    // --- what a test may change or look at
    void setRejectSettings(bool reject) { rejectSettings_ = reject; }
    // Every later write stays unfinished past the caller's wait (a line held by flow control).
    void setWritesTimeOut(bool timeOut) { writesTimeOut_ = timeOut; }
    // Replaces the answer to the next write that carries a command (zero wake-up bytes do not count):
    // the printer's own answer to it is dropped and `bytes` are readable instead. Lets a test play
    // replies no printer of the family gives.
    void answerNextWriteWith(std::vector<std::uint8_t> bytes);
    const std::optional<LineSettings>& line() const { return line_; }
    const PortTimeouts& timeouts() const { return timeouts_; }
    // Every write as the port received it, one entry per write() call.
    const std::vector<std::vector<std::uint8_t>>& writes() const { return writes_; }
    // All bytes written, in order, without the zero wake-up bytes.
    std::vector<std::uint8_t> commandBytes() const;
    int openCount() const { return opens_; }
    int readCalls() const { return reads_; }

    // --- SerialPort
    bool open(const std::string& device) override;
    int openError() const override { return openError_; }
    bool isOpen() const override { return open_; }
    bool configure(const LineSettings& line) override;
    bool setTimeouts(const PortTimeouts& timeouts) override;
    WriteOutcome write(const std::uint8_t* data, std::size_t length, std::uint32_t waitMs) override;
    std::size_t bytesWaiting() override;
    ReadWait waitReadable(std::uint32_t ms) override;
    long read(std::uint8_t* buffer, std::size_t capacity) override;
    void purge() override;
    void close() override;
    long nativeHandle() const override { return open_ ? kHandle : -1; }

    static constexpr long kHandle = 4242;

  private:
    std::size_t readyBytes();
    bool lineMatchesPrinter() const;

    sim::VirtualPrinter& printer_;
    VirtualClock& clock_;
    std::string device_;
    bool open_ = false;
    int openError_ = 0;
    bool rejectSettings_ = false;
    bool writesTimeOut_ = false;
    std::optional<LineSettings> line_;
    PortTimeouts timeouts_;
    std::vector<std::vector<std::uint8_t>> writes_;
    std::optional<std::vector<std::uint8_t>> scripted_;  // waiting for the next command
    std::vector<std::uint8_t> early_;     // arrived before the current write began: a purge drops them
    std::vector<std::uint8_t> injected_;  // readable instead of the printer's answer
    int opens_ = 0;
    int reads_ = 0;
};

// A USB printer device in the test's own process, talking to a VirtualPrinter. With the printer's
// clock it waits for answers as VirtualSerialPort does; without, it cannot wait.
class VirtualUsbDevice final : public UsbPrinterDevice {
  public:
    // `reads` counts the calls of readAvailable.
    VirtualUsbDevice(sim::VirtualPrinter& printer, int& reads, VirtualClock* clock = nullptr)
        : printer_(printer), reads_(reads), clock_(clock) {}
    long write(std::span<const std::uint8_t> data) override;
    long readAvailable(std::span<std::uint8_t> buffer) override;
    ReadWait waitReadable(std::uint32_t ms) override;

  private:
    sim::VirtualPrinter& printer_;
    int& reads_;
    VirtualClock* clock_;
};

// Finds the VirtualPrinter as the one USB printer present, unless it is set absent. The devices it
// opens wait on `clock` when one is given.
class VirtualUsbFinder final : public UsbPrinterFinder {
  public:
    explicit VirtualUsbFinder(sim::VirtualPrinter& printer, VirtualClock* clock = nullptr)
        : printer_(printer), clock_(clock) {}
    void setPresent(bool present) { present_ = present; }
    int opens() const { return opens_; }
    // Reads made on every device this finder opened.
    int reads() const { return reads_; }
    std::unique_ptr<UsbPrinterDevice> openPrinter() override;

  private:
    sim::VirtualPrinter& printer_;
    VirtualClock* clock_;
    bool present_ = true;
    int opens_ = 0;
    int reads_ = 0;
};

}  // namespace hollin::test
