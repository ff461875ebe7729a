#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_twin.h"
#include "netcfg/device_record.h"
#include "netcfg/exchange.h"
#include "netcfg/udp_text_socket.h"
#include "wificodec/record_save.h"
#include "wificodec/sollae_save.h"
#include "wificodec/wifi_record.h"

// Saving the form to a printer found on the network: the binary-protocol write and the text-frame
// save, as operations over the form's values (a RecordForm) that show nothing. The Wi-Fi window and
// the command line are their faces.
namespace hollin::wifi {

inline constexpr std::string_view kWrongLocalAddress = "Wrong Local IP address.";
inline constexpr std::string_view kKeyCheckCaption = "Error";

// The bytes a WEP key text stands for in a binary record's key slot of `size` bytes (5 or 13):
// "HEX" (format 0) packs every pair of hexadecimal digits, dropping any other character; "ASCII"
// (format 1) takes the characters as they are. Cut at the slot, the rest zero.
std::vector<std::uint8_t> packWepKey(std::string_view text, int format, std::size_t size);
// Writes key `key` (0..3) of the slot set the encryption selects (1: 40-bit, 2: 104-bit); any other
// encryption writes nothing.
void storeWepKey(netcfg::DeviceRecord& record, int key, int encryption, std::string_view text, int format);

// The Wi-Fi word of a binary record with the form's mode, channel, encryption, authentication, key in
// use and WPA selections; the bits the form does not show stay.
std::uint32_t wifiWordFor(std::uint32_t word, const RecordForm& form);
// The entry's record with the form folded in: addresses, SSID, TCP port (channel 0's local port), the
// pass phrase, the Wi-Fi word, DHCP (option bits 3 and 5) and the WEP keys typed (an empty key text
// leaves the key as it was).
netcfg::DeviceRecord foldDeviceRecord(const netcfg::DeviceRecord& entry, const RecordForm& form);
// One debug line per setting of a binary save; keys appear only as "<hidden, N characters>".
std::vector<std::string> binarySaveTrace(const netcfg::DeviceRecord& record, const RecordForm& form);

struct NetworkSaveResult {
    enum Outcome {
        Saved,           // the printer took it (text: confirmed it; prepareTextSave: the record is ready)
        PortOutOfRange,  // the TCP port is outside 0..65535: nothing sent
        WrongAddress,    // the address check refused the IP address and netmask: nothing sent
        KeyRefused,      // a key of the wrong length (text printers): nothing sent; see `message`
        WriteFailed,     // the write ran and failed: `code` is the write's result code or errno
        AwaitingAnswer,  // text: the record was sent; the printer's confirmation is awaited
        NoAnswer,        // text: the printer did not confirm the save within the wait
        SocketFailed,    // text: the socket could not be made or send (`code` errno, `message` why)
    };
    Outcome outcome = Saved;
    int code = 0;
    std::string message;  // KeyRefused: "Key1 Length is not matched" and the like
};

// The binary save: the form folded into a copy of `entry`, checked, written with `password` by an
// exchange of `kind`; on success `entry` becomes the printer's answer, otherwise it stays as it was.
NetworkSaveResult saveBinaryPrinter(netcfg::NetworkContext& context, int kind, netcfg::DeviceRecord& entry,
                                    const RecordForm& form, const std::array<std::uint8_t, 10>& password);

// The message of a write's result code (the English text in both languages where no twin exists);
// an errno value gives "Invalid Error Code [%d]".
std::string networkErrorText(int code, int language);

// The key in use of a WEP encryption and the WPA key, as a text printer takes them; the message and
// nothing when they fit.
std::optional<std::string> checkTextSaveKeys(const RecordForm& form);
// The record a text save sends: the entry's own record (so that what the form does not show keeps the
// printer's values) with the form's values written over it.
WifiSettingsRecord textSaveRecord(const WifiSettingsRecord& entry, const RecordForm& form);
// The checks, then the record to send in `out`.
NetworkSaveResult prepareTextSave(const WifiSettingsRecord& entry, const RecordForm& form,
                                  WifiSettingsRecord& out);
// The debug lines of a saved record read back, field by field; keys hidden.
std::vector<std::string> textRecordTrace(const WifiSettingsRecord& record);

// A MAC text as twelve upper-case hexadecimal digits ("00:1a:2b:3c:4d:5e", "001A2B3C4D5E"); nothing
// unless it is six two-digit parts, with colons or without.
std::optional<std::string> macDigits(std::string_view text);

// How a secret appears on the debug stream.
std::string hiddenText(std::string_view secret);

}  // namespace hollin::wifi
