// hollin: the printer utility's front-end.
//
//   hollin [--simulate [--emulation NAME|0..7] [--model TEXT]] [--language en|ko]  (hollin.help: all)
//
// --simulate starts two virtual printers on pseudo-terminals, one as COM1 and one as the USB printer,
// so that every window can be tried without hardware. -Automation (or -Embedding) is the start by
// D-Bus activation: the program serves automation clients as "Hollin.Application" on the session bus.
#include "gui/hollin_main.h"

int main(int argc, char** argv) {
    return hollin::gui::runHollin(argc, argv);
}
