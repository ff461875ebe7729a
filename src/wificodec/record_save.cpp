#include "wificodec/record_save.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "common/hex.h"
#include "wificodec/wifi_bands.h"

namespace hollin::wifi {
namespace {

void setDigitOf(WifiSettingsRecord& r, RecordField f, int value) {
    if (value >= 0 && value <= 9)
        r.setDigit(f, static_cast<char>('0' + value));
}

// The text at the start of the field over `pad`, CR LF after it where they fit: a terminator that
// does not fit is dropped rather than written past the field.
void setEnded(WifiSettingsRecord& r, RecordField f, std::string_view text, char pad) {
    std::string ended(text.substr(0, f.size));
    ended += "\r\n";
    r.setText(f, ended, pad);
}

// Six parts of two hexadecimal digits joined by ':', upper-cased; nothing otherwise.
std::optional<std::string> macDigits(std::string_view text) {
    std::string out;
    std::size_t part = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ':') {
            if (part != 2)
                return std::nullopt;
            part = 0;
            continue;
        }
        if (hexDigitValue(text[i]) < 0)
            return std::nullopt;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        ++part;
    }
    if (out.size() != 12)
        return std::nullopt;
    return out;
}

void foldWpa(WifiSettingsRecord& r, const RecordForm& form, ModuleKind kind) {
    const int auth = form.wpaAuthentication, cipher = form.wpaCipher;
    switch (kind) {
        case kModuleQuatech: {
            const int encryption =
                form.encryption >= 0 ? form.encryption : r.digitValue(field::kEncryption).value_or(0);
            if (encryption < kEncryptionWpa) {
                r.setDigit(field::kWpa, '0');
                r.setDigit(field::kWpaEnc, '0');
                return;
            }
            if (auth < 0)
                return;
            setDigitOf(r, field::kWpa, auth + 1);
            // WPA-PSK and WPA2-PSK take the list's cipher; the enterprise types keep the accepted one.
            if (cipher >= 0 && auth <= 1)
                setDigitOf(r, field::kWpaEnc, auth == 1 ? cipher + 1 : cipher);
            return;
        }
        case kModuleInc:
            if (form.mode == 1) {
                r.setDigit(field::kWpa, '5');
                r.setDigit(field::kWpaEnc, '2');
                return;
            }
            if (auth >= 0)
                setDigitOf(r, field::kWpa, auth + 1);
            setDigitOf(r, field::kWpaEnc, cipher);
            return;
        default:
            setDigitOf(r, field::kWpa, auth);
            setDigitOf(r, field::kWpaEnc, cipher);
            return;
    }
}

// The band digit, on 5 GHz the country code, and the channel right-aligned in three characters.
void foldIncBand(WifiSettingsRecord& r, const RecordForm::IncBand& band) {
    const bool five = band.band == 1;
    r.setDigit(field::kBand, five ? kIncBand5 : kIncBand24);
    if (five && band.country.size() == field::kCountry.size)
        r.setText(field::kCountry, band.country);
    const int channel = std::atoi(band.channelText.c_str());
    if (const std::string text = channelField(channel); channel > 0 && !text.empty())
        r.setText(field::kChannel3, text);
}

}  // namespace

MaskedEdit maskedEditAfter(MaskedEdit before, std::string_view mask, std::string_view text) {
    if (before == MaskedEdit::Replaced)
        return before;
    if (text == mask)
        return MaskedEdit::Mask;
    if (text.empty() || mask.empty())
        return MaskedEdit::Replaced;
    const char m = mask.front();
    const bool kept = before == MaskedEdit::Mask ? text.front() == m || text.back() == m
                                                 : text.find(m) != std::string_view::npos;
    return kept ? MaskedEdit::PartlyEdited : MaskedEdit::Replaced;
}

std::string asciiKeyHex(std::string_view text) {
    return toHex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string enterpriseText(const WifiSettingsRecord& record, RecordField f) {
    const std::string_view raw = record.raw(f);
    std::string text(raw.substr(0, raw.find_first_of(std::string_view("\r\n\0", 3))));
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// The password is zero padded: every byte before the first zero is the password's, spaces too.
EnterpriseTexts enterpriseTextsOf(const WifiSettingsRecord& r) {
    return {enterpriseText(r, field::kEapId), r.text(field::kEapPassword),
            enterpriseText(r, field::kCaCertificate), enterpriseText(r, field::kClientCertificate),
            enterpriseText(r, field::kPrivateKey)};
}

void foldRecordBasics(WifiSettingsRecord& r, const RecordForm& form) {
    if (const auto mac = macDigits(form.mac))
        r.setText(field::kMacAddress, *mac);
    r.setLine(field::kSsid, form.ssid);
    r.setDigit(field::kDhcp, form.dhcp ? '1' : '0');
    const std::pair<const std::optional<Octets>*, RecordField> addresses[] = {
        {&form.ip, field::kIp},
        {&form.subnet, field::kSubnet},
        {&form.gateway, field::kGateway},
        {&form.dns, field::kDns}};
    for (const auto& [octets, f] : addresses)
        if (*octets)
            r.setAddress(f, **octets);
    setDigitOf(r, field::kMode, form.mode);
    setDigitOf(r, field::kEncryption, form.encryption);
    setDigitOf(r, field::kAuthentication, form.authentication);
    if (form.keyInUse >= 0 && form.keyInUse < 4)
        setDigitOf(r, field::kUseKey, form.keyInUse + 1);
    int channel = form.channel >= 0 ? form.channel + 1 : -1;
    if (!form.fiveGhzChannel.empty())
        channel = std::atoi(form.fiveGhzChannel.substr(0, 2).c_str());
    if (channel >= 0 && channel <= 99) {
        char text[3];
        std::snprintf(text, sizeof text, "%02d", channel);
        r.setText(field::kChannel, text);
    }
}

std::optional<SaveRefusal> checkRecordForm(const RecordForm& form) {
    if (!ssidFits(form.ssid))
        return SaveRefusal::SsidTooLong;
    if (form.wpaKeyMaskEdited && form.encryption == kEncryptionWpa)
        return SaveRefusal::WpaKeyMaskEdited;
    if (form.lpd && form.lpdQueue.size() > field::kLpdQueue.size)
        return SaveRefusal::LpdQueueTooLong;
    if (form.keyInUse >= 0 && form.keyInUse < 4) {
        const auto k = static_cast<std::size_t>(form.keyInUse);
        if (auto refusal = checkKeyRules(form.encryption, form.keyTexts[k], form.keyTypes[k], form.wpaKey))
            return refusal;
    } else if (auto refusal =
                   checkKeyRules(form.encryption == kEncryptionWpa ? form.encryption : kEncryptionNone, {}, 0,
                                 form.wpaKey)) {
        return refusal;
    }
    if (form.tcpPort < 0 || form.tcpPort > 65535)
        return SaveRefusal::TcpPortOutOfRange;
    return std::nullopt;
}

void foldRecordRest(WifiSettingsRecord& r, const RecordForm& form, ModuleKind kind,
                    const WifiSettingsRecord& held) {
    for (int k = 1; k <= 4; ++k)
        if (!form.keyTyped[static_cast<std::size_t>(k - 1)])
            r.setText(wepKeyField(k), held.raw(wepKeyField(k)));
    const bool wep = form.encryption == kEncryptionWep64 || form.encryption == kEncryptionWep128;
    if (wep && form.keyInUse >= 0 && form.keyInUse < 4) {
        const auto k = static_cast<std::size_t>(form.keyInUse);
        const std::string& text = form.keyTexts[k];
        r.setText(wepKeyField(form.keyInUse + 1), form.keyTypes[k] == 1 ? asciiKeyHex(text) : text);
    }
    foldWpa(r, form, kind);
    r.setText(field::kWpaKey, form.wpaKeyEdited ? std::string_view(form.wpaKey) : held.text(field::kWpaKey));
    char port[5];
    std::snprintf(port, sizeof port, "%04X", static_cast<unsigned>(form.tcpPort & 0xFFFF));
    r.setText(field::kTcpPort, port);
    if (form.lpd) {
        r.setDigit(field::kLpdEnable, form.lpdEnable ? '1' : '0');
        setEnded(r, field::kLpdQueue, form.lpdQueue, '\0');
        r.setText(field::kChannel3, form.channelText.substr(0, field::kChannel3.size), ' ');
    }
    const EnterpriseTexts& e = form.enterprise;
    setEnded(r, field::kEapId, e.id, ' ');
    setEnded(r, field::kCaCertificate, e.caCertificate, ' ');
    setEnded(r, field::kClientCertificate, e.clientCertificate, ' ');
    setEnded(r, field::kPrivateKey, e.privateKey, ' ');
    r.setText(field::kEapPassword, e.password);
    if (kind == kModuleOther)
        r.fill({field::kFastProvisioning.offset, 4}, ' ');
    if (kind == kModuleQuatech && form.band >= 0 && form.band <= 2)
        setDigitOf(r, field::kBand, form.band);
    if (kind == kModuleInc && form.incBand && (form.incBand->band == 0 || form.incBand->band == 1))
        foldIncBand(r, *form.incBand);
}

}  // namespace hollin::wifi
