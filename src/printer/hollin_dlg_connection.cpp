// The main window's connection: port kind, the line check, Open Port and Close Port.
#include <string>

#include "printer/hollin_dlg.h"
#include "printer/main_window_ids.h"
#include "printer/option_lists.h"
#include "ui/list_fill.h"

namespace hollin::printer {

using namespace ids;

namespace {

constexpr int kUsbPortPosition = 9;  // the entry after COM1..COM9
constexpr int kOpenPortIcon = 130, kClosePortIcon = 135;
constexpr int kUsbOpenPortIcon = 142, kUsbClosePortIcon = 143;
constexpr int kSetCpclIcon = 136, kSetEscPosIcon = 137;
constexpr TextTwin kSetCpclCaption = {"Set CPCL", "CPCL 설정"};
constexpr TextTwin kSetEscPosCaption = {"Set ESC/POS", "ESC/POS 설정"};
constexpr int kDataBits7 = 0, kDataBits8 = 1;
constexpr int kParityNone = 0, kParityOdd = 1;
constexpr int kDefaultDensity = 2;  // "DENSITY [+1]"

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

void CHollinDlg::mapConnectionHandlers() {
    onSelectionChanged(kPortList, [this] { onPortKind(); });
    onSelectionChanged(kDataBitsList, [this] { onDataBitsOrParity(kDataBitsList); });
    onSelectionChanged(kParityList, [this] { onDataBitsOrParity(kParityList); });
    onClicked(kOpenPort, [this] { onOpenPort(); });
    onClicked(kClosePort, [this] { closePort(); });
}

// "USB" has no line parameters; a COM port has all five, whatever the printer's emulation.
void CHollinDlg::onPortKind() {
    const bool usb = view().selection(kPortList) >= kUsbPortPosition;
    view().setIcon(kOpenPort, usb ? kUsbOpenPortIcon : kOpenPortIcon);
    view().setIcon(kClosePort, usb ? kUsbClosePortIcon : kClosePortIcon);
    enableAll({kBaudList, kDataBitsList, kParityList, kStopBitsList, kFlowList}, !usb);
    showPortToolTips();
}

// Printers take no 7-bit characters without parity: the list just changed moves back.
void CHollinDlg::onDataBitsOrParity(ControlId changed) {
    if (view().selection(kDataBitsList) != kDataBits7 || view().selection(kParityList) != kParityNone)
        return;
    view().messageBox(kDataBitsParityText, kDataBitsParityCaption, ui::MessageButtons::Ok,
                      ui::MessageIcon::None);
    if (changed == kDataBitsList)
        view().setSelection(kDataBitsList, kDataBits8);
    else
        view().setSelection(kParityList, kParityOdd);
}

void CHollinDlg::onOpenPort() {
    setTexts({kEmulationText, kBtAddress, kBtPin, kPowerSaveMinutes}, "");
    const std::string port = selectedText(kPortList);

    // A port a printer driver holds is not opened.
    if (deps_.spooler == nullptr) {
        if (!ownSpooler_)
            ownSpooler_ = makeSystemSpooler();
        deps_.spooler = ownSpooler_.get();
    }
    const DriverPortCheck check = checkDriverPort(*deps_.spooler, port, conflict_);
    if (check.enumPrintersFailed) {
        const MessageText m = enumPrintersFailedMessage();
        view().messageBox(m.text, m.caption, ui::MessageButtons::Ok, ui::MessageIcon::None);
    }
    if (check.conflict == 1) {
        const MessageText m = driverConflictMessage(conflict_, messageLanguage_);
        view().messageBox(m.text, m.caption, ui::MessageButtons::Ok, ui::MessageIcon::None);
        return;
    }
    if (!openLink(port))
        return;

    // Which printer answers, if any.
    const int probe = session_->probe();
    if (probe != kProbeOk) {
        reportProbeResult(view(), probe, messageLanguage_);
        session_->closeLink();
        return;
    }

    enableForEmulation();
    enableCommonOpenControls();
    fillSettingLists();
    showEmulationName();

    const int kind = session_->emulationKind;
    const bool fonts = kind == kCpcl || kind == kZpl;
    showAll({kFontGroup, kFontOpenFile, kFontDownload}, fonts);
    view().enable(kFontOpenFile, fonts);
    enableAll({kSetCpcl, kSetEscPos}, kind == kEscPos || kind == kCpcl);

    enableAll({kPowerSaveList, kSavePowerSave, kBtDiscoverableOn, kBtDiscoverableOff}, true);
    if (kind != kZpl && kind != kEpl) {
        view().setIcon(kSetCpcl, kSetCpclIcon);
        view().setIcon(kSetEscPos, kSetEscPosIcon);
        view().setText(kSetCpcl, pickText(kSetCpclCaption, messageLanguage_));
        view().setText(kSetEscPos, pickText(kSetEscPosCaption, messageLanguage_));
    }
    enableAll({kBtAutoConnectOn, kBtAutoConnectOff}, true);
    if (fonts) {
        view().show(kAdvancedOptions, true);
        view().enable(kAdvancedOptions, true);
    }

    // Two models have no continuous media.
    if (session_->queryModel() == 0 && (session_->modelIndex == 1 || session_->modelIndex == 2))
        enableAll({kSetContinuous, kSensorPositionList}, false);
    enableAll({kStartBluetooth, kGapCalibration, kBlackMarkCalibration}, true);
}

// Opens the link the port text names; on failure the operator is told and nothing stays open.
bool CHollinDlg::openLink(const std::string& port) {
    if (contains(port, "COM")) {
        const auto baud = static_cast<std::uint32_t>(selectedNumber(kBaudList));
        if (!session_->openSerial(port, baud, view().selection(kParityList), view().selection(kDataBitsList),
                                  view().selection(kStopBitsList), view().selection(kFlowList))) {
            showMessage(kSerialOpenFailedText);
            return false;
        }
        return true;
    }
    if (contains(port, "USB")) {
        if (!session_->openUsb(port)) {
            showMessage(kUsbOpenFailedText);
            return false;
        }
        return true;
    }
    // No such port: the link kind stays as it was and the probe below finds no printer.
    return true;
}

void CHollinDlg::enableForEmulation() {
    switch (session_->emulationKind) {
        case kEscPos:
            enableAll({kBaudList, kDataBitsList, kParityList, kStopBitsList}, true);
            enableAll({kSetGap, kSetBlackMark, kSetContinuous, kSensorPositionList}, false);
            enableAll({kDensityList, kSaveDensity, kSaveSerialConfig}, true);
            break;
        case kCpcl:
        case kZpl:
        case kEpl:
            enableAll({kBaudList, kParityList, kStopBitsList}, true);
            enableAll({kDataBitsList, kFlowList}, false);
            enableAll({kSetGap, kSetBlackMark, kSetContinuous, kSensorPositionList}, true);
            enableAll({kDensityList, kSaveDensity}, false);
            view().enable(kSaveSerialConfig, true);
            break;
        default:  // MPCL, DPL and the unnamed codes: no serial save, no media or density controls
            break;
    }
}

// "E&xit" cannot be used while a port is open.
void CHollinDlg::enableCommonOpenControls() {
    enableAll({kPortList, kOpenPort}, false);
    enableAll({kClosePort, kGetEmulation, kSetCpcl, kSetEscPos, kBtGetInfo, kBtSavePin, kBtSaveDiscoverable},
              true);
    view().enable(kStartWifi, false);
    enableAll({kBtPin, kBtDiscoverableOn, kBtDiscoverableOff}, true);
    view().enable(kExit, false);
}

// The power-save, code-page, density and sensor lists as a fresh connection starts them.
void CHollinDlg::fillSettingLists() {
    ui::fillList(view(), kPowerSaveList, kPowerSaveModes, 0);
    view().setText(kPowerSaveMinutes, "?");
    const int kind = session_->emulationKind;
    if (kind == kEscPos) {
        ui::fillList(view(), kCodePageList, kGeneralCodePages, 0);
        enableAll({kCodePageList, kSaveCodePage, kPrintCodePage}, true);
    } else if (kind == kEpl) {
        ui::fillList(view(), kCodePageList, kEplCodePages, 0);
        enableAll({kCodePageList, kSaveCodePage}, true);
        view().enable(kPrintCodePage, false);
    }
    ui::fillList(view(), kDensityList, kDensityNames, kDefaultDensity);
    ui::fillList(view(), kSensorPositionList, kSensorPositions, 0);
}

void CHollinDlg::closePort() {
    session_->closeLink();
    enableAll({kPortList, kOpenPort}, true);
    enableAll({kClosePort, kSaveSerialConfig, kGetEmulation, kSetCpcl, kSetEscPos, kSetGap, kSetBlackMark,
               kDensityList, kSaveDensity, kSetContinuous, kSensorPositionList, kFontOpenFile, kFontDownload,
               kBtGetInfo, kBtSavePin, kBtSaveDiscoverable},
              false);
    view().enable(kStartWifi, true);
    enableAll({kBtPin, kBtDiscoverableOn, kBtDiscoverableOff, kPowerSaveList, kPowerSaveMinutes,
               kSavePowerSave, kCodePageList, kSaveCodePage, kPrintCodePage},
              false);
    enableLineListsFor(session_->emulationKind);
    enableAll({kBtName, kBtSetInfo}, false);
    setTexts({kEmulationText, kBtAddress, kBtPin, kPowerSaveMinutes, kBtName}, "");
    enableAll({kBtAutoConnectOn, kBtAutoConnectOff, kAdvancedOptions, kStartBluetooth, kGapCalibration,
               kBlackMarkCalibration, kSaveCompatible, kCompatibleOn, kCompatibleOff},
              false);
    view().enable(kExit, true);
}

}  // namespace hollin::printer
