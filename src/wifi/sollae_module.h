#pragma once

#include <string_view>

#include "common/text_twin.h"
#include "ui/window.h"
#include "wifi/module_exchange.h"
#include "wifi/module_operations.h"
#include "wificodec/sollae_settings.h"

namespace hollin::wifi {

class CWiFiSettings;
class ModuleSecurity;
struct WifiWindowDeps;

// The Wi-Fi window's flow for a Sollae module on its link: Get Wi-Fi Information reads it parameter
// by parameter, the form following each value as it arrives, and Save Wi-Fi Information writes the
// form back parameter by parameter, then into the module's flash.
class SollaeModule {
  public:
    explicit SollaeModule(CWiFiSettings& window);
    SollaeModule(const SollaeModule&) = delete;
    SollaeModule& operator=(const SollaeModule&) = delete;

    void readSollae();
    void saveSollae();

  private:
    void showSollaeStep(SollaeStep step);
    void fillWpaListsSollae();
    void finishSollaeRead(const SollaeReadResult& result);
    SollaeForm sollaeForm();
    void showSollaeSaveFailure(const SollaeSaveResult& result);
    void finishSollaeSave();

    // What the window shares with its Sollae flow.
    ui::DialogView& view();
    ui::Desktop& desktop();
    void selectIndex(ui::ControlId list, int index);
    void showWpaKeyText(std::string_view text);
    void showReadCompleted();
    void showMessage(const TextTwin& text, const TextTwin& caption);
    void trace(std::string_view text);

    CWiFiSettings& window_;
    WifiWindowDeps& deps_;
    ModuleExchange& exchange_;
    ModuleSecurity& security_;
    SollaeSettings& sollae_;
    const int& messageLanguage_;
    const int& moduleGeneration_;
    int& parameterSet_;
    int& shownEncryption_;
    int& tcpPort_;
};

}  // namespace hollin::wifi
