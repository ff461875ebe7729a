#include "wificodec/enterprise_rules.h"

#include <array>
#include <cstdio>

namespace hollin::wifi {
namespace {

constexpr std::array<std::string_view, 8> kQuatechEap{"None",     "PEAP",     "TLS",      "TTLS",
                                                      "WEP-LEAP", "WPA-LEAP", "WPA-FAST", "WPA2-FAST"};
constexpr std::array<std::string_view, 4> kIncEap{"None", "PEAP", "TLS", "TTLS"};
constexpr std::array<std::string_view, 6> kOtherEap{"None", "PEAP", "TLS", "TTLS", "LEAP", "FAST"};

// Kinds 2 and 3, in the order of the QUATECH list (INC has the first four).
constexpr std::array<EapRule, 8> kRecordRules{{
    {kEapNone, 3, 1, 0, false, false, false, false, 0},
    {kEapPeap, 4, 4, 1, false, true, false, false, 64},
    {kEapTls, 4, 4, 1, false, true, true, false, 64},
    {kEapTtls, 4, 4, 1, false, true, false, false, 64},
    {kEapLeap, 4, 1, 1, true, false, false, false, 32},
    {kEapLeap, 3, 3, 1, false, false, false, false, 32},
    {kEapFast, 4, 3, 1, false, true, false, true, 64},
    {kEapFast, 4, 4, 1, false, true, false, true, 64},
}};

constexpr std::array<EapRule, 6> kOtherRules{{
    {kEapNone, -1, 0, -1, false, false, false, false, 0},
    {kEapPeap, -1, -1, -1, false, false, false, false, 64},
    {kEapTls, -1, -1, -1, false, true, true, false, 64},
    {kEapTtls, -1, -1, -1, false, true, false, false, 64},
    {kEapLeap, -1, -1, -1, false, false, false, false, 64},
    {kEapFast, -1, -1, -1, false, false, false, false, 64},
}};

int digitOf(const WifiSettingsRecord& r, RecordField f) {
    return r.digitValue(f).value_or(0);
}

void setDigit(WifiSettingsRecord& r, RecordField f, int value) {
    if (value >= 0 && value <= 9)
        r.setDigit(f, static_cast<char>('0' + value));
}

void cut(std::string& text, std::size_t limit) {
    if (text.size() > limit)
        text.resize(limit);
}

}  // namespace

EnterpriseValues enterpriseValuesOf(const WifiSettingsRecord& r, ModuleKind kind) {
    EnterpriseValues v;
    v.texts = enterpriseTextsOf(r);
    v.keptPassword = v.texts.password;
    v.eapMethod = digitOf(r, field::kEapMethod);
    v.encryption = digitOf(r, field::kEncryption);
    v.wpaType = digitOf(r, field::kWpa);
    v.wpaCipher = digitOf(r, field::kWpaEnc);
    if (kind != kModuleOther) {
        v.authentication = digitOf(r, field::kAuthentication);
        v.provisioning = digitOf(r, field::kFastProvisioning);
        v.maxServers = r.decimal(field::kFastMaxServers).value_or(1);
    }
    return v;
}

std::span<const std::string_view> eapEntries(ModuleKind kind) {
    switch (kind) {
        case kModuleQuatech:
            return kQuatechEap;
        case kModuleInc:
            return kIncEap;
        case kModuleOther:
            return kOtherEap;
        default:
            return {};
    }
}

int eapSelectionOf(const EnterpriseValues& v, ModuleKind kind) {
    int selection = v.eapMethod;
    if (kind == kModuleQuatech && v.eapMethod == kEapLeap)
        selection = v.encryption == 3 ? 5 : v.encryption == 4 ? 4 : -1;
    else if (kind == kModuleQuatech && v.eapMethod == kEapFast)
        selection = v.wpaType == 3 ? 6 : v.wpaType == 4 ? 7 : -1;
    const auto entries = eapEntries(kind);
    return selection >= 0 && static_cast<std::size_t>(selection) < entries.size() ? selection : -1;
}

std::optional<EapRule> eapRule(ModuleKind kind, int selection) {
    if (selection < 0 || static_cast<std::size_t>(selection) >= eapEntries(kind).size())
        return std::nullopt;
    const auto index = static_cast<std::size_t>(selection);
    EapRule rule = kind == kModuleOther ? kOtherRules[index] : kRecordRules[index];
    if (kind == kModuleInc)
        rule.fastFields = false;
    return rule;
}

void applyEapRule(EnterpriseValues& v, const EapRule& rule) {
    v.eapMethod = rule.eapMethod;
    if (rule.encryption >= 0)
        v.encryption = rule.encryption;
    if (rule.wpaType >= 0)
        v.wpaType = rule.wpaType;
    if (rule.wpaCipher >= 0)
        v.wpaCipher = rule.wpaCipher;
    const auto limit = static_cast<std::size_t>(rule.textLimit);
    cut(v.texts.id, limit);
    cut(v.texts.password, limit);
    cut(v.keptPassword, limit);
}

int otherWpaType(int index) {
    return index > 0 ? index + 2 : 0;
}

EnterpriseTexts acceptEnterprise(WifiSettingsRecord& r, const EnterpriseValues& v, ModuleKind kind,
                                 const std::string& passwordEdit) {
    const bool other = kind == kModuleOther;
    EnterpriseTexts accepted = v.texts;
    // A typed password is cut to 63 characters; the password as read is kept whole.
    const bool typed = other || v.passwordEdited;
    accepted.password = typed ? passwordEdit : v.keptPassword;
    cut(accepted.id, field::kEapId.size - 1);
    if (typed)
        cut(accepted.password, field::kEapPassword.size - 1);
    r.setText(field::kEapId, accepted.id);
    r.setText(field::kEapPassword, accepted.password);
    r.setText(field::kCaCertificate, v.texts.caCertificate);
    r.setText(field::kClientCertificate, v.texts.clientCertificate);
    r.setText(field::kPrivateKey, v.texts.privateKey);
    setDigit(r, field::kEapMethod, v.eapMethod);
    setDigit(r, field::kEncryption, v.encryption);
    setDigit(r, field::kWpa, v.wpaType);
    setDigit(r, field::kWpaEnc, v.wpaCipher);
    if (!other) {
        setDigit(r, field::kAuthentication, v.authentication);
        setDigit(r, field::kFastProvisioning, v.provisioning);
        char servers[4];
        std::snprintf(servers, sizeof servers, "%03d",
                      v.maxServers < 1 || v.maxServers > 255 ? 1 : v.maxServers);
        r.setText(field::kFastMaxServers, servers);
    }
    return accepted;
}

}  // namespace hollin::wifi
