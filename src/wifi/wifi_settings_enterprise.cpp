// The Enterprise button: the 802.1X settings of a QUATECH, INC or unrecognised module, edited in the
// Enterprise window, and the security fields that follow them.
#include <string_view>

#include "wifi/enterprise_window.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;

namespace {

constexpr std::string_view kPersonalEntries[] = {"WPA-PSK", "WPA2-PSK"};
constexpr std::string_view kEnterpriseEntries[] = {"WPA-ENT", "WPA2-ENT"};

}  // namespace

void CWiFiSettings::mapEnterpriseHandlers() {
    onClicked(kEnterprise, [this] { onEnterprise(); });
}

// Cancel leaves the records as they were; Accept stores into the working record, which becomes the
// current one, and keeps the texts for the save.
void CWiFiSettings::onEnterprise() {
    const ModuleKind kind = deps_.program.moduleKind;
    if (kind != kModuleQuatech && kind != kModuleInc && kind != kModuleOther)
        return;
    beginEdit();
    EnterpriseWindow window(working_, kind);
    if (desktop().runModal(window, this) != ui::kResultOk)
        return;
    commitWorking();
    enterprise_ = window.accepted();
    showEnterpriseChoice();
}

// Encryption, authentication and the WPA authentication list as the accepted settings have them;
// the security fields' enabling follows.
void CWiFiSettings::showEnterpriseChoice() {
    ui::DialogView& v = view();
    const WifiSettingsRecord& r = currentRecord();
    const bool other = deps_.program.moduleKind == kModuleOther;
    const int encryption = r.digitValue(field::kEncryption).value_or(-1);
    const int wpa = r.digitValue(field::kWpa).value_or(-1);
    v.clearItems(kWpaAuthList);
    if (other)
        v.addItem(kWpaAuthList, "None");
    for (std::string_view entry : kPersonalEntries)
        v.addItem(kWpaAuthList, entry);
    if (r.digit(field::kEapMethod) != '0')
        for (std::string_view entry : kEnterpriseEntries)
            v.addItem(kWpaAuthList, entry);
    // The WPA encryption shows the accepted cipher as a read shows it, so a save writes it back.
    selectIndex(kWpaEncList, r.digitValue(field::kWpaEnc).value_or(-1));
    if (other) {
        selectIndex(kWpaAuthList, wpa);
    } else {
        selectIndex(kEncryptionList, encryption);
        selectIndex(kAuthenticationList, r.digitValue(field::kAuthentication).value_or(-1));
        selectIndex(kWpaAuthList, wpa - 1);
    }
    const int shown = v.selection(kEncryptionList);
    security_.applyKeyFieldRule(shown, v.selection(kKeyInUseList));
    security_.applyEncryptionEnabling(shown);
    shownEncryption_ = shown;
}

}  // namespace hollin::wifi
