#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "netprinters/network_form.h"
#include "ui/window.h"
#include "wificodec/record_save.h"
#include "wificodec/sollae_settings.h"
#include "wificodec/wifi_record.h"

namespace hollin::wifi {

class CWiFiSettings;
class NetworkMode;
struct WifiWindowDeps;

// The Wi-Fi window's wireless security fields of the module on its link: encryption, key in use, the
// WEP keys' formats and limits, WPA authentication and the WPA key with its mask. It works on the
// window's form and record; in network mode it hands the fields' changes to the network mode.
class ModuleSecurity {
  public:
    explicit ModuleSecurity(CWiFiSettings& window);
    ModuleSecurity(const ModuleSecurity&) = delete;
    ModuleSecurity& operator=(const ModuleSecurity&) = delete;

    void applyKeyFieldRule(int encryption, int keyInUse);
    void applyEncryptionEnabling(int encryption);
    void applyIncMode(int encryption);
    void setKeyLimits(int encryption);
    // A WEP key's format: the selected printer's in network mode, else the module's.
    int keyType(int key);
    int eapDigit() const;
    void onEncryptionChanged();
    void onKeyInUseChanged();
    void onKeyTypeChanged(int key);
    void onWpaAuthChanged();
    void onWpaKeyChanged();
    void resetWpaLists();

  private:
    // What the window shares with its security fields.
    ui::DialogView& view();
    void selectIndex(ui::ControlId list, int index);
    FoundDeviceList::Entry* selectedFoundEntry();
    void beginEdit();
    void commitWorking();

    CWiFiSettings& window_;
    WifiWindowDeps& deps_;
    NetworkMode& network_;
    std::vector<WifiSettingsRecord>& records_;
    WifiSettingsRecord& working_;
    SollaeSettings& sollae_;
    const bool& networkMode_;
    const int& moduleGeneration_;
    int& shownEncryption_;
    const bool& settingWpaKey_;
    MaskedEdit& wpaKeyMask_;
    const std::string& storedWpaKey_;
    std::string& wpaKeyText_;
    bool& wpaKeyEdited_;
};

}  // namespace hollin::wifi
