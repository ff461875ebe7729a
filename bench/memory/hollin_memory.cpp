// hollin-memory: the resident size of `hollin --simulate` beside a bare Qt dialog of the same forms.
//
//   hollin-memory          runs both below, each in a process of its own, and prints the table
//   hollin-memory hollin   the program itself (runHollin with --simulate): the main window shown, then
//                          "Start Wi-Fi Settings" clicked and the Wi-Fi window closed with "Exit"
//   hollin-memory bare     a QDialog with the main window's form (the same uic setup, the same widgets),
//                          shown; then a second QDialog with the Wi-Fi window's form shown and closed
//
// Each prints "shown <KiB> <widgets>" and "after-wifi <KiB> <widgets>" (VmRSS, QApplication::allWidgets).
// Off-screen unless QT_QPA_PLATFORM says otherwise; the program's D-Bus activation file goes to a
// throw-away XDG_DATA_HOME.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gui/form_registry.h"
#include "gui/hollin_main.h"

namespace {

constexpr int kSettleMs = 500;    // how long a window stays shown before it is measured or closed
constexpr int kGiveUpMs = 60000;  // a run that never reaches its end is a failure
constexpr int kMainWindow = 102;
constexpr int kWifiWindow = 103;

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

void report(const char* when) {
    std::printf("%s %ld %lld\n", when, residentKiB(),
                static_cast<long long>(QApplication::allWidgets().size()));
    std::fflush(stdout);
}

// The shown top-level dialog that holds a button named `button` (and, for the Wi-Fi window, is not
// the main window), or null.
QDialog* shownDialogWith(const char* button, const char* without = nullptr) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog != nullptr && dialog->isVisible() &&
            dialog->findChild<QAbstractButton*>(button) != nullptr &&
            (without == nullptr || dialog->findChild<QAbstractButton*>(without) == nullptr))
            return dialog;
    }
    return nullptr;
}

void clickLater(QDialog* dialog, const char* button) {
    QMetaObject::invokeMethod(dialog->findChild<QAbstractButton*>(button), "click", Qt::QueuedConnection);
}

// Walks the program through its steps, one look every 50 ms.
class Script : public QObject {
  public:
    Script() {
        clock_.start();
        connect(&timer_, &QTimer::timeout, this, [this] { step(); });
        timer_.start(50);
    }

  private:
    // True once `condition` has held for kSettleMs in a row.
    bool settled(bool condition) {
        if (!condition) {
            since_ = -1;
            return false;
        }
        if (since_ < 0)
            since_ = clock_.elapsed();
        return clock_.elapsed() - since_ >= kSettleMs;
    }

    void step() {
        if (clock_.elapsed() > kGiveUpMs) {
            std::fprintf(stderr, "hollin-memory: stuck at step %d\n", stage_);
            std::_Exit(1);
        }
        QDialog* main = shownDialogWith("btnStartWiFi");
        QDialog* wifi = shownDialogWith("btnExit", "btnStartWiFi");
        if (stage_ == 0 && settled(main != nullptr && wifi == nullptr)) {
            report("shown");
            clickLater(main, "btnStartWiFi");
            next();
        } else if (stage_ == 1 && settled(wifi != nullptr)) {
            clickLater(wifi, "btnExit");
            next();
        } else if (stage_ == 2 && settled(main != nullptr && wifi == nullptr)) {
            report("after-wifi");
            clickLater(main, "btnExit");
            next();
        }
    }

    void next() {
        ++stage_;
        since_ = -1;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 since_ = -1;
    int stage_ = 0;
};

int runProgram() {
    char tmpl[] = "/tmp/hollin-memory-XXXXXX";
    if (mkdtemp(tmpl) != nullptr)
        setenv("XDG_DATA_HOME", tmpl, 1);
    char name[] = "hollin";
    char simulate[] = "--simulate";
    char* argv[] = {name, simulate, nullptr};
    std::unique_ptr<Script> script;
    const int status = hollin::gui::runHollin(2, argv, [&script] { script = std::make_unique<Script>(); });
    script.reset();
    std::filesystem::remove_all(tmpl);
    return status;
}

// Waits `ms` with the event loop running.
void settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

int runBare(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog main;
    if (!hollin::gui::setupForm(kMainWindow, main))
        return 1;
    main.show();
    settle(kSettleMs);
    report("shown");
    {
        QDialog wifi;
        if (!hollin::gui::setupForm(kWifiWindow, wifi))
            return 1;
        wifi.show();
        settle(kSettleMs);
        wifi.close();
    }
    settle(kSettleMs);
    report("after-wifi");
    return 0;
}

struct Figures {
    long shown = -1, afterWifi = -1;
    long long shownWidgets = -1, afterWidgets = -1;
};

Figures measure(const char* self, const char* mode) {
    Figures f;
    const std::string command = std::string("'") + self + "' " + mode + " 2>/dev/null";
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr)
        return f;
    char when[32];
    long kib = 0;
    long long widgets = 0;
    while (std::fscanf(out, "%31s %ld %lld", when, &kib, &widgets) == 3) {
        if (std::strcmp(when, "shown") == 0) {
            f.shown = kib;
            f.shownWidgets = widgets;
        } else if (std::strcmp(when, "after-wifi") == 0) {
            f.afterWifi = kib;
            f.afterWidgets = widgets;
        }
    }
    pclose(out);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc > 1 && std::strcmp(argv[1], "hollin") == 0)
        return runProgram();
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0)
        return runBare(argc, argv);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const Figures hollin = measure(self.c_str(), "hollin");
    const Figures bare = measure(self.c_str(), "bare");
    if (hollin.shown < 0 || hollin.afterWifi < 0 || bare.shown < 0 || bare.afterWifi < 0) {
        std::fprintf(stderr, "hollin-memory: a run gave no figures\n");
        return 1;
    }
    std::printf("%-34s %10s %10s %8s\n", "resident size (KiB)", "hollin", "bare Qt", "ratio");
    std::printf("%-34s %10ld %10ld %8.2f\n", "main window shown", hollin.shown, bare.shown,
                static_cast<double>(hollin.shown) / static_cast<double>(bare.shown));
    std::printf("%-34s %10ld %10ld %8.2f\n", "after the Wi-Fi window closed", hollin.afterWifi,
                bare.afterWifi, static_cast<double>(hollin.afterWifi) / static_cast<double>(bare.afterWifi));
    std::printf("%-34s %10lld %10lld\n", "widgets, main window shown", hollin.shownWidgets,
                bare.shownWidgets);
    std::printf("%-34s %10lld %10lld\n", "widgets, after the Wi-Fi window", hollin.afterWidgets,
                bare.afterWidgets);
    return 0;
}
