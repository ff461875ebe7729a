#pragma once

#include <functional>

#include "common/text_twin.h"
#include "printer/bluetooth_operations.h"
#include "ui/window.h"

namespace hollin::printer {

// Control ids of the Bluetooth controls, the same in the Bluetooth window (dialog 178) and in the
// main window's Bluetooth group.
namespace bt {
using ui::ControlId;
inline constexpr ControlId kGetInfo = 1012;
inline constexpr ControlId kAddress = 1013;
inline constexpr ControlId kPin = 1014;
inline constexpr ControlId kDiscoverableOn = 1015;
inline constexpr ControlId kDiscoverableOff = 1016;
inline constexpr ControlId kSavePin = 1017;
inline constexpr ControlId kSaveDiscoverable = 1018;
inline constexpr ControlId kName = 1030;
inline constexpr ControlId kSetInfo = 1031;
inline constexpr ControlId kAutoConnectOn = 1033;
inline constexpr ControlId kAutoConnectOff = 1034;
// The Bluetooth window only.
inline constexpr ControlId kBleOn = 1036;
inline constexpr ControlId kBleOff = 1037;
inline constexpr ControlId kNumericOn = 1039;
inline constexpr ControlId kNumericOff = 1040;
}  // namespace bt

inline constexpr TextTwin kBtUnsupportedText = {"Unsupported !!!", "지원 안 됨"};

// The Bluetooth controls' behaviour, shared by the Bluetooth window and the main window's group: the
// handlers of Get and Set Bluetooth Information, the PIN and its save, the discoverable radios and
// their save, and the on/off pairs. The owner maps its controls to these handlers (bind) and lends
// its view; actions go through `transport`.
class BluetoothPanel {
  public:
    // Registers a handler for a control's notification in the owner's message map.
    using Binder = std::function<void(ui::ControlId, ui::Notification, std::function<void()>)>;
    // Tells the operator of a failed action; true when it succeeded.
    using Reporter = std::function<bool(const PrinterResult&)>;

    // `owner`, `transport` and `messageLanguage` must outlive the panel.
    BluetoothPanel(ui::Window& owner, BluetoothTransport& transport, PinRule pinRule,
                   const int& messageLanguage, Reporter report);

    // Maps the controls present in both places; withPairs adds BLE and numeric comparison.
    void bind(const Binder& on, bool withBleAndNumeric);

    void onGetInfo();
    void onSetInfo();
    void onSavePin();
    void onPinChanged();
    void onDiscoverableChoice(bool on);
    void onSaveDiscoverable();
    // One button of an on/off pair: sends, then disables the button pressed and enables its partner.
    void onPair(ui::ControlId pressed, ui::ControlId partner,
                PrinterResult (*action)(BluetoothTransport&, bool), bool on);

    int discoverableFlag() const { return discoverable_; }

  private:
    ui::DialogView& view() { return owner_.view(); }
    void showError(const TextTwin& text);
    // Why the PIN was refused, in the words of the rule.
    const TextTwin& pinRefusal(const std::string& pin) const;

    ui::Window& owner_;
    BluetoothTransport& transport_;
    PinRule pinRule_;
    const int& messageLanguage_;
    Reporter report_;
    int discoverable_ = 0;  // 1 ON, 0 OFF
};

}  // namespace hollin::printer
