// What the Wi-Fi window makes of a network printer's answer: the form's values from a text record or
// from a binary payload, the key packing of typed text, and the debug lines of a record read back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "netcfg/device_record.h"
#include "netprinters/network_form.h"
#include "netprinters/network_save.h"

namespace {

using namespace hollin;

void checkForm(const wifi::NetworkFormValues& v) {
    if (v.keyInUse < 0 || v.keyInUse > 3 || v.encryption < 0 || v.encryption > 9 || v.channel < -1)
        __builtin_trap();
    for (int limit : v.keyLimits)
        if (limit != 5 && limit != 10 && limit != 13 && limit != 26)
            __builtin_trap();
    if (v.ssid.size() > 34 || v.wpaKey.size() > 64)
        __builtin_trap();
    for (const auto& key : v.keys)
        if (key.size() > 26)
            __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::array<int, 4> formats = {size > 0 ? data[0] & 1 : 0, size > 1 ? data[1] & 1 : 0, 1, 0};

    if (const auto record = wifi::WifiSettingsRecord::fromBytes(bytes)) {
        checkForm(wifi::formFromTextRecord(*record, formats));
        for (const std::string& line : wifi::textRecordTrace(*record)) {
            const bool secret = line.starts_with("KEY1=") || line.starts_with("KEY2=") ||
                                line.starts_with("KEY3=") || line.starts_with("KEY4=") ||
                                line.starts_with("WPA KEY=");
            if (secret && line.find("=<hidden, ") == std::string::npos)
                __builtin_trap();
        }
    }

    netcfg::DeviceRecord device;
    if (netcfg::parsePayload(bytes, device)) {
        checkForm(wifi::formFromDeviceRecord(device, wifi::FillVariant::Search, formats));
        checkForm(wifi::formFromDeviceRecord(device, wifi::FillVariant::Selection, formats));
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t slot : {std::size_t{5}, std::size_t{13}})
        for (int format : {0, 1})
            if (wifi::packWepKey(text, format, slot).size() != slot)
                __builtin_trap();
    return 0;
}
