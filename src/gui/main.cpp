// hollin: the printer utility's front-end.
#include <QApplication>
#include <string>
#include <vector>

#include "app/hollin_app.h"
#include "gui/icons.h"
#include "gui/qt_desktop.h"
#include "gui/startup_services_linux.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hollin"));
    // The process ends when the main window's modal run ends, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(hollin::gui::iconForId(128));

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--simulate")
            continue;  // the embedded virtual printer comes with a later version
        args.push_back(arg);
    }

    hollin::gui::QtDesktop desktop;
    hollin::gui::LinuxStartupServices services;
    hollin::app::HollinApp app;
    app.initInstance(args, services, desktop);
    return 0;
}
