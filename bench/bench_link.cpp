// The serial link on a pseudo-terminal: write throughput against cat, and the cost of polling Read.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_iterations.h"
#include "link/printer_link.h"

extern char** environ;

namespace hollin {
namespace {

constexpr std::size_t kPayloadBytes = 4u << 20;

void makeRaw(int fd) {
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
}

// A pseudo-terminal whose master side a thread reads continuously, counting the bytes.
class DrainedPty {
  public:
    DrainedPty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ::grantpt(master_);
        ::unlockpt(master_);
        slave_ = ::ptsname(master_);
        makeRaw(master_);
        holder_ = ::open(slave_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        makeRaw(holder_);
        reader_ = std::thread([this] { drain(); });
    }
    ~DrainedPty() {
        stop_ = true;
        reader_.join();
        ::close(holder_);
        ::close(master_);
    }
    const std::string& slavePath() const { return slave_; }
    std::size_t received() const { return received_.load(); }
    // Waits (looking every millisecond, at most 10 s) until `total` bytes have come through.
    bool waitFor(std::size_t total) const {
        for (int i = 0; i < 10000 && received_.load() < total; ++i)
            systemClock().sleepMs(1);
        return received_.load() >= total;
    }

  private:
    void drain() {
        std::vector<std::uint8_t> buffer(1 << 16);
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(master_, buffer.data(), buffer.size());
            if (n > 0)
                received_ += static_cast<std::size_t>(n);
        }
    }

    int master_ = -1;
    int holder_ = -1;
    std::string slave_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> received_{0};
    std::thread reader_;
};

std::vector<std::uint8_t> payload() {
    std::vector<std::uint8_t> bytes(kPayloadBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + 17);
    return bytes;
}

PrinterLink::PortResolver onlyCom1(const std::string& device) {
    return [device](std::string_view name) -> std::optional<std::string> {
        if (name == "COM1")
            return device;
        return std::nullopt;
    };
}

// PrinterLink::Write of 4 MiB, timed until the far side has read it all.
void BM_PrinterLinkWrite4MiBToPty(benchmark::State& state) {
    DrainedPty pty;
    PrinterLink link(
        systemClock(), [] { return makeSystemSerialPort(systemClock()); }, onlyCom1(pty.slavePath()));
    if (link.Open("COM1", 115200, 0, 1, 0, 0) != 0) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    const std::vector<std::uint8_t> data = payload();
    const std::uint8_t first = 0x1B;
    link.Write({&first, 1});  // the wake-up and its pause stay out of the timing
    std::size_t expected = 3;
    for (auto _ : state) {
        if (link.Write(data) != static_cast<int>(data.size())) {
            state.SkipWithError("write gave up");
            break;
        }
        expected += data.size();
        if (!pty.waitFor(expected)) {
            state.SkipWithError("bytes lost");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_PrinterLinkWrite4MiBToPty)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(hollin::bench::iterations(5));

// A program copying the same 4 MiB file to the same kind of pseudo-terminal, timed the same way:
// cat (large writes), and dd with 64-byte blocks (the floor for any writer of 64-byte pieces).
void BM_Program4MiBToPty(benchmark::State& state, bool blocksOf64) {
    DrainedPty pty;
    char path[] = "/tmp/hollin-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    const std::vector<std::uint8_t> data = payload();
    if (fd < 0 || ::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size())) {
        state.SkipWithError("cannot write the payload file");
        return;
    }
    ::close(fd);
    std::vector<std::string> args = {"cat", path};
    if (blocksOf64)
        args = {"dd", std::string("if=") + path, "bs=64", "status=none"};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::size_t expected = 0;
    for (auto _ : state) {
        const int out = ::open(pty.slavePath().c_str(), O_WRONLY | O_NOCTTY);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
        pid_t pid = 0;
        const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out);
        int status = 0;
        if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || status != 0) {
            state.SkipWithError("the copying program failed");
            break;
        }
        expected += data.size();
        if (!pty.waitFor(expected)) {
            state.SkipWithError("bytes lost");
            break;
        }
    }
    ::unlink(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK_CAPTURE(BM_Program4MiBToPty, cat, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(hollin::bench::iterations(5));
BENCHMARK_CAPTURE(BM_Program4MiBToPty, dd_bs64, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(hollin::bench::iterations(5));

double cpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wallSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A window polling Read on a silent port for 2 s with 10 ms pauses: the CPU it costs, as a share
// of the wall time (counter cpu_percent).
void BM_PollSilentPort2s(benchmark::State& state) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(master);
    ::unlockpt(master);
    PrinterLink link(
        systemClock(), [] { return makeSystemSerialPort(systemClock()); }, onlyCom1(::ptsname(master)));
    if (link.Open("COM1", 9600, 0, 1, 0, 1) != 0) {
        state.SkipWithError("cannot open the pseudo-terminal");
        ::close(master);
        return;
    }
    double cpu = 0;
    double wall = 0;
    std::uint64_t polls = 0;
    for (auto _ : state) {
        const double cpu0 = cpuSeconds();
        const double wall0 = wallSeconds();
        std::uint8_t buffer[256];
        const std::uint32_t start = systemClock().tickMs();
        while (elapsedMs(start, systemClock().tickMs()) < 2000) {
            benchmark::DoNotOptimize(link.Read(buffer));
            ++polls;
            systemClock().sleepMs(10);
        }
        cpu += cpuSeconds() - cpu0;
        wall += wallSeconds() - wall0;
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["polls"] = static_cast<double>(polls);
    link.Close();
    ::close(master);
}
BENCHMARK(BM_PollSilentPort2s)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace hollin
