// A QUATECH, INC or unrecognised module on the Wi-Fi window's link: Get Wi-Fi Information and the
// form fill from its record, and Save Wi-Fi Information folding the form back into it.
#include <algorithm>
#include <string>

#include "ui/list_fill.h"
#include "ui/status_window.h"
#include "wifi/module_form_entries.h"
#include "wifi/record_module.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"
#include "wificodec/wifi_bands.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr TextTwin kReadingError = {"Reading Error!!!", "읽어오기 실패!!!"};
constexpr TextTwin kSavingError = {"Saving Error!!!", "저장 실패!!!"};

constexpr std::string_view kRecordModes[] = {"adhoc", "infrastructure"};
constexpr std::string_view kIncModes[] = {"adhoc", "infrastructure", "SoftAP"};

int digitOr(const WifiSettingsRecord& r, RecordField f, int otherwise) {
    return r.digitValue(f).value_or(otherwise);
}

}  // namespace

RecordModule::RecordModule(CWiFiSettings& window)
    : window_(window),
      deps_(window.deps_),
      exchange_(window.exchange_),
      security_(window.security_),
      bands_(window.bands_),
      messageLanguage_(window.messageLanguage_),
      working_(window.working_),
      heldRecord_(window.heldRecord_),
      enterprise_(window.enterprise_),
      wepKeyTyped_(window.wepKeyTyped_),
      storedWpaKey_(window.storedWpaKey_),
      wpaKeyEdited_(window.wpaKeyEdited_),
      wpaKeyMask_(window.wpaKeyMask_),
      tcpPort_(window.tcpPort_),
      channelNumber_(window.channelNumber_),
      fiveGhzChannel_(window.fiveGhzChannel_),
      shownEncryption_(window.shownEncryption_) {}

ui::DialogView& RecordModule::view() {
    return window_.view();
}

ui::Desktop& RecordModule::desktop() {
    return window_.desktop();
}

WifiSettingsRecord& RecordModule::currentRecord() {
    return window_.currentRecord();
}

void RecordModule::beginEdit() {
    window_.beginEdit();
}

void RecordModule::selectIndex(ControlId list, int index) {
    window_.selectIndex(list, index);
}

void RecordModule::showWpaKeyText(std::string_view text) {
    window_.showWpaKeyText(text);
}

void RecordModule::showReadCompleted() {
    window_.showReadCompleted();
}

void RecordModule::showMessage(const TextTwin& text, const TextTwin& caption) {
    window_.showMessage(text, caption);
}

RecordForm RecordModule::formBasics() {
    return window_.formBasics();
}

void RecordModule::closePort() {
    window_.closePort();
}

// --- Get Wi-Fi Information: the whole record in one frame.

void RecordModule::readRecord() {
    ui::DialogView& v = view();
    const RecordReadResult result =
        readModuleRecord(exchange_, [&v](int percent) { v.setProgress(kProgress, percent); });
    if (!result.record) {
        const TextTwin& text = result.outcome == ModuleOutcome::BadReply ? kSyntaxError : kReadingError;
        v.messageBox(pickText(text, messageLanguage_), "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        v.setProgress(kProgress, 0);
        return;
    }
    v.setProgress(kProgress, 100);
    const ModuleKind kind = deps_.program.moduleKind;
    takeRecord(*result.record, false);
    fillFormFromRecord();
    showReadCompleted();

    for (ControlId id : {kSsid, kIp, kNetmask, kGateway, kDns, kModeList, kChannelList, kEncryptionList,
                         kAuthenticationList})
        v.enable(id, true);
    security_.applyKeyFieldRule(v.selection(kEncryptionList), v.selection(kKeyInUseList));
    v.enable(kGetInfo, false);
    for (ControlId id : {kSaveInfo, kDhcp, kTcpPort})
        v.enable(id, true);
    v.enable(kReset, false);
    v.show(kEnterprise, true);
    const bool resettable = kind == kModuleQuatech || kind == kModuleInc;
    v.enable(kReset, resettable);
    v.show(kReset, resettable);

    const char mode = currentRecord().digit(field::kMode);
    if (mode == '0') {
        v.enable(kDhcp, false);
        v.enable(kDns, false);
        v.setChecked(kDhcp, false);
    } else if (mode == '2') {
        for (ControlId id : {kIp, kNetmask, kGateway, kDns, kDhcp})
            v.enable(id, false);
        v.setChecked(kDhcp, true);
    }
    // An INC module with the 5 GHz band chooses its band from the channel.
    if (bands_.incFiveGhz())
        bands_.selectBandByChannel();
    v.setProgress(kProgress, 0);
}

void RecordModule::takeRecord(const WifiSettingsRecord& record, bool saved) {
    const ModuleKind kind = deps_.program.moduleKind;
    heldRecord_ = record;
    currentRecord() = record;
    enterprise_ = enterpriseTextsOf(record);
    // The write-only keys stay in the held copy; the form shows them empty (after a read in Korean,
    // it shows them).
    if ((kind == kModuleQuatech || kind == kModuleOther) && (saved || messageLanguage_ != kLanguageKorean)) {
        for (int k = 1; k <= 4; ++k)
            currentRecord().fill(wepKeyField(k), 0);
        currentRecord().fill(field::kWpaKey, 0);
    }
}

void RecordModule::fillFormFromRecord() {
    const CWiFiSettings::QuietEdits quiet(window_);
    fillForm();
}

void RecordModule::fillForm() {
    ui::DialogView& v = view();
    const ModuleKind kind = deps_.program.moduleKind;
    const bool inc = kind == kModuleInc, quatech = kind == kModuleQuatech;

    // Step 2: the lists.
    for (ControlId id :
         {kModeList, kChannelList, kEncryptionList, kAuthenticationList, kKeyInUseList, kKeyType1, kKeyType2,
          kKeyType3, kKeyType4, kWpaEncList, kWpaAuthList, kBandList, kCountryList})
        v.clearItems(id);
    ui::fillList(v, kModeList, inc ? Entries(kIncModes) : Entries(kRecordModes), -1);
    ui::fillList(v, kAuthenticationList, kAuthentications, -1);
    ui::fillList(v, kEncryptionList, kEncryptions, -1);
    ui::fillNumberList(v, kChannelList, 1, 14);
    for (const KeyControls& key : kKeys)
        ui::fillList(v, key.type, kKeyTypes, -1);
    ui::fillList(
        v, kKeyInUseList,
        messageLanguage_ == kLanguageKorean ? Entries(kKeyInUseNamesKorean) : Entries(kKeyInUseNames), -1);
    ui::fillList(v, kWpaEncList, kTkipAes, -1);
    if (inc)
        v.addItem(kWpaEncList, "AUTO");
    else if (quatech)
        v.addItem(kWpaEncList, "TKIP+AES");

    // Steps 3 and 4.
    for (const KeyControls& key : kKeys)
        v.setText(key.edit, "");
    wepKeyTyped_ = {};
    beginEdit();
    if (inc) {
        for (int k = 1; k <= 4; ++k) {
            const std::string_view text = working_.raw(wepKeyField(k));
            if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; })) {
                working_.fill(wepKeyField(k), 0);
                currentRecord().fill(wepKeyField(k), 0);
            }
        }
    }
    const WifiSettingsRecord& r = working_;
    const bool eap = r.digit(field::kEapMethod) != '0';

    // Step 5: the WPA authentication list.
    v.clearItems(kWpaAuthList);
    if (quatech || inc) {
        v.addItem(kWpaAuthList, "WPA-PSK");
        v.addItem(kWpaAuthList, "WPA2-PSK");
        if (inc && !eap)
            v.addItem(kWpaAuthList, "AUTO");
    } else {
        for (std::string_view entry : {"None", "WPA-PSK", "WPA2-PSK"})
            v.addItem(kWpaAuthList, entry);
    }
    if (eap) {
        v.addItem(kWpaAuthList, "WPA-ENT");
        v.addItem(kWpaAuthList, "WPA2-ENT");
    }

    // Step 6: MAC, SSID and the addresses.
    v.setText(kMac, r.macText());
    v.setText(kSsid, r.line(field::kSsid));
    const std::pair<ControlId, RecordField> addresses[] = {
        {kIp, field::kIp}, {kNetmask, field::kSubnet}, {kGateway, field::kGateway}, {kDns, field::kDns}};
    for (const auto& [id, f] : addresses) {
        if (const auto octets = r.address(f))
            v.setAddress(id, *octets);
        else
            v.clearAddress(id);
    }

    // Step 7: the digits.
    const int mode = digitOr(r, field::kMode, -1);
    const int channel = r.decimal(field::kChannel).value_or(-1);
    const int encryption = digitOr(r, field::kEncryption, -1);
    const int authentication = digitOr(r, field::kAuthentication, -1);
    const int wpaType = digitOr(r, field::kWpa, -1);
    const int wpaCipher = digitOr(r, field::kWpaEnc, -1);
    const char useKey = r.digit(field::kUseKey);
    if (useKey < '1' || useKey > '4')
        working_.setDigit(field::kUseKey, '1');
    const int keyInUse = working_.digit(field::kUseKey) - '1';
    for (int k = 0; k < 4; ++k)
        v.setText(kKeys[k].edit, r.text(wepKeyField(k + 1)));

    // Step 8: the personal types' cipher lists; the enterprise types keep the three entries.
    if (quatech && eap && wpaType >= 0 && wpaType <= 2)
        ui::fillList(v, kWpaEncList, wpaType == 2 ? Entries(kAesTkipAes) : Entries(kTkipAes), -1);

    // Step 9: the WPA key shows as asterisks; the TCP port is hexadecimal in the record.
    storedWpaKey_ = r.text(field::kWpaKey);
    showWpaKeyText(std::string(storedWpaKey_.size(), '*'));
    wpaKeyEdited_ = false;
    wpaKeyMask_ = MaskedEdit::Mask;
    tcpPort_ = static_cast<int>(r.hexNumber(field::kTcpPort).value_or(0));

    // Step 10: the selections.
    selectIndex(kModeList, mode);
    selectIndex(kChannelList, inc && channel == 0 ? 0 : channel - 1);
    v.setTextLimit(kSsid, 32);
    selectIndex(kAuthenticationList, authentication);
    for (int k = 0; k < 4; ++k)
        selectIndex(kKeys[k].type, security_.keyType(k));
    selectIndex(kKeyInUseList, keyInUse);
    v.enable(kKeyInUseList, encryption == 1 || encryption == 2);

    // Step 11: the WPA authentication follows the WPA type; with an EAP method the enterprise types
    // 3 and 4 select their own entries, as the Enterprise window's Accept does.
    const int authIndex = (quatech || inc) ? (wpaType == 2                   ? 1
                                              : wpaType == 0 || wpaType == 1 ? 0
                                              : eap && wpaType <= 4          ? wpaType - 1
                                                                             : -1)
                                           : wpaType;
    selectIndex(kWpaAuthList, authIndex);
    v.enable(kWpaEncList, wpaType > 0);
    selectIndex(kWpaEncList, wpaCipher);

    // Step 12: a WPA type makes the encryption "WPA".
    int shown = encryption;
    if (!eap)
        shown = wpaType > 0 ? 3 : encryption;
    else if (encryption != 4 && wpaType > 0)
        shown = 3;
    shownEncryption_ = shown;
    selectIndex(kEncryptionList, shown);

    // Step 13.
    v.enable(kDhcp, true);
    v.show(kDhcp, true);
    v.setChecked(kDhcp, r.digit(field::kDhcp) == '1');

    // Step 14: LPD and the 5 GHz check.
    const bool lpd = r.digit(field::kLpdQueue) != ' ' && !inc;
    for (ControlId id : {kLpdEnable, kLpdQueueLabel, kLpdQueue, kFiveGhz})
        v.show(id, lpd);
    if (lpd) {
        const std::string queue = r.line(field::kLpdQueue);
        v.setText(kLpdQueue, queue.substr(0, queue.find(' ')));
        v.show(kFiveGhz, mode == 0);
        v.setChecked(kLpdEnable, r.digit(field::kLpdEnable) == '1');
        const int channel3 = r.decimal(field::kChannel3).value_or(0);
        channelNumber_ = channel3;
        if (channel3 >= 36)
            fiveGhzChannel_ = channel3;
        if (channel3 < 36) {
            v.setChecked(kFiveGhz, false);
        } else {
            v.setChecked(kFiveGhz, true);
            v.clearItems(kChannelList);
            int selected = -1;
            for (int c : fiveGhzOptionChannels()) {
                const int index = v.addItem(kChannelList, std::to_string(c));
                if (c == channel3)
                    selected = index;
            }
            v.setSelection(kChannelList, selected);
        }
    }

    // Step 15.
    for (ControlId id : {kSsid, kIp, kNetmask, kGateway, kDns, kModeList, kChannelList, kEncryptionList,
                         kAuthenticationList})
        v.enable(id, true);
    v.enable(kKeyInUseList, v.selection(kEncryptionList) > 0);
    security_.applyKeyFieldRule(v.selection(kEncryptionList), v.selection(kKeyInUseList));
    for (ControlId id : {kGetInfo, kSaveInfo, kReset})
        v.enable(id, false);
    security_.applyEncryptionEnabling(v.selection(kEncryptionList));
    v.enable(kDhcp, true);
    v.enable(kTcpPort, true);

    // Step 16.
    if (inc) {
        if (mode == 0) {
            for (ControlId id : {kWpaAuthList, kWpaEncList, kWpaKey})
                v.enable(id, false);
        } else if (mode == 1 || mode == 2) {
            v.enable(kWpaAuthList, mode == 2);
            v.enable(kWpaEncList, false);
            v.enable(kWpaKey, true);
        }
    }

    // Step 17: the band. An INC module's 5 GHz band and countries are shown by the band switch.
    const char band = r.digit(field::kBand);
    if (quatech) {
        ui::fillList(v, kBandList, kQuatechBandNames, band == '1' ? 1 : band == '2' ? 2 : 0);
        for (ControlId id : {kBandLabel, kBandList}) {
            v.show(id, true);
            v.enable(id, true);
        }
    } else if (inc) {
        ui::fillList(v, kBandList, kIncBandNames, band == kIncBand5 ? 1 : 0);
        channelNumber_ = r.decimal(field::kChannel3).value_or(0);
        if (bands_.incFiveGhz())
            bands_.showIncFiveGhz();
    }

    // Step 18: QUATECH's cipher list by the raw WPA digit.
    if (quatech) {
        const char wpa = r.digit(field::kWpa);
        if (wpa == '0') {
            ui::fillList(v, kWpaEncList, kTkipAes, 0);
            v.enable(kWpaEncList, false);
        } else if (wpa == '2') {
            const char enc = r.digit(field::kWpaEnc);
            ui::fillList(v, kWpaEncList, kAesTkipAes, enc == '2' ? 1 : 0);
            v.enable(kWpaEncList, true);
        }
    }

    // Step 19.
    v.setText(kTcpPort, std::to_string(tcpPort_));
}

// --- Save Wi-Fi Information: the form folded into the record, sent whole.

RecordForm RecordModule::recordForm() {
    ui::DialogView& v = view();
    const ModuleKind kind = deps_.program.moduleKind;
    RecordForm form = formBasics();
    form.lpd = currentRecord().digit(field::kLpdQueue) != ' ' && kind != kModuleInc;
    const std::string channelText =
        form.channel >= 0 ? v.itemText(kChannelList, form.channel) : std::string();
    if (form.lpd && v.isChecked(kFiveGhz))
        form.fiveGhzChannel = channelText;
    form.keyTypes = deps_.program.keyTypes;
    form.keyTyped = wepKeyTyped_;
    form.wpaKeyEdited = wpaKeyEdited_;
    form.wpaKeyMaskEdited = wpaKeyMask_ == MaskedEdit::PartlyEdited;
    form.wpaKey = wpaKeyEdited_ ? v.text(kWpaKey) : std::string();
    form.lpdEnable = v.isChecked(kLpdEnable);
    form.lpdQueue = v.text(kLpdQueue);
    form.channelText = channelText;
    form.enterprise = enterprise_;
    if (kind == kModuleQuatech)
        form.band = v.selection(kBandList);
    if (bands_.incFiveGhz()) {
        RecordForm::IncBand band;
        band.band = v.selection(kBandList);
        const int row = v.selection(kCountryList);
        if (row >= 0 && row < static_cast<int>(countries().size()))
            band.country = countries()[static_cast<std::size_t>(row)].code;
        const int mode = form.mode;
        const int countryChannel = v.selection(kCountryChannelList);
        band.channelText = band.band == 1 && (mode == 1 || mode == 2)
                               ? (countryChannel >= 0 ? v.itemText(kCountryChannelList, countryChannel) : "")
                               : channelText;
        form.incBand = band;
    }
    return form;
}

void RecordModule::saveRecord() {
    ui::DialogView& v = view();
    const RecordForm form = recordForm();
    const RecordSaveResult saved = saveModuleRecord(exchange_, currentRecord(), form,
                                                    deps_.program.moduleKind, heldRecord_, [&v](int percent) {
                                                        v.setProgress(kProgress, percent);
                                                        v.repaint();
                                                    });
    if (saved.refusal) {
        showMessage(saveRefusalText(*saved.refusal), kCheckCaption);
        return;
    }
    tcpPort_ = static_cast<int>(form.tcpPort);
    const RecordReadResult& result = saved.written;
    if (!result.record) {
        const TextTwin& text = result.outcome == ModuleOutcome::BadReply ? kSyntaxError : kSavingError;
        v.messageBox(pickText(text, messageLanguage_), "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    takeRecord(*result.record, true);
    fillFormFromRecord();
    v.setProgress(kProgress, 0);
    ui::StatusWindow status(ui::StatusWindow::kWifiSaved, deps_.clock, deps_.progress, &view());
    desktop().runModal(status, &window_);
    if (bands_.incFiveGhz())
        bands_.selectBandByChannel();
    closePort();
}

}  // namespace hollin::wifi
