#include "wificodec/wifi_record.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/hex.h"

namespace hollin::wifi {

RecordField wepKeyField(int key) {
    switch (key) {
        case 2:
            return field::kKey2;
        case 3:
            return field::kKey3;
        case 4:
            return field::kKey4;
        default:
            return field::kKey1;
    }
}

WifiSettingsRecord::WifiSettingsRecord() {
    bytes_.fill(' ');
}

std::optional<WifiSettingsRecord> WifiSettingsRecord::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kSize)
        return std::nullopt;
    WifiSettingsRecord record;
    std::copy_n(bytes.begin(), kSize, record.bytes_.begin());
    return record;
}

std::string_view WifiSettingsRecord::raw(RecordField f) const {
    return {reinterpret_cast<const char*>(bytes_.data()) + f.offset, f.size};
}

std::string WifiSettingsRecord::text(RecordField f) const {
    const std::string_view all = raw(f);
    return std::string(all.substr(0, all.find('\0')));
}

std::string WifiSettingsRecord::line(RecordField f) const {
    const std::string_view all = raw(f);
    return std::string(all.substr(0, all.find_first_of(std::string_view("\r\n\0", 3))));
}

std::optional<int> WifiSettingsRecord::digitValue(RecordField f) const {
    const char c = digit(f);
    if (c < '0' || c > '9')
        return std::nullopt;
    return c - '0';
}

std::optional<int> WifiSettingsRecord::decimal(RecordField f) const {
    const std::string_view all = raw(f);
    std::size_t i = all.find_first_not_of(' ');
    if (i == std::string_view::npos || !std::isdigit(static_cast<unsigned char>(all[i])))
        return std::nullopt;
    int value = 0;
    for (; i < all.size() && std::isdigit(static_cast<unsigned char>(all[i])); ++i)
        value = value * 10 + (all[i] - '0');
    return value;
}

std::optional<unsigned> WifiSettingsRecord::hexNumber(RecordField f) const {
    unsigned value = 0;
    for (char c : raw(f)) {
        const int d = hexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value << 4 | static_cast<unsigned>(d);
    }
    return value;
}

std::optional<Octets> WifiSettingsRecord::address(RecordField f) const {
    const std::string_view all = raw(f);
    if (all.size() != 8)
        return std::nullopt;
    Octets octets{};
    for (std::size_t i = 0; i < 4; ++i) {
        const int high = hexDigitValue(all[2 * i]);
        const int low = hexDigitValue(all[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        octets[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return octets;
}

std::string WifiSettingsRecord::macText() const {
    std::string out;
    const std::string_view mac = raw(field::kMacAddress);
    for (std::size_t i = 0; i < mac.size(); ++i) {
        if (i > 0 && i % 2 == 0)
            out += ':';
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(mac[i])));
    }
    return out;
}

void WifiSettingsRecord::setText(RecordField f, std::string_view text, char pad) {
    const std::size_t n = std::min(text.size(), f.size);
    std::copy_n(text.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(f.offset));
    std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(f.offset + n), f.size - n,
                static_cast<std::uint8_t>(pad));
}

void WifiSettingsRecord::setLine(RecordField f, std::string_view text) {
    std::string line(text.substr(0, f.size - 2));
    line += "\r\n";
    setText(f, line, ' ');
}

void WifiSettingsRecord::setAddress(RecordField f, const Octets& octets) {
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", octets[0], octets[1], octets[2], octets[3]);
    setText(f, text);
}

void WifiSettingsRecord::fill(RecordField f, std::uint8_t value) {
    std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(f.offset), f.size, value);
}

}  // namespace hollin::wifi
