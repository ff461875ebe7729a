#include "common/text_twin.h"

#include <gtest/gtest.h>

namespace hollin {
namespace {

TEST(PickText, KoreanOnlyFor949) {
    const TextTwin twin{"Error", "에러"};
    EXPECT_EQ(pickText(twin, kLanguageKorean), "에러");
    EXPECT_EQ(pickText(twin, 949), "에러");
    EXPECT_EQ(pickText(twin, kLanguageEnglish), "Error");
    for (int other : {0, -1, 437, 932, 950, 1251, 65001}) {
        EXPECT_EQ(pickText(twin, other), "Error") << other;
    }
}

}  // namespace
}  // namespace hollin
