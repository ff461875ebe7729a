// The main window's connection: port kind, the line check, Open Port and Close Port.
#include <string>

#include "link/open_failure.h"
#include "link/open_link.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/option_lists.h"
#include "printer/result_messages.h"
#include "ui/list_fill.h"

namespace hollin::printer {

using namespace ids;

namespace {

using ui::kUsbPortPosition;
constexpr int kOpenPortIcon = 130, kClosePortIcon = 135;
constexpr int kUsbOpenPortIcon = 142, kUsbClosePortIcon = 143;
constexpr int kSetCpclIcon = 136, kSetEscPosIcon = 137;
constexpr TextTwin kSetCpclCaption = {"Set CPCL", "CPCL 설정"};
constexpr TextTwin kSetEscPosCaption = {"Set ESC/POS", "ESC/POS 설정"};
constexpr int kDefaultDensity = 2;  // "DENSITY [+1]"

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Open Port clears these first; Close Port clears them and the device name.
constexpr ControlId kOpenClearedTexts[] = {kEmulationText, kBtAddress, kBtPin, kPowerSaveMinutes};
constexpr ControlId kDisplayTexts[] = {kEmulationText, kBtAddress, kBtPin, kPowerSaveMinutes, kBtName};

// Open Port, emulation-dependent controls.
constexpr ControlId kLineListsEscPos[] = {kBaudList, kDataBitsList, kParityList, kStopBitsList};
constexpr ControlId kLineListsOther[] = {kBaudList, kParityList, kStopBitsList};
constexpr ControlId kEscPosOnlyLists[] = {kDataBitsList, kFlowList};
constexpr ControlId kMediaControls[] = {kSetGap, kSetBlackMark, kSetContinuous, kSensorPositionList};
constexpr ControlId kDensityControls[] = {kDensityList, kSaveDensity};

// Open Port, the common controls: the connection is fixed and "E&xit" cannot be used while a port is
// open.
constexpr ControlId kOpenDisabled[] = {kPortList, kOpenPort};
constexpr ControlId kOpenEnabled[] = {kClosePort, kGetEmulation, kSetCpcl,           kSetEscPos,
                                      kBtGetInfo, kBtSavePin,    kBtSaveDiscoverable};
constexpr ControlId kOpenEnabledBluetooth[] = {kBtPin, kBtDiscoverableOn, kBtDiscoverableOff};
constexpr ControlId kOpenEnabledLate[] = {kPowerSaveList, kSavePowerSave, kBtDiscoverableOn,
                                          kBtDiscoverableOff};
constexpr ControlId kOpenEnabledLast[] = {kStartBluetooth, kGapCalibration, kBlackMarkCalibration};

// Close Port.
constexpr ControlId kCloseEnabled[] = {kPortList, kOpenPort};
constexpr ControlId kCloseDisabled[] = {
    kClosePort,    kSaveSerialConfig, kGetEmulation, kSetCpcl,           kSetEscPos,          kSetGap,
    kSetBlackMark, kDensityList,      kSaveDensity,  kSetContinuous,     kSensorPositionList, kFontOpenFile,
    kFontDownload, kBtGetInfo,        kBtSavePin,    kBtSaveDiscoverable};
constexpr ControlId kCloseDisabledSettings[] = {kBtPin,         kBtDiscoverableOn, kBtDiscoverableOff,
                                                kPowerSaveList, kPowerSaveMinutes, kSavePowerSave,
                                                kCodePageList,  kSaveCodePage,     kPrintCodePage};
constexpr ControlId kCloseDisabledDevice[] = {kBtName, kBtSetInfo};
constexpr ControlId kCloseDisabledLast[] = {kBtAutoConnectOn, kBtAutoConnectOff, kAdvancedOptions,
                                            kStartBluetooth,  kGapCalibration,   kBlackMarkCalibration,
                                            kSaveCompatible,  kCompatibleOn,     kCompatibleOff};

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
    ui::refuseSevenBitsWithoutParity(view(), kPortSection, changed);
}

void CHollinDlg::onOpenPort() {
    setTexts(kOpenClearedTexts, "");
    const std::string port = selectedText(kPortList);

    // A port a printer driver holds is not opened.
    const DriverPortCheck check = checkDriverPort(deps_.spooler, port, conflict_);
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

    // Which printer answers, if any, and which model it is.
    const PrinterResult identity = identifyPrinter(session_->exchange);
    if (!takeResult(identity)) {
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

    enableAll(kOpenEnabledLate, true);
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
    if (identity.model && (*identity.model == 1 || *identity.model == 2))
        enableAll({kSetContinuous, kSensorPositionList}, false);
    enableAll(kOpenEnabledLast, true);
}

// Opens the link the port text names; on failure the operator is told and nothing stays open.
bool CHollinDlg::openLink(const std::string& port) {
    LineCodes line;
    PortKind kind = PortKind::Usb;
    if (contains(port, "COM")) {
        kind = PortKind::Serial;
        line = {static_cast<std::uint32_t>(selectedNumber(kBaudList)), view().selection(kParityList),
                view().selection(kDataBitsList), view().selection(kStopBitsList),
                view().selection(kFlowList)};
    } else if (!contains(port, "USB")) {
        // No such port: the link in use stays as it was and the probe below finds no printer.
        return true;
    }
    if (session_->open(kind, port, line))
        return true;
    const TextTwin& first = kind == PortKind::Serial ? kSerialOpenFailedText : kUsbOpenFailedText;
    showError(view(),
              openFailureMessage(pickText(first, messageLanguage_), session_->link()->openFailure(), kind,
                                 messageLanguage_),
              messageLanguage_);
    return false;
}

void CHollinDlg::enableForEmulation() {
    switch (session_->emulationKind) {
        case kEscPos:
            enableAll(kLineListsEscPos, true);
            enableAll(kMediaControls, false);
            enableAll(kDensityControls, true);
            view().enable(kSaveSerialConfig, true);
            break;
        case kCpcl:
        case kZpl:
        case kEpl:
            enableAll(kLineListsOther, true);
            enableAll(kEscPosOnlyLists, false);
            enableAll(kMediaControls, true);
            enableAll(kDensityControls, false);
            view().enable(kSaveSerialConfig, true);
            break;
        default:  // MPCL, DPL and the unnamed codes: no serial save, no media or density controls
            break;
    }
}

void CHollinDlg::enableCommonOpenControls() {
    enableAll(kOpenDisabled, false);
    enableAll(kOpenEnabled, true);
    view().enable(kStartWifi, false);
    enableAll(kOpenEnabledBluetooth, true);
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
    enableAll(kCloseEnabled, true);
    enableAll(kCloseDisabled, false);
    view().enable(kStartWifi, true);
    enableAll(kCloseDisabledSettings, false);
    enableLineListsFor(session_->emulationKind);
    enableAll(kCloseDisabledDevice, false);
    setTexts(kDisplayTexts, "");
    enableAll(kCloseDisabledLast, false);
    view().enable(kExit, true);
}

}  // namespace hollin::printer
