#include "netprinters/network_save.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/hex.h"
#include "netcfg/text_frame.h"
#include "netcfg/write_checks.h"

namespace hollin::wifi {

using netcfg::DeviceRecord;

namespace {

constexpr std::string_view kModeNames[] = {"cctype=adhoc", "cctype=infrastructure"};
constexpr std::string_view kWepNames[] = {"WEP=None", "WEP=40bit", "WEP=104bit"};
constexpr std::string_view kAuthenticationNames[] = {"Authentication=None", "Authentication=open system",
                                                     "Authentication=shared key", "Authentication=Both"};
// By the value of bits 16..18.
constexpr std::string_view kWpaNames[] = {"WPA=None", "WPA=WPA", "WPA=WPA-PSK", "WPA=WPA2", "WPA=WPA2-PSK"};
constexpr std::string_view kCipherNames[] = {"cipher=None", "cipher=TKIP", "cipher=AES", "cipher=TKIP+AES"};

struct CodeText {
    int code;
    TextTwin text;
};
constexpr CodeText kNetworkErrors[] = {
    {netcfg::kPasswordMismatch, {"Password mismatch error occured.", "Password가 일기하지 않는 에러 발생."}},
    {netcfg::kNoResponse, {"No response from selected ezTCP.", "프린터에서 응답이 없습니다."}},
    {netcfg::kBadAddress, {"Local IP Address Error", "Local IP 주소 에러"}},
    {netcfg::kBadMacro, {"Macro Syntax Error", "Macro 형식 에러."}},
    {netcfg::kBadIoAddress, {"I/O Port Address Error", "I/O 포트 주소 에러."}},
    {netcfg::kDuplicatePort, {"Local Port Number Error", "Local 포트 넘버 에러."}},
    {netcfg::kPort23, {"Port Number 23 is not available", "포트 넘버 23이 사용 가능하지 않습니다."}},
    {netcfg::kModbusPortClash,
     {"Local and Modbus/TCP Port numbers are duplicated.",
      "Local and Modbus/TCP Port numbers are duplicated."}},
    {netcfg::kWebPortClash,
     {"The port number 80 is not available for Local Port.",
      "포트 넘버 80이 로컬 포트에서 사용 가능하지 않습니다."}},
    {netcfg::kPort50005,
     {"The port number 50005 is not available for Local Port.",
      "포트 넘버 50005이 로컬 포트에서 사용 가능하지 않습니다."}},
    {netcfg::kPort50006,
     {"The port number 50006 is not available for Local Port.",
      "포트 넘버 50006이 로컬 포트에서 사용 가능하지 않습니다."}},
    {netcfg::kProductMismatch, {"Product ID Mismatch", "제품 아이디 불일치 에러."}},
    {netcfg::kUnknownError, {"Unknown Error", "알 수 없는 에러."}},
    {netcfg::kNotFound,
     {"There is no available information to write.", "저장하기 위한 정보가 사용 가능하지 않습니다."}},
};

std::string dotted(std::string_view label, const std::array<std::uint8_t, 4>& a) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*s=%d.%d.%d.%d\n", static_cast<int>(label.size()), label.data(), a[0],
                  a[1], a[2], a[3]);
    return text;
}

template <std::size_t N>
std::string_view nameOf(const std::string_view (&names)[N], long index) {
    return index >= 0 && static_cast<std::size_t>(index) < N ? names[index]
                                                             : std::string_view("Unknown Setting");
}

void setDigitOf(WifiSettingsRecord& r, RecordField f, int value) {
    if (value >= 0 && value <= 9)
        r.setDigit(f, static_cast<char>('0' + value));
}

bool isWep(int encryption) {
    return encryption == kEncryptionWep64 || encryption == kEncryptionWep128;
}

bool portInRange(long long port) {
    return port >= 0 && port <= 65535;
}

}  // namespace

std::string hiddenText(std::string_view secret) {
    return "<hidden, " + std::to_string(secret.size()) + " characters>";
}

std::vector<std::uint8_t> packWepKey(std::string_view text, int format, std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0);
    if (format == 1) {
        std::copy_n(text.begin(), std::min(text.size(), size), bytes.begin());
        return bytes;
    }
    std::size_t digits = 0;
    for (char c : text) {
        const int value = hexDigitValue(c);
        if (value < 0)
            continue;
        if (digits / 2 >= size)
            break;
        bytes[digits / 2] =
            static_cast<std::uint8_t>(bytes[digits / 2] | (digits % 2 == 0 ? value << 4 : value));
        ++digits;
    }
    return bytes;
}

void storeWepKey(DeviceRecord& record, int key, int encryption, std::string_view text, int format) {
    if (key < 0 || key > 3)
        return;
    const auto k = static_cast<std::size_t>(key);
    if (encryption == kEncryptionWep64) {
        const auto bytes = packWepKey(text, format, record.wep40Keys[k].size());
        std::copy(bytes.begin(), bytes.end(), record.wep40Keys[k].begin());
    } else if (encryption == kEncryptionWep128) {
        const auto bytes = packWepKey(text, format, record.wep104Keys[k].size());
        std::copy(bytes.begin(), bytes.end(), record.wep104Keys[k].begin());
    }
}

std::uint32_t wifiWordFor(std::uint32_t word, const RecordForm& form) {
    const auto field = [&word](int first, int width, std::uint32_t value) {
        const std::uint32_t mask = ((1u << width) - 1) << first;
        word = (word & ~mask) | ((value << first) & mask);
    };
    const auto selection = [](int s) { return static_cast<std::uint32_t>(std::max(s, 0)); };
    const int e = form.encryption;
    field(0, 4, selection(form.mode));
    field(4, 4, selection(form.channel) + 1);
    field(8, 2, e == kEncryptionWpa ? 0 : selection(e) & 3);
    field(14, 2, selection(form.authentication));
    field(10, 2, selection(form.keyInUse));
    if (e == kEncryptionWpa) {
        field(16, 3, 2 * selection(form.wpaAuthentication));
        field(19, 2, selection(form.wpaCipher));
    } else {
        field(16, 5, 0);
    }
    return word;
}

DeviceRecord foldDeviceRecord(const DeviceRecord& entry, const RecordForm& form) {
    DeviceRecord r = entry;
    r.ipAddress = form.ip.value_or(Octets{});
    r.netmask = form.subnet.value_or(Octets{});
    r.gateway = form.gateway.value_or(Octets{});
    r.dns = form.dns.value_or(Octets{});
    r.ssid.fill(0);
    std::copy_n(form.ssid.begin(), std::min(form.ssid.size(), r.ssid.size()), r.ssid.begin());
    r.channels[0].setLocalPort(static_cast<std::uint16_t>(form.tcpPort & 0xFFFF));
    netcfg::setPassphrase(r, form.wpaKey);
    r.wifiWord = wifiWordFor(r.wifiWord, form);
    constexpr std::uint32_t kDhcpBits = (1u << 3) | (1u << 5);
    r.options = form.dhcp ? (r.options | kDhcpBits) : (r.options & ~kDhcpBits);
    if (isWep(form.encryption))
        for (int k = 0; k < 4; ++k)
            if (!form.keyTexts[static_cast<std::size_t>(k)].empty())
                storeWepKey(r, k, form.encryption, form.keyTexts[static_cast<std::size_t>(k)],
                            form.keyTypes[static_cast<std::size_t>(k)]);
    return r;
}

std::vector<std::string> binarySaveTrace(const DeviceRecord& r, const RecordForm& form) {
    std::vector<std::string> lines = {dotted("IP", r.ipAddress), dotted("Netmask", r.netmask),
                                      dotted("Gateway", r.gateway), dotted("DNS IP", r.dns)};
    const auto ssidEnd = std::find(r.ssid.begin(), r.ssid.end(), 0);
    lines.push_back("SSID=" + std::string(r.ssid.begin(), ssidEnd));
    const std::uint32_t w = r.wifiWord;
    lines.emplace_back(nameOf(kModeNames, w & 0xF));
    lines.push_back("Channel=" + std::to_string((w >> 4) & 0xF));
    lines.emplace_back(nameOf(kWepNames, (w >> 8) & 3));
    lines.emplace_back(nameOf(kAuthenticationNames, (w >> 14) & 3));
    lines.push_back("Using Key=KEY ID " + std::to_string(((w >> 10) & 3) + 1));
    lines.emplace_back(nameOf(kWpaNames, (w >> 16) & 7));
    lines.emplace_back(nameOf(kCipherNames, (w >> 19) & 3));
    const unsigned wep = (w >> 8) & 3;
    if (wep == 1 || wep == 2)
        for (std::size_t k = 0; k < 4; ++k)
            lines.push_back("KEY" + std::to_string(k + 1) + (wep == 1 ? "(40-Bits)=" : "(104-Bits)=") +
                            hiddenText(form.keyTexts[k]));
    lines.push_back("WPA KEY=" + hiddenText(form.wpaKey));
    return lines;
}

NetworkSaveResult saveBinaryPrinter(netcfg::NetworkContext& context, int kind, DeviceRecord& entry,
                                    const RecordForm& form, const std::array<std::uint8_t, 10>& password) {
    if (!portInRange(form.tcpPort))
        return {NetworkSaveResult::PortOutOfRange, 0, {}};
    DeviceRecord copy = foldDeviceRecord(entry, form);
    if (!netcfg::addressCheck(netcfg::ipv4Of(copy.ipAddress), netcfg::ipv4Of(copy.netmask)))
        return {NetworkSaveResult::WrongAddress, netcfg::kBadAddress, {}};
    if (context.debug)
        for (const std::string& line : binarySaveTrace(copy, form))
            context.debug(line);
    const netcfg::WriteResult written = netcfg::configureDevice(context, kind, copy, password);
    if (written.result != 1)
        return {NetworkSaveResult::WriteFailed, written.code, {}};
    entry = copy;
    return {};
}

std::string networkErrorText(int code, int language) {
    for (const CodeText& e : kNetworkErrors)
        if (e.code == code)
            return std::string(pickText(e.text, language));
    const TextTwin invalid = {"Invalid Error Code [%d]", "Invalid 에러 코드 [%d]"};
    std::string text(pickText(invalid, language));
    text.replace(text.find("%d"), 2, std::to_string(code));
    return text;
}

std::optional<std::string> checkTextSaveKeys(const RecordForm& form) {
    const int e = form.encryption;
    if (e == kEncryptionWpa && form.wpaKey.size() > 32)
        return "WPA Key Length is not long";
    if (!isWep(e) || form.keyInUse < 0 || form.keyInUse > 3)
        return std::nullopt;
    const auto k = static_cast<std::size_t>(form.keyInUse);
    const std::size_t size = form.keyTexts[k].size();
    const std::string key = "Key" + std::to_string(k + 1);
    if (form.keyTypes[k] == 1) {
        if (size > (e == kEncryptionWep64 ? 5u : 13u))
            return key + " Length is too long";
    } else if (size != (e == kEncryptionWep64 ? 10u : 26u)) {
        return key + " Length is not matched";
    }
    return std::nullopt;
}

WifiSettingsRecord textSaveRecord(const WifiSettingsRecord& entry, const RecordForm& form) {
    WifiSettingsRecord r = entry;
    foldRecordBasics(r, form);
    // The keys not in use stay as the entry holds them: as the printer sent them, or as typed.
    if (isWep(form.encryption) && form.keyInUse >= 0 && form.keyInUse < 4) {
        const auto k = static_cast<std::size_t>(form.keyInUse);
        const std::string& text = form.keyTexts[k];
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        r.setText(wepKeyField(form.keyInUse + 1),
                  form.keyTypes[k] == 1 ? toHex(std::span(bytes, text.size())) : text);
    }
    setDigitOf(r, field::kWpa, form.wpaAuthentication);
    setDigitOf(r, field::kWpaEnc, form.wpaCipher);
    r.setText(field::kWpaKey, form.wpaKey);
    char port[8];
    std::snprintf(port, sizeof port, "%04X", static_cast<unsigned>(form.tcpPort & 0xFFFF));
    r.setText(field::kTcpPort, port);
    return r;
}

NetworkSaveResult prepareTextSave(const WifiSettingsRecord& entry, const RecordForm& form,
                                  WifiSettingsRecord& out) {
    if (auto refusal = checkTextSaveKeys(form))
        return {NetworkSaveResult::KeyRefused, 0, *refusal};
    if (!portInRange(form.tcpPort))
        return {NetworkSaveResult::PortOutOfRange, 0, {}};
    out = textSaveRecord(entry, form);
    return {};
}

std::vector<std::string> textRecordTrace(const WifiSettingsRecord& r) {
    static constexpr std::string_view kEncryptions[] = {
        "Wi-Fi Encryption : None", "Wi-Fi Encryption : WEP-40Bit", "Wi-Fi Encryption : WEP-104Bit",
        "Wi-Fi Encryption : WPA"};
    static constexpr std::string_view kAuthentications[] = {
        "Wi-Fi Authentication : None", "Wi-Fi Authentication : Open", "Wi-Fi Authentication : Shared",
        "Wi-Fi Authentication : Both"};
    static constexpr std::string_view kWpaTypes[] = {"WPA KEY Type : None", "WPA KEY Type : WPA-PSK",
                                                     "WPA KEY Type : WPA2-PSK"};
    static constexpr std::string_view kWpaCiphers[] = {"Unknown Setting", "WPA Encryption Type : TKIP",
                                                       "WPA Encryption Type : AES"};
    static constexpr std::string_view kDhcp[] = {"DHCP DISABLE", "DHCP ENABLE"};
    static constexpr std::string_view kModes[] = {"Ad-hoc", "Infrastructure"};
    const auto digit = [&r](RecordField f) { return r.digitValue(f).value_or(-1); };
    std::vector<std::string> lines;
    lines.push_back("PacketVersion=" + std::string(r.raw(field::kPacketVersion)));
    lines.push_back("MAC=" + std::string(r.raw(field::kMacAddress)));
    lines.push_back("SSID=" + r.line(field::kSsid));
    lines.emplace_back(nameOf(kDhcp, digit(field::kDhcp)));
    const std::pair<std::string_view, RecordField> addresses[] = {
        {"IP", field::kIp}, {"NETMASK", field::kSubnet}, {"GATEWAY", field::kGateway}, {"DNS", field::kDns}};
    for (const auto& [name, f] : addresses) {
        const Octets o = r.address(f).value_or(Octets{});
        char text[80];
        std::snprintf(text, sizeof text, "%.*s[%.8s]=%d.%d.%d.%d", static_cast<int>(name.size()), name.data(),
                      r.raw(f).data(), o[0], o[1], o[2], o[3]);
        lines.emplace_back(text);
    }
    lines.emplace_back(nameOf(kModes, digit(field::kMode)));
    lines.push_back("Mode=" + std::to_string(digit(field::kMode)) + " " + r.digit(field::kMode));
    lines.push_back("CHANNEL=" + std::string(r.raw(field::kChannel)));
    lines.emplace_back(nameOf(kEncryptions, digit(field::kEncryption)));
    lines.emplace_back(nameOf(kAuthentications, digit(field::kAuthentication)));
    const int useKey = digit(field::kUseKey);
    lines.push_back(useKey >= 1 && useKey <= 4 ? "KEY USE : " + std::to_string(useKey) : "Unknown Setting");
    for (int k = 1; k <= 4; ++k)
        lines.push_back("KEY" + std::to_string(k) + "=" + hiddenText(r.text(wepKeyField(k))));
    lines.emplace_back(nameOf(kWpaTypes, digit(field::kWpa)));
    lines.emplace_back(nameOf(kWpaCiphers, digit(field::kWpaEnc)));
    lines.push_back("WPA KEY=" + hiddenText(r.text(field::kWpaKey)));
    lines.push_back("TCP PORT=" + std::to_string(r.hexNumber(field::kTcpPort).value_or(0)));
    return lines;
}

std::optional<std::string> macDigits(std::string_view text) {
    std::string digits;
    const bool colons = text.size() == 17;
    if (!colons && text.size() != 12)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (colons && i % 3 == 2) {
            if (c != ':')
                return std::nullopt;
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return digits;
}

}  // namespace hollin::wifi
