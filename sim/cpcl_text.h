#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Text commands as a printer picks them out of its byte stream: CPCL "! U1" lines and brace-framed
// frames. Pure functions, shared by the virtual printer's command table and its tests.
namespace hollin::sim {

// Where a text command ends in the bytes received so far.
struct TextScan {
    enum Status { kIncomplete, kComplete, kInvalid };
    Status status = kIncomplete;
    std::size_t length = 0;  // when complete: the bytes up to and including the terminator
};

// Scans text ended by `terminator`, at most `maxLength` bytes with the terminator. Text is bytes 0x20
// and above (but not DEL) and tab; when the terminator is LF, a CR may come just before it. A control
// byte anywhere else, or no terminator within `maxLength` bytes, makes the text invalid, so that a
// command which follows an unterminated text is not held back.
TextScan scanText(std::span<const std::uint8_t> bytes, std::uint8_t terminator, std::size_t maxLength);

// The words of a CPCL utility line after its "! U1" prefix, its line end removed: a verb (lower-cased)
// and its arguments, each a double-quoted string (quotes removed) or a bare word. Nothing when the line
// has no verb or a quote is left open.
struct CpclLine {
    std::string verb;
    std::vector<std::string> args;
};
std::optional<CpclLine> parseCpclLine(std::string_view text);

// Whether two words are the same, letter case aside.
bool sameWord(std::string_view a, std::string_view b);
// The position of `value` among `choices`, compared without regard to letter case.
std::optional<int> pickWord(std::string_view value, std::span<const std::string_view> choices);

}  // namespace hollin::sim
