#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <thread>

#include "link/link.h"
#include "link/usb_device.h"
#include "platform/clock.h"

namespace hollin {

// The byte channel to a printer on USB. Writes go out in chunks of up to 1024 bytes, unpaced and
// without wake-up bytes. When a chunk fails (the printer was switched off or unplugged) the link
// closes the device and a reconnect thread looks for it every 500 ms, while the failing Write keeps
// retrying the chunk until the printer is back or 30 s have passed.
//
// Open, Write, Read and Close belong to one thread (the window's); the reconnect thread shares the
// device with it under a mutex.
class UsbLink final : public Link {
  public:
    static constexpr std::size_t kChunkBytes = 1024;
    static constexpr std::uint32_t kReconnectIntervalMs = 500;
    static constexpr std::size_t kDiscardBytes = 256;
    static constexpr std::uint32_t kWriteGiveUpMs = 30000;

    // Starts the reconnect thread running `body`; may throw std::system_error as std::thread does.
    using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

    // The finder and the clock must outlive the link. `startThread` defaults to std::thread.
    explicit UsbLink(UsbPrinterFinder& finder, Clock& clock = systemClock(), ThreadStarter startThread = {});
    ~UsbLink();  // closes the link

    UsbLink(const UsbLink&) = delete;
    UsbLink& operator=(const UsbLink&) = delete;

    // Opens the first accepted printer. `port` is the port list's text ("USB"), otherwise unused.
    // 0 on success, 1 when no printer was found or it could not be opened. An open link is closed
    // first.
    int Open(std::string_view port);
    // 1 when every chunk went through at the first try; 0 when the link is closed, the printer is
    // away, or any chunk failed on the way (lastWriteDelivered() then tells whether the data still
    // reached the printer after a reconnection). When the reconnect thread cannot be started the link
    // closes and the Write returns 0.
    int Write(std::span<const std::uint8_t> data) override;
    // The bytes the printer has sent, up to the buffer's size; 0 when none wait or the link is closed
    // or reconnecting. Never waits.
    int Read(std::span<std::uint8_t> buffer) override;
    // Waits up to `ms` for the printer's bytes, returning as soon as some wait; true when they do. A
    // closed or reconnecting link, or a device that cannot wait, pauses `ms` on the clock instead.
    bool waitReadable(std::uint32_t ms) override;
    // 3 when the link was already closed; otherwise stops the reconnect thread (waits for it), closes
    // the device and returns 0.
    int Close();
    void close() override { Close(); }

    bool isOpen() const override { return open_; }
    // Why the last Open failed (reason None after one that succeeded).
    const OpenFailure& openFailure() const override { return openFailure_; }
    // Whether the last Write's data all reached the printer, with or without a reconnection.
    bool lastWriteDelivered() const override { return delivered_; }
    // Whether the reconnect thread is looking for the printer.
    bool reconnecting() const;

    // The lent port's write is the ordinary one: 1 when the bytes reached the printer, also after a
    // reconnection, 0 when they did not.
    int writeLent(std::span<const std::uint8_t> data) override;
    static constexpr std::size_t kReplyPieceBytes = 64;
    std::size_t replyPieceBytes() const override { return kReplyPieceBytes; }
    // A view of this link (its reconnect thread is not copied); closing the view leaves it open.
    std::unique_ptr<Link> shareOpen() override;
    bool hasLineRate() const override { return false; }

  private:
    long writeToDevice(std::span<const std::uint8_t> data);
    bool startReconnect();
    bool waitForDevice(std::uint32_t since);
    void reconnectLoop();
    void stopReconnect();

    UsbPrinterFinder& finder_;
    Clock& clock_;
    ThreadStarter startThread_;
    std::atomic<bool> open_{false};
    std::atomic<bool> delivered_{false};
    OpenFailure openFailure_;

    mutable std::mutex mutex_;  // guards the members below
    std::condition_variable changed_;
    std::unique_ptr<UsbPrinterDevice> device_;
    bool reconnecting_ = false;  // a reconnect thread runs and has not found the printer yet
    bool stop_ = false;          // Close asks the reconnect thread to end
    std::uint64_t attempts_ = 0;
    std::thread thread_;  // started and joined by the link's own thread only
};

}  // namespace hollin
