#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "netcfg/device_record.h"
#include "wificodec/record_save.h"
#include "wificodec/wifi_record.h"

// The printers a network search found, and what the Wi-Fi window's form shows for one of them: pure
// functions from a record to the form's values, which the window then puts into its controls.
namespace hollin::wifi {

// The search result list of the Wi-Fi window. Binary-protocol printers come first, in ascending MAC
// order; text-frame printers follow as their answers arrive. Answers beyond the limits are dropped:
// 256 binary records (the search table), 200 list entries in all, so a search of 256 binary printers
// lists the first 200 by MAC.
struct FoundDeviceList {
    static constexpr std::size_t kMaxEntries = 200;
    static constexpr std::size_t kMaxFound = 256;
    enum Kind : int { kTextDevice = 0, kBinaryDevice = 1 };

    struct Entry {
        int kind = kBinaryDevice;
        std::size_t index = 0;                // into `found` (binary) or the window's record table (text)
        std::array<int, 4> keyFormats{};      // per WEP key: 0 HEX, 1 ASCII
        std::array<std::string, 4> keyTexts;  // the WEP key texts typed for this entry
    };
    std::vector<Entry> entries;
    std::vector<netcfg::DeviceRecord> found;
    int binaryCount = 0;
    int textCount = 0;

    void clear() { *this = FoundDeviceList(); }
    bool full() const { return entries.size() >= kMaxEntries; }
};

// The records of a search sorted by MAC (bytes compared unsigned), cut at the list's limits.
std::vector<netcfg::DeviceRecord> sortedByMac(std::vector<netcfg::DeviceRecord> records);
// "%02X:%02X:%02X:%02X:%02X:%02X".
std::string macListText(const netcfg::Mac& mac);

// Which fill of a binary record: after a search, or on choosing a list entry.
enum class FillVariant { Search, Selection };

// What the form shows for one network printer. Lists are refilled with their fixed entries; only the
// WPA cipher list differs.
struct NetworkFormValues {
    std::vector<std::string> wpaCipherItems;
    Octets ip{}, netmask{}, gateway{}, dns{};
    std::optional<std::string> mac;  // nothing: the MAC field keeps its text
    std::string ssid, wpaKey, tcpPort;
    int mode = 0, channel = 0, encryption = 0, authentication = 0, keyInUse = 0;
    int wpaAuthentication = 0, wpaCipher = 0;
    std::array<std::string, 4> keys;
    std::array<int, 4> keyFormats{};
    std::array<int, 4> keyLimits{26, 26, 26, 26};
    bool keyEditsEnabled = false;  // the key in use's edit and format list
    bool keyInUseEnabled = false, wpaAuthEnabled = false, wpaKeyEnabled = false;
    std::optional<bool> wpaCipherEnabled;  // nothing: left as it is
    bool dhcp = false;
    std::optional<bool> dhcpShown;   // shown and enabled alike
    std::optional<bool> resetShown;  // shown and enabled alike
};

// How many characters a WEP key edit takes: WEP64 10 hexadecimal digits or 5 characters, WEP128 26
// or 13; 26 for any other encryption.
int wepKeyLimit(int encryption, int format);
// Key `key` (0..3) of a binary printer as its edit shows it, from the slot set of `encryption` (1:
// 40-bit, 2: 104-bit; any other: nothing): hexadecimal text for "HEX" (format 0), the characters up to
// the first zero byte for "ASCII" (1).
std::string deviceKeyText(const netcfg::DeviceRecord& record, int key, int encryption, int format);
// Key `key` (0..3) of a text printer's record as its edit shows it: the hexadecimal text as stored for
// "HEX", the characters it encodes for "ASCII".
std::string textKeyText(const WifiSettingsRecord& record, int key, int format);

NetworkFormValues formFromDeviceRecord(const netcfg::DeviceRecord& record, FillVariant variant,
                                       const std::array<int, 4>& keyFormats);
NetworkFormValues formFromTextRecord(const WifiSettingsRecord& record, const std::array<int, 4>& keyFormats);

// The form's values as a save takes them (what the window would read back from its controls after
// showing `values`), for a save without a window.
RecordForm recordFormOf(const NetworkFormValues& values);

}  // namespace hollin::wifi
