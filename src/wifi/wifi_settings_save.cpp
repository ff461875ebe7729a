// Save Wi-Fi Information: the form written back into the module.
#include <charconv>
#include <string>

#include "netprinters/network_save.h"
#include "ui/status_window.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"
#include "wificodec/wifi_bands.h"

namespace hollin::wifi {

using namespace ids;

namespace {

constexpr TextTwin kCheckCaption = {"Error", "에러"};
constexpr TextTwin kWriteCaption = {"ERROR", "에러"};

constexpr TextTwin kSavingError = {"Saving Error!!!", "저장 실패!!!"};
constexpr TextTwin kSyntaxError = {"Syntex Error!!!", "데이터 구조 에러!!!"};
constexpr TextTwin kFlashSyntaxError = {"Set Flash Syntex Error", "플래시 저장 데이터 구조 에러"};
constexpr TextTwin kFlashNotSent = {"Set Flash Failed: the command was not sent.",
                                    "플래시 저장 실패: 명령을 보내지 못했습니다."};
constexpr TextTwin kPartlyWritten = {
    "The module now holds part of the new settings, not stored in its flash: save again, or switch the "
    "printer off and on to return to the stored settings.",
    "모듈에 새 설정의 일부만 들어갔고 플래시에 저장되지 않았습니다. 다시 저장하거나, 프린터를 껐다 켜서 "
    "저장된 설정으로 돌아가십시오."};

// What the operator is told when a write gets nothing back, or something other than "701".
struct WriteMessages {
    Param param;
    std::string_view readFailed;
    std::string_view syntax;
};
constexpr WriteMessages kWriteMessages[] = {
    {Param::Ip, "Set IP and Read Failed", "Set IP Write Syntex Error"},
    {Param::Netmask, "Set Netmask and Read Failed", "Set Netmask Syntex Error"},
    {Param::Gateway, "Set Gateway and Read Failed", "Set Gateway Syntex Error"},
    {Param::Dns, "Set DNS and Read Failed", "Set DNS Syntex Error"},
    {Param::Ssid, "Set SSID and Read Failed", "Set SSID Syntex Error"},
    {Param::WifiOptions, "Set WLAN Options and Read Failed", "Set WLAN Write Syntex Error"},
    {Param::Wep40, "Set 40-Bits WEP Key and Read Failed", "Set 40-Bits WEP Key Syntex Error"},
    {Param::Wep104, "Set 104-Bits WEP Key and Read Failed", "Set 104-Bits WEP Key Syntex Error"},
    {Param::WpaKey, "Set WPA KEY and Read Failed", "Set WPA KEY Syntex Error"},
    {Param::WpaKeyExtension, "Set WPA Extended KEY and Read Failed", "Set WPA Extended Key Syntex Error"},
    {Param::TcpPort, "Set TCP/IP Port and Read Failed", "Set TCP/IP Port Syntex Error"},
    {Param::WpaPsk, "Set WPA-PSK KEY and Read Failed", "Set WPA-PSK KEY Syntex Error"},
    {Param::TcpOptions, "Set DHCP and Read Failed", "Set DHCP Write Syntex Error"},
};

const WriteMessages& writeMessagesOf(Param param) {
    for (const WriteMessages& m : kWriteMessages)
        if (m.param == param)
            return m;
    return kWriteMessages[0];
}

// The edit's decimal number; -1 (out of range) when it holds anything else.
long long decimalOf(const std::string& text) {
    long long value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return -1;
    return value;
}

}  // namespace

void CWiFiSettings::mapSaveHandlers() {
    onClicked(kSaveInfo, [this] { onSaveInformation(); });
}

void CWiFiSettings::onSaveInformation() {
    if (deps_.program.moduleKind <= kModuleSollae)
        saveSollae();
    else
        saveRecord();
}

SollaeForm CWiFiSettings::sollaeForm() {
    ui::DialogView& v = view();
    SollaeForm form;
    const auto address = [&v](ControlId id) { return v.address(id).value_or(Octets{}); };
    form.ip = address(kIp);
    form.netmask = address(kNetmask);
    form.gateway = address(kGateway);
    form.dns = address(kDns);
    form.ssid = v.text(kSsid);
    form.mode = v.selection(kModeList);
    form.channel = v.selection(kChannelList);
    form.encryption = v.selection(kEncryptionList);
    form.keyInUse = v.selection(kKeyInUseList);
    form.authentication = v.selection(kAuthenticationList);
    form.wpaAuthentication = v.selection(kWpaAuthList);
    form.wpaCipher = v.selection(kWpaEncList);
    for (std::size_t k = 0; k < 4; ++k) {
        form.keyTexts[k] = v.text(kKeys[k].edit);
        form.keyTypes[k] = sollae_.keys[k].type;
    }
    form.wpaKey = v.text(kWpaKey);
    form.tcpPort = parameterSet_ == 2 ? decimalOf(v.text(kTcpPort)) : tcpPort_;
    form.dhcp = v.isChecked(kDhcp);
    return form;
}

void CWiFiSettings::saveSollae() {
    ui::DialogView& v = view();
    const SollaeForm form = sollaeForm();
    if (const auto refusal = checkSollaeForm(form, sollae_)) {
        showMessage(saveRefusalText(*refusal), kCheckCaption);
        return;
    }
    v.setProgressRange(kProgress, 0, 100);
    v.setProgress(kProgress, 0);
    tcpPort_ = static_cast<int>(form.tcpPort);
    const SollaeSaveResult result =
        writeSollaeSettings(exchange_, planSollaeWrites(form, sollae_, parameterSet_), [this](int percent) {
            view().setProgress(kProgress, percent);
            view().repaint();
        });
    if (result.flashSilent)
        trace("module: no answer to the flash, taken as done");
    if (result.outcome != ModuleOutcome::Done) {
        showSollaeSaveFailure(result);
        return;
    }
    finishSollaeSave();
}

void CWiFiSettings::showSollaeSaveFailure(const SollaeSaveResult& result) {
    std::string text;
    if (result.failedParam) {
        const WriteMessages& m = writeMessagesOf(*result.failedParam);
        text = result.outcome == ModuleOutcome::BadReply ? m.syntax : m.readFailed;
    } else {
        text = pickText(result.outcome == ModuleOutcome::BadReply ? kFlashSyntaxError : kFlashNotSent,
                        messageLanguage_);
    }
    if (result.writesDone > 0)
        text += "\n\n" + std::string(pickText(kPartlyWritten, messageLanguage_));
    view().messageBox(text, pickText(kWriteCaption, messageLanguage_), ui::MessageButtons::Ok,
                      ui::MessageIcon::None);
}

// The module has its new settings in flash: the form stays as saved until the next read.
void CWiFiSettings::finishSollaeSave() {
    ui::DialogView& v = view();
    for (ControlId id : {kSsid, kIp, kNetmask, kGateway, kDns, kModeList, kChannelList, kEncryptionList,
                         kKeyInUseList, kAuthenticationList, kSaveInfo, kDhcp, kWpaEncList, kTcpPort})
        v.enable(id, false);
    security_.applyKeyFieldRule(0, v.selection(kKeyInUseList));
    v.enable(kGetInfo, true);
    v.enable(kReset, true);
    v.setProgress(kProgress, 100);
    ui::StatusWindow status(ui::StatusWindow::kWifiSaved, deps_.clock, deps_.progress, &view());
    desktop().runModal(status, this);
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
    if (incFiveGhz()) {
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
    if (incFiveGhz())
        selectBandByChannel();
    closePort();
}

}  // namespace hollin::wifi
