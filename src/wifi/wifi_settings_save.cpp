// Save Wi-Fi Information (by module kind) and the form fields every save reads alike.
#include "wifi/module_form_entries.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

void CWiFiSettings::mapSaveHandlers() {
    onClicked(kSaveInfo, [this] { onSaveInformation(); });
}

void CWiFiSettings::onSaveInformation() {
    if (deps_.program.moduleKind <= kModuleSollae)
        sollaeModule_.saveSollae();
    else
        recordModule_.saveRecord();
}

RecordForm CWiFiSettings::formBasics() {
    const ui::DialogView& v = view();
    RecordForm form;
    form.mac = v.text(kMac);
    form.ssid = v.text(kSsid);
    form.dhcp = v.isChecked(kDhcp);
    form.ip = v.address(kIp);
    form.subnet = v.address(kNetmask);
    form.gateway = v.address(kGateway);
    form.dns = v.address(kDns);
    form.mode = v.selection(kModeList);
    form.channel = v.selection(kChannelList);
    form.encryption = v.selection(kEncryptionList);
    form.authentication = v.selection(kAuthenticationList);
    form.keyInUse = v.selection(kKeyInUseList);
    for (std::size_t k = 0; k < 4; ++k)
        form.keyTexts[k] = v.text(kKeys[k].edit);
    form.wpaAuthentication = v.selection(kWpaAuthList);
    form.wpaCipher = v.selection(kWpaEncList);
    form.tcpPort = decimalOf(v.text(kTcpPort));
    return form;
}

}  // namespace hollin::wifi
