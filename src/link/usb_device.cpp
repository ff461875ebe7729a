#include "link/usb_device.h"

namespace hollin {

bool isAcceptedUsbPrinter(std::uint16_t vendor, std::uint16_t product) {
    return (vendor == 0x12ee && product == 0x9485) || (vendor == 0x0525 && product == 0xa702);
}

std::optional<std::uint16_t> parseUsbId(std::string_view text) {
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    if (text.size() != 4)
        return std::nullopt;
    std::uint16_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

std::optional<int> printerDeviceNumber(std::string_view name) {
    if (name.size() < 3 || name.size() > 6 || name.substr(0, 2) != "lp")
        return std::nullopt;
    int number = 0;
    for (char c : name.substr(2)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace hollin
