#include <gtest/gtest.h>

#include "platform/clock.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "ui/info_window.h"
#include "ui/status_window.h"

namespace hollin::ui {
namespace {

using test::FakeDesktop;
using test::FakeView;

struct InfoCase {
    int kind;
    int mode;
    int minutes;
    const char* entry;
    const char* caption;
    const char* text;
};

TEST(InfoWindow, CaptionAndTextByKind) {
    const InfoCase cases[] = {
        {0, 0, 7, "", "Power Save Mode Setting Information", "Printer does not support the power save mode."},
        {0, 1, 5, "", "Power Save Mode Setting Information", "The printer power will be off after 5 minute."},
        {0, 2, 0, "", "Power Save Mode Setting Information",
         "The printer goes into power save mode after 0 minute."},
        {0, 2, 300, "", "Power Save Mode Setting Information",
         "The printer goes into power save mode after 300 minute."},
        {1, 0, 0, "CP_KATAKANA", "Code Page Setting Information", "Code Page changed to CP_KATAKANA."},
        {2, 0, 0, "", "Factory settting completed", "Printer is reset to factory settings."},
        {3, 0, 0, "DENSITY [+1]", "Printer Density Setting Information",
         "Printer Density changed to DENSITY [+1]."},
        {4, 0, 0, "", "Font download Information", "Font download is success."},
        {5, 0, 0, "CP_850", "Code Page Setting Information", "Code Page changed to CP_850."},
    };
    for (const auto& c : cases) {
        FakeDesktop desktop;
        FakeView view(desktop);
        view.declare({InfoWindow::kText, IDOK});
        InfoWindow info;
        info.kind = c.kind;
        info.powerSaveMode = c.mode;
        info.minutes = c.minutes;
        info.entryText = c.entry;
        view.open(info);
        EXPECT_EQ(view.title(), c.caption) << "kind " << c.kind;
        EXPECT_EQ(view.text(InfoWindow::kText), c.text) << "kind " << c.kind;
        EXPECT_EQ(view.text(IDOK), "OK");
        EXPECT_EQ(view.icon(IDOK), 145);
        EXPECT_TRUE(view.click(IDOK));
        EXPECT_EQ(view.result(), kResultOk);
    }
}

TEST(InfoWindow, OtherKindsKeepTheFormAndNoEntryNamesNothing) {
    FakeDesktop desktop;
    FakeView view(desktop);
    view.setTitle("Information");
    view.setText(InfoWindow::kText, "template");
    InfoWindow info;
    info.kind = 9;
    view.open(info);
    EXPECT_EQ(view.title(), "Information");
    EXPECT_EQ(view.text(InfoWindow::kText), "template");

    InfoWindow outside;
    outside.kind = InfoWindow::kGeneralCodePage;  // a combo with nothing selected
    EXPECT_EQ(outside.texts().text, "Code Page changed to .");
    outside.kind = InfoWindow::kDensity;
    EXPECT_EQ(outside.texts().text, "Printer Density changed to .");
}

class StatusWindowTest : public ::testing::Test {
  protected:
    StatusWindowTest() : progress_(block_) { view_.declare({StatusWindow::kText, IDOK}); }

    StatusWindow& open(int mode) {
        window_ = std::make_unique<StatusWindow>(mode, clock_, progress_, nullptr);
        view_.open(*window_);
        return *window_;
    }

    VirtualClock clock_{100000};
    SearchSaveProgress::Block block_{};
    SearchSaveProgress progress_;
    FakeDesktop desktop_;
    FakeView view_{desktop_};
    std::unique_ptr<StatusWindow> window_;
};

TEST_F(StatusWindowTest, SearchFinishesOnTheFirstTickMoreThan1500msAfterTheSearchTime) {
    open(StatusWindow::kSearching);
    EXPECT_EQ(view_.text(StatusWindow::kText), "Now searching printers...");
    EXPECT_EQ(view_.title(), "Wi-Fi Printer Searching...");
    EXPECT_FALSE(view_.visible(IDOK));
    EXPECT_TRUE(view_.waitCursor());
    EXPECT_EQ(view_.timerPeriod(StatusWindow::kTimerId), 1000);

    EXPECT_TRUE(view_.fireTimer(StatusWindow::kTimerId));  // nothing found yet
    EXPECT_FALSE(view_.ended());

    progress_.set(Progress::SearchFlag, 1);
    progress_.set(Progress::SearchTime, clock_.tickMs());
    progress_.set(Progress::FoundFirst, 2);
    progress_.set(Progress::FoundSecond, 1);
    clock_.advance(1500);  // exactly 1500 ms is not yet "more than"
    view_.fireTimer(StatusWindow::kTimerId);
    EXPECT_FALSE(view_.ended());
    EXPECT_TRUE(view_.waitCursor());

    clock_.advance(1);
    view_.fireTimer(StatusWindow::kTimerId);
    EXPECT_EQ(view_.result(), kResultOk);
    EXPECT_EQ(progress_.get(Progress::TotalFound), 3u);
    EXPECT_FALSE(view_.waitCursor());
    EXPECT_FALSE(view_.timerRunning(StatusWindow::kTimerId));
}

TEST_F(StatusWindowTest, SearchWithoutResultsShowsCannotSearchAndTheOkButton) {
    progress_.set(Progress::SearchFlag, 1);
    progress_.set(Progress::SearchTime, clock_.tickMs() - 5000);  // also across the tick wrap below
    open(StatusWindow::kSearching);
    view_.fireTimer(StatusWindow::kTimerId);
    EXPECT_FALSE(view_.ended());
    EXPECT_EQ(view_.text(StatusWindow::kText),
              "Cannot search the Wi-Fi printer.\nPlease check the firewall...");
    EXPECT_EQ(view_.title(), "Wi-Fi Printer Searching Results...");
    EXPECT_TRUE(view_.visible(IDOK));
    EXPECT_EQ(view_.text(IDOK), "OK");
    EXPECT_FALSE(view_.timerRunning(StatusWindow::kTimerId));
    EXPECT_FALSE(view_.waitCursor());
}

TEST_F(StatusWindowTest, SearchTimeJustBeforeTheTickWrapStillCounts) {
    clock_.set(200);
    progress_.set(Progress::SearchFlag, 1);
    progress_.set(Progress::SearchTime, 0xFFFFFF00u);  // 456 ms ago, across the wrap
    progress_.set(Progress::FoundFirst, 1);
    open(StatusWindow::kSearching);
    view_.fireTimer(StatusWindow::kTimerId);
    EXPECT_FALSE(view_.ended());
    clock_.advance(1100);
    view_.fireTimer(StatusWindow::kTimerId);
    EXPECT_EQ(view_.result(), kResultOk);
}

TEST_F(StatusWindowTest, SaveAcknowledgedOnTheThirdTickShowsCompletedAndNoErrorLater) {
    open(StatusWindow::kSaving);
    EXPECT_EQ(view_.text(StatusWindow::kText), "Now saving....");
    EXPECT_FALSE(view_.visible(IDOK));
    view_.fireTimer(StatusWindow::kTimerId);
    view_.fireTimer(StatusWindow::kTimerId);
    progress_.set(Progress::SaveDone, 1);
    view_.fireTimer(StatusWindow::kTimerId);
    EXPECT_EQ(view_.text(StatusWindow::kText), "Save Completed !!!");
    EXPECT_EQ(view_.title(), "Printer Settings Saved");
    EXPECT_TRUE(view_.visible(IDOK));
    EXPECT_FALSE(view_.timerRunning(StatusWindow::kTimerId));
    EXPECT_FALSE(view_.waitCursor());
    EXPECT_FALSE(view_.fireTimer(StatusWindow::kTimerId));  // no further ticks, so no error
    EXPECT_EQ(view_.text(StatusWindow::kText), "Save Completed !!!");
}

TEST_F(StatusWindowTest, SaveWithoutAcknowledgementFailsOnTheSeventhTick) {
    open(StatusWindow::kSaving);
    for (int tick = 1; tick <= 6; ++tick) {
        view_.fireTimer(StatusWindow::kTimerId);
        EXPECT_EQ(view_.text(StatusWindow::kText), "Now saving....") << "tick " << tick;
    }
    view_.fireTimer(StatusWindow::kTimerId);
    EXPECT_EQ(view_.text(StatusWindow::kText), "Save Error !!!");
    EXPECT_EQ(view_.title(), "Save Result");
    EXPECT_TRUE(view_.visible(IDOK));
    EXPECT_FALSE(view_.timerRunning(StatusWindow::kTimerId));
    EXPECT_FALSE(view_.waitCursor());
}

TEST_F(StatusWindowTest, ResultModesAreStaticAndKeepTheOkButton) {
    struct Case {
        int mode;
        const char* text;
        const char* caption;
    };
    const Case cases[] = {
        {101, "Save Completed !!!", "Printer Settings Saved"},
        {102, "Read Completed !!!", "Read Wi-Fi information"},
        {103, "Save Completed !!!", "Save Wi-Fi information"},
        {104, "Now Saving......", "Now Saving printer settings..."},
        {105, "Save Completed !!!", "Save Advanced options settings"},
    };
    for (const auto& c : cases) {
        FakeView view(desktop_);
        StatusWindow window(c.mode, clock_, progress_, nullptr);
        view.open(window);
        EXPECT_EQ(view.text(StatusWindow::kText), c.text) << c.mode;
        EXPECT_EQ(view.title(), c.caption) << c.mode;
        EXPECT_TRUE(view.visible(IDOK)) << c.mode;
        EXPECT_TRUE(view.runningTimers().empty()) << c.mode;
        view.closeBox();
        EXPECT_TRUE(view.ended());
        EXPECT_FALSE(view.waitCursor()) << "the wait cursor outlived window " << c.mode;
    }
}

TEST_F(StatusWindowTest, ResultModesFirstShowTheirSavingTexts) {
    open(105);
    ASSERT_GE(view_.titleHistory().size(), 2u);
    EXPECT_EQ(view_.titleHistory()[view_.titleHistory().size() - 2], "Advanced options settings...");
    const auto& texts = view_.textHistory(StatusWindow::kText);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "Now Saving......");
}

TEST_F(StatusWindowTest, ClosingWhileWaitingIsAlwaysPossible) {
    open(StatusWindow::kSearching);
    view_.closeBox();
    EXPECT_TRUE(view_.ended());
    EXPECT_FALSE(view_.waitCursor());
    EXPECT_FALSE(view_.timerRunning(StatusWindow::kTimerId));
}

TEST(StatusWindowPlacement, MovesOverTheParentAsComputedFromBothRectangles) {
    FakeDesktop desktop;
    FakeView parent(desktop);
    parent.setWindowRect({100, 50, 740, 610});
    FakeView view(desktop);
    view.setWindowRect({0, 0, 300, 120});
    VirtualClock clock;
    SearchSaveProgress::Block block{};
    SearchSaveProgress progress(block);
    StatusWindow window(StatusWindow::kPrinterSaved, clock, progress, &parent);
    view.open(window);
    // ((740 - 300) / 2, (610 - 120) / 2) in the parent's client area, i.e. offset by its origin.
    EXPECT_EQ(view.windowRect().left, 100 + 220);
    EXPECT_EQ(view.windowRect().top, 50 + 245);
    EXPECT_EQ(view.windowRect().width(), 300);
}

}  // namespace
}  // namespace hollin::ui
