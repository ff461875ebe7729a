// The main window's TrueType group with the font manager and the target window, against the
// in-process CPCL and ZPL printers: what reaches the printer, what it keeps, what the operator sees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fonts/font_download.h"
#include "fonts/font_windows.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "sim/fonts.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "support/main_window_fakes.h"
#include "ui/info_window.h"

namespace hollin::fonts {
namespace {

using test::FakeView;
namespace ids = printer::ids;
constexpr int kManager = FontManagerWindow::kDialogId;
constexpr int kTarget = FontTargetWindow::kDialogId;

struct FontGroupTest : ::testing::TestWithParam<int> {
    test::MainWindowFakes fakes;
    test::FakeDesktop desktop;
    FakeView view{desktop};
    std::unique_ptr<printer::CHollinDlg> dlg;
    std::filesystem::path dir;
    Bytes font;

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("hollin-font-group-" + std::to_string(::getpid()) + "-" + std::to_string(GetParam()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        font.resize(1000);
        for (std::size_t i = 0; i < font.size(); ++i)
            font[i] = static_cast<std::uint8_t>(i * 13);
        std::ofstream(dir / "MyFont.ttf", std::ios::binary)
            .write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
        std::ofstream(dir / "small.TTF") << "too small";
        ::setenv("HOLLIN_FONT_DIR", dir.c_str(), 1);
        fakes.printer.setEmulation(GetParam());
        dlg = std::make_unique<printer::CHollinDlg>(fakes.deps());
        view.open(*dlg);
        ASSERT_TRUE(view.click(ids::kOpenPort));
        desktop.clearMessages();
    }
    void TearDown() override {
        ::unsetenv("HOLLIN_FONT_DIR");
        std::filesystem::remove_all(dir);
    }
    // Open File choosing `file`, ID `id`.
    void openFile(const std::string& file, int id) {
        desktop.script(kManager, [file](FakeView& v) {
            ASSERT_TRUE(v.select(fm::kTrueTypeList, file));
            ASSERT_TRUE(v.click(ui::IDOK));
        });
        desktop.script(kTarget, [id](FakeView& v) {
            EXPECT_EQ(v.items(ft::kFontId).size(), 9u);
            EXPECT_EQ(v.selection(ft::kFontId), 0);
            EXPECT_FALSE(v.enabled(ft::kRam));
            EXPECT_TRUE(v.checked(ft::kFlash));
            ASSERT_TRUE(v.select(ft::kFontId, id - 1));
            ASSERT_TRUE(v.click(ui::IDOK));
        });
        ASSERT_TRUE(view.click(ids::kFontOpenFile));
    }
    std::vector<std::string> messages() const { return desktop.messageTexts(); }
};

TEST_P(FontGroupTest, DownloadListAndDelete) {
    openFile("MyFont.ttf", 3);
    EXPECT_TRUE(view.enabled(ids::kFontDownload));
    desktop.answer(ui::kResultYes);  // the save dialog is cancelled: the stream stays in memory
    ASSERT_TRUE(view.click(ids::kFontDownload));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Download font to printer ?"}));
    EXPECT_EQ(desktop.saveFileRequests().at(0).filter, "Font File(*.tfd) (*.tfd *.doc)");
    EXPECT_EQ(desktop.saveFileRequests().at(0).start, ".");  // the working folder
    const auto stored = fakes.printer.fonts().fonts;
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].id, 3);
    EXPECT_EQ(stored[0].name, "MyFont");
    EXPECT_EQ(stored[0].size, 1000u);
    EXPECT_EQ(desktop.runCount(ui::InfoWindow::kDialogId), 1);
    EXPECT_TRUE(view.enabled(ids::kFontOpenFile));
    EXPECT_FALSE(view.enabled(ids::kFontDownload));
    EXPECT_FALSE(view.visible(ids::kFontProgress));
    EXPECT_EQ(view.progress(ids::kFontProgress), 0);

    // Read the printer's fonts, then delete the one listed.
    desktop.clearMessages();
    std::vector<std::string> listed;
    desktop.script(kManager, [&](FakeView& v) {
        EXPECT_EQ(v.title(), "Download Font Selection Dialog");
        EXPECT_FALSE(v.enabled(fm::kDelete));
        ASSERT_TRUE(v.click(fm::kRead));
        listed = v.items(fm::kPrinterList);
        EXPECT_EQ(v.text(fm::kFileSize), "1000");
        EXPECT_EQ(v.text(fm::kUsed), "1000");
        ASSERT_TRUE(v.click(fm::kDelete));
        EXPECT_TRUE(v.items(fm::kPrinterList).empty());
        EXPECT_FALSE(v.enabled(fm::kDelete));
        EXPECT_EQ(v.text(fm::kFileSize), "0");
        EXPECT_EQ(v.text(fm::kUsed), "0");
        v.pressEsc();
    });
    ASSERT_TRUE(view.click(ids::kFontOpenFile));
    const unsigned id = GetParam() == kZpl ? 3 : 0;
    EXPECT_EQ(listed, (std::vector<std::string>{fontListLine({id, "MyFont", 1000})}));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Reading success", "Delete success"}));
    EXPECT_EQ(desktop.messages()[0].caption, "Hollin Printer Utility");
    EXPECT_TRUE(fakes.printer.fonts().fonts.empty());
    // The manager cancelled: Download disabled.
    EXPECT_FALSE(view.enabled(ids::kFontDownload));
}

TEST_P(FontGroupTest, SavedFileIsWhatIsSentAndNoKeepsIt) {
    openFile("MyFont.ttf", 2);
    desktop.answerSaveFile((dir / "myfont").string());
    desktop.answer(ui::kResultNo);
    ASSERT_TRUE(view.click(ids::kFontDownload));
    std::ifstream in(dir / "myfont.tfd", std::ios::binary);
    const Bytes saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, fontDownloadStream(2, FontMemory::Flash, "MyFont", font));
    EXPECT_TRUE(view.enabled(ids::kFontDownload));
    EXPECT_TRUE(fakes.printer.fonts().fonts.empty());
    // Yes now: the printer keeps what the file holds.
    desktop.answerSaveFile((dir / "x.tfd.bak").string());
    desktop.answer(ui::kResultYes);
    ASSERT_TRUE(view.click(ids::kFontDownload));
    EXPECT_TRUE(std::filesystem::exists(dir / "x.tfd.bak"));
    ASSERT_EQ(fakes.printer.fonts().fonts.size(), 1u);
    EXPECT_EQ(fakes.printer.fonts().fonts[0].id, 2);
}

TEST_P(FontGroupTest, FailuresSendNothingOrStopAtTheFirstSliceNotSent) {
    openFile("small.TTF", 1);
    ASSERT_TRUE(view.click(ids::kFontDownload));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Please, check the file size"}));
    EXPECT_EQ(desktop.messages()[0].buttons, ui::MessageButtons::YesNo);
    EXPECT_EQ(desktop.messages()[0].icon, ui::MessageIcon::Question);
    desktop.clearMessages();

    openFile("MyFont.ttf", 1);
    // Output not creatable: stop there; an old file of that name is not sent.
    desktop.answerSaveFile((dir / "none" / "a.tfd").string());
    const std::size_t before = fakes.printer.bytesReceived();
    ASSERT_TRUE(view.click(ids::kFontDownload));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Write Open Failed"}));
    EXPECT_EQ(fakes.printer.bytesReceived(), before);
    desktop.clearMessages();

    // The link gives up on the first slice.
    fakes.port.setWritesTimeOut(true);
    desktop.answer(ui::kResultYes);
    ASSERT_TRUE(view.click(ids::kFontDownload));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Download font to printer ?", "Sending ERROR"}));
    EXPECT_EQ(desktop.runCount(ui::InfoWindow::kDialogId), 0);
    EXPECT_FALSE(view.visible(ids::kFontProgress));
    EXPECT_EQ(view.progress(ids::kFontProgress), 0);
    EXPECT_TRUE(view.enabled(ids::kFontOpenFile));
    EXPECT_TRUE(view.enabled(ids::kFontDownload));
}

TEST_P(FontGroupTest, ManagerDeletesTheSecondOfThreeAndNothingWithoutSelection) {
    sim::FontsState state;
    for (int i = 1; i <= 3; ++i)
        state.fonts.push_back({i, 1, "F" + std::to_string(i), static_cast<std::uint32_t>(300 * i), 0});
    fakes.printer.setFonts(state);
    desktop.script(kManager, [&](FakeView& v) {
        ASSERT_TRUE(v.click(fm::kRead));
        ASSERT_EQ(v.items(fm::kPrinterList).size(), 3u);
        ASSERT_TRUE(v.select(fm::kPrinterList, 1));
        EXPECT_EQ(v.text(fm::kFileSize), "600");
        ASSERT_TRUE(v.click(fm::kDelete));
        const unsigned id1 = GetParam() == kZpl ? 1 : 0, id3 = GetParam() == kZpl ? 3 : 0;
        EXPECT_EQ(v.items(fm::kPrinterList),
                  (std::vector<std::string>{fontListLine({id1, "F1", 300}), fontListLine({id3, "F3", 900})}));
        EXPECT_EQ(v.selection(fm::kPrinterList), 0);
        // Nothing selected: nothing is sent.
        v.setSelection(fm::kPrinterList, -1);
        const std::size_t before = fakes.printer.bytesReceived();
        ASSERT_TRUE(v.click(fm::kDelete));
        EXPECT_EQ(fakes.printer.bytesReceived(), before);
        v.pressEsc();
    });
    ASSERT_TRUE(view.click(ids::kFontOpenFile));
    std::vector<std::string> left;
    for (const auto& f : fakes.printer.fonts().fonts)
        left.push_back(f.name);
    EXPECT_EQ(left, (std::vector<std::string>{"F1", "F3"}));
}

TEST_P(FontGroupTest, ManagerReportsSilenceAndBadSignatures) {
    desktop.script(kManager, [&](FakeView& v) {
        fakes.printer.setSilent(true);
        ASSERT_TRUE(v.click(fm::kRead));
        fakes.printer.setSilent(false);
        fakes.port.answerNextWriteWith(test::bytesOf("garbage"));
        ASSERT_TRUE(v.click(fm::kRead));
        EXPECT_FALSE(v.enabled(fm::kDelete));
        EXPECT_FALSE(v.enabled(ui::IDOK));  // no TTF chosen
        v.pressEsc();
    });
    ASSERT_TRUE(view.click(ids::kFontOpenFile));
    ASSERT_EQ(desktop.messages().size(), 2u);
    EXPECT_EQ(desktop.messages()[0].text, "Printer is no response");
    EXPECT_EQ(desktop.messages()[0].caption, "Timeout Error");
    EXPECT_EQ(desktop.messages()[1].text, "Invalid Syntax ???");
    EXPECT_EQ(desktop.messages()[1].caption, "Receive Error");
}

INSTANTIATE_TEST_SUITE_P(CpclAndZpl, FontGroupTest, ::testing::Values(kCpcl, kZpl));

}  // namespace
}  // namespace hollin::fonts
