// Automation clients over a private session bus (ctest runs this under dbus-run-session): the
// application with its Linux start-up services and the Qt host in this process, each client in a
// process of its own (hollin-automation-client).
#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/hollin_app.h"
#include "gui/qt_desktop.h"
#include "gui/qt_dialog_view.h"
#include "gui/startup_services_linux.h"
#include "support/main_window_fakes.h"

namespace hollin {
namespace {

constexpr int kAnswerTimeoutMs = 10000;
// Longest a test lets the main window's modal run go on; then it ends the run itself.
constexpr int kRunLimitMs = 30000;
// The program ends this soon after its last client leaves the bus while the window is hidden.
constexpr qint64 kEndAfterLastClientMs = 2000;

// A client process on the session bus; it stays connected until leave().
class Client {
  public:
    void start() { process_.start(QStringLiteral(HOLLIN_AUTOMATION_CLIENT), {}); }

    ~Client() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(kAnswerTimeoutMs))
            process_.kill();
    }

    // Calls `method` from the client; the client's answer line, e.g. "Attach ok".
    QString ask(const char* method) {
        process_.write(QByteArray(method) + '\n');
        const QDeadlineTimer deadline(kAnswerTimeoutMs);
        while (!process_.canReadLine() && process_.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(5);  // the bus calls to this process are served meanwhile
        if (!process_.canReadLine())
            return QStringLiteral("no answer: ") + QString::fromUtf8(process_.readAllStandardError());
        return QString::fromUtf8(process_.readLine()).trimmed();
    }

    // Closes the client's standard input: it leaves the bus without detaching.
    void leave() { process_.closeWriteChannel(); }
    // True once the client has ended by itself, without an error.
    bool endedCleanly() {
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(kAnswerTimeoutMs))
            return false;
        return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

  private:
    QProcess process_;
};

void clickExit(QWidget* dialog) {
    for (auto* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->property(gui::kControlIdProperty).toInt() == ui::IDOK) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    QFAIL("the main window has no Exit button");
}

// Runs `script` inside the main window's modal run of `application`; the run ends by itself or after
// kRunLimitMs at the latest.
void runWithMainWindow(app::HollinApp& application, gui::LinuxStartupServices& services,
                       const std::function<void()>& script) {
    gui::QtDesktop desktop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&application] {
        if (printer::CHollinDlg* window = application.mainWindow(); window != nullptr && window->attached())
            window->view().endDialog(ui::kResultCancel);
    });
    limit.start(kRunLimitMs);
    QTimer::singleShot(0, &limit, script);
    application.initInstance({"-Automation"}, services, desktop);
}

gui::LinuxStartupServices::Options servicesIn(const QTemporaryDir& home) {
    gui::LinuxStartupServices::Options options;
    options.dbusServicesDir = home.path();
    options.failStep = QStringLiteral("none");
    return options;
}

class AutomationTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run under dbus-run-session");
        // As in main: hiding the last window must not end anything.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void exitHidesWhileAClientIsAttached_AndTheProgramEndsWhenTheClientLeaves() {
        QTemporaryDir home;
        test::MainWindowFakes fakes;
        app::HollinApp application(fakes.deps());
        gui::LinuxStartupServices services(servicesIn(home));
        services.setApplication(application);
        Client client;
        QElapsedTimer sinceLeft;
        bool scriptDone = false;

        runWithMainWindow(application, services, [&] {
            QVERIFY(services.registration() != nullptr);  // owns Hollin.Application
            auto* view = dynamic_cast<gui::QtDialogView*>(&application.mainWindow()->view());
            QVERIFY(view != nullptr);
            QWidget* dialog = view->dialog();
            QVERIFY(dialog->isVisible());
            client.start();

            QCOMPARE(client.ask("Attach"), QStringLiteral("Attach ok"));
            QCOMPARE(client.ask("Attach"), QStringLiteral("Attach ok"));
            QCOMPARE(application.lockCount(), 1);  // one proxy per client
            QCOMPARE(client.ask("Detach"), QStringLiteral("Detach ok"));
            QCOMPARE(application.lockCount(), 0);
            QVERIFY(dialog->isVisible() && !view->ended());  // a shown window stays for the operator
            QCOMPARE(client.ask("Detach"), QStringLiteral("Detach ok"));  // nothing held: no change
            QCOMPARE(application.lockCount(), 0);

            QCOMPARE(client.ask("Attach"), QStringLiteral("Attach ok"));
            clickExit(dialog);
            QVERIFY(!dialog->isVisible());
            QVERIFY(!view->ended());
            // The hidden window's modal run goes on and still serves the bus.
            QCOMPARE(client.ask("Attach"), QStringLiteral("Attach ok"));
            QCOMPARE(services.registration()->clients().size(), 1);

            sinceLeft.start();
            client.leave();
            scriptDone = true;
        });

        QVERIFY(scriptDone);
        const qint64 ended = sinceLeft.elapsed();
        qInfo("the modal run ended %lld ms after the last client left", static_cast<long long>(ended));
        QVERIFY2(ended < kEndAfterLastClientMs, qPrintable(QStringLiteral("ended after %1 ms").arg(ended)));
        QCOMPARE(application.lockCount(), 0);
        QVERIFY(client.endedCleanly());
    }

    void attachWithoutAnApplicationIsRefused() {
        QTemporaryDir home;
        gui::LinuxStartupServices services(servicesIn(home));
        services.registerAutomationClassObjects();
        QVERIFY(services.registration() != nullptr);
        Client client;
        client.start();
        QCOMPARE(client.ask("Attach"), QStringLiteral("Attach error org.freedesktop.DBus.Error.Failed"));
        QCOMPARE(services.registration()->clients().size(), 0);
    }
};

}  // namespace
}  // namespace hollin

QTEST_MAIN(hollin::AutomationTest)
#include "automation_test.moc"
