#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "platform/clock.h"

namespace hollin::test {

// What a fake port saw and how it behaves; owned by the test, so it outlives the link's port.
struct FakePortState {
    explicit FakePortState(VirtualClock& c) : clock(c) {}

    VirtualClock& clock;
    bool openFails = false;
    bool configureFails = false;
    // Outcomes of the next writes, in order; after them every write ends with `otherWrites`.
    std::deque<WriteStatus> script;
    WriteStatus otherWrites = WriteStatus::Completed;
    // At most how many bytes a completed write takes (the port's own write time-out ending it).
    std::size_t takesAtMost = SIZE_MAX;
    // The port has nothing to wait on (waitReadable answers CannotWait).
    bool cannotWait = false;
    // Runs inside every write, before it ends (bytes "arriving" meanwhile).
    std::function<void()> duringWrite;

    bool open = false;
    std::string device;
    int closes = 0;
    int reads = 0;
    std::optional<LineSettings> line;
    std::optional<PortTimeouts> timeouts;
    std::vector<std::string> events;  // open, purge, configure, timeouts, write, wait, read, close
    struct Sent {
        std::vector<std::uint8_t> bytes;
        std::uint32_t atMs;
    };
    std::vector<Sent> sent;  // completed writes, with the bytes the port took
    int writeAttempts = 0;
    std::deque<std::uint8_t> incoming;

    void arrive(std::initializer_list<std::uint8_t> bytes) { incoming.insert(incoming.end(), bytes); }
    std::vector<std::uint8_t> allSent(std::size_t from = 0) const {
        std::vector<std::uint8_t> all;
        for (std::size_t i = from; i < sent.size(); ++i)
            all.insert(all.end(), sent[i].bytes.begin(), sent[i].bytes.end());
        return all;
    }
};

class FakeSerialPort final : public SerialPort {
  public:
    explicit FakeSerialPort(FakePortState& state) : s_(state) {}

    bool open(const std::string& device) override {
        s_.events.push_back("open");
        s_.device = device;
        s_.open = !s_.openFails;
        return s_.open;
    }
    bool isOpen() const override { return s_.open; }
    bool configure(const LineSettings& line) override {
        s_.events.push_back("configure");
        s_.line = line;
        return !s_.configureFails;
    }
    bool setTimeouts(const PortTimeouts& timeouts) override {
        s_.events.push_back("timeouts");
        s_.timeouts = timeouts;
        return true;
    }
    WriteOutcome write(const std::uint8_t* data, std::size_t length, std::uint32_t waitMs) override {
        s_.events.push_back("write");
        ++s_.writeAttempts;
        if (s_.duringWrite)
            s_.duringWrite();
        WriteStatus status = s_.otherWrites;
        if (!s_.script.empty()) {
            status = s_.script.front();
            s_.script.pop_front();
        }
        switch (status) {
            case WriteStatus::Completed: {
                const std::size_t taken = std::min(length, s_.takesAtMost);
                s_.sent.push_back({std::vector<std::uint8_t>(data, data + taken), s_.clock.tickMs()});
                return {status, taken};
            }
            case WriteStatus::TimedOut:
                s_.clock.advance(waitMs);  // the port waited all it was allowed
                return {status, 0};
            default:
                return {status, 0};
        }
    }
    std::size_t bytesWaiting() override { return s_.incoming.size(); }
    // Bytes arrive only when the test says so: a wait without them takes all its time.
    ReadWait waitReadable(std::uint32_t ms) override {
        s_.events.push_back("wait");
        if (s_.cannotWait)
            return SerialPort::waitReadable(ms);
        if (!s_.incoming.empty())
            return ReadWait::Readable;
        s_.clock.sleepMs(ms);
        return ReadWait::TimedOut;
    }
    long read(std::uint8_t* buffer, std::size_t capacity) override {
        s_.events.push_back("read");
        ++s_.reads;
        const std::size_t n = std::min(capacity, s_.incoming.size());
        std::copy_n(s_.incoming.begin(), n, buffer);
        s_.incoming.erase(s_.incoming.begin(), s_.incoming.begin() + static_cast<long>(n));
        return static_cast<long>(n);
    }
    void purge() override {
        s_.events.push_back("purge");
        s_.incoming.clear();
    }
    void close() override {
        s_.events.push_back("close");
        s_.open = false;
        ++s_.closes;
    }
    long nativeHandle() const override { return s_.open ? 42 : -1; }

  private:
    FakePortState& s_;
};

}  // namespace hollin::test
