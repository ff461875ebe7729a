#include "common/hex.h"
#include "common/bytes.h"

#include <gtest/gtest.h>

#include <random>

namespace hollin {
namespace {

TEST(HexDigitValue, AcceptsBothCasesAndNothingAround) {
    EXPECT_EQ(hexDigitValue('0'), 0);
    EXPECT_EQ(hexDigitValue('9'), 9);
    EXPECT_EQ(hexDigitValue('A'), 10);
    EXPECT_EQ(hexDigitValue('f'), 15);
    EXPECT_EQ(hexDigitValue('F'), 15);
    for (char c : {'/', ':', '@', 'G', '`', 'g', ' ', '\0', '\x80'}) {
        EXPECT_EQ(hexDigitValue(c), -1) << int(c);
    }
}

TEST(ToHex, UpperCasePairsWithOptionalSeparator) {
    const Bytes record{0x03, 0x00, 0x0C, 0x00, 0xC0, 0xA8, 0x01, 0x0A, 0xFF};
    EXPECT_EQ(toHex(record, " "), "03 00 0C 00 C0 A8 01 0A FF");
    EXPECT_EQ(toHex(record), "03000C00C0A8010AFF");
    EXPECT_EQ(toHex(Bytes{0xAB}, " "), "AB");
    EXPECT_EQ(toHex({}), "");
    EXPECT_EQ(toHex({}, " "), "");
}

TEST(DecodeHexLenient, SkipsSeparatorsAndIgnoresCase) {
    EXPECT_EQ(decodeHexLenient("03 00 0c 00 C0 a8 01 0A 5F e2\r\n"),
              (Bytes{0x03, 0x00, 0x0C, 0x00, 0xC0, 0xA8, 0x01, 0x0A, 0x5F, 0xE2}));
    EXPECT_EQ(decodeHexLenient("c0a8"), decodeHexLenient("C0A8"));
    // Digits pair up in order, whatever stands between them.
    EXPECT_EQ(decodeHexLenient("A-B:c\tD"), (Bytes{0xAB, 0xCD}));
    EXPECT_EQ(decodeHexLenient("zz0x1Gg2f"), (Bytes{0x01, 0x2F}));
}

TEST(DecodeHexLenient, OddDigitCountDropsTheLoneLastDigit) {
    EXPECT_EQ(decodeHexLenient("ABC"), (Bytes{0xAB}));
    EXPECT_EQ(decodeHexLenient("1 2 3"), (Bytes{0x12}));
    EXPECT_EQ(decodeHexLenient("7"), Bytes{});
}

TEST(DecodeHexLenient, NoDigitsGiveNoBytes) {
    EXPECT_EQ(decodeHexLenient(""), Bytes{});
    EXPECT_EQ(decodeHexLenient("\r\n"), Bytes{});
    EXPECT_EQ(decodeHexLenient("ghij xyz"), Bytes{});
}

TEST(DecodeHexLenient, ReadsBackWhatToHexWrote) {
    std::mt19937 rng(3);
    for (std::size_t length : {0u, 1u, 2u, 17u, 256u}) {
        Bytes bytes(length);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(rng());
        }
        EXPECT_EQ(decodeHexLenient(toHex(bytes, " ")), bytes);
        EXPECT_EQ(decodeHexLenient(toHex(bytes)), bytes);
    }
}

}  // namespace
}  // namespace hollin
