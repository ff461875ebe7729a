// Search, write and text round trip over real sockets against hollin-printer-sim. Runs only inside a
// private network namespace (ctest starts it under `unshare -rn` with lo up): nothing leaves this
// machine, and the fixture fails when any interface other than lo exists.
#include <gtest/gtest.h>
#include <net/if.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "netcfg/exchange.h"
#include "netcfg/udp_text_socket.h"

namespace hollin::netcfg {
namespace {

constexpr Ipv4 kLoopbackBroadcast = ipv4(127, 255, 255, 255);

class Loopback : public ::testing::Test {
  protected:
    void SetUp() override {
        struct if_nameindex* names = if_nameindex();
        ASSERT_NE(names, nullptr);
        for (struct if_nameindex* n = names; n->if_index != 0; ++n)
            EXPECT_STREQ(n->if_name, "lo") << "run only in a private network namespace";
        if_freenameindex(names);
        ASSERT_FALSE(HasFailure());
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execl(HOLLIN_PRINTER_SIM, HOLLIN_PRINTER_SIM, "--net", "3", "--text", "1", "--broadcast",
                  "127.255.255.255", "--first-address", "127.0.0.2", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        output_ = fdopen(out[0], "r");
        char line[256];
        while (std::fgets(line, sizeof line, output_) != nullptr) {
            lines_ += line;
            if (std::string(line) == "ready\n")
                return;
        }
        FAIL() << "the simulator did not get ready: " << lines_;
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ != nullptr)
            std::fclose(output_);
    }

    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    std::string lines_;
    PayloadStores stores;
    NetworkContext context{systemUdpNetwork(), systemClock(), stores, {kLoopbackBroadcast, {}}};
};

struct Owner : CUdpSock::Owner {
    std::vector<TextRecord> answers;
    std::vector<bool> saves;
    void onTextAnswer(const TextRecord& r) override { answers.push_back(r); }
    void onSaveAnswer(bool confirmed) override { saves.push_back(confirmed); }
};

TEST_F(Loopback, SearchWriteAndTextRoundTripAgainstTheSimulator) {
    const SearchResult found = searchDevices(context, kBroadcast);
    ASSERT_EQ(found.error, 0);
    ASSERT_EQ(found.records.size(), 3u) << lines_;
    DeviceRecord record = found.records[1];
    EXPECT_EQ(record.sourceAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 3}));
    record.ipAddress = {192, 168, 1, 10};
    record.netmask = {255, 255, 255, 0};
    record.channels[0].setLocalPort(9300);
    const WriteResult written = configureDevice(context, kBroadcast, record, {});
    EXPECT_EQ(written.code, 0);
    EXPECT_EQ(record.channels[0].localPort(), 9300);
    EXPECT_EQ(record.ipAddress, (std::array<std::uint8_t, 4>{192, 168, 1, 10}));

    Owner owner;
    CUdpSock socket(systemUdpNetwork(), kLoopbackBroadcast, owner);
    ASSERT_EQ(socket.create(CUdpSock::kSearchMode), 0);
    ASSERT_EQ(socket.send(buildSearchFrame()).error, 0);
    for (int i = 0; i < 100 && owner.answers.empty(); ++i) {
        systemClock().sleepMs(10);
        socket.pump();
    }
    ASSERT_EQ(owner.answers.size(), 1u);
    TextRecord changed = owner.answers[0];
    changed[48] = '1';
    ASSERT_EQ(socket.create(CUdpSock::kSaveMode, macTextOf(changed)), 0);
    ASSERT_EQ(socket.send(buildSaveFrame(changed)).error, 0);
    for (int i = 0; i < 100 && owner.saves.empty(); ++i) {
        systemClock().sleepMs(10);
        socket.pump();
    }
    ASSERT_EQ(owner.saves.size(), 1u);
    EXPECT_TRUE(owner.saves[0]);
}

}  // namespace
}  // namespace hollin::netcfg
