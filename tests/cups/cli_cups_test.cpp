// hollinctl cups add / cups list: printers on the in-memory network, queues on the fixture's cupsd.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_request.h"
#include "cli/cli_runner.h"
#include "fonts/font_files.h"
#include "link/print_queues.h"
#include "platform/memory_network.h"
#include "printer/printer_commands.h"
#include "sim/network_printer.h"
#include "sim/virtual_printer.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"

namespace hollin::cli {
namespace {

class NoFonts final : public fonts::FontFiles {
  public:
    std::optional<Read> read(const std::string&, std::uint64_t) override { return std::nullopt; }
    Written replace(const std::string&, std::span<const std::uint8_t>) override { return Written::Failed; }
    std::vector<std::string> trueTypeFiles(const std::string&) override { return {}; }
};

using hollin::test::NoSpooler;

// One binary-protocol printer (MAC 00:30:F9:00:00:01 on 127.0.1.1) and one text-frame printer
// (00:30:F9:00:00:05 on 127.0.2.1), both printing on TCP port 9100.
struct CupsBench : ::testing::Test {
    static constexpr Ipv4 kAll = 0xFFFFFFFFu;
    VirtualClock clock{100000};
    sim::VirtualPrinter printer{clock, hollin::kEscPos, "Alder"};
    test::VirtualSerialPort port{printer, clock, "/dev/hollin-test-com1"};
    test::VirtualUsbFinder usb{printer};
    PortMap ports{{}, [](const std::string&) -> std::optional<std::string> { return std::nullopt; }};
    NoSpooler spooler;
    NoFonts fonts;
    MemoryNetwork network{clock};
    sim::BinaryNetworkPrinter binary{network, clock, ipv4(127, 0, 1, 1), kAll,
                                     sim::makeBinaryPrinter(1, ipv4(127, 0, 1, 1))};
    sim::TextNetworkPrinter text{network, ipv4(127, 0, 2, 1), kAll,
                                 sim::makeTextRecord(5, ipv4(127, 0, 2, 1))};
    std::unique_ptr<PrintQueues> queues = makeCupsPrintQueues(std::getenv("CUPS_SERVER"), 5000);
    PrintQueues* serverQueues = queues.get();
    Output output;

    void SetUp() override {
        ASSERT_NE(std::getenv("CUPS_SERVER"), nullptr) << "run under the ctest fixture cupsd";
        ASSERT_EQ(binary.start(), 0);
        ASSERT_EQ(text.start(), 0);
        network.addService(binary);
        network.addService(text);
    }
    void TearDown() override {
        network.removeService(binary);
        network.removeService(text);
        for (const char* name : {"Hollin-0030F9000001", "Hollin-0030F9000005", "Dock", "Yard"})
            queues->remove(name);
    }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--broadcast", "255.255.255.255"});
        const ParsedRequest parsed = parseArguments(std::move(args));
        EXPECT_TRUE(parsed.request) << parsed.error;
        if (!parsed.request)
            return -1;
        Deps deps{.clock = clock,
                  .serialPorts = test::VirtualSerialPort::factoryFor(port),
                  .ports = ports,
                  .usbFinder = usb,
                  .spooler = spooler,
                  .network = network,
                  .usbNodes = [] { return std::vector<std::string>{}; },
                  .readSecret = [](const std::string&) { return std::nullopt; },
                  .broadcastEnvironment = std::nullopt,
                  .fontFiles = fonts,
                  .readFile = [](const std::string&) { return std::nullopt; },
                  .writeFile = [](const std::string&, const std::string&) { return false; },
                  .printQueues = serverQueues};
        output = {};
        return cli::run(*parsed.request, deps, output);
    }
    std::string uriOf(const std::string& name) {
        for (const PrintQueue& q : queues->list().queues)
            if (q.name == name)
                return q.deviceUri;
        return "";
    }
};

// By MAC (either protocol) or by IP address, a raw queue to the printer's address and TCP port; a
// port after the address replaces the printer's own.
TEST_F(CupsBench, AddMakesARawQueueToTheFoundPrintersAddressAndPort) {
    struct Case {
        std::vector<std::string> words;
        std::string queue, uri;
    };
    const Case cases[] = {
        {{"cups", "add", "00:30:f9:00:00:01"}, "Hollin-0030F9000001", "socket://127.0.1.1:9100"},
        {{"cups", "add", "0030F9000005"}, "Hollin-0030F9000005", "socket://127.0.2.1:9100"},
        {{"cups", "add", "127.0.1.1:6101", "--name", "Dock"}, "Dock", "socket://127.0.1.1:6101"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.words), kExitDone) << c.queue << ": " << output.err;
        EXPECT_EQ(uriOf(c.queue), c.uri);
        EXPECT_NE(output.out.find(c.uri), std::string::npos) << output.out;
    }
    // cups list: the queues whose URI is a found printer's address and TCP port, either protocol.
    EXPECT_EQ(run({"cups", "list"}), kExitDone) << output.err;
    EXPECT_NE(output.out.find("queue: Hollin-0030F9000001"), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("queue: Hollin-0030F9000005"), std::string::npos) << output.out;
    EXPECT_EQ(output.out.find("queue: Dock"), std::string::npos) << output.out;  // another port
    EXPECT_NE(output.out.find("2 queue(s)"), std::string::npos) << output.out;
}

// Every refusal says why with its own exit code, and leaves the server's queues as they were.
TEST_F(CupsBench, RefusalsHaveTheirOwnExitCodesAndChangeNothing) {
    ASSERT_EQ(queues->addRaw("Yard", "socket://192.0.2.20:9100").outcome, QueueOutcome::Done);
    struct Case {
        std::vector<std::string> words;
        int code;
        std::string error;
    };
    const Case cases[] = {
        {{"cups", "add", "00:30:F9:00:00:01", "--name", "Yard"}, kExitQueueExists, "exists already"},
        {{"cups", "add", "00:30:F9:00:00:01", "--name", "two words"}, kExitRefused, "no spaces"},
        {{"cups", "add", "00:30:F9:00:00:77"}, kExitNoResponse, "no printer with this MAC"},
        {{"cups", "add", "127.0.9.9"}, kExitNoResponse, "no printer with this IP"},
        {{"cups", "add", "printer-7"}, kExitRefused, "neither a MAC nor IP"},
        {{"cups", "add", "127.0.1.1:70000"}, kExitRefused, "neither a MAC nor IP"},
        {{"cups", "remove", "Yard"}, kExitRefused, "cups: add"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.words), c.code) << c.error;
        EXPECT_NE(output.err.find(c.error), std::string::npos) << output.err;
    }
    EXPECT_EQ(uriOf("Yard"), "socket://192.0.2.20:9100");
    EXPECT_EQ(uriOf("Hollin-0030F9000001"), "");

    auto nowhere = makeCupsPrintQueues("/nonexistent/hollin-test/cups.sock", 500);
    serverQueues = nowhere.get();
    EXPECT_EQ(run({"cups", "add", "00:30:F9:00:00:01"}), kExitSpoolerDown);
    EXPECT_NE(output.err.find("not running"), std::string::npos) << output.err;
    EXPECT_EQ(run({"cups", "list"}), kExitSpoolerDown);
}

}  // namespace
}  // namespace hollin::cli
