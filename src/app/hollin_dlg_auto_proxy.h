#pragma once

#include "main_window/automation_hold.h"

namespace hollin::printer {
class CHollinDlg;
}

namespace hollin::app {

class HollinApp;

// The object an automation client creates: it exposes one dispatch interface with no methods and no
// properties, keeps the application alive while it exists, and links itself with the main window so
// that the window hides instead of closing while a client holds it.
class CHollinDlgAutoProxy : public printer::AutomationHold {
  public:
    // Takes a lock on the application and links with its main window (when one runs).
    explicit CHollinDlgAutoProxy(HollinApp& app);
    // Unlinks from the main window (when it still exists) and releases the application lock.
    virtual ~CHollinDlgAutoProxy();
    CHollinDlgAutoProxy(const CHollinDlgAutoProxy&) = delete;
    CHollinDlgAutoProxy& operator=(const CHollinDlgAutoProxy&) = delete;

    printer::CHollinDlg* mainWindow() const { return window_; }

    // Called when the main window goes away before the proxy (by the window, or by the application
    // when the window's modal run is over).
    void mainWindowDestroyed() override { window_ = nullptr; }

  private:
    HollinApp& app_;
    printer::CHollinDlg* window_ = nullptr;
};

}  // namespace hollin::app
