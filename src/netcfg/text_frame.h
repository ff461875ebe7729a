#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The text-frame protocol on UDP port 61001: 1024-byte frames, STX, a five-digit command, a body,
// CR LF and ETX; a device's answer carries its 1013-byte settings record as text.
namespace hollin::netcfg {

inline constexpr std::uint16_t kTextPort = 61001;
inline constexpr std::size_t kTextFrameSize = 1024;
inline constexpr std::size_t kTextRequestSize = 512;  // requests go out as the first half of the frame
inline constexpr std::size_t kTextRecordSize = 1013;

using TextFrame = std::array<std::uint8_t, kTextFrameSize>;
using TextRecord = std::array<std::uint8_t, kTextRecordSize>;

// STX, "11111", a zero body, CR LF, ETX.
TextFrame buildSearchFrame();
// STX, "00000", CR LF, the record, CR LF, ETX.
TextFrame buildSaveFrame(const TextRecord& record);

enum class TextDatagramKind {
    Ignored,    // empty, cut or foreign
    OwnSearch,  // a search request (ours, or another utility's)
    OwnSave,    // a save request
    Answer,     // a device's frame: `record` holds its settings record
};

struct TextDatagram {
    TextDatagramKind kind = TextDatagramKind::Ignored;
    TextRecord record{};
};

// A full 1024-byte frame with STX, CR LF and ETX in place is an answer whatever its record starts with;
// requests are 512 bytes and known by their command.
TextDatagram classifyTextDatagram(std::span<const std::uint8_t> datagram);

// The 12-character MAC text of a record (its bytes 2..13).
std::string_view macTextOf(const TextRecord& record);

// Whether an answer frame confirms the save of the device whose MAC text is `mac12`: its bytes 3..14.
bool isSaveAnswerFor(std::span<const std::uint8_t> frame, std::string_view mac12);

}  // namespace hollin::netcfg
