#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/bytes.h"
#include "wificodec/wifi_record.h"

// The Wi-Fi module's protocol through the printer, as pure functions: the printer's escapes (ISP mode,
// pass-through, settings reset, bulk frame), the Sollae module's text commands and parameter records,
// and the checks and decoding of the module's replies. No exchange happens here.
namespace hollin::wifi {

// The kind of module found when ISP mode is entered.
enum ModuleKind : int {
    kModuleNone = 0,
    kModuleSollae = 1,
    kModuleQuatech = 2,
    kModuleInc = 3,
    kModuleOther = 4,
};

// From the identification line: "Sollae" first, then "QUATECH", then "INC" anywhere in it (also
// inside a longer word), else unrecognised.
ModuleKind moduleKindFromIdentification(std::span<const std::uint8_t> identification);
std::string_view moduleKindName(int kind);

// --- printer escapes
Bytes enterIspCommand();       // 1B 5B 4D 01
Bytes leaveIspCommand();       // 1B 5B 4D 00
Bytes resetSettingsCommand();  // 1B 5B 44 53 (QUATECH and INC)
Bytes wpsCommand();            // 1B 5B 57 50 (INC)
// 1B 5B 44 n and the text; nothing for an empty text or one over 255 bytes.
std::optional<Bytes> passThroughCommand(std::string_view text);

// --- Sollae module texts
inline constexpr std::string_view kVersionText = "c 0\r";
inline constexpr std::string_view kUnlockText = "u 9e2b e19d\r";
inline constexpr std::string_view kFlashText = "f 7b3e\r";
inline constexpr std::string_view kFactoryDefaultsText = "u 9e2b e19d\re 4\rl 6f08\rf 7b3e\r";
// The module answers each of its four commands with a line of its own.
inline constexpr std::size_t kFactoryDefaultsLines = 4;

// The Sollae module's parameters, in the order the form reads them.
enum class Param {
    Ip,
    Netmask,
    Gateway,
    Dns,
    WifiOptions,
    Ssid,
    Wep40,
    Wep104,
    WpaKey,
    WpaPsk,
    WpaKeyExtension,
    TcpOptions,
    TcpPort,
};
inline constexpr std::size_t kParamCount = 13;

struct ModuleParameter {
    Param param;
    std::string_view name;
    std::uint8_t group;
    std::uint8_t item;
    std::size_t recordLength;  // header, value and CRC
    bool secret;               // keys and pass phrases: never traced or logged
};

const ModuleParameter& moduleParameter(Param param);
const std::array<ModuleParameter, kParamCount>& moduleParameters();
// The parameter with this group and item, nothing when none.
const ModuleParameter* findParameter(std::uint8_t group, std::uint8_t item);
// The value bytes of a parameter's record (its length less header and CRC).
constexpr std::size_t valueLength(const ModuleParameter& p) {
    return p.recordLength - 6;
}

// "r GG II\r".
std::string readText(Param param);
// The record: group, item, length (little-endian), the value cut or zero-padded to its length, CRC.
Bytes parameterRecord(Param param, std::span<const std::uint8_t> value);
// Each byte as two upper-case digits separated by spaces, ended by CR.
std::string recordHexText(std::span<const std::uint8_t> record);
// "w GG II " and the record's hexadecimal text.
std::string writeText(Param param, std::span<const std::uint8_t> value);

// --- Sollae replies
// "701" first; for a read also CR LF as the fourth and fifth characters.
bool replyGood(std::span<const std::uint8_t> reply, bool forRead);
// The decoded bytes of a reply's value part (characters 6 up to the last eight), read leniently;
// nothing when the reply is under 13 characters.
std::optional<Bytes> decodeReplyRecord(std::span<const std::uint8_t> reply);
// A read reply's value bytes for `param`: the read check, then the decoded record must hold the
// 4-byte header and the whole value. Nothing otherwise.
std::optional<Bytes> decodeReadReply(Param param, std::span<const std::uint8_t> reply);

struct ModuleVersion {
    int major = 0;
    int minor = 0;
};
// The version reply, decoded without the read check: bytes 2 and 3; nothing under 4 decoded bytes.
std::optional<ModuleVersion> versionFromReply(std::span<const std::uint8_t> reply);
// The MAC address from the version reply, with the read check: decoded bytes 8..13 as
// "%02x:%02x:..."; nothing when fewer than 14 bytes decode.
std::optional<std::string> macFromVersionReply(std::span<const std::uint8_t> reply);
// The module generation a version gives: 1.6 and up to 1.x is 2, 2.0 and above 3, below that 1.
int moduleGeneration(const ModuleVersion& version);
// Every CR LF-ended line of a reply begins "701" (a reply with no line fails).
bool everyLineGood(std::span<const std::uint8_t> reply);
// The count of CR LF-ended lines of a reply.
std::size_t completeLines(std::span<const std::uint8_t> reply);

// --- the bulk frame of the other module kinds
inline constexpr std::size_t kBulkFrameSize = 1026;
inline constexpr std::size_t kBulkReplyMin = 1024;
Bytes bulkReadFrame();
Bytes bulkWriteFrame(const WifiSettingsRecord& record);
// Whether the bulk reply so far is complete: at least a whole frame's length and ending CR LF 03.
bool bulkReplyComplete(std::span<const std::uint8_t> reply);

enum class BulkCheck { NoData, Syntax, Good };
// Nothing: NoData; shorter than a frame, byte 0 not 02, or bytes 6, 7 not CR LF: Syntax.
BulkCheck checkBulkReply(std::span<const std::uint8_t> reply);
// The record in a good reply (bytes 8 to 1020).
std::optional<WifiSettingsRecord> bulkReplyRecord(std::span<const std::uint8_t> reply);

// Whether `data` ends with `tail`.
bool endsWith(std::span<const std::uint8_t> data, std::string_view tail);

}  // namespace hollin::wifi
