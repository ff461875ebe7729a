// The Wi-Fi window's band and channel lists: QUATECH's 5 GHz channels, INC's band and countries.
#include <string>

#include "ui/list_fill.h"
#include "wifi/band_channels.h"
#include "wifi/module_form_entries.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"
#include "wificodec/wifi_bands.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr TextTwin kFiveGhzEncryption = {"Only WPA and None are supported for Encryption of 5GHz",
                                         "5GHz(암호화)는 none과 WPA만 지원합니다."};
constexpr int kBand24 = 0, kBand5 = 1;
constexpr ControlId kFiveGhzGroupControls[] = {kFiveGhzGroup, kCountryLabel, kCountryList,
                                               kCountryChannelLabel, kCountryChannelList};

}  // namespace

BandChannels::BandChannels(CWiFiSettings& window)
    : window_(window),
      deps_(window.deps_),
      records_(window.records_),
      working_(window.working_),
      channelNumber_(window.channelNumber_),
      fiveGhzChannel_(window.fiveGhzChannel_),
      shownEncryption_(window.shownEncryption_) {}

ui::DialogView& BandChannels::view() {
    return window_.view();
}

bool BandChannels::editsModuleRecord() const {
    return window_.editsModuleRecord();
}

void BandChannels::selectIndex(ControlId list, int index) {
    window_.selectIndex(list, index);
}

WifiSettingsRecord& BandChannels::currentRecord() {
    return window_.currentRecord();
}

void BandChannels::showMessage(const TextTwin& text, const TextTwin& caption) {
    window_.showMessage(text, caption);
}

bool BandChannels::incFiveGhz() const {
    return deps_.program.moduleKind == kModuleInc && records_[0].digit(field::kGeneration) > '2';
}

// --- the 5 GHz channels of a QUATECH module in adhoc mode

void BandChannels::onFiveGhzOption() {
    if (editsModuleRecord() && deps_.program.moduleKind == kModuleQuatech)
        fillChannelsForFiveGhzOption();
}

void BandChannels::fillChannelsForFiveGhzOption() {
    ui::DialogView& v = view();
    if (v.isChecked(kFiveGhz)) {
        v.clearItems(kChannelList);
        int selected = -1;
        for (int c : fiveGhzOptionChannels()) {
            const int index = v.addItem(kChannelList, std::to_string(c));
            if (c == fiveGhzChannel_)
                selected = index;
        }
        v.setSelection(kChannelList, selected);
        return;
    }
    ui::fillNumberList(v, kChannelList, 1, 14);
    selectIndex(kChannelList, currentRecord().decimal(field::kChannel).value_or(0) - 1);
}

// --- INC: band, country and country channel

void BandChannels::onBandChanged() {
    if (editsModuleRecord() && deps_.program.moduleKind == kModuleInc)
        applyBandSwitch();
}

// Also run while the form is filled: the record's digits are set in both copies.
void BandChannels::applyBandSwitch() {
    ui::DialogView& v = view();
    const int band = v.selection(kBandList);
    const int mode = v.selection(kModeList);
    if (band == kBand24) {
        applyBand(false);
    } else if (band == kBand5 && mode == kModeAdhoc) {
        // Adhoc stays on 2.4 GHz: the mode goes to infrastructure.
        applyBand(false);
        selectIndex(kModeList, kModeInfrastructure);
        working_.setDigit(field::kMode, '1');
        currentRecord().setDigit(field::kMode, '1');
    } else if (band == kBand5) {
        applyBand(true);
    }
}

void BandChannels::applyBand(bool fiveGhz) {
    ui::DialogView& v = view();
    for (ControlId id : {kCountryList, kCountryChannelList, kBandList, kChannelList, kEncryptionList})
        v.enable(id, true);
    if (!fiveGhz) {
        for (ControlId id : kFiveGhzGroupControls)
            v.show(id, false);
        ui::fillNumberList(v, kChannelList, 1, 14);
        v.setSelection(kChannelList, 0);
        return;
    }
    for (ControlId id : kFiveGhzGroupControls)
        v.show(id, true);
    v.clearItems(kCountryList);
    v.clearItems(kCountryChannelList);
    for (const Country& c : countries())
        v.addItem(kCountryList, c.name);
    const int row = countryRow(currentRecord().raw(field::kCountry));
    v.setSelection(kCountryList, row);
    if (row >= 0)
        fillCountryChannels(row, channelNumber_);
    const int band = v.selection(kBandList);
    const int mode = v.selection(kModeList);
    if (band == kBand24 && mode == kModeInfrastructure)
        v.enable(kCountryChannelList, false);
    if (band != kBand5)
        return;
    v.enable(kChannelList, false);
    if (mode == kModeAdhoc) {
        selectIndex(kBandList, kBand24);
        v.enable(kBandList, false);
        selectIndex(kEncryptionList, 0);
    } else if (mode == kModeSoftAp) {
        selectIndex(kCountryChannelList, row == kTaiwanRow ? 14 : 0);
        selectIndex(kEncryptionList, 3);
        shownEncryption_ = 3;
        showMessage(kFiveGhzEncryption, kNoCaption);
    }
}

void BandChannels::fillCountryChannels(int row, int wanted) {
    ui::DialogView& v = view();
    v.clearItems(kCountryChannelList);
    if (row < 0 || row >= static_cast<int>(countries().size()))
        return;
    int selected = 0;
    for (int c : countries()[static_cast<std::size_t>(row)].channels) {
        const int index = v.addItem(kCountryChannelList, std::to_string(c));
        if (c == wanted)
            selected = index;
    }
    v.setSelection(kCountryChannelList, selected);
}

void BandChannels::onCountryChanged() {
    if (editsModuleRecord())
        fillCountryChannels(view().selection(kCountryList), -1);
}

void BandChannels::showIncFiveGhz() {
    ui::DialogView& v = view();
    for (ControlId id : {kBandLabel, kBandList, kFiveGhzGroup, kCountryLabel, kCountryList,
                         kCountryChannelLabel, kCountryChannelList}) {
        v.show(id, true);
        v.enable(id, true);
    }
    const WifiSettingsRecord& r = currentRecord();
    selectIndex(kBandList, r.digit(field::kBand) == kIncBand5 ? kBand5 : kBand24);
    v.clearItems(kCountryList);
    for (const Country& c : countries())
        v.addItem(kCountryList, c.name);
    const int row = countryRow(r.raw(field::kCountry));
    v.setSelection(kCountryList, row);
    channelNumber_ = r.decimal(field::kChannel3).value_or(0);
    fillCountryChannels(row, channelNumber_);
    applyBandSwitch();
}

void BandChannels::selectBandByChannel() {
    const bool five = channelNumber_ > 29;
    selectIndex(kBandList, five ? kBand5 : kBand24);
    working_.setDigit(field::kBand, five ? kIncBand5 : kIncBand24);
    currentRecord().setDigit(field::kBand, five ? kIncBand5 : kIncBand24);
    applyBandSwitch();
}

}  // namespace hollin::wifi
