// The main window's emulation read and switch, and the save of the printer's serial line settings.
#include <string>

#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/printer_operations.h"

namespace hollin::printer {

using namespace ids;

namespace {

// Set CPCL / Set ESC/POS, once the switch is sent: the port is closed and only the connection
// controls, Open Port, Wi-Fi and Exit stay usable.
constexpr ControlId kSwitchEnabled[] = {kPortList, kOpenPort};
constexpr ControlId kSwitchDisabled[] = {
    kClosePort,          kSaveSerialConfig, kGetEmulation,  kSetCpcl,
    kSetEscPos,          kSetGap,           kSetBlackMark,  kSetContinuous,
    kSensorPositionList, kDensityList,      kSaveDensity,   kFontOpenFile,
    kFontDownload,       kBtGetInfo,        kBtSavePin,     kBtSaveDiscoverable,
    kPowerSaveList,      kPowerSaveMinutes, kSavePowerSave, kCodePageList,
    kSaveCodePage,       kPrintCodePage};
constexpr ControlId kSwitchDisabledBluetooth[] = {kBtPin, kBtDiscoverableOn, kBtDiscoverableOff,
                                                  kBtAutoConnectOn, kBtAutoConnectOff};

// Save Serial Port Configuration, once the line is sent (Close Port is disabled after the link
// closes; the line lists keep their selection and state).
constexpr ControlId kSerialSaveEnabled[] = {kPortList, kOpenPort};
constexpr ControlId kSerialSaveDisabled[] = {kSaveSerialConfig,
                                             kGetEmulation,
                                             kSetCpcl,
                                             kSetEscPos,
                                             kSetGap,
                                             kSetBlackMark,
                                             kSetContinuous,
                                             kSensorPositionList,
                                             kDensityList,
                                             kSaveDensity,
                                             kFontOpenFile,
                                             kFontDownload,
                                             kBtGetInfo,
                                             kBtSavePin,
                                             kBtSaveDiscoverable,
                                             kPowerSaveList,
                                             kPowerSaveMinutes,
                                             kSavePowerSave,
                                             kCodePageList,
                                             kSaveCodePage,
                                             kPrintCodePage};
constexpr ControlId kSerialSaveDisabledBluetooth[] = {kBtPin, kBtDiscoverableOn, kBtDiscoverableOff};

}  // namespace

void CHollinDlg::mapEmulationHandlers() {
    onClicked(kGetEmulation, [this] { onGetEmulation(); });
    onClicked(kSetCpcl, [this] { onSetEmulation(SwitchTarget::Cpcl); });
    onClicked(kSetEscPos, [this] { onSetEmulation(SwitchTarget::EscPos); });
    onClicked(kSaveSerialConfig, [this] { onSaveSerialConfig(); });
}

// Reads the emulation again; only the six named emulations are accepted here. The other controls
// keep their state.
void CHollinDlg::onGetEmulation() {
    const PrinterResult result = readEmulation(session_->exchange);
    if (result.outcome == Outcome::UnknownEmulation) {
        view().setText(kEmulationText, kUnknownEmulationText);
        return;
    }
    if (takeResult(result))
        showEmulationName();
}

// Switches the printer's emulation. The printer restarts in its new emulation, so the port closes
// and the operator opens it again.
void CHollinDlg::onSetEmulation(SwitchTarget target) {
    const PrinterResult result = switchEmulation(session_->exchange, session_->emulationKind, target);
    session_->closeLink();
    enableAll(kSwitchEnabled, true);
    enableAll(kSwitchDisabled, false);
    view().enable(kStartWifi, true);
    enableAll(kSwitchDisabledBluetooth, false);
    // Beyond the switch's own list: the controls that would act on the link just closed.
    disableOpenOnlyControls();
    if (result.emulation)
        session_->emulationKind = *result.emulation;
    enableLineListsFor(session_->emulationKind);
    view().enable(kAdvancedOptions, false);
    view().enable(kExit, true);
    // A printer that never heard the switch keeps its emulation, and the operator is told.
    if (takeResult(result))
        showEmulationName();
}

// Writes the line parameters of the lists into the printer as its serial settings, then closes the
// port; the lists keep their values so the port can be opened again with them at once.
void CHollinDlg::onSaveSerialConfig() {
    SerialLineChoice line;
    line.baud = selectedNumber(kBaudList);
    line.dataBitsPosition = view().selection(kDataBitsList);
    line.parityPosition = view().selection(kParityList);
    line.stopBitsPosition = view().selection(kStopBitsList);
    line.stopBits = selectedNumber(kStopBitsList);
    line.flowPosition = view().selection(kFlowList);
    const PrinterResult result = saveSerialLine(session_->exchange, session_->emulationKind, line,
                                                [this](std::string_view text) { debugOutput(text); });
    enableAll(kSerialSaveEnabled, true);
    enableAll(kSerialSaveDisabled, false);
    view().enable(kStartWifi, true);
    enableAll(kSerialSaveDisabledBluetooth, false);
    // Beyond the save's own list: the controls that would act on the link about to close.
    disableOpenOnlyControls();
    view().enable(kExit, true);
    session_->closeLink();
    view().enable(kClosePort, false);
    takeResult(result);
}

}  // namespace hollin::printer
