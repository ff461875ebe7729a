#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_twin.h"
#include "ui/window.h"
#include "wifi/module_exchange.h"
#include "wifi/module_operations.h"
#include "wificodec/enterprise_rules.h"
#include "wificodec/record_save.h"
#include "wificodec/wifi_record.h"

namespace hollin::wifi {

class BandChannels;
class CWiFiSettings;
class ModuleSecurity;
struct WifiWindowDeps;

// The Wi-Fi window's flow for a QUATECH, INC or unrecognised module on its link: Get Wi-Fi
// Information reads the whole record in one frame and fills the form from it; Save Wi-Fi Information
// folds the form into the record and sends it whole.
class RecordModule {
  public:
    explicit RecordModule(CWiFiSettings& window);
    RecordModule(const RecordModule&) = delete;
    RecordModule& operator=(const RecordModule&) = delete;

    void readRecord();
    void saveRecord();
    // Fills the form from the current record.
    void fillFormFromRecord();

  private:
    void fillForm();
    // The module's record as received (read, or `saved`) becomes the held and the current record.
    void takeRecord(const WifiSettingsRecord& record, bool saved);
    RecordForm recordForm();

    // What the window shares with its record flow.
    ui::DialogView& view();
    ui::Desktop& desktop();
    WifiSettingsRecord& currentRecord();
    void beginEdit();
    void selectIndex(ui::ControlId list, int index);
    void showWpaKeyText(std::string_view text);
    void showReadCompleted();
    void showMessage(const TextTwin& text, const TextTwin& caption);
    RecordForm formBasics();
    void closePort();

    CWiFiSettings& window_;
    WifiWindowDeps& deps_;
    ModuleExchange& exchange_;
    ModuleSecurity& security_;
    BandChannels& bands_;
    const int& messageLanguage_;
    WifiSettingsRecord& working_;
    std::optional<WifiSettingsRecord>& heldRecord_;
    EnterpriseTexts& enterprise_;
    std::array<bool, 4>& wepKeyTyped_;
    std::string& storedWpaKey_;
    bool& wpaKeyEdited_;
    MaskedEdit& wpaKeyMask_;
    int& tcpPort_;
    int& channelNumber_;
    int& fiveGhzChannel_;
    int& shownEncryption_;
};

}  // namespace hollin::wifi
