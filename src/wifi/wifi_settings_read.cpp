// Get Wi-Fi Information and the form fill from a module's record.
#include <algorithm>
#include <array>
#include <cstdio>

#include "common/hex.h"
#include "ui/list_fill.h"
#include "ui/status_window.h"
#include "wifi/module_form_entries.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"
#include "wificodec/wifi_bands.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

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
