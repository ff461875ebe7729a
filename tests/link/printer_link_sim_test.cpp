#include <gtest/gtest.h>

#include "link/printer_link.h"
#include "link/pty.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"

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
    PrinterLink link(linkClock, {}, [&server](std::string_view name) -> std::optional<std::string> {
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

}  // namespace
}  // namespace hollin
