// Print queues for network printers: the pure rules, and "Add print queue..." of the Wi-Fi window
// after a network save, against a spooler that records what it is asked.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/print_queues.h"
#include "netprinters/print_queue.h"
#include "platform/memory_network.h"
#include "sim/network_printer.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {
namespace {

using namespace ids;

// A spooler's queues in memory; `refuse` makes every change fail that way.
class MemoryQueues final : public PrintQueues {
  public:
    std::map<std::string, std::string> queues;
    QueueOutcome refuse = QueueOutcome::Done;
    int adds = 0;

    QueueListing list() override {
        QueueListing listing{refuse == QueueOutcome::ServerDown ? refuse : QueueOutcome::Done, "", {}};
        for (const auto& [name, uri] : queues)
            listing.queues.push_back({name, uri});
        return listing;
    }
    QueueChange addRaw(const std::string& name, const std::string& uri) override {
        ++adds;
        if (refuse != QueueOutcome::Done)
            return {refuse, "refused"};
        if (queues.count(name) != 0)
            return {QueueOutcome::NameTaken, ""};
        queues[name] = uri;
        return {QueueOutcome::Done, ""};
    }
    QueueChange remove(const std::string& name) override {
        queues.erase(name);
        return {QueueOutcome::Done, ""};
    }
};

TEST(PrintQueueRules, SocketUrisNamesAndTargets) {
    EXPECT_EQ(socketDeviceUri("192.168.1.50", 9100), "socket://192.168.1.50:9100");
    EXPECT_EQ(socketTargetOf("socket://10.0.0.2:6101"), (SocketTarget{"10.0.0.2", 6101}));
    EXPECT_EQ(socketTargetOf("socket://10.0.0.2/?contimeout=30"), (SocketTarget{"10.0.0.2", 9100}));
    for (const char* uri :
         {"serial:/dev/ttyS0", "socket://", "socket://10.0.0.2:99999", "socket://10.0.0.2:x"})
        EXPECT_EQ(socketTargetOf(uri), std::nullopt) << uri;
    for (const char* name : {"Dock", "Hollin-0030F9000001", "a_b.c"})
        EXPECT_EQ(queueNameProblem(name), std::nullopt) << name;
    for (const std::string& name : {std::string(), std::string("two words"), std::string("a/b"),
                                    std::string("#1"), std::string(128, 'x'), std::string("tab\there")})
        EXPECT_NE(queueNameProblem(name), std::nullopt) << name;

    MemoryQueues queues;
    const QueueTarget noPort{"0030F9000001", "192.168.1.50", 0};
    EXPECT_EQ(addPrintQueue(queues, noPort, "").outcome, QueueOutcome::Refused);
    EXPECT_EQ(addPrintQueue(queues, {"0030F9000001", "192.168.1.50", 9100}, "bad name").outcome,
              QueueOutcome::Refused);
    EXPECT_EQ(queues.adds, 0) << "a refusal asks the spooler nothing";
}

struct QueueWindow : ::testing::Test {
    static constexpr Ipv4 kAll = 0xFFFFFFFFu;
    VirtualClock clock{5000};
    MemoryNetwork network{clock};
    sim::VirtualPrinter printer{clock};
    test::VirtualSerialPort port{printer, clock, test::kCom1Device};
    test::VirtualUsbFinder usb{printer, &clock};
    PortMap ports{{}, [](const std::string&) -> std::optional<std::string> { return std::nullopt; }};
    test::NoSpooler spooler;
    ui::SearchSaveProgress::Block block{};
    ui::SearchSaveProgress progress{block};
    WifiProgramState program;
    MemoryQueues queues;
    test::FakeDesktop desktop;
    test::FakeView view{desktop};
    std::unique_ptr<CWiFiSettings> dlg;
    sim::BinaryNetworkPrinter binary{network, clock, ipv4(127, 0, 1, 4), kAll,
                                     sim::makeBinaryPrinter(4, ipv4(127, 0, 1, 4))};

    void open(PrintQueues* printQueues) {
        ASSERT_EQ(binary.start(), 0);
        network.addService(binary);
        WifiWindowDeps deps{.clock = clock,
                            .serialPorts = test::VirtualSerialPort::factoryFor(port),
                            .ports = ports,
                            .usbFinder = usb,
                            .spooler = spooler,
                            .progress = progress,
                            .program = program};
        deps.network = &network;
        deps.broadcast = {kAll, {}};
        deps.printQueues = printQueues;
        dlg = std::make_unique<CWiFiSettings>(deps);
        view.open(*dlg);
        ASSERT_TRUE(view.select(kPortList, 10));  // "Network"
        ASSERT_TRUE(view.click(kSearch));
        clock.sleepMs(5);
        view.fireTimer(kTextSocketTimerId);
    }
    void TearDown() override {
        dlg.reset();
        network.removeService(binary);
    }
    void save() {
        view.setAddressByUser(kIp, {192, 168, 1, 50});
        view.setAddressByUser(kNetmask, {255, 255, 255, 0});
        view.typeOver(kTcpPort, "9200");
        desktop.clearMessages();
        ASSERT_TRUE(view.click(kNetworkSave));
    }
};

// Offered only after a save the printer took; it adds a raw queue to the address and port just saved,
// and a second press reports the name as taken without changing the queue.
TEST_F(QueueWindow, AddPrintQueueFollowsASuccessfulSave) {
    open(&queues);
    EXPECT_FALSE(view.visible(kAddPrintQueue));
    ASSERT_TRUE(view.click(kNetworkSave));  // the loopback address shown is refused
    EXPECT_FALSE(view.visible(kAddPrintQueue));

    save();
    ASSERT_TRUE(view.visible(kAddPrintQueue));
    ASSERT_TRUE(view.click(kAddPrintQueue));
    EXPECT_EQ(queues.queues,
              (std::map<std::string, std::string>{{"Hollin-0030F9000004", "socket://192.168.1.50:9200"}}));
    EXPECT_EQ(desktop.messageTexts().back(),
              "Print queue Hollin-0030F9000004 added (socket://192.168.1.50:9200).");

    queues.queues["Hollin-0030F9000004"] = "socket://10.9.9.9:9100";
    ASSERT_TRUE(view.click(kAddPrintQueue));
    EXPECT_NE(desktop.messageTexts().back().find("exists already"), std::string::npos);
    EXPECT_EQ(queues.queues["Hollin-0030F9000004"], "socket://10.9.9.9:9100");

    queues.refuse = QueueOutcome::NotAuthorised;
    ASSERT_TRUE(view.click(kAddPrintQueue));
    EXPECT_NE(desktop.messageTexts().back().find("may not manage print queues"), std::string::npos);
}

TEST_F(QueueWindow, WithoutAPrintServerTheButtonIsNeverOffered) {
    open(nullptr);
    save();
    EXPECT_TRUE(desktop.messageTexts().empty()) << desktop.messageTexts()[0];
    EXPECT_FALSE(view.visible(kAddPrintQueue));
}

}  // namespace
}  // namespace hollin::wifi
