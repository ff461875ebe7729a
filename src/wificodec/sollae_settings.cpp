#include "wificodec/sollae_settings.h"

#include <algorithm>

#include "common/hex.h"

namespace hollin::wifi {
namespace {

Octets octets(std::span<const std::uint8_t> v) {
    return {v[0], v[1], v[2], v[3]};
}

// Text up to the first zero byte within `v`.
std::string zeroEnded(std::span<const std::uint8_t> v) {
    const auto end = std::find(v.begin(), v.end(), 0);
    return std::string(v.begin(), end);
}

void setPassPhrase(SollaeSettings& s, std::string text) {
    s.passPhrase = std::move(text);
    s.passPhraseHex = toHex(asBytes(s.passPhrase));
}

}  // namespace

void SollaeSettings::clearKeyTexts() {
    for (WepKey& key : keys) {
        key.hex40.clear();
        key.hex104.clear();
    }
}

void storeParameter(SollaeSettings& s, Param param, std::span<const std::uint8_t> value) {
    if (value.size() < valueLength(moduleParameter(param)))
        return;
    switch (param) {
        case Param::Ip:
            s.ip = octets(value);
            break;
        case Param::Netmask:
            s.netmask = octets(value);
            break;
        case Param::Gateway:
            s.gateway = octets(value);
            break;
        case Param::Dns:
            s.dns = octets(value);
            break;
        case Param::Ssid:
            s.ssid = zeroEnded(value.first(32));
            break;
        case Param::WifiOptions:
            s.mode = value[0] & 0x0F;
            s.channel = value[0] >> 4;
            s.authentication = value[1] >> 6 & 3;
            s.keptBits = value[1] >> 4 & 3;
            s.keyInUse = value[1] >> 2 & 3;
            s.encryption = value[1] & 3;
            s.wpaCipher = value[2] >> 3 & 3;
            s.wpaType = value[2] & 7;
            break;
        case Param::Wep40:
            for (std::size_t k = 0; k < 4; ++k) {
                auto& key = s.keys[k];
                std::copy_n(value.begin() + static_cast<std::ptrdiff_t>(5 * k), 5, key.raw40.begin());
                key.hex40 = toHex(key.raw40);
            }
            break;
        case Param::Wep104:
            for (std::size_t k = 0; k < 4; ++k) {
                auto& key = s.keys[k];
                std::copy_n(value.begin() + static_cast<std::ptrdiff_t>(13 * k), 13, key.raw104.begin());
                key.hex104 = toHex(key.raw104);
            }
            break;
        case Param::WpaKey:
            setPassPhrase(s, zeroEnded(value.first(32)));
            break;
        case Param::WpaKeyExtension:
            setPassPhrase(s, s.passPhrase.substr(0, 32) + zeroEnded(value.first(32)));
            break;
        case Param::TcpPort:
            std::copy_n(value.begin(), 20, s.tcpPortValue.begin());
            s.tcpPort = value[8] | value[9] << 8;
            break;
        case Param::TcpOptions:
            std::copy_n(value.begin(), 4, s.tcpOptions.begin());
            s.dhcp = (value[0] & 0x08) != 0;
            break;
        case Param::WpaPsk:
            break;
    }
}

}  // namespace hollin::wifi
