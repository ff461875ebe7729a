#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/json_writer.h"

// The settings a virtual printer keeps, as one value that tests can compare and print.
namespace hollin::sim {

enum class Parity { kNone, kOdd, kEven };
enum class FlowControl { kDtrDsr, kXonXoff };

// The printer's own serial line. It starts as the utility's default line, 19200 8N1 with DTR/DSR, so
// that a fresh printer answers a port opened with the default values.
struct SerialLine {
    int baud = 19200;
    int dataBits = 8;
    Parity parity = Parity::kNone;
    int stopBits = 1;
    FlowControl flow = FlowControl::kDtrDsr;
    bool operator==(const SerialLine&) const = default;
};

// CPCL "comm.*" values set but not yet applied by "comm.comm_apply".
struct PendingSerialLine {
    std::optional<int> baud;
    std::optional<Parity> parity;
    std::optional<int> stopBits;
    bool operator==(const PendingSerialLine&) const = default;
};

enum class MediaMode { kGap, kBlackMark, kContinuous };
enum class SensorPosition { kLower, kUpper };

// Single-byte values (power-save mode and minutes, code page, density, compatible-mode flag) are kept
// exactly as received: range checks are the host's business, and a test sees what was sent. Note that
// EPL printers number their code pages from 1, the others from 0; the printer keeps the raw value.
struct PrinterSettings {
    SerialLine serialLine;
    PendingSerialLine pendingSerialLine;
    int powerSaveMode = 0;
    int powerSaveMinutes = 0;
    int codePage = 0;
    int density = 3;  // 1..5 on the wire; 3 is the utility's default, "DENSITY [+1]"
    MediaMode mediaMode = MediaMode::kGap;
    SensorPosition sensorPosition = SensorPosition::kLower;
    int gapCalibrations = 0;
    int blackMarkCalibrations = 0;
    int compatibleMode = 0;
    int codePageSamplesPrinted = 0;
    std::vector<std::uint8_t> lastCodePageSample;  // the bytes of the last sample printed
    bool operator==(const PrinterSettings&) const = default;
};

// The line the five ASCII codes of GS "S" "C" 01 name (baud, data bits, parity, stop bits, flow
// control); nothing when any code lies outside its table.
std::optional<SerialLine> decodeSerialCodes(std::span<const std::uint8_t> codes);

// The rates a printer's serial port offers (the same eight the 9-byte command can name).
bool isSupportedBaud(int baud);

// Readable names for the summary and the log.
std::string emulationLabel(int emulation);     // "ESC/POS" ... "DPL", "6", "7"
std::string describe(const SerialLine& line);  // e.g. "9600 8O1 Xon/Xoff"
// One "name: value" line per setting.
std::string describe(const PrinterSettings& settings);
// The settings as a JSON object: "serial_line", "pending_serial_line" (null for a value not set),
// "power_save", "code_page", "density", "media", "calibrations", "compatible_mode",
// "code_page_samples_printed" and "last_code_page_sample" (hexadecimal).
JsonObject settingsJson(const PrinterSettings& settings);

}  // namespace hollin::sim
