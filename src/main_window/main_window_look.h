#pragma once

#include <cstdint>

#include "main_window/main_window_ids.h"
#include "ui/button_icons.h"
#include "ui/owner_drawn.h"

// How the main window dresses its buttons and group boxes at initialisation.
namespace hollin::printer {

using ui::ButtonIcon;

// The icon of every button of the main window, as it opens.
inline constexpr ButtonIcon kMainButtonIcons[] = {
    {ids::kOpenPort, 130},           {ids::kClosePort, 135},
    {ids::kBtGetInfo, 131},          {ids::kSaveSerialConfig, 133},
    {ids::kGetEmulation, 138},       {ids::kBtSavePin, 133},
    {ids::kBtSaveDiscoverable, 133}, {ids::kSetCpcl, 136},
    {ids::kSetEscPos, 137},          {ids::kSetGap, 149},
    {ids::kSetBlackMark, 150},       {ids::kSaveDensity, 152},
    {ids::kStartWifi, 139},          {ids::kFontOpenFile, 155},
    {ids::kFontDownload, 156},       {ids::kExit, 132},
    {ids::kSavePowerSave, 141},      {ids::kSaveCodePage, 133},
    {ids::kPrintCodePage, 134},      {ids::kBtSetInfo, 165},
    {ids::kSetContinuous, 166},      {ids::kBtAutoConnectOn, 167},
    {ids::kBtAutoConnectOff, 168},   {ids::kAdvancedOptions, 171},
    {ids::kSaveCompatible, 133},     {ids::kStartBluetooth, 167},
    {ids::kGapCalibration, 183},     {ids::kBlackMarkCalibration, 182},
};

using ui::kGroupCaptionColour;
inline constexpr ui::ControlId kMainGroups[] = {1020, 1021, 1022, 1023, 1024, 1025, 1158, 1139,
                                                1142, 1161, 1026, 1029, 1032, 1216, 1219};
inline constexpr ui::ControlId kCentredGroups[] = {1022, 1023, 1024, 1032};

constexpr bool isCentredGroup(ui::ControlId group) {
    for (ui::ControlId c : kCentredGroups) {
        if (c == group)
            return true;
    }
    return false;
}

}  // namespace hollin::printer
