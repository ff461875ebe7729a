#include "printer/printer_commands.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace hollin {
namespace {

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

}  // namespace

EmulationSwitch setCpclSwitch(int currentKind) {
    if (currentKind == kZpl || currentKind == kEpl)
        return {0x03, kZpl};
    return {0x00, kCpcl};
}

EmulationSwitch setEscPosSwitch(int currentKind) {
    if (currentKind == kZpl || currentKind == kEpl)
        return {0x04, kEpl};
    return {0x01, kEscPos};
}

Bytes emulationSwitchCommand(std::uint8_t target) {
    return {0x1C, 0x45, 0x53, target};
}

Bytes serialConfigCommand(int baud, int dataBitsPos, int parityPos, int stopBitsPos, int flowPos) {
    std::uint8_t baudCode = 0x00;
    switch (baud) {
        case 1200:
            baudCode = '5';
            break;
        case 2400:
            baudCode = '6';
            break;
        case 4800:
            baudCode = '7';
            break;
        case 9600:
            baudCode = '0';
            break;
        case 19200:
            baudCode = '1';
            break;
        case 38400:
            baudCode = '2';
            break;
        case 57600:
            baudCode = '3';
            break;
        case 115200:
            baudCode = '4';
            break;
        default:
            break;
    }
    const std::uint8_t dataBits = dataBitsPos == 0 ? '0' : '1';
    const std::uint8_t parity = static_cast<std::uint8_t>('0' + std::clamp(parityPos, 0, 2));
    const std::uint8_t stopBits = stopBitsPos == 1 ? '3' : '1';
    const std::uint8_t flow = flowPos == 1 ? '2' : '1';
    return {0x1D, 0x53, 0x43, 0x01, baudCode, dataBits, parity, stopBits, flow};
}

std::vector<std::string> cpclSerialConfigTexts(int baud, int parityPos, int stopBits) {
    static constexpr std::array<char, 3> parityLetters = {'n', 'o', 'e'};
    const char parity = parityLetters[static_cast<std::size_t>(std::clamp(parityPos, 0, 2))];
    return {
        "! U1 setvar \"comm.baud\" \"" + std::to_string(baud) + "\"\r\n",
        std::string("! U1 setvar \"comm.parity\" \"") + parity + "\"\r\n",
        "! U1 setvar \"comm.stop_bits\" \"" + std::to_string(stopBits) + "\"\r\n",
        "! U1 do \"comm.comm_apply\"\r\n",
    };
}

int parseMinutes(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

Bytes powerSaveCommand(int mode, int minutes) {
    return {0x1D, 0x53, 0x50, static_cast<std::uint8_t>(mode), static_cast<std::uint8_t>(minutes)};
}

Bytes codePageCommand(int kind, int position) {
    const int value = kind == kEpl ? position + 1 : position;
    return {0x1C, 0x45, 0x50, static_cast<std::uint8_t>(value)};
}

Bytes codePageSample() {
    std::string out;
    out.reserve(180);
    for (int high = 0x8; high <= 0xF; ++high) {
        out += "\r\n\r\n ";
        for (int low = 0; low < 16; ++low)
            out.push_back(static_cast<char>(high << 4 | low));
        out.push_back(' ');
    }
    out += "\r\n\r\n";
    return bytesOf(out);
}

Bytes printCodePageCommand() {
    const Bytes sample = codePageSample();
    return bytesOf("\x1B\x61\x01" + std::string(sample.begin(), sample.end()));
}

Bytes densityCommand(int position) {
    return bytesOf("\x1C##DENSITY" + std::string(1, static_cast<char>(position + 1)));
}

Bytes setGapCommand(int kind) {
    // Kind 6 printers take the CPCL variable commands for black mark and continuous media; they get the
    // CPCL gap command as well, so that the three media buttons behave alike on them.
    if (kind == kCpcl || kind == 6)
        return bytesOf("! U1 setvar \"media.sense_mode\" \"gap\"\r\n");
    if (kind == kMpcl || kind == kZpl || kind == kEpl)
        return {0x1C, 0x47};
    return {};
}

Bytes setBlackMarkCommand(int kind, int sensorPosition) {
    const bool upper = sensorPosition == 1;
    if (kind == kCpcl || kind == 6) {
        return bytesOf(std::string("! U1 setvar \"media.sense_mode\" \"bar\"\r\n") +
                       (upper ? "! U1 setvar \"media.BM_sense_pos\" \"upper\"\r\n"
                              : "! U1 setvar \"media.BM_sense_pos\" \"lower\"\r\n"));
    }
    if (kind == kMpcl || kind == kZpl || kind == kEpl)
        return {0x1C, static_cast<std::uint8_t>(upper ? 0x55 : 0x4C)};
    return {};
}

Bytes setContinuousCommand(int kind) {
    if (kind == kCpcl || kind == 6)
        return bytesOf("! U1 setvar \"media.type\" \"journal\"\r\n");
    if (kind == kMpcl)
        return bytesOf("{,I,B,3,0,0,0|}");
    if (kind == kZpl)
        return bytesOf("^MNZ");
    if (kind == kEpl)
        return {0x1C, 0x4A};
    return {};
}

Bytes gapCalibrationCommand() {
    return {0x1C, 0x46};
}

Bytes blackMarkCalibrationCommand() {
    return {0x1C, 0x42};
}

Bytes compatibleModeCommand(int kind, int flag) {
    if (kind != kEscPos && kind != kCpcl)
        return {};
    return bytesOf(std::string("\x1B#tavik\x02\x43") + static_cast<char>(flag));
}

}  // namespace hollin
