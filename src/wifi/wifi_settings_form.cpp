// The form fields that keep the module's record in step as the operator changes them: mode, channel,
// authentication, the WEP key texts, the addresses and the other edits; and WPS.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/hex.h"
#include "netcfg/write_checks.h"
#include "netprinters/network_save.h"
#include "ui/list_fill.h"
#include "ui/status_window.h"
#include "wifi/module_form_entries.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"
#include "wificodec/wifi_bands.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr TextTwin kErrorCaption = {"ERROR", "에러"};
// The module did not get the WPS command (the link is closed or the write gave up).
constexpr TextTwin kWpsNotSent = {"The WPS command could not be sent to the printer.",
                                  "프린터에 WPS 명령을 보내지 못했습니다."};
constexpr TextTwin kSelectPrinter = {"Select Printer before execute this function.",
                                     "Select Printer before execute this function."};
constexpr TextTwin kWrongAddress = {"Wrong Local IP address.", "Wrong Local IP address."};
constexpr std::string_view kInfrastructureWpaAuth[] = {"WPA-PSK", "WPA2-PSK", "AUTO"};
constexpr std::string_view kSoftApWpaAuth[] = {"WPA-PSK", "WPA2-PSK"};

constexpr RecordField kAddressRecordFields[] = {field::kIp, field::kSubnet, field::kGateway, field::kDns};

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
    onClicked(kFiveGhz, [this] { bands_.onFiveGhzOption(); });
    for (int i = 0; i < 4; ++i)
        onEditChanged(kAddressFields[i], [this, i] { onAddressChanged(i); });
    onSelectionChanged(kBandList, [this] { bands_.onBandChanged(); });
    onSelectionChanged(kCountryList, [this] { bands_.onCountryChanged(); });
    onClicked(kWps, [this] { onWps(); });
}

bool CWiFiSettings::editsModuleRecord() const {
    return !networkMode_ && quietEdits_ == 0 && deps_.program.moduleKind >= kModuleQuatech;
}

FoundDeviceList::Entry* CWiFiSettings::selectedFoundEntry() {
    if (!networkMode_)
        return nullptr;
    const int position = view().selection(kPrinterList);
    if (position < 0 || static_cast<std::size_t>(position) >= network_.found().entries.size())
        return nullptr;
    return &network_.found().entries[static_cast<std::size_t>(position)];
}

std::optional<CWiFiSettings::NetworkEntry> CWiFiSettings::selectedNetworkEntry() {
    const FoundDeviceList::Entry* entry = selectedFoundEntry();
    if (!entry)
        return std::nullopt;
    return NetworkEntry{entry->kind, entry->index};
}

std::optional<std::size_t> CWiFiSettings::editedRecord() {
    if (quietEdits_ > 0)
        return std::nullopt;
    if (!networkMode_)
        return deps_.program.moduleKind >= kModuleQuatech ? std::optional<std::size_t>(0) : std::nullopt;
    const auto entry = selectedNetworkEntry();
    if (!entry || entry->kind != 0 || entry->index >= records_.size())
        return std::nullopt;
    return entry->index;
}

bool CWiFiSettings::editRecord(const std::function<void(WifiSettingsRecord&)>& change) {
    const auto index = editedRecord();
    if (!index)
        return false;
    working_ = records_[*index];
    change(working_);
    records_[*index] = working_;
    return true;
}

netcfg::DeviceRecord* CWiFiSettings::editedDevice() {
    if (quietEdits_ > 0)
        return nullptr;
    const auto entry = selectedNetworkEntry();
    if (!entry || entry->kind != 1 || entry->index >= network_.found().found.size())
        return nullptr;
    return &network_.found().found[entry->index];
}

// --- mode, channel, authentication

namespace {

// The bits `mask` of the binary printer's Wi-Fi word set to `value`.
void setWifiBits(netcfg::DeviceRecord& d, std::uint32_t mask, int shift, int value) {
    d.wifiWord = (d.wifiWord & ~mask) | ((static_cast<std::uint32_t>(value) << shift) & mask);
}

int wifiBits(const netcfg::DeviceRecord& d, std::uint32_t mask, int shift) {
    return static_cast<int>((d.wifiWord & mask) >> shift);
}

constexpr std::uint32_t kModeBits = 0x0000000Fu, kChannelBits = 0x000000F0u, kAuthBits = 0x0000C000u;

}  // namespace

void CWiFiSettings::onModeChanged() {
    ui::DialogView& v = view();
    const int mode = v.selection(kModeList);
    if (mode < 0 || mode > 9)
        return;
    if (netcfg::DeviceRecord* d = editedDevice()) {
        setWifiBits(*d, kModeBits, 0, mode);
        selectIndex(kModeList, wifiBits(*d, kModeBits, 0));
        return;
    }
    if (networkMode_) {
        if (editRecord(
                [mode](WifiSettingsRecord& r) { r.setDigit(field::kMode, static_cast<char>('0' + mode)); }))
            trace(mode == 0 ? "*****Ad-hoc" : mode == 1 ? "*****Infrastructure" : "Unknown Setting");
        return;
    }
    if (!editsModuleRecord())
        return;
    editRecord([mode](WifiSettingsRecord& r) { r.setDigit(field::kMode, static_cast<char>('0' + mode)); });
    if (deps_.program.moduleKind == kModuleInc) {
        onIncModeChanged(mode);
        return;
    }
    // A module with the extended fields offers the 5 GHz channels in adhoc mode only.
    if (currentRecord().digit(field::kLpdQueue) == ' ')
        return;
    if (mode == kModeAdhoc) {
        v.show(kFiveGhz, true);
        bands_.fillChannelsForFiveGhzOption();
    } else if (mode == kModeInfrastructure) {
        v.show(kFiveGhz, false);
        v.setChecked(kFiveGhz, false);
        bands_.fillChannelsForFiveGhzOption();
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

    if (bands_.incFiveGhz())
        bands_.applyBandSwitch();
    else
        bands_.applyBand(false);
}

void CWiFiSettings::onChannelChanged() {
    ui::DialogView& v = view();
    const int index = v.selection(kChannelList);
    if (index < 0)
        return;
    if (netcfg::DeviceRecord* d = editedDevice()) {
        setWifiBits(*d, kChannelBits, 4, index + 1);
        selectIndex(kChannelList, wifiBits(*d, kChannelBits, 4) - 1);
        return;
    }
    if (!networkMode_ && v.isVisible(kFiveGhz) && v.isChecked(kFiveGhz))
        fiveGhzChannel_ = std::atoi(v.itemText(kChannelList, index).c_str());
    char text[8];
    std::snprintf(text, sizeof text, "%02d", (index + 1) % 100);
    editRecord([&text](WifiSettingsRecord& r) { r.setText(field::kChannel, text); });
}

void CWiFiSettings::onAuthChanged() {
    const int index = view().selection(kAuthenticationList);
    if (index < 0 || index > 9)
        return;
    if (netcfg::DeviceRecord* d = editedDevice()) {
        setWifiBits(*d, kAuthBits, 14, index & 3);
        selectIndex(kAuthenticationList, wifiBits(*d, kAuthBits, 14));
        return;
    }
    editRecord([index](WifiSettingsRecord& r) {
        r.setDigit(field::kAuthentication, static_cast<char>('0' + index));
    });
}

// --- the WEP key texts: HEX keeps hexadecimal digits only, ASCII is stored as its hexadecimal form.

void CWiFiSettings::onWepKeyChanged(int key) {
    ui::DialogView& v = view();
    const bool device = editedDevice() != nullptr;
    if (!device && !editedRecord())
        return;
    const ControlId edit = kKeys[key].edit;
    const std::string text = v.text(edit);
    const int type = security_.keyType(key);
    std::string stored;
    if (type != 1) {
        stored = hexDigitsOf(text);
        if (stored != text) {
            v.setText(edit, stored);  // notifies again with the kept digits
            return;
        }
    } else {
        stored = asciiKeyHex(text);
    }
    // A network printer keeps the text as typed, for when it is chosen again.
    if (FoundDeviceList::Entry* entry = selectedFoundEntry())
        entry->keyTexts[static_cast<std::size_t>(key)] = text;
    if (netcfg::DeviceRecord* d = editedDevice())
        storeWepKey(*d, key, v.selection(kEncryptionList), text, type);
    else if (editRecord([key, &stored](WifiSettingsRecord& r) { r.setText(wepKeyField(key + 1), stored); }) &&
             !networkMode_)
        wepKeyTyped_[static_cast<std::size_t>(key)] = true;
}

// --- SSID, LPD, TCP port and DHCP go into the record as they change.

void CWiFiSettings::onFormText(ControlId id) {
    ui::DialogView& v = view();
    if (id == kTcpPort) {
        // A port outside 0..65535 stays out of the record; the save refuses it.
        const std::string text = v.text(kTcpPort);
        char* end = nullptr;
        const long port = std::strtol(text.c_str(), &end, 10);
        if (quietEdits_ > 0 || text.empty() || *end != '\0' || port < 0 || port > 65535)
            return;
        tcpPort_ = static_cast<int>(port);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(port));
        editRecord([&hex](WifiSettingsRecord& r) { r.setText(field::kTcpPort, hex); });
        return;
    }
    if (!editsModuleRecord())
        return;
    editRecord([&](WifiSettingsRecord& r) {
        if (id == kSsid)
            r.setLine(field::kSsid, v.text(kSsid).substr(0, 32));
        else if (id == kLpdQueue && r.digit(field::kLpdQueue) != ' ')
            r.setLine(field::kLpdQueue, v.text(kLpdQueue));
        else if (id == kLpdEnable)
            r.setDigit(field::kLpdEnable, v.isChecked(kLpdEnable) ? '1' : '0');
    });
}

void CWiFiSettings::onDhcpClicked() {
    ui::DialogView& v = view();
    const bool dhcp = v.isChecked(kDhcp);
    for (ControlId id : kAddressFields)
        v.enable(id, !dhcp);
    editRecord([dhcp](WifiSettingsRecord& r) { r.setDigit(field::kDhcp, dhcp ? '1' : '0'); });
}

void CWiFiSettings::onAddressChanged(int index) {
    if (quietEdits_ > 0)
        return;
    ui::DialogView& v = view();
    const auto octets = v.address(kAddressFields[index]);
    if (networkMode_ && !selectedNetworkEntry()) {
        if (kAddressFields[index] != kDns)
            showMessage(kSelectPrinter, kNoCaption);
        return;
    }
    if (!octets)
        return;
    if (netcfg::DeviceRecord* d = editedDevice()) {
        // Checked on a copy: the printer's record takes the address when it is saved.
        netcfg::DeviceRecord copy = *d;
        std::array<std::uint8_t, 4>* fields[] = {&copy.ipAddress, &copy.netmask, &copy.gateway, &copy.dns};
        std::copy(octets->begin(), octets->end(), fields[index]->begin());
        const auto number = [](const std::array<std::uint8_t, 4>& a) {
            return static_cast<std::uint32_t>(a[0]) << 24 | a[1] << 16 | a[2] << 8 | a[3];
        };
        if (kAddressFields[index] == kIp) {
            char text[24];
            std::snprintf(text, sizeof text, "ip=%x", number(copy.ipAddress));
            trace(text);
        }
        if (!netcfg::addressCheck(number(copy.ipAddress), number(copy.netmask)))
            showMessage(kWrongAddress, kNoCaption);
        return;
    }
    editRecord([&](WifiSettingsRecord& r) { r.setAddress(kAddressRecordFields[index], *octets); });
}

// --- WPS: the INC module starts Wi-Fi Protected Setup; the port closes behind it.

void CWiFiSettings::onWps() {
    if (deps_.program.moduleKind != kModuleInc || networkMode_)
        return;
    if (!exchange_.startWps()) {
        showMessage(kWpsNotSent, kErrorCaption);
        return;
    }
    recordModule_.fillFormFromRecord();
    ui::StatusWindow status(ui::StatusWindow::kWifiSaved, deps_.clock, deps_.progress, &view());
    desktop().runModal(status, this);
    closePort();
    view().enable(kWps, false);
    view().show(kWps, false);
}

}  // namespace hollin::wifi
