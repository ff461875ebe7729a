// hollin-automation-client: an automation client of Hollin in a process of its own, for the tests.
//
// It connects to the session bus and reads method names of the "Hollin.Application" interface, one
// a line, from standard input. Each is called on /Hollin/Application of "Hollin.Application" and
// answered on standard output by one line: "<method> ok" or "<method> error <D-Bus error name>".
// The bus connection lives until standard input closes; then the client leaves without a word.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr int kCallTimeoutMs = 20000;

std::string call(QDBusConnection& bus, const std::string& method) {
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("Hollin.Application"), QStringLiteral("/Hollin/Application"),
        QStringLiteral("Hollin.Application"), QString::fromStdString(method));
    const QDBusMessage reply = bus.call(request, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return method + " ok";
    return method + " error " + reply.errorName().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "hollin-automation-client: no session bus\n");
        return 2;
    }
    std::string method;
    while (std::getline(std::cin, method)) {
        if (method.empty())
            continue;
        std::printf("%s\n", call(bus, method).c_str());
        std::fflush(stdout);
    }
    return 0;
}
