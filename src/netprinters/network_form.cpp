#include "netprinters/network_form.h"

#include <charconv>

#include <algorithm>
#include <cstdio>

#include "common/hex.h"

namespace hollin::wifi {

using netcfg::DeviceRecord;

namespace {

constexpr int kWpaInUse = 3;

int bits(std::uint32_t word, int first, int width) {
    return static_cast<int>((word >> first) & ((1u << width) - 1));
}

template <std::size_t N>
std::string keyText(const std::array<std::uint8_t, N>& key, int format) {
    if (format == 1)
        return std::string(key.begin(), std::find(key.begin(), key.end(), 0));
    return toHex(key);
}

// Which keys the form may edit and how long they may be, by the encryption shown.
void applyKeyRules(NetworkFormValues& v) {
    const bool wep = v.encryption == 1 || v.encryption == 2;
    for (std::size_t k = 0; k < 4; ++k)
        v.keyLimits[k] = wepKeyLimit(v.encryption, v.keyFormats[k]);
    v.keyEditsEnabled = wep;
    v.keyInUseEnabled = wep;
    v.wpaAuthEnabled = v.encryption == kWpaInUse;
    v.wpaKeyEnabled = v.encryption == kWpaInUse;
}

}  // namespace

int wepKeyLimit(int encryption, int format) {
    const bool ascii = format == 1;
    if (encryption == 1)
        return ascii ? 5 : 10;
    if (encryption == 2)
        return ascii ? 13 : 26;
    return 26;
}

std::string deviceKeyText(const DeviceRecord& record, int key, int encryption, int format) {
    if (key < 0 || key > 3)
        return {};
    const auto k = static_cast<std::size_t>(key);
    if (encryption == 1)
        return keyText(record.wep40Keys[k], format);
    if (encryption == 2)
        return keyText(record.wep104Keys[k], format);
    return {};
}

std::string textKeyText(const WifiSettingsRecord& record, int key, int format) {
    const std::string stored = record.text(wepKeyField(key + 1));
    if (format != 1)
        return stored;
    const std::vector<std::uint8_t> chars = decodeHexLenient(stored);
    return std::string(chars.begin(), chars.end());
}

std::vector<DeviceRecord> sortedByMac(std::vector<DeviceRecord> records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const DeviceRecord& a, const DeviceRecord& b) { return a.mac < b.mac; });
    if (records.size() > FoundDeviceList::kMaxFound)
        records.resize(FoundDeviceList::kMaxFound);
    return records;
}

std::string macListText(const netcfg::Mac& mac) {
    char text[20];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

NetworkFormValues formFromDeviceRecord(const DeviceRecord& r, FillVariant variant,
                                       const std::array<int, 4>& keyFormats) {
    const bool search = variant == FillVariant::Search;
    NetworkFormValues v;
    v.wpaCipherItems = {"None", "TKIP", "AES"};
    v.ip = r.sourceAddress;
    v.netmask = r.netmask;
    v.gateway = r.gateway;
    v.dns = r.dns;
    if (!search)
        v.mac = macListText(r.mac);
    v.ssid = std::string(r.ssid.begin(), std::find(r.ssid.begin(), r.ssid.end(), 0));
    v.wpaKey = std::string(netcfg::storedPassphrase(r));
    v.tcpPort = std::to_string(r.channels[0].localPort());

    const std::uint32_t w = r.wifiWord;
    v.mode = bits(w, 0, 4);
    v.channel = bits(w, 4, 4) - 1;
    v.authentication = bits(w, 14, 2);
    v.keyInUse = bits(w, 10, 2);
    v.wpaAuthentication = bits(w, 17, 2);
    v.wpaCipher = bits(w, 19, 2);
    const int wep = bits(w, 8, 2);
    const bool wpa = bits(w, 16, 3) != 0;
    if (search)
        v.encryption = wpa ? kWpaInUse : wep;
    else
        v.encryption = (wep == 1 || wep == 2) ? wep : (wpa ? kWpaInUse : 0);

    v.keyFormats = search ? std::array<int, 4>{} : keyFormats;
    const bool showKeys =
        search ? v.encryption != kWpaInUse && (wep == 1 || wep == 2) : (wep == 1 || wep == 2);
    if (showKeys)
        for (int k = 0; k < 4; ++k)
            v.keys[static_cast<std::size_t>(k)] =
                deviceKeyText(r, k, wep, v.keyFormats[static_cast<std::size_t>(k)]);
    applyKeyRules(v);
    if (search)
        v.wpaCipherEnabled = bits(w, 16, 3) == 4;

    const int high = r.versionMinor >> 8, low = r.versionMinor & 0xFF;
    if (search) {
        const int level = (high == 1 && low > 5) ? 2 : (high > 1 ? 3 : 1);
        v.resetShown = level >= 2;
        v.dhcpShown = level == 2;
        if (level == 3)
            v.wpaCipherItems.emplace_back("TKIP+AES");
    } else {
        v.dhcpShown = low > 5;
    }
    v.dhcp = (r.options & (1u << 3)) != 0;
    return v;
}

NetworkFormValues formFromTextRecord(const WifiSettingsRecord& r, const std::array<int, 4>& keyFormats) {
    NetworkFormValues v;
    v.wpaCipherItems = {"None", "TKIP", "AES"};
    v.mac = r.macText();
    v.ssid = r.line(field::kSsid);
    v.ip = r.address(field::kIp).value_or(Octets{});
    v.netmask = r.address(field::kSubnet).value_or(Octets{});
    v.gateway = r.address(field::kGateway).value_or(Octets{});
    v.dns = r.address(field::kDns).value_or(Octets{});
    const auto digit = [&r](RecordField f) { return r.digitValue(f).value_or(0); };
    v.mode = digit(field::kMode);
    v.channel = r.decimal(field::kChannel).value_or(1) - 1;
    v.authentication = digit(field::kAuthentication);
    v.keyInUse = std::clamp(digit(field::kUseKey) - 1, 0, 3);
    v.keyFormats = keyFormats;
    for (int k = 0; k < 4; ++k)
        v.keys[static_cast<std::size_t>(k)] = textKeyText(r, k, keyFormats[static_cast<std::size_t>(k)]);
    v.wpaKey = r.text(field::kWpaKey);
    v.tcpPort = std::to_string(r.hexNumber(field::kTcpPort).value_or(0));
    const int wpaType = digit(field::kWpa);
    v.wpaAuthentication = wpaType == 1 || wpaType == 2 ? wpaType : 0;
    v.wpaCipherEnabled = wpaType == 1 || wpaType == 2;
    v.wpaCipher = digit(field::kWpaEnc);
    v.encryption = wpaType != 0 ? kWpaInUse : digit(field::kEncryption);
    applyKeyRules(v);
    v.dhcpShown = true;
    v.dhcp = r.digit(field::kDhcp) == '1';
    return v;
}

RecordForm recordFormOf(const NetworkFormValues& v) {
    RecordForm form;
    form.mac = v.mac.value_or("");
    form.ssid = v.ssid;
    form.dhcp = v.dhcp;
    form.ip = v.ip;
    form.subnet = v.netmask;
    form.gateway = v.gateway;
    form.dns = v.dns;
    form.mode = v.mode;
    form.channel = v.channel;
    form.channelText = v.channel >= 0 ? std::to_string(v.channel + 1) : std::string();
    form.encryption = v.encryption;
    form.authentication = v.authentication;
    form.keyInUse = v.keyInUse;
    form.keyTexts = v.keys;
    form.keyTypes = v.keyFormats;
    form.wpaAuthentication = v.wpaAuthentication;
    form.wpaCipher = v.wpaCipher;
    form.wpaKey = v.wpaKey;
    form.wpaKeyEdited = true;
    long long port = 0;
    const auto [end, error] = std::from_chars(v.tcpPort.data(), v.tcpPort.data() + v.tcpPort.size(), port);
    form.tcpPort = error == std::errc() && end == v.tcpPort.data() + v.tcpPort.size() ? port : -1;
    return form;
}

}  // namespace hollin::wifi
