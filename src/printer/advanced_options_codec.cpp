#include "printer/advanced_options_codec.h"

#include <algorithm>

namespace hollin::printer {
namespace {

constexpr std::uint8_t kTavik[kTavikPrefixBytes] = {0x1B, 0x23, 't', 'a', 'v', 'i', 'k'};
constexpr std::size_t kMaxBlockForWriteAll = 254;
// The smallest count that reaches the tone, and the print direction after it.
constexpr std::size_t kMinCount = kReplyTone + 1 - 8;
constexpr std::size_t kMinCountZpl = kReplyDirection + 1 - 8;

// Sized once and copied into: GCC 12 at -O2 sees a false out-of-bounds copy in a vector insert here.
Bytes tavik(std::initializer_list<std::uint8_t> rest) {
    Bytes out(std::size(kTavik) + rest.size());
    std::copy(rest.begin(), rest.end(), std::copy(std::begin(kTavik), std::end(kTavik), out.begin()));
    return out;
}

Bytes letterCommand(std::uint8_t letter, int value) {
    return tavik({0x02, letter, static_cast<std::uint8_t>(value)});
}

}  // namespace

Bytes readAllOptionsCommand() {
    return tavik({0x02, 'R', 0x00});
}
Bytes errorClearCommand(int value) {
    return letterCommand('E', value);
}
Bytes languageCommand(int value) {
    return letterCommand('L', value);
}
Bytes peelerCommand(int value) {
    return letterCommand('P', value);
}
Bytes toneCommand(int value) {
    return letterCommand('T', value);
}

Bytes marginsCommand(int left, int tof, int top) {
    return tavik({0x04, 'M', static_cast<std::uint8_t>(left), static_cast<std::uint8_t>(tof),
                  static_cast<std::uint8_t>(top)});
}

std::optional<Bytes> writeAllOptionsCommand(std::span<const std::uint8_t> block) {
    if (block.size() > kMaxBlockForWriteAll)
        return std::nullopt;
    Bytes out = tavik({static_cast<std::uint8_t>(block.size() + 1), 'w'});
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

Bytes bleCommand(bool on) {
    return tavik({0x02, 'B', static_cast<std::uint8_t>(on ? 0x01 : 0x00)});
}

bool optionsReplyComplete(std::span<const std::uint8_t> reply) {
    if (reply.size() < kOptionsReplyHeader || reply[8] != 'R')
        return false;
    return reply.size() >= static_cast<std::size_t>(reply[7]) + 8;
}

int directionFromByte(std::uint8_t byte) {
    return byte == 'N' ? kDirectionNormal : byte == 'I' ? kDirectionInverted : kDirectionUnknown;
}

std::optional<OptionsReply> parseOptionsReply(std::span<const std::uint8_t> reply, bool zpl) {
    if (!optionsReplyComplete(reply))
        return std::nullopt;
    const std::size_t count = reply[7];
    if (count < (zpl ? kMinCountZpl : kMinCount))
        return std::nullopt;
    OptionsReply out;
    OptionValues& v = out.values;
    v.language = reply[kReplyLanguage];
    v.errorClear = reply[kReplyErrorClear];
    v.peeler = reply[kReplyPeeler];
    v.left = reply[kReplyLeftMargin];
    v.tof = reply[kReplyTofMargin];
    v.top = reply[kReplyTopMargin];
    v.tone = reply[kReplyTone];
    if (zpl) {
        v.direction = directionFromByte(reply[kReplyDirection]);
        // The reply's own bytes only: N counts the letter, so the block is N - 1 bytes.
        out.block.assign(reply.begin() + kOptionsReplyHeader, reply.begin() + 8 + count);
    }
    return out;
}

Bytes updatedOptionBlock(std::span<const std::uint8_t> block, const OptionValues& edited) {
    Bytes out(block.begin(), block.end());
    const auto put = [&out](std::size_t at, int value) {
        if (at < out.size())
            out[at] = static_cast<std::uint8_t>(value);
    };
    put(kBlockLeftMargin, edited.left);
    put(kBlockTofMargin, edited.tof);
    put(kBlockTopMargin, edited.top);
    put(kBlockTone, edited.tone);
    put(kBlockDirection, edited.direction == kDirectionInverted ? 'I' : 'N');
    return out;
}

}  // namespace hollin::printer
