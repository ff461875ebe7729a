#pragma once

#include <string_view>
#include <vector>

#include "common/text_twin.h"
#include "ui/window.h"
#include "wificodec/wifi_record.h"

namespace hollin::wifi {

class CWiFiSettings;
struct WifiWindowDeps;

// The Wi-Fi window's bands and channels: the 5 GHz channels a QUATECH module offers in adhoc mode,
// and an INC module's band, country and country channel lists. It keeps the module's record in step
// with the lists; the window hands it their notifications.
class BandChannels {
  public:
    explicit BandChannels(CWiFiSettings& window);
    BandChannels(const BandChannels&) = delete;
    BandChannels& operator=(const BandChannels&) = delete;

    // An INC module with the 5 GHz band (generation digit above '2').
    bool incFiveGhz() const;
    void onFiveGhzOption();
    void fillChannelsForFiveGhzOption();
    void onBandChanged();
    void applyBandSwitch();
    void applyBand(bool fiveGhz);
    void fillCountryChannels(int row, int wanted);
    void onCountryChanged();
    // INC with the 5 GHz band: the band, country and channel controls as the record has them.
    void showIncFiveGhz();
    // INC with the 5 GHz band: the band follows the record's channel, then the band switch.
    void selectBandByChannel();

  private:
    // What the window shares with its band and channel lists.
    ui::DialogView& view();
    bool editsModuleRecord() const;
    void selectIndex(ui::ControlId list, int index);
    WifiSettingsRecord& currentRecord();
    void showMessage(const TextTwin& text, const TextTwin& caption);

    CWiFiSettings& window_;
    WifiWindowDeps& deps_;
    std::vector<WifiSettingsRecord>& records_;
    WifiSettingsRecord& working_;
    int& channelNumber_;
    const int& fiveGhzChannel_;
    int& shownEncryption_;
};

}  // namespace hollin::wifi
