#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/text_twin.h"
#include "link/driver_port_check.h"

namespace hollin {
namespace {

class FakeSpooler final : public Spooler {
  public:
    explicit FakeSpooler(SpoolerListing listing) : listing_(std::move(listing)) {}
    SpoolerListing localPrinters() override {
        ++queries;
        return listing_;
    }
    int queries = 0;

  private:
    SpoolerListing listing_;
};

SpoolerListing listed(std::vector<InstalledPrinter> printers) {
    return {SpoolerListing::Status::Listed, std::move(printers)};
}

// Buffers left dirty by an earlier check, so that clearing shows.
DriverPortBuffers dirtyBuffers() {
    DriverPortBuffers b;
    b.printerName.fill('x');
    b.portName.fill('y');
    return b;
}

TEST(DriverPortCheck, PrinterOnComThreeBlocksItWithTheFullMessage) {
    FakeSpooler spooler(listed({{"Office Laser", "LPT1:"}, {"Label 4in", "COM3:"}, {"Other", "COM3:"}}));
    DriverPortBuffers buffers = dirtyBuffers();
    const DriverPortCheck check = checkDriverPort(spooler, "COM3", buffers);
    EXPECT_EQ(check.conflict, 1);
    EXPECT_FALSE(check.enumPrintersFailed);
    EXPECT_EQ(buffers.printer(), "Label 4in");
    EXPECT_EQ(buffers.port(), "COM3:");

    const MessageText english = driverConflictMessage(buffers, kLanguageEnglish);
    EXPECT_EQ(english.caption, "ERROR");
    EXPECT_EQ(
        english.text,
        "The port(COM3:) is already occupied in windows printer driver(Label 4in).\n\nSo, please change "
        "your printer driver port from COM3: to other port\n\nand execute again.");
    const MessageText korean = driverConflictMessage(buffers, kLanguageKorean);
    EXPECT_EQ(korean.caption, "에러");
    EXPECT_EQ(korean.text,
              "포트(COM3:)가 프린터 드라이버(Label 4in)에서 사용 중입니다.\n\n프린터 드라이버의 포트를 다른 "
              "포트로 변경 후\n\n유틸리티를 다시 실행해 주세요.");

    buffers = dirtyBuffers();
    EXPECT_EQ(checkDriverPort(spooler, "COM4", buffers).conflict, 0);
    EXPECT_EQ(buffers.printer(), "");
    EXPECT_EQ(buffers.port(), "");
}

TEST(DriverPortCheck, PortListAndNearMissesBlockNothing) {
    FakeSpooler spooler(listed({{"Two ports", "COM3:,COM4:"}, {"No colon", "COM5"}, {"Lower", "com6:"}}));
    DriverPortBuffers buffers;
    for (const char* port : {"COM3", "COM4", "COM5", "COM6"})
        EXPECT_EQ(checkDriverPort(spooler, port, buffers).conflict, 0) << port;
}

TEST(DriverPortCheck, UsbChecksUsbWithAColon) {
    FakeSpooler spooler(listed({{"Usb printer", "USB001"}, {"Receipt", "USB:"}}));
    DriverPortBuffers buffers;
    EXPECT_EQ(driverPortKey("USB"), "USB:");
    EXPECT_EQ(checkDriverPort(spooler, "USB", buffers).conflict, 1);
    EXPECT_EQ(buffers.printer(), "Receipt");
}

TEST(DriverPortCheck, NoPrintersListedAsksForTheEnumerationMessageThenNoConflict) {
    FakeSpooler empty(listed({}));
    DriverPortBuffers buffers;
    const DriverPortCheck check = checkDriverPort(empty, "COM1", buffers);
    EXPECT_TRUE(check.enumPrintersFailed);
    EXPECT_EQ(check.conflict, 0);
    const MessageText message = enumPrintersFailedMessage();
    EXPECT_EQ(message.text, "EnumPrinters() failed");
    EXPECT_EQ(message.caption, "EnumPrinters() Error");

    FakeSpooler unreachable(SpoolerListing{SpoolerListing::Status::Unavailable, {}});
    const DriverPortCheck silent = checkDriverPort(unreachable, "COM1", buffers);
    EXPECT_FALSE(silent.enumPrintersFailed);
    EXPECT_EQ(silent.conflict, 0);
}

TEST(DriverPortCheck, LongNamesAreCutToTheBuffersAndTheMessageKeepsThemWhole) {
    const std::string longName(300, 'N');
    FakeSpooler spooler(listed({{longName, "COM2:"}}));
    DriverPortBuffers buffers;
    ASSERT_EQ(checkDriverPort(spooler, "COM2", buffers).conflict, 1);
    EXPECT_EQ(buffers.printer(), std::string(255, 'N'));
    const std::string text = driverConflictMessage(buffers, kLanguageEnglish).text;
    EXPECT_NE(text.find("driver(" + std::string(255, 'N') + ")."), std::string::npos);
    EXPECT_TRUE(text.ends_with("and execute again."));

    FakeSpooler percent(listed({{"50%s off", "COM2:"}}));  // a name is filled in, never read as a pattern
    ASSERT_EQ(checkDriverPort(percent, "COM2", buffers).conflict, 1);
    EXPECT_NE(driverConflictMessage(buffers, kLanguageEnglish)
                  .text.find("driver(50%s off).\n\nSo, please change "
                             "your printer driver port from COM2: to"),
              std::string::npos);
}

TEST(SpoolerPortName, SerialUrisNameTheirComPortOthersNeverMatchAKey) {
    const auto portForDevice = [](std::string_view path) -> std::optional<std::string> {
        if (path == "/dev/ttyUSB0")
            return "COM2";
        return std::nullopt;
    };
    EXPECT_EQ(spoolerPortName("serial:/dev/ttyUSB0?baud=9600+bits=8", portForDevice), "COM2:");
    EXPECT_EQ(spoolerPortName("serial:/dev/ttyUSB0", portForDevice), "COM2:");
    EXPECT_EQ(spoolerPortName("serial://dev/ttyUSB0", portForDevice), "COM2:");
    EXPECT_EQ(spoolerPortName("serial:/dev/ttyS9?baud=115200", portForDevice),
              "serial:/dev/ttyS9?baud=115200");
    EXPECT_EQ(spoolerPortName("usb://Maker/Model?serial=12", portForDevice), "usb://Maker/Model?serial=12");
    EXPECT_EQ(spoolerPortName("", portForDevice), "");
}

}  // namespace
}  // namespace hollin

namespace hollin {
namespace {

// With no spooler to reach, the CUPS adapter lets every port open without a word.
TEST(CupsSpooler, UnreachableServerMeansNoConflictSilently) {
    ::setenv("CUPS_SERVER", "/nonexistent/hollin-test/cups.sock", 1);
    const auto spooler = makeSystemSpooler();
    EXPECT_EQ(spooler->localPrinters().status, SpoolerListing::Status::Unavailable);
    DriverPortBuffers buffers;
    const DriverPortCheck check = checkDriverPort(*spooler, "COM1", buffers);
    EXPECT_EQ(check.conflict, 0);
    EXPECT_FALSE(check.enumPrintersFailed);
    ::unsetenv("CUPS_SERVER");
}

}  // namespace
}  // namespace hollin
