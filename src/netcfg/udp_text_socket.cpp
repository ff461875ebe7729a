#include "netcfg/udp_text_socket.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace hollin::netcfg {
namespace {

constexpr std::size_t kReceiveLimit = 69999;
constexpr int kDatagramsPerPump = 256;

}  // namespace

CUdpSock::CUdpSock(UdpNetwork& network, Ipv4 broadcast, Owner& owner,
                   std::function<void(std::string_view)> debug)
    : network_(network),
      broadcast_(broadcast),
      owner_(owner),
      debug_(std::move(debug)),
      destination_(ipv4Text(broadcast)) {}

CUdpSock::~CUdpSock() {
    close();
}

void CUdpSock::debug(std::string_view text) const {
    if (debug_)
        debug_(text);
}

int CUdpSock::create(Mode mode, std::string_view targetMac12) {
    close();
    mode_ = mode;
    targetMac_ = std::string(targetMac12);
    int error = 0;
    socket_ = network_.open(error);
    if (!socket_)
        return error;
    error = socket_->bind({0, kTextPort});
    if (error != 0)
        socket_.reset();
    return error;
}

CUdpSock::SendResult CUdpSock::send(const TextFrame& frame) {
    if (!socket_)
        return {ENOTCONN, "Please create socket first."};
    std::copy_n(frame.begin(), kTextRequestSize, sendBuffer_.begin());
    sendCount_ = kTextRequestSize;
    sentCount_ = 0;
    const int error = socket_->sendTo(std::span(sendBuffer_).first(sendCount_), {broadcast_, kTextPort});
    if (error == EAGAIN || error == EWOULDBLOCK)
        return {};  // the rest is dropped quietly
    if (error != 0) {
        close();
        return {error, "Sever Socket failed to send: " + std::to_string(error)};
    }
    sentCount_ = sendCount_;
    return {};
}

void CUdpSock::pump() {
    if (!socket_)
        return;
    std::vector<std::uint8_t> buffer(kReceiveLimit);
    for (int i = 0; i < kDatagramsPerPump && socket_ && socket_->waitReadable(0) == UdpWait::Readable; ++i) {
        const UdpReceived received = socket_->receiveFrom(buffer);
        if (received.error == EAGAIN || received.error == EWOULDBLOCK)
            return;
        if (received.error != 0) {
            debug("OnReceive error: " + std::to_string(received.error));
            return;
        }
        if (received.size == 0) {
            debug("OnReceive bytes[0]: 0");  // an empty datagram ends nothing
            continue;
        }
        handle(std::span(buffer).first(received.size));
    }
}

void CUdpSock::handle(std::span<const std::uint8_t> datagram) {
    const TextDatagram classified = classifyTextDatagram(datagram);
    switch (classified.kind) {
        case TextDatagramKind::OwnSearch:
            debug("Receive the Search Command[시작].");
            debug("Receive the Search Command[끄읕].");
            return;
        case TextDatagramKind::OwnSave:
            debug("Receive the Save Command[시작].");
            debug("Receive the Save Command[끄읕].");
            return;
        case TextDatagramKind::Ignored:
            return;
        case TextDatagramKind::Answer:
            break;
    }
    if (mode_ == kSearchMode) {
        owner_.onTextAnswer(classified.record);
        return;
    }
    debug("*****Result the Save Command[시작].");
    const bool confirmed = isSaveAnswerFor(datagram, targetMac_);
    debug(confirmed ? "Save Complete-!!!!!" : "Save Failed-?????");
    debug("*****Result the Save Command[끄읕].");
    owner_.onSaveAnswer(confirmed);
}

void CUdpSock::close() {
    if (socket_) {
        onClose();
        socket_.reset();
    }
}

void CUdpSock::onAccept() {
    debug("CUdpAsySk::OnAccept\n");
}

void CUdpSock::onConnect() {
    debug("CUdpSock::OnConnect\n");
}

void CUdpSock::onOutOfBandData() {
    debug("CUdpSock::OnOutOfBandData\n");
}

void CUdpSock::onClose() {
    debug("CUdpSock::OnClose\n");
}

}  // namespace hollin::netcfg
