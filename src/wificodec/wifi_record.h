#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The settings record of a Wi-Fi module (QUATECH, INC and unrecognised kinds): 1013 bytes of ASCII
// exchanged whole in the bulk frame and in the network text frames. Every field is fixed-width text at
// a fixed offset; a reader never looks past its field and bytes no field names are carried unchanged.
namespace hollin::wifi {

struct RecordField {
    std::size_t offset;
    std::size_t size;
};

namespace field {
inline constexpr RecordField kPacketVersion{0, 2};
inline constexpr RecordField kMacAddress{2, 12};
inline constexpr RecordField kSsid{14, 34};  // text, CR LF, spaces
inline constexpr RecordField kDhcp{48, 1};
inline constexpr RecordField kIp{49, 8};  // "%02X%02X%02X%02X", first octet first
inline constexpr RecordField kSubnet{57, 8};
inline constexpr RecordField kGateway{65, 8};
inline constexpr RecordField kDns{73, 8};
inline constexpr RecordField kMode{81, 1};     // '0' adhoc, '1' infrastructure, '2' SoftAP
inline constexpr RecordField kChannel{82, 2};  // "%02d"
inline constexpr RecordField kEncryption{84, 1};
inline constexpr RecordField kAuthentication{85, 1};
inline constexpr RecordField kUseKey{86, 1};  // '1'..'4'
inline constexpr RecordField kKey1{87, 26};
inline constexpr RecordField kKey2{113, 26};
inline constexpr RecordField kKey3{139, 26};
inline constexpr RecordField kKey4{165, 26};
inline constexpr RecordField kWpa{191, 1};
inline constexpr RecordField kWpaEnc{192, 1};
inline constexpr RecordField kWpaKey{193, 64};
inline constexpr RecordField kTcpPort{257, 4};     // "%04X"
inline constexpr RecordField kGeneration{286, 1};  // INC: '3' and above has the 5 GHz band
inline constexpr RecordField kEapMethod{302, 1};   // '0' none
inline constexpr RecordField kEapId{303, 66};
inline constexpr RecordField kEapPassword{369, 64};
inline constexpr RecordField kCaCertificate{433, 66};
inline constexpr RecordField kClientCertificate{499, 66};
inline constexpr RecordField kPrivateKey{565, 66};
inline constexpr RecordField kFastProvisioning{631, 1};
inline constexpr RecordField kFastMaxServers{632, 3};
inline constexpr RecordField kLpdEnable{635, 1};
inline constexpr RecordField kLpdQueue{636, 34};  // text, CR LF, spaces; a space first: no LPD
inline constexpr RecordField kChannel3{670, 3};   // right-aligned channel number
inline constexpr RecordField kBand{673, 1};
inline constexpr RecordField kCountry{674, 2};
inline constexpr RecordField kLastByte{1012, 1};
}  // namespace field

// The WEP key field of key 1..4 (any other number gives key 1's).
RecordField wepKeyField(int key);

using Octets = std::array<std::uint8_t, 4>;

class WifiSettingsRecord {
  public:
    static constexpr std::size_t kSize = 1013;

    // A record of spaces.
    WifiSettingsRecord();
    // The first kSize bytes; nothing when fewer are given.
    static std::optional<WifiSettingsRecord> fromBytes(std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // The field's bytes as they stand.
    std::string_view raw(RecordField f) const;
    // The field's text up to its first zero byte.
    std::string text(RecordField f) const;
    // The field's text up to its first CR, LF or zero byte (SSID, LPD queue name).
    std::string line(RecordField f) const;
    // The field's first character.
    char digit(RecordField f) const { return static_cast<char>(bytes_[f.offset]); }
    // The digit as a number, nothing when it is not '0'..'9'.
    std::optional<int> digitValue(RecordField f) const;
    // The field read as a decimal number (leading spaces skipped), nothing when it holds no digits.
    std::optional<int> decimal(RecordField f) const;
    // The field read as hexadecimal digits, nothing when any is not one.
    std::optional<unsigned> hexNumber(RecordField f) const;
    // The four octets of an address field, nothing when it is not 8 hexadecimal digits.
    std::optional<Octets> address(RecordField f) const;
    // The MAC address's 12 characters upper-cased, as six pairs joined by ':'.
    std::string macText() const;

    // Writes `text` into the field, cut at the field's size, and fills the rest with `pad`.
    void setText(RecordField f, std::string_view text, char pad = '\0');
    // SSID and LPD queue name: the text (cut so that CR LF fits), CR LF, spaces.
    void setLine(RecordField f, std::string_view text);
    void setDigit(RecordField f, char c) { bytes_[f.offset] = static_cast<std::uint8_t>(c); }
    void setAddress(RecordField f, const Octets& octets);
    // Every byte of the field set to `value`.
    void fill(RecordField f, std::uint8_t value);

    bool operator==(const WifiSettingsRecord&) const = default;

  private:
    std::array<std::uint8_t, kSize> bytes_;
};

}  // namespace hollin::wifi
