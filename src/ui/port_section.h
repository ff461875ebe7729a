#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "ui/dialog_view.h"

// The port section that the main window and the Wi-Fi window share: the port box ("COM1".."COM9",
// "USB") with each COM entry's device as its tool tip, the line lists, and the rule that refuses
// 7 data bits without parity.
namespace hollin::ui {

inline constexpr std::array<std::string_view, 8> kBaudRates = {"115200", "57600", "38400", "19200",
                                                               "9600",   "4800",  "2400",  "1200"};
inline constexpr std::array<std::string_view, 3> kParityNames = {"NONE", "ODD", "EVEN"};
inline constexpr std::array<std::string_view, 2> kDataBitsNames = {"7", "8"};
inline constexpr std::array<std::string_view, 2> kStopBitsNames = {"1", "2"};
inline constexpr std::array<std::string_view, 2> kFlowControlNames = {"DTR/DSR", "Xon/Xoff"};
inline constexpr int kUsbPortPosition = 9;  // the entry after COM1..COM9

inline constexpr std::string_view kDataBitsParityText = "Data Bits=7, Parity=NONE is not supported";
inline constexpr std::string_view kDataBitsParityCaption = "ERROR";

struct PortSectionIds {
    ControlId port, baud, dataBits, parity, stopBits, flow;
};

// The tool tip of a port entry: the device a COM port stands for, "" for any other entry.
using PortToolTip = std::function<std::string(std::string_view portName)>;

// Fills the port box (selecting `portPosition`) and the line lists (19200, 8 data bits, no parity,
// one stop bit, DTR/DSR), and shows the port tool tips.
void fillPortSection(DialogView& view, const PortSectionIds& ids, int portPosition,
                     const PortToolTip& toolTip);
// Every COM entry's tool tip, and the box's own for the entry selected.
void showPortToolTips(DialogView& view, ControlId portList, const PortToolTip& toolTip);
// 7 data bits with parity NONE: the message, and the list just `changed` moves back (data bits to 8,
// parity to ODD). True when it refused.
bool refuseSevenBitsWithoutParity(DialogView& view, const PortSectionIds& ids, ControlId changed);

// The text of the selected entry, "" when none; the first number in it, 0 when none.
std::string selectedText(const DialogView& view, ControlId id);
int selectedNumber(const DialogView& view, ControlId id);

}  // namespace hollin::ui
