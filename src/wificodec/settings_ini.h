#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wificodec/wifi_record.h"

// The settings export file: section "WiFiInfo" of an INI file another tool reads. Pure: the values
// the form gives, and the file's text with them written in.
namespace hollin::wifi {

inline constexpr std::string_view kExportSection = "WiFiInfo";
inline constexpr std::string_view kExportFileName = "DU_RUVI.ini";

struct IniEntry {
    std::string key;
    std::string value;
};

// What the form shows when the window closes. A list without a selection is -1.
struct IniForm {
    std::string version;  // the module record's first two characters
    std::string mac;      // the MAC edit
    std::string ssid;
    bool dhcp = false;
    std::array<std::optional<Octets>, 4> addresses;  // IP, netmask, gateway, DNS; nothing: blank
    int mode = -1, channel = -1, encryption = -1, authentication = -1, keyInUse = -1;
    std::string keyText;  // the key in use's edit
    int keyType = 0;      // its format: 0 HEX, 1 ASCII
    int wpaAuthentication = -1, wpaCipher = -1;
    std::string wpaKey;
    std::string tcpPortField;  // the record's four hexadecimal digits
};

// Why an export ended early (after USEKEY).
enum class IniStop { None, KeyTooLong, KeyLengthNotMatched, WpaKeyTooLong };

struct IniExport {
    std::vector<IniEntry> entries;  // in the order they are written
    IniStop stop = IniStop::None;
};

// The keys and values, in order, as far as the key rules let the export go.
IniExport iniExportOf(const IniForm& form);

// `text` with every entry written into `section`: a key already there (names compared ignoring ASCII
// case, as the profile writer does) gets its value replaced in place; a new key goes after the
// section's last entry; a missing section is added at the end. Every other byte stays as it was;
// new lines take the file's own line ending. CR and LF are dropped from values.
std::string updateIniText(std::string_view text, std::string_view section, std::span<const IniEntry> entries);

// Where the export file is kept, read and replaced: the adapter the program's main builds.
class SettingsFile {
  public:
    virtual ~SettingsFile() = default;
    // The file's text; nothing when it does not exist or cannot be read (the export never creates it).
    virtual std::optional<std::string> read() = 0;
    // Replaces the file's text in one step; false (the file as it was) when that fails.
    virtual bool replace(std::string_view text) = 0;
};

// The file on disk (settings_file_linux.cpp): `HOLLIN_EXPORT_INI` when set, else DU_RUVI.ini in the
// working directory. A replacement is written under a temporary name beside it, with the file's own
// permissions, and renamed over it.
std::unique_ptr<SettingsFile> makeSystemSettingsFile();
std::unique_ptr<SettingsFile> makeSystemSettingsFile(std::string path);

}  // namespace hollin::wifi
