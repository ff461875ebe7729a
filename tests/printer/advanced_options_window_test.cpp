// The advanced options window run from the main window's button over an in-process printer: what
// reaches the printer and what it keeps, what the operator sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/advanced_options_codec.h"
#include "printer/advanced_options_window.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "support/main_window_fakes.h"
#include "ui/status_window.h"

namespace hollin::printer {
namespace {

using namespace adv;
using test::FakeView;
constexpr int kOptions = AdvancedOptionsWindow::kDialogId;
constexpr int kStatus = ui::StatusWindow::kDialogId;

struct AdvancedOptionsTest : ::testing::Test {
    test::MainWindowFakes fakes;
    test::FakeDesktop desktop;
    FakeView view{desktop};
    std::unique_ptr<CHollinDlg> dlg;
    std::size_t before = 0;

    void openOn(int emulation, Bytes block) {
        fakes.printer.setEmulation(emulation);
        fakes.printer.setOptionBlock(emulation, std::move(block));
        dlg = std::make_unique<CHollinDlg>(fakes.deps());
        view.open(*dlg);
        ASSERT_TRUE(view.click(ids::kOpenPort));
        ASSERT_TRUE(view.enabled(ids::kAdvancedOptions));
        fakes.printer.clearLog();
        before = fakes.port.commandBytes().size();
    }
    // Runs the window with `script` acting on it; the script ends it.
    void run(std::function<void(FakeView&)> script) {
        desktop.script(kOptions, std::move(script));
        ASSERT_TRUE(view.click(ids::kAdvancedOptions));
    }
    Bytes sent() const {
        const Bytes all = fakes.port.commandBytes();
        return Bytes(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }
    std::vector<std::string> messages() const { return desktop.messageTexts(); }
};

// language 1, error clear 0, peeler 1, margins 5 / 6 / 7, tone 20, direction as given.
Bytes block(std::uint8_t direction = 'N') {
    Bytes b(20, 0);
    b[0] = 1;
    b[2] = 1;
    b[3] = 5;
    b[4] = 6;
    b[5] = 7;
    b[8] = 20;
    b[9] = direction;
    b[15] = 0xAB;  // a byte of the block the window never shows
    return b;
}

TEST_F(AdvancedOptionsTest, CpclGetShowsTheValuesAndOnlyTheTopMarginChangeGoesOutAsOneMarginsCommand) {
    openOn(kCpcl, block());
    run([&](FakeView& v) {
        EXPECT_EQ(v.title(), "Advanced Options");
        EXPECT_TRUE(v.visibleAll({kLanguage, kLanguageGroup, kLanguageLabel}));
        EXPECT_TRUE(v.hiddenAll({kDirection, kDirectionGroup, kDirectionLabel, kErrorClear, kPeeler}));
        EXPECT_TRUE(v.disabledAll({kSaveInfo, kLanguage, kLeftMargin, kTopMargin, kTofMargin, kTone}));
        ASSERT_TRUE(v.click(kGetInfo));
        EXPECT_TRUE(messages().empty());
        EXPECT_EQ(v.selectedText(kLanguage), "Korean");
        EXPECT_EQ(v.selectedText(kPeeler), "Not using the peeler");
        EXPECT_EQ(v.text(kLeftMargin), "5");
        EXPECT_EQ(v.text(kTofMargin), "6");
        EXPECT_EQ(v.text(kTopMargin), "7");
        EXPECT_EQ(v.text(kTone), "20");
        EXPECT_FALSE(v.enabled(kGetInfo));
        EXPECT_FALSE(v.enabled(kSaveInfo));
        // A margin changed and changed back leaves nothing to save.
        ASSERT_TRUE(v.typeOver(kTopMargin, "9"));
        EXPECT_TRUE(v.enabled(kSaveInfo));
        ASSERT_TRUE(v.typeOver(kTopMargin, "7"));
        EXPECT_FALSE(v.enabled(kSaveInfo));
        ASSERT_TRUE(v.typeOver(kTopMargin, "200"));
        ASSERT_TRUE(v.click(kSaveInfo));
        EXPECT_TRUE(v.enabled(kGetInfo));
        EXPECT_TRUE(v.disabledAll({kSaveInfo, kLanguage, kTopMargin, kTone}));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(sent(), test::concat({readAllOptionsCommand(), marginsCommand(5, 6, 200)}));
    EXPECT_EQ(fakes.printer.log(), (std::vector<std::string>{"options read all", "options margins"}));
    Bytes kept = block();
    kept[5] = 200;
    EXPECT_EQ(fakes.printer.optionBlock(kCpcl), kept);
    ASSERT_EQ(desktop.runCount(kStatus), 1);
    EXPECT_EQ(desktop.lastView(kStatus)->text(ui::StatusWindow::kText), "Save Completed !!!");
    EXPECT_EQ(desktop.lastView(kStatus)->title(), "Save Advanced options settings");
    EXPECT_EQ(desktop.runs().front().result, ui::kResultOk);
}

TEST_F(AdvancedOptionsTest, ZplUnknownDirectionThenNormalSendsWriteAllWithTheUpdatedBlock) {
    openOn(kZpl, block('X'));
    run([&](FakeView& v) {
        EXPECT_TRUE(v.hiddenAll({kLanguage, kLanguageGroup, kLanguageLabel}));
        EXPECT_TRUE(v.visibleAll({kDirection, kDirectionGroup}));
        ASSERT_TRUE(v.click(kGetInfo));
        EXPECT_EQ(v.items(kDirection), (std::vector<std::string>{"Normal", "Inverted", "Unknown"}));
        EXPECT_EQ(v.selectedText(kDirection), "Unknown");
        ASSERT_TRUE(v.select(kDirection, "Normal"));
        EXPECT_TRUE(v.enabled(kSaveInfo));
        ASSERT_TRUE(v.typeOver(kTone, "30"));
        ASSERT_TRUE(v.click(kSaveInfo));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    Bytes expected = block('N');
    expected[8] = 30;
    EXPECT_EQ(fakes.printer.log(),
              (std::vector<std::string>{"options read all", "options tone 30", "options write all"}));
    EXPECT_EQ(fakes.printer.optionBlock(kZpl), expected);
    EXPECT_EQ(expected[kBlockDirection], 'N');
}

TEST_F(AdvancedOptionsTest, EditsFilterTheirCharactersAndValidateAsTheValuesAreTaken) {
    openOn(kCpcl, block());
    run([&](FakeView& v) {
        ASSERT_TRUE(v.click(kGetInfo));
        EXPECT_FALSE(v.type(kLeftMargin, "-"));
        EXPECT_EQ(v.text(kLeftMargin), "5");
        ASSERT_TRUE(v.type(kLeftMargin, "A"));
        ASSERT_EQ(messages(), (std::vector<std::string>{"Please enter an integer."}));
        EXPECT_EQ(desktop.messages()[0].caption, kProductTitle);
        EXPECT_EQ(desktop.messages()[0].icon, ui::MessageIcon::Warning);
        EXPECT_EQ(v.focusedControl(), kLeftMargin);
        desktop.clearMessages();
        ASSERT_TRUE(v.typeOver(kLeftMargin, "255"));
        EXPECT_EQ(messages(), (std::vector<std::string>{"Please enter an integer between 0 and 254."}));
        desktop.clearMessages();
        // Nothing goes out while a value is outside 0..254: Save waits for the value to be mended.
        EXPECT_FALSE(v.enabled(kSaveInfo));
        EXPECT_FALSE(v.click(kSaveInfo));
        // An empty edit disables Save and Options exit.
        ASSERT_TRUE(v.typeOver(kLeftMargin, ""));
        EXPECT_FALSE(v.enabled(kSaveInfo));
        EXPECT_FALSE(v.enabled(ui::IDOK));
        ASSERT_TRUE(v.type(kLeftMargin, "5"));
        EXPECT_TRUE(v.enabled(ui::IDOK));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(sent(), readAllOptionsCommand());
    EXPECT_EQ(desktop.runCount(kStatus), 0);
}

// Unset memory reads 255; the hidden values and a language without an entry go back untouched.
struct HiddenBytesCase {
    int emulation;
    bool changeDirection;
    std::vector<std::string> log;
};
struct HiddenBytesTest : AdvancedOptionsTest, ::testing::WithParamInterface<HiddenBytesCase> {};

TEST_P(HiddenBytesTest, HiddenBytesOf255DoNotStopAMarginSave) {
    const HiddenBytesCase& c = GetParam();
    Bytes unset = block();
    unset[0] = unset[1] = unset[2] = 0xFF;  // language, error clear, peeler
    openOn(c.emulation, unset);
    run([&](FakeView& v) {
        ASSERT_TRUE(v.click(kGetInfo));
        EXPECT_EQ(v.selection(kLanguage), -1);
        ASSERT_TRUE(v.typeOver(kLeftMargin, "9"));
        if (c.changeDirection) {
            ASSERT_TRUE(v.select(kDirection, "Inverted"));
        }
        ASSERT_TRUE(v.click(kSaveInfo));
        EXPECT_TRUE(messages().empty());
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(fakes.printer.log(), c.log);
    Bytes expected = unset;
    expected[kBlockLeftMargin] = 9;
    if (c.changeDirection)
        expected[kBlockDirection] = 'I';
    EXPECT_EQ(fakes.printer.optionBlock(c.emulation), expected);
    const Bytes wire = sent();
    const Bytes margins = marginsCommand(9, 6, 7);
    EXPECT_NE(std::search(wire.begin(), wire.end(), margins.begin(), margins.end()), wire.end());
    EXPECT_EQ(desktop.runCount(kStatus), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Emulations, HiddenBytesTest,
    ::testing::Values(HiddenBytesCase{kCpcl, false, {"options read all", "options margins"}},
                      HiddenBytesCase{
                          kZpl, true, {"options read all", "options margins", "options write all"}}));

// A check that failed while typing leaves Save disabled until the value is mended; nothing is
// announced as saved.
TEST_F(AdvancedOptionsTest, SaveAfterAFailedCheckSendsNothingAndSaysNothingSaved) {
    openOn(kCpcl, block());
    run([&](FakeView& v) {
        ASSERT_TRUE(v.click(kGetInfo));
        ASSERT_TRUE(v.typeOver(kTopMargin, "9"));
        EXPECT_TRUE(v.enabled(kSaveInfo));
        for (const char* bad : {"A", "300"}) {
            desktop.clearMessages();
            ASSERT_TRUE(v.typeOver(kLeftMargin, bad));
            EXPECT_EQ(messages().size(), 1u) << bad;
            EXPECT_FALSE(v.enabled(kSaveInfo)) << bad;
            EXPECT_FALSE(v.click(kSaveInfo)) << bad;
        }
        // Mended, the comparison decides again: the top margin still differs.
        ASSERT_TRUE(v.typeOver(kLeftMargin, "5"));
        EXPECT_TRUE(v.enabled(kSaveInfo));
        ASSERT_TRUE(v.typeOver(kTopMargin, "7"));
        EXPECT_FALSE(v.enabled(kSaveInfo));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(sent(), readAllOptionsCommand());
    EXPECT_EQ(desktop.runCount(kStatus), 0);
}

TEST_F(AdvancedOptionsTest, FailuresLeaveTheWindowAsItWas) {
    openOn(kCpcl, block());
    run([&](FakeView& v) {
        // A silent printer: 62 reads, then the time-out message.
        fakes.printer.setSilent(true);
        const int reads = fakes.port.readCalls();
        ASSERT_TRUE(v.click(kGetInfo));
        EXPECT_EQ(messages(), (std::vector<std::string>{"Timeout error.\r\nPrinter is no response."}));
        EXPECT_LE(fakes.port.readCalls() - reads, kOptionsMaxReads);
        EXPECT_TRUE(v.enabled(kGetInfo));
        EXPECT_TRUE(v.disabledAll({kSaveInfo, kTopMargin}));
        fakes.printer.setSilent(false);
        desktop.clearMessages();
        // A reply too short for the values is refused; nothing changes.
        fakes.port.answerNextWriteWith(test::concat({test::bytesOf("\x1B#tavik"), {0x05, 'R', 1, 2, 3, 4}}));
        ASSERT_TRUE(v.click(kGetInfo));
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], kOptionsReplyTooShortText.english);
        EXPECT_TRUE(v.enabled(kGetInfo));
        EXPECT_TRUE(v.disabledAll({kSaveInfo, kTopMargin}));
        desktop.clearMessages();
        // A save that does not reach the printer announces nothing and changes no control.
        ASSERT_TRUE(v.click(kGetInfo));
        ASSERT_TRUE(v.typeOver(kTopMargin, "9"));
        fakes.port.setWritesTimeOut(true);
        ASSERT_TRUE(v.click(kSaveInfo));
        EXPECT_EQ(messages(), (std::vector<std::string>{"Sending ERROR"}));
        EXPECT_TRUE(v.enabledAll({kSaveInfo, kTopMargin}));
        EXPECT_FALSE(v.enabled(kGetInfo));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(desktop.runCount(kStatus), 0);
    EXPECT_EQ(fakes.printer.optionBlock(kCpcl), block());
}

}  // namespace
}  // namespace hollin::printer
