#include "printer/hollin_dlg.h"

#include <string>

#include "app/hollin_dlg_auto_proxy.h"
#include "common/text_twin.h"
#include "printer/about_box.h"

namespace hollin::printer {

CHollinDlg::CHollinDlg(MainWindowDeps deps) : ui::Window(kMainDialogId), deps_(deps) {}

CHollinDlg::~CHollinDlg() {
    // A client still holding the proxy must not reach a window that is gone.
    if (proxy_ != nullptr) {
        proxy_->mainWindowDestroyed();
    }
}

void CHollinDlg::onInit() {
    initShell();
    messageLanguage_ = kLanguageEnglish;
}

// The application-shell part of the initialisation, before the window's own controls are filled.
void CHollinDlg::initShell() {
    view().setTitle(kMainWindowTitle);
    view().setWindowIcon(kMainIconId);
}

std::vector<ui::Window::SystemMenuEntry> CHollinDlg::systemMenuEntries() const {
    if (kAboutEntryText.empty()) {
        return {};
    }
    return {{kSysCommandAbout, std::string(kAboutEntryText)}};
}

void CHollinDlg::onSysCommand(int commandId) {
    if ((commandId & ~0xF) == kSysCommandAbout) {
        showAbout();
        return;
    }
    ui::Window::onSysCommand(commandId);
}

void CHollinDlg::showAbout() {
    AboutBox about;
    desktop().runModal(about, this);
}

bool CHollinDlg::canExit() {
    if (proxy_ != nullptr) {
        // An automation client still holds the program: hide instead of closing.
        view().setWindowVisible(false);
        return false;
    }
    return true;
}

void CHollinDlg::onOk() {
    if (canExit()) {
        ui::Window::onOk();
    }
}

void CHollinDlg::onCancel() {
    if (canExit()) {
        ui::Window::onCancel();
    }
}

void CHollinDlg::onCloseBox() {
    if (canExit()) {
        ui::Window::onCancel();
    }
}

}  // namespace hollin::printer
