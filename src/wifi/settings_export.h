#pragma once

#include <string>

#include "ui/window.h"
#include "wificodec/settings_ini.h"

namespace hollin::wifi {

class CWiFiSettings;
class ModuleSecurity;
struct WifiWindowDeps;

// The Wi-Fi window's settings export: when the window closes, the form's values go into the settings
// file's export section.
class SettingsExport {
  public:
    explicit SettingsExport(CWiFiSettings& window);
    SettingsExport(const SettingsExport&) = delete;
    SettingsExport& operator=(const SettingsExport&) = delete;

    void exportSettingsIni();

  private:
    IniForm iniForm();

    // What the window shares with its export.
    ui::DialogView& view();
    WifiSettingsRecord& currentRecord();
    void showMessage(const TextTwin& text, const TextTwin& caption);
    void trace(std::string_view text);

    CWiFiSettings& window_;
    WifiWindowDeps& deps_;
    ModuleSecurity& security_;
    const bool& networkMode_;
    const bool& wpaKeyEdited_;
    const std::string& storedWpaKey_;
};

}  // namespace hollin::wifi
