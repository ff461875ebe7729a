#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/text_twin.h"
#include "wificodec/module_protocol.h"
#include "wificodec/sollae_settings.h"

// What a Sollae module is given on a save: the form's values checked and turned into the parameter
// records, in the order they are written. Pure: no exchange happens here.
namespace hollin::wifi {

// Entries of the Sollae form's encryption and WPA authentication lists.
inline constexpr int kEncryptionNone = 0, kEncryptionWep64 = 1, kEncryptionWep128 = 2, kEncryptionWpa = 3,
                     kEncryption8021x = 4;

// The form's values. A list without a selection is -1: the value read from the module stays.
struct SollaeForm {
    Octets ip{}, netmask{}, gateway{}, dns{};
    std::string ssid;
    int mode = -1;
    int channel = -1;  // list index, channel - 1
    int encryption = -1;
    int keyInUse = -1;
    int authentication = -1;
    int wpaAuthentication = -1;  // 0 None Use, 1 WPA-PSK, 2 WPA2-PSK
    int wpaCipher = -1;
    std::array<std::string, 4> keyTexts;
    std::array<int, 4> keyTypes{};  // 0 HEX, 1 ASCII
    std::string wpaKey;
    long long tcpPort = 0;
    bool dhcp = false;
};

// Why a form cannot be written; nothing has been sent.
enum class SaveRefusal {
    KeyLengthNotMatched,  // a HEX WEP key not of 10 or 26 characters
    KeyTooLong,           // an ASCII WEP key over 5 or 13 characters
    KeyNotHex,            // a HEX WEP key with a character other than a hexadecimal digit
    WpaKeyTooLong,        // over 64 characters
    Encryption8021x,      // the module would be left with an open network
    TcpPortOutOfRange,    // outside 0..65535
    SsidTooLong,          // over 32 bytes
    LpdQueueTooLong,      // over 34 bytes (record modules)
    WpaKeyMaskEdited,     // the WPA key edit holds part of the mask of the module's key
};

// An SSID takes at most 32 bytes (UTF-8): a longer one is refused, never cut.
inline constexpr std::size_t kSsidMaxBytes = 32;
inline bool ssidFits(std::string_view ssid) {
    return ssid.size() <= kSsidMaxBytes;
}

inline constexpr TextTwin kTcpPortOutOfRangeText = {"The TCP port must be a number from 0 to 65535.",
                                                    "TCP 포트는 0에서 65535 사이의 숫자여야 합니다."};
// What the Wi-Fi window (and the command line) says about a refusal.
TextTwin saveRefusalText(SaveRefusal refusal);

// The key rules every module kind shares: the key in use of a WEP encryption (HEX 10 or 26
// hexadecimal digits, ASCII at most 5 or 13 characters), the WPA key at most 64 characters.
std::optional<SaveRefusal> checkKeyRules(int encryption, const std::string& keyInUseText, int keyType,
                                         const std::string& wpaKey);

// The key rules of the selected encryption, then the encryption and the TCP port.
std::optional<SaveRefusal> checkSollaeForm(const SollaeForm& form, const SollaeSettings& read);

// One write of the save: the parameter, its value and the progress bar after it (-1: unchanged).
struct SollaeWrite {
    Param param;
    Bytes value;
    int progress = -1;
};

// The WPA type (0, 2 or 4) of a WPA authentication entry.
int wpaTypeOf(int wpaAuthentication);
// The options value (6 bytes) the form gives, over the options read.
Bytes sollaeOptionsValue(const SollaeForm& form, const SollaeSettings& read);
// The 40-bit (20 bytes) or 104-bit (52 bytes) key record: the key in use from its edit when the
// encryption is the record's kind, every other key as the module sent it.
Bytes sollaeWepValue(const SollaeForm& form, const SollaeSettings& read, bool bits40);
// The TCP port value: the 20 bytes read, bytes 8-9 the port, little-endian.
Bytes sollaeTcpPortValue(const SollaeSettings& read, int port);
// The pre-shared key: 64 hexadecimal digits are the key itself, any other pass phrase is mapped with
// the SSID (IEEE 802.11i).
std::array<std::uint8_t, 32> sollaePsk(const std::string& wpaKey, const std::string& ssid);

// Every write of a checked form, in order. `parameterSet` 2 adds the pre-shared key and the TCP
// options.
std::vector<SollaeWrite> planSollaeWrites(const SollaeForm& form, const SollaeSettings& read,
                                          int parameterSet);

}  // namespace hollin::wifi
