// The settings export file as another tool may have left it: the export's update of its text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "wificodec/settings_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const hollin::wifi::IniEntry entries[] = {{"SSID", "HollinLab"}, {"MODE", "1"}, {"KEY3", "616263"}};
    const std::string once = hollin::wifi::updateIniText(text, hollin::wifi::kExportSection, entries);
    // Writing the same values again changes nothing, and every value is in the file.
    if (hollin::wifi::updateIniText(once, hollin::wifi::kExportSection, entries) != once)
        __builtin_trap();
    for (const auto& e : entries)
        if (once.find("=" + e.value) == std::string::npos)
            __builtin_trap();
    return 0;
}
