// How the printer windows tell the operator that the probe failed.
#include "printer/result_messages.h"

#include <gtest/gtest.h>

#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "transport/printer_exchange.h"

namespace hollin::printer {
namespace {

TEST(ProbeReport, TheTwoFailuresHaveTheirMessagesInBothLanguages) {
    test::FakeDesktop desktop;
    test::FakeView view(desktop);
    EXPECT_TRUE(reportProbeResult(view, kProbeOk, kLanguageEnglish));
    EXPECT_FALSE(reportProbeResult(view, kProbeNoReply, kLanguageEnglish));
    EXPECT_FALSE(reportProbeResult(view, kProbeUnknown, kLanguageEnglish));
    EXPECT_FALSE(reportProbeResult(view, kProbeNoReply, kLanguageKorean));
    EXPECT_FALSE(reportProbeResult(view, kProbeUnknown, kLanguageKorean));
    const auto& m = desktop.messages();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].text, "No Response in printer");
    EXPECT_EQ(m[0].caption, "Error");
    EXPECT_EQ(m[0].buttons, ui::MessageButtons::Ok);
    EXPECT_EQ(m[1].text, "Failed to read emulation");
    EXPECT_EQ(m[2].text, "프린터 응답이 없습니다. !!!");
    EXPECT_EQ(m[2].caption, "에러");
    EXPECT_EQ(m[3].text, "Emulation 읽기 실패 !!!");
}

}  // namespace
}  // namespace hollin::printer
