#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/automation_ids.h"
#include "app/hollin_app.h"
#include "app/hollin_dlg_auto_proxy.h"
#include "app/start_language.h"
#include "support/fake_desktop.h"
#include "support/main_window_fakes.h"

namespace hollin::app {
namespace {

using test::FakeDesktop;
using test::FakeView;

// Records the start-up calls in order; either layer can be told to fail.
class RecordingServices : public StartupServices {
  public:
    bool initComponentLayer() override {
        calls.push_back("component");
        return componentOk;
    }
    bool initSockets() override {
        calls.push_back("sockets");
        return socketsOk;
    }
    void enableControlLook() override { calls.push_back("look"); }
    void refreshAutomationRegistration() override { calls.push_back("refresh"); }
    void registerAutomationClassObjects() override { calls.push_back("register"); }

    bool componentOk = true;
    bool socketsOk = true;
    std::vector<std::string> calls;
};

constexpr int kMain = printer::kMainDialogId;

TEST(Startup, OrdinaryStartRefreshesRegistrationThenRunsTheMainWindow) {
    RecordingServices services;
    FakeDesktop desktop;
    test::MainWindowFakes fakes;
    HollinApp app(fakes.deps());
    printer::CHollinDlg* during = nullptr;
    std::vector<std::string> callsWhenShown;
    desktop.script(kMain, [&](FakeView& v) {
        during = app.mainWindow();
        callsWhenShown = services.calls;
        EXPECT_EQ(v.title(), "Hollin Printer Utility 2.69");
        v.closeBox();
    });

    EXPECT_FALSE(app.initInstance({}, services, desktop));  // false in every case

    EXPECT_EQ(callsWhenShown, (std::vector<std::string>{"component", "sockets", "look", "refresh"}));
    EXPECT_EQ(services.calls, callsWhenShown);
    ASSERT_EQ(desktop.runs().size(), 1u);
    EXPECT_TRUE(desktop.runs()[0].modal);
    EXPECT_EQ(desktop.runs()[0].dialogId, 102);
    EXPECT_EQ(desktop.runs()[0].result, ui::kResultCancel);
    EXPECT_NE(during, nullptr);
    EXPECT_EQ(app.mainWindow(), nullptr);  // destroyed when its run ended
    EXPECT_TRUE(desktop.messages().empty());
}

TEST(Startup, EveryAutomationSwitchRegistersClassObjectsAndStillShowsTheWindow) {
    for (const char* sw :
         {"-Embedding", "/Embedding", "-Automation", "/Automation", "-embedding", "/AUTOMATION"}) {
        SCOPED_TRACE(sw);
        RecordingServices services;
        FakeDesktop desktop;
        test::MainWindowFakes fakes;
        HollinApp app(fakes.deps());
        EXPECT_FALSE(app.initInstance({sw}, services, desktop));
        EXPECT_EQ(services.calls, (std::vector<std::string>{"component", "sockets", "look", "register"}));
        EXPECT_EQ(desktop.runCount(kMain), 1);
    }
}

TEST(Startup, AutomationSwitchRecognition) {
    EXPECT_TRUE(isAutomationLaunch({"/usr/bin/hollin", "--simulate", "-Embedding"}));
    EXPECT_TRUE(isAutomationLaunch({"/aUtOmAtIoN"}));
    for (const char* notSwitch :
         {"Embedding", "--Embedding", "-Embed", "-Embeddings", "/usr/bin/hollin", "-", "/"}) {
        EXPECT_FALSE(isAutomationLaunch({notSwitch})) << notSwitch;
    }
    EXPECT_FALSE(isAutomationLaunch({}));
}

// The windows' start language: --language wins, then LC_ALL, LC_MESSAGES, LANG (the first one set).
TEST(Startup, StartLanguageComesFromTheOptionOrTheLocale) {
    struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        std::optional<int> language;
        std::vector<std::string> rest;
    };
    const Case cases[] = {
        {{}, {}, 1252, {}},
        {{}, {{"LANG", "ko_KR.UTF-8"}}, 949, {}},
        {{}, {{"LANG", "ko"}}, 949, {}},
        {{}, {{"LANG", "de_DE.UTF-8"}}, 1252, {}},
        {{}, {{"LANG", "C.UTF-8"}, {"LC_MESSAGES", "ko_KR.eucKR"}}, 949, {}},
        {{}, {{"LANG", "ko_KR.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, 1252, {}},
        {{}, {{"LC_MESSAGES", "ko_KR.UTF-8"}, {"LC_ALL", "C"}}, 1252, {}},
        {{}, {{"LC_ALL", ""}, {"LANG", "ko_KR.UTF-8"}}, 949, {}},  // empty counts as not set
        {{}, {{"LANG", "kok_IN"}}, 949, {}},                       // every locale beginning "ko"
        {{"--simulate", "--language", "en"}, {{"LANG", "ko_KR.UTF-8"}}, 1252, {"--simulate"}},
        {{"--language", "ko", "-x"}, {}, 949, {"-x"}},
        {{"--language", "fr"}, {}, std::nullopt, {"--language", "fr"}},
        {{"--language"}, {}, std::nullopt, {"--language"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        std::string error;
        const auto language = takeStartLanguage(
            args,
            [&](const char* name) -> std::optional<std::string> {
                const auto it = c.env.find(name);
                return it == c.env.end() ? std::nullopt : std::optional<std::string>(it->second);
            },
            error);
        const std::string where = c.args.empty() ? "env" : c.args.back();
        EXPECT_EQ(language, c.language) << where;
        EXPECT_EQ(args, c.rest) << where;
        EXPECT_EQ(error.empty(), c.language.has_value()) << where;
    }
}

TEST(Startup, LayerFailuresShowTheirMessageAndNoWindow) {
    struct Case {
        bool componentOk, socketsOk;
        std::string_view message;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {false,
         true,
         "OLE initialization failed.  Make sure that the OLE libraries are the correct version.",
         {"component"}},
        {true, false, "Windows sockets initialization failed.", {"component", "sockets"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        RecordingServices services;
        services.componentOk = c.componentOk;
        services.socketsOk = c.socketsOk;
        FakeDesktop desktop;
        test::MainWindowFakes fakes;
        HollinApp app(fakes.deps());
        EXPECT_FALSE(app.initInstance({"-Embedding"}, services, desktop));
        EXPECT_EQ(services.calls, c.calls);
        EXPECT_TRUE(desktop.runs().empty());
        ASSERT_EQ(desktop.messages().size(), 1u);
        const auto& m = desktop.messages()[0];
        EXPECT_EQ(m.text, c.message);
        EXPECT_EQ(m.buttons, ui::MessageButtons::Ok);
        EXPECT_EQ(m.ownerDialogId, 0);  // no window exists yet
    }
}

TEST(Startup, AutomationIds) {
    EXPECT_EQ(kAutomationServiceName, "Hollin.Application");
    EXPECT_EQ(kAutomationProgramId, "Hollin.Application");
    EXPECT_EQ(kAutomationClassId, "{45CB1BFF-78CE-4B47-89CD-E0CD7B68C5E9}");
    EXPECT_EQ(kAutomationInterfaceId, "{FC3ED639-A85E-4166-B745-B233F48D8610}");
}

// --- an automation client attached while the main window runs

TEST(AutomationProxy, HoldsTheWindowOpenAndClosesItWhenTheLastClientLeavesAHiddenWindow) {
    RecordingServices services;
    FakeDesktop desktop;
    test::MainWindowFakes fakes;
    HollinApp app(fakes.deps());
    desktop.script(kMain, [&](FakeView& v) {
        auto proxy = std::make_unique<CHollinDlgAutoProxy>(app);
        EXPECT_EQ(app.lockCount(), 1);
        ASSERT_EQ(proxy->mainWindow(), app.mainWindow());
        EXPECT_EQ(app.mainWindow()->autoProxy(), proxy.get());

        v.closeBox();
        EXPECT_FALSE(v.ended());
        EXPECT_FALSE(v.isWindowVisible());

        proxy.reset();  // the client lets go of a hidden window: it closes
        EXPECT_EQ(app.lockCount(), 0);
        EXPECT_EQ(app.mainWindow()->autoProxy(), nullptr);
        EXPECT_TRUE(v.ended());
    });
    app.initInstance({"-Automation"}, services, desktop);
    EXPECT_EQ(desktop.runs().at(0).result, ui::kResultCancel);
}

TEST(AutomationProxy, VisibleWindowStaysWhenTheClientLeaves_AndAProxyOutlivingTheWindowIsSafe) {
    RecordingServices services;
    FakeDesktop desktop;
    test::MainWindowFakes fakes;
    HollinApp app(fakes.deps());
    std::unique_ptr<CHollinDlgAutoProxy> first, second;
    desktop.script(kMain, [&](FakeView& v) {
        { CHollinDlgAutoProxy visit(app); }
        EXPECT_FALSE(v.ended());  // the operator still has the window
        EXPECT_EQ(app.mainWindow()->autoProxy(), nullptr);
        EXPECT_TRUE(v.click(ui::IDOK));  // "E&xit" works again
        first = std::make_unique<CHollinDlgAutoProxy>(app);
        second = std::make_unique<CHollinDlgAutoProxy>(app);
    });
    // The proxies were made after the dialog ended but before the window object went away.
    app.initInstance({}, services, desktop);
    ASSERT_NE(first, nullptr);
    // Every proxy lost its link when the window went, not only the one the window knew last.
    EXPECT_EQ(first->mainWindow(), nullptr);
    EXPECT_EQ(second->mainWindow(), nullptr);
    first.reset();
    second.reset();
    EXPECT_EQ(app.lockCount(), 0);
}

TEST(AutomationProxy, WindowOnlyHidesUntilEveryClientHasLeft_InAnyOrder) {
    RecordingServices services;
    FakeDesktop desktop;
    test::MainWindowFakes fakes;
    HollinApp app(fakes.deps());
    desktop.script(kMain, [&](FakeView& v) {
        auto first = std::make_unique<CHollinDlgAutoProxy>(app);
        auto second = std::make_unique<CHollinDlgAutoProxy>(app);
        second.reset();  // the newer client leaves first
        EXPECT_EQ(app.mainWindow()->autoProxy(), first.get());
        v.closeBox();
        EXPECT_FALSE(v.ended());  // the older client still holds the program
        EXPECT_FALSE(v.isWindowVisible());
        first.reset();
        EXPECT_TRUE(v.ended());
    });
    app.initInstance({"-Automation"}, services, desktop);
    EXPECT_EQ(app.lockCount(), 0);
}

}  // namespace
}  // namespace hollin::app
