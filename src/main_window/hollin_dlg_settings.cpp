// The main window's printer settings: power save, code page and its printed sample, density, label
// media, the two sensor calibrations and the compatible mode.
//
// None of these commands is answered by the printer. Power save and the media buttons first check that
// the printer still answers (the probe), the others send at once. A command that did not reach the
// printer is reported ("Sending ERROR"); the handler then announces nothing and changes no control.
#include <optional>

#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/option_lists.h"
#include "printer/printer_commands.h"
#include "printer/printer_operations.h"
#include "ui/info_window.h"

namespace hollin::printer {

using namespace ids;

void CHollinDlg::mapSettingsHandlers() {
    onClicked(kSavePowerSave, [this] { onSavePowerSave(); });
    onSelectionChanged(kPowerSaveList, [this] { onPowerSaveMode(); });
    onClicked(kSaveCodePage, [this] { onSaveCodePage(); });
    onClicked(kPrintCodePage, [this] { takeResult(printCodePageSample(session_->exchange)); });
    onClicked(kSaveDensity, [this] { onSaveDensity(); });
    onClicked(kSetGap, [this] { onSetMedia(kSetGap, MediaKind::Gap); });
    onClicked(kSetBlackMark, [this] { onSetMedia(kSetBlackMark, MediaKind::BlackMark); });
    onClicked(kSetContinuous, [this] { onSetMedia(kSetContinuous, MediaKind::Continuous); });
    onClicked(kGapCalibration, [this] { takeResult(calibrate(session_->exchange, Calibration::Gap)); });
    onClicked(kBlackMarkCalibration,
              [this] { takeResult(calibrate(session_->exchange, Calibration::BlackMark)); });
    onClicked(kCompatibleOn, [this] { onCompatibleMode(1); });
    onClicked(kCompatibleOff, [this] { onCompatibleMode(0); });
    onClicked(kSaveCompatible, [this] { onSaveCompatibleMode(); });
}

// The position chosen in a setting list. A list without a chosen entry gives no value to send: the
// operator is told and nothing goes out.
std::optional<int> CHollinDlg::chosenPosition(ControlId list) {
    const int position = view().selection(list);
    if (position < 0 || position >= view().itemCount(list)) {
        showMessage(kNothingSelectedText);
        return std::nullopt;
    }
    return position;
}

// Mode and minutes go to the printer as one byte each; the printer may power off afterwards, so the
// port closes whatever the operator does with the announcement (and also when the command did not go
// out: the link gave up on it, and the operator starts again from Open Port).
void CHollinDlg::onSavePowerSave() {
    const std::optional<int> mode = chosenPosition(kPowerSaveList);
    if (!mode)
        return;
    const int minutes = parseMinutes(view().text(kPowerSaveMinutes));
    const PrinterResult result = setPowerSave(session_->exchange, *mode, minutes);
    switch (result.outcome) {
        case Outcome::Refused:
            showMessage(kMinutesOutOfRangeText);
            return;
        case Outcome::NoResponse:
        case Outcome::UnknownEmulation:
            takeResult(result);
            return;
        default:
            break;
    }
    if (takeResult(result)) {
        ui::InfoWindow info;
        info.kind = ui::InfoWindow::kPowerSave;
        info.powerSaveMode = *mode;
        info.minutes = minutes;
        if (desktop().runModal(info, this) == ui::kResultOk)
            enableAll({kSavePowerSave, kPowerSaveList, kPowerSaveMinutes}, false);
    }
    closePort();
}

// "Power Save Off" has no minutes.
void CHollinDlg::onPowerSaveMode() {
    const int mode = view().selection(kPowerSaveList);
    view().enable(kPowerSaveMinutes, mode == 1 || mode == 2);
}

// EPL printers number their code pages from 1, and their list is their own.
void CHollinDlg::onSaveCodePage() {
    const std::optional<int> position = chosenPosition(kCodePageList);
    if (!position)
        return;
    const int kind = session_->emulationKind;
    if (!takeResult(setCodePage(session_->exchange, kind, *position)))
        return;
    ui::InfoWindow info;
    info.kind = kind == kEpl ? ui::InfoWindow::kEplCodePage : ui::InfoWindow::kGeneralCodePage;
    info.entryText =
        kind == kEpl ? listEntry(kEplCodePages, *position) : listEntry(kGeneralCodePages, *position);
    desktop().runModal(info, this);
}

void CHollinDlg::onSaveDensity() {
    const std::optional<int> position = chosenPosition(kDensityList);
    if (!position)
        return;
    if (!takeResult(setDensity(session_->exchange, *position)))
        return;
    ui::InfoWindow info;
    info.kind = ui::InfoWindow::kDensity;
    info.entryText = listEntry(kDensityNames, *position);
    desktop().runModal(info, this);
}

// Gap, black mark or continuous media, by the button pressed. Printers whose emulation has no such
// command get nothing, but the buttons still show the mode as chosen: the button of the mode just set
// is the only one of the three disabled, and the sensor position is usable except for black mark.
void CHollinDlg::onSetMedia(ControlId button, MediaKind kind) {
    int sensor = 0;
    if (kind == MediaKind::BlackMark) {
        const std::optional<int> chosen = chosenPosition(kSensorPositionList);
        if (!chosen)
            return;
        sensor = *chosen;
    }
    if (!takeResult(setMedia(session_->exchange, kind, sensor)))
        return;
    enableAll({kSetGap, kSetBlackMark, kSetContinuous}, true);
    view().enable(button, false);
    view().enable(kSensorPositionList, kind != MediaKind::BlackMark);
}

void CHollinDlg::onCompatibleMode(int flag) {
    view().setChecked(kCompatibleOn, flag == 1);
    view().setChecked(kCompatibleOff, flag == 0);
    compatibleMode_ = flag;
    view().enable(kSaveCompatible, true);
}

// Only ESC/POS and CPCL printers, as last read, take the compatible mode.
void CHollinDlg::onSaveCompatibleMode() {
    if (takeResult(setCompatibleMode(session_->exchange, session_->emulationKind, compatibleMode_)))
        view().enable(kSaveCompatible, false);
}

}  // namespace hollin::printer
