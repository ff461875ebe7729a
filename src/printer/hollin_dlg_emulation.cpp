// The main window's emulation read and switch, and the save of the printer's serial line settings.
#include <string>

#include "printer/hollin_dlg.h"
#include "printer/main_window_ids.h"
#include "printer/printer_commands.h"

namespace hollin::printer {

using namespace ids;

void CHollinDlg::mapEmulationHandlers() {
    onClicked(kGetEmulation, [this] { onGetEmulation(); });
    onClicked(kSetCpcl, [this] { onSetEmulation(true); });
    onClicked(kSetEscPos, [this] { onSetEmulation(false); });
    onClicked(kSaveSerialConfig, [this] { onSaveSerialConfig(); });
}

// Reads the emulation again; only the six named emulations are accepted here. The other controls
// keep their state.
void CHollinDlg::onGetEmulation() {
    PrinterExchange& exchange = session_->exchange;
    if (exchange.probeReply() == 0) {
        showMessage(kNoResponseText);
        return;
    }
    const auto reply = exchange.reply();
    const auto kind = namedEmulationFromByte(reply.back());
    if (!kind) {
        view().setText(kEmulationText, kUnknownEmulationText);
        return;
    }
    session_->emulationKind = *kind;
    showEmulationName();
}

// Switches the printer's emulation. The printer restarts in its new emulation, so the port closes
// and the operator opens it again.
void CHollinDlg::onSetEmulation(bool cpcl) {
    const int current = session_->emulationKind;
    const EmulationSwitch change = cpcl ? setCpclSwitch(current) : setEscPosSwitch(current);
    const bool sent = session_->send(emulationSwitchCommand(change.target));
    session_->closeLink();
    enableAll({kPortList, kOpenPort}, true);
    enableAll({kClosePort,          kSaveSerialConfig, kGetEmulation,  kSetCpcl,
               kSetEscPos,          kSetGap,           kSetBlackMark,  kSetContinuous,
               kSensorPositionList, kDensityList,      kSaveDensity,   kFontOpenFile,
               kFontDownload,       kBtGetInfo,        kBtSavePin,     kBtSaveDiscoverable,
               kPowerSaveList,      kPowerSaveMinutes, kSavePowerSave, kCodePageList,
               kSaveCodePage,       kPrintCodePage},
              false);
    view().enable(kStartWifi, true);
    enableAll({kBtPin, kBtDiscoverableOn, kBtDiscoverableOff, kBtAutoConnectOn, kBtAutoConnectOff}, false);
    disableOpenOnlyControls();
    if (sent)
        session_->emulationKind = change.newKind;
    enableLineListsFor(session_->emulationKind);
    view().enable(kAdvancedOptions, false);
    view().enable(kExit, true);
    if (!sent) {
        // The printer never heard the switch: it keeps its emulation, and the operator is told.
        showMessage(kSendFailedText);
        return;
    }
    showEmulationName();
}

// Writes the line parameters of the lists into the printer as its serial settings, then closes the
// port; the lists keep their values so the port can be opened again with them at once.
void CHollinDlg::onSaveSerialConfig() {
    const int baud = selectedNumber(kBaudList);
    const int parity = view().selection(kParityList);
    bool sent = true;
    if (session_->emulationKind == kCpcl) {
        for (const std::string& text : cpclSerialConfigTexts(baud, parity, selectedNumber(kStopBitsList))) {
            sent = session_->send(text);
            debugOutput(text);
            if (!sent)
                break;
        }
    } else {
        sent =
            session_->send(serialConfigCommand(baud, view().selection(kDataBitsList), parity,
                                               view().selection(kStopBitsList), view().selection(kFlowList)));
    }
    enableAll({kPortList, kOpenPort}, true);
    enableAll({kSaveSerialConfig,
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
               kPrintCodePage},
              false);
    view().enable(kStartWifi, true);
    enableAll({kBtPin, kBtDiscoverableOn, kBtDiscoverableOff}, false);
    disableOpenOnlyControls();
    view().enable(kExit, true);
    session_->closeLink();
    view().enable(kClosePort, false);
    if (!sent)
        showMessage(kSendFailedText);
}

}  // namespace hollin::printer
