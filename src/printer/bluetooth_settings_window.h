#pragma once

#include <memory>
#include <string_view>

#include "printer/bluetooth_panel.h"
#include "transport/byte_channel.h"
#include "transport/printer_session.h"
#include "ui/window.h"

namespace hollin::printer {

// The Bluetooth settings window (dialog 178): reads the module's address, discoverable mode and
// device name, and sets the name, the PIN, the discoverable mode, iOS auto connection, BLE and
// numeric comparison, over the main window's lent port.
class BluetoothSettingsWindow : public ui::Window {
  public:
    static constexpr int kDialogId = 178;
    static constexpr std::string_view kTitle = "Bluetooth Settings Dialog 2.69";

    // `link` is the main window's open port, lent for as long as this window runs.
    explicit BluetoothSettingsWindow(BorrowedLink link);

    void onInit() override;
    int messageLanguage() const { return messageLanguage_; }
    const BluetoothPanel& panel() const { return panel_; }

  private:
    BorrowedChannel channel_;
    ChannelBluetoothTransport transport_;
    int messageLanguage_ = kLanguageEnglish;
    BluetoothPanel panel_;
};

}  // namespace hollin::printer
