#include "common/crc16.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "common/bytes.h"

namespace hollin {
namespace {

// The CRC as the printer firmware describes it: a 32-bit register started at 0xFFFF0000, each byte
// added at bits 8..15 and shifted in bit by bit, then 16 zero bits; the CRC is the upper half.
std::uint16_t augmentedCrc(std::span<const std::uint8_t> bytes) {
    std::uint32_t reg = 0xFFFF0000u;
    auto shift = [&reg](int bits) {
        for (int i = 0; i < bits; ++i) {
            if (reg & 0x80000000u) {
                reg ^= 0x08108000u;
            }
            reg <<= 1;
        }
    };
    for (std::uint8_t byte : bytes) {
        reg |= std::uint32_t{byte} << 8;
        shift(8);
    }
    shift(16);
    return static_cast<std::uint16_t>(reg >> 16);
}

TEST(ItemCrc, PublishedCheckValues) {
    EXPECT_EQ(itemCrc(asBytes("123456789")), 0xE5CC);
    EXPECT_EQ(itemCrc(asBytes("abc")), 0x8CDA);
    EXPECT_EQ(itemCrc({}), 0x1D0F);
}

TEST(ItemCrc, TableAgreesWithTheBitwiseAugmentedRegister) {
    std::mt19937 rng(7);
    for (std::size_t length = 0; length < 300; ++length) {
        std::vector<std::uint8_t> bytes(length);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(rng());
        }
        ASSERT_EQ(itemCrc(bytes), augmentedCrc(bytes)) << "length " << length;
    }
}

TEST(ItemCrc, AppendedLowByteFirstAndChecked) {
    std::vector<std::uint8_t> bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    appendItemCrc(bytes);
    ASSERT_EQ(bytes.size(), 11u);
    EXPECT_EQ(bytes[9], 0xCC);
    EXPECT_EQ(bytes[10], 0xE5);
    EXPECT_TRUE(itemCrcMatches(bytes));

    bytes[3] ^= 0x01;
    EXPECT_FALSE(itemCrcMatches(bytes));

    std::vector<std::uint8_t> empty;
    appendItemCrc(empty);
    EXPECT_EQ(empty, (std::vector<std::uint8_t>{0x0F, 0x1D}));
    EXPECT_TRUE(itemCrcMatches(empty));
}

TEST(ItemCrc, TooShortToHoldACrcNeverMatches) {
    const std::uint8_t one[] = {0x0F};
    EXPECT_FALSE(itemCrcMatches({}));
    EXPECT_FALSE(itemCrcMatches(one));
}

}  // namespace
}  // namespace hollin
