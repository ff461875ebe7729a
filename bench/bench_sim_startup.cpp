// How long `hollin-printer-sim --net 256 --text 16` takes until it prints "ready": every binary
// printer's stored record carries the key of one shared pass phrase, which is derived once. Runs the
// program beside this binary, inside a private network namespace when `unshare -rn` is allowed (so its
// ports cannot meet another program's), else on the machine's loopback.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_iterations.h"

extern char** environ;

namespace {

std::string besideThisProgram(const char* name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

bool privateNetworkAllowed() {
    return std::system("unshare -rn sh -c 'ip link set lo up' >/dev/null 2>&1") == 0;
}

// Starts `argv`, waits (at most `limitMs`) for a line "ready" on its standard output, then stops it.
// The time to "ready" in seconds, or a negative number when it never came.
double secondsUntilReady(const std::vector<std::string>& argv, int limitMs) {
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    double seconds = -1;
    std::string seen;
    while (spawned == 0) {
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count();
        pollfd fd{out[0], POLLIN, 0};
        if (waited >= limitMs || poll(&fd, 1, static_cast<int>(limitMs - waited)) <= 0)
            break;
        char chunk[4096];
        const ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0)
            break;
        seen.append(chunk, static_cast<std::size_t>(n));
        if (seen.find("\nready\n") != std::string::npos || seen.starts_with("ready\n")) {
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            break;
        }
    }
    close(out[0]);
    if (spawned == 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    return seconds;
}

void BM_SimulatorReadyNet256Text16(benchmark::State& state) {
    const std::string sim = besideThisProgram("hollin-printer-sim");
    std::vector<std::string> argv = {sim, "--net", "256", "--text", "16"};
    if (privateNetworkAllowed())
        argv = {"unshare", "-rn",   "sh",  "-c",     "ip link set lo up && exec \"$0\" \"$@\"",
                sim,       "--net", "256", "--text", "16"};
    for (auto _ : state) {
        const double seconds = secondsUntilReady(argv, 30000);
        if (seconds < 0) {
            state.SkipWithError("hollin-printer-sim did not get ready within 30 s");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_SimulatorReadyNet256Text16)
    ->UseManualTime()
    ->Iterations(hollin::bench::iterations(3))
    ->Unit(benchmark::kMillisecond);

}  // namespace
