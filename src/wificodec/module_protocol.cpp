#include "wificodec/module_protocol.h"

#include <algorithm>
#include <cstdio>

#include "common/crc16.h"
#include "common/hex.h"

namespace hollin::wifi {
namespace {

constexpr std::array<ModuleParameter, kParamCount> kParameters{{
    {Param::Ip, "IP address", 0x03, 0x00, 12, false},
    {Param::Netmask, "netmask", 0x03, 0x01, 12, false},
    {Param::Gateway, "gateway", 0x03, 0x02, 12, false},
    {Param::Dns, "DNS server", 0x03, 0x03, 12, false},
    {Param::WifiOptions, "Wi-Fi options", 0x09, 0x00, 12, false},
    {Param::Ssid, "SSID", 0x09, 0x01, 40, false},
    {Param::Wep40, "WEP 40-bit keys", 0x09, 0x02, 28, true},
    {Param::Wep104, "WEP 104-bit keys", 0x09, 0x03, 60, true},
    {Param::WpaKey, "WPA key", 0x09, 0x04, 40, true},
    {Param::WpaPsk, "WPA pre-shared key", 0x09, 0x05, 40, true},
    {Param::WpaKeyExtension, "WPA key extension", 0x09, 0x15, 40, true},
    {Param::TcpOptions, "TCP options", 0x05, 0x00, 12, false},
    {Param::TcpPort, "TCP port", 0x20, 0x00, 28, false},
}};

bool contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

std::string_view asText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// "GG II" of a parameter.
std::string groupItem(const ModuleParameter& p) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X %02X", p.group, p.item);
    return text;
}

// The frame around 1013 record bytes: 1B 5B 02, the five-character request, CR LF, record, CR LF 03.
Bytes bulkFrame(std::string_view request, std::span<const std::uint8_t> record) {
    Bytes frame{0x1B, 0x5B, 0x02};
    frame.insert(frame.end(), request.begin(), request.end());
    frame.push_back('\r');
    frame.push_back('\n');
    frame.insert(frame.end(), record.begin(), record.end());
    frame.insert(frame.end(), {'\r', '\n', 0x03});
    return frame;
}

}  // namespace

ModuleKind moduleKindFromIdentification(std::span<const std::uint8_t> identification) {
    const std::string_view text = asText(identification);
    if (contains(text, "Sollae"))
        return kModuleSollae;
    if (contains(text, "QUATECH"))
        return kModuleQuatech;
    if (contains(text, "INC"))
        return kModuleInc;
    return kModuleOther;
}

std::string_view moduleKindName(int kind) {
    switch (kind) {
        case kModuleNone:
            return "none";
        case kModuleSollae:
            return "Sollae";
        case kModuleQuatech:
            return "QUATECH";
        case kModuleInc:
            return "INC";
        default:
            return "other";
    }
}

Bytes enterIspCommand() {
    return {0x1B, 0x5B, 0x4D, 0x01};
}

Bytes leaveIspCommand() {
    return {0x1B, 0x5B, 0x4D, 0x00};
}

Bytes resetSettingsCommand() {
    return {0x1B, 0x5B, 0x44, 0x53};
}

Bytes wpsCommand() {
    return {0x1B, 0x5B, 0x57, 0x50};
}

std::optional<Bytes> passThroughCommand(std::string_view text) {
    if (text.empty() || text.size() > 255)
        return std::nullopt;
    Bytes out{0x1B, 0x5B, 0x44, static_cast<std::uint8_t>(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

const ModuleParameter& moduleParameter(Param param) {
    return kParameters[static_cast<std::size_t>(param)];
}

const std::array<ModuleParameter, kParamCount>& moduleParameters() {
    return kParameters;
}

const ModuleParameter* findParameter(std::uint8_t group, std::uint8_t item) {
    for (const ModuleParameter& p : kParameters)
        if (p.group == group && p.item == item)
            return &p;
    return nullptr;
}

std::string readText(Param param) {
    return "r " + groupItem(moduleParameter(param)) + "\r";
}

Bytes parameterRecord(Param param, std::span<const std::uint8_t> value) {
    const ModuleParameter& p = moduleParameter(param);
    Bytes record{p.group, p.item, static_cast<std::uint8_t>(p.recordLength & 0xFF),
                 static_cast<std::uint8_t>(p.recordLength >> 8)};
    const std::size_t n = std::min(value.size(), valueLength(p));
    record.insert(record.end(), value.begin(), value.begin() + static_cast<std::ptrdiff_t>(n));
    record.resize(p.recordLength - 2, 0);
    appendItemCrc(record);
    return record;
}

std::string recordHexText(std::span<const std::uint8_t> record) {
    return toHex(record, " ") + "\r";
}

std::string writeText(Param param, std::span<const std::uint8_t> value) {
    return "w " + groupItem(moduleParameter(param)) + " " + recordHexText(parameterRecord(param, value));
}

bool replyGood(std::span<const std::uint8_t> reply, bool forRead) {
    const std::string_view text = asText(reply);
    if (!text.starts_with("701"))
        return false;
    return !forRead || text.substr(3).starts_with("\r\n");
}

std::optional<Bytes> decodeReplyRecord(std::span<const std::uint8_t> reply) {
    const std::string_view text = asText(reply);
    if (text.size() < 13)
        return std::nullopt;
    return decodeHexLenient(text.substr(5, text.size() - 13));
}

std::optional<Bytes> decodeReadReply(Param param, std::span<const std::uint8_t> reply) {
    if (!replyGood(reply, true))
        return std::nullopt;
    const auto record = decodeReplyRecord(reply);
    const std::size_t length = valueLength(moduleParameter(param));
    if (!record || record->size() < 4 + length)
        return std::nullopt;
    return Bytes(record->begin() + 4, record->begin() + 4 + static_cast<std::ptrdiff_t>(length));
}

std::optional<ModuleVersion> versionFromReply(std::span<const std::uint8_t> reply) {
    const auto record = decodeReplyRecord(reply);
    if (!record || record->size() < 4)
        return std::nullopt;
    return ModuleVersion{(*record)[2], (*record)[3]};
}

std::optional<std::string> macFromVersionReply(std::span<const std::uint8_t> reply) {
    if (!replyGood(reply, true))
        return std::nullopt;
    const auto record = decodeReplyRecord(reply);
    if (!record || record->size() < 14)
        return std::nullopt;
    const Bytes& b = *record;
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", b[8], b[9], b[10], b[11], b[12], b[13]);
    return std::string(text);
}

int moduleGeneration(const ModuleVersion& version) {
    if (version.major >= 2)
        return 3;
    if (version.major == 1 && version.minor > 5)
        return 2;
    return 1;
}

bool everyLineGood(std::span<const std::uint8_t> reply) {
    std::string_view text = asText(reply);
    bool any = false;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        if (!text.substr(0, end).starts_with("701"))
            return false;
        any = true;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 2);
    }
    return any;
}

std::size_t completeLines(std::span<const std::uint8_t> reply) {
    const std::string_view text = asText(reply);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

Bytes bulkReadFrame() {
    const Bytes spaces(WifiSettingsRecord::kSize, ' ');
    return bulkFrame("11111", spaces);
}

Bytes bulkWriteFrame(const WifiSettingsRecord& record) {
    return bulkFrame("00000", record.bytes());
}

bool endsWith(std::span<const std::uint8_t> data, std::string_view tail) {
    return asText(data).ends_with(tail);
}

bool bulkReplyComplete(std::span<const std::uint8_t> reply) {
    return reply.size() >= kBulkReplyMin && endsWith(reply, "\r\n\x03");
}

BulkCheck checkBulkReply(std::span<const std::uint8_t> reply) {
    if (reply.empty())
        return BulkCheck::NoData;
    if (reply.size() < kBulkReplyMin || reply[0] != 0x02 || reply[6] != '\r' || reply[7] != '\n')
        return BulkCheck::Syntax;
    return BulkCheck::Good;
}

std::optional<WifiSettingsRecord> bulkReplyRecord(std::span<const std::uint8_t> reply) {
    if (checkBulkReply(reply) != BulkCheck::Good)
        return std::nullopt;
    return WifiSettingsRecord::fromBytes(reply.subspan(8));
}

}  // namespace hollin::wifi
