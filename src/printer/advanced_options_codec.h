#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/bytes.h"

// The advanced option block of CPCL and ZPL printers: its commands and the reply to "read all".
//
// Every request and reply starts with ESC "#" "tavik", then a count byte N and N bytes whose first is
// a command letter. Values travel as one byte each (0..254).
namespace hollin::printer {

inline constexpr std::size_t kTavikPrefixBytes = 7;  // 1B 23 "tavik"
// The reply to read all: prefix, N, "R", then the data block; its values sit at these places.
inline constexpr std::size_t kOptionsReplyHeader = 9;  // bytes before the data block
inline constexpr std::size_t kReplyLanguage = 9;
inline constexpr std::size_t kReplyErrorClear = 10;
inline constexpr std::size_t kReplyPeeler = 11;
inline constexpr std::size_t kReplyLeftMargin = 12;
inline constexpr std::size_t kReplyTofMargin = 13;
inline constexpr std::size_t kReplyTopMargin = 14;
inline constexpr std::size_t kReplyTone = 17;
inline constexpr std::size_t kReplyDirection = 18;  // ZPL: "N" normal, "I" inverted
// Within the data block (reply byte - 9): what Save Information updates before write all.
inline constexpr std::size_t kBlockLeftMargin = 3;
inline constexpr std::size_t kBlockTofMargin = 4;
inline constexpr std::size_t kBlockTopMargin = 5;
inline constexpr std::size_t kBlockTone = 8;
inline constexpr std::size_t kBlockDirection = 9;
// The largest value a byte of the block takes.
inline constexpr int kOptionMax = 254;

// Print direction as the window lists it.
inline constexpr int kDirectionNormal = 0;
inline constexpr int kDirectionInverted = 1;
inline constexpr int kDirectionUnknown = 2;

// --- commands (values go out as their low byte; callers keep them within 0..254)
Bytes readAllOptionsCommand();                     // ... 02 "R" 00
Bytes errorClearCommand(int value);                // ... 02 "E" v
Bytes languageCommand(int value);                  // ... 02 "L" v
Bytes peelerCommand(int value);                    // ... 02 "P" v
Bytes toneCommand(int value);                      // ... 02 "T" v
Bytes marginsCommand(int left, int tof, int top);  // ... 04 "M" left TOF top
// ... L+1 "w" and the block; nothing for a block longer than 254 bytes (its count would not fit).
std::optional<Bytes> writeAllOptionsCommand(std::span<const std::uint8_t> block);
Bytes bleCommand(bool on);  // ... 02 "B" 01 / 00

// --- the reply to read all
// Whether the bytes collected so far hold a whole reply: at least 9 bytes, byte 8 "R", and at least
// N + 8 bytes (bytes beyond those are not the reply's).
bool optionsReplyComplete(std::span<const std::uint8_t> reply);

struct OptionValues {
    int language = 0;
    int errorClear = 0;
    int peeler = 0;
    int left = 0;
    int tof = 0;
    int top = 0;
    int tone = 0;
    int direction = kDirectionNormal;
    bool operator==(const OptionValues&) const = default;
};

struct OptionsReply {
    OptionValues values;
    Bytes block;  // ZPL: the data block, kept for write all; empty for the others
};

// The values of a complete reply. Nothing when the reply is incomplete or its count is too small to
// hold the values: N below 10, or below 11 for ZPL, whose print direction follows the tone.
std::optional<OptionsReply> parseOptionsReply(std::span<const std::uint8_t> reply, bool zpl);
// "N" normal, "I" inverted, anything else unknown.
int directionFromByte(std::uint8_t byte);
// The block as write all carries it: margins, tone and direction replaced by the edited values. A
// block too short for a place leaves that place out.
Bytes updatedOptionBlock(std::span<const std::uint8_t> block, const OptionValues& edited);

}  // namespace hollin::printer
