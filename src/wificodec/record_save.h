#pragma once

#include <array>
#include <optional>
#include <string>

#include "wificodec/module_protocol.h"
#include "wificodec/sollae_save.h"
#include "wificodec/wifi_record.h"

// What a QUATECH, INC or unrecognised module is given on a save: the form folded into its settings
// record. Pure: no exchange happens here.
namespace hollin::wifi {

// The enterprise values of a record: identity, password and the three certificate file names.
struct EnterpriseTexts {
    std::string id, password, caCertificate, clientCertificate, privateKey;
};
// A record's enterprise text: up to its first CR, LF or zero byte, trailing spaces dropped (a space
// inside an identity stays).
std::string enterpriseText(const WifiSettingsRecord& record, RecordField f);
// The five texts; the password is every byte before its field's first zero.
EnterpriseTexts enterpriseTextsOf(const WifiSettingsRecord& record);

// The form's values. A list without a selection is -1: the record's digit stays.
struct RecordForm {
    std::string mac;
    std::string ssid;
    bool dhcp = false;
    std::optional<Octets> ip, subnet, gateway, dns;  // nothing: a blank address control
    int mode = -1, channel = -1, encryption = -1, authentication = -1, keyInUse = -1;
    std::string fiveGhzChannel;  // the channel list's text when the 5 GHz check is set, else empty
    std::array<std::string, 4> keyTexts;
    std::array<int, 4> keyTypes{};  // 0 HEX, 1 ASCII
    // The WEP keys the operator typed, which the record being saved already holds as typed.
    std::array<bool, 4> keyTyped{};
    int wpaAuthentication = -1, wpaCipher = -1;
    std::string wpaKey;
    bool wpaKeyEdited = false;
    bool wpaKeyMaskEdited = false;  // the edit holds part of the module key's mask: no key
    long long tcpPort = 0;
    bool lpd = false;  // the module has LPD
    bool lpdEnable = false;
    std::string lpdQueue;
    std::string channelText;  // the channel list's text
    EnterpriseTexts enterprise;
    int band = -1;  // QUATECH: AUTO, 2.4GHz, 5GHz
    // INC with the 5 GHz band: the band list's entry (2.4GHz, 5GHz), the chosen country's code and
    // the channel the module is to use (the country channel on 5 GHz outside adhoc, else the channel
    // list's).
    struct IncBand {
        int band = -1;
        std::string country;
        std::string channelText;
    };
    std::optional<IncBand> incBand;
};

// What a masked key's edit holds: the mask as it was shown (the module's key stands), part of it (no
// key at all), or none of it (the operator's new key). `before` is what it held before the change to
// `text`. A first change that keeps the mask's first or last character edited inside it; later on,
// the text is the operator's once it is empty or holds no mask character; and it stays theirs.
enum class MaskedEdit { Mask, PartlyEdited, Replaced };
MaskedEdit maskedEditAfter(MaskedEdit before, std::string_view mask, std::string_view text);

// An ASCII WEP key as a record keeps it: two upper-case hexadecimal digits per character.
std::string asciiKeyHex(std::string_view text);

// The first part of the form: MAC (only from six two-digit parts), SSID, DHCP, addresses, mode,
// encryption, authentication, key in use and channel.
void foldRecordBasics(WifiSettingsRecord& record, const RecordForm& form);
// SSID and LPD queue lengths, the key rules, the TCP port.
std::optional<SaveRefusal> checkRecordForm(const RecordForm& form);
// The rest: every key the operator did not type as the module sent it (`held`, the record as
// received), the key in use of a WEP encryption as its edit shows it; WPA and WPAENC by kind; the WPA key
// typed or as sent; TCP port; LPD; enterprise texts; the kind's own bytes (QUATECH's band; INC's band,
// country and 3-character channel).
void foldRecordRest(WifiSettingsRecord& record, const RecordForm& form, ModuleKind kind,
                    const WifiSettingsRecord& held);

}  // namespace hollin::wifi
