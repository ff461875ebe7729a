#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "common/bytes.h"
#include "common/sha1.h"
#include "netcfg/packet.h"

namespace hollin::netcfg {

// One serial/port channel of a network printer.
struct Channel {
    std::array<std::uint8_t, 12> head{};  // first 4 bytes: a bit word
    std::array<std::uint8_t, 20> core{};  // bytes 8..9: local port; byte 12: channel mode
    std::array<std::uint8_t, 64> text{};
    std::uint32_t valid = 0;  // 1 = the channel is present

    std::uint16_t localPort() const { return static_cast<std::uint16_t>(core[8] | (core[9] << 8)); }
    void setLocalPort(std::uint16_t port) {
        core[8] = static_cast<std::uint8_t>(port & 0xFF);
        core[9] = static_cast<std::uint8_t>(port >> 8);
    }
    std::uint8_t mode() const { return core[12]; }
    std::uint32_t firstWord() const {
        return head[0] | (head[1] << 8) | (head[2] << 16) | (std::uint32_t{head[3]} << 24);
    }
    void setFirstWord(std::uint32_t word) {
        for (int i = 0; i < 4; ++i)
            head[i] = static_cast<std::uint8_t>(word >> (8 * i));
    }
    friend bool operator==(const Channel&, const Channel&) = default;
};

// The complete settings block of a network printer, as the binary protocol carries it. Addresses are
// IPv4 in network byte order (first octet first); numbers travel little-endian in their items.
struct DeviceRecord {
    Mac mac{};
    std::array<std::uint8_t, 6> idTail{};
    std::uint16_t versionMajor = 0;  // header byte 17 of the last reply
    std::uint16_t versionMinor = 0;  // header bytes 18 and 19 of the last reply, 18 high
    std::array<std::uint8_t, 4> ipAddress{};
    std::array<std::uint8_t, 4> netmask{};
    std::array<std::uint8_t, 4> gateway{};
    std::array<std::uint8_t, 48> textBlock0{};
    std::array<std::uint8_t, 4> sourceAddress{};  // where the last reply came from; not on the wire
    std::array<std::uint8_t, 4> dns{};
    std::uint16_t productCode = 0;
    std::uint16_t productVariant = 0;
    std::array<std::uint8_t, 48> textBlock1{};
    std::array<std::uint8_t, 64> altText{};
    std::array<Channel, 4> channels{};
    std::uint32_t options = 0;
    std::array<std::uint8_t, 6> block33{};
    std::array<std::uint8_t, 8> block34{};
    std::array<std::uint8_t, 64> block7{};
    std::array<std::uint8_t, 10> password{};
    std::array<std::uint8_t, 10> password2{};
    std::uint8_t inputCount = 0;
    std::uint8_t macroCount = 0;
    std::uint16_t webPortDefault = 0;
    std::array<std::array<std::uint8_t, 32>, 8> macros{};
    std::array<std::uint8_t, 64> block35_2{};
    std::array<std::array<std::uint8_t, 16>, 16> table16{};
    std::array<std::uint8_t, 56> ioBlock{};  // bit word, Modbus/TCP port at 8..9, I/O addresses at 12..15
    std::uint32_t hasIo = 0;
    std::array<std::uint8_t, 24> block38{};
    std::array<std::uint8_t, 64> block35_3{};
    std::uint32_t hasBlock38 = 0;
    std::array<std::uint8_t, 12> block39{};
    std::array<std::uint8_t, 10> webBlock{};  // first 2 bytes: the web server's port
    std::uint32_t wifiWord = 0;
    std::array<std::uint8_t, 32> ssid{};
    std::array<std::array<std::uint8_t, 5>, 4> wep40Keys{};
    std::array<std::array<std::uint8_t, 13>, 4> wep104Keys{};
    // The pass-phrase area: `wpaPassphrase` (first 32 bytes) and `wpaPsk` (last 32). A pass phrase
    // of up to 64 characters starts at its first byte.
    std::array<std::uint8_t, 64> passPhraseArea{};
    std::array<std::uint8_t, 16> wifiExtra{};
    std::uint32_t hasWifi = 0;

    std::span<std::uint8_t, 32> wpaPassphrase() { return std::span(passPhraseArea).first<32>(); }
    std::span<std::uint8_t, 32> wpaPsk() { return std::span(passPhraseArea).last<32>(); }
    std::span<const std::uint8_t, 32> wpaPassphrase() const { return std::span(passPhraseArea).first<32>(); }
    std::span<const std::uint8_t, 32> wpaPsk() const { return std::span(passPhraseArea).last<32>(); }

    friend bool operator==(const DeviceRecord&, const DeviceRecord&) = default;
};

// Writes the whole pass-phrase area: the text (at most 64 bytes) and zeros after it, so that a shorter
// phrase never runs on into the bytes of an older one or of the old key.
void setPassphrase(DeviceRecord& record, std::string_view passphrase);
// The zero-terminated pass phrase at the start of the area, at most 64 characters.
std::string_view passphraseOf(const DeviceRecord& record);
// The pass phrase a device reported: its 32-byte field up to the first zero byte (the bytes after the
// field are the device's key, never text).
std::string_view storedPassphrase(const DeviceRecord& record);

// Numbers inside the opaque blocks.
std::uint16_t modbusPort(const DeviceRecord& record);
std::uint16_t ioAddress(const DeviceRecord& record, int which);  // which = 0 or 1
std::uint32_t ioWord(const DeviceRecord& record);
std::uint16_t webServerPort(const DeviceRecord& record);
std::uint32_t ipv4Of(const std::array<std::uint8_t, 4>& address);
std::array<std::uint8_t, 4> ipv4Bytes(std::uint32_t address);

// The payload of a write: the pass-phrase key derived (Wi-Fi products), the Wi-Fi extra block's
// default filled in, then every item in the device's order; an empty item closes a payload whose
// length is a multiple of 256. The record itself is not changed. `derive` turns the pass phrase and
// SSID into the key (4096 rounds of PBKDF2): a caller building many records with one pass phrase may
// pass one that remembers its answers.
using PskDerivation = std::function<WpaPsk(std::string_view passphrase, std::string_view ssid)>;
Bytes buildPayload(const DeviceRecord& record,
                   const std::array<std::uint8_t, 14>& wifiExtraDefault = kDefaultWifiExtra,
                   const PskDerivation& derive = wpaPsk);

// Reads a reply's payload into `record` (which the caller has zeroed or filled). False, with `note`
// told "What ENV???\n" or "CRC fail...\n", when any item is malformed: the record may then be partly
// filled, so callers parse into a copy.
bool parsePayload(std::span<const std::uint8_t> payload, DeviceRecord& record,
                  const std::function<void(std::string_view)>& note = {});

// What a write sends when the device's stored payload is longer than the built one: the stored payload
// with each built item put in place of the stored item of the same type and index (spliced when its
// length differs; item 35 indexes 2 and 3 matched as a channel's text or as their own blocks, as the
// parser reads them) and built items without a counterpart appended; an empty item closes it when its
// length is a multiple of 256. Otherwise, or when the stored payload is malformed, the built payload.
Bytes mergePayload(std::span<const std::uint8_t> stored, std::span<const std::uint8_t> built);

// Appends the closing empty item when the payload's length is a multiple of 256.
void closePayload(Bytes& payload);

// Adjusts the version-dependent fields of a reply's record from its product code and version bytes.
void applyVersionRules(DeviceRecord& record, std::uint8_t productCode, std::uint8_t ver1, std::uint8_t ver2,
                       std::uint8_t ver3);

}  // namespace hollin::netcfg
