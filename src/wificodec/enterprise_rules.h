#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "wificodec/module_protocol.h"
#include "wificodec/record_save.h"
#include "wificodec/wifi_record.h"

// The 802.1X settings of a record module (QUATECH, INC, unrecognised) as the Enterprise window edits
// them: what it holds, the EAP entries per kind, the rule each entry applies and what Accept stores.
// Pure: the window shows these values.
namespace hollin::wifi {

// EAP method digits.
inline constexpr int kEapNone = 0, kEapPeap = 1, kEapTls = 2, kEapTtls = 3, kEapLeap = 4, kEapFast = 5;

struct EnterpriseValues {
    int eapMethod = 0;
    int encryption = 0;
    int wpaType = 0;
    int wpaCipher = 0;
    int authentication = 0;
    EnterpriseTexts texts;
    std::string keptPassword;  // the password as read, which the masked edit does not show
    bool passwordEdited = false;
    int provisioning = 0;  // 0..2
    int maxServers = 1;    // 1..255
};

// The values of the working record (texts end at CR, LF or zero, trailing spaces dropped).
EnterpriseValues enterpriseValuesOf(const WifiSettingsRecord& working, ModuleKind kind);

// The EAP list of a kind.
std::span<const std::string_view> eapEntries(ModuleKind kind);
// The entry the window starts with; -1 when the list has none for the method.
int eapSelectionOf(const EnterpriseValues& values, ModuleKind kind);

// What an EAP entry sets and shows.
struct EapRule {
    int eapMethod;
    int encryption;           // -1: unchanged (unrecognised kind)
    int wpaType;              // -1: unchanged
    int wpaCipher;            // -1: unchanged
    bool leapAuthentication;  // the WEP-LEAP authentication list shown
    bool caName, clientAndKeyNames, fastFields;
    int textLimit;  // 0: EAP ID and password cleared and disabled
};
// The rule of entry `selection` of the kind's list; nothing outside the list.
std::optional<EapRule> eapRule(ModuleKind kind, int selection);
// Applies the rule to the values: the digits, the texts cut to the limit (the kept password too),
// cleared under None.
void applyEapRule(EnterpriseValues& values, const EapRule& rule);

// The unrecognised kind's WPA Type entry ("None", "WPA-ENT", "WPA2-ENT") as a WPA digit: 0, 3, 4.
int otherWpaType(int index);

// Accept: the texts and digits into the working record (the password from the edit when edited,
// else the kept copy; kinds 2 and 3 also the authentication and the EAP-FAST digits). Gives the
// texts as stored, which the bulk save carries.
EnterpriseTexts acceptEnterprise(WifiSettingsRecord& working, const EnterpriseValues& values, ModuleKind kind,
                                 const std::string& passwordEdit);

}  // namespace hollin::wifi
