#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "sim/virtual_printer.h"

namespace hollin::sim {

// Serves a VirtualPrinter on a pseudo-terminal in raw mode: whatever a program writes to the slave
// device reaches the printer, and the printer's answers can be read back from it. A service thread
// moves the bytes; it waits in poll() with bounded time-outs and ends on stop().
//
// The server keeps a slave descriptor of its own open, so clients may open and close the device as
// often as they like without the pseudo-terminal hanging up.
class PtyPrinterServer {
  public:
    explicit PtyPrinterServer(VirtualPrinter& printer);
    ~PtyPrinterServer();

    PtyPrinterServer(const PtyPrinterServer&) = delete;
    PtyPrinterServer& operator=(const PtyPrinterServer&) = delete;

    // Opens a fresh pseudo-terminal and starts serving it; true when serving (also when it already
    // was). On failure error() says why.
    bool start();
    // Stops serving (waits for the service thread) and closes the pseudo-terminal; a client still
    // holding the slave open sees it hang up. Does nothing when not serving.
    void stop();

    // Takes in at most baud / 10 bytes a second, as a serial line of that rate carries (8N1); 0 (the
    // default): as fast as the client writes. May be called while serving.
    void setLineRate(std::uint32_t baud) { lineBytesPerSecond_ = baud / 10; }

    bool running() const;
    // The slave device, e.g. "/dev/pts/3"; empty when not serving.
    std::string slavePath() const;
    std::string error() const;

  private:
    void serve();
    void closeAll();
    void takeWaitingInput();

    VirtualPrinter& printer_;
    mutable std::mutex mutex_;  // guards the members below against concurrent start/stop/queries
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint32_t> lineBytesPerSecond_{0};
    int master_ = -1;
    int slave_ = -1;
    int wake_ = -1;  // eventfd that interrupts the service thread's poll
    std::string slavePath_;
    std::string error_;
};

}  // namespace hollin::sim
