#include "transport/printer_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/bytes.h"
#include "link/printer_link.h"
#include "link/usb_link.h"
#include "sim/virtual_printer.h"
#include "support/virtual_serial_port.h"
#include "transport/emulation.h"

namespace hollin::printer {
namespace {

constexpr char kDevice[] = "/dev/virtual-com1";

Bytes text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// The exchange over both links to one in-process printer on virtual time.
struct Exchange : ::testing::Test {
    VirtualClock clock;
    sim::VirtualPrinter printer{clock, kEscPos, "Alder"};
    test::VirtualSerialPort port{printer, clock, kDevice};
    test::VirtualUsbFinder finder{printer};
    PrinterLink serial{clock, test::VirtualSerialPort::factoryFor(port),
                       [](std::string_view) { return std::optional<std::string>(kDevice); }};
    UsbLink usb{finder, clock};
    PrinterExchange exchange{clock};
    int kind = kDpl;  // a value no test expects, to see whether it changes

    void openSerial() {
        ASSERT_EQ(serial.Open("COM1", 19200, 0, 1, 0, 0), 0);
        exchange.setLink(&serial);
    }
    void openUsb() {
        ASSERT_EQ(usb.Open("USB"), 0);
        exchange.setLink(&usb);
    }
    // The probe against a printer whose answer is `reply`.
    int probeWithReply(const Bytes& reply) {
        port.answerNextWriteWith(reply);
        return exchange.ProbePrinter(kind);
    }
};

TEST_F(Exchange, ProbeMapsTheLastReplyByteWithZeroAndOneCrossed) {
    openSerial();
    struct Case {
        Bytes reply;
        int result;
        int kind;
    };
    const Case cases[] = {
        {text("1"), kProbeOk, kEscPos},  {{0x00}, kProbeOk, kCpcl},  {{0x01}, kProbeOk, kEscPos},
        {text("0"), kProbeOk, kCpcl},    {{0x02}, kProbeOk, kMpcl},  {text("abc3"), kProbeOk, kZpl},
        {text("5"), kProbeOk, kDpl},     {text("6"), kProbeOk, 6},   {{0x07}, kProbeOk, 7},
        {text("4\n"), kProbeUnknown, 7}, {{0x08}, kProbeUnknown, 7}, {text("9"), kProbeUnknown, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.reply));
        EXPECT_EQ(probeWithReply(c.reply), c.result);
        EXPECT_EQ(kind, c.kind);  // an unknown code leaves the kind as the previous probe left it
    }
}

TEST_F(Exchange, AReplyIsTheFirstReadCutAt256Bytes) {
    openSerial();
    Bytes longReply(300, 'x');
    longReply[255] = '4';  // the last byte kept
    longReply[299] = '1';  // beyond the buffer
    EXPECT_EQ(probeWithReply(longReply), kProbeOk);
    EXPECT_EQ(kind, kEpl);
    EXPECT_EQ(exchange.reply().size(), 256u);
}

TEST_F(Exchange, ASilentPrinterGivesNoReplyAfterExactly200PausesOf10Ms) {
    openUsb();  // no wake-up on USB: every pause is the probe's own
    printer.setSilent(true);
    clock.resetCounts();
    const int readsBefore = finder.reads();
    EXPECT_EQ(exchange.ProbePrinter(kind), kProbeNoReply);
    EXPECT_EQ(clock.sleepCount(), 200u);
    EXPECT_EQ(clock.sleptMs(), 2000u);
    EXPECT_EQ(finder.reads() - readsBefore, 201);
    EXPECT_EQ(kind, kDpl);
}

TEST_F(Exchange, WithoutALinkNothingIsWrittenAndTheProbeFindsNoPrinter) {
    openSerial();
    exchange.setLink(nullptr);
    clock.resetCounts();
    EXPECT_FALSE(exchange.SendToPrinter(text("abc")));
    EXPECT_EQ(exchange.ProbePrinter(kind), kProbeNoReply);
    EXPECT_EQ(clock.sleepCount(), 200u);
    EXPECT_EQ(printer.bytesReceived(), 0u);
}

TEST_F(Exchange, PollReplyGivesUpAfterAboutThreeSeconds) {
    openSerial();
    for (std::uint32_t pause : {10u, 50u}) {
        clock.resetCounts();
        EXPECT_EQ(exchange.PollReply(pause), 0);
        EXPECT_EQ(clock.sleptMs(), PrinterExchange::kPollBoundMs);
    }
    // A late answer still counts while the bound lasts.
    printer.setReplyDelay(700);
    exchange.SendToPrinter(modelQueryCommand());
    EXPECT_EQ(exchange.PollReply(50), 5);
    EXPECT_EQ(std::string(exchange.reply().begin(), exchange.reply().end()), "Alder");
}

TEST_F(Exchange, ModelQueryFindsTheFirstModelNamedAndKeepsTheIndexWithoutAReply) {
    openUsb();
    int model = 4;
    printer.setModel("HC-Birch 203dpi");
    EXPECT_EQ(exchange.QueryModel(model), 0);
    EXPECT_EQ(model, 1);
    printer.setModel("Oak 300");
    EXPECT_EQ(exchange.QueryModel(model), 0);
    EXPECT_EQ(model, 0);
    model = 2;
    printer.setSilent(true);
    EXPECT_EQ(exchange.QueryModel(model), -1);
    EXPECT_EQ(model, 2);
}

TEST_F(Exchange, SendToPrinterTellsWhetherTheBytesWereSent) {
    EXPECT_FALSE(exchange.SendToPrinter(probeCommand()));  // serial link not open yet
    openSerial();
    EXPECT_TRUE(exchange.SendToPrinter(probeCommand()));
    port.setWritesTimeOut(true);
    EXPECT_FALSE(exchange.SendToPrinter(probeCommand()));
    openUsb();
    EXPECT_TRUE(exchange.SendToPrinter(text("! U1 do \"comm.comm_apply\"\r\n")));
    usb.Close();
    EXPECT_FALSE(exchange.SendToPrinter(probeCommand()));
}

}  // namespace
}  // namespace hollin::printer
