#include "main_window/hollin_dlg.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/text_twin.h"
#include "main_window/about_box.h"
#include "main_window/main_window_ids.h"
#include "main_window/main_window_look.h"
#include "printer/advanced_options_window.h"
#include "printer/bluetooth_settings_window.h"
#include "printer/option_lists.h"
#include "ui/list_fill.h"

namespace hollin::printer {

using namespace ids;

CHollinDlg::CHollinDlg(MainWindowDeps deps) : ui::Window(kMainDialogId), deps_(std::move(deps)) {
    if (!deps_.serialPorts)
        throw std::invalid_argument("the main window needs a serial port factory");
    const PortMap& ports = deps_.ports;
    session_ = std::make_unique<PrinterSession>(
        deps_.clock, deps_.serialPorts, [&ports](std::string_view port) { return ports.deviceFor(port); },
        deps_.usbFinder);
    if (deps_.debugOutput)
        session_->serial.setTraceSink(deps_.debugOutput);
    mapConnectionHandlers();
    mapEmulationHandlers();
    mapSettingsHandlers();
    onClicked(kStartWifi, [this] { startWifiSettings(); });
    onClicked(kAdvancedOptions, [this] { startAdvancedOptions(); });
    onClicked(kStartBluetooth, [this] { startBluetoothSettings(); });
    fontDownload_ =
        std::make_unique<fonts::FontDownload>(*this, fontFiles_, kProductTitle, fontDownloadUsed_);
    onClicked(kFontOpenFile, [this] { fontDownload_->openFile(lendLink(), session_->emulationKind); });
    onClicked(kFontDownload, [this] { fontDownload_->download(session_->exchange, messageLanguage_); });
    btTransport_ = std::make_unique<ExchangeBluetoothTransport>(session_->exchange);
    btPanel_ =
        std::make_unique<BluetoothPanel>(*this, *btTransport_, PinRule::FourDigits, messageLanguage_,
                                         [this](const PrinterResult& result) { return takeResult(result); });
    btPanel_->bind(
        [this](ControlId id, ui::Notification n, std::function<void()> handler) { on(id, n, handler); },
        false);
}

CHollinDlg::~CHollinDlg() {
    // A client still holding the proxy must not reach a window that is gone.
    if (proxy_ != nullptr) {
        proxy_->mainWindowDestroyed();
    }
}

namespace {

// Initialisation: only the connection controls, Open Port, Wi-Fi and Exit are usable until a port is
// open.
constexpr ControlId kInitEnabled[] = {kPortList, kOpenPort, kStartWifi, kExit};
constexpr ControlId kInitDisabled[] = {
    kClosePort,    kSaveSerialConfig, kGetEmulation,       kSetCpcl,           kSetEscPos,   kSetGap,
    kSetBlackMark, kSetContinuous,    kSensorPositionList, kDensityList,       kSaveDensity, kFontOpenFile,
    kFontDownload, kBtGetInfo,        kBtSavePin,          kBtSaveDiscoverable};
// ... and, once the buttons and groups are set up:
constexpr ControlId kInitDisabledSettings[] = {
    kBtPin,          kBtDiscoverableOn,    kBtDiscoverableOff, kPowerSaveList,   kPowerSaveMinutes,
    kSavePowerSave,  kCodePageList,        kSaveCodePage,      kPrintCodePage,   kBtName,
    kBtSetInfo,      kBtAutoConnectOn,     kBtAutoConnectOff,  kAdvancedOptions, kStartBluetooth,
    kGapCalibration, kBlackMarkCalibration};
constexpr ControlId kInitDisabledCompatible[] = {kSaveCompatible, kCompatibleOn, kCompatibleOff};

}  // namespace

void CHollinDlg::onInit() {
    initShell();
    initConnectionLists();
    enableAll(kInitEnabled, true);
    enableAll(kInitDisabled, false);
    initButtonsAndGroups();
    enableAll(kInitDisabledSettings, false);
    messageLanguage_ = startMessageLanguage();
    fontDownloadUsed_ = false;
    enableAll(kInitDisabledCompatible, false);
    view().setTextLimit(kBtPin, 10);
    view().setTextLimit(kPowerSaveMinutes, 2);
    view().setTextLimit(kBtName, 18);
}

// The application-shell part of the initialisation, before the window's own controls are filled.
void CHollinDlg::initShell() {
    view().setTitle(kMainWindowTitle);
    view().setWindowIcon(kMainIconId);
}

void CHollinDlg::initConnectionLists() {
    ui::fillPortSection(view(), kPortSection, 0, portToolTip());
}

// A COM entry's tool tip tells which device it stands for.
ui::PortToolTip CHollinDlg::portToolTip() const {
    const PortMap& ports = deps_.ports;
    return
        [&ports](std::string_view port) { return comPortNumber(port) ? ports.toolTip(port) : std::string(); };
}

void CHollinDlg::showPortToolTips() {
    ui::showPortToolTips(view(), kPortList, portToolTip());
}

void CHollinDlg::initButtonsAndGroups() {
    ui::setButtonIcons(view(), kMainButtonIcons);
    for (ControlId group : kMainGroups)
        view().setGroupCaptionStyle(group, kGroupCaptionColour, ui::kGroupCaptionBold, isCentredGroup(group));
}

std::vector<ui::Window::SystemMenuEntry> CHollinDlg::systemMenuEntries() const {
    if (kAboutEntryText.empty()) {
        return {};
    }
    return {{kSysCommandAbout, std::string(kAboutEntryText)}};
}

void CHollinDlg::onSysCommand(int commandId) {
    if ((commandId & ~0xF) == kSysCommandAbout) {
        showAbout();
        return;
    }
    ui::Window::onSysCommand(commandId);
}

void CHollinDlg::showAbout() {
    AboutBox about;
    desktop().runModal(about, this);
}

// The Wi-Fi window opens its own link; this button is usable only while the main window's port is
// closed.
void CHollinDlg::startWifiSettings() {
    std::unique_ptr<ui::Window> wifi =
        deps_.makeWifiWindow ? deps_.makeWifiWindow() : std::make_unique<WifiSettingsStandIn>();
    if (wifi)
        desktop().runModal(*wifi, this);
}

// The advanced options window writes and reads through a copy of the open link.
void CHollinDlg::startAdvancedOptions() {
    if (!session_->isOpen())
        return;
    AdvancedOptionsWindow options(session_->emulationKind, LinkCopyChannel::of(*session_), deps_.clock);
    desktop().runModal(options, this);
}

void CHollinDlg::startBluetoothSettings() {
    const BorrowedLink link = lendLink();
    if (!link.valid())
        return;
    BluetoothSettingsWindow bluetooth(link);
    desktop().runModal(bluetooth, this);
}

BorrowedLink CHollinDlg::lendLink() {
    borrowed_ = session_->lend();
    return borrowed_;
}

bool CHollinDlg::canExit() {
    if (proxy_ != nullptr) {
        // An automation client still holds the program: hide instead of closing.
        view().setWindowVisible(false);
        return false;
    }
    return true;
}

void CHollinDlg::onOk() {
    if (canExit()) {
        ui::Window::onOk();
    }
}

void CHollinDlg::onCancel() {
    if (canExit()) {
        ui::Window::onCancel();
    }
}

void CHollinDlg::onCloseBox() {
    if (canExit()) {
        ui::Window::onCancel();
    }
}

// --- small helpers shared by the handlers

void CHollinDlg::enableAll(std::span<const ControlId> ids, bool on) {
    for (ControlId id : ids)
        view().enable(id, on);
}

void CHollinDlg::enableAll(std::initializer_list<ControlId> ids, bool on) {
    enableAll(std::span<const ControlId>(ids.begin(), ids.size()), on);
}

void CHollinDlg::showAll(std::initializer_list<ControlId> ids, bool visible) {
    for (ControlId id : ids)
        view().show(id, visible);
}

void CHollinDlg::setTexts(std::span<const ControlId> ids, std::string_view text) {
    for (ControlId id : ids)
        view().setText(id, text);
}

void CHollinDlg::setTexts(std::initializer_list<ControlId> ids, std::string_view text) {
    setTexts(std::span<const ControlId>(ids.begin(), ids.size()), text);
}

void CHollinDlg::showMessage(const TextTwin& text) {
    showError(view(), text, messageLanguage_);
}

std::string CHollinDlg::selectedText(ControlId id) {
    return ui::selectedText(view(), id);
}

int CHollinDlg::selectedNumber(ControlId id) {
    return ui::selectedNumber(view(), id);
}

void CHollinDlg::showEmulationName() {
    view().setText(kEmulationText, emulationName(session_->emulationKind));
}

void CHollinDlg::enableLineListsFor(int emulationKind) {
    enableAll({kBaudList, kParityList, kStopBitsList}, true);
    enableAll({kDataBitsList, kFlowList}, emulationKind == kEscPos);
}

void CHollinDlg::disableOpenOnlyControls() {
    static constexpr ControlId kOpenOnly[] = {kBtAutoConnectOn, kBtAutoConnectOff, kAdvancedOptions,
                                              kStartBluetooth,  kGapCalibration,   kBlackMarkCalibration};
    enableAll(kOpenOnly, false);
}

bool CHollinDlg::takeResult(const PrinterResult& result) {
    if (result.emulation)
        session_->emulationKind = *result.emulation;
    if (result.model)
        session_->modelIndex = *result.model;
    return reportResult(view(), result, messageLanguage_);
}

void CHollinDlg::debugOutput(std::string_view text) {
    if (deps_.debugOutput) {
        deps_.debugOutput(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace hollin::printer
