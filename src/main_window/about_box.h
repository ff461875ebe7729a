#pragma once

#include <string_view>

#include "ui/window.h"

namespace hollin::printer {

// The About box (dialog 100): the program icon, the product title with its version, a rights line and
// an OK button (id 1).
inline constexpr int kAboutDialogId = 100;
inline constexpr int kAboutIconControl = 1300;
inline constexpr int kAboutProductControl = 1301;
inline constexpr int kAboutRightsControl = 1302;
// The OK button's icon: the tick of every acknowledging button.
inline constexpr int kAboutOkIcon = 145;
inline constexpr std::string_view kAboutTitle = "About Hollin Printer Utility";
inline constexpr std::string_view kAboutProductLine = "Hollin Printer Utility, Version 2.69";
inline constexpr std::string_view kAboutRightsLine = "Copyright (C) The Hollin Printer Utility authors";

class AboutBox : public ui::Window {
  public:
    AboutBox() : ui::Window(kAboutDialogId) {}
    void onInit() override;
};

}  // namespace hollin::printer
