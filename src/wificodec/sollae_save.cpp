#include "wificodec/sollae_save.h"

#include <algorithm>

#include "common/hex.h"
#include "common/sha1.h"

namespace hollin::wifi {
namespace {

constexpr std::size_t kWep40Bytes = 5, kWep104Bytes = 13;
constexpr std::size_t kPassPhraseMax = 64, kPassPhrasePart = 32, kSsidMax = 32;

bool allHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return hexDigitValue(c) >= 0; });
}

// A HEX key's pairs as bytes (the text is checked first).
Bytes hexBytes(std::string_view text) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(hexDigitValue(text[i]) << 4 | hexDigitValue(text[i + 1])));
    return out;
}

int chosen(int selection, int read) {
    return selection >= 0 ? selection : read;
}

// The encryption entry the form shows: its selection, else as read (a WPA type shows "WPA").
int shownEncryption(const SollaeForm& form, const SollaeSettings& read) {
    return chosen(form.encryption, read.wpaType != 0 ? kEncryptionWpa : read.encryption);
}

Bytes octetBytes(const Octets& o) {
    return Bytes(o.begin(), o.end());
}

// `text` from `from`, at most `count` bytes, zero padded to `count`.
Bytes padded(std::string_view text, std::size_t from, std::size_t count) {
    Bytes out(count, 0);
    if (from < text.size()) {
        const std::string_view part = text.substr(from, count);
        std::copy(part.begin(), part.end(), out.begin());
    }
    return out;
}

// The key of this record's width as typed: HEX pairs or the characters, zero padded.
Bytes typedKey(std::string_view text, int type, std::size_t width) {
    Bytes out = type == 1 ? Bytes(text.begin(), text.end()) : hexBytes(text);
    out.resize(width, 0);
    return out;
}

// A key the form did not rewrite, as the module sent it.
template <std::size_t N>
Bytes keptKey(const std::array<std::uint8_t, N>& raw) {
    return Bytes(raw.begin(), raw.end());
}

constexpr TextTwin kKeyLengthNotMatched = {"Key Length is not matched", "Key Length is not matched"};
constexpr TextTwin kKeyTooLong = {"Key Length is too long", "Key Length is too long"};
constexpr TextTwin kWpaKeyTooLong = {"WPA Key Length is too long", "WPA Key Length is too long"};
constexpr TextTwin kSsidTooLong = {"SSID Key length should be less than 32",
                                   "SSID Key length should be less than 32"};
constexpr TextTwin kWpaKeyMaskEdited = {
    "The WPA Key shows part of the hidden key's asterisks, which is no key. Erase it and type the new key, "
    "or put every asterisk back to keep the module's key.",
    "WPA 키에 숨긴 키의 별표(*)가 일부만 남아 있어 키로 쓸 수 없습니다. 모두 지우고 새 키를 입력하거나, "
    "지금의 "
    "키를 유지하려면 별표를 모두 되돌려 놓으십시오."};
constexpr TextTwin kLpdQueueTooLong = {"LPD Queue Name is too long", "LPD Queue Name is too long"};
constexpr TextTwin kKeyNotHex = {"A HEX key takes only the digits 0-9 and A-F.",
                                 "HEX 키에는 0-9와 A-F만 쓸 수 있습니다."};
constexpr TextTwin kNo8021x = {
    "This module cannot use 802.1x: saving it would leave the network open. Choose WEP or WPA.",
    "이 모듈은 802.1x를 쓸 수 없습니다. 저장하면 네트워크가 열린 상태가 됩니다. WEP 또는 WPA를 "
    "선택하십시오."};
}  // namespace

std::optional<SaveRefusal> checkKeyRules(int encryption, const std::string& text, int keyType,
                                         const std::string& wpaKey) {
    if (encryption == kEncryptionWep64 || encryption == kEncryptionWep128) {
        const bool ascii = keyType == 1;
        const std::size_t width = encryption == kEncryptionWep64 ? kWep40Bytes : kWep104Bytes;
        if (ascii && text.size() > width)
            return SaveRefusal::KeyTooLong;
        if (!ascii && text.size() != 2 * width)
            return SaveRefusal::KeyLengthNotMatched;
        if (!ascii && !allHex(text))
            return SaveRefusal::KeyNotHex;
    }
    if (encryption == kEncryptionWpa && wpaKey.size() > kPassPhraseMax)
        return SaveRefusal::WpaKeyTooLong;
    return std::nullopt;
}

std::optional<SaveRefusal> checkSollaeForm(const SollaeForm& form, const SollaeSettings& read) {
    if (!ssidFits(form.ssid))
        return SaveRefusal::SsidTooLong;
    const int encryption = shownEncryption(form, read);
    if (encryption == kEncryption8021x)
        return SaveRefusal::Encryption8021x;
    const int key = chosen(form.keyInUse, read.keyInUse);
    if (key >= 0 && key < 4) {
        const auto k = static_cast<std::size_t>(key);
        if (auto refusal = checkKeyRules(encryption, form.keyTexts[k], form.keyTypes[k], form.wpaKey))
            return refusal;
    } else if (auto refusal = checkKeyRules(encryption == kEncryptionWpa ? encryption : kEncryptionNone, {},
                                            0, form.wpaKey)) {
        return refusal;
    }
    if (form.tcpPort < 0 || form.tcpPort > 65535)
        return SaveRefusal::TcpPortOutOfRange;
    return std::nullopt;
}

int wpaTypeOf(int wpaAuthentication) {
    switch (wpaAuthentication) {
        case 1:
            return 2;
        case 2:
            return 4;
        default:
            return 0;
    }
}

Bytes sollaeOptionsValue(const SollaeForm& form, const SollaeSettings& read) {
    const int mode = chosen(form.mode, read.mode);
    const int channel = form.channel >= 0 ? form.channel + 1 : read.channel;
    int encryption = shownEncryption(form, read);
    int keyInUse = chosen(form.keyInUse, read.keyInUse);
    int authentication = chosen(form.authentication, read.authentication);
    int wpaType = 0;
    int wpaCipher = 0;
    if (encryption == kEncryptionWpa) {
        encryption = 0;
        keyInUse = 0;
        wpaType = form.wpaAuthentication >= 0 ? wpaTypeOf(form.wpaAuthentication) : read.wpaType;
        wpaCipher = chosen(form.wpaCipher, read.wpaCipher);
    } else if (encryption == kEncryptionNone) {
        authentication = 1;
    }
    Bytes value(6, 0);
    value[0] = static_cast<std::uint8_t>((mode & 0x0F) | (channel & 0x0F) << 4);
    value[1] =
        static_cast<std::uint8_t>((keyInUse << 2 & 0x0C) | (encryption & 3) | (authentication & 3) << 6);
    value[2] = static_cast<std::uint8_t>((wpaCipher << 3 & 0x18) | (wpaType & 7));
    return value;
}

Bytes sollaeWepValue(const SollaeForm& form, const SollaeSettings& read, bool bits40) {
    const int encryption = shownEncryption(form, read);
    const int keyInUse = chosen(form.keyInUse, read.keyInUse);
    const bool typed = encryption == (bits40 ? kEncryptionWep64 : kEncryptionWep128);
    const std::size_t width = bits40 ? kWep40Bytes : kWep104Bytes;
    Bytes value;
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& key = read.keys[k];
        Bytes bytes = typed && static_cast<int>(k) == keyInUse
                          ? typedKey(form.keyTexts[k], form.keyTypes[k], width)
                          : (bits40 ? keptKey(key.raw40) : keptKey(key.raw104));
        value.insert(value.end(), bytes.begin(), bytes.end());
    }
    return value;
}

Bytes sollaeTcpPortValue(const SollaeSettings& read, int port) {
    Bytes value(read.tcpPortValue.begin(), read.tcpPortValue.end());
    value[8] = static_cast<std::uint8_t>(port & 0xFF);
    value[9] = static_cast<std::uint8_t>(port >> 8 & 0xFF);
    return value;
}

std::array<std::uint8_t, 32> sollaePsk(const std::string& wpaKey, const std::string& ssid) {
    std::array<std::uint8_t, 32> psk{};
    if (wpaKey.size() == 2 * psk.size() && allHex(wpaKey)) {
        const Bytes bytes = hexBytes(wpaKey);
        std::copy(bytes.begin(), bytes.end(), psk.begin());
        return psk;
    }
    return wpaPsk(std::string_view(wpaKey).substr(0, kPassPhraseMax),
                  std::string_view(ssid).substr(0, kSsidMax));
}

std::vector<SollaeWrite> planSollaeWrites(const SollaeForm& form, const SollaeSettings& read,
                                          int parameterSet) {
    std::vector<SollaeWrite> writes{
        {Param::Ip, octetBytes(form.ip), 16},
        {Param::Netmask, octetBytes(form.netmask), 33},
        {Param::Gateway, octetBytes(form.gateway), 50},
        {Param::Dns, octetBytes(form.dns), 66},
        {Param::Ssid, padded(form.ssid, 0, kSsidMax), 83},
    };
    const Bytes options = sollaeOptionsValue(form, read);
    const int wpaType = options[2] & 7;
    writes.push_back({Param::WifiOptions, options});
    writes.push_back({Param::Wep40, sollaeWepValue(form, read, true)});
    writes.push_back({Param::Wep104, sollaeWepValue(form, read, false)});
    if (wpaType != 0) {
        writes.push_back({Param::WpaKey, padded(form.wpaKey, 0, kPassPhrasePart)});
        if (form.wpaKey.size() > kPassPhrasePart)
            writes.push_back({Param::WpaKeyExtension, padded(form.wpaKey, kPassPhrasePart, kPassPhrasePart)});
    }
    writes.push_back({Param::TcpPort, sollaeTcpPortValue(read, static_cast<int>(form.tcpPort))});
    if (parameterSet == 2) {
        if (wpaType != 0) {
            const auto psk = sollaePsk(form.wpaKey, form.ssid);
            writes.push_back({Param::WpaPsk, Bytes(psk.begin(), psk.end())});
        }
        writes.push_back(
            {Param::TcpOptions, Bytes{static_cast<std::uint8_t>(form.dhcp ? 0x2A : 0x02), 0, 2, 0}});
    }
    return writes;
}

TextTwin saveRefusalText(SaveRefusal refusal) {
    switch (refusal) {
        case SaveRefusal::KeyLengthNotMatched:
            return kKeyLengthNotMatched;
        case SaveRefusal::KeyTooLong:
            return kKeyTooLong;
        case SaveRefusal::KeyNotHex:
            return kKeyNotHex;
        case SaveRefusal::WpaKeyTooLong:
            return kWpaKeyTooLong;
        case SaveRefusal::Encryption8021x:
            return kNo8021x;
        case SaveRefusal::SsidTooLong:
            return kSsidTooLong;
        case SaveRefusal::LpdQueueTooLong:
            return kLpdQueueTooLong;
        case SaveRefusal::WpaKeyMaskEdited:
            return kWpaKeyMaskEdited;
        case SaveRefusal::TcpPortOutOfRange:
            break;
    }
    return kTcpPortOutOfRangeText;
}

}  // namespace hollin::wifi
