// The program hollin as one function, for its main() and for the programs that measure it.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/hollin_app.h"
#include "app/simulation.h"
#include "app/start_language.h"
#include "app/system_adapters.h"
#include "common/text_twin.h"
#include "gui/device_monitor.h"
#include "gui/hollin_main.h"
#include "gui/icons.h"
#include "gui/qt_desktop.h"
#include "gui/qt_dialog_view.h"
#include "gui/startup_services_linux.h"
#include "help/hollin_help.h"
#include "hollin_version.h"
#include "link/device_watch.h"

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

}  // namespace

namespace hollin::gui {

int runHollin(int argc, char** argv, const std::function<void()>& beforeFirstWindow) {
    // Answered before Qt starts, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("hollin %s\n", std::string(hollin::kVersion).c_str());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHollinHelp.data(), stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hollin"));
    QApplication::setApplicationVersion(
        QString::fromLatin1(hollin::kVersion.data(), hollin::kVersion.size()));
    // The desktop entry's name: the desktop matches the window to the menu's icon (Wayland's app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.hollin.Hollin"));
    // The process ends when the main window's modal run ends, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(hollin::gui::iconForId(128));

    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto simulation = hollin::app::takeSimulationOptions(args, error);
    const auto language =
        simulation ? hollin::app::takeStartLanguage(args, environment, error) : std::nullopt;
    if (!simulation || !language) {
        std::fprintf(stderr, "hollin: %s\n%s", error.c_str(), kHollinHelp.data());
        return 2;
    }
    hollin::setStartMessageLanguage(*language);
    // The site's key constant, read once: the window's searches and saves and the virtual network
    // printers all use it. A malformed value is reported, never shown.
    const auto networkKey =
        hollin::netcfg::keyConstantFromText(environment("HOLLIN_NETCFG_KEY"), [](std::string_view note) {
            std::fprintf(stderr, "hollin: %.*s", static_cast<int>(note.size()), note.data());
        });
    hollin::app::SimulationOptions simulationOptions = *simulation;
    simulationOptions.networkKey = networkKey;
    std::unique_ptr<hollin::app::EmbeddedPrinters> printers;
    if (simulation->simulate) {
        printers = std::make_unique<hollin::app::EmbeddedPrinters>(simulationOptions);
        if (!printers->start()) {
            std::fprintf(stderr, "hollin: %s\n", printers->error().c_str());
            return 1;
        }
        std::fprintf(stderr, "hollin: virtual printer on COM1 = %s, USB = %s\n",
                     printers->serialPath().c_str(), printers->usbPath().c_str());
        if (printers->networkError().empty())
            std::fprintf(stderr, "hollin: virtual network printers on 127.0.0.2 to 127.0.0.5\n");
        else
            std::fprintf(stderr, "hollin: no virtual network printers: %s\n",
                         printers->networkError().c_str());
    }

    hollin::gui::QtDesktop desktop;
    // Every adapter to the operating system is built here, after the simulation has pointed
    // HOLLIN_COM1 and HOLLIN_USB at its printers.
    hollin::app::SystemAdapters adapters(networkKey);
    // Ports that follow the cable: a settled change reads the port map again and every window shown
    // updates its port box.
    const auto deviceWatch = hollin::makeUdevDeviceWatch();
    std::unique_ptr<hollin::gui::DeviceMonitor> deviceMonitor;
    if (deviceWatch)
        deviceMonitor = std::make_unique<hollin::gui::DeviceMonitor>(*deviceWatch, [&adapters] {
            adapters.refreshDevices();
            hollin::gui::QtDialogView::notifyDeviceChange();
        });
    hollin::app::HollinApp app(adapters.mainWindowDeps());
    // The services hold the automation clients' proxies, which hold the application: they go first.
    hollin::gui::LinuxStartupServices services;
    services.setApplication(app);
    if (beforeFirstWindow)
        beforeFirstWindow();
    app.initInstance(args, services, desktop);
    return 0;
}

}  // namespace hollin::gui
