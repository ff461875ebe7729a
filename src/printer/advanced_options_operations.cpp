#include "printer/advanced_options_operations.h"

#include <vector>

namespace hollin::printer {
namespace {

bool inRange(int v) {
    return v >= 0 && v <= kOptionMax;
}

}  // namespace

bool takesOptionCommands(int emulationKind) {
    return emulationKind == kEscPos || emulationKind == kCpcl || emulationKind == kZpl;
}

OptionsReadResult readAdvancedOptions(ByteChannel& channel, int emulationKind) {
    OptionsReadResult result;
    if (takesOptionCommands(emulationKind) && !channel.send(readAllOptionsCommand())) {
        result.outcome = Outcome::NotSent;
        return result;
    }
    Clock& clock = channel.clock();
    clock.sleepMs(kOptionsReplyWaitMs);
    Bytes reply(kOptionsReplyBytes);
    std::size_t held = 0;
    while (result.reads < kOptionsMaxReads && held < reply.size()) {
        const std::size_t room = std::min(kOptionsReadBytes, reply.size() - held);
        const int n = channel.receive(std::span<std::uint8_t>(reply.data() + held, room));
        ++result.reads;
        if (n <= 0) {
            if (result.reads < kOptionsMaxReads)
                clock.sleepMs(kOptionsEmptyReadPauseMs);
            continue;
        }
        held += std::min<std::size_t>(static_cast<std::size_t>(n), room);
        const std::span<const std::uint8_t> collected(reply.data(), held);
        if (!optionsReplyComplete(collected))
            continue;
        result.reply = parseOptionsReply(collected, emulationKind == kZpl);
        result.outcome = result.reply ? Outcome::Done : Outcome::BadReply;
        return result;
    }
    result.outcome = Outcome::NoResponse;
    return result;
}

// Language, error clear and peeler travel only when the operator picked an entry of their lists; a
// value the printer reported without an entry (255 in unset memory) goes back as it came or not at all.
bool optionValuesInRange(const OptionValues& v) {
    return inRange(v.left) && inRange(v.tof) && inRange(v.top) && inRange(v.tone);
}

PrinterResult saveAdvancedOptions(ByteChannel& channel, int emulationKind, const OptionValues& read,
                                  const OptionValues& edited, std::span<const std::uint8_t> block) {
    if (!optionValuesInRange(edited))
        return {Outcome::Refused, std::nullopt, std::nullopt};
    std::vector<Bytes> commands;
    if (takesOptionCommands(emulationKind)) {
        if (edited.errorClear != read.errorClear)
            commands.push_back(errorClearCommand(edited.errorClear));
        if (edited.language != read.language)
            commands.push_back(languageCommand(edited.language));
        if (edited.peeler != read.peeler)
            commands.push_back(peelerCommand(edited.peeler));
        if (edited.left != read.left || edited.top != read.top || edited.tof != read.tof)
            commands.push_back(marginsCommand(edited.left, edited.tof, edited.top));
        if (edited.tone != read.tone)
            commands.push_back(toneCommand(edited.tone));
    }
    if (edited.direction != read.direction && emulationKind == kZpl) {
        const std::optional<Bytes> writeAll = writeAllOptionsCommand(updatedOptionBlock(block, edited));
        if (!writeAll)
            return {Outcome::Refused, std::nullopt, std::nullopt};
        commands.push_back(*writeAll);
    }
    for (const Bytes& command : commands)
        if (!channel.send(command))
            return {Outcome::NotSent, std::nullopt, std::nullopt};
    return {Outcome::Done, std::nullopt, std::nullopt};
}

}  // namespace hollin::printer
