#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "common/text_twin.h"
#include "transport/outcome.h"
#include "transport/printer_exchange.h"

// Every action the main window takes on a printer, as one call that runs the whole exchange (probe,
// build, send, wait, read) and returns what happened. Nothing here shows anything: a window maps the
// result to its messages and control states, the command line to its text and exit code.
namespace hollin::printer {

struct PrinterResult {
    Outcome outcome = Outcome::Done;
    // The emulation the printer reported (probe, read) or, after a switch that went out, the one it
    // now runs.
    std::optional<int> emulation;
    // The model index the model query's answer named.
    std::optional<int> model;

    // Nothing went wrong: the command went out, or the printer takes no such command.
    bool succeeded() const { return outcome == Outcome::Done || outcome == Outcome::Unsupported; }
};

// --- what a failed action says (each face shows it its own way)
inline constexpr TextTwin kNoResponseText = {"No Response in printer", "프린터 응답이 없습니다. !!!"};
inline constexpr TextTwin kReadEmulationFailedText = {"Failed to read emulation", "Emulation 읽기 실패 !!!"};
// A command that did not reach the printer (link closed, or the write gave up).
inline constexpr TextTwin kSendFailedText = {"Sending ERROR", "전송 에러"};
// The message of a failed action: no response, unknown emulation or not sent; nothing for the others.
const TextTwin* failureText(Outcome outcome);

// --- identification
// The probe: the printer's emulation, any of the eight codes.
PrinterResult probeEmulation(PrinterExchange& exchange);
// What Open Port learns: the probe and, when the printer answered it with a known code, the model
// query (`model` stays empty when that got no answer).
PrinterResult identifyPrinter(PrinterExchange& exchange);
// Get Emulation: the probe's question, accepting only the six named emulations.
PrinterResult readEmulation(PrinterExchange& exchange);

// --- emulation switch and serial line (the printer restarts: its link is to be closed afterwards)
enum class SwitchTarget { Cpcl, EscPos };
// Sends the switch the target and the current emulation call for; `emulation` is the new kind when
// the command went out.
PrinterResult switchEmulation(PrinterExchange& exchange, int currentKind, SwitchTarget target);

// The line the operator chose, as the main window's lists give it.
struct SerialLineChoice {
    int baud = 19200;
    int dataBitsPosition = 1;
    int parityPosition = 0;
    int stopBitsPosition = 0;
    int stopBits = 1;  // the stop-bits number, for CPCL printers
    int flowPosition = 0;
};
// Writes the line into the printer as its own serial settings: CPCL printers take four text commands
// (each also handed to `trace` once written), the others one 9-byte command. Stops at the first
// command that was not sent.
PrinterResult saveSerialLine(PrinterExchange& exchange, int emulationKind, const SerialLineChoice& line,
                             const std::function<void(std::string_view)>& trace = {});

// --- print settings
// The printer keeps the power-save minutes in one byte; a negative count ("-5") has no byte.
inline constexpr TextTwin kMinutesOutOfRangeText = {"The minutes must be a number from 0 to 255.",
                                                    "분 값은 0에서 255 사이의 숫자여야 합니다."};
bool powerSaveMinutesAccepted(int minutes);
// Probes first; minutes outside 0..255 have no byte and are refused before anything is sent.
PrinterResult setPowerSave(PrinterExchange& exchange, int mode, int minutes);
// Sends the code page at its list position for the emulation, then lets the printer settle.
PrinterResult setCodePage(PrinterExchange& exchange, int emulationKind, int position);
inline constexpr std::uint32_t kCodePageSettleMs = 100;
PrinterResult printCodePageSample(PrinterExchange& exchange);
PrinterResult setDensity(PrinterExchange& exchange, int position);

enum class MediaKind { Gap, BlackMark, Continuous };
// Probes first, then sends the media command of the emulation the probe found (Unsupported when it
// has none). `sensorPosition` counts for black mark only.
PrinterResult setMedia(PrinterExchange& exchange, MediaKind kind, int sensorPosition = 0);

enum class Calibration { Gap, BlackMark };
PrinterResult calibrate(PrinterExchange& exchange, Calibration which);

// Only ESC/POS and CPCL printers take the compatible mode (Unsupported otherwise); no probe.
PrinterResult setCompatibleMode(PrinterExchange& exchange, int emulationKind, int flag);

}  // namespace hollin::printer
