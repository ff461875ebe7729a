// Ports that follow the cable, against umockdev: the program runs under umockdev-run, which hands
// every access to /sys and /dev to a test bed, and the test adds and removes devices of recorded trees
// (devices.umockdev: a USB label printer on /dev/usb/lp0; serial.umockdev: a USB-serial adapter on
// /dev/ttyUSB0) and sends their events.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "link/device_watch.h"
#include "link/port_map.h"
#include "link/usb_device.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/printer_commands.h"
#include "sim/virtual_printer.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"

namespace hollin {
namespace {

constexpr const char* kLp0 = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/usbmisc/lp0";
constexpr const char* kTtyUsb0 = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0";

struct TestBed : ::testing::Test {
    UMockdevTestbed* bed = nullptr;

    void SetUp() override {
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-run";
        bed = umockdev_testbed_new();
        ::unsetenv("HOLLIN_COM1");
        ::unsetenv("HOLLIN_USB");
    }
    void TearDown() override { g_object_unref(bed); }

    // Adds the devices of a recorded tree, then announces `syspath` as udev would. `renamed`: every
    // occurrence of a text in the tree replaced (a second device of the same kind).
    void plug(const char* file, std::string syspath,
              const std::vector<std::pair<std::string, std::string>>& renamed = {}) {
        gchar* text = nullptr;
        ASSERT_TRUE(
            g_file_get_contents((std::string(HOLLIN_UDEV_DIR "/") + file).c_str(), &text, nullptr, nullptr));
        std::string tree(text);
        g_free(text);
        for (const auto& [from, to] : renamed) {
            for (std::size_t at = tree.find(from); at != std::string::npos;
                 at = tree.find(from, at + to.size()))
                tree.replace(at, from.size(), to);
            for (std::size_t at = syspath.find(from); at != std::string::npos;
                 at = syspath.find(from, at + to.size()))
                syspath.replace(at, from.size(), to);
        }
        GError* error = nullptr;
        ASSERT_TRUE(umockdev_testbed_add_from_string(bed, tree.c_str(), &error))
            << (error ? error->message : "");
        umockdev_testbed_uevent(bed, syspath.c_str(), "add");
    }
    // Announces the removal, then takes the device away with its node, as the kernel does.
    void unplug(const char* syspath, const char* node) {
        umockdev_testbed_uevent(bed, syspath, "remove");
        umockdev_testbed_remove_device(bed, syspath);
        ::unlink((std::string(umockdev_testbed_get_root_dir(bed)) + node).c_str());
    }
};

// The monitor wakes for a serial port or USB printer coming and going, and the COMn map and the USB
// printer follow; a device of another kind does not wake it.
TEST_F(TestBed, APortPluggedInAndOutIsSeenAndMapped) {
    const auto watch = makeUdevDeviceWatch();
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(watch->waitForEvents(50));

    plug("serial.umockdev", kTtyUsb0);
    ASSERT_TRUE(watch->waitForEvents(2000));
    EXPECT_TRUE(watch->takeEvents());
    EXPECT_EQ(PortMap::system().deviceFor("COM1"), "/dev/ttyUSB0");

    plug("devices.umockdev", kLp0);
    ASSERT_TRUE(watch->waitForEvents(2000));
    EXPECT_TRUE(watch->takeEvents());
    EXPECT_EQ(findUsbPrinterNodes("/sys", "/dev"), std::vector<std::string>{"/dev/usb/lp0"});

    unplug(kTtyUsb0, "/dev/ttyUSB0");
    unplug(kLp0, "/dev/usb/lp0");
    ASSERT_TRUE(watch->waitForEvents(2000));
    EXPECT_TRUE(watch->takeEvents());
    EXPECT_EQ(PortMap::system().deviceFor("COM1"), std::nullopt);
    EXPECT_TRUE(findUsbPrinterNodes("/sys", "/dev").empty());

    umockdev_testbed_add_device(bed, "input", "event7", nullptr, nullptr, "DEVNAME", "/dev/input/event7",
                                nullptr);
    umockdev_testbed_uevent(bed, "/sys/devices/event7", "add");
    EXPECT_FALSE(watch->waitForEvents(200) && watch->takeEvents());
}

// The main window's port box follows: after the change its COM1 entry names the adapter plugged in,
// and after the unplug it says there is none.
TEST_F(TestBed, ThePortBoxToolTipsFollowTheCable) {
    plug("devices.umockdev", kLp0);  // the test bed's /dev now stands in for the machine's
    VirtualClock clock{1000};
    sim::VirtualPrinter printer{clock, kEscPos, "Alder"};
    test::VirtualSerialPort port{printer, clock, "/dev/ttyUSB0"};
    test::VirtualUsbFinder usb{printer};
    PortMap ports = PortMap::system();
    test::NoSpooler spooler;
    test::FakeDesktop desktop;
    test::FakeView view{desktop};
    printer::CHollinDlg dlg(printer::MainWindowDeps{.clock = clock,
                                                    .serialPorts = test::VirtualSerialPort::factoryFor(port),
                                                    .ports = ports,
                                                    .usbFinder = usb,
                                                    .spooler = spooler});
    view.open(dlg);
    EXPECT_EQ(view.itemToolTip(printer::ids::kPortList, 0), "COM1: no device");

    const auto watch = makeUdevDeviceWatch();
    ASSERT_NE(watch, nullptr);
    plug("serial.umockdev", kTtyUsb0);
    ASSERT_TRUE(watch->waitForEvents(2000) && watch->takeEvents());
    ports = PortMap::system();  // what the program's adapters do on a settled change
    dlg.onDeviceChange();
    EXPECT_EQ(view.itemToolTip(printer::ids::kPortList, 0), "COM1 \u2192 /dev/ttyUSB0");
    EXPECT_EQ(view.toolTip(printer::ids::kPortList), "COM1 \u2192 /dev/ttyUSB0");

    unplug(kTtyUsb0, "/dev/ttyUSB0");
    ASSERT_TRUE(watch->waitForEvents(2000) && watch->takeEvents());
    ports = PortMap::system();
    dlg.onDeviceChange();
    EXPECT_EQ(view.itemToolTip(printer::ids::kPortList, 0), "COM1: no device");
}

// Reads what `fd` gives until `wanted` appears or `ms` pass.
std::string readUntil(int fd, const std::string& wanted, int ms, std::string text = {}) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (text.find(wanted) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

// hollinctl ports --watch: a port plugged in is shown once it has settled; one that appears and
// vanishes within a second is never shown; the watch ends after --for.
TEST_F(TestBed, PortsWatchShowsSettledChangesOnly) {
    plug("devices.umockdev", kLp0);  // present from the start: the first map is not empty
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(HOLLINCTL, HOLLINCTL, "ports", "--watch", "--for", "4", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text = readUntil(out[0], "USB /dev/usb/lp0\n", 3000);
    ASSERT_EQ(text, "USB /dev/usb/lp0\n");

    // A blink: a second adapter in and out within 0.3 s.
    const std::vector<std::pair<std::string, std::string>> second = {
        {"ttyUSB0", "ttyUSB1"}, {"1-2", "1-4"}, {"001/002", "001/004"}, {"MINOR=0", "MINOR=1"}};
    plug("serial.umockdev", kTtyUsb0, second);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    unplug("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/ttyUSB1/tty/ttyUSB1", "/dev/ttyUSB1");
    text = readUntil(out[0], "--\n", 2500, text);
    EXPECT_EQ(text, "USB /dev/usb/lp0\n--\nUSB /dev/usb/lp0\n");
    // Plugged in to stay.
    plug("serial.umockdev", kTtyUsb0);
    text = readUntil(out[0], "COM1 /dev/ttyUSB0\n", 2500, text);
    EXPECT_EQ(text, "USB /dev/usb/lp0\n--\nUSB /dev/usb/lp0\n--\nCOM1 /dev/ttyUSB0\nUSB /dev/usb/lp0\n");

    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_LT(took, std::chrono::milliseconds(6000));
    EXPECT_EQ(text.find("ttyUSB1"), std::string::npos);  // the blink was never offered
    ::close(out[0]);
}

}  // namespace
}  // namespace hollin

// Outside a test bed the program starts itself again under umockdev-run.
int main(int argc, char** argv) {
    if (!umockdev_in_mock_environment()) {
        std::vector<char*> args = {const_cast<char*>("umockdev-run"), const_cast<char*>("--")};
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        std::perror("umockdev-run");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
