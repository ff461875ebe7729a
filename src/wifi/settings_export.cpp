// The settings export when the Wi-Fi window closes.
#include <optional>
#include <string>

#include "wifi/module_form_entries.h"
#include "wifi/settings_export.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr TextTwin kKeyTooLong = {"Key Length is too long", "Key Length is too long"};
constexpr TextTwin kKeyLengthNotMatched = {"Key Length is not matched", "Key Length is not matched"};
constexpr TextTwin kWpaKeyNotLong = {"WPA Key Length is not long", "WPA Key Length is not long"};

}  // namespace

SettingsExport::SettingsExport(CWiFiSettings& window)
    : window_(window),
      deps_(window.deps_),
      security_(window.security_),
      networkMode_(window.networkMode_),
      wpaKeyEdited_(window.wpaKeyEdited_),
      storedWpaKey_(window.storedWpaKey_) {}

ui::DialogView& SettingsExport::view() {
    return window_.view();
}

WifiSettingsRecord& SettingsExport::currentRecord() {
    return window_.currentRecord();
}

void SettingsExport::showMessage(const TextTwin& text, const TextTwin& caption) {
    window_.showMessage(text, caption);
}

void SettingsExport::trace(std::string_view text) {
    window_.trace(text);
}

IniForm SettingsExport::iniForm() {
    ui::DialogView& v = view();
    IniForm form;
    form.version = std::string(currentRecord().raw(field::kPacketVersion));
    form.mac = v.text(kMac);
    form.ssid = v.text(kSsid);
    form.dhcp = v.isChecked(kDhcp);
    for (std::size_t i = 0; i < 4; ++i)
        form.addresses[i] = v.address(kAddressFields[i]);
    form.mode = v.selection(kModeList);
    form.channel = v.selection(kChannelList);
    form.encryption = v.selection(kEncryptionList);
    form.authentication = v.selection(kAuthenticationList);
    form.keyInUse = v.selection(kKeyInUseList);
    if (form.keyInUse >= 0 && form.keyInUse < 4) {
        form.keyText = v.text(kKeys[form.keyInUse].edit);
        form.keyType = security_.keyType(form.keyInUse);
    }
    form.wpaAuthentication = v.selection(kWpaAuthList);
    form.wpaCipher = v.selection(kWpaEncList);
    // An untouched key edit shows the module's key masked: the key it stands for is exported. A
    // network printer's form shows its key as it is.
    form.wpaKey = wpaKeyEdited_ || networkMode_ ? v.text(kWpaKey) : storedWpaKey_;
    form.tcpPortField = std::string(currentRecord().raw(field::kTcpPort));
    return form;
}

void SettingsExport::exportSettingsIni() {
    if (!deps_.exportFile || deps_.program.moduleKind < kModuleQuatech)
        return;
    const std::optional<std::string> text = deps_.exportFile->read();
    if (!text)
        return;
    const IniExport out = iniExportOf(iniForm());
    if (!deps_.exportFile->replace(updateIniText(*text, kExportSection, out.entries)))
        trace("export: the settings file could not be replaced; it stays as it was");
    switch (out.stop) {
        case IniStop::KeyTooLong:
            showMessage(kKeyTooLong, kCheckCaption);
            break;
        case IniStop::KeyLengthNotMatched:
            showMessage(kKeyLengthNotMatched, kCheckCaption);
            break;
        case IniStop::WpaKeyTooLong:
            showMessage(kWpaKeyNotLong, kCheckCaption);
            break;
        case IniStop::None:
            break;
    }
}

}  // namespace hollin::wifi
