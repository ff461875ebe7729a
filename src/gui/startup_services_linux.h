#pragma once

#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "app/hollin_app.h"
#include "app/hollin_dlg_auto_proxy.h"

namespace hollin::gui {

// The automation registration on the session bus: object /Hollin/Application, interface
// "Hollin.Application", with the class, program and interface ids as read-only properties, and the
// methods through which clients hold the program:
//  - Attach(): the calling client (its unique bus name) gets an automation proxy, which keeps the
//    program alive and makes Exit, Esc and the close box hide the main window. A second Attach from a
//    client that already holds a proxy changes nothing (one proxy per client, no count).
//  - Detach(): the caller's proxy goes; from a client without one it does nothing.
// A client that leaves the bus loses its proxy as if it had called Detach. When the last proxy goes
// while the main window is hidden, the window closes and the program ends. Without an application
// (see setApplication) Attach answers org.freedesktop.DBus.Error.Failed.
class AutomationRegistration : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Hollin.Application")
    Q_PROPERTY(QString ClassId READ classId CONSTANT)
    Q_PROPERTY(QString ProgramId READ programId CONSTANT)
    Q_PROPERTY(QString InterfaceId READ interfaceId CONSTANT)

  public:
    explicit AutomationRegistration(QObject* parent = nullptr);
    ~AutomationRegistration() override;
    QString classId() const;
    QString programId() const;
    QString interfaceId() const;

    // The application whose main window the clients' proxies hold.
    void setApplication(app::HollinApp* app) { app_ = app; }
    // The unique bus names of the clients holding a proxy.
    QStringList clients() const;

  public slots:
    Q_SCRIPTABLE void Attach();
    Q_SCRIPTABLE void Detach();

  private:
    void clientLeft(const QString& client);

    app::HollinApp* app_ = nullptr;
    QDBusServiceWatcher watcher_;
    std::map<QString, std::unique_ptr<app::CHollinDlgAutoProxy>> proxies_;
};

inline constexpr char kAutomationObjectPath[] = "/Hollin/Application";

// The start-up's operating-system side on Linux:
//  - component layer: nothing to bring up on Linux, always succeeds;
//  - sockets layer: a UDP socket is created and closed again, which fails when the process may not
//    use sockets at all;
//  - control look: the Fusion style;
//  - automation: an ordinary start writes the session bus's activation file for "Hollin.Application"
//    (Exec = this program with -Automation), unless the user has none and a system data folder
//    already holds the same file (the installed package's); an automation start owns that name on the
//    session bus
//    and publishes the registration object (see AutomationRegistration). Failures there stay silent.
// HOLLIN_FAIL_STARTUP=ole or =sockets makes that step fail, to try the failure paths by hand.
class LinuxStartupServices : public app::StartupServices {
  public:
    struct Options {
        QString programPath;      // empty: this executable
        QString dbusServicesDir;  // empty: $XDG_DATA_HOME (or ~/.local/share) + /dbus-1/services
        // The system's services folders; empty: each of $XDG_DATA_DIRS (or /usr/local/share:/usr/share)
        // + /dbus-1/services.
        QStringList systemServicesDirs;
        QString failStep;  // empty: $HOLLIN_FAIL_STARTUP
    };
    LinuxStartupServices();
    explicit LinuxStartupServices(Options options);
    ~LinuxStartupServices() override;

    bool initComponentLayer() override;
    bool initSockets() override;
    void enableControlLook() override;
    void refreshAutomationRegistration() override;
    void registerAutomationClassObjects() override;

    // The application that automation clients attach to; set before initInstance runs.
    void setApplication(app::HollinApp& app);
    // The registration object while the program is registered on the bus, else null.
    AutomationRegistration* registration() const { return registered_ ? registration_.get() : nullptr; }

    // The activation file that refreshAutomationRegistration() writes.
    QString activationFilePath() const;
    static QString activationFileText(const QString& programPath);
    bool automationRegistered() const { return registered_; }

  private:
    Options options_;
    app::HollinApp* app_ = nullptr;
    std::unique_ptr<AutomationRegistration> registration_;
    bool registered_ = false;
};

}  // namespace hollin::gui
