#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/hollin_app.h"

namespace hollin::gui {

// The automation registration on the session bus: the class, program and interface ids as
// read-only properties of object /Hollin/Application, interface "Hollin.Application".
class AutomationRegistration : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Hollin.Application")
    Q_PROPERTY(QString ClassId READ classId CONSTANT)
    Q_PROPERTY(QString ProgramId READ programId CONSTANT)
    Q_PROPERTY(QString InterfaceId READ interfaceId CONSTANT)

  public:
    using QObject::QObject;
    QString classId() const;
    QString programId() const;
    QString interfaceId() const;
};

inline constexpr char kAutomationObjectPath[] = "/Hollin/Application";

// The start-up's operating-system side on Linux:
//  - component layer: nothing to bring up on Linux, always succeeds;
//  - sockets layer: a UDP socket is created and closed again, which fails when the process may not
//    use sockets at all;
//  - control look: the Fusion style;
//  - automation: an ordinary start writes the session bus's activation file for "Hollin.Application"
//    (Exec = this program with -Automation); an automation start owns that name on the session bus
//    and publishes the registration object. Failures there stay silent.
// HOLLIN_FAIL_STARTUP=ole or =sockets makes that step fail, to try the failure paths by hand.
class LinuxStartupServices : public app::StartupServices {
  public:
    struct Options {
        QString programPath;      // empty: this executable
        QString dbusServicesDir;  // empty: $XDG_DATA_HOME (or ~/.local/share) + /dbus-1/services
        QString failStep;         // empty: $HOLLIN_FAIL_STARTUP
    };
    LinuxStartupServices();
    explicit LinuxStartupServices(Options options);
    ~LinuxStartupServices() override;

    bool initComponentLayer() override;
    bool initSockets() override;
    void enableControlLook() override;
    void refreshAutomationRegistration() override;
    void registerAutomationClassObjects() override;

    // The activation file that refreshAutomationRegistration() writes.
    QString activationFilePath() const;
    static QString activationFileText(const QString& programPath);
    bool automationRegistered() const { return registered_; }

  private:
    Options options_;
    std::unique_ptr<AutomationRegistration> registration_;
    bool registered_ = false;
};

}  // namespace hollin::gui
