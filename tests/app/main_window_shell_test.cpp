#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/hollin_app.h"
#include "app/hollin_dlg_auto_proxy.h"
#include "common/text_twin.h"
#include "main_window/about_box.h"
#include "main_window/hollin_dlg.h"
#include "support/fake_desktop.h"
#include "support/main_window_fakes.h"

namespace hollin::printer {
namespace {

using test::FakeDesktop;
using test::FakeView;

struct MainWindowShell : ::testing::Test {
    FakeDesktop desktop;
    FakeView view{desktop};
    test::MainWindowFakes fakes;
    CHollinDlg dlg{fakes.deps()};
    void SetUp() override { view.open(dlg); }
};

TEST_F(MainWindowShell, InitialisationSetsTitleIconAndEnglish) {
    EXPECT_EQ(view.title(), "Hollin Printer Utility 2.69");
    EXPECT_EQ(view.windowIcon(), 128);
    EXPECT_EQ(dlg.messageLanguage(), kLanguageEnglish);
    ASSERT_EQ(dlg.systemMenuEntries().size(), 1u);
    EXPECT_EQ(dlg.systemMenuEntries()[0].commandId, 16);
    EXPECT_EQ(dlg.systemMenuEntries()[0].text, "&About Hollin Printer Utility...");
}

TEST_F(MainWindowShell, SystemCommandsSixteenToThirtyOneOpenTheAboutBox) {
    for (int id : {16, 31}) {
        view.sysCommand(id);
    }
    ASSERT_EQ(desktop.runCount(kAboutDialogId), 2);
    const auto& run = desktop.runs().back();
    EXPECT_TRUE(run.modal);
    EXPECT_EQ(run.parent, &dlg);
    EXPECT_EQ(run.view->title(), "About Hollin Printer Utility");
    EXPECT_EQ(run.view->text(kAboutProductControl), "Hollin Printer Utility, Version 2.69");
    EXPECT_EQ(run.view->text(kAboutRightsControl), kAboutRightsLine);
    EXPECT_EQ(run.view->icon(kAboutIconControl), 128);

    for (int id : {0, 15, 32, 0xF060}) {  // default processing: no About box, the window stays
        view.sysCommand(id);
    }
    EXPECT_EQ(desktop.runs().size(), 2u);
    EXPECT_FALSE(view.ended());
}

TEST_F(MainWindowShell, AboutBoxClosesWithItsOkButton) {
    desktop.script(kAboutDialogId, [](FakeView& about) { EXPECT_TRUE(about.click(ui::IDOK)); });
    view.sysCommand(16);
    EXPECT_EQ(desktop.runs().back().result, ui::kResultOk);
}

// The three ways the operator can try to leave the main window.
struct ExitWay {
    const char* name;
    std::function<void(FakeView&)> act;
    int result;  // the dialog's result when nothing holds it
};

const ExitWay kExitWays[] = {
    {"Exit button", [](FakeView& v) { v.click(ui::IDOK); }, ui::kResultOk},
    {"Esc", [](FakeView& v) { v.pressEsc(); }, ui::kResultCancel},
    {"close box", [](FakeView& v) { v.closeBox(); }, ui::kResultCancel},
};

TEST(MainWindowCanExit, WithoutAClientEveryWayEndsTheWindow) {
    for (const ExitWay& way : kExitWays) {
        SCOPED_TRACE(way.name);
        FakeDesktop desktop;
        FakeView view(desktop);
        test::MainWindowFakes fakes;
        CHollinDlg dlg(fakes.deps());
        view.open(dlg);
        way.act(view);
        EXPECT_EQ(view.result(), way.result);
    }
}

TEST(MainWindowCanExit, WithAClientAttachedEveryWayOnlyHidesTheWindow) {
    for (const ExitWay& way : kExitWays) {
        SCOPED_TRACE(way.name);
        FakeDesktop desktop;
        test::MainWindowFakes fakes;
        app::HollinApp hollin(fakes.deps());
        desktop.script(kMainDialogId, [&](FakeView& v) {
            {
                app::CHollinDlgAutoProxy client(hollin);
                way.act(v);
                EXPECT_FALSE(v.ended());
                EXPECT_FALSE(v.isWindowVisible());
                v.setWindowVisible(true);  // the client shows it again
                way.act(v);
                EXPECT_FALSE(v.ended());
                v.setWindowVisible(true);
            }
            way.act(v);  // the client has gone: the same way now ends the window
        });
        struct NoFailures : app::StartupServices {
            bool initComponentLayer() override { return true; }
            bool initSockets() override { return true; }
            void enableControlLook() override {}
            void refreshAutomationRegistration() override {}
            void registerAutomationClassObjects() override {}
        } services;
        hollin.initInstance({"-Embedding"}, services, desktop);
        EXPECT_EQ(desktop.runs().at(0).result, way.result);
    }
}

}  // namespace
}  // namespace hollin::printer
