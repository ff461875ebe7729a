// The one opener and the links' shared views, on the in-process virtual printer.
#include "link/open_link.h"

#include <gtest/gtest.h>

#include "sim/virtual_printer.h"
#include "support/virtual_serial_port.h"

namespace hollin {
namespace {

constexpr char kDevice[] = "/dev/virtual-com1";

struct OpenLinkTest : ::testing::Test {
    VirtualClock clock;
    sim::VirtualPrinter printer{clock, 0, "Alder"};
    test::VirtualSerialPort port{printer, clock, kDevice};
    test::VirtualUsbFinder finder{printer};
    PrinterLink serial{clock, test::VirtualSerialPort::factoryFor(port),
                       [](std::string_view name) -> std::optional<std::string> {
                           if (name == "COM1")
                               return kDevice;
                           return std::nullopt;
                       }};
    UsbLink usb{finder, clock};
};

TEST_F(OpenLinkTest, OpensTheLinkOfTheKindAndLeavesNothingOpenWhenItFails) {
    struct Case {
        PortKind kind;
        const char* port;
        bool usbPresent;
        bool opens;
    };
    const Case cases[] = {
        {PortKind::Serial, "COM1", true, true},
        {PortKind::Serial, "COM9", true, false},  // no device behind the name
        {PortKind::Usb, "USB", true, true},
        {PortKind::Usb, "USB", false, false},  // no printer found
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port + std::string(c.usbPresent ? "" : " (absent)"));
        finder.setPresent(c.usbPresent);
        Link& link = openLink(serial, usb, c.kind, c.port, LineCodes{});
        EXPECT_EQ(&link, c.kind == PortKind::Usb ? static_cast<Link*>(&usb) : &serial);
        EXPECT_EQ(link.isOpen(), c.opens);
        EXPECT_EQ(link.openFailure().reason == OpenFailureReason::None, c.opens);
        EXPECT_FALSE((c.kind == PortKind::Usb ? static_cast<Link&>(serial) : usb).isOpen());
        link.close();
    }
}

TEST_F(OpenLinkTest, ASharedLinkWritesToThePrinterAndItsCloseLeavesTheLinkOpen) {
    for (PortKind kind : {PortKind::Serial, PortKind::Usb}) {
        Link& link = openLink(serial, usb, kind, kind == PortKind::Usb ? "USB" : "COM1", LineCodes{});
        ASSERT_TRUE(link.isOpen());
        const std::size_t before = printer.bytesReceived();
        std::unique_ptr<Link> shared = link.shareOpen();
        const std::uint8_t bytes[] = {'a', 'b', 'c'};
        shared->Write(bytes);
        EXPECT_TRUE(shared->lastWriteDelivered());
        EXPECT_GE(printer.bytesReceived(), before + 3);
        EXPECT_EQ(shared->replyPieceBytes(), link.replyPieceBytes());
        EXPECT_EQ(shared->hasLineRate(), link.hasLineRate());
        shared->close();
        EXPECT_TRUE(link.isOpen());
        link.close();
    }
    EXPECT_EQ(serial.replyPieceBytes(), 256u);
    EXPECT_EQ(usb.replyPieceBytes(), 64u);
    EXPECT_TRUE(serial.hasLineRate());
    EXPECT_FALSE(usb.hasLineRate());
}

}  // namespace
}  // namespace hollin
