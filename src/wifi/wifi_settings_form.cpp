// The form fields that keep the module's record in step as the operator changes them: mode, channel,
// authentication, the WEP key texts, the addresses and the other edits; the band, country and channel
// lists of the 5 GHz band; WPS; and the settings export when the window closes.
#include <cstdlib>
#include <string>

#include "common/hex.h"
#include "ui/list_fill.h"
#include "ui/status_window.h"
#include "wifi/wifi_bands.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;

namespace {

constexpr TextTwin kCheckCaption = {"Error", "에러"};
constexpr TextTwin kErrorCaption = {"ERROR", "에러"};
constexpr TextTwin kFiveGhzEncryption = {"Only WPA and None are supported for Encryption of 5GHz",
                                         "5GHz(암호화)는 none과 WPA만 지원합니다."};
constexpr TextTwin kKeyTooLong = {"Key Length is too long", "Key Length is too long"};
constexpr TextTwin kKeyLengthNotMatched = {"Key Length is not matched", "Key Length is not matched"};
constexpr TextTwin kWpaKeyNotLong = {"WPA Key Length is not long", "WPA Key Length is not long"};
// The module did not get the WPS command (the link is closed or the write gave up).
constexpr TextTwin kWpsNotSent = {"The WPS command could not be sent to the printer.",
                                  "프린터에 WPS 명령을 보내지 못했습니다."};
constexpr std::string_view kInfrastructureWpaAuth[] = {"WPA-PSK", "WPA2-PSK", "AUTO"};
constexpr std::string_view kSoftApWpaAuth[] = {"WPA-PSK", "WPA2-PSK"};

constexpr int kModeAdhoc = 0, kModeInfrastructure = 1, kModeSoftAp = 2;
constexpr int kBand24 = 0, kBand5 = 1;

constexpr ControlId kAddressFields[] = {kIp, kNetmask, kGateway, kDns};
constexpr RecordField kAddressRecordFields[] = {field::kIp, field::kSubnet, field::kGateway, field::kDns};
constexpr ControlId kFiveGhzGroupControls[] = {kFiveGhzGroup, kCountryLabel, kCountryList,
                                               kCountryChannelLabel, kCountryChannelList};

void fillNumbers(ui::DialogView& v, ControlId id, int from, int to) {
    v.clearItems(id);
    for (int n = from; n <= to; ++n)
        v.addItem(id, std::to_string(n));
}

std::string upperHex(std::string_view text) {
    return toHex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// Only the hexadecimal digits of a typed (or pasted) text.
std::string hexDigitsOf(std::string_view text) {
    std::string out;
    for (char c : text)
        if (hexDigitValue(c) >= 0)
            out += c;
    return out;
}

}  // namespace

void CWiFiSettings::mapFormHandlers() {
    onSelectionChanged(kModeList, [this] { onModeChanged(); });
    onSelectionChanged(kChannelList, [this] { onChannelChanged(); });
    onSelectionChanged(kAuthenticationList, [this] { onAuthChanged(); });
    for (int k = 0; k < 4; ++k)
        onEditChanged(kKeys[k].edit, [this, k] { onWepKeyChanged(k); });
    for (ControlId id : {kSsid, kLpdQueue, kTcpPort})
        onEditChanged(id, [this, id] { onFormText(id); });
    onClicked(kLpdEnable, [this] { onFormText(kLpdEnable); });
    onClicked(kDhcp, [this] { onDhcpClicked(); });
    onClicked(kFiveGhz, [this] { onFiveGhzOption(); });
    for (int i = 0; i < 4; ++i)
        onEditChanged(kAddressFields[i], [this, i] { onAddressChanged(i); });
    onSelectionChanged(kBandList, [this] { onBandChanged(); });
    onSelectionChanged(kCountryList, [this] { onCountryChanged(); });
    onClicked(kWps, [this] { onWps(); });
}

bool CWiFiSettings::editsModuleRecord() const {
    return !networkMode_ && quietEdits_ == 0 && deps_.program.moduleKind >= kModuleQuatech;
}

bool CWiFiSettings::incFiveGhz() const {
    return deps_.program.moduleKind == kModuleInc && records_[0].digit(field::kGeneration) > '2';
}

// --- mode, channel, authentication

void CWiFiSettings::onModeChanged() {
    if (!editsModuleRecord())
        return;
    ui::DialogView& v = view();
    const int mode = v.selection(kModeList);
    if (mode < 0 || mode > 9)
        return;
    beginEdit();
    working_.setDigit(field::kMode, static_cast<char>('0' + mode));
    commitWorking();
    if (deps_.program.moduleKind == kModuleInc) {
        onIncModeChanged(mode);
        return;
    }
    // A module with the extended fields offers the 5 GHz channels in adhoc mode only.
    if (currentRecord().digit(field::kLpdQueue) == ' ')
        return;
    if (mode == kModeAdhoc) {
        v.show(kFiveGhz, true);
        fillChannelsForFiveGhzOption();
    } else if (mode == kModeInfrastructure) {
        v.show(kFiveGhz, false);
        v.setChecked(kFiveGhz, false);
        fillChannelsForFiveGhzOption();
    }
}

void CWiFiSettings::onIncModeChanged(int mode) {
    ui::DialogView& v = view();
    const int e = v.selection(kEncryptionList);
    const bool wep = e == 1 || e == 2;
    beginEdit();
    switch (mode) {
        case kModeAdhoc:
            selectIndex(kWpaAuthList, 0);
            selectIndex(kWpaEncList, 0);
            for (ControlId id : {kWpaAuthList, kWpaEncList, kWpaKey})
                v.enable(id, false);
            if (e >= 0 && e <= 2) {
                selectIndex(kKeyInUseList, 0);
                v.enable(kKeyInUseList, false);
                for (const KeyControls& key : kKeys) {
                    v.enable(key.edit, false);
                    v.enable(key.type, false);
                }
            }
            v.setChecked(kDhcp, false);
            selectIndex(kChannelList, 0);
            break;
        case kModeInfrastructure:
            ui::fillList(v, kWpaAuthList, kInfrastructureWpaAuth, 2);
            selectIndex(kWpaEncList, 2);
            v.enable(kWpaAuthList, false);
            v.enable(kWpaEncList, false);
            v.enable(kWpaKey, e >= 3);
            if (wep)
                v.enable(kKeyInUseList, true);
            break;
        case kModeSoftAp:
            ui::fillList(v, kWpaAuthList, kSoftApWpaAuth, 1);
            selectIndex(kEncryptionList, 3);
            working_.setDigit(field::kEncryption, '3');
            shownEncryption_ = 3;
            selectIndex(kWpaEncList, 1);
            v.enable(kWpaAuthList, true);
            v.enable(kWpaEncList, false);
            v.enable(kWpaKey, true);
            if (wep) {
                v.enable(kKeyInUseList, false);
                for (const KeyControls& key : kKeys) {
                    v.enable(key.edit, false);
                    v.enable(key.type, false);
                }
            }
            break;
        default:
            break;
    }
    // The addresses by the new mode: adhoc has no DHCP nor DNS, SoftAP serves its own addresses.
    const bool dhcp = mode == kModeSoftAp || (mode == kModeInfrastructure && v.isChecked(kDhcp));
    for (ControlId id : {kIp, kNetmask, kGateway})
        v.enable(id, mode == kModeAdhoc || (mode == kModeInfrastructure && !dhcp));
    v.enable(kDns, mode == kModeInfrastructure && !dhcp);
    v.enable(kDhcp, mode == kModeInfrastructure);
    if (mode != kModeInfrastructure)
        v.setChecked(kDhcp, mode == kModeSoftAp);
    working_.setDigit(field::kDhcp, v.isChecked(kDhcp) ? '1' : '0');
    commitWorking();

    if (incFiveGhz())
        applyBandSwitch();
    else
        applyBand(false);
}

void CWiFiSettings::onChannelChanged() {
    if (!editsModuleRecord())
        return;
    ui::DialogView& v = view();
    const int index = v.selection(kChannelList);
    if (index < 0)
        return;
    if (v.isVisible(kFiveGhz) && v.isChecked(kFiveGhz))
        fiveGhzChannel_ = std::atoi(v.itemText(kChannelList, index).c_str());
    char text[8];
    std::snprintf(text, sizeof text, "%02d", (index + 1) % 100);
    beginEdit();
    working_.setText(field::kChannel, text);
    commitWorking();
}

void CWiFiSettings::onAuthChanged() {
    if (!editsModuleRecord())
        return;
    const int index = view().selection(kAuthenticationList);
    if (index < 0 || index > 9)
        return;
    beginEdit();
    working_.setDigit(field::kAuthentication, static_cast<char>('0' + index));
    commitWorking();
}

// --- the WEP key texts: HEX keeps hexadecimal digits only, ASCII is stored as its hexadecimal form.

void CWiFiSettings::onWepKeyChanged(int key) {
    if (!editsModuleRecord())
        return;
    ui::DialogView& v = view();
    const ControlId edit = kKeys[key].edit;
    const std::string text = v.text(edit);
    std::string stored;
    if (keyType(key) == 0) {
        stored = hexDigitsOf(text);
        if (stored != text) {
            v.setText(edit, stored);  // notifies again with the kept digits
            return;
        }
    } else {
        stored = upperHex(text);
    }
    beginEdit();
    working_.setText(wepKeyField(key + 1), stored);
    commitWorking();
}

// --- SSID, LPD, TCP port and DHCP go into the record as they change.

void CWiFiSettings::onFormText(ControlId id) {
    if (!editsModuleRecord())
        return;
    ui::DialogView& v = view();
    beginEdit();
    if (id == kSsid) {
        working_.setLine(field::kSsid, v.text(kSsid).substr(0, 32));
    } else if (id == kLpdQueue) {
        if (working_.digit(field::kLpdQueue) != ' ')
            working_.setLine(field::kLpdQueue, v.text(kLpdQueue));
    } else if (id == kLpdEnable) {
        working_.setDigit(field::kLpdEnable, v.isChecked(kLpdEnable) ? '1' : '0');
    } else if (id == kTcpPort) {
        // A port outside 0..65535 stays out of the record; the save refuses it.
        const std::string text = v.text(kTcpPort);
        char* end = nullptr;
        const long port = std::strtol(text.c_str(), &end, 10);
        if (!text.empty() && *end == '\0' && port >= 0 && port <= 65535) {
            tcpPort_ = static_cast<int>(port);
            char hex[8];
            std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(port));
            working_.setText(field::kTcpPort, hex);
        }
    }
    commitWorking();
}

void CWiFiSettings::onDhcpClicked() {
    ui::DialogView& v = view();
    const bool dhcp = v.isChecked(kDhcp);
    for (ControlId id : kAddressFields)
        v.enable(id, !dhcp);
    if (!editsModuleRecord())
        return;
    beginEdit();
    working_.setDigit(field::kDhcp, dhcp ? '1' : '0');
    commitWorking();
}

void CWiFiSettings::onAddressChanged(int index) {
    if (!editsModuleRecord())
        return;
    const auto octets = view().address(kAddressFields[index]);
    if (!octets)
        return;
    beginEdit();
    working_.setAddress(kAddressRecordFields[index], *octets);
    commitWorking();
}

// --- the 5 GHz channels of a QUATECH module in adhoc mode

void CWiFiSettings::onFiveGhzOption() {
    if (editsModuleRecord() && deps_.program.moduleKind == kModuleQuatech)
        fillChannelsForFiveGhzOption();
}

void CWiFiSettings::fillChannelsForFiveGhzOption() {
    ui::DialogView& v = view();
    if (v.isChecked(kFiveGhz)) {
        v.clearItems(kChannelList);
        int selected = -1;
        for (int c : fiveGhzOptionChannels()) {
            const int index = v.addItem(kChannelList, std::to_string(c));
            if (c == fiveGhzChannel_)
                selected = index;
        }
        v.setSelection(kChannelList, selected);
        return;
    }
    fillNumbers(v, kChannelList, 1, 14);
    selectIndex(kChannelList, currentRecord().decimal(field::kChannel).value_or(0) - 1);
}

// --- INC: band, country and country channel

void CWiFiSettings::onBandChanged() {
    if (editsModuleRecord() && deps_.program.moduleKind == kModuleInc)
        applyBandSwitch();
}

// Also run while the form is filled: the record's digits are set in both copies.
void CWiFiSettings::applyBandSwitch() {
    ui::DialogView& v = view();
    const int band = v.selection(kBandList);
    const int mode = v.selection(kModeList);
    if (band == kBand24) {
        applyBand(false);
    } else if (band == kBand5 && mode == kModeAdhoc) {
        // Adhoc stays on 2.4 GHz: the mode goes to infrastructure.
        applyBand(false);
        selectIndex(kModeList, kModeInfrastructure);
        working_.setDigit(field::kMode, '1');
        currentRecord().setDigit(field::kMode, '1');
    } else if (band == kBand5) {
        applyBand(true);
    }
}

void CWiFiSettings::applyBand(bool fiveGhz) {
    ui::DialogView& v = view();
    for (ControlId id : {kCountryList, kCountryChannelList, kBandList, kChannelList, kEncryptionList})
        v.enable(id, true);
    if (!fiveGhz) {
        for (ControlId id : kFiveGhzGroupControls)
            v.show(id, false);
        fillNumbers(v, kChannelList, 1, 14);
        v.setSelection(kChannelList, 0);
        return;
    }
    for (ControlId id : kFiveGhzGroupControls)
        v.show(id, true);
    v.clearItems(kCountryList);
    v.clearItems(kCountryChannelList);
    for (const Country& c : countries())
        v.addItem(kCountryList, c.name);
    const int row = countryRow(currentRecord().raw(field::kCountry));
    v.setSelection(kCountryList, row);
    if (row >= 0)
        fillCountryChannels(row, channelNumber_);
    const int band = v.selection(kBandList);
    const int mode = v.selection(kModeList);
    if (band == kBand24 && mode == kModeInfrastructure)
        v.enable(kCountryChannelList, false);
    if (band != kBand5)
        return;
    v.enable(kChannelList, false);
    if (mode == kModeAdhoc) {
        selectIndex(kBandList, kBand24);
        v.enable(kBandList, false);
        selectIndex(kEncryptionList, 0);
    } else if (mode == kModeSoftAp) {
        selectIndex(kCountryChannelList, row == kTaiwanRow ? 14 : 0);
        selectIndex(kEncryptionList, 3);
        shownEncryption_ = 3;
        showMessage(kFiveGhzEncryption, {"", ""});
    }
}

void CWiFiSettings::fillCountryChannels(int row, int wanted) {
    ui::DialogView& v = view();
    v.clearItems(kCountryChannelList);
    if (row < 0 || row >= static_cast<int>(countries().size()))
        return;
    int selected = 0;
    for (int c : countries()[static_cast<std::size_t>(row)].channels) {
        const int index = v.addItem(kCountryChannelList, std::to_string(c));
        if (c == wanted)
            selected = index;
    }
    v.setSelection(kCountryChannelList, selected);
}

void CWiFiSettings::onCountryChanged() {
    if (editsModuleRecord())
        fillCountryChannels(view().selection(kCountryList), -1);
}

void CWiFiSettings::showIncFiveGhz() {
    ui::DialogView& v = view();
    for (ControlId id : {kBandLabel, kBandList, kFiveGhzGroup, kCountryLabel, kCountryList,
                         kCountryChannelLabel, kCountryChannelList}) {
        v.show(id, true);
        v.enable(id, true);
    }
    const WifiSettingsRecord& r = currentRecord();
    selectIndex(kBandList, r.digit(field::kBand) == kIncBand5 ? kBand5 : kBand24);
    v.clearItems(kCountryList);
    for (const Country& c : countries())
        v.addItem(kCountryList, c.name);
    const int row = countryRow(r.raw(field::kCountry));
    v.setSelection(kCountryList, row);
    channelNumber_ = r.decimal(field::kChannel3).value_or(0);
    fillCountryChannels(row, channelNumber_);
    applyBandSwitch();
}

void CWiFiSettings::selectBandByChannel() {
    const bool five = channelNumber_ > 29;
    selectIndex(kBandList, five ? kBand5 : kBand24);
    working_.setDigit(field::kBand, five ? kIncBand5 : kIncBand24);
    currentRecord().setDigit(field::kBand, five ? kIncBand5 : kIncBand24);
    applyBandSwitch();
}

// --- WPS: the INC module starts Wi-Fi Protected Setup; the port closes behind it.

void CWiFiSettings::onWps() {
    if (deps_.program.moduleKind != kModuleInc || networkMode_)
        return;
    if (!exchange_.startWps()) {
        showMessage(kWpsNotSent, kErrorCaption);
        return;
    }
    fillFormFromRecord();
    ui::StatusWindow status(ui::StatusWindow::kWifiSaved, deps_.clock, deps_.progress, &view());
    desktop().runModal(status, this);
    closePort();
    view().enable(kWps, false);
    view().show(kWps, false);
}

// --- the settings export when the window closes

IniForm CWiFiSettings::iniForm() {
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
        form.keyType = keyType(form.keyInUse);
    }
    form.wpaAuthentication = v.selection(kWpaAuthList);
    form.wpaCipher = v.selection(kWpaEncList);
    // An untouched key edit shows the key's mask: the key it stands for is exported.
    form.wpaKey = wpaKeyEdited_ ? v.text(kWpaKey) : storedWpaKey_;
    form.tcpPortField = std::string(currentRecord().raw(field::kTcpPort));
    return form;
}

void CWiFiSettings::exportSettingsIni() {
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
