#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/bytes.h"
#include "wificodec/module_protocol.h"
#include "wificodec/wifi_record.h"

// What the window holds of a Sollae module, which keeps its settings as separate parameters rather
// than one record. Filled parameter by parameter from the module's read replies.
namespace hollin::wifi {

struct SollaeSettings {
    Octets ip{}, netmask{}, gateway{}, dns{};
    std::string ssid;
    int mode = 0;            // 0 adhoc, 1 infrastructure
    int channel = 0;         // 1..14
    int encryption = 0;      // 0 None, 1 WEP64, 2 WEP128
    int keyInUse = 0;        // 0..3
    int authentication = 0;  // 0 None, 1 Open System, 2 Shared Key, 3 Both
    int keptBits = 0;        // bits 4-5 of the options' byte 1, as read
    int wpaType = 0;         // 0 none, 2 WPA-PSK, 4 WPA2-PSK
    int wpaCipher = 0;       // 0 none, 1 TKIP, 2 AES, 3 TKIP+AES

    struct WepKey {
        int type = 0;  // 0 HEX, 1 ASCII
        std::array<std::uint8_t, 5> raw40{};
        std::string hex40;  // 10 upper-case digits
        std::array<std::uint8_t, 13> raw104{};
        std::string hex104;  // 26 digits
    };
    std::array<WepKey, 4> keys;

    std::string passPhrase;     // up to 64 characters
    std::string passPhraseHex;  // its 64-character hexadecimal form
    std::array<std::uint8_t, 32> psk{};

    std::array<std::uint8_t, 4> tcpOptions{};
    std::array<std::uint8_t, 20> tcpPortValue{};
    int tcpPort = 0;
    bool dhcp = false;
    std::string mac;

    // Forgets the held WEP key texts (before a read).
    void clearKeyTexts();
};

// Stores the value bytes of a parameter's read reply (`value` holds at least the parameter's value
// length; shorter values store nothing). The WPA key extension appends to the pass phrase's first 32
// characters. The WPA pre-shared key stores nothing.
void storeParameter(SollaeSettings& settings, Param param, std::span<const std::uint8_t> value);

}  // namespace hollin::wifi
