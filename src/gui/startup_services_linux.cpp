#include "gui/startup_services_linux.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "app/automation_ids.h"
#include "gui/qt_text.h"

namespace hollin::gui {

AutomationRegistration::AutomationRegistration(QObject* parent) : QObject(parent) {
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &AutomationRegistration::clientLeft);
}

// The proxies go first: each releases its hold on the application.
AutomationRegistration::~AutomationRegistration() {
    proxies_.clear();
}

QString AutomationRegistration::classId() const {
    return qs(app::kAutomationClassId);
}
QString AutomationRegistration::programId() const {
    return qs(app::kAutomationProgramId);
}
QString AutomationRegistration::interfaceId() const {
    return qs(app::kAutomationInterfaceId);
}

QStringList AutomationRegistration::clients() const {
    QStringList names;
    for (const auto& [name, proxy] : proxies_)
        names.append(name);
    return names;
}

void AutomationRegistration::Attach() {
    if (!calledFromDBus())
        return;
    const QString client = message().service();
    if (app_ == nullptr || client.isEmpty()) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("Hollin does not take automation clients now"));
        return;
    }
    if (proxies_.count(client) != 0)
        return;  // one proxy per client
    watcher_.setConnection(connection());
    watcher_.addWatchedService(client);
    // A client that left between its call and the watch would never be seen leaving: ask the bus,
    // which answers only after it has taken the watch.
    QDBusConnectionInterface* bus = connection().interface();
    if (bus == nullptr || !bus->isServiceRegistered(client).value()) {
        watcher_.removeWatchedService(client);
        return;
    }
    proxies_.emplace(client, std::make_unique<app::CHollinDlgAutoProxy>(*app_));
}

void AutomationRegistration::Detach() {
    if (calledFromDBus())
        clientLeft(message().service());
}

void AutomationRegistration::clientLeft(const QString& client) {
    watcher_.removeWatchedService(client);
    // Destroying the proxy may close a hidden main window, which ends the program's modal run.
    proxies_.erase(client);
}

namespace {

QString defaultServicesDir() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/dbus-1/services");
}

QStringList defaultSystemServicesDirs() {
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList dirs;
    for (const QString& dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs.append(dir + QStringLiteral("/dbus-1/services"));
    return dirs;
}

// Whether `path` holds exactly `text`.
bool fileHolds(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == text;
}

}  // namespace

LinuxStartupServices::LinuxStartupServices() : LinuxStartupServices(Options{}) {}

LinuxStartupServices::LinuxStartupServices(Options options) : options_(std::move(options)) {
    if (options_.programPath.isEmpty())
        options_.programPath = QCoreApplication::applicationFilePath();
    if (options_.dbusServicesDir.isEmpty())
        options_.dbusServicesDir = defaultServicesDir();
    if (options_.systemServicesDirs.isEmpty())
        options_.systemServicesDirs = defaultSystemServicesDirs();
    if (options_.failStep.isEmpty())
        options_.failStep = qEnvironmentVariable("HOLLIN_FAIL_STARTUP");
}

LinuxStartupServices::~LinuxStartupServices() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(kAutomationObjectPath));
        bus.unregisterService(qs(app::kAutomationServiceName));
    }
}

bool LinuxStartupServices::initComponentLayer() {
    // Linux has no component runtime to initialise.
    return options_.failStep != QStringLiteral("ole");
}

bool LinuxStartupServices::initSockets() {
    if (options_.failStep == QStringLiteral("sockets"))
        return false;
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void LinuxStartupServices::enableControlLook() {
    QApplication::setStyle(QStringLiteral("Fusion"));
}

QString LinuxStartupServices::activationFilePath() const {
    return options_.dbusServicesDir + QLatin1Char('/') + qs(app::kAutomationServiceName) +
           QStringLiteral(".service");
}

QString LinuxStartupServices::activationFileText(const QString& programPath) {
    // The path goes unquoted unless it needs quotes (dbus-daemon splits Exec like a shell).
    QString exec = programPath;
    if (exec.contains(QLatin1Char(' ')) || exec.contains(QLatin1Char('"')))
        exec = QLatin1Char('"') + QString(exec).replace(QLatin1Char('"'), QStringLiteral("\\\"")) +
               QLatin1Char('"');
    return QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 -Automation\n")
        .arg(qs(app::kAutomationServiceName), exec);
}

void LinuxStartupServices::refreshAutomationRegistration() {
    const QString path = activationFilePath();
    const QByteArray text = activationFileText(options_.programPath).toUtf8();
    if (fileHolds(path, text))
        return;  // already up to date
    // The installed program: its package put the same file in the system's folder. A user's file
    // naming another program (a build tree's) would win over it, so that one is still brought up to date.
    const QString name = qs(app::kAutomationServiceName) + QStringLiteral(".service");
    for (const QString& dir : options_.systemServicesDirs) {
        if (!QFile::exists(path) && fileHolds(dir + QLatin1Char('/') + name, text))
            return;
    }
    if (!QDir().mkpath(options_.dbusServicesDir))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(text);
    file.commit();  // a failure leaves the old file and says nothing, as the registry refresh does
}

void LinuxStartupServices::setApplication(app::HollinApp& app) {
    app_ = &app;
    if (registration_)
        registration_->setApplication(app_);
}

void LinuxStartupServices::registerAutomationClassObjects() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!registration_)
        registration_ = std::make_unique<AutomationRegistration>();
    registration_->setApplication(app_);
    if (!bus.registerObject(QString::fromLatin1(kAutomationObjectPath), registration_.get(),
                            QDBusConnection::ExportAllProperties | QDBusConnection::ExportScriptableSlots))
        return;
    if (!bus.registerService(qs(app::kAutomationServiceName))) {
        bus.unregisterObject(QString::fromLatin1(kAutomationObjectPath));
        return;
    }
    registered_ = true;
}

}  // namespace hollin::gui
