#include <gtest/gtest.h>

#include "link/printer_link.h"
#include "link/pty.h"
#include "link/usb_link.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"
#include "support/virtual_serial_port.h"

namespace hollin {
namespace {

// The link on the virtual printer's pseudo-terminal, as the main window uses it to probe a printer.
TEST(PrinterLinkOnVirtualPrinter, ProbeAndModelQueryAreAnswered) {
    RealClock printerClock;
    sim::VirtualPrinter printer(printerClock, 3, "Hazel");
    // A printer takes a moment to answer; the purge that ends each write must not eat the reply.
    printer.setReplyDelay(30);
    sim::PtyPrinterServer server(printer);
    ASSERT_TRUE(server.start()) << server.error();

    VirtualClock linkClock(100000);  // the wake-up pause passes on virtual time
    PrinterLink link(
        linkClock, [] { return makeSystemSerialPort(systemClock()); },
        [&server](std::string_view name) -> std::optional<std::string> {
            if (name == "COM1")
                return server.slavePath();
            return std::nullopt;
        });
    ASSERT_EQ(link.Open("COM1", 9600, 0, 1, 0, 0), 0);

    const auto ask = [&link](std::vector<std::uint8_t> command, std::size_t replyBytes) {
        std::vector<std::uint8_t> reply;
        if (link.Write(command) != static_cast<int>(command.size()))
            return reply;
        std::uint8_t buffer[256];
        while (reply.size() < replyBytes && test::inputArrives(static_cast<int>(link.nativeHandle()))) {
            const int n = link.Read(buffer);
            reply.insert(reply.end(), buffer, buffer + n);
        }
        return reply;
    };
    const std::vector<std::uint8_t> probeReply = ask({0x1C, 0x45, 0x43}, 1);
    ASSERT_FALSE(probeReply.empty());
    EXPECT_EQ(probeReply.back(), sim::probeReplyByte(3));
    const std::vector<std::uint8_t> model = ask({0x1B, 0x76}, 5);
    EXPECT_NE(std::string(model.begin(), model.end()).find("Hazel"), std::string::npos);

    EXPECT_EQ(printer.wakeUpBytes(), 2u);
    EXPECT_EQ(printer.log(), (std::vector<std::string>{"emulation probe", "model query"}));
    link.Close();
    server.stop();
}

// An answer that comes in pieces, each within the interval time-out of the last, is read whole by
// one Read, however soon after its first byte the Read begins.
TEST(PrinterLinkOnVirtualPrinter, AnAnswerInPiecesIsReadWhole) {
    RealClock printerClock;
    sim::VirtualPrinter printer(printerClock, 3, "Hazel");
    printer.setReplyPieces(1, 5);  // one byte every 5 ms
    sim::PtyPrinterServer server(printer);
    ASSERT_TRUE(server.start()) << server.error();
    VirtualClock linkClock(100000);
    PrinterLink link(
        linkClock, [] { return makeSystemSerialPort(systemClock()); },
        [&server](std::string_view) { return server.slavePath(); });
    ASSERT_EQ(link.Open("COM1", 9600, 0, 1, 0, 0), 0);
    const std::vector<std::uint8_t> modelQuery = {0x1B, 0x76};
    ASSERT_EQ(link.Write(modelQuery), 2);
    ASSERT_TRUE(link.waitReadable(2000));
    std::uint8_t buffer[256];
    const int n = link.Read(buffer);
    EXPECT_EQ(std::string(buffer, buffer + std::max(n, 0)), "Hazel");
    link.Close();
    server.stop();
}

// Both links wait for an answer on virtual time: until the answer is due, or the whole wait when it
// is not due within it.
TEST(WaitReadableOnVirtualTime, EndsWhenTheAnswerIsDueOrTakesTheWholeWait) {
    const std::vector<std::uint8_t> probe = {0x1C, 0x45, 0x43};
    for (const bool onUsb : {false, true}) {
        SCOPED_TRACE(onUsb ? "USB" : "serial");
        VirtualClock clock;
        sim::VirtualPrinter printer(clock, 1, "Alder");
        test::VirtualSerialPort port(printer, clock, "/dev/virtual-com1");
        test::VirtualUsbFinder finder(printer, &clock);
        PrinterLink serial(clock, test::VirtualSerialPort::factoryFor(port),
                           [](std::string_view) { return std::optional<std::string>("/dev/virtual-com1"); });
        UsbLink usb(finder, clock);
        ASSERT_EQ(onUsb ? usb.Open("USB") : serial.Open("COM1", 19200, 0, 1, 0, 0), 0);
        const auto ask = [&](std::uint32_t replyDelayMs) {
            printer.setReplyDelay(replyDelayMs);
            onUsb ? usb.Write(probe) : serial.Write(probe);
            clock.resetCounts();
        };
        const auto wait = [&](std::uint32_t ms) {
            return onUsb ? usb.waitReadable(ms) : serial.waitReadable(ms);
        };

        ask(30);
        EXPECT_TRUE(wait(100));
        EXPECT_TRUE(wait(100));  // the answer still waits: no time passes
        EXPECT_EQ(clock.sleptMs(), 30u);
        std::uint8_t reply[8];
        ASSERT_EQ(onUsb ? usb.Read(reply) : serial.Read(reply), 1);
        EXPECT_EQ(reply[0], sim::probeReplyByte(1));

        ask(150);
        EXPECT_FALSE(wait(100));
        EXPECT_TRUE(wait(100));
        EXPECT_EQ(clock.sleptMs(), 150u);
        EXPECT_EQ(clock.sleepCount(), 2u);
    }
}

}  // namespace
}  // namespace hollin
