// Network mode of the Wi-Fi window: the printer search over both protocols, the choice of a found
// printer, its security fields and the network save.
#include <algorithm>
#include <charconv>

#include "netprinters/network_inventory.h"
#include "netprinters/network_printers.h"
#include "netprinters/network_save.h"
#include "netprinters/result_file.h"
#include "ui/list_fill.h"
#include "ui/status_window.h"
#include "wifi/network_mode.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;
using netcfg::DeviceRecord;
using ui::Progress;

namespace {

constexpr int kSearchingIcon = 153, kSearchIcon = 154;

constexpr std::string_view kModeNames[] = {"adhoc", "infrastructure"};
constexpr std::string_view kAuthenticationNames[] = {"None", "Open System", "Shared Key", "Both"};
constexpr std::string_view kEncryptionNames[] = {"None", "WEP64", "WEP128", "WPA", "802.1x"};
constexpr std::string_view kChannelNames[] = {"1", "2", "3",  "4",  "5",  "6",  "7",
                                              "8", "9", "10", "11", "12", "13", "14"};
constexpr std::string_view kKeyFormatNames[] = {"HEX", "ASCII"};
constexpr std::string_view kKeyInUseNames[] = {"KEY ID 1", "KEY ID 2", "KEY ID 3", "KEY ID 4"};
constexpr std::string_view kKeyInUseNamesKorean[] = {"키 ID 1", "키 ID 2", "키 ID 3", "키 ID 4"};
constexpr std::string_view kWpaAuthNames[] = {"None", "WPA-PSK", "WPA2-PSK"};

constexpr TextTwin kNetworkWpaHint = {"WPA Key is characters of 8 ~ 32 length.",
                                      "WPA 키는 8 ~ 32 문자입니다."};
constexpr std::string_view kSelectPrinter = "Select Printer before execute this function.";
constexpr std::string_view kResultNotCreated = ".\\result.out is not created !";
constexpr std::string_view kResultNotOpened = ".\\result.out is not opened !";
constexpr std::string_view kExportTitle = "Export printers";
constexpr std::string_view kExportSuggested = "printers.csv";
constexpr std::string_view kExportFilter = "CSV files (*.csv)";
constexpr std::string_view kNothingToExport = "Search for printers before exporting the list.";
constexpr std::string_view kExportFailed = "The list could not be written to ";

// The found printers' table: its column captions (the form's too), and a printer's cells.
const std::vector<std::string_view> kTableColumns = {"MAC", "IP", "Protocol", "Product", "SSID"};

std::vector<std::string> tableCells(const NetworkPrinter& printer) {
    InventoryRow row = inventoryRow(printer);
    return {std::move(row.mac), std::move(row.ip), std::move(row.protocol), std::move(row.product),
            std::move(row.ssid)};
}

constexpr ControlId kSerialLists[] = {kBaudList, kDataBitsList, kParityList, kStopBitsList, kFlowList};
constexpr ControlId kSerialLabels[] = {kBaudLabel, kDataBitsLabel, kParityLabel, kStopBitsLabel, kFlowLabel};
// What a found printer's form opens for editing.
// (The TCP port too: a binary save writes it as channel 0's local port.)
constexpr ControlId kNetworkFields[] = {
    kIp,     kNetmask, kGateway, kDns, kSsid, kModeList, kChannelList, kEncryptionList, kAuthenticationList,
    kTcpPort};

}  // namespace

NetworkMode::NetworkMode(CWiFiSettings& window)
    : window_(window), deps_(window.deps_), records_(window.records_) {}

NetworkMode::~NetworkMode() = default;

ui::DialogView& NetworkMode::view() {
    return window_.view();
}

ui::Desktop& NetworkMode::desktop() {
    return window_.desktop();
}

void NetworkMode::trace(std::string_view text) {
    window_.trace(text);
}

void NetworkMode::showMessage(const TextTwin& text, const TextTwin& caption) {
    window_.showMessage(text, caption);
}

// The port list's "Network" entry: no link of the window's own, the search and the found list instead.
void NetworkMode::applyNetworkPortRule() {
    ui::DialogView& v = view();
    for (std::size_t i = 0; i < std::size(kSerialLists); ++i) {
        v.enable(kSerialLists[i], false);
        v.show(kSerialLists[i], false);
        v.show(kSerialLabels[i], false);
    }
    for (ControlId id : {kSearch, kNetworkSave, kPrinterList, kExport})
        v.show(id, true);
    for (ControlId id : {kOpenPort, kGetInfo, kSaveInfo, kClosePort})
        v.enable(id, false);
    offerPrintQueue(std::nullopt);  // until a save
    window_.networkMode_ = true;
    v.setText(kWpaHint, pickText(kNetworkWpaHint, window_.messageLanguage_));
    v.show(kReset, false);
    v.show(kDhcp, false);
}

void NetworkMode::onTextSocketTimer() {
    if (search_ && search_->listening()) {
        for (const NetworkPrinter& printer : search_->poll())
            addTextDevice(*printer.text());
    } else if (save_ && !save_->acknowledged()) {
        // Another printer's answer says nothing about this save: the flag is only ever set.
        if (save_->poll())
            deps_.progress.set(Progress::SaveDone, 1);
    } else {
        view().stopTimer(kTextSocketTimerId);
    }
}

netcfg::NetworkContext NetworkMode::networkContext() {
    return netcfg::NetworkContext{.network = *deps_.network,
                                  .clock = deps_.clock,
                                  .stores = deps_.program.stores,
                                  .broadcast = deps_.broadcast,
                                  .keyConstant = deps_.networkKey,
                                  .debug = deps_.debugOutput};
}

// The text-frame socket of the last search or save goes before the next one opens.
void NetworkMode::dropTextSocket() {
    search_.reset();
    save_.reset();
    view().stopTimer(kTextSocketTimerId);
}

bool NetworkMode::textSocketOpen() const {
    return search_ && search_->listening();
}

bool NetworkMode::networkPresent() {
    if (deps_.network != nullptr)
        return true;
    view().messageBox("The network functions are off: no network", "", ui::MessageButtons::Ok,
                      ui::MessageIcon::None);
    return false;
}

// --- search

void NetworkMode::onSearch() {
    ui::DialogView& v = view();
    found_.clear();
    deps_.progress.set(Progress::FoundFirst, 0);
    deps_.progress.set(Progress::FoundSecond, 0);
    v.enable(kNetworkSave, false);
    v.setIcon(kSearch, kSearchingIcon);
    v.repaint();
    v.setWaitCursor(true);
    deps_.progress.set(Progress::SearchFlag, 0);

    endSearchStatus();
    searchStatus_ =
        std::make_unique<ui::StatusWindow>(ui::StatusWindow::kSearching, deps_.clock, deps_.progress, &v);
    desktop().openModeless(*searchStatus_, &window_);

    dropTextSocket();
    const auto stopEarly = [&] {
        // The status window stays, still searching, until the operator closes it.
        search_.reset();
        v.setIcon(kSearch, kSearchIcon);
        v.setWaitCursor(false);
    };
    if (!networkPresent())
        return stopEarly();
    search_ = std::make_unique<NetworkSearch>(networkContext());
    const NetworkSearchResult& result = search_->run(netcfg::kBroadcast);
    if (result.textFailure) {
        v.messageBox(result.textFailure->message, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return stopEarly();
    }
    if (result.error != 0)
        trace("search: the binary search could not run: " + std::to_string(result.error));
    v.clearItems(kPrinterList);
    std::vector<DeviceRecord> binary;
    for (const NetworkPrinter& printer : result.printers)
        if (const DeviceRecord* record = printer.binary())
            binary.push_back(*record);
    listBinaryDevices(binary);

    deps_.progress.set(Progress::SearchTime, deps_.clock.tickMs());
    v.setIcon(kSearch, kSearchIcon);
    v.setWaitCursor(false);
    deps_.progress.set(Progress::SearchFlag, 1);
    // The text printers that answered while the binary search ran, then the later ones as they come.
    for (const NetworkPrinter& printer : result.printers)
        if (const WifiSettingsRecord* record = printer.text())
            addTextDevice(*record);
    v.startTimer(kTextSocketTimerId, kTextSocketPeriodMs);
}

void NetworkMode::listBinaryDevices(const std::vector<DeviceRecord>& records) {
    ui::DialogView& v = view();
    found_.found = records;
    for (std::size_t i = 0; i < records.size() && !found_.full(); ++i) {
        v.addItem(kPrinterList, macListText(records[i].mac));
        found_.entries.push_back({FoundDeviceList::kBinaryDevice, i, {}, {}});
        showTableRow(found_.entries.size() - 1);
        ++found_.binaryCount;
    }
    deps_.progress.set(Progress::FoundFirst, static_cast<std::uint32_t>(found_.binaryCount));
    if (found_.binaryCount == 0)
        return;
    v.setText(kMac, macListText(records[0].mac));
    const NetworkFormValues values = formFromDeviceRecord(records[0], FillVariant::Search, {});
    applyNetworkForm(values);
    v.setSelection(kPrinterList, 0);
    for (ControlId id : kNetworkFields)
        v.enable(id, true);
    // "Using KEY ID" is a WEP choice: a WPA printer's form keeps it disabled.
    v.enable(kKeyInUseList, values.keyInUseEnabled);
    for (ControlId id : {kGetInfo, kSaveInfo, kReset})
        v.enable(id, false);
}

void NetworkMode::endSearchStatus() {
    if (searchStatus_ && searchStatus_->attached())
        searchStatus_->view().endDialog(ui::kResultCancel);
}

// --- the form of a found printer

void NetworkMode::applyNetworkForm(const NetworkFormValues& f) {
    // What the fill sets is the printer's, not the operator's typing.
    const CWiFiSettings::QuietEdits quiet(window_);
    ui::DialogView& v = view();
    ui::fillList(v, kModeList, kModeNames, f.mode);
    ui::fillList(v, kAuthenticationList, kAuthenticationNames, f.authentication);
    ui::fillList(v, kEncryptionList, kEncryptionNames, f.encryption);
    window_.shownEncryption_ = f.encryption;
    ui::fillList(v, kChannelList, kChannelNames, f.channel);
    ui::fillList(v, kKeyInUseList,
                 window_.messageLanguage_ == kLanguageKorean ? kKeyInUseNamesKorean : kKeyInUseNames,
                 f.keyInUse);
    ui::fillList(v, kWpaAuthList, kWpaAuthNames, f.wpaAuthentication);
    v.clearItems(kWpaEncList);
    for (const std::string& item : f.wpaCipherItems)
        v.addItem(kWpaEncList, item);
    v.setSelection(kWpaEncList, f.wpaCipher);
    v.setAddress(kIp, f.ip);
    v.setAddress(kNetmask, f.netmask);
    v.setAddress(kGateway, f.gateway);
    v.setAddress(kDns, f.dns);
    if (f.mac)
        v.setText(kMac, *f.mac);
    v.setTextLimit(kSsid, 32);
    v.setText(kSsid, f.ssid);
    v.setText(kTcpPort, f.tcpPort);
    window_.settingWpaKey_ = true;
    v.setText(kWpaKey, f.wpaKey);
    window_.settingWpaKey_ = false;
    window_.wpaKeyText_ = f.wpaKey;
    for (std::size_t k = 0; k < 4; ++k) {
        ui::fillList(v, kKeys[k].type, kKeyFormatNames, f.keyFormats[k]);
        v.setTextLimit(kKeys[k].edit, f.keyLimits[k]);
        v.setText(kKeys[k].edit, f.keys[k]);
        const bool inUse = f.keyEditsEnabled && static_cast<int>(k) == f.keyInUse;
        v.enable(kKeys[k].edit, inUse);
        v.enable(kKeys[k].type, inUse);
    }
    v.enable(kKeyInUseList, f.keyInUseEnabled);
    v.enable(kWpaAuthList, f.wpaAuthEnabled);
    v.enable(kWpaKey, f.wpaKeyEnabled);
    if (f.wpaCipherEnabled)
        v.enable(kWpaEncList, *f.wpaCipherEnabled);
    if (f.resetShown) {
        v.show(kReset, *f.resetShown);
        v.enable(kReset, *f.resetShown);
    }
    if (f.dhcpShown) {
        v.show(kDhcp, *f.dhcpShown);
        v.enable(kDhcp, *f.dhcpShown);
    }
    v.setChecked(kDhcp, f.dhcp);
    v.enable(kNetworkSave, true);
    v.repaint();
}

void NetworkMode::onDeviceSelected() {
    ui::DialogView& v = view();
    const int selected = v.selection(kPrinterList);
    if (selected < 0 || static_cast<std::size_t>(selected) >= found_.entries.size())
        return;
    const FoundDeviceList::Entry& entry = found_.entries[static_cast<std::size_t>(selected)];
    const bool binaryEntry = entry.kind == FoundDeviceList::kBinaryDevice;
    NetworkFormValues values = binaryEntry ? formFromDeviceRecord(found_.found[entry.index],
                                                                  FillVariant::Selection, entry.keyFormats)
                                           : formFromTextRecord(records_[entry.index], entry.keyFormats);
    // A key typed for this printer comes back as it was typed.
    for (std::size_t k = 0; k < 4; ++k)
        if (!entry.keyTexts[k].empty())
            values.keys[k] = entry.keyTexts[k];
    applyNetworkForm(values);
    if (binaryEntry)
        return;
    for (ControlId id : kNetworkFields)
        v.enable(id, true);
    for (ControlId id : {kGetInfo, kSaveInfo, kReset})
        v.enable(id, false);
}

void NetworkMode::addTextDevice(const WifiSettingsRecord& record) {
    ui::DialogView& v = view();
    // A printer answering again (both of its sockets, or a second search request) keeps its one entry.
    for (const FoundDeviceList::Entry& e : found_.entries) {
        if (e.kind == FoundDeviceList::kTextDevice &&
            records_[e.index].raw(field::kMacAddress) == record.raw(field::kMacAddress)) {
            records_[e.index] = record;
            const auto position = static_cast<std::size_t>(&e - found_.entries.data());
            showTableRow(position);
            if (v.selection(kPrinterList) == static_cast<int>(position))
                onDeviceSelected();
            return;
        }
    }
    if (found_.full())
        return;  // beyond the list's 200 entries
    const auto index = static_cast<std::size_t>(found_.textCount);
    if (records_.size() <= index)
        records_.resize(index + 1);
    records_[index] = record;
    found_.entries.push_back({FoundDeviceList::kTextDevice, index, {}, {}});
    v.addItem(kPrinterList, NetworkPrinter{record}.macText());
    showTableRow(found_.entries.size() - 1);
    ++found_.textCount;
    deps_.progress.set(Progress::FoundSecond, static_cast<std::uint32_t>(found_.textCount));
    v.setSelection(kPrinterList, 0);
    onDeviceSelected();
    v.enable(kNetworkSave, true);
}

NetworkPrinter NetworkMode::printerOf(const FoundDeviceList::Entry& entry) const {
    return entry.kind == FoundDeviceList::kBinaryDevice ? NetworkPrinter{found_.found[entry.index]}
                                                        : NetworkPrinter{records_[entry.index]};
}

void NetworkMode::showTableRow(std::size_t position) {
    view().setItemCells(kPrinterList, static_cast<int>(position),
                        tableCells(printerOf(found_.entries[position])));
}

// --- export

std::string NetworkMode::tableCsv() {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(found_.entries.size());
    for (const FoundDeviceList::Entry& entry : found_.entries)
        rows.push_back(tableCells(printerOf(entry)));
    return csvText(kTableColumns, rows);
}

void NetworkMode::onExport() {
    ui::DialogView& v = view();
    if (found_.entries.empty()) {
        v.messageBox(kNothingToExport, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    const std::optional<std::string> path =
        desktop().saveFileName(kExportTitle, kExportSuggested, kExportFilter);
    if (!path)
        return;
    if (!deps_.writeFile || !deps_.writeFile(*path, tableCsv()))
        v.messageBox(std::string(kExportFailed) + *path, "", ui::MessageButtons::Ok, ui::MessageIcon::Error);
}

// --- network save

RecordForm NetworkMode::networkForm() {
    const ui::DialogView& v = view();
    RecordForm form = window_.formBasics();
    for (std::size_t k = 0; k < 4; ++k)
        form.keyTypes[k] = std::max(v.selection(kKeys[k].type), 0);
    form.wpaKey = v.text(kWpaKey);
    form.wpaKeyEdited = true;
    return form;
}

void NetworkMode::onNetworkSave() {
    ui::DialogView& v = view();
    const int selected = v.selection(kPrinterList);
    if (selected < 0 || static_cast<std::size_t>(selected) >= found_.entries.size()) {
        v.messageBox(kSelectPrinter, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    const FoundDeviceList::Entry& entry = found_.entries[static_cast<std::size_t>(selected)];
    const bool binaryEntry = entry.kind == FoundDeviceList::kBinaryDevice;
    const RecordForm form = networkForm();
    if (!ssidFits(form.ssid)) {  // a longer SSID would be cut: nothing is sent
        showMessage(saveRefusalText(SaveRefusal::SsidTooLong), {kKeyCheckCaption, kKeyCheckCaption});
        return;
    }
    if (!networkPresent())
        return;
    NetworkPrinter printer =
        binaryEntry ? NetworkPrinter{found_.found[entry.index]} : NetworkPrinter{records_[entry.index]};
    auto save = std::make_unique<NetworkSave>(networkContext());
    v.setWaitCursor(true);
    const NetworkSaveResult result = save->start(netcfg::kBroadcast, printer, form);
    v.setWaitCursor(false);
    switch (result.outcome) {
        case NetworkSaveResult::PortOutOfRange:
            showMessage(kTcpPortOutOfRangeText, {"", ""});
            return;
        case NetworkSaveResult::WrongAddress:
            v.messageBox(kWrongLocalAddress, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
            return;
        case NetworkSaveResult::KeyRefused:
            v.messageBox(result.message, kKeyCheckCaption, ui::MessageButtons::Ok, ui::MessageIcon::None);
            return;
        default:
            break;
    }
    dropTextSocket();
    switch (result.outcome) {
        case NetworkSaveResult::Saved: {
            found_.found[entry.index] = *printer.binary();
            showTableRow(static_cast<std::size_t>(selected));
            ui::StatusWindow status(ui::StatusWindow::kPrinterSaved, deps_.clock, deps_.progress, &v);
            desktop().runModal(status, &window_);
            offerPrintQueue(queueTargetOf(found_.found[entry.index]));
            return;
        }
        case NetworkSaveResult::AwaitingAnswer: {
            save_ = std::move(save);
            deps_.progress.set(Progress::SaveDone, 0);
            v.startTimer(kTextSocketTimerId, kTextSocketPeriodMs);
            ui::StatusWindow status(ui::StatusWindow::kSaving, deps_.clock, deps_.progress, &v);
            desktop().runModal(status, &window_);
            keepResultFile(save_->sentRecord());
            if (deps_.progress.get(Progress::SaveDone) == 1)
                offerPrintQueue(queueTargetOf(save_->sentRecord()));
            return;
        }
        case NetworkSaveResult::SocketFailed:
            v.messageBox(result.message, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
            return;
        default:
            showNetworkError(result.code);
    }
}

// After a save the printer took: "Add print queue..." for it (where a print server is at hand).
void NetworkMode::offerPrintQueue(std::optional<QueueTarget> target) {
    queueTarget_ = std::move(target);
    view().show(kAddPrintQueue, deps_.printQueues != nullptr && queueTarget_.has_value());
}

void NetworkMode::onAddPrintQueue() {
    if (deps_.printQueues == nullptr || !queueTarget_)
        return;
    view().setWaitCursor(true);
    const PrintQueueResult added = addPrintQueue(*deps_.printQueues, *queueTarget_, "");
    view().setWaitCursor(false);
    if (added.outcome == QueueOutcome::Done)
        view().messageBox("Print queue " + added.name + " added (" + added.deviceUri + ").",
                          kPrintQueueCaption, ui::MessageButtons::Ok, ui::MessageIcon::Information);
    else
        view().messageBox(added.message, kPrintQueueCaption, ui::MessageButtons::Ok, ui::MessageIcon::Error);
}

// The record as sent goes to the result file and is read back for the debug stream.
void NetworkMode::keepResultFile(const WifiSettingsRecord& record) {
    // No place for it (neither XDG_STATE_HOME nor HOME) is a file not created, not a silence.
    if (deps_.resultFile.empty() || !writeResultFile(deps_.resultFile, record)) {
        view().messageBox(kResultNotCreated, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    const auto readBack = readResultFile(deps_.resultFile);
    if (!readBack) {
        view().messageBox(kResultNotOpened, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    for (const std::string& line : textRecordTrace(*readBack))
        trace(line);
}

void NetworkMode::showNetworkError(int code) {
    view().messageBox(networkErrorText(code, window_.messageLanguage_), "", ui::MessageButtons::Ok,
                      ui::MessageIcon::None);
}

// --- network mode: the selected printer's record (a binary printer's Wi-Fi word and key slots, a
// text printer's digits) keeps what the security fields show, so that choosing the printer again
// shows it and a save sends it.

void NetworkMode::storeNetworkSecurity() {
    if (window_.quietEdits_ > 0)
        return;
    const RecordForm form = networkForm();
    if (netcfg::DeviceRecord* d = window_.editedDevice()) {
        d->wifiWord = wifiWordFor(d->wifiWord, form);
        return;
    }
    window_.editRecord([&form](WifiSettingsRecord& r) {
        const auto digit = [&r](RecordField f, int value) {
            if (value >= 0 && value <= 9)
                r.setDigit(f, static_cast<char>('0' + value));
        };
        digit(field::kEncryption, form.encryption);
        digit(field::kUseKey, form.keyInUse + 1);
        digit(field::kWpa, form.encryption == kWpa ? form.wpaAuthentication : 0);
        digit(field::kWpaEnc, form.encryption == kWpa ? form.wpaCipher : 0);
    });
}

// WEP: the key in use's edit and format; WPA and 802.1x: the WPA type, cipher (once a type is chosen)
// and key, as the printers' lists are those of a Sollae module.
void NetworkMode::applyNetworkKeyRule(int encryption, int keyInUse) {
    ui::DialogView& v = view();
    for (int k = 0; k < 4; ++k) {
        v.enable(kKeys[k].edit, isWep(encryption) && k == keyInUse);
        v.enable(kKeys[k].type, isWep(encryption) && k == keyInUse);
    }
    v.enable(kKeyInUseList, isWep(encryption));
    window_.security_.setKeyLimits(encryption);
    v.enable(kWpaAuthList, encryption >= kWpa);
    v.enable(kWpaKey, encryption >= kWpa);
    v.enable(kWpaEncList, encryption >= kWpa && v.selection(kWpaAuthList) > 0);
}

void NetworkMode::onNetworkEncryptionChanged(int encryption) {
    ui::DialogView& v = view();
    FoundDeviceList::Entry* entry = window_.selectedFoundEntry();
    if (!entry)
        return;
    if (encryption != kWpa) {
        // WPA's type and cipher go back to "None": the printer would otherwise read WPA again.
        window_.selectIndex(kWpaAuthList, 0);
        window_.selectIndex(kWpaEncList, 0);
    }
    storeNetworkSecurity();
    // The key edits show the printer's keys of the new size; texts typed for the old one are gone.
    entry->keyTexts = {};
    {
        const CWiFiSettings::QuietEdits quiet(window_);
        for (int k = 0; k < 4; ++k) {
            const int format = entry->keyFormats[static_cast<std::size_t>(k)];
            v.setText(kKeys[k].edit, entry->kind == FoundDeviceList::kBinaryDevice
                                         ? deviceKeyText(found_.found[entry->index], k, encryption, format)
                                         : textKeyText(records_[entry->index], k, format));
        }
    }
    applyNetworkKeyRule(encryption, v.selection(kKeyInUseList));
    window_.shownEncryption_ = encryption;
}

void NetworkMode::onNetworkKeyInUseChanged(int keyInUse) {
    if (!window_.selectedFoundEntry() || keyInUse < 0 || keyInUse > 3)
        return;
    storeNetworkSecurity();
    applyNetworkKeyRule(view().selection(kEncryptionList), keyInUse);
}

// The key's edit shows the printer's key in the new format: hexadecimal text or its characters.
void NetworkMode::onNetworkKeyTypeChanged(int key, int type) {
    ui::DialogView& v = view();
    FoundDeviceList::Entry* entry = window_.selectedFoundEntry();
    if (!entry)
        return;
    const auto k = static_cast<std::size_t>(key);
    entry->keyFormats[k] = type;
    const int encryption = v.selection(kEncryptionList);
    const std::string text = entry->kind == FoundDeviceList::kBinaryDevice
                                 ? deviceKeyText(found_.found[entry->index], key, encryption, type)
                                 : textKeyText(records_[entry->index], key, type);
    {
        const CWiFiSettings::QuietEdits quiet(window_);
        v.setText(kKeys[key].edit, text);
    }
    entry->keyTexts[k] = entry->keyTexts[k].empty() ? std::string() : text;
    window_.security_.setKeyLimits(encryption);
}

void NetworkMode::onNetworkWpaChanged() {
    if (!window_.selectedFoundEntry())
        return;
    storeNetworkSecurity();
    const int encryption = view().selection(kEncryptionList);
    view().enable(kWpaEncList, encryption >= kWpa && view().selection(kWpaAuthList) > 0);
}

}  // namespace hollin::wifi
