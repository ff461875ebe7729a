#include "platform/memory_network.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace hollin {
namespace {

std::uint64_t nextBindOrder() {
    static std::uint64_t order = 0;
    return ++order;
}

// At most this many datagrams wait on one socket; further ones are lost, as a full buffer loses them.
constexpr std::size_t kQueueLimit = 4096;

}  // namespace

MemoryNetwork::MemoryNetwork(Clock& clock, std::uint32_t latencyMs) : clock_(clock), latencyMs_(latencyMs) {}

MemoryNetwork::~MemoryNetwork() = default;

std::unique_ptr<UdpSocket> MemoryNetwork::open(int& error) {
    return openOn(kDefaultHost, error);
}

std::unique_ptr<UdpSocket> MemoryNetwork::openOn(Ipv4 host, int& error) {
    if (openError_ != 0) {
        error = openError_;
        return nullptr;
    }
    error = 0;
    return std::make_unique<MemorySocket>(*this, host);
}

void MemoryNetwork::addService(NetworkService& service) {
    services_.push_back(&service);
}

void MemoryNetwork::removeService(NetworkService& service) {
    std::erase(services_, &service);
}

void MemoryNetwork::failSend(std::size_t nth, int error) {
    failSendCountdown_ = nth;
    failSendError_ = error;
}

bool MemoryNetwork::isBroadcast(Ipv4 address) const {
    // The limited broadcast and the loopback network's broadcast address.
    return address == 0xFFFFFFFFu || address == ipv4(127, 255, 255, 255);
}

int MemoryNetwork::send(MemorySocket& from, std::span<const std::uint8_t> bytes, UdpEndpoint to) {
    if (failSendCountdown_ > 0 && --failSendCountdown_ == 0)
        return failSendError_;
    const UdpEndpoint source{from.bound_ && from.bound_->address != 0 ? from.bound_->address : from.host_,
                             from.bound_ ? from.bound_->port : std::uint16_t{0}};
    std::vector<MemorySocket*> receivers;
    if (isBroadcast(to.address)) {
        for (MemorySocket* socket : sockets_) {
            if (socket->bound_ && socket->bound_->address == 0 && socket->bound_->port == to.port)
                receivers.push_back(socket);
        }
    } else {
        MemorySocket* exact = nullptr;
        MemorySocket* wildcard = nullptr;
        for (MemorySocket* socket : sockets_) {
            if (!socket->bound_ || socket->bound_->port != to.port)
                continue;
            if (socket->bound_->address == to.address &&
                (exact == nullptr || socket->bindOrder_ > exact->bindOrder_))
                exact = socket;
            if (socket->bound_->address == 0 &&
                (wildcard == nullptr || socket->bindOrder_ > wildcard->bindOrder_))
                wildcard = socket;
        }
        if (exact != nullptr)
            receivers.push_back(exact);
        else if (wildcard != nullptr)
            receivers.push_back(wildcard);
    }
    const std::uint32_t now = clock_.tickMs();
    for (MemorySocket* socket : receivers) {
        if (socket->queue_.size() < kQueueLimit)
            socket->queue_.push_back({now + latencyMs_, source, {bytes.begin(), bytes.end()}});
    }
    log_.push_back({now, source, to, {bytes.begin(), bytes.end()}, receivers.size()});
    return 0;
}

void MemoryNetwork::runServices() {
    if (servicing_)
        return;  // a service that waits on its own socket does not run the others again
    servicing_ = true;
    const std::vector<NetworkService*> services = services_;
    for (NetworkService* service : services)
        service->service();
    servicing_ = false;
}

std::optional<std::uint32_t> MemoryNetwork::nextEventMs() const {
    const std::uint32_t now = clock_.tickMs();
    std::optional<std::uint32_t> soonest;  // as milliseconds from now
    const auto consider = [&](std::uint32_t atMs) {
        const std::uint32_t ahead = elapsedMs(now, atMs);
        if (ahead == 0 || ahead > 0x7FFFFFFFu)
            return;  // due already, or in the past
        if (!soonest || ahead < *soonest)
            soonest = ahead;
    };
    for (const MemorySocket* socket : sockets_) {
        for (const auto& queued : socket->queue_)
            consider(queued.readyAtMs);
    }
    for (const NetworkService* service : services_) {
        if (const auto due = service->nextDueMs())
            consider(*due);
    }
    return soonest;
}

bool MemoryNetwork::waitUntil(const std::function<bool()>& ready, std::uint32_t timeoutMs) {
    const std::uint32_t start = clock_.tickMs();
    for (;;) {
        runServices();
        if (ready())
            return true;
        const std::uint32_t spent = elapsedMs(start, clock_.tickMs());
        if (spent >= timeoutMs)
            return false;
        const std::uint32_t left = timeoutMs - spent;
        const auto next = servicing_ ? std::nullopt : nextEventMs();
        clock_.sleepMs(next && *next < left ? *next : left);
    }
}

int MemoryNetwork::waitAny(std::span<UdpSocket* const> sockets, std::uint32_t timeoutMs) {
    int found = -1;
    waitUntil(
        [&] {
            for (std::size_t i = 0; i < sockets.size(); ++i) {
                if (static_cast<MemorySocket*>(sockets[i])->hasReady()) {
                    found = static_cast<int>(i);
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

MemorySocket::MemorySocket(MemoryNetwork& network, Ipv4 host) : network_(network), host_(host) {
    network_.sockets_.push_back(this);
}

MemorySocket::~MemorySocket() {
    std::erase(network_.sockets_, this);
}

int MemorySocket::bind(UdpEndpoint local) {
    if (bound_)
        return EINVAL;
    bound_ = local;
    bindOrder_ = nextBindOrder();
    return 0;
}

int MemorySocket::sendTo(std::span<const std::uint8_t> bytes, UdpEndpoint to) {
    return network_.send(*this, bytes, to);
}

bool MemorySocket::hasReady() const {
    const std::uint32_t now = network_.clock_.tickMs();
    return !queue_.empty() && elapsedMs(queue_.front().readyAtMs, now) <= 0x7FFFFFFFu;
}

UdpWait MemorySocket::waitReadable(std::uint32_t timeoutMs) {
    return network_.waitUntil([this] { return hasReady(); }, timeoutMs) ? UdpWait::Readable
                                                                        : UdpWait::TimedOut;
}

UdpReceived MemorySocket::receiveFrom(std::span<std::uint8_t> buffer) {
    UdpReceived received;
    if (!hasReady()) {
        received.error = EAGAIN;
        return received;
    }
    Queued datagram = std::move(queue_.front());
    queue_.pop_front();
    received.size = std::min(buffer.size(), datagram.bytes.size());
    if (received.size > 0)
        std::memcpy(buffer.data(), datagram.bytes.data(), received.size);
    received.from = datagram.from;
    return received;
}

}  // namespace hollin
