#include "platform/clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace hollin {
namespace {

TEST(ElapsedMs, IsCorrectAcrossTheWrap) {
    EXPECT_EQ(elapsedMs(100u, 350u), 250u);
    EXPECT_EQ(elapsedMs(0xFFFFFF00u, 0x00000010u), 0x110u);
    EXPECT_EQ(elapsedMs(5u, 5u), 0u);
}

TEST(VirtualClock, MovesOnlyWhenSleptOrAdvancedAndCountsSleeps) {
    VirtualClock clock(1000);
    EXPECT_EQ(clock.tickMs(), 1000u);
    EXPECT_EQ(clock.tickMs(), 1000u);
    clock.sleepMs(10);
    clock.sleepMs(10);
    clock.advance(500);
    EXPECT_EQ(clock.tickMs(), 1520u);
    EXPECT_EQ(clock.sleepCount(), 2u);
    EXPECT_EQ(clock.sleptMs(), 20u);
    clock.resetCounts();
    EXPECT_EQ(clock.sleepCount(), 0u);
    EXPECT_EQ(clock.tickMs(), 1520u);
}

TEST(VirtualClock, WrapsLikeA32BitTickCount) {
    VirtualClock clock(0xFFFFFFF0u);
    clock.sleepMs(0x20);
    EXPECT_EQ(clock.tickMs(), 0x10u);
}

TEST(VirtualClock, TellsTheHookTheNewTime) {
    VirtualClock clock;
    std::vector<std::uint32_t> seen;
    clock.onAdvance([&](std::uint32_t now) { seen.push_back(now); });
    clock.sleepMs(350);
    clock.advance(50);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{350u, 400u}));
}

TEST(RealClock, SleepMovesTheTickCountForward) {
    RealClock clock;
    const auto before = clock.tickMs();
    clock.sleepMs(20);
    EXPECT_GE(elapsedMs(before, clock.tickMs()), 19u);
}

}  // namespace
}  // namespace hollin
