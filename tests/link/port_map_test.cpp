#include <gtest/gtest.h>

#include <map>

#include "link/port_map.h"

namespace hollin {
namespace {

EnvLookup fakeEnv(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    };
}

const std::vector<std::string> kDev = {"ttyS1",   "ttyS0",   "ttyUSB10", "tty0",   "ttyUSB2",
                                       "rfcomm0", "ttyACM0", "ttySAC0",  "ttyUSB", "console",
                                       "null",    "ttyS01x", "ttyUSB2"};

TEST(PortMap, SerialDevicesAreOrderedByFamilyThenNumber) {
    EXPECT_EQ(orderedSerialDevices(kDev),
              (std::vector<std::string>{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/rfcomm0",
                                        "/dev/ttyS0", "/dev/ttyS1"}));
    EXPECT_TRUE(orderedSerialDevices({"tty1", "ptmx"}).empty());
}

TEST(PortMap, ComPortIsTheNthDeviceUnlessTheEnvironmentNamesOne) {
    const PortMap map(kDev, fakeEnv({{"HOLLIN_COM2", "/dev/pts/7"}, {"HOLLIN_COM3", ""}}));
    EXPECT_EQ(map.deviceFor("COM1"), "/dev/ttyUSB2");
    EXPECT_EQ(map.deviceFor("COM2"), "/dev/pts/7");
    EXPECT_EQ(map.deviceFor("COM3"), "/dev/ttyACM0");  // an empty variable counts as unset
    EXPECT_EQ(map.deviceFor("COM6"), "/dev/ttyS1");
    EXPECT_EQ(map.deviceFor("COM7"), std::nullopt);
    for (const char* bad : {"COM0", "COM", "COMx", "com1", "LPT1", "COM1 "})
        EXPECT_EQ(map.deviceFor(bad), std::nullopt) << bad;

    const PortMap none({}, fakeEnv({{"HOLLIN_COM9", "/dev/pts/3"}}));
    EXPECT_EQ(none.deviceFor("COM1"), std::nullopt);
    EXPECT_EQ(none.deviceFor("COM9"), "/dev/pts/3");
}

TEST(PortMap, UsbIsMappedOnlyThroughTheEnvironment) {
    EXPECT_EQ(PortMap(kDev, fakeEnv({})).deviceFor("USB"), std::nullopt);
    EXPECT_EQ(PortMap(kDev, fakeEnv({{"HOLLIN_USB", "/dev/pts/4"}})).deviceFor("USB"), "/dev/pts/4");
}

TEST(PortMap, ToolTipShowsTheMapping) {
    const PortMap map(kDev, fakeEnv({{"HOLLIN_USB", "/dev/pts/4"}}));
    EXPECT_EQ(map.toolTip("COM1"), "COM1 \u2192 /dev/ttyUSB2");
    EXPECT_EQ(map.toolTip("COM7"), "COM7: no device");
    EXPECT_EQ(map.toolTip("USB"), "USB \u2192 /dev/pts/4");
    EXPECT_EQ(PortMap({}, fakeEnv({})).toolTip("USB"), "USB \u2192 the first USB printer (/dev/usb/lp*)");
}

}  // namespace
}  // namespace hollin
