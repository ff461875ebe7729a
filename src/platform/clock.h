#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace hollin {

// Every wait and every time-out of the program goes through a Clock, so that tests can run the
// printer's polling bounds on virtual time and count the pauses exactly.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start, wrapping like a 32-bit tick count.
    virtual std::uint32_t tickMs() = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
};

// Milliseconds from `earlier` to `later`, correct across the 32-bit wrap.
constexpr std::uint32_t elapsedMs(std::uint32_t earlier, std::uint32_t later) {
    return later - earlier;
}

// The process's real monotonic clock.
class RealClock final : public Clock {
  public:
    std::uint32_t tickMs() override;
    void sleepMs(std::uint32_t ms) override;
};

// The clock every part of the program uses unless it is handed another one.
Clock& systemClock();

// Time that moves only when someone sleeps on it or a test advances it. Safe to share between threads.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(std::uint32_t startMs = 0) : now_(startMs) {}

    std::uint32_t tickMs() override;
    void sleepMs(std::uint32_t ms) override;

    // Moves time forward without counting a sleep.
    void advance(std::uint32_t ms);
    void set(std::uint32_t nowMs);

    // How many times sleepMs was called, and the total slept.
    std::uint64_t sleepCount() const;
    std::uint64_t sleptMs() const;
    void resetCounts();

    // Called after every sleep and advance with the new time (outside the clock's lock), so that a
    // virtual printer can let replies "arrive" when their time has come.
    void onAdvance(std::function<void(std::uint32_t nowMs)> hook);

  private:
    void moveBy(std::uint32_t ms, bool countAsSleep);

    mutable std::mutex mutex_;
    std::uint32_t now_;
    std::uint64_t sleeps_ = 0;
    std::uint64_t slept_ = 0;
    std::function<void(std::uint32_t)> hook_;
};

}  // namespace hollin
