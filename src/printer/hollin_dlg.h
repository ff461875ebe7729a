#pragma once

#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "ui/window.h"

namespace hollin::app {
class CHollinDlgAutoProxy;
}

namespace hollin::printer {

inline constexpr int kMainDialogId = 102;
inline constexpr std::string_view kProductTitle = "Hollin Printer Utility";
inline constexpr std::string_view kProductVersion = "2.69";
inline constexpr std::string_view kMainWindowTitle = "Hollin Printer Utility 2.69";
inline constexpr int kMainIconId = 128;
// The About entry of the system menu: its command id and its text (string 101).
inline constexpr int kSysCommandAbout = 16;
inline constexpr std::string_view kAboutEntryText = "&About Hollin Printer Utility...";

// What the main window needs from outside; tests hand in fakes.
struct MainWindowDeps {
    Clock& clock = systemClock();
};

// The main window (dialog 102). For now only its application-shell pieces: title, icon, the About
// entry, the message language and the can-exit rule while an automation client holds the program.
class CHollinDlg : public ui::Window {
  public:
    explicit CHollinDlg(MainWindowDeps deps = {});
    ~CHollinDlg() override;

    void onInit() override;
    void onOk() override;        // "E&xit" (id 1)
    void onCancel() override;    // Esc
    void onCloseBox() override;  // the close box
    // An id whose value with the low four bits cleared is 16 opens the About box; others go to the
    // default processing.
    void onSysCommand(int commandId) override;
    std::vector<SystemMenuEntry> systemMenuEntries() const override;

    // True when the window may close. With an automation client attached it hides the window instead
    // and answers false.
    bool canExit();

    void setAutoProxy(app::CHollinDlgAutoProxy* proxy) { proxy_ = proxy; }
    app::CHollinDlgAutoProxy* autoProxy() const { return proxy_; }
    int messageLanguage() const { return messageLanguage_; }

  protected:
    MainWindowDeps& deps() { return deps_; }

  private:
    void initShell();
    void showAbout();

    MainWindowDeps deps_;
    app::CHollinDlgAutoProxy* proxy_ = nullptr;
    int messageLanguage_ = 0;
};

}  // namespace hollin::printer
