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

QString AutomationRegistration::classId() const {
    return qs(app::kAutomationClassId);
}
QString AutomationRegistration::programId() const {
    return qs(app::kAutomationProgramId);
}
QString AutomationRegistration::interfaceId() const {
    return qs(app::kAutomationInterfaceId);
}

namespace {

QString defaultServicesDir() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/dbus-1/services");
}

}  // namespace

LinuxStartupServices::LinuxStartupServices() : LinuxStartupServices(Options{}) {}

LinuxStartupServices::LinuxStartupServices(Options options) : options_(std::move(options)) {
    if (options_.programPath.isEmpty())
        options_.programPath = QCoreApplication::applicationFilePath();
    if (options_.dbusServicesDir.isEmpty())
        options_.dbusServicesDir = defaultServicesDir();
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
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == text)
        return;  // already up to date
    current.close();
    if (!QDir().mkpath(options_.dbusServicesDir))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(text);
    file.commit();  // a failure leaves the old file and says nothing, as the registry refresh does
}

void LinuxStartupServices::registerAutomationClassObjects() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!registration_)
        registration_ = std::make_unique<AutomationRegistration>();
    if (!bus.registerObject(QString::fromLatin1(kAutomationObjectPath), registration_.get(),
                            QDBusConnection::ExportAllProperties))
        return;
    if (!bus.registerService(qs(app::kAutomationServiceName))) {
        bus.unregisterObject(QString::fromLatin1(kAutomationObjectPath));
        return;
    }
    registered_ = true;
}

}  // namespace hollin::gui
