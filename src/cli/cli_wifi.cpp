// hollinctl's Wi-Fi commands over the printer's Wi-Fi module (get, reset, set and enterprise) and over
// a Wi-Fi printer found on the network (net save). Every value is checked before the port opens or
// anything goes out; the module's or printer's own rules run again on the form built over what it
// holds, before anything is written.
#include <charconv>
#include <map>
#include <set>

#include "cli/cli_internal.h"
#include "common/text_case.h"
#include "netprinters/network_form.h"
#include "netprinters/network_printers.h"
#include "netprinters/network_save.h"
#include "wificodec/enterprise_rules.h"
#include "wificodec/record_save.h"
#include "wificodec/sollae_save.h"

namespace hollin::cli {
namespace {

using wifi::ModuleExchange;
using wifi::ModuleKind;
using wifi::Octets;

constexpr std::string_view kEncryptionNames[] = {"none", "wep64", "wep128", "wpa", "802.1x"};
constexpr std::string_view kModeNames[] = {"adhoc", "infrastructure", "softap"};
constexpr std::string_view kWpaAuthNames[] = {"none", "wpa-psk", "wpa2-psk"};
constexpr std::string_view kKeyTypeNames[] = {"hex", "ascii"};
constexpr std::string_view kWpaCipherNames[] = {"none", "tkip", "aes", "tkip+aes"};
// The keys `wifi set` takes on the command line; the secrets come only from --secret-file.
constexpr std::string_view kSetKeys[] = {"ssid",       "dhcp",     "ip",      "netmask", "gateway",
                                         "dns",        "tcp-port", "mode",    "channel", "encryption",
                                         "key-in-use", "key-type", "wpa-auth"};
constexpr std::string_view kSetSecrets[] = {"wpa-key", "wep-key"};
// What `net save` takes: the keys of `wifi set` and the WPA cipher.
constexpr std::string_view kNetSaveKeys[] = {"ssid",       "dhcp",     "ip",       "netmask",   "gateway",
                                             "dns",        "tcp-port", "mode",     "channel",   "encryption",
                                             "key-in-use", "key-type", "wpa-auth", "wpa-cipher"};
constexpr std::string_view kEnterpriseKeys[] = {"eap", "id", "ca", "client", "private-key"};
constexpr std::string_view kEnterpriseSecrets[] = {"password"};

template <std::size_t N>
std::optional<int> listPosition(const std::string_view (&list)[N], std::string_view text) {
    for (std::size_t i = 0; i < N; ++i) {
        if (sameIgnoringCase(list[i], text))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

template <std::size_t N>
std::string choices(const std::string_view (&list)[N]) {
    std::string text;
    for (const auto name : list)
        text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

std::string dotted(const Octets& o) {
    return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." +
           std::to_string(o[3]);
}

// "a.b.c.d", each part 0..255; nothing otherwise.
std::optional<Octets> parseOctets(std::string_view text) {
    Octets octets{};
    std::size_t part = 0;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    while (part < 4) {
        unsigned value = 0;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || next == p || next - p > 3 || value > 255)
            return std::nullopt;
        octets[part++] = static_cast<std::uint8_t>(value);
        p = next;
        if (part < 4) {
            if (p == end || *p != '.')
                return std::nullopt;
            ++p;
        }
    }
    if (p != end)
        return std::nullopt;
    return octets;
}

// --- what the module holds, the same for every kind (the keys apart)
struct WifiValues {
    std::string mac, ssid;
    bool dhcp = false;
    std::optional<Octets> ip, netmask, gateway, dns;
    std::optional<int> tcpPort, mode, channel, encryption, keyInUse, wpaAuth;
    std::string wpaKey, wepKey;  // secrets: never shown, only kept in a profile when asked
};

WifiValues valuesOfSollae(const wifi::SollaeSettings& s) {
    WifiValues v;
    v.mac = s.mac;
    v.ssid = s.ssid;
    v.dhcp = s.dhcp;
    v.ip = s.ip;
    v.netmask = s.netmask;
    v.gateway = s.gateway;
    v.dns = s.dns;
    v.tcpPort = s.tcpPort;
    v.mode = s.mode;
    v.channel = s.channel;
    v.encryption = s.wpaType != 0 ? wifi::kEncryptionWpa : s.encryption;
    v.keyInUse = s.keyInUse;
    v.wpaAuth = s.wpaType == 2 ? 1 : s.wpaType == 4 ? 2 : 0;
    v.wpaKey = s.passPhrase;
    const auto k = static_cast<std::size_t>(s.keyInUse & 3);
    v.wepKey = s.encryption == wifi::kEncryptionWep128 ? s.keys[k].hex104 : s.keys[k].hex40;
    return v;
}

WifiValues valuesOfRecord(const wifi::WifiSettingsRecord& r, ModuleKind kind) {
    namespace field = wifi::field;
    WifiValues v;
    v.mac = r.macText();
    v.ssid = r.line(field::kSsid);
    v.dhcp = r.digit(field::kDhcp) == '1';
    v.ip = r.address(field::kIp);
    v.netmask = r.address(field::kSubnet);
    v.gateway = r.address(field::kGateway);
    v.dns = r.address(field::kDns);
    if (const auto port = r.hexNumber(field::kTcpPort))
        v.tcpPort = static_cast<int>(*port);
    v.mode = r.digitValue(field::kMode);
    v.channel = r.decimal(field::kChannel);
    v.encryption = r.digitValue(field::kEncryption);
    if (const auto use = r.digitValue(field::kUseKey); use && *use >= 1 && *use <= 4)
        v.keyInUse = *use - 1;
    if (const auto wpa = r.digitValue(field::kWpa)) {
        // QUATECH and INC keep the WPA-PSK entry as 1, WPA2-PSK as 2 (0 none); the others the entry.
        v.wpaAuth = kind == wifi::kModuleOther ? *wpa : std::min(*wpa, 2);
    }
    v.wpaKey = r.text(field::kWpaKey);
    v.wepKey = r.text(wifi::wepKeyField(v.keyInUse.value_or(0) + 1));
    return v;
}

void reportValues(const WifiValues& v, Report& report) {
    report.text("mac", v.mac);
    report.text("ssid", v.ssid);
    report.flag("dhcp", v.dhcp);
    const std::pair<const char*, const std::optional<Octets>*> addresses[] = {
        {"ip", &v.ip}, {"netmask", &v.netmask}, {"gateway", &v.gateway}, {"dns", &v.dns}};
    for (const auto& [key, octets] : addresses) {
        if (*octets)
            report.text(key, dotted(**octets));
    }
    if (v.tcpPort)
        report.number("tcp-port", *v.tcpPort);
    if (v.mode && *v.mode >= 0 && *v.mode <= 2)
        report.text("mode", kModeNames[*v.mode]);
    if (v.channel)
        report.number("channel", *v.channel);
    if (v.encryption && *v.encryption >= 0 && *v.encryption <= 4)
        report.text("encryption", kEncryptionNames[*v.encryption]);
    if (v.keyInUse)
        report.number("key-in-use", *v.keyInUse + 1);
    if (v.wpaAuth && *v.wpaAuth >= 0 && *v.wpaAuth <= 2)
        report.text("wpa-auth", kWpaAuthNames[*v.wpaAuth]);
}

struct ModuleReading {
    Outcome outcome = Outcome::Done;
    WifiValues values;
    wifi::SollaeSettings sollae;
    int parameterSet = 0;
    std::optional<wifi::WifiSettingsRecord> record;
};

ModuleReading readModule(ModuleExchange& exchange, ModuleKind kind) {
    ModuleReading reading;
    if (kind == wifi::kModuleSollae) {
        const wifi::SollaeReadResult read = wifi::readSollaeSettings(exchange, reading.sollae);
        reading.outcome = read.outcome;
        reading.parameterSet = read.parameterSet;
        reading.values = valuesOfSollae(reading.sollae);
        return reading;
    }
    wifi::RecordReadResult read = wifi::readModuleRecord(exchange);
    reading.outcome = read.record ? read.outcome : Outcome::BadReply;
    if (read.outcome != Outcome::Done)
        reading.outcome = read.outcome;
    if (read.record)
        reading.values = valuesOfRecord(*read.record, kind);
    reading.record = std::move(read.record);
    return reading;
}

// --- the checked edits of `wifi set`
struct WifiEdits {
    std::optional<std::string> ssid;
    std::optional<bool> dhcp;
    std::optional<Octets> ip, netmask, gateway, dns;
    std::optional<long long> tcpPort;
    std::optional<int> mode, channel, encryption, keyInUse, keyType, wpaAuth, wpaCipher;
    std::optional<std::string> wpaKey, wepKey;
};

std::string refusalMessage(wifi::SaveRefusal refusal) {
    return std::string(wifi::saveRefusalText(refusal).english);
}

// Checks one key's value into the edits; the message names the key when it is refused.
std::optional<std::string> takeEdit(WifiEdits& e, const std::string& key, const std::string& value) {
    auto bad = [&](std::string why) { return key + ": " + std::move(why); };
    if (key == "ssid") {
        if (!wifi::ssidFits(value))
            return bad(refusalMessage(wifi::SaveRefusal::SsidTooLong));
        e.ssid = value;
    } else if (key == "dhcp") {
        if (!(e.dhcp = parseSwitch(value)))
            return bad("on or off");
    } else if (key == "ip" || key == "netmask" || key == "gateway" || key == "dns") {
        const auto octets = parseOctets(value);
        if (!octets)
            return bad(value + " is no IPv4 address");
        (key == "ip" ? e.ip : key == "netmask" ? e.netmask : key == "gateway" ? e.gateway : e.dns) = octets;
    } else if (key == "tcp-port") {
        const auto port = parseNumber(value);
        if (!port || *port < 0 || *port > 65535)
            return bad(refusalMessage(wifi::SaveRefusal::TcpPortOutOfRange));
        e.tcpPort = *port;
    } else if (key == "mode") {
        if (!(e.mode = listPosition(kModeNames, value)))
            return bad("one of " + choices(kModeNames));
    } else if (key == "channel") {
        const auto channel = parseNumber(value);
        if (!channel || *channel < 1 || *channel > 14)
            return bad("a channel from 1 to 14");
        e.channel = *channel;
    } else if (key == "encryption") {
        if (!(e.encryption = listPosition(kEncryptionNames, value)))
            return bad("one of " + choices(kEncryptionNames));
        if (*e.encryption == wifi::kEncryption8021x)
            return bad("802.1x is set with wifi enterprise");
    } else if (key == "key-in-use") {
        const auto k = parseNumber(value);
        if (!k || *k < 1 || *k > 4)
            return bad("1, 2, 3 or 4");
        e.keyInUse = *k - 1;
    } else if (key == "key-type") {
        if (!(e.keyType = listPosition(kKeyTypeNames, value)))
            return bad("hex or ascii");
    } else if (key == "wpa-auth") {
        if (!(e.wpaAuth = listPosition(kWpaAuthNames, value)))
            return bad("one of " + choices(kWpaAuthNames));
    } else if (key == "wpa-cipher") {
        if (!(e.wpaCipher = listPosition(kWpaCipherNames, value)))
            return bad("one of " + choices(kWpaCipherNames));
    } else if (key == "wpa-key") {
        e.wpaKey = value;
    } else if (key == "wep-key") {
        e.wepKey = value;
    }
    return std::nullopt;
}

// The key rules of what is known before the module is read (a given encryption and key).
std::optional<std::string> checkGivenKeys(const WifiEdits& e) {
    if (!e.encryption)
        return std::nullopt;
    const bool wep = *e.encryption == wifi::kEncryptionWep64 || *e.encryption == wifi::kEncryptionWep128;
    if (wep && !e.wepKey)
        return std::nullopt;
    if (const auto refusal = wifi::checkKeyRules(*e.encryption, e.wepKey.value_or(""), e.keyType.value_or(0),
                                                 e.wpaKey.value_or("")))
        return "--secret-file: " + refusalMessage(*refusal);
    return std::nullopt;
}

wifi::SollaeForm sollaeFormOf(const ModuleReading& read, const WifiEdits& e) {
    const wifi::SollaeSettings& s = read.sollae;
    wifi::SollaeForm form;
    form.ip = e.ip.value_or(s.ip);
    form.netmask = e.netmask.value_or(s.netmask);
    form.gateway = e.gateway.value_or(s.gateway);
    form.dns = e.dns.value_or(s.dns);
    form.ssid = e.ssid.value_or(s.ssid);
    form.mode = e.mode.value_or(-1);
    form.channel = e.channel ? *e.channel - 1 : -1;
    form.encryption = e.encryption.value_or(-1);
    form.keyInUse = e.keyInUse.value_or(-1);
    form.wpaAuthentication = e.wpaAuth.value_or(-1);
    const int encryption = e.encryption.value_or(read.values.encryption.value_or(0));
    for (std::size_t k = 0; k < 4; ++k)
        form.keyTexts[k] = encryption == wifi::kEncryptionWep128 ? s.keys[k].hex104 : s.keys[k].hex40;
    const auto inUse = static_cast<std::size_t>(e.keyInUse.value_or(s.keyInUse) & 3);
    if (e.wepKey) {
        form.keyTexts[inUse] = *e.wepKey;
        form.keyTypes[inUse] = e.keyType.value_or(0);
    }
    form.wpaKey = e.wpaKey.value_or(s.passPhrase);
    form.tcpPort = e.tcpPort.value_or(s.tcpPort);
    form.dhcp = e.dhcp.value_or(s.dhcp);
    return form;
}

wifi::RecordForm recordFormOf(const ModuleReading& read, const WifiEdits& e, ModuleKind kind) {
    namespace field = wifi::field;
    const wifi::WifiSettingsRecord& r = *read.record;
    const WifiValues& v = read.values;
    wifi::RecordForm form;
    form.mac = v.mac;
    form.ssid = e.ssid.value_or(v.ssid);
    form.dhcp = e.dhcp.value_or(v.dhcp);
    form.ip = e.ip ? e.ip : v.ip;
    form.subnet = e.netmask ? e.netmask : v.netmask;
    form.gateway = e.gateway ? e.gateway : v.gateway;
    form.dns = e.dns ? e.dns : v.dns;
    form.mode = e.mode.value_or(-1);
    form.channel = e.channel ? *e.channel - 1 : -1;
    form.encryption = e.encryption.value_or(-1);
    form.keyInUse = e.keyInUse.value_or(v.keyInUse.value_or(-1));
    for (std::size_t k = 0; k < 4; ++k)
        form.keyTexts[k] = r.text(wifi::wepKeyField(static_cast<int>(k) + 1));
    if (e.wepKey && form.keyInUse >= 0) {
        form.keyTexts[static_cast<std::size_t>(form.keyInUse)] = *e.wepKey;
        form.keyTypes[static_cast<std::size_t>(form.keyInUse)] = e.keyType.value_or(0);
    }
    // QUATECH and INC list WPA-PSK first; the others "None" first.
    if (e.wpaAuth && *e.wpaAuth > 0)
        form.wpaAuthentication = kind == wifi::kModuleOther ? *e.wpaAuth : *e.wpaAuth - 1;
    form.wpaKeyEdited = e.wpaKey.has_value();
    form.wpaKey = e.wpaKey.value_or("");
    form.tcpPort = e.tcpPort.value_or(v.tcpPort.value_or(0));
    form.lpd = r.digit(field::kLpdQueue) != ' ' && kind != wifi::kModuleInc;
    form.lpdEnable = r.digit(field::kLpdEnable) == '1';
    form.lpdQueue = r.line(field::kLpdQueue);
    const int channel = e.channel.value_or(v.channel.value_or(0));
    form.channelText = channel > 0 ? std::to_string(channel) : std::string();
    form.enterprise = wifi::enterpriseTextsOf(r);
    return form;
}

// A save's failure; a save that went through ends its progress line.
Failure savedFailure(Outcome outcome, Deps& deps) {
    if (outcome == Outcome::Done)
        showProgress(deps, "Wi-Fi save", 100);
    return moduleFailure(outcome);
}

Failure saveSollae(ModuleExchange& exchange, const ModuleReading& read, const WifiEdits& e, Deps& deps) {
    const wifi::SollaeForm form = sollaeFormOf(read, e);
    if (const auto refusal = wifi::checkSollaeForm(form, read.sollae))
        return {kExitRefused, refusalMessage(*refusal) + ": nothing was written"};
    const wifi::SollaeSaveResult saved =
        wifi::writeSollaeSettings(exchange, wifi::planSollaeWrites(form, read.sollae, read.parameterSet),
                                  progressUntilDone(deps, "Wi-Fi save"));
    Failure failure = savedFailure(saved.outcome, deps);
    if (failure.code != kExitDone && saved.writesDone > 0)
        failure.message += " (the module holds part of the new settings, not stored in its flash)";
    return failure;
}

Failure saveRecord(ModuleExchange& exchange, ModuleReading& read, const WifiEdits& e, ModuleKind kind,
                   Deps& deps) {
    const wifi::RecordForm form = recordFormOf(read, e, kind);
    wifi::WifiSettingsRecord record = *read.record;
    const wifi::RecordSaveResult saved = wifi::saveModuleRecord(exchange, record, form, kind, read.record,
                                                                progressUntilDone(deps, "Wi-Fi save"));
    if (saved.refusal)
        return {kExitRefused, refusalMessage(*saved.refusal) + ": nothing was written"};
    const wifi::RecordReadResult& written = saved.written;
    return savedFailure(written.record                     ? Outcome::Done
                        : written.outcome == Outcome::Done ? Outcome::BadReply
                                                           : written.outcome,
                        deps);
}

// Splits the arguments and the secrets by the keys each may hold: a secret on the command line is
// refused, as is an unknown key.
template <std::size_t N, std::size_t M>
std::optional<std::string> checkKeys(const Pairs& args, const std::optional<Pairs>& secrets,
                                     const std::string_view (&keys)[N], const std::string_view (&hidden)[M],
                                     const std::string& command) {
    for (const auto& [key, value] : args) {
        if (listPosition(hidden, key))
            return key + ": a secret comes only from --secret-file FILE or - (standard input)";
        if (!listPosition(keys, key))
            return command + ": unknown key " + key + " (keys: " + choices(keys) + ")";
    }
    if (secrets) {
        for (const auto& [key, value] : *secrets) {
            if (!listPosition(hidden, key))
                return "--secret-file: unknown key " + key + " (keys: " + choices(hidden) + ")";
        }
    }
    return std::nullopt;
}

ModulePlan refuseModule(std::string message) {
    return {{}, Failure{kExitRefused, std::move(message)}};
}

ModulePlan planWifiSet(const Pairs& args, const std::optional<Pairs>& secrets, Deps& deps) {
    if (const auto bad = checkKeys(args, secrets, kSetKeys, kSetSecrets, "wifi set"))
        return refuseModule(*bad);
    if (args.empty() && !secrets)
        return refuseModule("wifi set: KEY=VALUE needed (keys: " + choices(kSetKeys) + ")");
    WifiEdits edits;
    Pairs all = args;
    if (secrets)
        all.insert(secrets->begin(), secrets->end());
    for (const auto& [key, value] : all) {
        if (const auto bad = takeEdit(edits, key, value))
            return refuseModule(*bad);
    }
    if (const auto bad = checkGivenKeys(edits))
        return refuseModule(*bad);
    return {[edits, &deps](ModuleExchange& exchange, ModuleKind kind, Report&) -> Failure {
        if (kind < wifi::kModuleSollae || kind > wifi::kModuleOther)
            return moduleFailure(Outcome::Unsupported);
        ModuleReading read = readModule(exchange, kind);
        if (read.outcome != Outcome::Done)
            return moduleFailure(read.outcome);
        return kind == wifi::kModuleSollae ? saveSollae(exchange, read, edits, deps)
                                           : saveRecord(exchange, read, edits, kind, deps);
    }};
}

// The EAP entry by its text in the kind's list (any letter case) or its position.
std::optional<int> eapSelection(ModuleKind kind, const std::string& text) {
    const auto entries = wifi::eapEntries(kind);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (sameIgnoringCase(entries[i], text))
            return static_cast<int>(i);
    }
    const auto number = parseNumber(text);
    if (number && *number >= 0 && static_cast<std::size_t>(*number) < entries.size())
        return number;
    return std::nullopt;
}

std::string eapChoices(ModuleKind kind) {
    std::string text;
    for (const auto entry : wifi::eapEntries(kind))
        text += (text.empty() ? "" : ", ") + std::string(entry);
    return text;
}

// Accept's rules over the record the module holds, then the record written back.
Failure saveEnterprise(ModuleExchange& exchange, ModuleKind kind, const Pairs& edits, Deps& deps) {
    if (kind < wifi::kModuleQuatech || kind > wifi::kModuleOther)
        return moduleFailure(Outcome::Unsupported);
    ModuleReading read = readModule(exchange, kind);
    if (read.outcome != Outcome::Done)
        return moduleFailure(read.outcome);
    wifi::WifiSettingsRecord record = *read.record;
    wifi::EnterpriseValues values = wifi::enterpriseValuesOf(record, kind);
    int selection = wifi::eapSelectionOf(values, kind);
    if (const auto eap = edits.find("eap"); eap != edits.end()) {
        const auto chosen = eapSelection(kind, eap->second);
        if (!chosen)
            return {kExitRefused, "eap: one of " + eapChoices(kind) + ": nothing was written"};
        selection = *chosen;
    }
    const auto rule = wifi::eapRule(kind, selection);
    if (!rule)
        return {kExitRefused,
                "eap: the module holds no EAP method of this list; name one: " + eapChoices(kind)};
    wifi::applyEapRule(values, *rule);
    const std::pair<const char*, std::string*> texts[] = {{"id", &values.texts.id},
                                                          {"ca", &values.texts.caCertificate},
                                                          {"client", &values.texts.clientCertificate},
                                                          {"private-key", &values.texts.privateKey},
                                                          {"password", &values.texts.password}};
    const std::pair<const char*, bool> shown[] = {
        {"ca", rule->caName}, {"client", rule->clientAndKeyNames}, {"private-key", rule->clientAndKeyNames}};
    for (const auto& [key, on] : shown) {
        if (!on && edits.contains(key))
            return {kExitRefused, std::string(key) + ": this EAP method takes none: nothing was written"};
    }
    for (const auto& [key, text] : texts) {
        const auto given = edits.find(key);
        if (given == edits.end())
            continue;
        if (rule->textLimit >= 0 && given->second.size() > static_cast<std::size_t>(rule->textLimit))
            return {kExitRefused, std::string(key) + ": at most " + std::to_string(rule->textLimit) +
                                      " characters with this EAP method: nothing was written"};
        *text = given->second;
    }
    values.passwordEdited = edits.contains("password");
    wifi::acceptEnterprise(record, values, kind, values.texts.password);
    const wifi::RecordReadResult written =
        wifi::writeModuleRecord(exchange, record, progressUntilDone(deps, "Wi-Fi save"));
    return savedFailure(written.record                     ? Outcome::Done
                        : written.outcome == Outcome::Done ? Outcome::BadReply
                                                           : written.outcome,
                        deps);
}

ModulePlan planEnterprise(const Pairs& args, const std::optional<Pairs>& secrets, Deps& deps) {
    if (const auto bad = checkKeys(args, secrets, kEnterpriseKeys, kEnterpriseSecrets, "wifi enterprise"))
        return refuseModule(*bad);
    Pairs all = args;
    if (secrets)
        all.insert(secrets->begin(), secrets->end());
    if (all.empty())
        return refuseModule("wifi enterprise: KEY=VALUE needed (keys: " + choices(kEnterpriseKeys) + ")");
    return {[all, &deps](ModuleExchange& exchange, ModuleKind kind, Report&) {
        return saveEnterprise(exchange, kind, all, deps);
    }};
}

}  // namespace

std::optional<WifiReading> readWifi(ModuleExchange& exchange, ModuleKind kind, Report& report,
                                    Failure& failure) {
    if (kind < wifi::kModuleSollae || kind > wifi::kModuleOther) {
        failure = moduleFailure(Outcome::Unsupported);
        return std::nullopt;
    }
    const ModuleReading read = readModule(exchange, kind);
    failure = moduleFailure(read.outcome);
    if (read.outcome != Outcome::Done)
        return std::nullopt;
    reportValues(read.values, report);
    return WifiReading{read.values.wpaKey, read.values.wepKey};
}

ModulePlan planWifi(const std::vector<std::string>& words, const std::optional<Pairs>& secrets, Deps& deps) {
    const std::string_view sub = word(words, 1);
    if (sub == "get" || sub == "reset") {
        if (secrets)
            return refuseModule("wifi " + std::string(sub) + " takes no --secret-file");
        const bool reset = sub == "reset";
        return {[reset, &deps](ModuleExchange& exchange, ModuleKind kind, Report& report) -> Failure {
            if (reset)
                return moduleFailure(wifi::resetModule(exchange, kind, deps.clock));
            Failure failure{kExitDone, ""};
            readWifi(exchange, kind, report, failure);
            return failure;
        }};
    }
    if (sub != "set" && sub != "enterprise")
        return refuseModule("wifi: get, set, enterprise or reset");
    std::string bad;
    const auto pairs = keyValues(words, 2, bad);
    if (!pairs)
        return refuseModule("wifi " + std::string(sub) + ": " + bad + " is not KEY=VALUE");
    return sub == "set" ? planWifiSet(*pairs, secrets, deps) : planEnterprise(*pairs, secrets, deps);
}

// --- net save

namespace {

// The edits over the form a found printer gives. Leaving WPA drops the WPA type and cipher, so that
// the printer does not read WPA again.
void applyNetworkEdits(wifi::RecordForm& form, const WifiEdits& e) {
    form.ssid = e.ssid.value_or(form.ssid);
    form.dhcp = e.dhcp.value_or(form.dhcp);
    const std::pair<const std::optional<Octets>*, std::optional<Octets>*> addresses[] = {
        {&e.ip, &form.ip}, {&e.netmask, &form.subnet}, {&e.gateway, &form.gateway}, {&e.dns, &form.dns}};
    for (const auto& [edit, field] : addresses)
        if (*edit)
            *field = *edit;
    form.tcpPort = e.tcpPort.value_or(form.tcpPort);
    form.mode = e.mode.value_or(form.mode);
    if (e.channel) {
        form.channel = *e.channel - 1;
        form.channelText = std::to_string(*e.channel);
    }
    form.encryption = e.encryption.value_or(form.encryption);
    form.keyInUse = e.keyInUse.value_or(form.keyInUse);
    if (e.wepKey && form.keyInUse >= 0 && form.keyInUse < 4) {
        form.keyTexts[static_cast<std::size_t>(form.keyInUse)] = *e.wepKey;
        form.keyTypes[static_cast<std::size_t>(form.keyInUse)] = e.keyType.value_or(0);
    }
    form.wpaAuthentication = e.wpaAuth.value_or(form.wpaAuthentication);
    form.wpaCipher = e.wpaCipher.value_or(form.wpaCipher);
    form.wpaKey = e.wpaKey.value_or(form.wpaKey);
    if (form.encryption != wifi::kEncryptionWpa) {
        form.wpaAuthentication = 0;
        form.wpaCipher = 0;
    }
}

// The rules the form's final values must keep before anything is written.
std::optional<Failure> refusedNetworkForm(const wifi::RecordForm& form, const WifiEdits& e) {
    if ((e.encryption || e.wpaAuth) && form.encryption == wifi::kEncryptionWpa && form.wpaAuthentication <= 0)
        return Failure{kExitRefused, "wpa-auth: encryption wpa needs wpa-psk or wpa2-psk"};
    if (e.wepKey) {
        if (form.encryption != wifi::kEncryptionWep64 && form.encryption != wifi::kEncryptionWep128)
            return Failure{kExitRefused, "--secret-file: wep-key needs encryption wep64 or wep128"};
        if (const auto refusal = wifi::checkKeyRules(form.encryption, *e.wepKey, e.keyType.value_or(0), ""))
            return Failure{kExitRefused, "--secret-file: " + refusalMessage(*refusal)};
    }
    return std::nullopt;
}

Failure saveFailureOf(const wifi::NetworkSaveResult& result) {
    switch (result.outcome) {
        case wifi::NetworkSaveResult::Saved:
            return {kExitDone, ""};
        case wifi::NetworkSaveResult::PortOutOfRange:
            return {kExitRefused, "tcp-port: " + std::string(wifi::kTcpPortOutOfRangeText.english)};
        case wifi::NetworkSaveResult::WrongAddress:
            return {kExitRefused, "ip: " + std::string(wifi::kWrongLocalAddress)};
        case wifi::NetworkSaveResult::KeyRefused:
            return {kExitRefused, "--secret-file: " + result.message};
        case wifi::NetworkSaveResult::SocketFailed:
            return {kExitNetwork, result.message};
        case wifi::NetworkSaveResult::AwaitingAnswer:
        case wifi::NetworkSaveResult::NoAnswer:
            return {kExitNoResponse, "the printer did not acknowledge the save"};
        case wifi::NetworkSaveResult::WriteFailed:
            break;
    }
    return {kExitNetwork, wifi::networkErrorText(result.code, kLanguageEnglish)};
}

// The form a found printer gives, as the window would show it, with the edits over it.
std::optional<wifi::RecordForm> editedForm(const wifi::NetworkPrinter& printer, const WifiEdits& e,
                                           std::optional<Failure>& refused) {
    const wifi::NetworkFormValues shown =
        printer.binary() ? wifi::formFromDeviceRecord(*printer.binary(), wifi::FillVariant::Selection, {})
                         : wifi::formFromTextRecord(*printer.text(), {});
    wifi::RecordForm form = wifi::recordFormOf(shown);
    applyNetworkEdits(form, e);
    refused = refusedNetworkForm(form, e);
    return refused ? std::nullopt : std::optional(form);
}

}  // namespace

std::optional<Failure> checkNetworkPairs(const Pairs& args, const std::optional<Pairs>& secrets,
                                         const std::string& command) {
    if (const auto refused = checkKeys(args, secrets, kNetSaveKeys, kSetSecrets, command))
        return Failure{kExitRefused, *refused};
    WifiEdits edits;
    Pairs all = args;
    if (secrets)
        all.insert(secrets->begin(), secrets->end());
    for (const auto& [key, value] : all)
        if (const auto refused = takeEdit(edits, key, value))
            return Failure{kExitRefused, *refused};
    if (const auto refused = checkGivenKeys(edits))
        return Failure{kExitRefused, *refused};
    return std::nullopt;
}

wifi::RecordForm shownNetworkForm(const wifi::NetworkPrinter& printer) {
    std::optional<Failure> refused;  // no edits: nothing to refuse
    return editedForm(printer, {}, refused).value_or(wifi::RecordForm{});
}

std::optional<wifi::RecordForm> editedNetworkForm(const wifi::NetworkPrinter& printer, const Pairs& all,
                                                  std::optional<Failure>& refused) {
    WifiEdits edits;
    for (const auto& [key, value] : all)
        if (const auto bad = takeEdit(edits, key, value)) {
            refused = Failure{kExitRefused, *bad};
            return std::nullopt;
        }
    return editedForm(printer, edits, refused);
}

Failure networkSaveFailure(const wifi::NetworkSaveResult& result) {
    return saveFailureOf(result);
}

std::vector<FieldChange> networkFormChanges(const wifi::RecordForm& before, const wifi::RecordForm& after) {
    std::vector<FieldChange> changes;
    const auto note = [&](const char* key, const std::string& a, const std::string& b) {
        if (a != b)
            changes.push_back({key, a, b});
    };
    const auto address = [](const std::optional<Octets>& o) { return o ? dotted(*o) : std::string(); };
    const auto named = [](const auto& names, int index) {
        return index >= 0 && static_cast<std::size_t>(index) < std::size(names) ? std::string(names[index])
                                                                                : std::to_string(index);
    };
    note("ssid", before.ssid, after.ssid);
    note("dhcp", before.dhcp ? "on" : "off", after.dhcp ? "on" : "off");
    note("ip", address(before.ip), address(after.ip));
    note("netmask", address(before.subnet), address(after.subnet));
    note("gateway", address(before.gateway), address(after.gateway));
    note("dns", address(before.dns), address(after.dns));
    note("tcp-port", std::to_string(before.tcpPort), std::to_string(after.tcpPort));
    note("mode", named(kModeNames, before.mode), named(kModeNames, after.mode));
    note("channel", std::to_string(before.channel + 1), std::to_string(after.channel + 1));
    note("encryption", named(kEncryptionNames, before.encryption), named(kEncryptionNames, after.encryption));
    note("key-in-use", std::to_string(before.keyInUse + 1), std::to_string(after.keyInUse + 1));
    note("wpa-auth", named(kWpaAuthNames, before.wpaAuthentication),
         named(kWpaAuthNames, after.wpaAuthentication));
    note("wpa-cipher", named(kWpaCipherNames, before.wpaCipher), named(kWpaCipherNames, after.wpaCipher));
    if (before.wpaKey != after.wpaKey)
        changes.push_back({"wpa-key", "", ""});
    if (before.keyTexts != after.keyTexts || before.keyTypes != after.keyTypes)
        changes.push_back({"wep-key", "", ""});
    return changes;
}

Failure saveOnNetwork(const std::vector<std::string>& words,
                      const std::optional<std::map<std::string, std::string>>& secrets,
                      netcfg::NetworkContext& context, int kind, Ipv4 directed, Report& report) {
    const auto mac12 = wifi::macDigits(word(words, 2));
    if (!mac12)
        return {kExitRefused, "net save: the MAC is six two-digit hexadecimal parts (00:1A:2B:3C:4D:5E)"};
    std::string bad;
    const auto args = keyValues(words, 3, bad);
    if (!args)
        return {kExitRefused, "net save: " + bad + " is not KEY=VALUE"};
    if (const auto refused = checkKeys(*args, secrets, kNetSaveKeys, kSetSecrets, "net save"))
        return {kExitRefused, *refused};
    if (args->empty() && !secrets)
        return {kExitRefused, "net save: KEY=VALUE needed (keys: " + choices(kNetSaveKeys) + ")"};
    WifiEdits edits;
    Pairs all = *args;
    if (secrets)
        all.insert(secrets->begin(), secrets->end());
    for (const auto& [key, value] : all)
        if (const auto refused = takeEdit(edits, key, value))
            return {kExitRefused, *refused};
    if (const auto refused = checkGivenKeys(edits))
        return {kExitRefused, *refused};

    std::string macText;
    for (std::size_t i = 0; i < mac12->size(); i += 2)
        macText += (i ? ":" : "") + mac12->substr(i, 2);
    report.text("mac", macText);
    const wifi::NetworkSearchResult found = wifi::searchNetworkPrinters(context, kind, directed, 500, *mac12);
    const wifi::NetworkPrinter* match = wifi::findPrinter(found, *mac12);
    if (match == nullptr) {
        if (found.textFailure)
            return {kExitNetwork, found.textFailure->message};
        if (found.error != 0)
            return {kExitNetwork, "the network search failed (error " + std::to_string(found.error) + ")"};
        return {kExitNoResponse, "no printer with this MAC answered the search"};
    }
    wifi::NetworkPrinter printer = *match;
    report.text("protocol", wifi::protocolName(printer.protocol()));
    std::optional<Failure> refused;
    const auto form = editedForm(printer, edits, refused);
    if (!form)
        return *refused;
    return saveFailureOf(wifi::saveNetworkPrinter(context, kind, printer, *form));
}

}  // namespace hollin::cli
