#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "platform/clock.h"
#include "sim/printer_settings.h"

namespace hollin::sim {

struct WifiModuleState;
class WifiModule;

// Emulation codes as EmulationKind numbers them: 0 ESC/POS, 1 CPCL, 2 MPCL, 3 ZPL, 4 EPL, 5 DPL,
// 6 and 7 without a name.
inline constexpr int kEmulationCount = 8;

// The byte a printer answers the emulation probe with for an emulation code: the raw code, except
// that CPCL reports 0x00 and ESC/POS 0x01 (the two codes are crossed with the kinds). -1 for a code
// outside 0..7.
int probeReplyByte(int emulation);

// --- Framing: how many bytes after its prefix a command's body takes.
//
// A BodyLength sees the bytes after the prefix received so far and answers with the body's length,
// with nothing while it cannot tell yet, or with kNoMatch when these bytes cannot belong to the
// command (the prefix is then treated as unknown bytes, so a command that follows is still found).
// It must decide within a bounded number of bytes.
inline constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);
using BodyLength = std::function<std::optional<std::size_t>(std::span<const std::uint8_t> rest)>;

// The longest text command the printer buffers, terminator included: a "! U1" line or a brace frame.
// The utility's longest is under 64 bytes.
inline constexpr std::size_t kMaxTextCommand = 256;
// The longest block body (header included) the printer takes in.
inline constexpr std::size_t kMaxBlockBody = 4 * 1024 * 1024;

// Exactly `n` bytes.
BodyLength fixedBody(std::size_t n);
// A count byte (1..255) and that many bytes; a zero count belongs to no command.
BodyLength countedBody();
// Text up to and including `terminator`, at most `maxLength` bytes (see scanText in cpcl_text.h).
BodyLength textBody(std::uint8_t terminator, std::size_t maxLength);
// A length-delimited block: a header of `headerSize` bytes, from which `blockSize` reads how many
// bytes follow it (nothing: the header is not this command's), then those bytes. The whole block is
// the body, whatever bytes it holds, so nothing in it is ever read as a command. A block longer than
// `maxBody` (header included, at most kMaxBlockBody) is no match.
using BlockSize = std::function<std::optional<std::size_t>(std::span<const std::uint8_t> header)>;
BodyLength blockBody(std::size_t headerSize, BlockSize blockSize, std::size_t maxBody = kMaxBlockBody);

class VirtualPrinter;
class PrinterCommands;
class BluetoothModule;
class AdvancedOptions;
class FontStore;
struct FontsState;
struct BluetoothState;

// What a command handler may do with the printer. Handlers run with the printer locked, so they use
// only this, never VirtualPrinter's public members.
class CommandContext {
  public:
    // Queues an answer (subject to silence, delay and pieces).
    void reply(Bytes answer);
    // Adds a line to the log (commands registered without a name log themselves).
    void log(std::string line);
    // Appends to the latest log line, e.g. " to ZPL".
    void amendLog(std::string_view text);
    // Appends " (note)" to the latest log line, e.g. "(rejected)".
    void note(std::string_view note);
    // Replaces the latest log line with a more precise name.
    void relabel(std::string line);
    // Counts bytes the printer took in but did not act on.
    void ignore(std::size_t bytes);

  private:
    friend class VirtualPrinter;
    explicit CommandContext(VirtualPrinter& printer) : printer_(printer) {}
    VirtualPrinter& printer_;
};

// One command the printer understands: its name in the log (empty: the handler logs), the bytes it
// starts with, how long its body is, and what it does.
struct Command {
    using Handler = std::function<void(std::span<const std::uint8_t> body, CommandContext& printer)>;
    std::string name;
    Bytes prefix;
    BodyLength bodyLength;
    Handler handle;
};

// A stand-in for a printer at the far end of a byte stream. It consumes what the host writes, picks
// the commands it knows out of the stream (keeping a partial command until the rest arrives), keeps
// its state, queues its answers for the host to read and logs every command it understood.
//
// The core here knows the byte stream, the framing, the misbehaviour knobs and the log; the commands
// come from subsystems, one source each, which register them with addCommand:
// sim/printer_commands.cpp (identification, emulation switch, serial line and print settings; its
// state is reached through emulation(), model() and settings()), sim/bluetooth.cpp (bluetooth()),
// sim/advanced_options.cpp (optionBlock()), sim/fonts.cpp (fonts()) and sim/wifi_module.cpp (the Wi-Fi module
// behind the printer, wifiModule()).
//
// How a subsystem plugs in (sim/bluetooth.cpp, say):
//   - a plain state struct and a function that writes it into the state JSON object;
//   - a class that owns the state and, in its constructor, registers its commands with
//     VirtualPrinter::addCommand; its handlers read and change the state freely, as they run with
//     the printer locked, and answer and log through their CommandContext;
//   - VirtualPrinter owns one instance (created in the constructor), offers locked accessors for its
//     state next to settings(), and stateJson() adds its members.
//
// Answers become readable on the printer's own clock, so a late or piecemeal reply can be played on
// a VirtualClock. All public members may be called from any thread.
class VirtualPrinter {
  public:
    explicit VirtualPrinter(Clock& clock, int emulation = 1, std::string model = "Alder");
    ~VirtualPrinter();

    VirtualPrinter(const VirtualPrinter&) = delete;
    VirtualPrinter& operator=(const VirtualPrinter&) = delete;

    // Bytes the host wrote. Returns how many the printer took in: all of them unless it disappears
    // part-way (vanishAfter) or is away.
    std::size_t receive(std::span<const std::uint8_t> bytes);
    // Up to `max` answer bytes whose time has come; they are gone from the printer afterwards.
    Bytes takeOutput(std::size_t max);
    // Answer bytes readable now.
    std::size_t pending() const;
    // Milliseconds until the next queued answer byte becomes readable (0 when one is readable now);
    // nothing when no answer is queued.
    std::optional<std::uint32_t> nextOutputInMs() const;

    // Registers a command. When one command's prefix begins another's, the longer prefix is tried
    // first, so subsystems may register in any order. Throws std::invalid_argument for a command
    // without a prefix, body length or handler.
    void addCommand(Command command);

    // The names of the commands understood, in order of arrival.
    std::vector<std::string> log() const;
    void clearLog();
    // Zero bytes taken as wake-up, and bytes that belonged to no known command.
    std::size_t wakeUpBytes() const;
    std::size_t ignoredBytes() const;
    // Every byte taken in so far.
    std::size_t bytesReceived() const;

    // Printer state.
    int emulation() const;
    void setEmulation(int code);  // 0..7; other values are ignored
    std::string model() const;
    void setModel(std::string text);
    // What the setting commands have left behind (see printer_settings.h).
    PrinterSettings settings() const;
    void setSettings(PrinterSettings settings);
    // The Wi-Fi module behind the printer (see wifi_module.h); QUATECH unless changed.
    WifiModuleState wifiModule() const;
    void setWifiModule(WifiModuleState state);
    // A fresh module of another kind (any misbehaviour is kept).
    void setWifiModuleKind(int kind);
    // The Bluetooth module (see bluetooth.h).
    BluetoothState bluetooth() const;
    void setBluetooth(BluetoothState state);
    // The advanced option block kept for an emulation code (see advanced_options.h); empty for a code
    // outside 0..7, which setOptionBlock ignores.
    Bytes optionBlock(int emulation) const;
    void setOptionBlock(int emulation, Bytes block);
    // The TrueType fonts the printer keeps (see fonts.h).
    FontsState fonts() const;
    void setFonts(FontsState state);

    // The whole state as one JSON object: every subsystem's members (for the printer commands
    // "emulation", "model" and "settings", "bluetooth", "advanced_options", "fonts") and "traffic" (byte
    // counts and the log).
    std::string stateJson() const;

    // --- misbehaviour on request
    // Understand commands but never answer.
    void setSilent(bool silent);
    // Every answer becomes readable `ms` after the command arrived.
    void setReplyDelay(std::uint32_t ms);
    // Answers come in pieces of `pieceBytes`, `gapMs` apart (0 bytes: in one piece).
    void setReplyPieces(std::size_t pieceBytes, std::uint32_t gapMs);
    // After `bytes` more received bytes the printer disappears: it takes nothing in, loses what it
    // had buffered and answers nothing; it is back `absentMs` later on its clock.
    void vanishAfter(std::size_t bytes, std::uint32_t absentMs);
    // Disappears now until comeBack(), or for `absentMs` when given.
    void vanish(std::optional<std::uint32_t> absentMs = std::nullopt);
    void comeBack();
    bool present() const;

  private:
    friend class CommandContext;

    // The following run with mutex_ held.
    void parseInput();
    void reply(Bytes answer);
    void updatePresence();
    void disappear(std::optional<std::uint32_t> absentMs);

    struct Piece {
        std::uint32_t readyAt;
        Bytes bytes;
    };

    Clock& clock_;
    mutable std::mutex mutex_;
    std::vector<Command> commands_;  // longest prefix first
    Bytes input_;
    std::deque<Piece> output_;
    std::vector<std::string> log_;
    std::size_t wakeUps_ = 0;
    std::size_t ignored_ = 0;
    std::size_t received_ = 0;

    bool silent_ = false;
    std::uint32_t delayMs_ = 0;
    std::size_t pieceBytes_ = 0;
    std::uint32_t gapMs_ = 0;
    std::optional<std::size_t> vanishAfter_;
    std::uint32_t vanishForMs_ = 0;
    bool absent_ = false;
    std::optional<std::uint32_t> backAt_;

    // The subsystems, after the registry they register with.
    std::unique_ptr<PrinterCommands> printer_;
    std::unique_ptr<WifiModule> wifi_;
    std::unique_ptr<BluetoothModule> bluetooth_;
    std::unique_ptr<AdvancedOptions> options_;
    std::unique_ptr<FontStore> fonts_;
};

}  // namespace hollin::sim
