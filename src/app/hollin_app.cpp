#include "app/hollin_app.h"

#include <algorithm>
#include <cctype>

#include "app/hollin_dlg_auto_proxy.h"
#include "common/text_case.h"

namespace hollin::app {

namespace {

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
        return sameIgnoringCase(name, "Embedding") || sameIgnoringCase(name, "Automation");
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
    struct RunEnd {
        HollinApp& app;
        ~RunEnd() { app.releaseMainWindow(); }
    } runEnd{*this};
    desktop.runModal(dlg, nullptr);
    return false;
}

void HollinApp::releaseMainWindow() {
    for (CHollinDlgAutoProxy* proxy : proxies_) {
        proxy->mainWindowDestroyed();
    }
    if (mainWindow_ != nullptr) {
        mainWindow_->setAutoProxy(nullptr);
    }
    mainWindow_ = nullptr;
}

printer::CHollinDlg* HollinApp::linkProxy(CHollinDlgAutoProxy& proxy) {
    proxies_.push_back(&proxy);
    if (mainWindow_ != nullptr) {
        mainWindow_->setAutoProxy(&proxy);
    }
    return mainWindow_;
}

void HollinApp::unlinkProxy(CHollinDlgAutoProxy& proxy) {
    std::erase(proxies_, &proxy);
    // Another client still holding the window takes over the link.
    if (mainWindow_ != nullptr && mainWindow_->autoProxy() == &proxy) {
        mainWindow_->setAutoProxy(proxies_.empty() ? nullptr : proxies_.back());
    }
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

CHollinDlgAutoProxy::CHollinDlgAutoProxy(HollinApp& app) : app_(app) {
    app_.lock();
    window_ = app_.linkProxy(*this);
}

CHollinDlgAutoProxy::~CHollinDlgAutoProxy() {
    app_.unlinkProxy(*this);
    app_.unlock();
}

}  // namespace hollin::app
