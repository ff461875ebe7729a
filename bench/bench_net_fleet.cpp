// The fleet commands against hollin-printer-sim over real sockets, inside a private network namespace:
// `net apply` of one profile to 256 virtual printers against the same command for one printer (goal:
// at most 3 times as long, i.e. the saves overlap), and `net search` of 1024 printers (goal: all
// listed, within the 2 s window and its half-second text wait). Skipped where `unshare -rn` is not
// allowed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "bench/bench_iterations.h"

namespace {

std::string beside(const char* name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

// Runs `script` in a private network namespace with lo up, a simulator of `binary` and `text`
// printers ready and HOLLIN_BROADCAST set; its standard output.
std::string inFleet(int binary, int text, const std::string& script) {
    const std::string dir = std::filesystem::temp_directory_path() / "hollin-bench-fleet";
    std::filesystem::create_directories(dir);
    std::ostringstream body;
    body << "ip link set lo up; cd " << dir << "; " << beside("hollin-printer-sim") << " --net " << binary
         << " --text " << text << " >sim.out 2>/dev/null & sim=$!; "
         << "for i in $(seq 400); do grep -q '^ready$' sim.out && break; sleep 0.05; done; "
         << "export HOLLIN_BROADCAST=127.255.255.255; ctl=" << beside("hollinctl") << "; " << script
         << "; kill $sim; wait $sim 2>/dev/null";
    const std::string scriptPath = dir + "/run.sh";
    if (FILE* file = std::fopen(scriptPath.c_str(), "w")) {
        std::fputs(body.str().c_str(), file);
        std::fclose(file);
    }
    const std::string command = "unshare -rn sh " + scriptPath;
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    std::filesystem::remove_all(dir);
    return out;
}

bool privateNetworkAllowed() {
    return std::system("unshare -rn sh -c 'ip link set lo up' >/dev/null 2>&1") == 0;
}

// A profile giving each of `count` binary printers a LAN address of its own.
std::string profileScript(int count) {
    return "python3 -c \"import json; json.dump({\\\"ssid\\\": \\\"Depot\\\", \\\"channel\\\": 11, "
           "\\\"addresses\\\": {\\\"00:30:F9:00:%02X:%02X\\\" % (i >> 8, i & 255): {\\\"ip\\\": "
           "\\\"10.1.%d.%d\\\" % (i >> 8, i & 255), \\\"netmask\\\": \\\"255.255.0.0\\\"} for i in "
           "range(1, " +
           std::to_string(count + 1) + ")}}, open(\\\"p.json\\\", \\\"w\\\"))\"";
}

// The milliseconds and exit code of `what`, printed by the script as "LABEL_ms N" and "LABEL_rc N".
std::string timed(const std::string& label, const std::string& what) {
    return "t0=$(date +%s%N); " + what + " >out.txt; echo " + label + "_rc $?; t1=$(date +%s%N); echo " +
           label + "_ms $(( (t1 - t0) / 1000000 ))";
}

double number(const std::string& out, const std::string& key) {
    const auto at = out.find(key + " ");
    return at == std::string::npos ? -1 : std::atof(out.c_str() + at + key.size() + 1);
}

void BM_NetApply256AgainstOne(benchmark::State& state) {
    if (!privateNetworkAllowed()) {
        state.SkipWithError("unshare -rn is not allowed here");
        return;
    }
    double oneMs = 0, allMs = 0, allRc = -1;
    for (auto _ : state) {
        const std::string out = inFleet(256, 0,
                                        profileScript(256) + "; " +
                                            timed("one", "$ctl net apply p.json --mac 00:30:F9:00:00:01") +
                                            "; " + timed("all", "$ctl net apply p.json --all"));
        oneMs = number(out, "one_ms");
        allRc = number(out, "all_rc");
        allMs = number(out, "all_ms");
    }
    state.counters["one_printer_ms"] = oneMs;
    state.counters["all_256_ms"] = allMs;
    state.counters["all_exit_code"] = allRc;
    state.counters["ratio"] = oneMs > 0 ? allMs / oneMs : -1;
}
BENCHMARK(BM_NetApply256AgainstOne)->Iterations(hollin::bench::iterations(1))->Unit(benchmark::kMillisecond);

void BM_NetSearch1024(benchmark::State& state) {
    if (!privateNetworkAllowed()) {
        state.SkipWithError("unshare -rn is not allowed here");
        return;
    }
    double ms = 0, listed = 0;
    for (auto _ : state) {
        const std::string out = inFleet(
            1000, 24, timed("search", "$ctl net search --csv") + "; echo rows $(( $(wc -l < out.txt) - 1 ))");
        ms = number(out, "search_ms");
        listed = number(out, "rows");
    }
    state.counters["listed"] = listed;
    state.counters["search_ms"] = ms;
}
BENCHMARK(BM_NetSearch1024)->Iterations(hollin::bench::iterations(1))->Unit(benchmark::kMillisecond);

}  // namespace
