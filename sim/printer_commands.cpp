#include "sim/printer_commands.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "sim/cpcl_text.h"

namespace hollin::sim {
namespace {

using Body = std::span<const std::uint8_t>;

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

// The emulation FS "E" "S" `target` switches to; nothing for a target no emulation has.
std::optional<int> emulationFromSwitchTarget(std::uint8_t target) {
    if (target >= kEmulationCount)
        return std::nullopt;
    return probeReplyByte(target);  // crossing 0 and 1 is its own inverse
}

// The sample has no terminator: it is exactly 180 bytes of line ends, blanks and bytes 80..FF. Any other
// byte before the 180th means this was no sample (the printer knows ESC "a" 01 only as its start), so a
// command sent after a cut-off sample is still understood.
BodyLength sampleBody() {
    return [](Body rest) -> std::optional<std::size_t> {
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

// One capital letter.
BodyLength letterBody() {
    return [](Body rest) -> std::optional<std::size_t> {
        if (rest.empty())
            return std::nullopt;
        return (rest[0] >= 'A' && rest[0] <= 'Z') ? 1 : kNoMatch;
    };
}

}  // namespace

void writeState(JsonObject& out, const PrinterState& state) {
    out.object("emulation",
               JsonObject().number("code", state.emulation).text("name", emulationLabel(state.emulation)));
    out.text("model", state.model);
    out.object("settings", settingsJson(state.settings));
}

PrinterCommands::PrinterCommands(VirtualPrinter& printer, int emulation, std::string model)
    : state{probeReplyByte(emulation) < 0 ? 1 : emulation, std::move(model), {}} {
    installIdentification(printer);
    installSerialCommands(printer);
    installPrintSettings(printer);
    installMediaCommands(printer);
    installCpclVariables(printer);
}

void PrinterCommands::installIdentification(VirtualPrinter& printer) {
    // Emulation probe, FS "E" "C": one byte naming the current emulation.
    printer.addCommand({"emulation probe", {0x1C, 0x45, 0x43}, fixedBody(0), [this](Body, CommandContext& p) {
                            p.reply({static_cast<std::uint8_t>(probeReplyByte(state.emulation))});
                        }});
    // Emulation switch, FS "E" "S" target.
    printer.addCommand(
        {"emulation switch", {0x1C, 0x45, 0x53}, fixedBody(1), [this](Body body, CommandContext& p) {
             const auto target = emulationFromSwitchTarget(body[0]);
             if (!target) {
                 p.note("rejected");
                 return;
             }
             state.emulation = *target;
             state.settings.pendingSerialLine = {};
             p.amendLog(" to " + emulationLabel(*target));
         }});
    // Model query, ESC "v": the model text.
    printer.addCommand({"model query", {0x1B, 0x76}, fixedBody(0), [this](Body, CommandContext& p) {
                            p.reply(Bytes(state.model.begin(), state.model.end()));
                        }});
}

void PrinterCommands::installSerialCommands(VirtualPrinter& printer) {
    // GS "S" "C" 01 and five ASCII codes: baud, data bits, parity, stop bits, flow control. Applied at once.
    printer.addCommand(
        {"serial config", {0x1D, 0x53, 0x43, 0x01}, fixedBody(5), [this](Body body, CommandContext& p) {
             const auto line = decodeSerialCodes(body);
             if (!line) {
                 p.note("rejected");
                 return;
             }
             state.settings.serialLine = *line;
         }});
}

void PrinterCommands::installPrintSettings(VirtualPrinter& printer) {
    PrinterSettings& s = state.settings;
    // GS "S" "P" mode minutes.
    printer.addCommand({"power save", {0x1D, 0x53, 0x50}, fixedBody(2), [&s](Body body, CommandContext&) {
                            s.powerSaveMode = body[0];
                            s.powerSaveMinutes = body[1];
                        }});
    // FS "E" "P" n.
    printer.addCommand({"code page", {0x1C, 0x45, 0x50}, fixedBody(1), [&s](Body body, CommandContext&) {
                            s.codePage = body[0];
                        }});
    // ESC "a" 01 and the 180-byte sample, which the printer prints.
    printer.addCommand(
        {"code page sample", {0x1B, 0x61, 0x01}, sampleBody(), [&s](Body body, CommandContext&) {
             ++s.codePageSamplesPrinted;
             s.lastCodePageSample.assign(body.begin(), body.end());
         }});
    // FS "##DENSITY" n.
    printer.addCommand({"density", withText({0x1C}, "##DENSITY"), fixedBody(1),
                        [&s](Body body, CommandContext&) { s.density = body[0]; }});
    // ESC "#" "tavik" 02 "C" flag.
    printer.addCommand({"compatible mode", withText({0x1B, 0x23}, "tavik\x02\x43"), fixedBody(1),
                        [&s](Body body, CommandContext&) { s.compatibleMode = body[0]; }});
}

void PrinterCommands::installMediaCommands(VirtualPrinter& printer) {
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
        printer.addCommand({m.name, {0x1C, m.code}, fixedBody(0), [this, m](Body, CommandContext&) {
                                setMedia(m.mode, m.sensor);
                            }});
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
        printer.addCommand(
            {c.name, {0x1C, c.code}, fixedBody(0), [this, count = c.count](Body, CommandContext&) {
                 ++(state.settings.*count);
             }});
    }

    // ZPL media tracking "^MN" and one letter: N or Z continuous, Y or W gap (web), M black mark.
    printer.addCommand(
        {"ZPL media tracking", withText({}, "^MN"), letterBody(), [this](Body body, CommandContext& p) {
             if (state.emulation != 3) {
                 refuse(p, 3 + body.size());
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
                     p.note("rejected");
             }
         }});

    // MPCL brace frame; the printer knows the continuous-media frame "{,I,B,3,0,0,0|}".
    printer.addCommand(
        {"MPCL frame", {'{'}, textBody('}', kMaxTextCommand), [this](Body body, CommandContext& p) {
             if (state.emulation != 2) {
                 refuse(p, 1 + body.size());
                 return;
             }
             const std::string text(body.begin(), body.end());
             if (text == ",I,B,3,0,0,0|}") {
                 p.relabel("MPCL continuous");
                 setMedia(MediaMode::kContinuous, std::nullopt);
             } else {
                 p.note("not understood");
             }
         }});
}

void PrinterCommands::installCpclVariables(VirtualPrinter& printer) {
    // "! U1" utility lines up to their line end; each logs itself.
    printer.addCommand({"", withText({}, "! U1"), textBody('\n', kMaxTextCommand),
                        [this](Body body, CommandContext& p) { handleCpclLine(p, body, 4); }});

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

    PrinterSettings& s = state.settings;
    // The comm.* values wait until comm.comm_apply; data bits and flow control keep their values.
    cpclVariables_ = {
        {"comm.baud",
         [&s](const std::string& value) {
             const auto baud = decimal(value);
             if (!baud || !isSupportedBaud(*baud))
                 return false;
             s.pendingSerialLine.baud = *baud;
             return true;
         }},
        {"comm.parity", words(kParity, [&s](int i) { s.pendingSerialLine.parity = static_cast<Parity>(i); })},
        {"comm.stop_bits", words(kStopBits, [&s](int i) { s.pendingSerialLine.stopBits = i + 1; })},
        {"media.sense_mode",
         words(kSenseModes,
               [this](int i) { setMedia(i == 0 ? MediaMode::kGap : MediaMode::kBlackMark, std::nullopt); })},
        {"media.BM_sense_pos",
         words(kPositions, [&s](int i) { s.sensorPosition = static_cast<SensorPosition>(i); })},
        {"media.type", words(kMediaTypes,
                             [this, &s](int i) {
                                 if (i == 0)
                                     setMedia(MediaMode::kContinuous, std::nullopt);
                                 else if (s.mediaMode == MediaMode::kContinuous)
                                     setMedia(MediaMode::kGap, std::nullopt);
                             })},
    };
    cpclActions_ = {
        {"comm.comm_apply",
         [&s](const std::string&) {
             PendingSerialLine& pending = s.pendingSerialLine;
             SerialLine& line = s.serialLine;
             line.baud = pending.baud.value_or(line.baud);
             line.parity = pending.parity.value_or(line.parity);
             line.stopBits = pending.stopBits.value_or(line.stopBits);
             pending = {};
             return true;
         }},
    };
}

// The command just logged does not belong to the current emulation: its bytes are ignored.
void PrinterCommands::refuse(CommandContext& printer, std::size_t bytes) const {
    printer.ignore(bytes);
    printer.note("ignored in " + emulationLabel(state.emulation));
}

bool PrinterCommands::speaksCpcl() const {
    return state.emulation == 1 || state.emulation == 6;
}

void PrinterCommands::setMedia(MediaMode mode, std::optional<SensorPosition> sensor) {
    state.settings.mediaMode = mode;
    if (sensor)
        state.settings.sensorPosition = *sensor;
}

void PrinterCommands::handleCpclLine(CommandContext& printer, Body body, std::size_t prefixSize) {
    if (!speaksCpcl()) {
        printer.log("CPCL line");
        refuse(printer, prefixSize + body.size());
        return;
    }
    std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    const auto line = parseCpclLine(text);
    if (line && line->verb == "setvar" && line->args.size() == 2) {
        runCpcl(printer, "setvar", cpclVariables_, line->args[0], line->args[1]);
    } else if (line && line->verb == "do" && !line->args.empty()) {
        runCpcl(printer, "do", cpclActions_, line->args[0],
                line->args.size() > 1 ? line->args[1] : std::string());
    } else {
        printer.log("CPCL line not understood: " + std::string(text));
    }
}

void PrinterCommands::runCpcl(CommandContext& printer, const std::string& verb, const TextSettings& table,
                              const std::string& name, const std::string& value) {
    const auto entry =
        std::find_if(table.begin(), table.end(), [&name](const auto& e) { return sameWord(e.first, name); });
    if (entry == table.end()) {
        printer.log(std::string(verb == "do" ? "unknown action \"" : "unknown variable \"") + name + "\"");
        return;
    }
    printer.log(verb + " " + entry->first + (verb == "do" && value.empty() ? "" : " \"" + value + "\""));
    if (!entry->second(value))
        printer.note("bad value");
}

}  // namespace hollin::sim
