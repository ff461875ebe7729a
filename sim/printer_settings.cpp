#include "sim/printer_settings.h"

#include <algorithm>
#include <array>

#include "common/hex.h"

namespace hollin::sim {
namespace {

// Baud codes "0".."7" in code order.
constexpr std::array<int, 8> kBaudByCode = {9600, 19200, 38400, 57600, 115200, 1200, 2400, 4800};

template <typename T, std::size_t N>
std::optional<T> byCode(std::uint8_t code, std::uint8_t first, const std::array<T, N>& values) {
    if (code < first || code - first >= static_cast<int>(N))
        return std::nullopt;
    return values[static_cast<std::size_t>(code - first)];
}

constexpr std::array<const char*, 3> kMediaNames = {"gap", "black mark", "continuous"};
constexpr std::array<const char*, 3> kParityNames = {"none", "odd", "even"};

const char* mediaName(MediaMode mode) {
    return kMediaNames[static_cast<std::size_t>(mode)];
}

const char* sensorName(SensorPosition position) {
    return position == SensorPosition::kLower ? "lower" : "upper";
}

const char* flowName(FlowControl flow) {
    return flow == FlowControl::kDtrDsr ? "DTR/DSR" : "Xon/Xoff";
}

const char* parityName(Parity parity) {
    return kParityNames[static_cast<std::size_t>(parity)];
}

}  // namespace

std::optional<SerialLine> decodeSerialCodes(std::span<const std::uint8_t> codes) {
    if (codes.size() != 5)
        return std::nullopt;
    const auto baud = byCode(codes[0], '0', kBaudByCode);
    const auto dataBits = byCode(codes[1], '0', std::array<int, 2>{7, 8});
    const auto parity =
        byCode(codes[2], '0', std::array<Parity, 3>{Parity::kNone, Parity::kOdd, Parity::kEven});
    // Stop bits: "1" one, "3" two ("2" would be one and a half, which these printers do not offer).
    const int stopBits = codes[3] == '1' ? 1 : codes[3] == '3' ? 2 : 0;
    const auto flow =
        byCode(codes[4], '1', std::array<FlowControl, 2>{FlowControl::kDtrDsr, FlowControl::kXonXoff});
    if (!baud || !dataBits || !parity || stopBits == 0 || !flow)
        return std::nullopt;
    return SerialLine{*baud, *dataBits, *parity, stopBits, *flow};
}

bool isSupportedBaud(int baud) {
    return std::find(kBaudByCode.begin(), kBaudByCode.end(), baud) != kBaudByCode.end();
}

std::string emulationLabel(int emulation) {
    static constexpr std::array<const char*, 6> names = {"ESC/POS", "CPCL", "MPCL", "ZPL", "EPL", "DPL"};
    if (emulation >= 0 && emulation < static_cast<int>(names.size()))
        return names[static_cast<std::size_t>(emulation)];
    return std::to_string(emulation);
}

std::string describe(const SerialLine& line) {
    static constexpr std::array<char, 3> parity = {'N', 'O', 'E'};
    return std::to_string(line.baud) + " " + std::to_string(line.dataBits) +
           parity[static_cast<std::size_t>(line.parity)] + std::to_string(line.stopBits) + " " +
           flowName(line.flow);
}

std::string describe(const PrinterSettings& s) {
    std::string out;
    const auto add = [&out](const std::string& name, const std::string& value) {
        out += name + ": " + value + "\n";
    };
    add("serial line", describe(s.serialLine));
    if (s.pendingSerialLine != PendingSerialLine{}) {
        std::string pending;
        if (s.pendingSerialLine.baud)
            pending += " baud " + std::to_string(*s.pendingSerialLine.baud);
        if (s.pendingSerialLine.parity)
            pending += std::string(" parity ") + "NOE"[static_cast<int>(*s.pendingSerialLine.parity)];
        if (s.pendingSerialLine.stopBits)
            pending += " stop bits " + std::to_string(*s.pendingSerialLine.stopBits);
        add("pending serial values (not applied)", pending.substr(1));
    }
    add("power save",
        "mode " + std::to_string(s.powerSaveMode) + ", " + std::to_string(s.powerSaveMinutes) + " minutes");
    add("code page", std::to_string(s.codePage));
    add("density", std::to_string(s.density));
    add("media", std::string(mediaName(s.mediaMode)) + ", sensor " + sensorName(s.sensorPosition));
    add("calibrations", "gap " + std::to_string(s.gapCalibrations) + ", black mark " +
                            std::to_string(s.blackMarkCalibrations));
    add("compatible mode", std::to_string(s.compatibleMode));
    add("code-page samples printed", std::to_string(s.codePageSamplesPrinted));
    return out;
}

JsonObject settingsJson(const PrinterSettings& s) {
    const SerialLine& line = s.serialLine;
    JsonObject serial;
    serial.number("baud", line.baud)
        .number("data_bits", line.dataBits)
        .text("parity", parityName(line.parity))
        .number("stop_bits", line.stopBits)
        .text("flow_control", flowName(line.flow));
    const PendingSerialLine& pending = s.pendingSerialLine;
    JsonObject pendingJson;
    if (pending.baud)
        pendingJson.number("baud", *pending.baud);
    else
        pendingJson.null("baud");
    if (pending.parity)
        pendingJson.text("parity", parityName(*pending.parity));
    else
        pendingJson.null("parity");
    if (pending.stopBits)
        pendingJson.number("stop_bits", *pending.stopBits);
    else
        pendingJson.null("stop_bits");
    return JsonObject()
        .object("serial_line", serial)
        .object("pending_serial_line", pendingJson)
        .object("power_save",
                JsonObject().number("mode", s.powerSaveMode).number("minutes", s.powerSaveMinutes))
        .number("code_page", s.codePage)
        .number("density", s.density)
        .object(
            "media",
            JsonObject().text("mode", mediaName(s.mediaMode)).text("sensor", sensorName(s.sensorPosition)))
        .object("calibrations",
                JsonObject().number("gap", s.gapCalibrations).number("black_mark", s.blackMarkCalibrations))
        .number("compatible_mode", s.compatibleMode)
        .number("code_page_samples_printed", s.codePageSamplesPrinted)
        .text("last_code_page_sample", toHex(s.lastCodePageSample));
}

}  // namespace hollin::sim
