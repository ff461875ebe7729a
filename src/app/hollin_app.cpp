#include "app/hollin_app.h"

#include <algorithm>
#include <cctype>

#include "app/hollin_dlg_auto_proxy.h"

namespace hollin::app {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A start-up failure before any window exists: a plain message box with an OK button.
void showStartupFailure(ui::Desktop& desktop, std::string_view text) {
    desktop.messageBox(text, printer::kProductTitle, ui::MessageButtons::Ok, ui::MessageIcon::None);
}

}  // namespace

bool isAutomationLaunch(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/')) {
            return false;
        }
        const std::string_view name = std::string_view(arg).substr(1);
        return equalsIgnoringCase(name, "Embedding") || equalsIgnoringCase(name, "Automation");
    });
}

bool HollinApp::initInstance(const std::vector<std::string>& args, StartupServices& services,
                             ui::Desktop& desktop) {
    if (!services.initComponentLayer()) {
        showStartupFailure(desktop, kOleInitFailed);
        return false;
    }
    if (!services.initSockets()) {
        showStartupFailure(desktop, kSocketsInitFailed);
        return false;
    }
    services.enableControlLook();
    if (isAutomationLaunch(args)) {
        services.registerAutomationClassObjects();
    } else {
        services.refreshAutomationRegistration();
    }

    printer::CHollinDlg dlg(deps_);
    mainWindow_ = &dlg;
    desktop.runModal(dlg, nullptr);
    mainWindow_ = nullptr;
    return false;
}

void HollinApp::unlock() {
    if (locks_ > 0) {
        --locks_;
    }
    // The last client is gone while the window is hidden: nobody can reach it any more, so it closes.
    if (locks_ == 0 && mainWindow_ != nullptr && mainWindow_->attached() &&
        !mainWindow_->view().isWindowVisible()) {
        mainWindow_->onCloseBox();
    }
}

CHollinDlgAutoProxy::CHollinDlgAutoProxy(HollinApp& app) : app_(app), window_(app.mainWindow()) {
    app_.lock();
    if (window_ != nullptr) {
        window_->setAutoProxy(this);
    }
}

CHollinDlgAutoProxy::~CHollinDlgAutoProxy() {
    if (window_ != nullptr && window_->autoProxy() == this) {
        window_->setAutoProxy(nullptr);
    }
    app_.unlock();
}

}  // namespace hollin::app
