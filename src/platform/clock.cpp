#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace hollin {

std::uint32_t RealClock::tickMs() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

void RealClock::sleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& systemClock() {
    static RealClock clock;
    return clock;
}

std::uint32_t VirtualClock::tickMs() {
    std::lock_guard lock(mutex_);
    return now_;
}

void VirtualClock::sleepMs(std::uint32_t ms) {
    moveBy(ms, true);
}

void VirtualClock::advance(std::uint32_t ms) {
    moveBy(ms, false);
}

void VirtualClock::set(std::uint32_t nowMs) {
    std::lock_guard lock(mutex_);
    now_ = nowMs;
}

std::uint64_t VirtualClock::sleepCount() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

std::uint64_t VirtualClock::sleptMs() const {
    std::lock_guard lock(mutex_);
    return slept_;
}

void VirtualClock::resetCounts() {
    std::lock_guard lock(mutex_);
    sleeps_ = 0;
    slept_ = 0;
}

void VirtualClock::onAdvance(std::function<void(std::uint32_t)> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

void VirtualClock::moveBy(std::uint32_t ms, bool countAsSleep) {
    std::function<void(std::uint32_t)> hook;
    std::uint32_t now;
    {
        std::lock_guard lock(mutex_);
        now_ += ms;  // wraps like a 32-bit tick count
        if (countAsSleep) {
            ++sleeps_;
            slept_ += ms;
        }
        hook = hook_;
        now = now_;
    }
    if (hook)
        hook(now);
}

}  // namespace hollin
