#include "netcfg/write_checks.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace hollin::netcfg {
namespace {

bool isIoProduct(const DeviceRecord& record) {
    return record.productCode == 16 || (record.productVariant >= 32 && record.productVariant <= 34);
}

int presentChannels(const DeviceRecord& record) {
    return static_cast<int>(std::count_if(record.channels.begin(), record.channels.end(),
                                          [](const Channel& c) { return c.valid != 0; }));
}

// The first `count` entries that name a port.
std::vector<std::uint16_t> usedPorts(const DeviceRecord& record) {
    const auto entries = portEntries(record);
    std::vector<std::uint16_t> used;
    for (int i = 0; i < presentChannels(record); ++i) {
        if (entries[i] != 0)
            used.push_back(entries[i]);
    }
    return used;
}

bool anyModeThreeOn(const DeviceRecord& record, std::uint16_t port) {
    return std::any_of(record.channels.begin(), record.channels.end(), [port](const Channel& c) {
        return c.valid != 0 && c.mode() == 3 && c.localPort() == port;
    });
}

bool isDigit07(char c) {
    return c >= '0' && c <= '7';
}

bool isInput(char c) {
    return c == 'I' || c == 'i';
}

}  // namespace

bool addressCheck(std::uint32_t ip, std::uint32_t mask) {
    const std::uint32_t first = ip >> 24;
    if (ip == 0 || first == 127 || first >= 224)
        return false;
    const std::uint32_t classHost = first < 128 ? 0x00FFFFFFu : first < 192 ? 0x0000FFFFu : 0x000000FFu;
    if ((ip & ~classHost) == ip || (ip | classHost) == ip)
        return false;
    const std::uint32_t host = ip & ~mask;
    return host != 0 && host != (~mask);
}

std::array<std::uint16_t, 4> portEntries(const DeviceRecord& record) {
    std::array<std::uint16_t, 4> entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Channel& channel = record.channels[i];
        if (channel.valid != 0 && channel.mode() != 2 && channel.mode() != 4)
            entries[i] = channel.localPort();
    }
    return entries;
}

bool macroSyntaxOk(std::span<const std::uint8_t> macro) {
    std::string text;
    for (std::uint8_t byte : macro) {
        if (byte != ' ' && byte != 0)
            text.push_back(static_cast<char>(byte));
    }
    int open = 0, close = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char before = i > 0 ? text[i - 1] : '\0';
        const bool last = i + 1 == text.size();
        const char after = last ? '\0' : text[i + 1];
        if (isInput(c)) {
            if (!isDigit07(after))
                return false;
        } else if (isDigit07(c)) {
            if (!isInput(before))
                return false;
        } else if (c == '(') {
            if (i != 0 && before != '(' && before != '*' && before != '+' && before != '/')
                return false;
            ++open;
        } else if (c == ')') {
            if (!isDigit07(before))
                return false;
            ++close;
        } else if (c == '*' || c == '+') {
            if ((!isDigit07(before) && before != ')') || last)
                return false;
        } else if (c == '/') {
            if (i != 0 && before != '(' && before != '*' && before != '+')
                return false;
            if (last || (after != '(' && !isInput(after)))
                return false;
        } else {
            return false;
        }
    }
    return open == close;
}

int checkWrite(const DeviceRecord& record) {
    if (!addressCheck(ipv4Of(record.ipAddress), ipv4Of(record.netmask)))
        return kBadAddress;
    const std::vector<std::uint16_t> used = usedPorts(record);
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (std::count(used.begin(), used.end(), used[i]) > 1)
            return kDuplicatePort;
    }
    if (std::count(used.begin(), used.end(), 23) > 0)
        return kPort23;
    const bool io = isIoProduct(record);
    if (io && (ioWord(record) & (1u << 3)) == 0 &&
        std::count(used.begin(), used.end(), modbusPort(record)) > 0)
        return kModbusPortClash;
    if (io && (record.options & (1u << 20)) != 0 &&
        std::count(used.begin(), used.end(), webServerPort(record)) > 0)
        return kWebPortClash;
    if (anyModeThreeOn(record, 50005))
        return kPort50005;
    if (anyModeThreeOn(record, 50006))
        return kPort50006;
    if (io && (ioWord(record) & (1u << 1)) != 0) {
        for (const auto& macro : record.macros) {
            if (!macroSyntaxOk(macro))
                return kBadMacro;
        }
    }
    int span = 0;
    if (record.productCode == 16 || record.productVariant == 32 || record.productVariant == 33)
        span = 8;
    else if (record.productCode == 34 || record.productVariant == 34)
        span = 4;
    if (span > 0 && std::abs(int{ioAddress(record, 0)} - int{ioAddress(record, 1)}) < span)
        return kBadIoAddress;
    return kWriteDone;
}

}  // namespace hollin::netcfg
