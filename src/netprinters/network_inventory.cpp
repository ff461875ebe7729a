#include "netprinters/network_inventory.h"

#include <algorithm>
#include <cstdlib>

#include "netcfg/device_record.h"
#include "netprinters/network_form.h"
#include "wificodec/wifi_record.h"

namespace hollin::wifi {
namespace {

constexpr std::string_view kModeTexts[] = {"adhoc", "infrastructure", "softap"};
constexpr std::string_view kEncryptionTexts[] = {"none", "wep64", "wep128", "wpa", "802.1x"};
constexpr std::string_view kWpaTexts[] = {"wpa", "wpa-psk", "wpa2-psk"};

std::string dottedText(const Octets& o) {
    return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." +
           std::to_string(o[3]);
}

template <std::size_t N>
std::string nameAt(const std::string_view (&names)[N], int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N ? std::string(names[index])
                                                             : std::to_string(index);
}

std::string securityText(const NetworkFormValues& form) {
    if (form.encryption == kEncryptionWpa)
        return nameAt(kWpaTexts, form.wpaAuthentication);
    return nameAt(kEncryptionTexts, form.encryption);
}

}  // namespace

const std::vector<std::string_view>& inventoryColumns() {
    static const std::vector<std::string_view> columns = {
        "mac",      "protocol", "ip",   "netmask", "gateway",  "dhcp",    "product",
        "firmware", "ssid",     "mode", "channel", "security", "tcp-port"};
    return columns;
}

InventoryRow inventoryRow(const NetworkPrinter& printer) {
    InventoryRow row;
    row.mac = printer.macText();
    row.protocol = std::string(protocolName(printer.protocol()));
    NetworkFormValues form;
    if (const netcfg::DeviceRecord* record = printer.binary()) {
        form = formFromDeviceRecord(*record, FillVariant::Selection, {});
        form.ip = record->ipAddress;  // the address it is configured with
        row.product = std::to_string(record->productCode);
        if (record->productVariant != 0)
            row.product += "/" + std::to_string(record->productVariant);
        row.firmware = std::to_string(record->versionMajor) + "." +
                       std::to_string(record->versionMinor >> 8) + "." +
                       std::to_string(record->versionMinor & 0xFF);
    } else {
        form = formFromTextRecord(*printer.text(), {});
    }
    row.ip = dottedText(form.ip);
    row.ipValue = netcfg::ipv4Of(form.ip);
    row.netmask = dottedText(form.netmask);
    row.gateway = dottedText(form.gateway);
    row.dhcp = form.dhcp;
    row.ssid = form.ssid;
    row.mode = nameAt(kModeTexts, form.mode);
    row.channel = form.channel + 1;
    row.security = securityText(form);
    row.tcpPort = std::strtol(form.tcpPort.c_str(), nullptr, 10);
    return row;
}

std::vector<InventoryRow> inventoryRows(const std::vector<NetworkPrinter>& printers) {
    std::vector<InventoryRow> rows;
    rows.reserve(printers.size());
    for (const NetworkPrinter& printer : printers)
        rows.push_back(inventoryRow(printer));
    std::stable_sort(rows.begin(), rows.end(), [](const InventoryRow& a, const InventoryRow& b) {
        return a.ipValue != b.ipValue ? a.ipValue < b.ipValue : a.mac < b.mac;
    });
    return rows;
}

std::vector<std::string> inventoryValues(const InventoryRow& row) {
    return {row.mac,
            row.protocol,
            row.ip,
            row.netmask,
            row.gateway,
            row.dhcp ? "on" : "off",
            row.product,
            row.firmware,
            row.ssid,
            row.mode,
            std::to_string(row.channel),
            row.security,
            std::to_string(row.tcpPort)};
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string csvText(const std::vector<std::string_view>& header,
                    const std::vector<std::vector<std::string>>& rows) {
    const auto line = [](const auto& values) {
        std::string text;
        for (std::size_t i = 0; i < values.size(); ++i)
            text += (i ? "," : "") + csvField(values[i]);
        return text + "\r\n";
    };
    std::string text = line(header);
    for (const auto& values : rows)
        text += line(values);
    return text;
}

std::string inventoryCsv(const std::vector<InventoryRow>& rows) {
    std::vector<std::vector<std::string>> values;
    values.reserve(rows.size());
    for (const InventoryRow& row : rows)
        values.push_back(inventoryValues(row));
    return csvText(inventoryColumns(), values);
}

}  // namespace hollin::wifi
