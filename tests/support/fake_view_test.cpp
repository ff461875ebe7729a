// The fakes stand in for the dialog host in every window test, so their notification rules are the
// contract those tests rely on.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/fake_desktop.h"
#include "support/fake_view.h"

namespace hollin::test {
namespace {

using ui::Notification;

// Records every notification and can refuse characters.
class ProbeWindow : public ui::Window {
  public:
    explicit ProbeWindow(int dialogId = 500) : ui::Window(dialogId) {
        for (ui::ControlId id : {10, 11, 12, 20, 21, 30, 31}) {
            for (Notification n :
                 {Notification::Clicked, Notification::SelectionChanged, Notification::EditChanged}) {
                on(id, n, [this, id, n] { seen.push_back({id, n}); });
            }
        }
    }
    void onInit() override {
        view().addItem(20, "COM1");
        view().addItem(20, "USB");
        view().setSelection(20, 0);
        view().setText(30, "init");
        ++inits;
    }
    void onTimer(int timerId) override { timers.push_back(timerId); }
    bool acceptChar(ui::ControlId, ui::ControlId focused, char32_t ch) override {
        focusAtChar = focused;
        return ch != U'x';
    }

    std::vector<std::pair<ui::ControlId, Notification>> seen;
    std::vector<int> timers;
    int inits = 0;
    ui::ControlId focusAtChar = 0;
};

struct Fixture : ::testing::Test {
    FakeDesktop desktop;
    FakeView view{desktop};
    ProbeWindow window;
    void SetUp() override { view.open(window); }
};

using FakeViewSemantics = Fixture;

TEST_F(FakeViewSemantics, CodeChangesStaySilentExceptEditText) {
    // onInit filled a list and set an edit's text: only the text change notified.
    ASSERT_EQ(window.seen.size(), 1u);
    EXPECT_EQ(window.seen[0], std::make_pair(30, Notification::EditChanged));
    EXPECT_EQ(view.text(20), "COM1");  // a list's text is its selected item

    window.seen.clear();
    view.setSelection(20, 1);
    view.setChecked(10, true);
    view.setAddress(31, {192, 168, 0, 1});
    EXPECT_TRUE(window.seen.empty());
    EXPECT_EQ(view.selectedText(20), "USB");

    view.setSelection(20, 7);  // out of range clears, like the list controls
    EXPECT_EQ(view.selection(20), -1);
    EXPECT_EQ(view.text(20), "");
}

TEST_F(FakeViewSemantics, UserActionsNotifyOnlyOnReachableControls) {
    window.seen.clear();
    EXPECT_TRUE(view.click(10));
    EXPECT_TRUE(view.select(20, "USB"));
    EXPECT_TRUE(view.setCheckByUser(11, true));
    ASSERT_EQ(window.seen.size(), 3u);
    EXPECT_EQ(window.seen[1], std::make_pair(20, Notification::SelectionChanged));
    EXPECT_EQ(view.selection(20), 1);
    EXPECT_TRUE(view.checked(11));

    view.enable(10, false);
    view.show(12, false);
    EXPECT_FALSE(view.click(10));
    EXPECT_FALSE(view.click(12));
    EXPECT_EQ(window.seen.size(), 3u);

    view.setWindowVisible(false);  // a hidden window cannot be clicked either
    EXPECT_FALSE(view.click(11));
    view.setWindowVisible(true);
    view.endDialog(ui::kResultOk);  // nor a closed one
    EXPECT_FALSE(view.click(11));
    EXPECT_EQ(view.result(), ui::kResultOk);
}

TEST_F(FakeViewSemantics, TypingFiltersPerCharacterHonoursLimitAndBackspace) {
    window.seen.clear();
    view.setFocus(99);
    view.setTextLimit(30, 8);
    EXPECT_TRUE(view.type(30, "xaxb"));  // 'x' refused by the window's filter
    EXPECT_EQ(view.text(30), "initab");
    EXPECT_EQ(window.focusAtChar, 30);  // typing moves the focus to the edit first
    EXPECT_EQ(window.seen.size(), 2u);  // one change per accepted character

    EXPECT_TRUE(view.type(30, "cdé"));  // the limit counts characters, not bytes
    EXPECT_EQ(view.text(30), "initabcd");
    EXPECT_TRUE(view.type(30, "\b\bé"));
    EXPECT_EQ(view.text(30), "initabé");

    EXPECT_TRUE(view.typeOver(30, "z"));
    EXPECT_EQ(view.text(30), "z");
}

TEST_F(FakeViewSemantics, TimersFireOnlyWhileRunning) {
    EXPECT_FALSE(view.fireTimer(1));
    view.startTimer(1, 1000);
    EXPECT_EQ(view.timerPeriod(1), 1000);
    EXPECT_TRUE(view.fireTimer(1));
    view.stopTimer(1);
    EXPECT_FALSE(view.fireTimer(1));
    EXPECT_EQ(window.timers, std::vector<int>{1});
}

TEST_F(FakeViewSemantics, UnknownIdsAreCreatedAndListed) {
    view.declare({10, 11, 12, 20, 21, 30});
    view.enable(4711, false);
    EXPECT_FALSE(view.enabled(4711));
    EXPECT_EQ(view.undeclared(), (std::set<ui::ControlId>{4711}));
    EXPECT_TRUE(view.enabledAll({10, 11}));
    EXPECT_FALSE(view.enabledAll({10, 4711}));
    EXPECT_TRUE(view.disabledAll({4711}));
}

TEST(FakeViewMisuse, SelectingAMissingItemFailsTheTest) {
    FakeDesktop desktop;
    FakeView view(desktop);
    ProbeWindow window;
    view.open(window);
    EXPECT_NONFATAL_FAILURE(view.select(20, "COM9"), "has no item \"COM9\"");
}

// --- FakeDesktop

class ChildWindow : public ui::Window {
  public:
    ChildWindow() : ui::Window(600) {}
    void onInit() override {
        view().setText(1, "OK");
        answer =
            view().messageBox("Continue?", "Question", ui::MessageButtons::YesNo, ui::MessageIcon::Question);
    }
    int answer = 0;
};

TEST(FakeDesktopRuns, ScriptedModalChildReturnsItsEndDialogResult) {
    FakeDesktop desktop;
    desktop.answer(ui::kResultNo);
    desktop.script(600, [](FakeView& v) {
        EXPECT_EQ(v.text(1), "OK");
        v.click(ui::IDOK);  // the base window ends with OK
    });
    ChildWindow child;
    EXPECT_EQ(desktop.runModal(child, nullptr), ui::kResultOk);
    EXPECT_EQ(child.answer, ui::kResultNo);
    EXPECT_FALSE(child.attached());
    ASSERT_EQ(desktop.messages().size(), 1u);
    EXPECT_EQ(desktop.messages().back().ownerDialogId, 600);
    EXPECT_EQ(desktop.messages().back().caption, "Question");
    EXPECT_EQ(desktop.runCount(600), 1);
    EXPECT_EQ(desktop.lastView(600)->text(1), "OK");

    // Unscripted: initialised, then closed with the unscripted result; default answer is the first button.
    desktop.script(600, nullptr);
    desktop.setUnscriptedResult(ui::kResultCancel);
    ChildWindow again;
    EXPECT_EQ(desktop.runModal(again, nullptr), ui::kResultCancel);
    EXPECT_EQ(again.answer, ui::kResultYes);

    // A stand replaces the whole run.
    desktop.stand(600, [](ui::Window&) { return 42; });
    ChildWindow stood;
    EXPECT_EQ(desktop.runModal(stood, nullptr), 42);
    EXPECT_EQ(stood.answer, 0);
}

TEST(FakeDesktopRuns, ScriptThatLeavesTheDialogOpenAndWrongAnswersFailTheTest) {
    FakeDesktop desktop;
    desktop.script(600, [](FakeView&) {});
    ChildWindow child;
    EXPECT_NONFATAL_FAILURE(desktop.runModal(child, nullptr), "still open after its script");

    FakeDesktop other;
    other.answer(ui::kResultRetry);
    EXPECT_NONFATAL_FAILURE(other.messageBox("Saved.", "", ui::MessageButtons::Ok, ui::MessageIcon::None),
                            "not a button");
}

TEST(FakeDesktopFiles, AnswersFromQueuesThenCancels) {
    FakeDesktop desktop;
    desktop.answerFolder("/tmp/fonts");
    EXPECT_EQ(desktop.browseFolder("Pick", "/usr"), "/tmp/fonts");
    EXPECT_EQ(desktop.browseFolder("Pick", "/usr"), std::nullopt);
    desktop.answerSaveFile("/tmp/a.tfd");
    EXPECT_EQ(desktop.saveFileName("Save", "a.tfd", "Font files (*.tfd)"), "/tmp/a.tfd");
    ASSERT_EQ(desktop.saveFileRequests().size(), 1u);
    EXPECT_EQ(desktop.saveFileRequests()[0].filter, "Font files (*.tfd)");
    EXPECT_EQ(desktop.folderRequests().size(), 2u);
}

}  // namespace
}  // namespace hollin::test
