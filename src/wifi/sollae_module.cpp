// A Sollae module on the Wi-Fi window's link: Get and Save Wi-Fi Information, parameter by parameter.
#include <string>

#include "ui/list_fill.h"
#include "ui/status_window.h"
#include "wifi/module_form_entries.h"
#include "wifi/sollae_module.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr TextTwin kErrorCaption = {"ERROR", "에러"};
constexpr TextTwin kWriteCaption = {"ERROR", "에러"};
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

// What the operator is told when a Sollae step gets nothing, or something that does not decode.
struct StepMessages {
    SollaeStep step;
    std::string_view readFailed;
    std::string_view informationFailed;
};
constexpr StepMessages kStepMessages[] = {
    {SollaeStep::Ip, "Get IP Read Failed", "Get IP Information Failed"},
    {SollaeStep::Netmask, "Get Netmask Read Failed", "Get Netmask Information Failed"},
    {SollaeStep::Gateway, "Get Gateway Read Failed", "Get Gateway Information Failed"},
    {SollaeStep::Dns, "Get DNS Read Failed", "Get DNS Information Failed"},
    {SollaeStep::Ssid, "Get SSID Read Failed", "Get SSID Information Failed"},
    {SollaeStep::WifiOptions, "Get Wi-Fi Options Read Failed", "Get Wi-Fi Options Information Failed"},
    {SollaeStep::Wep40, "Get Wi-Fi 40-Bit WEP Key Read Failed",
     "Get Wi-Fi 40-Bit WEP Key Information Failed"},
    {SollaeStep::Wep104, "Get Wi-Fi 104-Bit WEP Key Read Failed",
     "Get Wi-Fi 104-Bit WEP Key Information Failed"},
    {SollaeStep::WpaKey, "Get Wi-Fi WPA Options Read Failed", "Get Wi-Fi WPA Options Information Failed"},
    {SollaeStep::WpaKeyExtension, "Get Wi-Fi WPA Key Extended Options Read Failed", ""},
    {SollaeStep::TcpPort, "Get TCP/IP Port Read Failed", "Get TCP/IP Port Information Failed"},
    {SollaeStep::WpaPsk, "Get Wi-Fi WPA PSK Options Read Failed", ""},
    {SollaeStep::TcpOptions, "Get TCP Active Options Read Failed", "Get TCP Active Options Failed"},
    {SollaeStep::Mac, "Get Mac Address Read Failed", "Get Mac Address Failed"},
};

const StepMessages& messagesOf(SollaeStep step) {
    for (const StepMessages& m : kStepMessages)
        if (m.step == step)
            return m;
    return kStepMessages[0];
}

constexpr std::string_view kSollaeModes[] = {"adhoc", "infrastructure"};
constexpr std::string_view kBasicEncryptions[] = {"None", "WEP64", "WEP128"};
constexpr std::string_view kSollaeWpaAuth[] = {"None Use", "WPA-PSK", "WPA2-PSK"};
constexpr std::string_view kSollaeWpaCiphers[] = {"None Use", "TKIP", "AES", "TKIP+AES"};

}  // namespace

SollaeModule::SollaeModule(CWiFiSettings& window)
    : window_(window),
      deps_(window.deps_),
      exchange_(window.exchange_),
      security_(window.security_),
      sollae_(window.sollae_),
      messageLanguage_(window.messageLanguage_),
      moduleGeneration_(window.moduleGeneration_),
      parameterSet_(window.parameterSet_),
      shownEncryption_(window.shownEncryption_),
      tcpPort_(window.tcpPort_) {}

ui::DialogView& SollaeModule::view() {
    return window_.view();
}

ui::Desktop& SollaeModule::desktop() {
    return window_.desktop();
}

void SollaeModule::selectIndex(ControlId list, int index) {
    window_.selectIndex(list, index);
}

void SollaeModule::showWpaKeyText(std::string_view text) {
    window_.showWpaKeyText(text);
}

void SollaeModule::showReadCompleted() {
    window_.showReadCompleted();
}

void SollaeModule::showMessage(const TextTwin& text, const TextTwin& caption) {
    window_.showMessage(text, caption);
}

void SollaeModule::trace(std::string_view text) {
    window_.trace(text);
}

// --- Get Wi-Fi Information: parameter by parameter, the form following each value as it arrives.

void SollaeModule::readSollae() {
    ui::DialogView& v = view();
    v.setProgressRange(kProgress, 0, 100);
    v.setProgress(kProgress, 0);
    const SollaeReadResult result =
        readSollaeSettings(exchange_, sollae_, [this](SollaeStep step, int percent) {
            showSollaeStep(step);
            if (percent >= 0)
                view().setProgress(kProgress, percent);
        });
    if (result.outcome != ModuleOutcome::Done) {
        const StepMessages& m = messagesOf(result.failedStep);
        const std::string_view text =
            result.outcome == ModuleOutcome::NoResponse || m.informationFailed.empty() ? m.readFailed
                                                                                       : m.informationFailed;
        v.messageBox(text, pickText(kErrorCaption, messageLanguage_), ui::MessageButtons::Ok,
                     ui::MessageIcon::None);
        return;
    }
    finishSollaeRead(result);
}

void SollaeModule::showSollaeStep(SollaeStep step) {
    ui::DialogView& v = view();
    const SollaeSettings& s = sollae_;
    switch (step) {
        case SollaeStep::Ip:
            v.setAddress(kIp, s.ip);
            break;
        case SollaeStep::Netmask:
            v.setAddress(kNetmask, s.netmask);
            break;
        case SollaeStep::Gateway:
            v.setAddress(kGateway, s.gateway);
            break;
        case SollaeStep::Dns:
            v.setAddress(kDns, s.dns);
            break;
        case SollaeStep::Ssid:
            v.setText(kSsid, s.ssid);
            break;
        case SollaeStep::WifiOptions:
            ui::fillList(v, kModeList, kSollaeModes, -1);
            selectIndex(kModeList, s.mode);
            ui::fillNumberList(v, kChannelList, 1, 14);
            selectIndex(kChannelList, s.channel - 1);
            ui::fillList(v, kAuthenticationList, kAuthentications, -1);
            selectIndex(kAuthenticationList, s.authentication);
            ui::fillList(
                v, kKeyInUseList,
                messageLanguage_ == kLanguageKorean ? Entries(kKeyInUseNamesKorean) : Entries(kKeyInUseNames),
                -1);
            selectIndex(kKeyInUseList, s.keyInUse);
            v.enable(kKeyInUseList, s.encryption > 0);
            for (int k = 0; k < 4; ++k)
                ui::fillList(v, kKeys[k].type, kKeyTypes, s.keys[static_cast<std::size_t>(k)].type);
            break;
        case SollaeStep::WpaKey:
            fillWpaListsSollae();
            showWpaKeyText(s.passPhrase);
            break;
        case SollaeStep::WpaKeyExtension:
            showWpaKeyText(s.passPhrase);
            break;
        case SollaeStep::TcpPort:
            tcpPort_ = s.tcpPort;
            v.setText(kTcpPort, std::to_string(tcpPort_));
            break;
        case SollaeStep::TcpOptions:
            v.setChecked(kDhcp, s.dhcp);
            break;
        case SollaeStep::Mac:
            v.setText(kMac, s.mac);
            break;
        default:
            break;
    }
}

void SollaeModule::fillWpaListsSollae() {
    ui::DialogView& v = view();
    const SollaeSettings& s = sollae_;
    ui::fillList(v, kWpaAuthList, kSollaeWpaAuth, -1);
    const bool generation3 = moduleGeneration_ == 3;
    ui::fillList(v, kWpaEncList, Entries(kSollaeWpaCiphers, generation3 ? 4 : 3), -1);
    switch (s.wpaType) {
        case 0:
            selectIndex(kWpaAuthList, 0);
            v.enable(kWpaEncList, false);
            break;
        case 2:
            selectIndex(kWpaAuthList, 1);
            v.enable(kWpaEncList, false);
            break;
        case 4:
            selectIndex(kWpaAuthList, 2);
            v.enable(kWpaEncList, generation3);
            break;
        default:
            break;
    }
    selectIndex(kWpaEncList, s.wpaCipher);
}

void SollaeModule::finishSollaeRead(const SollaeReadResult& result) {
    ui::DialogView& v = view();
    const SollaeSettings& s = sollae_;
    parameterSet_ = result.parameterSet;
    const bool extended = parameterSet_ == 2;
    ui::fillList(v, kEncryptionList, extended ? Entries(kEncryptions) : Entries(kBasicEncryptions), -1);
    shownEncryption_ = s.wpaType != 0 ? 3 : s.encryption;
    selectIndex(kEncryptionList, shownEncryption_);
    if (extended)
        showWpaKeyText(s.passPhrase);
    for (ControlId id : {kSsid, kIp, kNetmask, kGateway, kDns, kModeList, kChannelList, kEncryptionList,
                         kAuthenticationList})
        v.enable(id, true);
    const int encryption = v.selection(kEncryptionList);
    v.enable(kKeyInUseList, encryption > 0);
    security_.applyKeyFieldRule(encryption, v.selection(kKeyInUseList));
    v.enable(kGetInfo, false);
    v.enable(kSaveInfo, true);
    if (extended) {
        v.enable(kReset, false);
        v.enable(kDhcp, true);
        v.enable(kTcpPort, true);
    }
    v.setProgress(kProgress, 100);
    showReadCompleted();
}

// --- Save Wi-Fi Information: parameter by parameter, then the flash.

SollaeForm SollaeModule::sollaeForm() {
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

void SollaeModule::saveSollae() {
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

void SollaeModule::showSollaeSaveFailure(const SollaeSaveResult& result) {
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
void SollaeModule::finishSollaeSave() {
    ui::DialogView& v = view();
    for (ControlId id : {kSsid, kIp, kNetmask, kGateway, kDns, kModeList, kChannelList, kEncryptionList,
                         kKeyInUseList, kAuthenticationList, kSaveInfo, kDhcp, kWpaEncList, kTcpPort})
        v.enable(id, false);
    security_.applyKeyFieldRule(0, v.selection(kKeyInUseList));
    v.enable(kGetInfo, true);
    v.enable(kReset, true);
    v.setProgress(kProgress, 100);
    ui::StatusWindow status(ui::StatusWindow::kWifiSaved, deps_.clock, deps_.progress, &view());
    desktop().runModal(status, &window_);
}

}  // namespace hollin::wifi
