#include "sim/virtual_printer.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "sim/cpcl_text.h"

namespace hollin::sim {
namespace {

// A partial command that never completes must not grow without bound.
constexpr std::size_t kMaxBufferedInput = 64 * 1024;

// The longest text command the printer buffers, terminator included: a "! U1" line or a brace frame.
// The utility's longest is under 64 bytes.
constexpr std::size_t kMaxTextCommand = 256;

// The code-page sample that follows ESC "a" 01.
constexpr std::size_t kCodePageSampleSize = 180;

Bytes withText(Bytes head, std::string_view text) {
    head.insert(head.end(), text.begin(), text.end());
    return head;
}

// A decimal number of at most six digits and nothing else.
std::optional<int> decimal(std::string_view text) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoi(std::string(text));
}

// Whether a moment on the wrapping 32-bit clock has come (anything up to half the range behind now).
bool hasCome(std::uint32_t at, std::uint32_t now) {
    return elapsedMs(at, now) < 0x80000000u;
}

}  // namespace

int probeReplyByte(int emulation) {
    if (emulation < 0 || emulation >= kEmulationCount)
        return -1;
    if (emulation == 0)
        return 1;
    if (emulation == 1)
        return 0;
    return emulation;
}

std::optional<int> emulationFromSwitchTarget(std::uint8_t target) {
    if (target >= kEmulationCount)
        return std::nullopt;
    return probeReplyByte(target);  // crossing 0 and 1 is its own inverse
}

VirtualPrinter::VirtualPrinter(Clock& clock, int emulation, std::string model)
    : clock_(clock), emulation_(probeReplyByte(emulation) < 0 ? 1 : emulation), model_(std::move(model)) {
    installCommands();
}

VirtualPrinter::BodyLength VirtualPrinter::fixedBody(std::size_t n) {
    return [n](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        if (rest.size() < n)
            return std::nullopt;
        return n;
    };
}

VirtualPrinter::BodyLength VirtualPrinter::textBody(std::uint8_t terminator, std::size_t maxLength) {
    return [terminator, maxLength](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        const TextScan scan = scanText(rest, terminator, maxLength);
        if (scan.status == TextScan::kComplete)
            return scan.length;
        if (scan.status == TextScan::kInvalid)
            return kNoMatch;
        return std::nullopt;
    };
}

// The sample has no terminator: it is exactly 180 bytes of line ends, blanks and bytes 80..FF. Any other
// byte before the 180th means this was no sample (the printer knows ESC "a" 01 only as its start), so a
// command sent after a cut-off sample is still understood.
VirtualPrinter::BodyLength VirtualPrinter::sampleBody() {
    return [](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        const std::size_t n = std::min(rest.size(), kCodePageSampleSize);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t b = rest[i];
            if (b < 0x80 && b != '\r' && b != '\n' && b != ' ')
                return kNoMatch;
        }
        if (rest.size() < kCodePageSampleSize)
            return std::nullopt;
        return kCodePageSampleSize;
    };
}

void VirtualPrinter::addCommand(std::string name, Bytes prefix, BodyLength bodyLength, Handler handle) {
    commands_.push_back({std::move(name), std::move(prefix), std::move(bodyLength), std::move(handle)});
}

// The commands this printer understands. A command whose prefix begins another's must come after
// the longer one.
//
// How this printer behaves where the protocol leaves it open:
// - The binary commands (FS, GS and ESC sequences) are understood in every emulation. Text commands
//   belong to one language: "! U1" lines to CPCL (and to kind 6, which the utility drives with the
//   CPCL variables), "^MN" to ZPL, brace frames to MPCL. In another emulation a text command is taken
//   in whole, counted as ignored bytes and logged as ignored, as a printer would print it as text.
// - A value byte is kept as received (see PrinterSettings). A serial command with a code outside its
//   table and an emulation switch to a target outside 0..7 change nothing and are logged "(rejected)".
// - The emulation switch takes effect at once: the next probe answers with the new emulation. It
//   stands for a restart, so pending CPCL "comm.*" values are dropped.
// - Line settings are recorded only: the line the printer is reached on (a pseudo-terminal or the
//   in-process stream) does not change speed or framing.
// - Media sensing is one mode: a CPCL sense mode ("gap" or "bar") selects label media sensed that way,
//   leaving journal media; media.type "journal" is continuous media and "label" goes back to gap
//   sensing from continuous. Black mark lower/upper also sets the sensor position; a CPCL
//   "media.BM_sense_pos" sets only the position.
void VirtualPrinter::installCommands() {
    installIdentification();
    installSerialCommands();
    installPrintSettings();
    installMediaCommands();
    installCpclVariables();
    // Zero bytes wake the printer up; they are not commands.
    addCommand("", {0x00}, fixedBody(0), [this](std::span<const std::uint8_t>) { ++wakeUps_; });
}

void VirtualPrinter::installIdentification() {
    // Emulation probe, FS "E" "C": one byte naming the current emulation.
    addCommand("emulation probe", {0x1C, 0x45, 0x43}, fixedBody(0), [this](std::span<const std::uint8_t>) {
        reply({static_cast<std::uint8_t>(probeReplyByte(emulation_))});
    });
    // Emulation switch, FS "E" "S" target.
    addCommand("emulation switch", {0x1C, 0x45, 0x53}, fixedBody(1),
               [this](std::span<const std::uint8_t> body) {
                   const auto target = emulationFromSwitchTarget(body[0]);
                   if (!target) {
                       markRejected();
                       return;
                   }
                   emulation_ = *target;
                   settings_.pendingSerialLine = {};
                   log_.back() += " to " + emulationLabel(*target);
               });
    // Model query, ESC "v": the model text.
    addCommand("model query", {0x1B, 0x76}, fixedBody(0),
               [this](std::span<const std::uint8_t>) { reply(Bytes(model_.begin(), model_.end())); });
}

void VirtualPrinter::installSerialCommands() {
    // GS "S" "C" 01 and five ASCII codes: baud, data bits, parity, stop bits, flow control. Applied at once.
    addCommand("serial config", {0x1D, 0x53, 0x43, 0x01}, fixedBody(5),
               [this](std::span<const std::uint8_t> body) {
                   const auto line = decodeSerialCodes(body);
                   if (!line) {
                       markRejected();
                       return;
                   }
                   settings_.serialLine = *line;
               });
}

void VirtualPrinter::installPrintSettings() {
    // GS "S" "P" mode minutes.
    addCommand("power save", {0x1D, 0x53, 0x50}, fixedBody(2), [this](std::span<const std::uint8_t> body) {
        settings_.powerSaveMode = body[0];
        settings_.powerSaveMinutes = body[1];
    });
    // FS "E" "P" n.
    addCommand("code page", {0x1C, 0x45, 0x50}, fixedBody(1),
               [this](std::span<const std::uint8_t> body) { settings_.codePage = body[0]; });
    // ESC "a" 01 and the 180-byte sample, which the printer prints.
    addCommand("code page sample", {0x1B, 0x61, 0x01}, sampleBody(),
               [this](std::span<const std::uint8_t> body) {
                   ++settings_.codePageSamplesPrinted;
                   settings_.lastCodePageSample.assign(body.begin(), body.end());
               });
    // FS "##DENSITY" n.
    addCommand("density", withText({0x1C}, "##DENSITY"), fixedBody(1),
               [this](std::span<const std::uint8_t> body) { settings_.density = body[0]; });
    // ESC "#" "tavik" 02 "C" flag.
    addCommand("compatible mode", withText({0x1B, 0x23}, "tavik\x02\x43"), fixedBody(1),
               [this](std::span<const std::uint8_t> body) { settings_.compatibleMode = body[0]; });
}

void VirtualPrinter::installMediaCommands() {
    struct MediaCommand {
        const char* name;
        std::uint8_t code;
        MediaMode mode;
        std::optional<SensorPosition> sensor;
    };
    const std::array<MediaCommand, 4> media = {{
        {"media gap", 0x47, MediaMode::kGap, std::nullopt},
        {"media black mark lower", 0x4C, MediaMode::kBlackMark, SensorPosition::kLower},
        {"media black mark upper", 0x55, MediaMode::kBlackMark, SensorPosition::kUpper},
        {"media continuous", 0x4A, MediaMode::kContinuous, std::nullopt},
    }};
    for (const MediaCommand& m : media) {
        addCommand(m.name, {0x1C, m.code}, fixedBody(0),
                   [this, m](std::span<const std::uint8_t>) { setMedia(m.mode, m.sensor); });
    }
    struct Calibration {
        const char* name;
        std::uint8_t code;
        int PrinterSettings::*count;
    };
    const std::array<Calibration, 2> calibrations = {{
        {"gap calibration", 0x46, &PrinterSettings::gapCalibrations},
        {"black mark calibration", 0x42, &PrinterSettings::blackMarkCalibrations},
    }};
    for (const Calibration& c : calibrations) {
        addCommand(c.name, {0x1C, c.code}, fixedBody(0),
                   [this, count = c.count](std::span<const std::uint8_t>) { ++(settings_.*count); });
    }

    // ZPL media tracking "^MN" and one letter: N or Z continuous, Y or W gap (web), M black mark.
    const BodyLength letter = [](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        if (rest.empty())
            return std::nullopt;
        return (rest[0] >= 'A' && rest[0] <= 'Z') ? 1 : kNoMatch;
    };
    addCommand("ZPL media tracking", withText({}, "^MN"), letter, [this](std::span<const std::uint8_t> body) {
        if (emulation_ != 3) {
            refuse(3 + body.size());
            return;
        }
        switch (body[0]) {
            case 'N':
            case 'Z':
                setMedia(MediaMode::kContinuous, std::nullopt);
                break;
            case 'Y':
            case 'W':
                setMedia(MediaMode::kGap, std::nullopt);
                break;
            case 'M':
                setMedia(MediaMode::kBlackMark, std::nullopt);
                break;
            default:
                markRejected();
        }
    });

    // MPCL brace frame; the printer knows the continuous-media frame "{,I,B,3,0,0,0|}".
    addCommand("MPCL frame", {'{'}, textBody('}', kMaxTextCommand),
               [this](std::span<const std::uint8_t> body) {
                   if (emulation_ != 2) {
                       refuse(1 + body.size());
                       return;
                   }
                   const std::string text(body.begin(), body.end());
                   if (text == ",I,B,3,0,0,0|}") {
                       log_.back() = "MPCL continuous";
                       setMedia(MediaMode::kContinuous, std::nullopt);
                   } else {
                       markNote("not understood");
                   }
               });
}

void VirtualPrinter::installCpclVariables() {
    // "! U1" utility lines up to their line end; each logs itself.
    addCommand("", withText({}, "! U1"), textBody('\n', kMaxTextCommand),
               [this](std::span<const std::uint8_t> body) { handleCpclLine(body, 4); });

    // A variable whose value is one of a few words; `apply` gets the word's position.
    const auto words = [](std::span<const std::string_view> choices,
                          std::function<void(int)> apply) -> TextSetting {
        return [choices, apply](const std::string& value) {
            const auto i = pickWord(value, choices);
            if (i)
                apply(*i);
            return i.has_value();
        };
    };
    static constexpr std::array<std::string_view, 3> kParity = {"n", "o", "e"};
    static constexpr std::array<std::string_view, 2> kStopBits = {"1", "2"};
    static constexpr std::array<std::string_view, 2> kSenseModes = {"gap", "bar"};
    static constexpr std::array<std::string_view, 2> kPositions = {"lower", "upper"};
    static constexpr std::array<std::string_view, 2> kMediaTypes = {"journal", "label"};

    // The comm.* values wait until comm.comm_apply; data bits and flow control keep their values.
    cpclVariables_ = {
        {"comm.baud",
         [this](const std::string& value) {
             const auto baud = decimal(value);
             if (!baud || !isSupportedBaud(*baud))
                 return false;
             settings_.pendingSerialLine.baud = *baud;
             return true;
         }},
        {"comm.parity",
         words(kParity, [this](int i) { settings_.pendingSerialLine.parity = static_cast<Parity>(i); })},
        {"comm.stop_bits", words(kStopBits, [this](int i) { settings_.pendingSerialLine.stopBits = i + 1; })},
        {"media.sense_mode",
         words(kSenseModes,
               [this](int i) { setMedia(i == 0 ? MediaMode::kGap : MediaMode::kBlackMark, std::nullopt); })},
        {"media.BM_sense_pos",
         words(kPositions, [this](int i) { settings_.sensorPosition = static_cast<SensorPosition>(i); })},
        {"media.type", words(kMediaTypes,
                             [this](int i) {
                                 if (i == 0)
                                     setMedia(MediaMode::kContinuous, std::nullopt);
                                 else if (settings_.mediaMode == MediaMode::kContinuous)
                                     setMedia(MediaMode::kGap, std::nullopt);
                             })},
    };
    cpclActions_ = {
        {"comm.comm_apply",
         [this](const std::string&) {
             PendingSerialLine& pending = settings_.pendingSerialLine;
             SerialLine& line = settings_.serialLine;
             line.baud = pending.baud.value_or(line.baud);
             line.parity = pending.parity.value_or(line.parity);
             line.stopBits = pending.stopBits.value_or(line.stopBits);
             pending = {};
             return true;
         }},
    };
}

// The printer rejected the command it just logged.
void VirtualPrinter::markRejected() {
    markNote("rejected");
}

void VirtualPrinter::markNote(const std::string& note) {
    log_.back() += " (" + note + ")";
}

// The command just logged does not belong to the current emulation: its bytes are ignored.
void VirtualPrinter::refuse(std::size_t bytes) {
    ignored_ += bytes;
    markNote("ignored in " + emulationLabel(emulation_));
}

bool VirtualPrinter::speaksCpcl() const {
    return emulation_ == 1 || emulation_ == 6;
}

void VirtualPrinter::setMedia(MediaMode mode, std::optional<SensorPosition> sensor) {
    settings_.mediaMode = mode;
    if (sensor)
        settings_.sensorPosition = *sensor;
}

void VirtualPrinter::handleCpclLine(std::span<const std::uint8_t> body, std::size_t prefixSize) {
    if (!speaksCpcl()) {
        log_.push_back("CPCL line");
        refuse(prefixSize + body.size());
        return;
    }
    std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    const auto line = parseCpclLine(text);
    if (line && line->verb == "setvar" && line->args.size() == 2) {
        runCpcl("setvar", cpclVariables_, line->args[0], line->args[1]);
    } else if (line && line->verb == "do" && !line->args.empty()) {
        runCpcl("do", cpclActions_, line->args[0], line->args.size() > 1 ? line->args[1] : std::string());
    } else {
        log_.push_back("CPCL line not understood: " + std::string(text));
    }
}

void VirtualPrinter::runCpcl(const std::string& verb,
                             const std::vector<std::pair<std::string, TextSetting>>& table,
                             const std::string& name, const std::string& value) {
    const auto entry =
        std::find_if(table.begin(), table.end(), [&name](const auto& e) { return sameWord(e.first, name); });
    if (entry == table.end()) {
        log_.push_back(std::string(verb == "do" ? "unknown action \"" : "unknown variable \"") + name + "\"");
        return;
    }
    log_.push_back(verb + " " + entry->first + (verb == "do" && value.empty() ? "" : " \"" + value + "\""));
    if (!entry->second(value))
        markNote("bad value");
}

std::size_t VirtualPrinter::receive(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    updatePresence();
    if (absent_)
        return 0;
    std::size_t take = bytes.size();
    bool vanishing = false;
    if (vanishAfter_) {
        if (*vanishAfter_ <= take) {
            take = *vanishAfter_;
            vanishing = true;
        } else {
            *vanishAfter_ -= take;
        }
    }
    input_.insert(input_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    received_ += take;
    parseInput();
    if (vanishing) {
        vanishAfter_.reset();
        disappear(vanishForMs_);
    }
    return take;
}

void VirtualPrinter::parseInput() {
    std::size_t pos = 0;
    while (pos < input_.size()) {
        const auto rest = std::span<const std::uint8_t>(input_).subspan(pos);
        bool waiting = false;
        bool handled = false;
        for (const Command& command : commands_) {
            const std::size_t n = std::min(rest.size(), command.prefix.size());
            if (!std::equal(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n),
                            command.prefix.begin()))
                continue;
            if (rest.size() < command.prefix.size()) {
                waiting = true;  // may still become this command
                continue;
            }
            const auto after = rest.subspan(command.prefix.size());
            const auto bodySize = command.bodyLength(after);
            if (!bodySize) {
                waiting = true;
                continue;
            }
            if (*bodySize == kNoMatch)
                continue;
            if (!command.name.empty())
                log_.push_back(command.name);
            command.handle(after.first(*bodySize));
            pos += command.prefix.size() + *bodySize;
            handled = true;
            break;
        }
        if (handled)
            continue;
        if (waiting)
            break;
        ++ignored_;
        ++pos;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(pos));
    if (input_.size() > kMaxBufferedInput) {
        ignored_ += input_.size();
        input_.clear();
    }
}

void VirtualPrinter::reply(Bytes answer) {
    if (silent_ || absent_ || answer.empty())
        return;
    const std::uint32_t start = clock_.tickMs() + delayMs_;
    if (pieceBytes_ == 0) {
        output_.push_back({start, std::move(answer)});
        return;
    }
    std::uint32_t at = start;
    for (std::size_t i = 0; i < answer.size(); i += pieceBytes_) {
        const std::size_t n = std::min(pieceBytes_, answer.size() - i);
        output_.push_back({at, Bytes(answer.begin() + static_cast<std::ptrdiff_t>(i),
                                     answer.begin() + static_cast<std::ptrdiff_t>(i + n))});
        at += gapMs_;
    }
}

Bytes VirtualPrinter::takeOutput(std::size_t max) {
    std::lock_guard lock(mutex_);
    updatePresence();
    Bytes out;
    const std::uint32_t now = clock_.tickMs();
    while (!output_.empty() && out.size() < max && hasCome(output_.front().readyAt, now)) {
        Bytes& front = output_.front().bytes;
        const std::size_t n = std::min(max - out.size(), front.size());
        out.insert(out.end(), front.begin(), front.begin() + static_cast<std::ptrdiff_t>(n));
        front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(n));
        if (front.empty())
            output_.pop_front();
    }
    return out;
}

std::size_t VirtualPrinter::pending() const {
    std::lock_guard lock(mutex_);
    const std::uint32_t now = clock_.tickMs();
    std::size_t n = 0;
    for (const Piece& piece : output_) {
        if (!hasCome(piece.readyAt, now))
            break;  // answers leave in order
        n += piece.bytes.size();
    }
    return n;
}

std::optional<std::uint32_t> VirtualPrinter::nextOutputInMs() const {
    std::lock_guard lock(mutex_);
    if (output_.empty())
        return std::nullopt;
    const std::uint32_t now = clock_.tickMs();
    const std::uint32_t at = output_.front().readyAt;
    return hasCome(at, now) ? 0u : at - now;
}

std::vector<std::string> VirtualPrinter::log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void VirtualPrinter::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

std::size_t VirtualPrinter::wakeUpBytes() const {
    std::lock_guard lock(mutex_);
    return wakeUps_;
}

std::size_t VirtualPrinter::ignoredBytes() const {
    std::lock_guard lock(mutex_);
    return ignored_;
}

std::size_t VirtualPrinter::bytesReceived() const {
    std::lock_guard lock(mutex_);
    return received_;
}

int VirtualPrinter::emulation() const {
    std::lock_guard lock(mutex_);
    return emulation_;
}

void VirtualPrinter::setEmulation(int code) {
    if (probeReplyByte(code) < 0)
        return;
    std::lock_guard lock(mutex_);
    emulation_ = code;
}

PrinterSettings VirtualPrinter::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void VirtualPrinter::setSettings(PrinterSettings settings) {
    std::lock_guard lock(mutex_);
    settings_ = std::move(settings);
}

std::string VirtualPrinter::model() const {
    std::lock_guard lock(mutex_);
    return model_;
}

void VirtualPrinter::setModel(std::string text) {
    std::lock_guard lock(mutex_);
    model_ = std::move(text);
}

void VirtualPrinter::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

void VirtualPrinter::setReplyDelay(std::uint32_t ms) {
    std::lock_guard lock(mutex_);
    delayMs_ = ms;
}

void VirtualPrinter::setReplyPieces(std::size_t pieceBytes, std::uint32_t gapMs) {
    std::lock_guard lock(mutex_);
    pieceBytes_ = pieceBytes;
    gapMs_ = gapMs;
}

void VirtualPrinter::vanishAfter(std::size_t bytes, std::uint32_t absentMs) {
    std::lock_guard lock(mutex_);
    vanishAfter_ = bytes;
    vanishForMs_ = absentMs;
}

void VirtualPrinter::vanish(std::optional<std::uint32_t> absentMs) {
    std::lock_guard lock(mutex_);
    disappear(absentMs);
}

void VirtualPrinter::comeBack() {
    std::lock_guard lock(mutex_);
    absent_ = false;
    backAt_.reset();
}

bool VirtualPrinter::present() const {
    std::lock_guard lock(mutex_);
    if (!absent_)
        return true;
    return backAt_ && hasCome(*backAt_, clock_.tickMs());
}

void VirtualPrinter::updatePresence() {
    if (absent_ && backAt_ && hasCome(*backAt_, clock_.tickMs())) {
        absent_ = false;
        backAt_.reset();
    }
}

// Switched off: whatever was half-received or not yet read is lost.
void VirtualPrinter::disappear(std::optional<std::uint32_t> absentMs) {
    absent_ = true;
    input_.clear();
    output_.clear();
    backAt_.reset();
    if (absentMs)
        backAt_ = clock_.tickMs() + *absentMs;
}

}  // namespace hollin::sim
