// The lent port's write and read, on the virtual clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/fake_serial_port.h"
#include "link/usb_link.h"
#include "printer/bluetooth_codec.h"
#include "sim/virtual_printer.h"
#include "support/virtual_serial_port.h"
#include "transport/printer_session.h"

namespace hollin::printer {
namespace {

// --- BorrowedLink

struct BorrowedSerial : ::testing::Test {
    VirtualClock clock;
    test::FakePortState state{clock};
    PrinterLink serial{clock, [this] { return std::make_unique<test::FakeSerialPort>(state); },
                       [](std::string_view) { return std::optional<std::string>("/dev/fake1"); }};
    BorrowedLink link{.link = &serial, .clock = &clock};

    // The lent port is open; what the opening did is not what these tests look at.
    void SetUp() override {
        ASSERT_EQ(serial.Open("COM1", 19200, 0, 1, 0, 0), 0);
        state.events.clear();
        state.sent.clear();
        clock.set(0);
    }

    std::vector<std::size_t> pieceSizes() const {
        std::vector<std::size_t> sizes;
        for (const auto& s : state.sent)
            sizes.push_back(s.bytes.size());
        return sizes;
    }
};

TEST_F(BorrowedSerial, WritesPiecesOfAtMost64BytesWithoutWakeUpAndPurgesAtTheEnd) {
    EXPECT_EQ(link.write(Bytes(10, 'a')), 10);
    EXPECT_EQ(pieceSizes(), (std::vector<std::size_t>{10}));
    EXPECT_EQ(state.events, (std::vector<std::string>{"write", "purge"}));
    state.sent.clear();
    EXPECT_EQ(link.write(Bytes(200, 'b')), 200);
    EXPECT_EQ(pieceSizes(), (std::vector<std::size_t>{64, 64, 64, 8}));
    EXPECT_EQ(state.allSent(), Bytes(200, 'b'));
}

TEST_F(BorrowedSerial, APieceRefusedOverAndOverGivesUpAfterItsSecondAndPurges) {
    state.otherWrites = WriteStatus::FailedAtOnce;
    EXPECT_EQ(link.write(Bytes(100, 'c')), 0);
    EXPECT_GE(clock.tickMs(), BorrowedLink::kSerialPieceBoundMs);
    EXPECT_LT(clock.tickMs(), BorrowedLink::kSerialPieceBoundMs + 20);
    EXPECT_EQ(state.events.back(), "purge");
    // A refused piece is tried again within its bound, and goes out when the port takes it.
    state.events.clear();
    state.otherWrites = WriteStatus::Completed;
    state.script = {WriteStatus::FailedAtOnce, WriteStatus::FailedAtOnce};
    EXPECT_EQ(link.write(Bytes(70, 'd')), 70);
    EXPECT_EQ(pieceSizes(), (std::vector<std::size_t>{64, 6}));
    // A piece still unfinished when its second runs out ends the write.
    state.script = {WriteStatus::Completed, WriteStatus::TimedOut};
    EXPECT_EQ(link.write(Bytes(100, 'e')), 0);
    EXPECT_EQ(state.events.back(), "purge");
}

TEST_F(BorrowedSerial, ReadReturnsAtOnceWhenNothingIsQueuedElseOneReadOfTheWholeBuffer) {
    std::uint8_t buffer[256];
    EXPECT_EQ(link.read(buffer), 0);
    EXPECT_EQ(state.reads, 0);
    EXPECT_EQ(clock.tickMs(), 0u);
    state.arrive({'o', 'k'});
    EXPECT_EQ(link.read(buffer), 2);
    EXPECT_EQ(state.reads, 1);
}

TEST(BorrowedUsb, WriteIsOneWhenDeliveredAndZeroOnceThePrinterStaysAwayPastTheBound) {
    VirtualClock clock;
    sim::VirtualPrinter printer{clock, kCpcl, "Alder"};
    test::VirtualUsbFinder finder{printer};
    UsbLink usb{finder, clock};
    ASSERT_EQ(usb.Open("USB"), 0);
    const BorrowedLink link{.link = &usb, .clock = &clock};
    EXPECT_EQ(link.write(btReadAddressCommand()), 1);
    EXPECT_EQ(printer.log(), (std::vector<std::string>{"bluetooth address read"}));
    printer.vanish();
    EXPECT_EQ(link.write(Bytes(2000, 'x')), 0);
    EXPECT_GE(clock.tickMs(), UsbLink::kWriteGiveUpMs);
    usb.Close();
}

}  // namespace
}  // namespace hollin::printer
