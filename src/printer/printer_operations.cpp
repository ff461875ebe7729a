#include "printer/printer_operations.h"

#include <string>

#include "printer/printer_commands.h"

namespace hollin::printer {
namespace {

PrinterResult sent(bool delivered) {
    return {delivered ? Outcome::Done : Outcome::NotSent, std::nullopt, std::nullopt};
}

// Sends a command the emulation may lack: an empty one is not sent.
PrinterResult sendIfAny(PrinterExchange& exchange, const Bytes& command) {
    if (command.empty())
        return {Outcome::Unsupported, std::nullopt, std::nullopt};
    return sent(exchange.SendToPrinter(command));
}

}  // namespace

PrinterResult probeEmulation(PrinterExchange& exchange) {
    int kind = -1;
    switch (exchange.ProbePrinter(kind)) {
        case kProbeOk:
            return {Outcome::Done, kind, std::nullopt};
        case kProbeUnknown:
            return {Outcome::UnknownEmulation, std::nullopt, std::nullopt};
        default:
            return {Outcome::NoResponse, std::nullopt, std::nullopt};
    }
}

PrinterResult identifyPrinter(PrinterExchange& exchange) {
    PrinterResult result = probeEmulation(exchange);
    if (result.outcome != Outcome::Done)
        return result;
    int model = 0;
    if (exchange.QueryModel(model) == 0)
        result.model = model;
    return result;
}

PrinterResult readEmulation(PrinterExchange& exchange) {
    if (exchange.probeReply() == 0)
        return {Outcome::NoResponse, std::nullopt, std::nullopt};
    const auto kind = namedEmulationFromByte(exchange.reply().back());
    if (!kind)
        return {Outcome::UnknownEmulation, std::nullopt, std::nullopt};
    return {Outcome::Done, *kind, std::nullopt};
}

PrinterResult switchEmulation(PrinterExchange& exchange, int currentKind, SwitchTarget target) {
    const EmulationSwitch change =
        target == SwitchTarget::Cpcl ? setCpclSwitch(currentKind) : setEscPosSwitch(currentKind);
    PrinterResult result = sent(exchange.SendToPrinter(emulationSwitchCommand(change.target)));
    if (result.outcome == Outcome::Done)
        result.emulation = change.newKind;
    return result;
}

PrinterResult saveSerialLine(PrinterExchange& exchange, int emulationKind, const SerialLineChoice& line,
                             const std::function<void(std::string_view)>& trace) {
    if (emulationKind != kCpcl) {
        return sent(
            exchange.SendToPrinter(serialConfigCommand(line.baud, line.dataBitsPosition, line.parityPosition,
                                                       line.stopBitsPosition, line.flowPosition)));
    }
    for (const std::string& text : cpclSerialConfigTexts(line.baud, line.parityPosition, line.stopBits)) {
        const bool delivered = exchange.SendToPrinter(text);
        if (trace)
            trace(text);
        if (!delivered)
            return sent(false);
    }
    return sent(true);
}

const TextTwin* failureText(Outcome outcome) {
    switch (outcome) {
        case Outcome::NoResponse:
            return &kNoResponseText;
        case Outcome::UnknownEmulation:
            return &kReadEmulationFailedText;
        case Outcome::NotSent:
            return &kSendFailedText;
        default:
            return nullptr;
    }
}

bool powerSaveMinutesAccepted(int minutes) {
    return minutes >= 0 && minutes <= 0xFF;
}

PrinterResult setPowerSave(PrinterExchange& exchange, int mode, int minutes) {
    if (!powerSaveMinutesAccepted(minutes))
        return {Outcome::Refused, std::nullopt, std::nullopt};
    PrinterResult result = probeEmulation(exchange);
    if (result.outcome != Outcome::Done)
        return result;
    result.outcome = sent(exchange.SendToPrinter(powerSaveCommand(mode, minutes))).outcome;
    return result;
}

PrinterResult setCodePage(PrinterExchange& exchange, int emulationKind, int position) {
    const PrinterResult result = sent(exchange.SendToPrinter(codePageCommand(emulationKind, position)));
    if (result.outcome == Outcome::Done)
        exchange.clock().sleepMs(kCodePageSettleMs);
    return result;
}

PrinterResult printCodePageSample(PrinterExchange& exchange) {
    return sent(exchange.SendToPrinter(printCodePageCommand()));
}

PrinterResult setDensity(PrinterExchange& exchange, int position) {
    return sent(exchange.SendToPrinter(densityCommand(position)));
}

PrinterResult setMedia(PrinterExchange& exchange, MediaKind kind, int sensorPosition) {
    PrinterResult result = probeEmulation(exchange);
    if (result.outcome != Outcome::Done)
        return result;
    const int emulation = *result.emulation;
    const Bytes command = kind == MediaKind::Gap         ? setGapCommand(emulation)
                          : kind == MediaKind::BlackMark ? setBlackMarkCommand(emulation, sensorPosition)
                                                         : setContinuousCommand(emulation);
    result.outcome = sendIfAny(exchange, command).outcome;
    return result;
}

PrinterResult calibrate(PrinterExchange& exchange, Calibration which) {
    return sent(exchange.SendToPrinter(which == Calibration::Gap ? gapCalibrationCommand()
                                                                 : blackMarkCalibrationCommand()));
}

PrinterResult setCompatibleMode(PrinterExchange& exchange, int emulationKind, int flag) {
    return sendIfAny(exchange, compatibleModeCommand(emulationKind, flag));
}

}  // namespace hollin::printer
