#include "netprinters/network_printers.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "common/hex.h"
#include "netcfg/text_frame.h"
#include "netcfg/write_checks.h"
#include "netprinters/network_form.h"

namespace hollin::wifi {

using netcfg::CUdpSock;
using netcfg::DeviceRecord;

namespace {

constexpr std::uint32_t kReadEveryMs = 50;

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// A text-frame socket of `mode` with its request sent; nothing, and `failure` set, when it could not.
std::unique_ptr<CUdpSock> openAndSend(const netcfg::NetworkContext& context, CUdpSock::Owner& owner,
                                      CUdpSock::Mode mode, std::string_view mac12,
                                      const netcfg::TextFrame& frame,
                                      std::optional<TextSocketFailure>& failure) {
    if (!context.broadcast.address) {
        failure = TextSocketFailure{TextSocketFailure::NetworkOff, 0,
                                    "The network functions are off: " + context.broadcast.error};
        return nullptr;
    }
    auto socket =
        std::make_unique<CUdpSock>(context.network, *context.broadcast.address, owner, context.debug);
    if (const int error = socket->create(mode, mac12); error != 0) {
        failure = TextSocketFailure{
            TextSocketFailure::Create, error,
            "Fail to create UDP socket: GetLastError=" + std::to_string(error) + "\n Close and restart app."};
        return nullptr;
    }
    const CUdpSock::SendResult sent = socket->send(frame);
    if (sent.error != 0) {
        failure = TextSocketFailure{TextSocketFailure::Send, sent.error, sent.message};
        return nullptr;
    }
    return socket;
}

}  // namespace

std::string_view protocolName(NetworkProtocol protocol) {
    return protocol == NetworkProtocol::Binary ? "binary" : "text";
}

std::string NetworkPrinter::mac12() const {
    if (const DeviceRecord* r = binary())
        return toHex(std::span(r->mac));
    return upper(text()->raw(field::kMacAddress));
}

std::string NetworkPrinter::macText() const {
    if (const DeviceRecord* r = binary())
        return macListText(r->mac);
    // The record's twelve characters as they are, in pairs.
    const std::string_view mac = text()->raw(field::kMacAddress);
    std::string shown;
    for (std::size_t i = 0; i < mac.size(); i += 2)
        shown += std::string(i == 0 ? "" : ":") + std::string(mac.substr(i, 2));
    return shown;
}

// --- search

NetworkSearch::~NetworkSearch() {
    close();
}

void NetworkSearch::close() {
    if (text_)
        text_->close();
    text_.reset();
}

const NetworkSearchResult& NetworkSearch::run(int kind, Ipv4 directed) {
    close();
    result_ = {};
    news_.clear();
    const bool textWanted = context_.broadcast.address || kind != netcfg::kDirected;
    if (textWanted) {
        text_ = openAndSend(context_, *this, CUdpSock::kSearchMode, {}, netcfg::buildSearchFrame(),
                            result_.textFailure);
        if (!text_)
            return result_;
    }
    const netcfg::SearchResult binary = netcfg::searchDevices(context_, kind, directed);
    result_.error = binary.error;
    std::vector<DeviceRecord> records = binary.records;
    std::stable_sort(records.begin(), records.end(),
                     [](const DeviceRecord& a, const DeviceRecord& b) { return a.mac < b.mac; });
    for (DeviceRecord& record : records) {
        if (result_.printers.size() >= maxPrinters_)
            break;
        result_.printers.push_back({std::move(record)});
    }
    poll();  // the text answers that came while the binary search ran come after the binary printers
    return result_;
}

void NetworkSearch::onTextAnswer(const netcfg::TextRecord& bytes) {
    const auto record = WifiSettingsRecord::fromBytes(bytes);
    if (!record)
        return;
    NetworkPrinter answer{*record};
    const std::string mac = answer.mac12();
    const auto known = std::find_if(result_.printers.begin(), result_.printers.end(),
                                    [&](const NetworkPrinter& p) { return p.mac12() == mac; });
    if (known != result_.printers.end()) {
        if (known->protocol() == NetworkProtocol::Binary)
            return;  // listed once, with the protocol that answered first
        known->record = *record;
    } else if (result_.printers.size() >= maxPrinters_) {
        return;
    } else {
        result_.printers.push_back(answer);
    }
    news_.push_back(std::move(answer));
}

std::vector<NetworkPrinter> NetworkSearch::poll() {
    if (text_)
        text_->pump();
    return std::exchange(news_, {});
}

NetworkSearchResult searchNetworkPrinters(netcfg::NetworkContext& context, int kind, Ipv4 directed,
                                          std::uint32_t textWaitMs, std::string_view stopAtMac12,
                                          std::size_t maxPrinters) {
    NetworkSearch search(context, maxPrinters);
    search.run(kind, directed);
    const auto done = [&] { return !stopAtMac12.empty() && findPrinter(search.result(), stopAtMac12); };
    for (std::uint32_t waited = 0; search.listening() && !done() && waited < textWaitMs;
         waited += kReadEveryMs) {
        context.clock.sleepMs(kReadEveryMs);
        search.poll();
    }
    return search.result();
}

const NetworkPrinter* findPrinter(const NetworkSearchResult& result, std::string_view mac12) {
    for (const NetworkPrinter& printer : result.printers)
        if (printer.mac12() == mac12)
            return &printer;
    return nullptr;
}

// --- save

NetworkSave::~NetworkSave() {
    close();
}

void NetworkSave::close() {
    if (text_)
        text_->close();
    text_.reset();
}

NetworkSaveResult NetworkSave::start(int kind, NetworkPrinter& printer, const RecordForm& form) {
    close();
    acknowledged_ = false;
    textFailure_.reset();
    if (DeviceRecord* entry = printer.binary())
        return saveBinaryPrinter(context_, kind, *entry, form, entry->password);
    const WifiSettingsRecord& entry = *printer.text();
    NetworkSaveResult prepared = prepareTextSave(entry, form, sent_);
    if (prepared.outcome != NetworkSaveResult::Saved)
        return prepared;
    if (context_.debug) {
        const char mode = sent_.digit(field::kMode);
        context_.debug(mode == '0' ? "*****Ad-hoc" : mode == '1' ? "*****Infrastructure" : "Unknown Setting");
        context_.debug(form.dhcp ? "DHCP YES" : "DHCP NO");
    }
    netcfg::TextRecord bytes{};
    std::copy(sent_.bytes().begin(), sent_.bytes().end(), bytes.begin());
    text_ = openAndSend(context_, *this, CUdpSock::kSaveMode, entry.raw(field::kMacAddress),
                        netcfg::buildSaveFrame(bytes), textFailure_);
    if (!text_)
        return {NetworkSaveResult::SocketFailed, textFailure_->error, textFailure_->message};
    return {NetworkSaveResult::AwaitingAnswer, 0, {}};
}

bool NetworkSave::poll() {
    if (text_ && !acknowledged_)
        text_->pump();
    return acknowledged_;
}

NetworkSaveResult saveNetworkPrinter(netcfg::NetworkContext& context, int kind, NetworkPrinter& printer,
                                     const RecordForm& form, std::uint32_t waitMs) {
    NetworkSave save(context);
    const NetworkSaveResult started = save.start(kind, printer, form);
    if (started.outcome != NetworkSaveResult::AwaitingAnswer)
        return started;
    const std::uint32_t start = context.clock.tickMs();
    while (!save.poll() && elapsedMs(start, context.clock.tickMs()) < waitMs)
        context.clock.sleepMs(kReadEveryMs);
    if (save.acknowledged())
        return {};
    return {NetworkSaveResult::NoAnswer, 0, {}};
}

}  // namespace hollin::wifi
