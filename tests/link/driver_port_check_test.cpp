#include <cups/ipp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/text_twin.h"
#include "link/driver_port_check.h"
#include "link/spooler_cups.h"

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

// A CUPS-Get-Printers reply built in memory, its printers separated as the IPP reader separates them.
class CupsReply {
  public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    explicit CupsReply(const std::vector<Attributes>& printers) {
        ippAddString(ipp_, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr, "utf-8");
        for (std::size_t i = 0; i < printers.size(); ++i) {
            if (i > 0)
                ippAddSeparator(ipp_);
            for (const auto& [name, value] : printers[i]) {
                const ipp_tag_t tag = name == "device-uri" ? IPP_TAG_URI : IPP_TAG_NAME;
                ippAddString(ipp_, IPP_TAG_PRINTER, tag, name.c_str(), nullptr, value.c_str());
            }
        }
    }
    ~CupsReply() { ippDelete(ipp_); }
    CupsReply(const CupsReply&) = delete;
    CupsReply& operator=(const CupsReply&) = delete;
    ipp_t* ipp() const { return ipp_; }

  private:
    ipp_t* ipp_ = ippNew();
};

TEST(CupsReplyParsing, EachPrinterGroupIsOneRecordAndOnlySerialUrisNameAComPort) {
    const auto portForDevice = [](std::string_view path) -> std::optional<std::string> {
        if (path == "/dev/ttyUSB0")
            return "COM2";
        return std::nullopt;
    };
    using Record = std::pair<std::string, std::string>;  // name, port
    struct Case {
        const char* what;
        std::vector<CupsReply::Attributes> printers;
        std::vector<Record> expected;
    };
    const Case cases[] = {
        {"two printers split by a group change",
         {{{"printer-name", "Label"}, {"device-uri", "serial:/dev/ttyUSB0?baud=9600"}},
          {{"device-uri", "socket://10.0.0.9"}, {"printer-name", "Office"}}},
         {{"Label", "COM2:"}, {"Office", "socket://10.0.0.9"}}},
        {"a printer without a device URI, then one without a name",
         {{{"printer-name", "Bare"}}, {{"device-uri", "serial:/dev/ttyUSB0"}}},
         {{"Bare", ""}}},
        {"no printers", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CupsReply reply(c.printers);
        std::vector<Record> got;
        for (const InstalledPrinter& p : printersFromCupsReply(reply.ipp(), portForDevice))
            got.emplace_back(p.name, p.port);
        EXPECT_EQ(got, c.expected);
    }
}

// A spooler that takes the connection and never answers must not hold Open Port.
TEST(CupsSpooler, AServerThatNeverAnswersIsGivenUpAtTheBoundSilently) {
    const std::string path = "/tmp/hollin-test-cups-" + std::to_string(::getpid()) + ".sock";
    ::unlink(path.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);  // connections are taken by the kernel, never served

    const auto spooler = makeCupsSpooler(path, 300);
    const auto start = std::chrono::steady_clock::now();
    DriverPortBuffers buffers;
    const DriverPortCheck check = checkDriverPort(*spooler, "COM1", buffers);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(check.conflict, 0);
    EXPECT_FALSE(check.enumPrintersFailed);
    EXPECT_GE(took, std::chrono::milliseconds(300));
    EXPECT_LT(took, std::chrono::milliseconds(1500));
    ::close(listener);
    ::unlink(path.c_str());
}

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
