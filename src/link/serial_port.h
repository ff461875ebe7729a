#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "link/read_wait.h"
#include "platform/clock.h"

namespace hollin {

enum class Parity { None, Odd, Even };

// The line as the link wants it. `flowControl` keeps the window's code: 0 DTR/DSR, 1 Xon/Xoff,
// 2 RTS/CTS; any other code leaves the port's flow control as the driver reported it.
struct LineSettings {
    std::uint32_t baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;  // 7 or 8
    int stopBits = 1;  // 1 or 2
    int flowControl = 0;

    bool operator==(const LineSettings&) const = default;
};

// Port time-outs in the driver's terms. A read ends when the gap between two received bytes exceeds
// `readIntervalMs` or when `readTotalMs` + `readPerByteMs` x requested have passed; a write may take
// `writeConstantMs` + `writePerByteMs` x length (both 0: no write time-out).
struct PortTimeouts {
    std::uint32_t readIntervalMs = 0;
    std::uint32_t readTotalMs = 0;
    std::uint32_t readPerByteMs = 0;
    std::uint32_t writeConstantMs = 0;
    std::uint32_t writePerByteMs = 0;

    bool operator==(const PortTimeouts&) const = default;
};

// How one write ended.
enum class WriteStatus {
    Completed,     // the write finished; `count` bytes went out (fewer than asked when the port's
                   // own write time-out ended it)
    FailedAtOnce,  // refused before anything was sent (the caller may try again)
    TimedOut,      // still unfinished when the caller's wait ran out
    Failed,        // started, then failed
};

struct WriteOutcome {
    WriteStatus status = WriteStatus::Failed;
    std::size_t count = 0;
};

// A serial port as the printer link needs it. One thread uses a port at a time.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens an existing device for reading and writing, for this program alone.
    virtual bool open(const std::string& device) = 0;
    // The operating system's error number of the last open that failed (0 when it gave none).
    virtual int openError() const { return 0; }
    virtual bool isOpen() const = 0;
    // Reads the port's current settings, applies `line` and writes them back; false when the port
    // rejects them.
    virtual bool configure(const LineSettings& line) = 0;
    virtual bool setTimeouts(const PortTimeouts& timeouts) = 0;
    // Writes `length` bytes, waiting at most `waitMs` for the write to finish.
    virtual WriteOutcome write(const std::uint8_t* data, std::size_t length, std::uint32_t waitMs) = 0;
    // Bytes received and not yet read; 0 when none or on error.
    virtual std::size_t bytesWaiting() = 0;
    // Waits up to `ms` for received bytes: Readable as soon as some wait, TimedOut once `ms` have
    // passed without any. A port with nothing to wait on answers CannotWait at once.
    virtual ReadWait waitReadable(std::uint32_t ms) {
        static_cast<void>(ms);
        return ReadWait::CannotWait;
    }
    // Reads up to `capacity` bytes, ended early by the port's read time-outs; -1 on error.
    virtual long read(std::uint8_t* buffer, std::size_t capacity) = 0;
    // Abandons pending transfers and clears both directions' queues.
    virtual void purge() = 0;
    virtual void close() = 0;
    // The operating system's handle of the open port (a file descriptor on Linux), -1 when closed.
    virtual long nativeHandle() const = 0;
};

// The platform's serial port. `clock` bounds its waits and must outlive the port.
std::unique_ptr<SerialPort> makeSystemSerialPort(Clock& clock = systemClock());

}  // namespace hollin
