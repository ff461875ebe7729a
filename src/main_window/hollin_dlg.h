#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/font_download.h"
#include "fonts/font_files.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/printer_link.h"
#include "link/usb_device.h"
#include "main_window/automation_hold.h"
#include "platform/clock.h"
#include "printer/bluetooth_panel.h"
#include "printer/printer_operations.h"
#include "printer/result_messages.h"
#include "transport/printer_session.h"
#include "ui/port_section.h"
#include "ui/window.h"

namespace hollin::printer {

inline constexpr int kMainDialogId = 102;
inline constexpr std::string_view kProductVersion = "2.69";
inline constexpr std::string_view kMainWindowTitle = "Hollin Printer Utility 2.69";
inline constexpr int kMainIconId = 128;
// The About entry of the system menu: its command id and its text (string 101).
inline constexpr int kSysCommandAbout = 16;
inline constexpr std::string_view kAboutEntryText = "&About Hollin Printer Utility...";

// Messages of the connection handlers.
inline constexpr TextTwin kSerialOpenFailedText = {"Serial Port Open Failed", "시리얼 포트 열기 실패 !!!"};
inline constexpr TextTwin kUsbOpenFailedText = {"USB Port Open Failed", "USB 포트 열기 실패 !!!"};
inline constexpr std::string_view kDataBitsParityText = ui::kDataBitsParityText;
inline constexpr std::string_view kDataBitsParityCaption = ui::kDataBitsParityCaption;
inline constexpr std::string_view kUnknownEmulationText = "Unkonwn Emulation";
// A setting list without a chosen entry has nothing to send.
inline constexpr TextTwin kNothingSelectedText = {"No entry is selected in the list.",
                                                  "목록에서 선택된 항목이 없습니다."};

// What the main window needs from outside: the clock and the operating system's adapters, built by the
// program's main (or by a test, as stand-ins). Every one is required; they must outlive the window.
struct MainWindowDeps {
    Clock& clock;
    // The serial ports the main window's link opens.
    PrinterLink::PortFactory serialPorts;
    // Which device each "COMn" of the port box stands for, also shown as the entries' tool tips.
    const PortMap& ports;
    UsbPrinterFinder& usbFinder;
    // The print spooler asked before a port is opened.
    Spooler& spooler;
    // The Wi-Fi settings window (dialog 103), made when "Start Wi-Fi Settings" is pressed; empty: the
    // stand-in below.
    std::function<std::unique_ptr<ui::Window>()> makeWifiWindow{};
    // The debug output stream: texts for developers, never shown to the operator (standard error when
    // empty).
    std::function<void(std::string_view)> debugOutput{};
};

// The Wi-Fi settings window's place holder until that window exists: an empty modal window titled
// "Wi-Fi Settings Dialog 2.69".
class WifiSettingsStandIn : public ui::Window {
  public:
    static constexpr int kDialogId = 103;
    static constexpr std::string_view kTitle = "Wi-Fi Settings Dialog 2.69";
    WifiSettingsStandIn() : ui::Window(kDialogId) {}
    void onInit() override { view().setTitle(kTitle); }
};

// The main window (dialog 102) and its connection session: the operator picks a port and line
// parameters, opens the port, and the window identifies the printer (emulation and model) and enables
// exactly the setting controls that suit it.
//
// The handlers live in several sources: hollin_dlg.cpp (shell, initialisation, child windows, the
// Bluetooth group's panel),
// hollin_dlg_connection.cpp (port kind, line check, Open Port, Close Port) and
// hollin_dlg_emulation.cpp (Get Emulation, Set CPCL / Set ESC/POS, serial configuration save) and
// hollin_dlg_settings.cpp (power save, code page, density, label media, calibrations, compatible mode).
// Each source maps its own handlers in a map...Handlers() member called by the constructor.
class CHollinDlg : public ui::Window {
  public:
    // Throws std::invalid_argument when `deps` has no serial port factory.
    explicit CHollinDlg(MainWindowDeps deps);
    ~CHollinDlg() override;

    void onInit() override;
    void onDeviceChange() override { showPortToolTips(); }
    void onOk() override;        // "E&xit" (id 1)
    void onCancel() override;    // Esc
    void onCloseBox() override;  // the close box
    // An id whose value with the low four bits cleared is 16 opens the About box; others go to the
    // default processing.
    void onSysCommand(int commandId) override;
    std::vector<SystemMenuEntry> systemMenuEntries() const override;

    // True when the window may close. With an automation client attached it hides the window instead
    // and answers false.
    bool canExit();

    void setAutoProxy(AutomationHold* proxy) { proxy_ = proxy; }
    AutomationHold* autoProxy() const { return proxy_; }
    int messageLanguage() const { return messageLanguage_; }

    PrinterSession& session() { return *session_; }
    const PrinterSession& session() const { return *session_; }

    // --- for the setting handlers and child windows
    // The Close Port routine: closes the link and puts the controls in the closed state.
    void closePort();
    // Fills the borrowed link for a child window that uses the main window's port.
    BorrowedLink lendLink();
    const BorrowedLink& borrowedLink() const { return borrowed_; }

  protected:
    MainWindowDeps& deps() { return deps_; }
    void enableAll(std::span<const ui::ControlId> ids, bool on);
    void enableAll(std::initializer_list<ui::ControlId> ids, bool on);
    void showAll(std::initializer_list<ui::ControlId> ids, bool visible);
    void setTexts(std::span<const ui::ControlId> ids, std::string_view text);
    void setTexts(std::initializer_list<ui::ControlId> ids, std::string_view text);
    void showMessage(const TextTwin& text);
    // The text of the selected entry of a list; "" when none is selected.
    std::string selectedText(ui::ControlId id);
    // The first number in the selected entry of a list (the baud rate, the stop bits); 0 when none.
    int selectedNumber(ui::ControlId id);
    // Shows the emulation's name, "" for 6 and 7.
    void showEmulationName();
    // The data-bits and flow lists suit the emulation: usable only for ESC/POS printers; the baud,
    // parity and stop-bits lists always.
    void enableLineListsFor(int emulationKind);
    // Controls that would act on a closed link, which the steps of an emulation switch and a serial
    // save leave as they were: disabled as well, once the port is closed.
    void disableOpenOnlyControls();
    // Takes what an action learnt of the printer into the session and tells the operator of a
    // failure; true when the action succeeded.
    bool takeResult(const PrinterResult& result);

    // Set when a font download was started once; the initialisation clears it.
    bool fontDownloadUsed_ = false;
    // The TrueType group: its font manager and target window live as long as the main window.
    fonts::SystemFontFiles fontFiles_;
    std::unique_ptr<fonts::FontDownload> fontDownload_;

  private:
    // --- hollin_dlg.cpp
    void initShell();
    void initConnectionLists();
    ui::PortToolTip portToolTip() const;
    void initButtonsAndGroups();
    void showPortToolTips();
    void showAbout();
    void startWifiSettings();
    void startAdvancedOptions();
    void startBluetoothSettings();

    // --- hollin_dlg_connection.cpp
    void mapConnectionHandlers();
    void onPortKind();
    void onDataBitsOrParity(ui::ControlId changed);
    void onOpenPort();
    bool openLink(const std::string& port);
    void enableForEmulation();
    void enableCommonOpenControls();
    void fillSettingLists();

    // --- hollin_dlg_emulation.cpp
    void mapEmulationHandlers();
    void onGetEmulation();
    void onSetEmulation(SwitchTarget target);
    void onSaveSerialConfig();
    void closeAfterCommand();

    // --- hollin_dlg_settings.cpp
    void mapSettingsHandlers();
    std::optional<int> chosenPosition(ui::ControlId list);
    void onSavePowerSave();
    void onPowerSaveMode();
    void onSaveCodePage();
    void onSaveDensity();
    void onSetMedia(ui::ControlId button, MediaKind kind);
    void onCompatibleMode(int flag);
    void onSaveCompatibleMode();

    void debugOutput(std::string_view text);

    MainWindowDeps deps_;
    std::unique_ptr<PrinterSession> session_;
    DriverPortBuffers conflict_;
    BorrowedLink borrowed_;
    // The Bluetooth group below the visible area: the Bluetooth window's behaviour over the main
    // window's exchange (each action probes first) with the decimal PIN rule.
    std::unique_ptr<ExchangeBluetoothTransport> btTransport_;
    std::unique_ptr<BluetoothPanel> btPanel_;
    AutomationHold* proxy_ = nullptr;
    int messageLanguage_ = 0;
    // The compatible-mode flag the two radios set: 1 ON, 0 OFF.
    int compatibleMode_ = 0;
};

}  // namespace hollin::printer
