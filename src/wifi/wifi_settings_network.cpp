// Network mode of the Wi-Fi window: the printer search over both protocols, the choice of a found
// printer and the network save.
#include <algorithm>
#include <charconv>

#include "ui/list_fill.h"
#include "ui/status_window.h"
#include "wifi/network_save.h"
#include "wifi/result_file.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;
using netcfg::CUdpSock;
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

constexpr ControlId kSerialLists[] = {kBaudList, kDataBitsList, kParityList, kStopBitsList, kFlowList};
constexpr ControlId kSerialLabels[] = {kBaudLabel, kDataBitsLabel, kParityLabel, kStopBitsLabel, kFlowLabel};
// What a found printer's form opens for editing.
// (The TCP port too: a binary save writes it as channel 0's local port.)
constexpr ControlId kNetworkFields[] = {
    kIp,     kNetmask, kGateway, kDns, kSsid, kModeList, kChannelList, kEncryptionList, kAuthenticationList,
    kTcpPort};

}  // namespace

void CWiFiSettings::mapNetworkHandlers() {
    onClicked(kSearch, [this] { onSearch(); });
    onClicked(kNetworkSave, [this] { onNetworkSave(); });
    onSelectionChanged(kPrinterList, [this] { onDeviceSelected(); });
    onClicked(kAddPrintQueue, [this] { onAddPrintQueue(); });
}

// The port list's "Network" entry: no link of the window's own, the search and the found list instead.
void CWiFiSettings::applyNetworkPortRule() {
    ui::DialogView& v = view();
    for (std::size_t i = 0; i < std::size(kSerialLists); ++i) {
        v.enable(kSerialLists[i], false);
        v.show(kSerialLists[i], false);
        v.show(kSerialLabels[i], false);
    }
    for (ControlId id : {kSearch, kNetworkSave, kPrinterList})
        v.show(id, true);
    for (ControlId id : {kOpenPort, kGetInfo, kSaveInfo, kClosePort})
        v.enable(id, false);
    offerPrintQueue(std::nullopt);  // until a save
    networkMode_ = true;
    v.setText(kWpaHint, pickText(kNetworkWpaHint, messageLanguage_));
    v.show(kReset, false);
    v.show(kDhcp, false);
}

void CWiFiSettings::onTimer(int timerId) {
    if (timerId != kTextSocketTimerId)
        return;
    if (textSocket_ && textSocket_->isOpen())
        textSocket_->pump();
    else
        view().stopTimer(kTextSocketTimerId);
}

netcfg::NetworkContext CWiFiSettings::networkContext() {
    return netcfg::NetworkContext{.network = *deps_.network,
                                  .clock = deps_.clock,
                                  .stores = deps_.program.stores,
                                  .broadcast = deps_.broadcast,
                                  .debug = deps_.debugOutput};
}

void CWiFiSettings::dropTextSocket() {
    if (!textSocket_)
        return;
    textSocket_->close();
    textSocket_.reset();
    view().stopTimer(kTextSocketTimerId);
}

// A text-frame socket of `mode`, bound and ready; nothing (and the operator told why) otherwise.
std::unique_ptr<CUdpSock> CWiFiSettings::openTextSocket(CUdpSock::Mode mode, std::string_view mac12) {
    if (deps_.network == nullptr || !deps_.broadcast.address) {
        const std::string why = deps_.broadcast.error.empty() ? "no network" : deps_.broadcast.error;
        view().messageBox("The network functions are off: " + why, "", ui::MessageButtons::Ok,
                          ui::MessageIcon::None);
        return nullptr;
    }
    CUdpSock::Owner& owner = *this;
    auto socket =
        std::make_unique<CUdpSock>(*deps_.network, *deps_.broadcast.address, owner, deps_.debugOutput);
    if (const int error = socket->create(mode, mac12); error != 0) {
        view().messageBox(
            "Fail to create UDP socket: GetLastError=" + std::to_string(error) + "\n Close and restart app.",
            "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return nullptr;
    }
    return socket;
}

// --- search

void CWiFiSettings::onSearch() {
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
    desktop().openModeless(*searchStatus_, this);

    if (!startTextSearch()) {
        endSearchStatus();  // else "Now searching printers..." would stay for ever
        v.setIcon(kSearch, kSearchIcon);
        v.setWaitCursor(false);
        return;
    }
    v.clearItems(kPrinterList);
    netcfg::SearchResult result;
    if (deps_.network != nullptr) {
        netcfg::NetworkContext context = networkContext();
        result = netcfg::searchDevices(context, netcfg::kBroadcast);
    }
    if (result.error != 0)
        trace("search: the binary search could not run: " + std::to_string(result.error));
    listBinaryDevices(sortedByMac(std::move(result.records)));

    deps_.progress.set(Progress::SearchTime, deps_.clock.tickMs());
    v.setIcon(kSearch, kSearchIcon);
    v.setWaitCursor(false);
    deps_.progress.set(Progress::SearchFlag, 1);
}

// Steps 3 to 5: the old text socket goes, a new one sends the text search.
bool CWiFiSettings::startTextSearch() {
    dropTextSocket();
    auto socket = openTextSocket(CUdpSock::kSearchMode, {});
    if (!socket)
        return false;
    const CUdpSock::SendResult sent = socket->send(netcfg::buildSearchFrame());
    if (sent.error != 0) {
        view().messageBox(sent.message, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return false;
    }
    textSocket_ = std::move(socket);
    view().startTimer(kTextSocketTimerId, kTextSocketPeriodMs);
    return true;
}

void CWiFiSettings::listBinaryDevices(const std::vector<DeviceRecord>& records) {
    ui::DialogView& v = view();
    found_.found = records;
    for (std::size_t i = 0; i < records.size() && !found_.full(); ++i) {
        v.addItem(kPrinterList, macListText(records[i].mac));
        found_.entries.push_back({FoundDeviceList::kBinaryDevice, i, {}, {}});
        ++found_.binaryCount;
    }
    deps_.progress.set(Progress::FoundFirst, static_cast<std::uint32_t>(found_.binaryCount));
    if (found_.binaryCount == 0)
        return;
    v.setText(kMac, macListText(records[0].mac));
    applyNetworkForm(formFromDeviceRecord(records[0], FillVariant::Search, {}));
    v.setSelection(kPrinterList, 0);
    for (ControlId id : kNetworkFields)
        v.enable(id, true);
    v.enable(kKeyInUseList, v.selection(kEncryptionList) > 0);
    for (ControlId id : {kGetInfo, kSaveInfo, kReset})
        v.enable(id, false);
}

void CWiFiSettings::endSearchStatus() {
    if (searchStatus_ && searchStatus_->attached())
        searchStatus_->view().endDialog(ui::kResultCancel);
}

// --- the form of a found printer

void CWiFiSettings::applyNetworkForm(const NetworkFormValues& f) {
    // What the fill sets is the printer's, not the operator's typing.
    const QuietEdits quiet(*this);
    ui::DialogView& v = view();
    ui::fillList(v, kModeList, kModeNames, f.mode);
    ui::fillList(v, kAuthenticationList, kAuthenticationNames, f.authentication);
    ui::fillList(v, kEncryptionList, kEncryptionNames, f.encryption);
    shownEncryption_ = f.encryption;
    ui::fillList(v, kChannelList, kChannelNames, f.channel);
    ui::fillList(v, kKeyInUseList,
                 messageLanguage_ == kLanguageKorean ? kKeyInUseNamesKorean : kKeyInUseNames, f.keyInUse);
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
    settingWpaKey_ = true;
    v.setText(kWpaKey, f.wpaKey);
    settingWpaKey_ = false;
    wpaKeyText_ = f.wpaKey;
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

void CWiFiSettings::onDeviceSelected() {
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

void CWiFiSettings::onTextAnswer(const netcfg::TextRecord& record) {
    addTextDevice(record);
}

void CWiFiSettings::addTextDevice(const netcfg::TextRecord& frameRecord) {
    ui::DialogView& v = view();
    const auto record = WifiSettingsRecord::fromBytes(frameRecord);
    // A printer answering again (both of its sockets, or a second search request) keeps its one entry.
    for (const FoundDeviceList::Entry& e : found_.entries) {
        if (e.kind == FoundDeviceList::kTextDevice &&
            records_[e.index].raw(field::kMacAddress) == record->raw(field::kMacAddress)) {
            records_[e.index] = *record;
            if (v.selection(kPrinterList) == static_cast<int>(&e - found_.entries.data()))
                onDeviceSelected();
            return;
        }
    }
    if (found_.full())
        return;  // beyond the list's 200 entries
    const auto index = static_cast<std::size_t>(found_.textCount);
    if (records_.size() <= index)
        records_.resize(index + 1);
    records_[index] = *record;
    found_.entries.push_back({FoundDeviceList::kTextDevice, index, {}, {}});
    // The list shows the record's twelve MAC characters as they are, in pairs.
    const std::string_view mac = record->raw(field::kMacAddress);
    std::string listText;
    for (std::size_t i = 0; i < mac.size(); i += 2)
        listText += std::string(i == 0 ? "" : ":") + std::string(mac.substr(i, 2));
    v.addItem(kPrinterList, listText);
    ++found_.textCount;
    deps_.progress.set(Progress::FoundSecond, static_cast<std::uint32_t>(found_.textCount));
    v.setSelection(kPrinterList, 0);
    onDeviceSelected();
    v.enable(kNetworkSave, true);
}

// --- network save

RecordForm CWiFiSettings::networkForm() {
    const ui::DialogView& v = view();
    RecordForm form = formBasics();
    for (std::size_t k = 0; k < 4; ++k)
        form.keyTypes[k] = std::max(v.selection(kKeys[k].type), 0);
    form.wpaKey = v.text(kWpaKey);
    form.wpaKeyEdited = true;
    return form;
}

void CWiFiSettings::onNetworkSave() {
    ui::DialogView& v = view();
    const int selected = v.selection(kPrinterList);
    if (selected < 0 || static_cast<std::size_t>(selected) >= found_.entries.size()) {
        v.messageBox(kSelectPrinter, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    const FoundDeviceList::Entry& entry = found_.entries[static_cast<std::size_t>(selected)];
    const RecordForm form = networkForm();
    if (entry.kind == FoundDeviceList::kBinaryDevice)
        saveBinaryEntry(entry.index, form);
    else
        saveTextEntry(entry.index, form);
}

void CWiFiSettings::saveBinaryEntry(std::size_t index, const RecordForm& form) {
    ui::DialogView& v = view();
    if (deps_.network == nullptr) {
        showNetworkError(netcfg::kNotFound);
        return;
    }
    DeviceRecord& entry = found_.found[index];
    netcfg::NetworkContext context = networkContext();
    v.setWaitCursor(true);
    const NetworkSaveResult result =
        saveBinaryPrinter(context, netcfg::kBroadcast, entry, form, entry.password);
    v.setWaitCursor(false);
    switch (result.outcome) {
        case NetworkSaveResult::Saved: {
            ui::StatusWindow status(ui::StatusWindow::kPrinterSaved, deps_.clock, deps_.progress, &v);
            desktop().runModal(status, this);
            offerPrintQueue(queueTargetOf(entry));
            return;
        }
        case NetworkSaveResult::PortOutOfRange:
            showMessage(kTcpPortOutOfRangeText, {"", ""});
            return;
        case NetworkSaveResult::WrongAddress:
            v.messageBox(kWrongLocalAddress, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
            return;
        default:
            showNetworkError(result.code);
    }
}

void CWiFiSettings::saveTextEntry(std::size_t index, const RecordForm& form) {
    ui::DialogView& v = view();
    WifiSettingsRecord record;
    const NetworkSaveResult prepared = prepareTextSave(records_[index], form, record);
    if (prepared.outcome == NetworkSaveResult::KeyRefused) {
        v.messageBox(prepared.message, kKeyCheckCaption, ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    if (prepared.outcome == NetworkSaveResult::PortOutOfRange) {
        showMessage(kTcpPortOutOfRangeText, {"", ""});
        return;
    }
    dropTextSocket();
    trace(record.digit(field::kMode) == '0'   ? "*****Ad-hoc"
          : record.digit(field::kMode) == '1' ? "*****Infrastructure"
                                              : "Unknown Setting");
    trace(form.dhcp ? "DHCP YES" : "DHCP NO");
    netcfg::TextRecord bytes{};
    std::copy(record.bytes().begin(), record.bytes().end(), bytes.begin());
    auto socket = openTextSocket(CUdpSock::kSaveMode, records_[index].raw(field::kMacAddress));
    if (!socket)
        return;
    const CUdpSock::SendResult sent = socket->send(netcfg::buildSaveFrame(bytes));
    if (sent.error != 0) {
        v.messageBox(sent.message, "", ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    textSocket_ = std::move(socket);
    deps_.progress.set(Progress::SaveDone, 0);
    v.startTimer(kTextSocketTimerId, kTextSocketPeriodMs);
    ui::StatusWindow status(ui::StatusWindow::kSaving, deps_.clock, deps_.progress, &v);
    desktop().runModal(status, this);
    keepResultFile(record);
    if (deps_.progress.get(Progress::SaveDone) == 1)
        offerPrintQueue(queueTargetOf(record));
}

// After a save the printer took: "Add print queue..." for it (where a print server is at hand).
void CWiFiSettings::offerPrintQueue(std::optional<QueueTarget> target) {
    queueTarget_ = std::move(target);
    view().show(kAddPrintQueue, deps_.printQueues != nullptr && queueTarget_.has_value());
}

void CWiFiSettings::onAddPrintQueue() {
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
void CWiFiSettings::keepResultFile(const WifiSettingsRecord& record) {
    if (deps_.resultFile.empty())
        return;
    if (!writeResultFile(deps_.resultFile, record)) {
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

void CWiFiSettings::onSaveAnswer(bool confirmed) {
    // Another printer's answer says nothing about this save: the flag stays as it is.
    if (confirmed)
        deps_.progress.set(Progress::SaveDone, 1);
}

void CWiFiSettings::showNetworkError(int code) {
    view().messageBox(networkErrorText(code, messageLanguage_), "", ui::MessageButtons::Ok,
                      ui::MessageIcon::None);
}

}  // namespace hollin::wifi
