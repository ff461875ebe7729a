#include "link/print_queues.h"

#include <charconv>

namespace hollin {

std::string socketDeviceUri(const std::string& ip, std::uint16_t port) {
    return "socket://" + ip + ":" + std::to_string(port);
}

std::optional<SocketTarget> socketTargetOf(std::string_view deviceUri) {
    constexpr std::string_view kScheme = "socket://";
    constexpr std::uint16_t kRawPort = 9100;
    if (!deviceUri.starts_with(kScheme))
        return std::nullopt;
    std::string_view rest = deviceUri.substr(kScheme.size());
    rest = rest.substr(0, rest.find_first_of("/?"));
    const std::size_t colon = rest.find(':');
    SocketTarget target{std::string(rest.substr(0, colon)), kRawPort};
    if (colon != std::string_view::npos) {
        const std::string_view digits = rest.substr(colon + 1);
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc{} || end != digits.data() + digits.size() || value > 65535)
            return std::nullopt;
        target.port = static_cast<std::uint16_t>(value);
    }
    if (target.ip.empty())
        return std::nullopt;
    return target;
}

std::optional<std::string> queueNameProblem(std::string_view name) {
    constexpr std::size_t kLongest = 127;
    if (name.empty() || name.size() > kLongest)
        return "a queue name has 1 to 127 characters";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 0x7F || c == '/' || c == '\\' || c == '#' || c == '?' || c == '\'' || c == '"')
            return "a queue name has no spaces, control characters or any of / \\ # ? ' \"";
    }
    return std::nullopt;
}

std::string queueOutcomeText(QueueOutcome outcome, std::string_view queue, std::string_view detail) {
    const std::string name(queue);
    switch (outcome) {
        case QueueOutcome::Done:
            return {};
        case QueueOutcome::ServerDown:
            return "the print server (CUPS) is not running or does not answer";
        case QueueOutcome::NotAuthorised:
            return "the print server refused: this user may not manage print queues (a member of the lpadmin "
                   "group may)";
        case QueueOutcome::NameTaken:
            return "a print queue named " + name +
                   " exists already; it is left as it is (--name gives another)";
        case QueueOutcome::Refused:
            break;
    }
    return "the print server refused the queue " + name + (detail.empty() ? "" : ": " + std::string(detail));
}

}  // namespace hollin
