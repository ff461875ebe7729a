#pragma once

#include "ui/dialog_view.h"
#include "ui/port_section.h"

// Control ids of the main window (dialog 102), by what they are.
namespace hollin::printer::ids {

using ui::ControlId;

// --- connection
inline constexpr ControlId kPortList = 1000;
inline constexpr ControlId kBaudList = 1001;
inline constexpr ControlId kParityList = 1002;
inline constexpr ControlId kDataBitsList = 1003;
inline constexpr ControlId kStopBitsList = 1004;
inline constexpr ControlId kFlowList = 1137;
inline constexpr ui::PortSectionIds kPortSection{kPortList,   kBaudList,     kDataBitsList,
                                                 kParityList, kStopBitsList, kFlowList};
inline constexpr ControlId kOpenPort = 1005;
inline constexpr ControlId kClosePort = 1011;
inline constexpr ControlId kSaveSerialConfig = 1006;
inline constexpr ControlId kExit = 1;  // "E&xit", the dialog's OK button

// --- emulation
inline constexpr ControlId kEmulationText = 1008;
inline constexpr ControlId kGetEmulation = 1007;
inline constexpr ControlId kSetCpcl = 1009;
inline constexpr ControlId kSetEscPos = 1010;

// --- child windows
inline constexpr ControlId kStartWifi = 1019;
inline constexpr ControlId kStartBluetooth = 1036;
inline constexpr ControlId kAdvancedOptions = 1151;

// --- print settings
inline constexpr ControlId kPowerSaveList = 1134;
inline constexpr ControlId kPowerSaveMinutes = 1141;
inline constexpr ControlId kSavePowerSave = 1140;
inline constexpr ControlId kCodePageList = 1144;
inline constexpr ControlId kSaveCodePage = 1143;
inline constexpr ControlId kPrintCodePage = 1146;
inline constexpr ControlId kDensityList = 1145;
inline constexpr ControlId kSaveDensity = 1162;
inline constexpr ControlId kSetGap = 1159;
inline constexpr ControlId kSetBlackMark = 1160;
inline constexpr ControlId kSetContinuous = 1163;
inline constexpr ControlId kSensorPositionList = 1149;
inline constexpr ControlId kGapCalibration = 1037;
inline constexpr ControlId kBlackMarkCalibration = 1038;

// --- font download group
inline constexpr ControlId kFontGroup = 1026;
inline constexpr ControlId kFontOpenFile = 1027;
inline constexpr ControlId kFontDownload = 1028;
inline constexpr ControlId kFontProgress = 1174;

// --- the Bluetooth group below the visible area
inline constexpr ControlId kBtGetInfo = 1012;
inline constexpr ControlId kBtAddress = 1013;
inline constexpr ControlId kBtPin = 1014;
inline constexpr ControlId kBtDiscoverableOn = 1015;
inline constexpr ControlId kBtDiscoverableOff = 1016;
inline constexpr ControlId kBtSavePin = 1017;
inline constexpr ControlId kBtSaveDiscoverable = 1018;
inline constexpr ControlId kBtName = 1030;
inline constexpr ControlId kBtSetInfo = 1031;
inline constexpr ControlId kBtAutoConnectOn = 1033;
inline constexpr ControlId kBtAutoConnectOff = 1034;

// --- the compatible-mode group below the visible area
inline constexpr ControlId kCompatibleOn = 1217;
inline constexpr ControlId kCompatibleOff = 1218;
inline constexpr ControlId kSaveCompatible = 1035;

}  // namespace hollin::printer::ids
