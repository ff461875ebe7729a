#include "link/driver_port_check.h"

#include <algorithm>

#include "common/text_twin.h"

namespace hollin {
namespace {

constexpr TextTwin kConflictText{
    "The port(%s) is already occupied in windows printer driver(%s).\n\nSo, please change your printer "
    "driver port from %s to other port\n\nand execute again.",
    "포트(%s)가 프린터 드라이버(%s)에서 사용 중입니다.\n\n프린터 드라이버의 포트를 다른 포트로 변경 후\n\n"
    "유틸리티를 다시 실행해 주세요."};
constexpr TextTwin kConflictCaption{"ERROR", "에러"};

// Copies `text` into a 256-byte buffer, cut to fit with its terminating zero.
void copyInto(std::array<char, 256>& buffer, std::string_view text) {
    const std::size_t n = std::min(text.size(), buffer.size() - 1);
    std::copy_n(text.data(), n, buffer.data());
    buffer[n] = '\0';
}

// Fills the "%s" of `pattern` with `values` in order; inserted text is not scanned again.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    auto value = values.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && value != values.end()) {
            out += *value++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace

std::string driverPortKey(std::string_view portText) {
    return std::string(portText) + ":";
}

DriverPortCheck checkDriverPort(Spooler& spooler, std::string_view portText, DriverPortBuffers& buffers) {
    const std::string key = driverPortKey(portText);
    buffers.printerName.fill('\0');
    buffers.portName.fill('\0');

    DriverPortCheck result;
    const SpoolerListing listing = spooler.localPrinters();
    if (listing.status == SpoolerListing::Status::Unavailable)
        return result;
    if (listing.printers.empty()) {
        result.enumPrintersFailed = true;
        return result;
    }
    for (const InstalledPrinter& printer : listing.printers) {
        if (printer.port == key) {
            copyInto(buffers.printerName, printer.name);
            copyInto(buffers.portName, printer.port);
            result.conflict = 1;
            return result;
        }
    }
    return result;
}

MessageText driverConflictMessage(const DriverPortBuffers& buffers, int messageLanguage) {
    const std::string_view pattern = pickText(kConflictText, messageLanguage);
    const std::string_view caption = pickText(kConflictCaption, messageLanguage);
    // The English text names the port again where the Korean one has no third blank.
    return {fill(pattern, {buffers.port(), buffers.printer(), buffers.port()}), std::string(caption)};
}

MessageText enumPrintersFailedMessage() {
    return {"EnumPrinters() failed", "EnumPrinters() Error"};
}

std::string spoolerPortName(
    std::string_view deviceUri,
    const std::function<std::optional<std::string>(std::string_view)>& portForDevice) {
    constexpr std::string_view kSerial = "serial:";
    if (!deviceUri.starts_with(kSerial))
        return std::string(deviceUri);
    std::string_view path = deviceUri.substr(kSerial.size());
    path = path.substr(0, path.find('?'));
    if (path.starts_with("//"))  // serial://dev/ttyS0 is written both ways
        path.remove_prefix(1);
    if (const auto port = portForDevice ? portForDevice(path) : std::nullopt)
        return driverPortKey(*port);
    return std::string(deviceUri);
}

}  // namespace hollin
