#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_twin.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/printer_link.h"
#include "link/usb_link.h"
#include "netcfg/device_record.h"
#include "netcfg/exchange.h"
#include "netcfg/udp_text_socket.h"
#include "platform/clock.h"
#include "platform/search_save_progress.h"
#include "ui/window.h"
#include "wifi/band_channels.h"
#include "wifi/module_exchange.h"
#include "wifi/module_operations.h"
#include "wifi/module_security.h"
#include "wifi/network_mode.h"
#include "wifi/record_module.h"
#include "wifi/settings_export.h"
#include "wifi/sollae_module.h"
#include "wificodec/record_save.h"
#include "wificodec/settings_ini.h"
#include "wificodec/sollae_settings.h"
#include "wificodec/wifi_record.h"

namespace hollin::wifi {

inline constexpr int kWifiDialogId = 103;
inline constexpr std::string_view kWifiWindowTitle = "Wi-Fi Settings Dialog 2.69";
// The port list's eleventh entry, after "USB": network mode.
inline constexpr std::string_view kNetworkPortName = "Network";
// While a text-frame socket is open, its answers are read this often.
inline constexpr int kTextSocketTimerId = 50;
inline constexpr int kTextSocketPeriodMs = 50;

// What outlives one Wi-Fi window: the kind of module found last and the key types of the record
// modules' four WEP keys.
struct WifiProgramState {
    ModuleKind moduleKind = kModuleNone;
    std::array<int, 4> keyTypes{};  // 0 HEX, 1 ASCII
    // The payloads of the network printers' answers, which a binary save keeps what it does not know of.
    netcfg::PayloadStores stores;
};

// What the Wi-Fi window needs from outside, built by the program's main (or a test): the clock, the
// operating system's adapters its own links open, the spooler asked before a port is opened, the
// shared progress values of the status window and the program-wide Wi-Fi state. All must outlive it.
struct WifiWindowDeps {
    Clock& clock;
    PrinterLink::PortFactory serialPorts;
    const PortMap& ports;
    UsbPrinterFinder& usbFinder;
    Spooler& spooler;
    ui::SearchSaveProgress& progress;
    WifiProgramState& program;
    // The debug output stream (never shown to the operator); nothing when empty.
    std::function<void(std::string_view)> debugOutput{};
    // Network mode: the machine's UDP network (nothing: network mode finds nothing and says why), where
    // requests go, and where a text-frame save leaves its copy of the record (empty: nowhere).
    UdpNetwork* network = nullptr;
    netcfg::BroadcastSetting broadcast{};
    // The key constant of the binary protocol (the site's, when HOLLIN_NETCFG_KEY gives one).
    netcfg::KeyConstant networkKey = netcfg::kDefaultKeyConstant;
    std::string resultFile{};
    // The settings export file the window updates when it closes; nothing: no export.
    SettingsFile* exportFile = nullptr;
    // The print server's queues: after a network save, "Add print queue..." adds one for the printer
    // saved (nothing: the button is never offered).
    PrintQueues* printQueues = nullptr;
    // Writes a file the operator chose whole or not at all (network mode's "Export..."); false when it
    // could not. Nothing: the export says it could not write.
    std::function<bool(const std::string& path, std::string_view text)> writeFile{};
};

// The Wi-Fi settings window (dialog 103): opens its own link to the printer, switches the printer's
// Wi-Fi module into ISP mode, reads the module's settings into the form, edits the security fields and
// resets the module to its factory settings.
//
// The window keeps the port section, the form's shared state and the message map; the map hands
// each concern's notifications to the part that owns its handlers (each part works on the window's
// form and state, declared a friend):
// - wifi_settings.cpp: start, port section, Open and Close Port, window close, factory reset;
// - wifi_settings_read.cpp and wifi_settings_save.cpp: Get and Save Wi-Fi Information, by module kind;
// - wifi_settings_form.cpp: the other form fields and WPS; wifi_settings_enterprise.cpp: the
//   Enterprise window;
// - SollaeModule (sollae_module.h): a Sollae module's read and save, parameter by parameter;
// - RecordModule (record_module.h): the record modules' read, form fill and save;
// - ModuleSecurity (module_security.h): the wireless security fields;
// - BandChannels (band_channels.h): the 5 GHz channels, bands, countries and country channels;
// - SettingsExport (settings_export.h): the settings export when the window closes;
// - NetworkMode (network_mode.h): network mode (search, the printers found, their security fields
//   and the network save).
class CWiFiSettings : public ui::Window {
  public:
    // Throws std::invalid_argument when `deps` has no serial port factory.
    explicit CWiFiSettings(WifiWindowDeps deps);
    ~CWiFiSettings() override;

    void onInit() override;
    void onDeviceChange() override;
    void onOk() override;      // "Exit"
    void onCancel() override;  // Esc and the close box: the window close
    void onCloseBox() override;
    void onTimer(int timerId) override;

    // --- what the window holds, for the save and the network parts
    bool ispModeOn() const { return ispModeOn_; }
    int moduleGeneration() const { return moduleGeneration_; }
    int parameterSet() const { return parameterSet_; }
    bool networkMode() const { return networkMode_; }
    bool wpaKeyEdited() const { return wpaKeyEdited_; }
    const std::string& wpaKeyText() const { return wpaKeyText_; }
    int messageLanguage() const { return messageLanguage_; }
    void setMessageLanguage(int language) { messageLanguage_ = language; }
    int tcpPort() const { return tcpPort_; }
    int channelNumber() const { return channelNumber_; }
    const SollaeSettings& sollae() const { return sollae_; }
    // Entry 0 is the module on the window's link; network search adds the others.
    std::vector<WifiSettingsRecord>& records() { return records_; }
    WifiSettingsRecord& currentRecord() { return records_[0]; }
    WifiSettingsRecord& workingRecord() { return working_; }
    // The binary printers a network search found (sorted by MAC); the printer list shows them first,
    // the text printers of records() behind them.
    std::vector<netcfg::DeviceRecord>& foundRecords() { return network_.found().found; }
    // The printer list's selected entry: kind 1 a binary printer (index into foundRecords()), kind 0 a
    // text printer (index into records()); nothing without a selection or outside network mode.
    struct NetworkEntry {
        int kind;
        std::size_t index;
    };
    std::optional<NetworkEntry> selectedNetworkEntry();
    // The printer list's selected entry itself (its key formats and typed keys); nothing as above.
    FoundDeviceList::Entry* selectedFoundEntry();
    // The form shows printers found on the network, as when the port list's "Network" is chosen.
    void enterNetworkMode() { network_.applyNetworkPortRule(); }
    // The module's record as received, keys included, which the form never shows.
    const std::optional<WifiSettingsRecord>& heldRecord() const { return heldRecord_; }
    // Network mode: the printers found and the socket collecting text-frame answers.
    FoundDeviceList& foundDevices() { return network_.found(); }
    // Whether the last search still listens for text-frame answers.
    bool textSocketOpen() const { return network_.textSocketOpen(); }

    // --- operations the other parts use
    void closePort();
    void applyPortRule();

  private:
    // --- wifi_settings.cpp
    void mapPortHandlers();
    void onOpenPort();
    bool openLink(const std::string& port);
    void closeLink();
    void onSerialParameter(ui::ControlId changed);
    void disableFormFields();
    void onReset();
    void showResetDone();
    void onWindowClose();
    void applyKoreanCaptions();
    void showMessage(const TextTwin& text, const TextTwin& caption);
    void trace(std::string_view text);

    // --- wifi_settings_read.cpp
    void mapReadHandlers();
    void onGetInformation();
    void showReadCompleted();
    // Selects `index` when the list has it, else nothing.
    void selectIndex(ui::ControlId list, int index);
    // Code showing the key (its mask, a Sollae pass phrase) is no edit by the operator.
    void showWpaKeyText(std::string_view text);

    // --- wifi_settings_save.cpp
    void mapSaveHandlers();
    void onSaveInformation();
    // The fields every save reads alike: addresses, lists, key texts, WPA lists and the TCP port.
    RecordForm formBasics();

    // --- wifi_settings_enterprise.cpp
    void mapEnterpriseHandlers();
    void onEnterprise();
    void showEnterpriseChoice();
    // --- network mode (network_mode.cpp): the window hands it the network controls' notifications
    friend class NetworkMode;
    void mapNetworkHandlers();

    // --- the module's parts
    friend class ModuleSecurity;
    friend class SollaeModule;
    friend class RecordModule;
    friend class BandChannels;
    friend class SettingsExport;
    // The security fields' notifications, handed to ModuleSecurity.
    void mapSecurityHandlers();
    void commitWorking() { records_[0] = working_; }

    // --- wifi_settings_form.cpp
    void mapFormHandlers();
    // The form edits the module's record: a QUATECH, INC or unrecognised module on the window's link.
    bool editsModuleRecord() const;
    // The settings record the form edits: the module's (entry 0) or a text printer's; nothing for a
    // binary printer, without a selection, or while code fills the form.
    std::optional<std::size_t> editedRecord();
    // Changes the edited record through the working record; false when there is none.
    bool editRecord(const std::function<void(WifiSettingsRecord&)>& change);
    // The binary printer the form edits; nothing otherwise.
    netcfg::DeviceRecord* editedDevice();
    void onModeChanged();
    void onIncModeChanged(int mode);
    void onChannelChanged();
    void onAuthChanged();
    void onWepKeyChanged(int key);
    void onFormText(ui::ControlId id);
    void onDhcpClicked();
    void onAddressChanged(int index);
    void onWps();
    void beginEdit() { working_ = records_[0]; }

    WifiWindowDeps deps_;
    PrinterLink serial_;
    UsbLink usb_;
    ModuleExchange exchange_;
    DriverPortBuffers conflict_;
    int messageLanguage_ = kLanguageEnglish;
    bool ispModeOn_ = false;
    int moduleGeneration_ = 1;
    int parameterSet_ = 0;
    bool networkMode_ = false;
    bool wpaKeyEdited_ = false;
    bool settingWpaKey_ = false;  // code is showing the key's mask: not an edit
    // What the WPA key edit holds of the mask of storedWpaKey_ since the form was filled.
    MaskedEdit wpaKeyMask_ = MaskedEdit::Mask;
    std::string storedWpaKey_;
    std::string wpaKeyText_;
    // The module's WEP keys the operator typed since the form was filled (the record holds them).
    std::array<bool, 4> wepKeyTyped_{};
    int tcpPort_ = 0;
    int channelNumber_ = 0;
    // The 5 GHz channel the "Using 802.11a 5GHz" list shows.
    int fiveGhzChannel_ = 36;
    // Above 0 while code fills the form: edits it sets are no edits by the operator.
    int quietEdits_ = 0;
    // While one lives, the texts code sets in the form (a fill from any record) change no record.
    struct QuietEdits {
        explicit QuietEdits(CWiFiSettings& window) : window_(window) { ++window_.quietEdits_; }
        ~QuietEdits() { --window_.quietEdits_; }
        QuietEdits(const QuietEdits&) = delete;
        QuietEdits& operator=(const QuietEdits&) = delete;
        CWiFiSettings& window_;
    };
    // The encryption entry the form shows, which a refused change returns to.
    int shownEncryption_ = -1;
    SollaeSettings sollae_;
    std::vector<WifiSettingsRecord> records_{WifiSettingsRecord()};
    WifiSettingsRecord working_;
    std::optional<WifiSettingsRecord> heldRecord_;
    // The enterprise values last accepted (the record's own once the form is filled).
    EnterpriseTexts enterprise_;
    // Network mode: the printers found, their form and the network save.
    NetworkMode network_{*this};
    // The security fields of the module on the window's link.
    ModuleSecurity security_{*this};
    // Get and Save Wi-Fi Information for a Sollae module.
    SollaeModule sollaeModule_{*this};
    // Get and Save Wi-Fi Information for a QUATECH, INC or unrecognised module.
    RecordModule recordModule_{*this};
    // The band, country and channel lists.
    BandChannels bands_{*this};
    // The settings export when the window closes.
    SettingsExport settingsExport_{*this};
};

}  // namespace hollin::wifi
