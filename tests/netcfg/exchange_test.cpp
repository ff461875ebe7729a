// Search and write against virtual network printers on the in-memory network and virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "netcfg/exchange.h"
#include "netcfg/udp_text_socket.h"
#include "platform/memory_network.h"
#include "sim/network_printer.h"

namespace hollin::netcfg {
namespace {

constexpr Ipv4 kAll = 0xFFFFFFFFu;

struct Net : ::testing::Test {
    VirtualClock clock{1000};
    MemoryNetwork network{clock};
    PayloadStores stores;
    std::string debug;
    NetworkContext context{network,
                           clock,
                           stores,
                           {kAll, {}},
                           kDefaultKeyConstant,
                           kDefaultWifiExtra,
                           [this](std::string_view t) { debug += t; }};
    std::vector<std::unique_ptr<sim::BinaryNetworkPrinter>> printers;

    sim::BinaryNetworkPrinter& addPrinter(int number, std::optional<sim::BinaryPrinterState> state = {}) {
        const Ipv4 address = ipv4(127, 0, 0, static_cast<std::uint8_t>(1 + number));
        auto printer = std::make_unique<sim::BinaryNetworkPrinter>(
            network, clock, address, kAll, state ? *state : sim::makeBinaryPrinter(number, address));
        EXPECT_EQ(printer->start(), 0);
        network.addService(*printer);
        printers.push_back(std::move(printer));
        return *printers.back();
    }
    ~Net() override {
        for (auto& p : printers)
            network.removeService(*p);
    }

    // Every datagram the utility sent (from port 50005 of 127.0.0.1).
    std::vector<LoggedDatagram> sentByUs() const {
        std::vector<LoggedDatagram> out;
        for (const auto& d : network.log())
            if (d.from.address == MemoryNetwork::kDefaultHost)
                out.push_back(d);
        return out;
    }
};

TEST_F(Net, SearchSendsTwiceAndCollectsEveryPrinterOnce) {
    addPrinter(1);
    addPrinter(2);
    auto& late = addPrinter(3);
    late.misbehave(sim::NetFault::Late, 1900);
    auto& tooLate = addPrinter(4);
    tooLate.misbehave(sim::NetFault::Late, 2100);
    const std::uint32_t start = clock.tickMs();
    const SearchResult result = searchDevices(context, kBroadcast);
    EXPECT_EQ(result.error, 0);
    ASSERT_EQ(result.records.size(), 3u);
    EXPECT_EQ(result.records[0].sourceAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 2}));
    EXPECT_EQ(result.records[0].channels[0].localPort(), 9100);
    EXPECT_EQ(result.records[0].versionMinor, 6 * 256 + 2);
    EXPECT_EQ(result.records[2].mac, late.state().mac);
    EXPECT_EQ(stores.size(kBroadcast), 3u);
    EXPECT_EQ(clock.tickMs() - start, 10u + 2000u) << "the window is 2000 ms after the second send";
    const auto sent = sentByUs();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].atMs - sent[0].atMs, 10u);
    EXPECT_EQ(sent[0].bytes.size(), 32u);
    EXPECT_EQ(sent[0].to, (UdpEndpoint{kAll, 50005}));
}

TEST_F(Net, ThirtyTwoByteReplyAndDuplicateMacs) {
    auto first = sim::makeBinaryPrinter(7, ipv4(127, 0, 0, 8));
    first.items.clear();
    addPrinter(7, first);
    auto second = sim::makeBinaryPrinter(7, ipv4(127, 0, 0, 9));
    second.firmware = {9, 9, 9};
    addPrinter(8, second);
    const SearchResult result = searchDevices(context, kBroadcast);
    ASSERT_EQ(result.records.size(), 1u);
    DeviceRecord expected;
    expected.mac = first.mac;
    expected.versionMajor = 1;
    expected.versionMinor = 6 * 256 + 2;
    expected.sourceAddress = {127, 0, 0, 8};
    EXPECT_EQ(result.records[0], expected);
    ASSERT_NE(stores.find(kBroadcast, first.mac), nullptr);
    EXPECT_TRUE(stores.find(kBroadcast, first.mac)->empty()) << "the store keeps the first reply";
}

// The virtual printers share one pass phrase, whose key is derived once: every printer's stored key
// is still the one that pass phrase and SSID give, and the record otherwise its own.
TEST(VirtualNetworkPrinter, EveryPrinterCarriesTheKeyOfItsPassPhrase) {
    const WpaPsk expected = wpaPsk("printer-pass", "HollinNet");
    for (const int number : {1, 2, 200}) {
        const Ipv4 address = ipv4(127, 0, 0, 1) + static_cast<Ipv4>(number);
        DeviceRecord record;
        ASSERT_TRUE(parsePayload(sim::makeBinaryPrinter(number, address).items, record));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.wpaPsk().begin())) << number;
        EXPECT_EQ(passphraseOf(record), "printer-pass") << number;
        EXPECT_EQ(ipv4Of(record.ipAddress), address) << number;
    }
}

TEST_F(Net, ForgedAndMalformedRepliesChangeNothing) {
    const sim::NetFault faults[] = {sim::NetFault::NoReplyFlag, sim::NetFault::OtherMagic,
                                    sim::NetFault::BadCrc, sim::NetFault::Oversize};
    for (int i = 0; i < 4; ++i)
        addPrinter(i + 1).misbehave(faults[i]);
    const SearchResult result = searchDevices(context, kBroadcast);
    EXPECT_TRUE(result.records.empty());
    EXPECT_EQ(stores.size(kBroadcast), 0u);
    EXPECT_NE(debug.find("CRC fail...\n"), std::string::npos);
}

TEST_F(Net, WriteKeepsUnknownItemsAndTakesTheAnswer) {
    auto& printer = addPrinter(1);
    SearchResult found = searchDevices(context, kBroadcast);
    ASSERT_EQ(found.records.size(), 1u);
    DeviceRecord record = found.records[0];
    record.channels[0].setLocalPort(9200);
    record.ipAddress = {192, 168, 1, 10};
    record.netmask = {255, 255, 255, 0};
    network.clearLog();
    const WriteResult written = configureDevice(context, kBroadcast, record, {});
    EXPECT_EQ(written.result, 1);
    EXPECT_EQ(written.code, 0);
    EXPECT_EQ(printer.state().writesApplied, 2) << "both sends reach it";
    EXPECT_EQ(printer.record().channels[0].localPort(), 9200);
    bool vendorKept = false;
    walkItems(printer.state().items,
              [&](const ItemView& item) { vendorKept = vendorKept || item.type == 41; });
    EXPECT_TRUE(vendorKept);
    EXPECT_EQ(record.channels[0].localPort(), 9200) << "the record is the printer's answer";
    for (const auto& d : sentByUs())
        EXPECT_EQ(d.to, (UdpEndpoint{kAll, 50005}));
    EXPECT_EQ(debug.find("printer-pass"), std::string::npos);
}

TEST_F(Net, WriteStatusesSilenceAndMissingSearch) {
    auto& printer = addPrinter(1);
    DeviceRecord record = searchDevices(context, kBroadcast).records.at(0);
    record.ipAddress = {192, 168, 1, 10};
    record.netmask = {255, 255, 255, 0};
    const std::pair<std::uint8_t, int> statuses[] = {
        {2, kPasswordMismatch}, {3, kProductMismatch}, {9, kUnknownError}};
    for (const auto& [status, code] : statuses) {
        printer.forceStatus(status);
        DeviceRecord copy = record;
        const WriteResult result = configureDevice(context, kBroadcast, copy, {});
        EXPECT_EQ(result.result, -1);
        EXPECT_EQ(result.code, code);
    }
    printer.forceStatus(std::nullopt);
    printer.misbehave(sim::NetFault::Silent);
    DeviceRecord copy = record;
    const std::uint32_t start = clock.tickMs();
    EXPECT_EQ(configureDevice(context, kBroadcast, copy, {}).code, kNoResponse);
    EXPECT_EQ(clock.tickMs() - start, 10u + 3000u);
    EXPECT_EQ(copy, record);

    network.clearLog();
    DeviceRecord stranger = record;
    stranger.mac[0] = 0xEE;
    EXPECT_EQ(configureDevice(context, kBroadcast, stranger, {}).code, kNotFound);
    EXPECT_EQ(configureDevice(context, kDirected, record, {}).code, kNotFound);
    EXPECT_TRUE(network.log().empty());
}

TEST_F(Net, WrongPasswordAndDirectedWrite) {
    const auto state = sim::makeBinaryPrinter(1, ipv4(127, 0, 0, 2), "secret");
    auto& printer = addPrinter(1, state);
    DeviceRecord record = searchDevices(context, kDirected, printer.address()).records.at(0);
    record.ipAddress = {192, 168, 1, 10};
    record.netmask = {255, 255, 255, 0};
    EXPECT_EQ(record.password, state.password) << "the device tells its password in its answer";
    DeviceRecord copy = record;
    EXPECT_EQ(configureDevice(context, kDirected, copy, {'w', 'r', 'o', 'n', 'g'}).code, kPasswordMismatch);
    network.clearLog();
    EXPECT_EQ(configureDevice(context, kDirected, record, state.password).result, 1);
    for (const auto& d : sentByUs())
        EXPECT_EQ(d.to, (UdpEndpoint{printer.address(), 50005}));
    EXPECT_EQ(debug.find("secret"), std::string::npos);
}

// A device that answers the write with a search reply (command 1) of the same MAC: no acknowledgement.
TEST_F(Net, SearchAnswerDuringAWriteIsNoAcknowledgement) {
    auto& printer = addPrinter(1);
    DeviceRecord record = searchDevices(context, kBroadcast).records.at(0);
    record.ipAddress = {192, 168, 1, 10};
    record.netmask = {255, 255, 255, 0};
    printer.misbehave(sim::NetFault::Silent);
    int error = 0;
    auto socket = network.openOn(ipv4(127, 0, 0, 50), error);
    ASSERT_EQ(socket->bind({ipv4(127, 0, 0, 50), 50005}), 0);
    PacketHeader reply;
    reply.flags = kFlagReply;
    reply.command = kSearch;
    reply.mac = record.mac;
    struct Sender : NetworkService {
        UdpSocket& socket;
        Bytes datagram;
        bool sent = false;
        Sender(UdpSocket& s, Bytes d) : socket(s), datagram(std::move(d)) {}
        void service() override {
            if (!sent)
                socket.sendTo(datagram, {kAll, 50005});
            sent = true;
        }
    } sender(*socket, sealPacket(reply, {}, kDefaultKeyConstant));
    network.addService(sender);
    DeviceRecord copy = record;
    EXPECT_EQ(configureDevice(context, kBroadcast, copy, {}).code, kNoResponse);
    EXPECT_TRUE(sender.sent);
    EXPECT_EQ(copy, record);
    network.removeService(sender);
}

TEST_F(Net, BroadcastSettingAndSocketFailures) {
    EXPECT_EQ(*broadcastSetting(std::nullopt, std::nullopt).address, kAll);
    EXPECT_EQ(*broadcastSetting("127.255.255.255", "1.2.3.4").address, ipv4(127, 255, 255, 255));
    const BroadcastSetting bad = broadcastSetting(std::nullopt, "127.255.255");
    EXPECT_FALSE(bad.address);
    EXPECT_NE(bad.error.find("HOLLIN_BROADCAST"), std::string::npos);
    EXPECT_FALSE(parseIpv4("1.2.3.256"));
    EXPECT_FALSE(parseIpv4("1.2.3.4 "));
    context.broadcast = bad;
    EXPECT_EQ(searchDevices(context, kBroadcast).error, kNetworkDisabled);
    EXPECT_TRUE(network.log().empty());
    context.broadcast = {kAll, {}};
    network.failSend(2, ENETUNREACH);
    EXPECT_EQ(searchDevices(context, kBroadcast).error, ENETUNREACH);
    network.failOpen(EADDRINUSE);
    EXPECT_EQ(searchDevices(context, kBroadcast).error, EADDRINUSE);
}

struct TextOwner : CUdpSock::Owner {
    std::vector<TextRecord> answers;
    std::vector<bool> saves;
    void onTextAnswer(const TextRecord& record) override { answers.push_back(record); }
    void onSaveAnswer(bool confirmed) override { saves.push_back(confirmed); }
};

TEST_F(Net, TextSearchAndSave) {
    sim::TextNetworkPrinter printer(network, ipv4(127, 0, 0, 20), kAll,
                                    sim::makeTextRecord(5, ipv4(127, 0, 0, 20)));
    ASSERT_EQ(printer.start(), 0);
    network.addService(printer);
    TextOwner owner;
    CUdpSock search(network, kAll, owner, context.debug);
    ASSERT_EQ(search.create(CUdpSock::kSearchMode), 0);
    EXPECT_EQ(search.send(buildSearchFrame()).error, 0);
    int error = 0;
    auto empty = network.open(error);
    empty->sendTo({}, {kAll, kTextPort});
    clock.sleepMs(5);
    network.waitAny({}, 5);
    search.pump();
    ASSERT_EQ(owner.answers.size(), 1u);
    EXPECT_TRUE(search.isOpen()) << "an empty datagram closes nothing";
    EXPECT_EQ(macTextOf(owner.answers[0]), "0030F9000005");
    EXPECT_NE(debug.find("Receive the Search Command"), std::string::npos);
    search.close();

    TextRecord changed = owner.answers[0];
    changed[48] = '1';
    CUdpSock save(network, kAll, owner, context.debug);
    ASSERT_EQ(save.create(CUdpSock::kSaveMode, macTextOf(changed)), 0);
    EXPECT_EQ(save.send(buildSaveFrame(changed)).error, 0);
    network.waitAny({}, 5);
    save.pump();
    ASSERT_EQ(owner.saves.size(), 1u);
    EXPECT_TRUE(owner.saves[0]);
    EXPECT_EQ(printer.record()[48], '1');
    for (const auto& d : network.log()) {
        if (d.from.address == MemoryNetwork::kDefaultHost && !d.bytes.empty()) {
            EXPECT_EQ(d.bytes.size(), 512u);
        }
    }
    network.failSend(1, EPERM);
    const auto failed = save.send(buildSaveFrame(changed));
    EXPECT_EQ(failed.message, "Sever Socket failed to send: " + std::to_string(EPERM));
    EXPECT_FALSE(save.isOpen());
    network.removeService(printer);
}

}  // namespace
}  // namespace hollin::netcfg
