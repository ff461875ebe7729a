// Sealing and opening a 1.4 KB payload against the bare CRC and cipher over the same bytes; and a
// search answered by 256 virtual printers over loopback (only inside a private network namespace:
// unshare -rn sh -c 'ip link set lo up && build/release/bin/hollin_bench --benchmark_filter=Netcfg').
#include <benchmark/benchmark.h>
#include <net/if.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_iterations.h"
#include "common/crc16.h"
#include "common/rc4.h"
#include "netcfg/exchange.h"
#include "sim/network_printer.h"

namespace {

using namespace hollin;

Bytes payload1400() {
    Bytes payload;
    netcfg::appendItem(payload, 48, 0, Bytes(1394, 0x5A));
    return payload;
}

void BM_NetcfgSealAndOpen(benchmark::State& state) {
    const Bytes payload = payload1400();
    for (auto _ : state) {
        Bytes datagram =
            netcfg::sealPacket(netcfg::writeRequestHeader(false, {}), payload, netcfg::kDefaultKeyConstant);
        datagram[5] |= netcfg::kFlagReply;
        benchmark::DoNotOptimize(netcfg::openReply(datagram, netcfg::kDefaultKeyConstant));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NetcfgSealAndOpen);

// The floor: one CRC and two cipher passes over the same bytes.
void BM_NetcfgCrcAndCipherBaseline(benchmark::State& state) {
    Bytes payload = payload1400();
    const auto key = netcfg::packetKey(netcfg::kDefaultKeyConstant, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(itemCrc(payload));
        rc4Apply(key, payload);
        rc4Apply(key, payload);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NetcfgCrcAndCipherBaseline);

bool onlyLoopback() {
    struct if_nameindex* names = if_nameindex();
    bool only = names != nullptr;
    for (struct if_nameindex* n = names; n != nullptr && n->if_index != 0; ++n)
        only = only && std::strcmp(n->if_name, "lo") == 0;
    if (names != nullptr)
        if_freenameindex(names);
    return only;
}

void BM_NetcfgSearch256Loopback(benchmark::State& state) {
    if (!onlyLoopback()) {
        state.SkipWithError("run inside unshare -rn with lo up");
        return;
    }
    const Ipv4 broadcast = ipv4(127, 255, 255, 255);
    UdpNetwork& network = systemUdpNetwork();
    sim::NetworkPrinterHost host(network);
    std::vector<std::unique_ptr<sim::BinaryNetworkPrinter>> printers;
    for (int i = 0; i < 256; ++i) {
        const Ipv4 address = ipv4(127, 0, 1, 0) + static_cast<Ipv4>(i);
        printers.push_back(std::make_unique<sim::BinaryNetworkPrinter>(
            network, systemClock(), address, broadcast, sim::makeBinaryPrinter(i + 1, address)));
        if (printers.back()->start() != 0) {
            state.SkipWithError("cannot bind a printer");
            return;
        }
        host.add(*printers.back(), printers.back()->sockets());
    }
    host.start();
    netcfg::PayloadStores stores;
    netcfg::NetworkContext context{network, systemClock(), stores, {broadcast, {}}};
    context.receiveBuffer = 4 << 20;
    const auto granted = netcfg::openDiscoverySocket(context).receiveBuffer;
    std::size_t worst = 256;
    double lastReply = 0;
    for (auto _ : state) {
        const auto result = netcfg::searchDevices(context, netcfg::kBroadcast);
        worst = std::min(worst, result.records.size());
        lastReply = std::max(lastReply, static_cast<double>(result.lastReplyMs));
    }
    host.stop();
    state.counters["found_min"] = static_cast<double>(worst);
    state.counters["last_reply_ms_max"] = lastReply;
    state.counters["rcvbuf_asked"] = static_cast<double>(context.receiveBuffer);
    state.counters["rcvbuf_got"] = static_cast<double>(granted);
}
BENCHMARK(BM_NetcfgSearch256Loopback)
    ->Iterations(hollin::bench::iterations(20))
    ->Unit(benchmark::kMillisecond);

}  // namespace
