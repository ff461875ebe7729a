// Against a real CUPS server: the one the ctest fixture "cupsd" started (CUPS_SERVER names its socket,
// in the fixture's folder, which also holds cupsd.pid).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/driver_port_check.h"
#include "link/print_queues.h"
#include "link/pty.h"
#include "link/spooler_cups.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "sim/virtual_printer.h"
#include "support/fake_desktop.h"
#include "support/virtual_serial_port.h"

namespace hollin {
namespace {

using namespace printer::ids;

std::string server() {
    const char* value = std::getenv("CUPS_SERVER");
    return value != nullptr ? value : "";
}

pid_t cupsdPid() {
    const std::string socket = server();
    std::ifstream file(socket.substr(0, socket.rfind('/') + 1) + "cupsd.pid");
    pid_t pid = 0;
    file >> pid;
    return pid;
}

struct Cupsd : ::testing::Test {
    std::unique_ptr<PrintQueues> queues = makeCupsPrintQueues(server(), 5000);
    std::vector<std::string> added;

    void SetUp() override {
        ASSERT_FALSE(server().empty()) << "run under the ctest fixture cupsd";
        ASSERT_GT(cupsdPid(), 0);
    }
    void TearDown() override {
        for (const std::string& name : added)
            queues->remove(name);
    }
    void add(const std::string& name, const std::string& uri) {
        const QueueChange change = queues->addRaw(name, uri);
        ASSERT_EQ(change.outcome, QueueOutcome::Done) << change.message;
        added.push_back(name);
    }
    std::string uriOf(const std::string& name) {
        for (const PrintQueue& q : queues->list().queues)
            if (q.name == name)
                return q.deviceUri;
        return "";
    }
};

// A serial: queue on the pty that COM1 stands for: Open Port refuses COM1 with the spooler's message
// and opens nothing; once the queue is deleted, the port opens.
TEST_F(Cupsd, ASerialQueueOnThePortRefusesOpenPortUntilItIsDeleted) {
    test::Pty pty;
    ASSERT_TRUE(pty.ok());
    ::setenv("HOLLIN_COM1", pty.slavePath().c_str(), 1);
    add("HollinOther", "socket://192.0.2.7:9100");  // another queue stays, so the listing is never empty
    add("HollinLabel", "serial:" + pty.slavePath() + "?baud=19200");

    VirtualClock clock{100000};
    sim::VirtualPrinter printer{clock, kEscPos, "Alder"};
    test::VirtualSerialPort port{printer, clock, pty.slavePath()};
    test::VirtualUsbFinder usb{printer};
    const PortMap ports = PortMap::system();
    const auto spooler = makeCupsSpooler(server(), 3000);
    test::FakeDesktop desktop;
    test::FakeView view{desktop};
    printer::CHollinDlg dlg(printer::MainWindowDeps{.clock = clock,
                                                    .serialPorts = test::VirtualSerialPort::factoryFor(port),
                                                    .ports = ports,
                                                    .usbFinder = usb,
                                                    .spooler = *spooler});
    view.open(dlg);

    ASSERT_TRUE(view.click(kOpenPort));
    ASSERT_EQ(desktop.messageTexts().size(), 1u);
    EXPECT_NE(desktop.messageTexts()[0].find(
                  "The port(COM1:) is already occupied in windows printer driver(HollinLabel)"),
              std::string::npos)
        << desktop.messageTexts()[0];
    EXPECT_EQ(port.openCount(), 0);
    EXPECT_FALSE(dlg.session().isOpen());

    ASSERT_EQ(queues->remove("HollinLabel").outcome, QueueOutcome::Done);
    desktop.clearMessages();
    ASSERT_TRUE(view.click(kOpenPort));
    EXPECT_TRUE(desktop.messageTexts().empty()) << desktop.messageTexts()[0];
    EXPECT_TRUE(dlg.session().isOpen());
    ::unsetenv("HOLLIN_COM1");
}

// A server stopped (SIGSTOP) takes connections but never answers: the check gives up at its bound and
// lets the port open, silently; the queue tools say the server is down.
TEST_F(Cupsd, AStalledServerIsGivenUpAtTheBound) {
    const pid_t pid = cupsdPid();
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    struct Resume {
        pid_t pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{pid};

    const auto spooler = makeCupsSpooler(server(), 400);
    const auto start = std::chrono::steady_clock::now();
    DriverPortBuffers buffers;
    const DriverPortCheck check = checkDriverPort(*spooler, "COM1", buffers);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(check.conflict, 0);
    EXPECT_FALSE(check.enumPrintersFailed);
    EXPECT_GE(took, std::chrono::milliseconds(400));
    EXPECT_LT(took, std::chrono::milliseconds(2000));

    const auto stalled = makeCupsPrintQueues(server(), 400);
    EXPECT_EQ(stalled->addRaw("HollinStalled", "socket://192.0.2.9:9100").outcome, QueueOutcome::ServerDown);
}

// Adding: a raw queue, enabled and accepting, with its device URI; a name in use is never changed;
// a scheme the server has no backend for is refused with its message; no server is "down".
TEST_F(Cupsd, RawQueuesAreAddedAndANameInUseIsLeftAlone) {
    add("HollinRaw", "socket://192.0.2.10:9100");
    EXPECT_EQ(uriOf("HollinRaw"), "socket://192.0.2.10:9100");
    const QueueChange again = queues->addRaw("HollinRaw", "socket://192.0.2.11:6101");
    EXPECT_EQ(again.outcome, QueueOutcome::NameTaken);
    EXPECT_EQ(uriOf("HollinRaw"), "socket://192.0.2.10:9100");

    const QueueChange bogus = queues->addRaw("HollinBogus", "bogus://192.0.2.10");
    EXPECT_EQ(bogus.outcome, QueueOutcome::Refused);
    EXPECT_NE(bogus.message.find("bogus"), std::string::npos) << bogus.message;
    EXPECT_EQ(uriOf("HollinBogus"), "");

    const auto nowhere = makeCupsPrintQueues("/nonexistent/hollin-test/cups.sock", 500);
    EXPECT_EQ(nowhere->addRaw("HollinNowhere", "socket://192.0.2.10:9100").outcome, QueueOutcome::ServerDown);
    EXPECT_EQ(nowhere->list().outcome, QueueOutcome::ServerDown);
}

// A user who is not an administrator of the server is refused, and nothing is added. (The user is
// changed in a child process, which needs root, as the tests run in CI.)
TEST_F(Cupsd, AUserWhoMayNotAdministerIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing to another user needs root";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(90);
        const auto asNobody = makeCupsPrintQueues(server(), 5000);
        ::_exit(static_cast<int>(asNobody->addRaw("HollinNobody", "socket://192.0.2.12:9100").outcome));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(QueueOutcome::NotAuthorised));
    EXPECT_EQ(uriOf("HollinNobody"), "");
}

}  // namespace
}  // namespace hollin
