// What a write must pass before anything goes out.
#include <gtest/gtest.h>

#include <cstring>

#include "netcfg/write_checks.h"

namespace hollin::netcfg {
namespace {

DeviceRecord validRecord() {
    DeviceRecord record;
    record.ipAddress = {192, 168, 1, 10};
    record.netmask = {255, 255, 255, 0};
    return record;
}

void addChannel(DeviceRecord& record, int i, std::uint16_t port, std::uint8_t mode) {
    record.channels[i].valid = 1;
    record.channels[i].setLocalPort(port);
    record.channels[i].core[12] = mode;
}

TEST(NetcfgChecks, AddressRules) {
    EXPECT_TRUE(addressCheck(0xC0A8010A, 0xFFFFFF00));
    EXPECT_FALSE(addressCheck(0xC0A8010A, 0xFFFFFFFF)) << "every host part all ones";
    EXPECT_FALSE(addressCheck(0, 0xFFFFFF00));
    EXPECT_FALSE(addressCheck(0x7F000002, 0xFF000000));
    EXPECT_FALSE(addressCheck(0xE0000001, 0xFFFFFF00));
    EXPECT_FALSE(addressCheck(0x0A000000, 0xFF000000)) << "class A network address";
    EXPECT_FALSE(addressCheck(0xAC10FFFF, 0xFFFFFF00)) << "class B broadcast address";
    EXPECT_FALSE(addressCheck(0xC0A80180, 0xFFFFFF80)) << "host part zero under the mask";
}

TEST(NetcfgChecks, CodesInOrder) {
    DeviceRecord record = validRecord();
    EXPECT_EQ(checkWrite(record), 0);
    record.netmask = {255, 255, 255, 255};
    EXPECT_EQ(checkWrite(record), kBadAddress);

    struct Case {
        std::vector<std::tuple<int, std::uint16_t, std::uint8_t>> channels;
        int code;
    };
    const Case cases[] = {
        {{{0, 23, 2}}, 0},
        {{{0, 23, 4}}, 0},
        {{{0, 0, 0}, {1, 0, 0}}, 0},
        {{{0, 9100, 0}, {1, 9100, 0}}, kDuplicatePort},
        {{{0, 23, 0}}, kPort23},
        {{{0, 50005, 3}}, kPort50005},
        {{{0, 50006, 3}}, kPort50006},
        {{{0, 50005, 0}}, 0},
    };
    for (const Case& c : cases) {
        DeviceRecord r = validRecord();
        for (const auto& [i, port, mode] : c.channels)
            addChannel(r, i, port, mode);
        EXPECT_EQ(checkWrite(r), c.code) << std::get<1>(c.channels[0]);
    }

    DeviceRecord io = validRecord();
    io.productCode = 16;
    addChannel(io, 0, 502, 0);
    io.ioBlock[8] = 502 & 0xFF;
    io.ioBlock[9] = 502 >> 8;
    EXPECT_EQ(checkWrite(io), kModbusPortClash);
    io.ioBlock[0] = 1u << 3;  // Modbus/TCP off
    io.ioBlock[12] = 10;
    io.ioBlock[14] = 17;
    EXPECT_EQ(checkWrite(io), kBadIoAddress);
    io.ioBlock[14] = 18;
    EXPECT_EQ(checkWrite(io), 0);
    io.ioBlock[0] |= 1u << 1;  // macros on
    std::memcpy(io.macros[3].data(), "I1+", 3);
    EXPECT_EQ(checkWrite(io), kBadMacro);
}

TEST(NetcfgChecks, MacroSyntax) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},         {"I0", true},   {"(I1 + i2) * I3", true}, {"/I1", true},
        {"/(I1*I2)", true}, {"I8", false},  {"I1+", false},           {"1", false},
        {"(I1", false},     {"I1)", false}, {"I1/I2", false},         {"I1+/", false},
        {"()", false},      {"A", false},
    };
    for (const auto& [text, ok] : cases) {
        std::array<std::uint8_t, 32> macro{};
        std::memcpy(macro.data(), text, std::strlen(text));
        EXPECT_EQ(macroSyntaxOk(macro), ok) << text;
    }
}

}  // namespace
}  // namespace hollin::netcfg
