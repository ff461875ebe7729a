// The Wi-Fi window's shell: start, the port section, Open Port, Close Port, the window close and the
// module's factory reset.
#include "wifi/wifi_settings.h"
#include "wifi/module_form_entries.h"

#include <stdexcept>

#include "link/open_failure.h"
#include "link/open_link.h"
#include "ui/button_icons.h"
#include "ui/info_window.h"
#include "ui/list_fill.h"
#include "ui/port_section.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr ui::PortSectionIds kPortSection{kPortList,   kBaudList,     kDataBitsList,
                                          kParityList, kStopBitsList, kFlowList};

constexpr TextTwin kErrorCaption = {"ERROR", "에러"};
constexpr TextTwin kSerialOpenFailed = {"Open Port Failed !!!", "시리얼 포트 열기 실패 !!!"};
constexpr TextTwin kUsbOpenFailed = {"Open USB Failed !!!", "USB 포트 열기 실패 !!!"};
constexpr TextTwin kIspFailed = {"ISP Mode Set Failed", "ISP Mode Set Failed"};
constexpr TextTwin kResetFailed = {"Fail to factory settings", "Fail to factory settings"};
// The printer did not take the reset command (the link is closed or the write gave up).
constexpr TextTwin kResetNotSent = {"The reset command could not be sent to the printer.",
                                    "프린터에 초기화 명령을 보내지 못했습니다."};
constexpr TextTwin kWpaHintSollae = {"WPA Key is a read/writable. WPA Key is 8 to 64 ASCII characters.",
                                     "WPA 키는 읽기/쓰기 가능하고, 8 ~ 64 길이의 아스키 문자입니다."};
constexpr TextTwin kWepHintSollae = {"WEP Key is a read/writable.", "WEP 키는 읽기/쓰기 가능합니다"};
constexpr std::string_view kWpaHintKorean = "WPA 키는 8 ~ 64 문자입니다.";

constexpr ControlId kSerialLists[] = {kBaudList, kDataBitsList, kParityList, kStopBitsList, kFlowList};
constexpr ControlId kSerialLabels[] = {kBaudLabel, kDataBitsLabel, kParityLabel, kStopBitsLabel, kFlowLabel};

// Window start: disabled until a module is read.
constexpr ControlId kStartDisabled[] = {
    kGetInfo,     kSaveInfo,    kClosePort,      kTcpPort,      kReset,
    kSsid,        kIp,          kNetmask,        kGateway,      kDns,
    kModeList,    kChannelList, kEncryptionList, kKeyInUseList, kAuthenticationList,
    kWpaAuthList, kWpaEncList,  kWpaKey,         kKeyEdit1,     kKeyEdit2,
    kKeyEdit3,    kKeyEdit4,    kKeyType1,       kKeyType2,     kKeyType3,
    kKeyType4,    kDhcp,        kNetworkSave};
// Close Port and the window close, step 1.
constexpr ControlId kFormFields[] = {
    kSsid,       kIp,          kNetmask,        kGateway,      kDns,
    kModeList,   kChannelList, kEncryptionList, kKeyInUseList, kAuthenticationList,
    kWpaEncList, kSaveInfo,    kReset,          kKeyEdit1,     kKeyEdit2,
    kKeyEdit3,   kKeyEdit4,    kKeyType1,       kKeyType2,     kKeyType3,
    kKeyType4,   kWpaAuthList, kWpaKey};
// The lists a module of kind 2 and above fills from its record.
constexpr ControlId kRecordLists[] = {kModeList,     kChannelList, kEncryptionList, kAuthenticationList,
                                      kKeyInUseList, kKeyType1,    kKeyType2,       kKeyType3,
                                      kKeyType4,     kWpaEncList,  kWpaAuthList};

constexpr ControlId kModuleDependent[] = {kReset,
                                          kDhcp,
                                          kWps,
                                          kLpdEnable,
                                          kLpdQueue,
                                          kLpdQueueLabel,
                                          kFiveGhz,
                                          kBandLabel,
                                          kBandList,
                                          kFiveGhzGroup,
                                          kCountryLabel,
                                          kCountryList,
                                          kCountryChannelLabel,
                                          kCountryChannelList};

struct Caption {
    ControlId id;
    std::string_view korean;
};
constexpr Caption kKoreanCaptions[] = {
    {kOpenPort, "포트 열기"},
    {kClosePort, "포트 닫기"},
    {kGetInfo, "Wi-Fi 정보 읽어오기"},
    {kSaveInfo, "Wi-Fi 정보 저장하기"},
    {kOuterGroup, "프린터 연결 포트 및 Wi-Fi 정보"},
    {kPortGroup, "프린터 연결 포트 정보"},
    {kWifiGroup, "Wi-Fi 정보"},
    {kWpaGroup, "WPA 정보"},
    {kAuthenticationLabel, "Wi-Fi 인증 : "},
    {kEncryptionLabel, "Wi-Fi 데이터 암호화 : "},
    {kWpaAuthLabel, "WPA 인증 : "},
    {kWpaEncLabel, "WPA 암호화 : "},
    {kWpaKeyLabel, "WPA 키 : "},
    {kProgressLabel, "진행율 : "},
    {kKeyInUseLabel, "사용할 키 ID : "},
    {kKeyLabel1, "키 ID 1 : "},
    {kKeyLabel2, "키 ID 2 : "},
    {kKeyLabel3, "키 ID 3 : "},
    {kKeyLabel4, "키 ID 4 : "},
    {kModeLabel, "Wi-Fi 모드 : "},
    {kChannelLabel, "Wi-Fi 채널 : "},
    {kWpaHint, "WPA 키는 8 ~ 64 문자입니다."},
    {kExit, "Wi-Fi 종료"},
    {kReset, "초기화"},
    {kDhcp, "자동으로 IP 주소 받기(DHCP)"},
    {kSearch, "Wi-Fi 검색..."},
    {kNetworkSave, "저장..."},
    {kCountryLabel, "국가 이름 : "},
    {kCountryChannelLabel, "국가 지원 채널 : "},
    {kFiveGhzGroup, "Wi-Fi 5GHz 정보"},
};

bool startsWith(std::string_view text, std::string_view head) {
    return text.substr(0, head.size()) == head;
}

}  // namespace

CWiFiSettings::CWiFiSettings(WifiWindowDeps deps)
    : ui::Window(kWifiDialogId),
      deps_(std::move(deps)),
      serial_(deps_.clock, deps_.serialPorts,
              [&ports = deps_.ports](std::string_view port) { return ports.deviceFor(port); }),
      usb_(deps_.usbFinder, deps_.clock),
      exchange_(deps_.clock) {
    if (deps_.debugOutput) {
        serial_.setTraceSink(deps_.debugOutput);
        exchange_.setTraceSink(deps_.debugOutput);
    }
    mapPortHandlers();
    mapReadHandlers();
    mapSecurityHandlers();
    mapSaveHandlers();
    mapEnterpriseHandlers();
    mapNetworkHandlers();
    mapFormHandlers();
}

void CWiFiSettings::mapSecurityHandlers() {
    onSelectionChanged(kEncryptionList, [this] { security_.onEncryptionChanged(); });
    onSelectionChanged(kKeyInUseList, [this] { security_.onKeyInUseChanged(); });
    for (int k = 0; k < 4; ++k)
        onSelectionChanged(kKeys[k].type, [this, k] { security_.onKeyTypeChanged(k); });
    onSelectionChanged(kWpaAuthList, [this] { security_.onWpaAuthChanged(); });
    onSelectionChanged(kWpaEncList, [this] {
        if (networkMode_)
            network_.onNetworkWpaChanged();
    });
    onEditChanged(kWpaKey, [this] { security_.onWpaKeyChanged(); });
}

void CWiFiSettings::mapNetworkHandlers() {
    onClicked(kSearch, [this] { network_.onSearch(); });
    onClicked(kNetworkSave, [this] { network_.onNetworkSave(); });
    onSelectionChanged(kPrinterList, [this] { network_.onDeviceSelected(); });
    onClicked(kAddPrintQueue, [this] { network_.onAddPrintQueue(); });
    onClicked(kExport, [this] { network_.onExport(); });
}

void CWiFiSettings::onTimer(int timerId) {
    if (timerId == kTextSocketTimerId)
        network_.onTextSocketTimer();
}

CWiFiSettings::~CWiFiSettings() {
    network_.endSearchStatus();  // a search's status window never outlives the window it reports to
    if (ispModeOn_) {
        exchange_.leaveIspMode();
        closeLink();
    }
}

void CWiFiSettings::mapPortHandlers() {
    onClicked(kOpenPort, [this] { onOpenPort(); });
    onClicked(kClosePort, [this] { closePort(); });
    onClicked(kReset, [this] { onReset(); });
    onSelectionChanged(kPortList, [this] { applyPortRule(); });
    onSelectionChanged(kDataBitsList, [this] { onSerialParameter(kDataBitsList); });
    onSelectionChanged(kParityList, [this] { onSerialParameter(kParityList); });
}

void CWiFiSettings::trace(std::string_view text) {
    if (deps_.debugOutput)
        deps_.debugOutput(text);
}

void CWiFiSettings::showMessage(const TextTwin& text, const TextTwin& caption) {
    view().messageBox(pickText(text, messageLanguage_), pickText(caption, messageLanguage_),
                      ui::MessageButtons::Ok, ui::MessageIcon::None);
}

void CWiFiSettings::onInit() {
    ui::DialogView& v = view();
    messageLanguage_ = startMessageLanguage();
    v.setTitle(kWifiWindowTitle);
    static constexpr ui::ButtonIcon kIcons[] = {
        {kOpenPort, 130},   {kClosePort, 135}, {kGetInfo, 151}, {kSaveInfo, 157},    {kReset, 161},
        {kEnterprise, 162}, {kWps, 163},       {kSearch, 154},  {kNetworkSave, 158}, {kExit, 132}};
    ui::setButtonIcons(v, kIcons);
    const PortMap& ports = deps_.ports;
    ui::fillPortSection(v, kPortSection, ui::kUsbPortPosition, [&ports](std::string_view port) {
        return comPortNumber(port) ? ports.toolTip(port) : std::string();
    });
    v.addItem(kPortList, kNetworkPortName);
    v.setTextLimit(kSsid, static_cast<int>(kSsidMaxBytes));
    ui::fillList(v, kKeyInUseList, kKeyInUseNames, 0);
    v.enable(kOpenPort, true);
    v.enable(kExit, true);
    for (ControlId id : kStartDisabled)
        v.enable(id, false);
    for (ControlId id : {kSearch, kNetworkSave, kPrinterList, kExport})
        v.show(id, false);
    // What only some modules have stays out of sight until one is read.
    for (ControlId id : kModuleDependent)
        v.show(id, false);
    sollae_.clearKeyTexts();
    if (messageLanguage_ == kLanguageKorean)
        applyKoreanCaptions();
    v.enable(kEnterprise, false);
    if (deps_.program.moduleKind >= kModuleQuatech)
        for (ControlId id : kRecordLists)
            v.clearItems(id);
    for (std::size_t i = 0; i < std::size(kSerialLists); ++i) {
        v.enable(kSerialLists[i], false);
        v.show(kSerialLists[i], true);
        v.show(kSerialLabels[i], true);
    }
}

void CWiFiSettings::applyKoreanCaptions() {
    view().setTitle("Wi-Fi 설정 다이얼로그 2.69");
    for (const Caption& c : kKoreanCaptions)
        view().setText(c.id, c.korean);
    ui::fillList(view(), kKeyInUseList, kKeyInUseNamesKorean, view().selection(kKeyInUseList));
}

void CWiFiSettings::applyPortRule() {
    ui::DialogView& v = view();
    if (ui::selectedText(v, kPortList) == kNetworkPortName) {
        network_.applyNetworkPortRule();
        return;
    }
    networkMode_ = false;
    for (ControlId id : {kSearch, kNetworkSave, kPrinterList, kExport, kAddPrintQueue})
        v.show(id, false);
    for (std::size_t i = 0; i < std::size(kSerialLists); ++i) {
        v.show(kSerialLists[i], true);
        v.show(kSerialLabels[i], true);
    }
    v.enable(kOpenPort, true);
    for (ControlId id : {kGetInfo, kSaveInfo, kClosePort})
        v.enable(id, false);
    const bool usb = ui::selectedText(v, kPortList) == "USB";
    for (ControlId id : kSerialLists)
        v.enable(id, !usb);
    v.show(kReset, false);
    v.show(kDhcp, false);
    if (messageLanguage_ == kLanguageKorean)
        v.setText(kWpaHint, kWpaHintKorean);
    onDeviceChange();
}

void CWiFiSettings::onDeviceChange() {
    const PortMap& ports = deps_.ports;
    ui::showPortToolTips(view(), kPortList, [&ports](std::string_view port) {
        return comPortNumber(port) ? ports.toolTip(port) : std::string();
    });
}

void CWiFiSettings::onSerialParameter(ControlId changed) {
    ui::refuseSevenBitsWithoutParity(view(), kPortSection, changed);
}

bool CWiFiSettings::openLink(const std::string& port) {
    const ui::DialogView& v = view();
    PortKind kind = PortKind::Usb;
    LineCodes line;
    if (startsWith(port, "COM")) {
        kind = PortKind::Serial;
        line = {static_cast<std::uint32_t>(ui::selectedNumber(v, kBaudList)), v.selection(kParityList),
                v.selection(kDataBitsList), v.selection(kStopBitsList), v.selection(kFlowList)};
        exchange_.setLineRate(line.baud);
    } else if (!startsWith(port, "USB")) {
        exchange_.setLink(nullptr);
        return true;
    }
    Link& link = hollin::openLink(serial_, usb_, kind, port, line);
    exchange_.setLink(&link);
    if (link.isOpen())
        return true;
    const bool serial = port.find("COM") != std::string::npos;
    const std::string text =
        openFailureMessage(pickText(serial ? kSerialOpenFailed : kUsbOpenFailed, messageLanguage_),
                           serial ? serial_.openFailure() : usb_.openFailure(),
                           serial ? PortKind::Serial : PortKind::Usb, messageLanguage_);
    view().messageBox(text, pickText(kErrorCaption, messageLanguage_), ui::MessageButtons::Ok,
                      ui::MessageIcon::None);
    return false;
}

void CWiFiSettings::closeLink() {
    // With no link in use the serial link is the one that may have stayed open.
    if (exchange_.link() != nullptr)
        exchange_.link()->close();
    else
        serial_.Close();
}

void CWiFiSettings::onOpenPort() {
    ui::DialogView& v = view();
    const std::string port = ui::selectedText(v, kPortList);
    ispModeOn_ = false;

    const DriverPortCheck check = checkDriverPort(deps_.spooler, port, conflict_);
    if (check.enumPrintersFailed) {
        const MessageText m = enumPrintersFailedMessage();
        v.messageBox(m.text, m.caption, ui::MessageButtons::Ok, ui::MessageIcon::None);
    }
    if (check.conflict == 1) {
        const MessageText m = driverConflictMessage(conflict_, messageLanguage_);
        v.messageBox(m.text, m.caption, ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    if (!openLink(port))
        return;

    const OpenModuleResult module = openModule(exchange_, deps_.clock);
    if (module.outcome != ModuleOutcome::Done) {
        closeLink();
        showMessage(kIspFailed, kErrorCaption);
        return;
    }
    deps_.program.moduleKind = module.kind;

    for (ControlId id : {kOpenPort, kPortList, kBaudList, kParityList, kDataBitsList, kStopBitsList, kExit})
        v.enable(id, false);
    v.enable(kGetInfo, true);
    v.enable(kClosePort, true);
    v.enable(kSaveInfo, false);
    ispModeOn_ = true;

    if (module.kind == kModuleSollae) {
        if (module.generation) {
            moduleGeneration_ = *module.generation;
            const bool reset = moduleGeneration_ >= 2;
            v.enable(kReset, reset);
            v.show(kReset, reset);
            v.show(kDhcp, moduleGeneration_ == 2);
        }
        v.setText(kWpaHint, pickText(kWpaHintSollae, messageLanguage_));
        v.setText(kWepHint, pickText(kWepHintSollae, messageLanguage_));
        v.show(kEnterprise, false);
    }
    if (module.kind == kModuleInc) {
        v.enable(kWps, true);
        v.show(kWps, true);
    }
}

void CWiFiSettings::disableFormFields() {
    for (ControlId id : kFormFields)
        view().enable(id, false);
}

void CWiFiSettings::closePort() {
    ui::DialogView& v = view();
    disableFormFields();
    if (ispModeOn_) {
        exchange_.leaveIspMode();
        closeLink();
        ispModeOn_ = false;
    }
    for (ControlId id : {kOpenPort, kPortList, kBaudList, kParityList, kStopBitsList, kExit})
        v.enable(id, true);
    for (ControlId id : {kGetInfo, kSaveInfo, kClosePort, kTcpPort, kReset, kEnterprise, kBandList,
                         kCountryList, kCountryChannelList, kWps})
        v.enable(id, false);
    v.show(kWps, false);
    applyPortRule();
}

void CWiFiSettings::onWindowClose() {
    ui::DialogView& v = view();
    network_.endSearchStatus();
    disableFormFields();
    if (ispModeOn_) {
        exchange_.leaveIspMode();
        closeLink();
        ispModeOn_ = false;
    }
    v.enable(kOpenPort, true);
    v.enable(kExit, true);
    for (ControlId id : {kGetInfo, kSaveInfo, kClosePort, kTcpPort, kReset})
        v.enable(id, false);
    settingsExport_.exportSettingsIni();
    v.endDialog(ui::kResultCancel);
}

void CWiFiSettings::onOk() {
    onWindowClose();
}

void CWiFiSettings::onCancel() {
    onWindowClose();
}

void CWiFiSettings::onCloseBox() {
    onWindowClose();
}

void CWiFiSettings::onReset() {
    const ModuleKind kind = deps_.program.moduleKind;
    const ModuleOutcome outcome = resetModule(exchange_, kind, deps_.clock);
    switch (outcome) {
        case ModuleOutcome::Unsupported:
            return;
        case ModuleOutcome::Done:
            showResetDone();
            return;
        case ModuleOutcome::NotSent:
            if (kind != kModuleSollae) {
                showMessage(kResetNotSent, kErrorCaption);
                return;
            }
            [[fallthrough]];
        default:
            showMessage(kResetFailed, kNoCaption);
    }
}

// The module restarts with its factory settings: the operator opens the port again to read them.
void CWiFiSettings::showResetDone() {
    closePort();
    ui::InfoWindow info;
    info.kind = ui::InfoWindow::kFactoryReset;
    desktop().runModal(info, this);
}

}  // namespace hollin::wifi
