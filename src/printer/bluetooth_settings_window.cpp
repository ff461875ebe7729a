#include "printer/bluetooth_settings_window.h"

#include "printer/result_messages.h"
#include "ui/button_icons.h"

namespace hollin::printer {

BluetoothSettingsWindow::BluetoothSettingsWindow(BorrowedLink link)
    : ui::Window(kDialogId),
      channel_(link),
      transport_(channel_),
      panel_(*this, transport_, PinRule::AnyFour, messageLanguage_,
             [this](const PrinterResult& result) { return reportResult(view(), result, messageLanguage_); }) {
    panel_.bind(
        [this](ui::ControlId id, ui::Notification n, std::function<void()> handler) { on(id, n, handler); },
        true);
}

// The name can be set only once it was read; every other button is usable at once.
void BluetoothSettingsWindow::onInit() {
    view().setTitle(kTitle);
    static constexpr ui::ButtonIcon kIcons[] = {{bt::kGetInfo, 131},
                                                {bt::kSetInfo, 165},
                                                {bt::kSavePin, 173},
                                                {bt::kSaveDiscoverable, 175},
                                                {bt::kAutoConnectOn, 167},
                                                {bt::kAutoConnectOff, 168},
                                                {bt::kBleOn, 167},
                                                {bt::kBleOff, 168},
                                                {bt::kNumericOn, 167},
                                                {bt::kNumericOff, 168},
                                                {ui::IDOK, 145}};
    ui::setButtonIcons(view(), kIcons);
    // Emptying the PIN tells the panel so; the buttons are set afterwards.
    for (ui::ControlId id : {bt::kAddress, bt::kName, bt::kPin})
        view().setText(id, "");
    for (ui::ControlId id :
         {bt::kGetInfo, bt::kSavePin, bt::kSaveDiscoverable, bt::kAutoConnectOn, bt::kAutoConnectOff,
          bt::kBleOn, bt::kBleOff, bt::kNumericOn, bt::kNumericOff, ui::IDOK})
        view().enable(id, true);
    view().enable(bt::kName, false);
    view().enable(bt::kSetInfo, false);
    messageLanguage_ = startMessageLanguage();
}

}  // namespace hollin::printer
