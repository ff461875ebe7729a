// Save Wi-Fi Information: the form written back into the module.
#include <string>

#include "netprinters/network_save.h"
#include "ui/status_window.h"
#include "wifi/module_form_entries.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"
#include "wificodec/wifi_bands.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr TextTwin kSavingError = {"Saving Error!!!", "저장 실패!!!"};

}  // namespace

void CWiFiSettings::mapSaveHandlers() {
    onClicked(kSaveInfo, [this] { onSaveInformation(); });
}

void CWiFiSettings::onSaveInformation() {
    if (deps_.program.moduleKind <= kModuleSollae)
        sollaeModule_.saveSollae();
    else
        saveRecord();
}

// --- QUATECH, INC and unrecognised modules: the form folded into the record, sent whole.

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

RecordForm CWiFiSettings::recordForm() {
    ui::DialogView& v = view();
    const ModuleKind kind = deps_.program.moduleKind;
    RecordForm form = formBasics();
    form.lpd = currentRecord().digit(field::kLpdQueue) != ' ' && kind != kModuleInc;
    const std::string channelText =
        form.channel >= 0 ? v.itemText(kChannelList, form.channel) : std::string();
    if (form.lpd && v.isChecked(kFiveGhz))
        form.fiveGhzChannel = channelText;
    form.keyTypes = deps_.program.keyTypes;
    form.keyTyped = wepKeyTyped_;
    form.wpaKeyEdited = wpaKeyEdited_;
    form.wpaKeyMaskEdited = wpaKeyMask_ == MaskedEdit::PartlyEdited;
    form.wpaKey = wpaKeyEdited_ ? v.text(kWpaKey) : std::string();
    form.lpdEnable = v.isChecked(kLpdEnable);
    form.lpdQueue = v.text(kLpdQueue);
    form.channelText = channelText;
    form.enterprise = enterprise_;
    if (kind == kModuleQuatech)
        form.band = v.selection(kBandList);
    if (bands_.incFiveGhz()) {
        RecordForm::IncBand band;
        band.band = v.selection(kBandList);
        const int row = v.selection(kCountryList);
        if (row >= 0 && row < static_cast<int>(countries().size()))
            band.country = countries()[static_cast<std::size_t>(row)].code;
        const int mode = form.mode;
        const int countryChannel = v.selection(kCountryChannelList);
        band.channelText = band.band == 1 && (mode == 1 || mode == 2)
                               ? (countryChannel >= 0 ? v.itemText(kCountryChannelList, countryChannel) : "")
                               : channelText;
        form.incBand = band;
    }
    return form;
}

void CWiFiSettings::saveRecord() {
    ui::DialogView& v = view();
    const RecordForm form = recordForm();
    const RecordSaveResult saved = saveModuleRecord(exchange_, currentRecord(), form,
                                                    deps_.program.moduleKind, heldRecord_, [&v](int percent) {
                                                        v.setProgress(kProgress, percent);
                                                        v.repaint();
                                                    });
    if (saved.refusal) {
        showMessage(saveRefusalText(*saved.refusal), kCheckCaption);
        return;
    }
    tcpPort_ = static_cast<int>(form.tcpPort);
    const RecordReadResult& result = saved.written;
    if (!result.record) {
        const TextTwin& text = result.outcome == ModuleOutcome::BadReply ? kSyntaxError : kSavingError;
        v.messageBox(pickText(text, messageLanguage_), "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    takeRecord(*result.record, true);
    fillFormFromRecord();
    v.setProgress(kProgress, 0);
    ui::StatusWindow status(ui::StatusWindow::kWifiSaved, deps_.clock, deps_.progress, &view());
    desktop().runModal(status, this);
    if (bands_.incFiveGhz())
        bands_.selectBandByChannel();
    closePort();
}

}  // namespace hollin::wifi
