#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "main_window/hollin_dlg.h"
#include "ui/desktop.h"

namespace hollin::app {

class CHollinDlgAutoProxy;

// String resources of the start-up.
inline constexpr std::string_view kOleInitFailed =  // string 100
    "OLE initialization failed.  Make sure that the OLE libraries are the correct version.";
inline constexpr std::string_view kSocketsInitFailed =  // string 105
    "Windows sockets initialization failed.";

// The operating-system side of the start-up. The Qt/D-Bus implementation lives in gui/.
class StartupServices {
  public:
    virtual ~StartupServices() = default;
    virtual bool initComponentLayer() = 0;              // step 1 (OLE on Windows)
    virtual bool initSockets() = 0;                     // step 2
    virtual void enableControlLook() = 0;               // step 3
    virtual void refreshAutomationRegistration() = 0;   // step 4, ordinary start
    virtual void registerAutomationClassObjects() = 0;  // step 4, automation launch
};

// True when the command line marks an automation launch: an argument "-Embedding" or "-Automation",
// also with '/' instead of '-', in any letter case.
bool isAutomationLaunch(const std::vector<std::string>& args);

// The application object: brings up the component and socket layers and automation, then runs the
// main window modally. The process ends when the main window ends.
class HollinApp {
  public:
    // The main window runs on `deps` (see printer::MainWindowDeps).
    explicit HollinApp(printer::MainWindowDeps deps) : deps_(std::move(deps)) {}
    HollinApp(const HollinApp&) = delete;
    HollinApp& operator=(const HollinApp&) = delete;

    // Runs start-up steps 1-5; constructs the main window (CHollinDlg) and runs it modally through
    // desktop.runModal; returns false in every case, like the original application object.
    bool initInstance(const std::vector<std::string>& args, StartupServices& services, ui::Desktop& desktop);

    // The main window while its modal run lasts, else null.
    printer::CHollinDlg* mainWindow() const { return mainWindow_; }

    // The application lock held by automation clients (one per proxy). When the last lock goes while
    // the main window is hidden, nobody can reach the window any more: it is closed.
    void lock() { ++locks_; }
    void unlock();
    int lockCount() const { return locks_; }

    // The proxies link with the main window through here. The window holds the newest live proxy, so
    // that it hides instead of closing while any client is attached, however many come and go.
    // linkProxy answers the window the proxy reaches (null outside the modal run).
    printer::CHollinDlg* linkProxy(CHollinDlgAutoProxy& proxy);
    void unlinkProxy(CHollinDlgAutoProxy& proxy);

  private:
    // The modal run is over: no proxy may reach the window object any more.
    void releaseMainWindow();

    printer::MainWindowDeps deps_;
    printer::CHollinDlg* mainWindow_ = nullptr;
    std::vector<CHollinDlgAutoProxy*> proxies_;
    int locks_ = 0;
};

}  // namespace hollin::app
