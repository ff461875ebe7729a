#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_twin.h"
#include "netcfg/device_record.h"
#include "netcfg/exchange.h"
#include "netprinters/network_form.h"
#include "netprinters/network_printers.h"
#include "netprinters/print_queue.h"
#include "ui/window.h"
#include "wificodec/record_save.h"
#include "wificodec/wifi_record.h"

namespace hollin::wifi {

class CWiFiSettings;
struct WifiWindowDeps;

// The Wi-Fi window's network mode (the port list's "Network"): the search over both protocols, the
// list of printers found, the form of the one chosen, its security fields and the network save, with
// "Add print queue..." after a save. It works on the window's controls and the form fields the module
// window shares with it; the window hands it its notifications while in network mode.
class NetworkMode {
  public:
    explicit NetworkMode(CWiFiSettings& window);
    ~NetworkMode();
    NetworkMode(const NetworkMode&) = delete;
    NetworkMode& operator=(const NetworkMode&) = delete;

    // The port list's "Network" entry: no link of the window's own, the search and the found list instead.
    void applyNetworkPortRule();
    // The text-frame socket's timer: answers of the search, or the save's acknowledgement.
    void onTextSocketTimer();
    void onSearch();
    void onDeviceSelected();
    void onNetworkSave();
    void onAddPrintQueue();
    // "Export...": the found printers' table as CSV, to a file the operator chooses.
    void onExport();
    // The table's CSV text: its column captions, then one line per printer in the list's order.
    std::string tableCsv();
    void offerPrintQueue(std::optional<QueueTarget> target);
    void endSearchStatus();
    void dropTextSocket();
    bool textSocketOpen() const;

    FoundDeviceList& found() { return found_; }
    // The form's values for a network save (and the security fields' record of the chosen printer).
    RecordForm networkForm();

    // The security fields follow the selected printer (binary or text), not a module.
    void onNetworkEncryptionChanged(int encryption);
    void onNetworkKeyInUseChanged(int keyInUse);
    void onNetworkKeyTypeChanged(int key, int type);
    void onNetworkWpaChanged();
    void applyNetworkKeyRule(int encryption, int keyInUse);
    // The selected printer's record takes the security selections the form shows.
    void storeNetworkSecurity();

  private:
    void listBinaryDevices(const std::vector<netcfg::DeviceRecord>& records);
    void addTextDevice(const WifiSettingsRecord& record);
    // The printer of a list entry, and its row's cells in the table.
    NetworkPrinter printerOf(const FoundDeviceList::Entry& entry) const;
    void showTableRow(std::size_t position);
    void applyNetworkForm(const NetworkFormValues& values);
    void keepResultFile(const WifiSettingsRecord& record);
    void showNetworkError(int code);
    bool networkPresent();
    netcfg::NetworkContext networkContext();

    // What the window shares with its network mode.
    ui::DialogView& view();
    ui::Desktop& desktop();
    void trace(std::string_view text);
    void showMessage(const TextTwin& text, const TextTwin& caption);

    CWiFiSettings& window_;
    WifiWindowDeps& deps_;
    // The text printers found (the window's records: the form edits them as it edits the module's).
    std::vector<WifiSettingsRecord>& records_;
    FoundDeviceList found_;
    // The search or save whose text-frame socket is open (one at a time).
    std::unique_ptr<NetworkSearch> search_;
    std::unique_ptr<NetworkSave> save_;
    std::unique_ptr<ui::Window> searchStatus_;
    // The printer saved last, for "Add print queue...".
    std::optional<QueueTarget> queueTarget_;
};

}  // namespace hollin::wifi
