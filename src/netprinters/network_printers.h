#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "netcfg/device_record.h"
#include "netcfg/exchange.h"
#include "netcfg/udp_text_socket.h"
#include "netprinters/network_save.h"
#include "wificodec/record_save.h"
#include "wificodec/wifi_record.h"

// The printers on the network, whichever protocol they speak: one search over both protocols and one
// save to either, as operations that return what happened and show nothing. The Wi-Fi window's
// network mode and `hollinctl net` are their faces.
namespace hollin::wifi {

enum class NetworkProtocol { Binary, Text };
// "binary" or "text".
std::string_view protocolName(NetworkProtocol protocol);

// A printer as it answered a search: its protocol and its whole record.
struct NetworkPrinter {
    std::variant<netcfg::DeviceRecord, WifiSettingsRecord> record;

    NetworkProtocol protocol() const {
        return record.index() == 0 ? NetworkProtocol::Binary : NetworkProtocol::Text;
    }
    const netcfg::DeviceRecord* binary() const { return std::get_if<netcfg::DeviceRecord>(&record); }
    netcfg::DeviceRecord* binary() { return std::get_if<netcfg::DeviceRecord>(&record); }
    const WifiSettingsRecord* text() const { return std::get_if<WifiSettingsRecord>(&record); }
    // Twelve upper-case hexadecimal digits (a text printer's twelve MAC characters, upper-cased).
    std::string mac12() const;
    // As the printer list shows it: "00:1A:2B:3C:4D:5E".
    std::string macText() const;
};

// Why the text-frame socket of a search or save did not do its part.
struct TextSocketFailure {
    enum Step { NetworkOff, Create, Send };
    Step step = Create;
    int error = 0;        // the system's error code (Create, Send)
    std::string message;  // for the operator
};

// At most this many printers are listed; answers beyond are dropped.
inline constexpr std::size_t kMaxNetworkPrinters = 200;

struct NetworkSearchResult {
    // Set when the text-frame socket failed: the search stopped before the binary search ran.
    std::optional<TextSocketFailure> textFailure;
    int error = 0;  // the binary search's system error code (or kNetworkDisabled); 0 when it ran
    // Each printer once (by MAC; a printer answering both protocols is listed as binary): the binary
    // ones in ascending MAC order, then the text ones in the order they answered.
    std::vector<NetworkPrinter> printers;
};

// One search over both protocols. run() sends the text-frame search request, runs the binary search
// (about 2 s) and reads the text answers that came meanwhile; the text socket then stays open, and
// poll() reads later answers, until close() or the object goes.
class NetworkSearch : private netcfg::CUdpSock::Owner {
  public:
    // `maxPrinters`: how many printers the list keeps; answers beyond are dropped.
    explicit NetworkSearch(const netcfg::NetworkContext& context,
                           std::size_t maxPrinters = kMaxNetworkPrinters)
        : context_(context), maxPrinters_(maxPrinters) {}
    ~NetworkSearch() override;

    // `kind` broadcast or directed (to `directed`); a directed search without a broadcast address
    // asks the binary protocol only.
    const NetworkSearchResult& run(int kind, Ipv4 directed = 0);
    // Reads the text answers waiting now, never waiting itself; the printers they added (or, for a
    // printer answering again, refreshed), in the order they came.
    std::vector<NetworkPrinter> poll();
    const NetworkSearchResult& result() const { return result_; }
    bool listening() const { return text_ && text_->isOpen(); }
    void close();

  private:
    void onTextAnswer(const netcfg::TextRecord& record) override;
    void onSaveAnswer(bool) override {}

    netcfg::NetworkContext context_;
    std::size_t maxPrinters_;
    std::unique_ptr<netcfg::CUdpSock> text_;
    NetworkSearchResult result_;
    std::vector<NetworkPrinter> news_;
};

// The whole search for a face that waits: run(), then the text answers read every 50 ms for at most
// `textWaitMs` more (ending early once `stopAtMac12`, when given, has answered).
NetworkSearchResult searchNetworkPrinters(netcfg::NetworkContext& context, int kind, Ipv4 directed = 0,
                                          std::uint32_t textWaitMs = 500, std::string_view stopAtMac12 = {},
                                          std::size_t maxPrinters = kMaxNetworkPrinters);
// The printer with this MAC (twelve upper-case hexadecimal digits) among those found; nothing when
// none is.
const NetworkPrinter* findPrinter(const NetworkSearchResult& result, std::string_view mac12);

// One save to a printer of either protocol. start() runs a binary write to its end (on success the
// printer's record becomes its answer); for a text printer it checks the keys, sends the record in a
// save frame and returns AwaitingAnswer; poll() then reads the answers until the printer confirms.
class NetworkSave : private netcfg::CUdpSock::Owner {
  public:
    explicit NetworkSave(const netcfg::NetworkContext& context) : context_(context) {}
    ~NetworkSave() override;

    // `kind`: the exchange kind of the search that found the printer. A binary printer is written with
    // its own password.
    NetworkSaveResult start(int kind, NetworkPrinter& printer, const RecordForm& form);
    // Reads the answers waiting now; true once the printer has confirmed the save.
    bool poll();
    bool acknowledged() const { return acknowledged_; }
    // The record a text save sent.
    const WifiSettingsRecord& sentRecord() const { return sent_; }
    const std::optional<TextSocketFailure>& textFailure() const { return textFailure_; }
    void close();

  private:
    void onTextAnswer(const netcfg::TextRecord&) override {}
    void onSaveAnswer(bool confirmed) override { acknowledged_ = acknowledged_ || confirmed; }

    netcfg::NetworkContext context_;
    std::unique_ptr<netcfg::CUdpSock> text_;
    WifiSettingsRecord sent_;
    bool acknowledged_ = false;
    std::optional<TextSocketFailure> textFailure_;
};

// The whole save for a face that waits: start(), then, for a text printer, its confirmation awaited
// for at most `waitMs`, reading every 50 ms (Saved, or NoAnswer).
NetworkSaveResult saveNetworkPrinter(netcfg::NetworkContext& context, int kind, NetworkPrinter& printer,
                                     const RecordForm& form, std::uint32_t waitMs = 7000);

}  // namespace hollin::wifi
