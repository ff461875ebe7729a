#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "sim/printer_settings.h"

namespace hollin::sim {

using Bytes = std::vector<std::uint8_t>;

// Emulation codes as EmulationKind numbers them: 0 ESC/POS, 1 CPCL, 2 MPCL, 3 ZPL, 4 EPL, 5 DPL,
// 6 and 7 without a name.
inline constexpr int kEmulationCount = 8;

// The byte a printer answers the emulation probe with for an emulation code: the raw code, except
// that CPCL reports 0x00 and ESC/POS 0x01 (the two codes are crossed with the kinds). -1 for a code
// outside 0..7.
int probeReplyByte(int emulation);

// A stand-in for a printer at the far end of a byte stream. It consumes what the host writes, picks
// the commands it knows out of the stream (keeping a partial command until the rest arrives), keeps
// its state, queues its answers for the host to read and logs every command it understood.
//
// It knows the probe, the model query, the emulation switch, the serial-line commands (GS "S" "C" and
// the CPCL "comm.*" variables), and the print settings: power save, code page and its printed sample,
// density, media sensing, calibrations and compatible mode; settings() holds what they left behind.
// A text command waits for its terminator at most 256 bytes and gives up at a control byte, so bytes
// that belong to no command never hold back a command that follows them.
//
// Answers become readable on the printer's own clock, so a late or piecemeal reply can be played on
// a VirtualClock. All members may be called from any thread.
class VirtualPrinter {
  public:
    explicit VirtualPrinter(Clock& clock, int emulation = 1, std::string model = "Alder");

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
    // How many bytes after its prefix a command needs; nothing while they have not all arrived;
    // kNoMatch when the bytes after the prefix cannot belong to the command (the prefix is then
    // treated as unknown bytes, so a command that follows is still found).
    static constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);
    using BodyLength = std::function<std::optional<std::size_t>(std::span<const std::uint8_t> rest)>;
    using Handler = std::function<void(std::span<const std::uint8_t> body)>;
    struct Command {
        std::string name;  // logged when understood; empty: not logged
        Bytes prefix;
        BodyLength bodyLength;
        Handler handle;
    };

    // A CPCL variable or action: gets the value (empty for an action without one) and says whether
    // it was acceptable.
    using TextSetting = std::function<bool(const std::string& value)>;

    static BodyLength fixedBody(std::size_t n);
    static BodyLength textBody(std::uint8_t terminator, std::size_t maxLength);
    static BodyLength sampleBody();
    void addCommand(std::string name, Bytes prefix, BodyLength bodyLength, Handler handle);
    void installCommands();
    void installIdentification();
    void installSerialCommands();
    void installPrintSettings();
    void installMediaCommands();
    void installCpclVariables();

    // The following run with mutex_ held.
    void markRejected();
    void refuse(std::size_t bytes);
    bool speaksCpcl() const;
    void markNote(const std::string& note);
    void handleCpclLine(std::span<const std::uint8_t> body, std::size_t prefixSize);
    void runCpcl(const std::string& verb, const std::vector<std::pair<std::string, TextSetting>>& table,
                 const std::string& name, const std::string& value);
    void setMedia(MediaMode mode, std::optional<SensorPosition> sensor);

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
    std::vector<Command> commands_;
    Bytes input_;
    std::deque<Piece> output_;
    std::vector<std::string> log_;
    std::size_t wakeUps_ = 0;
    std::size_t ignored_ = 0;
    std::size_t received_ = 0;

    int emulation_;
    std::string model_;
    PrinterSettings settings_;
    std::vector<std::pair<std::string, TextSetting>> cpclVariables_;
    std::vector<std::pair<std::string, TextSetting>> cpclActions_;

    bool silent_ = false;
    std::uint32_t delayMs_ = 0;
    std::size_t pieceBytes_ = 0;
    std::uint32_t gapMs_ = 0;
    std::optional<std::size_t> vanishAfter_;
    std::uint32_t vanishForMs_ = 0;
    bool absent_ = false;
    std::optional<std::uint32_t> backAt_;
};

}  // namespace hollin::sim
