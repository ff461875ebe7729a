#include "link/usb_link.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <utility>

namespace hollin {

UsbLink::UsbLink(UsbPrinterFinder& finder, Clock& clock, ThreadStarter startThread)
    : finder_(finder), clock_(clock), startThread_(std::move(startThread)) {
    if (!startThread_)
        startThread_ = [](std::function<void()> body) { return std::thread(std::move(body)); };
}

UsbLink::~UsbLink() {
    Close();
}

int UsbLink::Open(std::string_view /*port*/) {
    if (open_)
        Close();
    openFailure_ = {};
    auto device = finder_.openPrinter();
    if (!device) {
        openFailure_ = finder_.lastFailure();
        return 1;
    }
    {
        std::lock_guard lock(mutex_);
        device_ = std::move(device);
        stop_ = false;
    }
    delivered_ = false;
    open_ = true;
    return 0;
}

int UsbLink::Write(std::span<const std::uint8_t> data) {
    delivered_ = false;
    if (!open_)
        return 0;
    {
        // A printer still away after an earlier Write gave up: nothing to write to.
        std::lock_guard lock(mutex_);
        if (!device_)
            return 0;
    }
    bool failed = false;
    std::uint32_t firstFailure = 0;
    std::size_t pos = 0;
    while (pos < data.size()) {
        const auto chunk = data.subspan(pos, std::min(kChunkBytes, data.size() - pos));
        std::size_t done = 0;
        while (done < chunk.size()) {
            const long n = writeToDevice(chunk.subspan(done));
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (!failed) {
                failed = true;
                firstFailure = clock_.tickMs();
            }
            if (!startReconnect()) {
                Close();  // nobody could bring the printer back
                return 0;
            }
            if (!waitForDevice(firstFailure))
                return 0;
        }
        pos += chunk.size();
    }
    delivered_ = true;
    return failed ? 0 : 1;
}

int UsbLink::Read(std::span<std::uint8_t> buffer) {
    if (!open_ || buffer.empty())
        return 0;
    std::lock_guard lock(mutex_);
    if (!device_)
        return 0;
    const long n = device_->readAvailable(buffer);
    return n > 0 ? static_cast<int>(n) : 0;
}

bool UsbLink::waitReadable(std::uint32_t ms) {
    if (open_) {
        // The reconnect thread leaves a device that is there alone, so holding it during the wait
        // delays nobody.
        std::lock_guard lock(mutex_);
        const ReadWait wait = device_ ? device_->waitReadable(ms) : ReadWait::CannotWait;
        if (wait != ReadWait::CannotWait)
            return wait == ReadWait::Readable;
    }
    clock_.sleepMs(ms);
    return false;
}

int UsbLink::writeLent(std::span<const std::uint8_t> data) {
    Write(data);
    return lastWriteDelivered() ? 1 : 0;
}

std::unique_ptr<Link> UsbLink::shareOpen() {
    return std::make_unique<LinkView>(*this);
}

int UsbLink::Close() {
    if (!open_)
        return 3;
    open_ = false;
    stopReconnect();
    std::lock_guard lock(mutex_);
    device_.reset();
    return 0;
}

bool UsbLink::reconnecting() const {
    std::lock_guard lock(mutex_);
    return reconnecting_;
}

long UsbLink::writeToDevice(std::span<const std::uint8_t> data) {
    std::lock_guard lock(mutex_);
    return device_ ? device_->write(data) : -1;
}

// Closes the failed device and sets the reconnect thread going, unless one is at work already. False
// when the thread could not be started (the system is out of threads).
bool UsbLink::startReconnect() {
    {
        std::lock_guard lock(mutex_);
        if (reconnecting_)
            return true;
    }
    // A thread that found the printer earlier has ended or is about to: collect it.
    if (thread_.joinable())
        thread_.join();
    {
        std::lock_guard lock(mutex_);
        device_.reset();
        reconnecting_ = true;
        stop_ = false;
    }
    try {
        thread_ = startThread_([this] { reconnectLoop(); });
    } catch (const std::system_error&) {
        std::lock_guard lock(mutex_);
        reconnecting_ = false;
        return false;
    }
    return true;
}

// Waits attempt by attempt until the reconnect thread has the printer back; false once kWriteGiveUpMs
// have passed since `since` without it.
bool UsbLink::waitForDevice(std::uint32_t since) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (device_)
            return true;
        if (!reconnecting_ || elapsedMs(since, clock_.tickMs()) >= kWriteGiveUpMs)
            return false;
        const std::uint64_t seen = attempts_;
        // The thread reports after every attempt, at most kReconnectIntervalMs apart.
        changed_.wait(lock, [&] { return attempts_ != seen || !reconnecting_ || device_ != nullptr; });
    }
}

void UsbLink::reconnectLoop() {
    std::array<std::uint8_t, kDiscardBytes> discard{};
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                break;
            if (device_)
                device_->readAvailable(discard);
        }
        clock_.sleepMs(kReconnectIntervalMs);
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                break;
        }
        auto device = finder_.openPrinter();
        std::lock_guard lock(mutex_);
        if (stop_)
            break;
        ++attempts_;
        if (device) {
            device_ = std::move(device);
            reconnecting_ = false;
        }
        changed_.notify_all();
        if (!reconnecting_)
            break;
    }
    std::lock_guard lock(mutex_);
    reconnecting_ = false;
    changed_.notify_all();
}

void UsbLink::stopReconnect() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    reconnecting_ = false;
}

}  // namespace hollin
