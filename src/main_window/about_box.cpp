#include "main_window/about_box.h"

#include "main_window/hollin_dlg.h"

namespace hollin::printer {

void AboutBox::onInit() {
    view().setTitle(kAboutTitle);
    view().setIcon(kAboutIconControl, kMainIconId);
    view().setIcon(ui::IDOK, kAboutOkIcon);
    view().setText(kAboutProductControl, kAboutProductLine);
    view().setText(kAboutRightsControl, kAboutRightsLine);
}

}  // namespace hollin::printer
