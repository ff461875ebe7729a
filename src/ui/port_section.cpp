#include "ui/port_section.h"

#include <charconv>
#include <cstdio>

#include "ui/list_fill.h"

namespace hollin::ui {
namespace {

constexpr int kDataBits7 = 0, kDataBits8 = 1;
constexpr int kParityNone = 0, kParityOdd = 1;

}  // namespace

void fillPortSection(DialogView& v, const PortSectionIds& ids, int portPosition, const PortToolTip& toolTip) {
    v.clearItems(ids.port);
    for (int n = 1; n <= 9; ++n) {
        char name[8];
        std::snprintf(name, sizeof name, "COM%d", n);
        v.addItem(ids.port, name);
    }
    v.addItem(ids.port, "USB");
    v.setSelection(ids.port, portPosition);
    showPortToolTips(v, ids.port, toolTip);
    fillList(v, ids.baud, kBaudRates, 3);
    fillList(v, ids.parity, kParityNames, 0);
    fillList(v, ids.dataBits, kDataBitsNames, 1);
    fillList(v, ids.stopBits, kStopBitsNames, 0);
    fillList(v, ids.flow, kFlowControlNames, 0);
}

void showPortToolTips(DialogView& v, ControlId portList, const PortToolTip& toolTip) {
    for (int i = 0; i < v.itemCount(portList); ++i) {
        const std::string tip = toolTip(v.itemText(portList, i));
        if (!tip.empty())
            v.setItemToolTip(portList, i, tip);
    }
    v.setToolTip(portList, toolTip(selectedText(v, portList)));
}

bool refuseSevenBitsWithoutParity(DialogView& v, const PortSectionIds& ids, ControlId changed) {
    if (v.selection(ids.dataBits) != kDataBits7 || v.selection(ids.parity) != kParityNone)
        return false;
    v.messageBox(kDataBitsParityText, kDataBitsParityCaption, MessageButtons::Ok, MessageIcon::None);
    if (changed == ids.dataBits)
        v.setSelection(ids.dataBits, kDataBits8);
    else
        v.setSelection(ids.parity, kParityOdd);
    return true;
}

std::string selectedText(const DialogView& v, ControlId id) {
    const int sel = v.selection(id);
    return sel < 0 ? std::string() : v.itemText(id, sel);
}

int selectedNumber(const DialogView& v, ControlId id) {
    const std::string text = selectedText(v, id);
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace hollin::ui
