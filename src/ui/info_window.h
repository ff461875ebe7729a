#pragma once

#include <string>

#include "ui/window.h"

namespace hollin::ui {

// Modal window announcing the result of a printer setting (dialog 144).
class InfoWindow : public Window {
  public:
    static constexpr int kDialogId = 144;
    static constexpr ControlId kText = 1136;
    static constexpr int kOkIcon = 145;

    enum Kind : int {
        kPowerSave = 0,
        kGeneralCodePage = 1,
        kFactoryReset = 2,
        kDensity = 3,
        kFontDownload = 4,
        kEplCodePage = 5,
    };

    InfoWindow() : Window(kDialogId) {}

    // Set by the caller before the window runs.
    int kind = -1;
    int powerSaveMode = 0;  // kind 0: position in the power-save list
    int minutes = 0;        // kind 0
    // Kinds 1, 3 and 5: the list entry the announcement names (the code page or the density), as
    // the caller's list shows it; "" when no entry was chosen.
    std::string entryText;

    void onInit() override;

    // The caption and text the window shows for the current settings; nullopt-like empty caption
    // means the form's own caption and text stay.
    struct Texts {
        std::string caption;
        std::string text;
    };
    Texts texts() const;
};

}  // namespace hollin::ui
