#pragma once

#include "ui/dialog_view.h"

// The controls of the Wi-Fi settings window (dialog 103).
namespace hollin::wifi::ids {

using ui::ControlId;

// port section
inline constexpr ControlId kPortList = 1026;
inline constexpr ControlId kBaudList = 1027;
inline constexpr ControlId kDataBitsList = 1113;
inline constexpr ControlId kParityList = 1112;
inline constexpr ControlId kStopBitsList = 1114;
inline constexpr ControlId kFlowList = 1138;
inline constexpr ControlId kOpenPort = 1037;
inline constexpr ControlId kClosePort = 1038;
// actions
inline constexpr ControlId kGetInfo = 1034;
inline constexpr ControlId kSaveInfo = 1035;
inline constexpr ControlId kReset = 1148;
inline constexpr ControlId kEnterprise = 1175;
inline constexpr ControlId kExit = 1;
// addresses and network
inline constexpr ControlId kMac = 1145;
inline constexpr ControlId kSsid = 1031;
inline constexpr ControlId kIp = 1028;
inline constexpr ControlId kNetmask = 1029;
inline constexpr ControlId kGateway = 1030;
inline constexpr ControlId kDns = 1036;
inline constexpr ControlId kDhcp = 1149;
inline constexpr ControlId kTcpPort = 1164;
// wireless
inline constexpr ControlId kModeList = 1039;
inline constexpr ControlId kChannelList = 1040;
inline constexpr ControlId kEncryptionList = 1041;
inline constexpr ControlId kAuthenticationList = 1103;
inline constexpr ControlId kKeyInUseList = 1101;
inline constexpr ControlId kKeyEdit1 = 1104;
inline constexpr ControlId kKeyEdit2 = 1105;
inline constexpr ControlId kKeyEdit3 = 1106;
inline constexpr ControlId kKeyEdit4 = 1107;
inline constexpr ControlId kKeyType1 = 1048;
inline constexpr ControlId kKeyType2 = 1050;
inline constexpr ControlId kKeyType3 = 1052;
inline constexpr ControlId kKeyType4 = 1054;
inline constexpr ControlId kWpaAuthList = 1108;
inline constexpr ControlId kWpaEncList = 1043;
inline constexpr ControlId kWpaKey = 1046;
inline constexpr ControlId kWpaHint = 1127;
inline constexpr ControlId kWepHint = 1134;
inline constexpr ControlId kProgress = 1102;
inline constexpr ControlId kLpdEnable = 1195;
inline constexpr ControlId kLpdQueue = 1197;
inline constexpr ControlId kFiveGhz = 1194;
inline constexpr ControlId kBandList = 1042;
inline constexpr ControlId kCountryList = 1044;
inline constexpr ControlId kCountryChannelList = 1045;
inline constexpr ControlId kWps = 1158;
inline constexpr ControlId kSearch = 1150;
inline constexpr ControlId kNetworkSave = 1157;
inline constexpr ControlId kPrinterList = 1151;
// Shown in network mode after a successful save, in Reset's place (hidden there).
inline constexpr ControlId kAddPrintQueue = 1400;
// Network mode: writes the found printers' table as CSV.
inline constexpr ControlId kExport = 1401;

// Groups and labels that have Korean captions or are shown and hidden with their controls.
inline constexpr ControlId kOuterGroup = 1300;
inline constexpr ControlId kPortGroup = 1301;
inline constexpr ControlId kWifiGroup = 1302;
inline constexpr ControlId kWpaGroup = 1303;
inline constexpr ControlId kFiveGhzGroup = 1304;
inline constexpr ControlId kPortLabel = 1310;
inline constexpr ControlId kBaudLabel = 1311;
inline constexpr ControlId kDataBitsLabel = 1312;
inline constexpr ControlId kParityLabel = 1313;
inline constexpr ControlId kStopBitsLabel = 1314;
inline constexpr ControlId kFlowLabel = 1315;
inline constexpr ControlId kModeLabel = 1320;
inline constexpr ControlId kChannelLabel = 1321;
inline constexpr ControlId kAuthenticationLabel = 1322;
inline constexpr ControlId kEncryptionLabel = 1323;
inline constexpr ControlId kKeyInUseLabel = 1324;
inline constexpr ControlId kKeyLabel1 = 1325;
inline constexpr ControlId kKeyLabel2 = 1326;
inline constexpr ControlId kKeyLabel3 = 1327;
inline constexpr ControlId kKeyLabel4 = 1328;
inline constexpr ControlId kWpaAuthLabel = 1329;
inline constexpr ControlId kWpaEncLabel = 1330;
inline constexpr ControlId kWpaKeyLabel = 1331;
inline constexpr ControlId kProgressLabel = 1332;
inline constexpr ControlId kLpdQueueLabel = 1333;
inline constexpr ControlId kBandLabel = 1334;
inline constexpr ControlId kCountryLabel = 1335;
inline constexpr ControlId kCountryChannelLabel = 1336;
inline constexpr ControlId kSsidLabel = 1337;
inline constexpr ControlId kIpLabel = 1338;
inline constexpr ControlId kNetmaskLabel = 1339;
inline constexpr ControlId kGatewayLabel = 1340;
inline constexpr ControlId kDnsLabel = 1341;
inline constexpr ControlId kMacLabel = 1342;
inline constexpr ControlId kTcpPortLabel = 1343;

// Key 1..4's edit, type combo and label.
struct KeyControls {
    ControlId edit;
    ControlId type;
    ControlId label;
};
inline constexpr KeyControls kKeys[4] = {{kKeyEdit1, kKeyType1, kKeyLabel1},
                                         {kKeyEdit2, kKeyType2, kKeyLabel2},
                                         {kKeyEdit3, kKeyType3, kKeyLabel3},
                                         {kKeyEdit4, kKeyType4, kKeyLabel4}};

// The encryption list's entries.
inline constexpr int kNone = 0, kWep64 = 1, kWep128 = 2, kWpa = 3;
inline constexpr bool isWep(int encryption) {
    return encryption == kWep64 || encryption == kWep128;
}

}  // namespace hollin::wifi::ids
