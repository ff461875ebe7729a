#include "printer/bluetooth_panel.h"

#include <utility>

#include "printer/bluetooth_codec.h"
#include "printer/result_messages.h"

namespace hollin::printer {

using ui::ControlId;
using ui::Notification;

BluetoothPanel::BluetoothPanel(ui::Window& owner, BluetoothTransport& transport, PinRule pinRule,
                               const int& messageLanguage, Reporter report)
    : owner_(owner),
      transport_(transport),
      pinRule_(pinRule),
      messageLanguage_(messageLanguage),
      report_(std::move(report)) {}

void BluetoothPanel::bind(const Binder& on, bool withBleAndNumeric) {
    on(bt::kGetInfo, Notification::Clicked, [this] { onGetInfo(); });
    on(bt::kSetInfo, Notification::Clicked, [this] { onSetInfo(); });
    on(bt::kSavePin, Notification::Clicked, [this] { onSavePin(); });
    on(bt::kPin, Notification::EditChanged, [this] { onPinChanged(); });
    on(bt::kDiscoverableOn, Notification::Clicked, [this] { onDiscoverableChoice(true); });
    on(bt::kDiscoverableOff, Notification::Clicked, [this] { onDiscoverableChoice(false); });
    on(bt::kSaveDiscoverable, Notification::Clicked, [this] { onSaveDiscoverable(); });
    on(bt::kAutoConnectOn, Notification::Clicked,
       [this] { onPair(bt::kAutoConnectOn, bt::kAutoConnectOff, setAutoConnection, true); });
    on(bt::kAutoConnectOff, Notification::Clicked,
       [this] { onPair(bt::kAutoConnectOff, bt::kAutoConnectOn, setAutoConnection, false); });
    if (!withBleAndNumeric)
        return;
    on(bt::kBleOn, Notification::Clicked, [this] { onPair(bt::kBleOn, bt::kBleOff, setBle, true); });
    on(bt::kBleOff, Notification::Clicked, [this] { onPair(bt::kBleOff, bt::kBleOn, setBle, false); });
    on(bt::kNumericOn, Notification::Clicked,
       [this] { onPair(bt::kNumericOn, bt::kNumericOff, setNumericComparison, true); });
    on(bt::kNumericOff, Notification::Clicked,
       [this] { onPair(bt::kNumericOff, bt::kNumericOn, setNumericComparison, false); });
}

void BluetoothPanel::showError(const TextTwin& text) {
    printer::showError(view(), text, messageLanguage_);
}

// The fields are shown as they arrive, so what was read before a failure stays on the screen.
void BluetoothPanel::onGetInfo() {
    const BluetoothInfo info = readBluetoothInfo(transport_);
    if (info.address)
        view().setText(bt::kAddress, *info.address);
    if (info.discoverable) {
        discoverable_ = *info.discoverable ? 1 : 0;
        view().setChecked(bt::kDiscoverableOn, discoverable_ == 1);
        view().setChecked(bt::kDiscoverableOff, discoverable_ == 0);
        view().setText(bt::kPin, "?");
    }
    if (info.name) {
        if (btNameUnsupported(*info.name)) {
            view().setText(bt::kName, pickText(kBtUnsupportedText, messageLanguage_));
        } else {
            view().setText(bt::kName, *info.name);
            view().enable(bt::kName, true);
            view().enable(bt::kSetInfo, true);
        }
    }
    if (!report_(info.result))
        return;
    view().enable(bt::kSavePin, false);
    view().enable(bt::kSaveDiscoverable, false);
}

// The main window's group asks the printer first, then checks the value (the window's transport asks
// nothing, so there the check comes first in effect).
void BluetoothPanel::onSetInfo() {
    const PrinterResult result = setBluetoothName(transport_, view().text(bt::kName));
    if (result.outcome == Outcome::Refused) {
        showError(kBtNameTooLongText);
        return;
    }
    if (report_(result))
        view().enable(bt::kSetInfo, false);
}

const TextTwin& BluetoothPanel::pinRefusal(const std::string& pin) const {
    const TextTwin* refusal = checkBluetoothPin(pin, pinRule_);
    return refusal != nullptr ? *refusal : kBtPinLengthText;
}

void BluetoothPanel::onSavePin() {
    const std::string pin = view().text(bt::kPin);
    const PrinterResult result = setBluetoothPin(transport_, pin, pinRule_);
    if (result.outcome == Outcome::Refused) {
        showError(pinRefusal(pin));
        return;
    }
    if (report_(result))
        view().enable(bt::kSavePin, false);
}

void BluetoothPanel::onPinChanged() {
    view().enable(bt::kSavePin, !view().text(bt::kPin).empty());
}

void BluetoothPanel::onDiscoverableChoice(bool on) {
    const int flag = on ? 1 : 0;
    if (flag == discoverable_) {
        // Clicking the current choice changes nothing (a radio the user clicked is checked again).
        view().setChecked(bt::kDiscoverableOn, discoverable_ == 1);
        view().setChecked(bt::kDiscoverableOff, discoverable_ == 0);
        return;
    }
    discoverable_ = flag;
    view().setChecked(bt::kDiscoverableOn, on);
    view().setChecked(bt::kDiscoverableOff, !on);
    view().enable(bt::kSaveDiscoverable, true);
}

void BluetoothPanel::onSaveDiscoverable() {
    if (report_(setDiscoverable(transport_, discoverable_ == 1)))
        view().enable(bt::kSaveDiscoverable, false);
}

void BluetoothPanel::onPair(ControlId pressed, ControlId partner,
                            PrinterResult (*action)(BluetoothTransport&, bool), bool on) {
    if (!report_(action(transport_, on)))
        return;
    view().enable(pressed, false);
    view().enable(partner, true);
}

}  // namespace hollin::printer
