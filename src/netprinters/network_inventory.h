#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "netprinters/network_printers.h"

// The printers found on the network as an inventory: one row of plain texts per printer, whichever
// protocol it speaks, and the row set as CSV. Pure: nothing is sent here.
namespace hollin::wifi {

struct InventoryRow {
    std::string mac;       // "00:1A:2B:3C:4D:5E"
    std::string protocol;  // "binary" or "text"
    std::string ip, netmask, gateway;
    bool dhcp = false;
    std::string product;   // binary: the product code (and "/variant" when one is given); text: empty
    std::string firmware;  // binary: "major.minor.patch" of its answer; text: empty
    std::string ssid;
    std::string mode;  // "adhoc", "infrastructure", "softap"
    int channel = 0;
    std::string security;  // "none", "wep64", "wep128", "wpa-psk", "wpa2-psk", "802.1x"; never a key
    long tcpPort = 0;
    std::uint32_t ipValue = 0;  // for sorting
};

// The column names, in the order of a row's values.
const std::vector<std::string_view>& inventoryColumns();
// One row of a printer's answer.
InventoryRow inventoryRow(const NetworkPrinter& printer);
// The rows of every printer, sorted by IP address (then MAC).
std::vector<InventoryRow> inventoryRows(const std::vector<NetworkPrinter>& printers);
// A row's values as texts, in column order.
std::vector<std::string> inventoryValues(const InventoryRow& row);

// One CSV field: quoted when it holds a comma, a quote, CR or LF (quotes doubled).
std::string csvField(std::string_view text);
// A header row and one record per row, each line ending in CR LF.
std::string csvText(const std::vector<std::string_view>& header,
                    const std::vector<std::vector<std::string>>& rows);
std::string inventoryCsv(const std::vector<InventoryRow>& rows);

}  // namespace hollin::wifi
