#pragma once

#include <functional>

namespace hollin::gui {

// The whole program hollin: its arguments (--version, --help, --simulate, --language, -Automation),
// the Qt application, the virtual printers of --simulate and the main window, until it ends; the
// process's exit code. `beforeFirstWindow`, when given, runs once the application is set up, just
// before the first window opens (a measuring program schedules its clicks there).
int runHollin(int argc, char** argv, const std::function<void()>& beforeFirstWindow = {});

}  // namespace hollin::gui
