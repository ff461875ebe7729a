#include "link/usb_link.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "link/usb_device.h"
#include "sim/fake_usb_tree.h"
#include "sim/virtual_printer.h"

namespace hollin {
namespace {

using sim::VirtualPrinter;

const Bytes kProbe = {0x1C, 0x45, 0x43};

Bytes pattern(std::size_t n) {
    Bytes data(n);
    for (std::size_t i = 0; i < n; ++i)
        data[i] = static_cast<std::uint8_t>('A' + i % 26);
    return data;
}

// A USB device whose far end is an in-process virtual printer. Like a real handle it stays dead
// once the printer has gone, even after the printer is back.
// What the devices were handed: the size of every write, and at most how many bytes one write takes.
struct DeviceWrites {
    std::vector<std::size_t> sizes;
    std::size_t takesAtMost = SIZE_MAX;
};

class PrinterDevice final : public UsbPrinterDevice {
  public:
    PrinterDevice(VirtualPrinter& printer, DeviceWrites& writes) : printer_(printer), writes_(writes) {}
    long write(std::span<const std::uint8_t> data) override {
        writes_.sizes.push_back(data.size());
        data = data.first(std::min(data.size(), writes_.takesAtMost));
        const std::size_t n = dead_ ? 0 : printer_.receive(data);
        if (n == 0)
            dead_ = true;
        return dead_ ? -1 : static_cast<long>(n);
    }
    long readAvailable(std::span<std::uint8_t> buffer) override {
        if (dead_ || !printer_.present())
            return -1;
        const Bytes out = printer_.takeOutput(buffer.size());
        std::copy(out.begin(), out.end(), buffer.begin());
        return static_cast<long>(out.size());
    }

  private:
    VirtualPrinter& printer_;
    DeviceWrites& writes_;
    bool dead_ = false;
};

class PrinterFinder final : public UsbPrinterFinder {
  public:
    explicit PrinterFinder(VirtualPrinter& printer) : printer_(printer) {}
    std::unique_ptr<UsbPrinterDevice> openPrinter() override {
        ++searches;
        if (!printer_.present())
            return nullptr;
        return std::make_unique<PrinterDevice>(printer_, writes);
    }
    std::atomic<int> searches{0};
    DeviceWrites writes;

  private:
    VirtualPrinter& printer_;
};

class UsbLinkTest : public ::testing::Test {
  protected:
    VirtualClock clock_;
    VirtualPrinter printer_{clock_, 1, "Cedar"};
    PrinterFinder finder_{printer_};
    UsbLink link_{finder_, clock_};
};

TEST_F(UsbLinkTest, ExchangesBytesAndReadReturnsZeroWhenNothingWaits) {
    ASSERT_EQ(link_.Open("USB"), 0);
    std::uint8_t buf[256];
    EXPECT_EQ(link_.Read(buf), 0);
    EXPECT_EQ(link_.Write(kProbe), 1);
    EXPECT_TRUE(link_.lastWriteDelivered());
    ASSERT_EQ(link_.Read(buf), 1);
    EXPECT_EQ(buf[0], 0x00);  // CPCL
    EXPECT_EQ(link_.Read(buf), 0);
    EXPECT_EQ(clock_.sleepCount(), 0u);  // USB neither wakes the printer up nor paces
    EXPECT_EQ(printer_.wakeUpBytes(), 0u);
}

TEST_F(UsbLinkTest, WritesReachTheDeviceInPiecesOfAtMost1024Bytes) {
    struct Case {
        std::size_t takesAtMost;  // per device write
        std::vector<std::size_t> pieces;
    };
    // A piece the device takes only partly is finished before the next one begins.
    const Case cases[] = {{SIZE_MAX, {1024, 1024, 452}}, {700, {1024, 324, 1024, 324, 452}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.takesAtMost);
        printer_.clearLog();
        finder_.writes = {{}, c.takesAtMost};
        ASSERT_EQ(link_.Open("USB"), 0);
        const std::size_t before = printer_.bytesReceived();
        EXPECT_EQ(link_.Write(pattern(2500)), 1);
        EXPECT_EQ(finder_.writes.sizes, c.pieces);
        EXPECT_EQ(printer_.bytesReceived() - before, 2500u);
        EXPECT_EQ(link_.Close(), 0);
    }
}

TEST_F(UsbLinkTest, AReconnectThreadThatCannotStartClosesTheLinkAndTheWriteReturnsZero) {
    int starts = 0;
    UsbLink link(finder_, clock_, [&starts](std::function<void()>) -> std::thread {
        ++starts;
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    ASSERT_EQ(link.Open("USB"), 0);
    printer_.vanish();
    EXPECT_EQ(link.Write(kProbe), 0);
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(link.lastWriteDelivered());
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.reconnecting());
    printer_.comeBack();
    EXPECT_EQ(link.Write(kProbe), 0);  // closed: nothing more reaches the printer
    EXPECT_EQ(printer_.bytesReceived(), 0u);
    EXPECT_EQ(link.Close(), 3);
}

TEST_F(UsbLinkTest, ClosedLinkRefusesEverythingAndCloseSaysSo) {
    printer_.vanish();
    EXPECT_EQ(link_.Open("USB"), 1);
    EXPECT_FALSE(link_.isOpen());
    std::uint8_t buf[8];
    EXPECT_EQ(link_.Write(kProbe), 0);
    EXPECT_EQ(link_.Read(buf), 0);
    EXPECT_EQ(link_.Close(), 3);
    printer_.comeBack();
    ASSERT_EQ(link_.Open("USB"), 0);
    EXPECT_EQ(link_.Close(), 0);
    EXPECT_EQ(link_.Close(), 3);
    EXPECT_EQ(link_.Write(kProbe), 0);
    EXPECT_EQ(printer_.bytesReceived(), 0u);
}

TEST_F(UsbLinkTest, PrinterVanishingMidWriteIsWaitedForAndTheWriteFinishes) {
    ASSERT_EQ(link_.Open("USB"), 0);
    // Switched off 4000 bytes into the fourth chunk, back 1200 ms later.
    printer_.vanishAfter(4000, 1200);
    const Bytes data = pattern(10 * 1024);
    EXPECT_EQ(link_.Write(data), 0);
    EXPECT_TRUE(link_.lastWriteDelivered());
    // Nothing lost, nothing twice: the failed chunk went again from where the printer stopped.
    EXPECT_EQ(printer_.bytesReceived(), data.size());
    // Attempts at 500, 1000 (printer still away) and 1500 ms (back).
    EXPECT_EQ(clock_.sleepCount(), 3u);
    EXPECT_EQ(clock_.sleptMs(), 3u * UsbLink::kReconnectIntervalMs);
    EXPECT_EQ(finder_.searches, 1 + 3);
    EXPECT_FALSE(link_.reconnecting());
    // The link carries on as before.
    EXPECT_EQ(link_.Write(kProbe), 1);
    std::uint8_t buf[16];
    EXPECT_EQ(link_.Read(buf), 1);
    EXPECT_EQ(link_.Close(), 0);
}

TEST_F(UsbLinkTest, WriteGivesUpAfterThirtySecondsAndCloseEndsTheSearch) {
    ASSERT_EQ(link_.Open("USB"), 0);
    printer_.vanish();  // for good
    EXPECT_EQ(link_.Write(pattern(100)), 0);
    EXPECT_FALSE(link_.lastWriteDelivered());
    EXPECT_GE(clock_.tickMs(), UsbLink::kWriteGiveUpMs);
    EXPECT_TRUE(link_.reconnecting());
    // While the printer is away the link neither writes nor reads, and does not wait again.
    EXPECT_EQ(link_.Write(kProbe), 0);
    std::uint8_t buf[8];
    EXPECT_EQ(link_.Read(buf), 0);
    EXPECT_EQ(link_.Close(), 0);
    EXPECT_FALSE(link_.reconnecting());
    // The thread has ended: nobody sleeps on the clock any more.
    const std::uint64_t sleeps = clock_.sleepCount();
    EXPECT_EQ(clock_.sleptMs(), sleeps * UsbLink::kReconnectIntervalMs);
    printer_.comeBack();
    EXPECT_EQ(clock_.sleepCount(), sleeps);
    EXPECT_EQ(link_.Close(), 3);
}

// --- the Linux adapter on a fake sysfs and /dev tree whose nodes are served pseudo-terminals

// Polls the link until a reply arrives; the printer answers from its server thread.
Bytes awaitReply(UsbLink& link) {
    RealClock real;
    std::uint8_t buf[256];
    for (int i = 0; i < 1000; ++i) {
        const int n = link.Read(buf);
        if (n > 0)
            return Bytes(buf, buf + n);
        real.sleepMs(1);
    }
    return {};
}

class UsbAdapterTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(tree_.ok()); }
    RealClock printerClock_;
    VirtualPrinter zpl_{printerClock_, 3};
    VirtualPrinter epl_{printerClock_, 4};
    sim::FakeUsbTree tree_;
};

TEST_F(UsbAdapterTest, OfTwoAcceptedPrintersTheFirstInEnumerationOrderIsUsed) {
    ASSERT_TRUE(tree_.addPrinter(12, 0x0525, 0xa702, epl_));
    ASSERT_TRUE(tree_.addPrinter(3, 0x12ee, 0x9485, zpl_));
    EXPECT_EQ(findUsbPrinterNodes(tree_.sysRoot(), tree_.devRoot()),
              (std::vector<std::string>{tree_.nodePath(3), tree_.nodePath(12)}));
    auto finder = makeLinuxUsbPrinterFinder(tree_.sysRoot(), tree_.devRoot());
    UsbLink link(*finder);
    ASSERT_EQ(link.Open("USB"), 0);
    EXPECT_EQ(link.Write(kProbe), 1);
    EXPECT_EQ(awaitReply(link), Bytes{0x03});
    EXPECT_TRUE(epl_.log().empty());
    EXPECT_EQ(link.Close(), 0);
}

TEST_F(UsbAdapterTest, OnlyTheTwoPrintersIdsAreAccepted) {
    EXPECT_TRUE(isAcceptedUsbPrinter(0x12ee, 0x9485));
    EXPECT_TRUE(isAcceptedUsbPrinter(0x0525, 0xa702));
    EXPECT_FALSE(isAcceptedUsbPrinter(0x12ee, 0xa702));
    EXPECT_EQ(parseUsbId("12EE\n"), 0x12ee);
    EXPECT_FALSE(parseUsbId("12e\n").has_value());
    EXPECT_FALSE(parseUsbId("12eeX").has_value());
    EXPECT_EQ(printerDeviceNumber("lp10"), 10);
    EXPECT_FALSE(printerDeviceNumber("lpx").has_value());
    EXPECT_FALSE(printerDeviceNumber("hiddev0").has_value());

    ASSERT_TRUE(tree_.addPrinter(0, 0x12ee, 0x9486, zpl_));  // another product of the same maker
    ASSERT_TRUE(tree_.addPrinter(1, 0x0526, 0xa702, epl_));  // another maker
    EXPECT_TRUE(findUsbPrinterNodes(tree_.sysRoot(), tree_.devRoot()).empty());
    auto finder = makeLinuxUsbPrinterFinder(tree_.sysRoot(), tree_.devRoot());
    UsbLink link(*finder);
    EXPECT_EQ(link.Open("USB"), 1);
    EXPECT_EQ(link.openFailure().reason, OpenFailureReason::Missing);
    EXPECT_EQ(link.openFailure().device, "");
    EXPECT_TRUE(findUsbPrinterNodes("/nonexistent", "/dev").empty());
}

TEST_F(UsbAdapterTest, HollinUsbNamesTheDeviceNodeDirectly) {
    ASSERT_TRUE(tree_.addPrinter(0, 0x1234, 0x5678, epl_));  // ids not looked at
    ASSERT_EQ(setenv("HOLLIN_USB", tree_.nodePath(0).c_str(), 1), 0);
    auto finder = makeUsbPrinterFinder();
    unsetenv("HOLLIN_USB");
    UsbLink link(*finder);
    ASSERT_EQ(link.Open("USB"), 0);
    EXPECT_EQ(link.Write(kProbe), 1);
    EXPECT_EQ(awaitReply(link), Bytes{0x04});
}

TEST_F(UsbAdapterTest, UnpluggedPrinterIsFoundAgainWhenPluggedBackIn) {
    ASSERT_TRUE(tree_.addPrinter(0, 0x12ee, 0x9485, zpl_));
    VirtualClock clock;
    // The printer is plugged back in once the link's clock reaches one second.
    std::atomic<bool> pluggedBack{false};
    clock.onAdvance([&](std::uint32_t now) {
        if (now >= 1000 && !pluggedBack.exchange(true))
            tree_.plugIn(0);
    });
    auto finder = makeLinuxUsbPrinterFinder(tree_.sysRoot(), tree_.devRoot());
    UsbLink link(*finder, clock);
    ASSERT_EQ(link.Open("USB"), 0);
    tree_.unplug(0);
    const Bytes data = pattern(3000);
    EXPECT_EQ(link.Write(data), 0);
    EXPECT_TRUE(link.lastWriteDelivered());
    EXPECT_EQ(clock.sleepCount(), 2u);  // not there at 500 ms, back at 1000 ms
    EXPECT_EQ(link.Write(kProbe), 1);
    EXPECT_EQ(awaitReply(link), Bytes{0x03});
    EXPECT_EQ(zpl_.bytesReceived(), data.size() + kProbe.size());
    EXPECT_EQ(link.Close(), 0);
    clock.onAdvance(nullptr);
}

}  // namespace
}  // namespace hollin
