#include "sim/advanced_options.h"

#include <algorithm>
#include <string>

#include "common/hex.h"

namespace hollin::sim {
namespace {

using Body = std::span<const std::uint8_t>;

constexpr std::uint8_t kTavik[] = {0x1B, 0x23, 't', 'a', 'v', 'i', 'k'};
constexpr std::size_t kLanguage = 0, kErrorClear = 1, kPeeler = 2, kLeft = 3, kTone = 8, kDirection = 9;
constexpr std::size_t kMaxBlock = 254;

}  // namespace

Bytes defaultOptionBlock() {
    Bytes block(kOptionBlockBytes, 0);
    block[kTone] = 10;
    block[kDirection] = 'N';
    return block;
}

void writeState(JsonObject& out, const AdvancedOptionsState& state) {
    JsonObject blocks;
    for (std::size_t code = 0; code < state.blocks.size(); ++code)
        blocks.text(std::to_string(code), toHex(state.blocks[code], " "));
    out.object("advanced_options", blocks);
}

AdvancedOptions::AdvancedOptions(VirtualPrinter& printer, const int& emulation) : emulation_(emulation) {
    state.blocks.fill(defaultOptionBlock());
    printer.addCommand({"", Bytes(std::begin(kTavik), std::end(kTavik)), countedBody(),
                        [this](Body body, CommandContext& p) { handle(body, p); }});
}

Bytes& AdvancedOptions::current() {
    const int code = emulation_ >= 0 && emulation_ < kEmulationCount ? emulation_ : 1;
    return state.blocks[static_cast<std::size_t>(code)];
}

void AdvancedOptions::handle(Body body, CommandContext& p) {
    const std::uint8_t letter = body[1];
    const Body data = body.subspan(2);
    Bytes& block = current();
    const auto setByte = [&](const char* name, std::size_t at) {
        p.log(name);
        if (data.size() != 1 || at >= block.size()) {
            p.note("rejected");
            return;
        }
        block[at] = data[0];
        p.amendLog(" " + std::to_string(data[0]));
    };
    switch (letter) {
        case 'R': {
            p.log("options read all");
            Bytes answer(std::begin(kTavik), std::end(kTavik));
            answer.push_back(static_cast<std::uint8_t>(block.size() + 1));
            answer.push_back('R');
            answer.insert(answer.end(), block.begin(), block.end());
            p.reply(std::move(answer));
            return;
        }
        case 'E':
            setByte("options error clear", kErrorClear);
            return;
        case 'L':
            setByte("options language", kLanguage);
            return;
        case 'P':
            setByte("options peeler", kPeeler);
            return;
        case 'T':
            setByte("options tone", kTone);
            return;
        case 'M':
            p.log("options margins");
            if (data.size() != 3 || block.size() < kLeft + 3) {
                p.note("rejected");
                return;
            }
            std::copy(data.begin(), data.end(), block.begin() + kLeft);
            return;
        case 'w':
            p.log("options write all");
            if (data.empty() || data.size() > kMaxBlock) {
                p.note("rejected");
                return;
            }
            block.assign(data.begin(), data.end());
            return;
        default:
            p.log("options command");
            p.note("rejected");
    }
}

}  // namespace hollin::sim
