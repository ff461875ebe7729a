#include "sim/bluetooth.h"

#include <algorithm>

#include "common/device_text.h"

namespace hollin::sim {
namespace {

using Body = std::span<const std::uint8_t>;

// Sized once and copied into: GCC 12 at -O2 sees a false out-of-bounds copy in a vector insert here.
Bytes quoted(const std::string& text) {
    Bytes out(text.size() + 2, '"');
    std::copy(text.begin(), text.end(), out.begin() + 1);
    return out;
}

Bytes asText(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A PIN is four characters: four bytes, or four UTF-8 sequences.
bool fourCharacters(Body data) {
    const auto starts =
        std::count_if(data.begin(), data.end(), [](std::uint8_t b) { return (b & 0xC0) != 0x80; });
    return isValidUtf8(data) ? starts == 4 : data.size() == 4;
}

}  // namespace

void writeState(JsonObject& out, const BluetoothState& s) {
    out.object("bluetooth", JsonObject()
                                .text("address", s.address)
                                .text("name", s.name)
                                .text("pin", s.pin)
                                .flag("discoverable", s.discoverable)
                                .flag("ios_auto_connection", s.iosAutoConnection)
                                .flag("ble", s.ble)
                                .flag("numeric_comparison", s.numericComparison)
                                .flag("fixed_name_module", s.fixedNameModule));
}

BluetoothModule::BluetoothModule(VirtualPrinter& printer) {
    printer.addCommand(
        {"", {0x1B, 0x62, 0x74}, countedBody(), [this](Body body, CommandContext& p) { handle(body, p); }});
    printer.addCommand({"BLE",
                        {0x1B, 0x23, 't', 'a', 'v', 'i', 'k', 0x02, 'B'},
                        fixedBody(1),
                        [this](Body body, CommandContext& p) {
                            if (body[0] > 1) {
                                p.note("rejected");
                                return;
                            }
                            state.ble = body[0] == 1;
                            p.amendLog(state.ble ? " on" : " off");
                        }});
}

void BluetoothModule::handle(Body body, CommandContext& p) {
    const std::uint8_t sub = body[1];
    const Body data = body.subspan(2);
    const auto onOff = [&p, &data](const char* name, std::uint8_t onByte, std::uint8_t offByte, bool& flag) {
        p.log(name);
        if (data.size() != 1 || (data[0] != onByte && data[0] != offByte)) {
            p.note("rejected");
            return;
        }
        flag = data[0] == onByte;
        p.amendLog(flag ? " on" : " off");
    };
    switch (sub) {
        case 0x0E:
            p.log("bluetooth address read");
            p.reply(quoted(state.address));
            return;
        case 0x56:
            p.log("bluetooth discoverable read");
            p.reply(asText(state.discoverable ? "discoverable on" : "discoverable off"));
            return;
        case 0x80:
            p.log("bluetooth name read");
            p.reply(quoted(state.fixedNameModule ? std::string("MOVON") : state.name));
            return;
        case 0x81:
            p.log("bluetooth name write");
            if (state.fixedNameModule) {
                p.note("ignored");
                return;
            }
            state.name.assign(data.begin(), data.end());
            return;
        case 0x90:
            p.log("bluetooth PIN write");
            if (!fourCharacters(data)) {
                p.note("rejected");
                return;
            }
            state.pin.assign(data.begin(), data.end());
            return;
        case 0x05:
        case 0x06:
            p.log(sub == 0x05 ? "bluetooth discoverable on" : "bluetooth discoverable off");
            if (!data.empty()) {
                p.note("rejected");
                return;
            }
            state.discoverable = sub == 0x05;
            return;
        case 0x0C:
            onOff("iOS auto connection", 0x01, 0x00, state.iosAutoConnection);
            return;
        case 0x9A:
            onOff("numeric comparison", 'Y', 'N', state.numericComparison);
            return;
        default:
            p.log("bluetooth command");
            p.note("rejected");
    }
}

}  // namespace hollin::sim
