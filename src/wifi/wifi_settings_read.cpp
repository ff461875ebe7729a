// Get Wi-Fi Information (by module kind) and what the module parts share to show what they read.
#include "ui/status_window.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;

void CWiFiSettings::mapReadHandlers() {
    onClicked(kGetInfo, [this] { onGetInformation(); });
}

void CWiFiSettings::selectIndex(ControlId list, int index) {
    view().setSelection(list, index >= 0 && index < view().itemCount(list) ? index : -1);
}

void CWiFiSettings::showWpaKeyText(std::string_view text) {
    settingWpaKey_ = true;
    view().setText(kWpaKey, text);
    settingWpaKey_ = false;
}

void CWiFiSettings::onGetInformation() {
    if (deps_.program.moduleKind <= kModuleSollae)
        sollaeModule_.readSollae();
    else
        recordModule_.readRecord();
}

void CWiFiSettings::showReadCompleted() {
    ui::StatusWindow status(ui::StatusWindow::kReadCompleted, deps_.clock, deps_.progress, &view());
    desktop().runModal(status, this);
}

}  // namespace hollin::wifi
