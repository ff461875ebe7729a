#include "wificodec/wifi_bands.h"

#include <cstdio>
#include <iterator>

namespace hollin::wifi {
namespace {

constexpr int kL19[] = {36,  40,  44,  48,  52,  56,  60,  64,  100, 104,
                        108, 112, 116, 120, 124, 128, 132, 136, 140};
constexpr int kL24[] = {36,  40,  44,  48,  52,  56,  60,  64,  100, 104, 108, 112,
                        116, 120, 124, 128, 132, 136, 140, 149, 153, 157, 161, 165};
constexpr int kChina[] = {36, 40, 44, 48, 52, 56, 60, 64, 149, 153, 157, 161, 165};
constexpr int kIndonesia[] = {149, 153, 157, 161, 165};
constexpr int kIsrael[] = {36, 40, 44, 48, 52, 56, 60, 64};
constexpr int kKorea[] = {36,  40,  44,  48,  52,  56,  60,  64,  100, 104, 108,
                          112, 116, 120, 124, 128, 149, 153, 157, 161, 165};
constexpr int kRussiaSingapore[] = {36, 40, 44, 48, 52, 56, 60, 64, 132, 136, 140, 149, 153, 157, 161};
constexpr int kTaiwan[] = {56,  60,  64,  100, 104, 108, 112, 116, 120,
                           124, 128, 132, 136, 140, 149, 153, 157, 161};
constexpr int kUnitedKingdom[] = {36,  40,  44,  48,  52,  56,  60,  64,  100,
                                  104, 108, 112, 116, 120, 124, 128, 132, 140};

constexpr Country kCountries[] = {
    {"Austria", "AT", kL19},
    {"Australia", "AU", kL24},
    {"Belgium", "BE", kL19},
    {"Brazil", "BR", kL24},
    {"Canada", "CA", kL24},
    {"China", "CN", kChina},
    {"Cyprus", "CY", kL19},
    {"Czech Republic", "CZ", kL19},
    {"Denmark", "DK", kL19},
    {"Estonia", "EE", kL19},
    {"Finland", "FI", kL19},
    {"France", "FR", kL19},
    {"Germany", "DE", kL19},
    {"Greece", "GR", kL19},
    {"Hong Kong", "HK", kL24},
    {"Hungary", "HU", kL19},
    {"Iceland", "IS", kL19},
    {"India", "IN", kL19},
    {"Indonesia", "ID", kIndonesia},
    {"Ireland", "IE", kL19},
    {"Israel", "IL", kIsrael},
    {"Italy", "IT", kL19},
    {"Japan", "JP", kL19},
    {"Korea", "KR", kKorea},
    {"Latvia", "LV", kL19},
    {"Lithuania", "LT", kL19},
    {"Luxembourg", "LU", kL19},
    {"Malaysia", "MY", kL19},
    {"Netherlands", "NL", kL19},
    {"New Zealand", "NZ", kL24},
    {"Norway", "NO", kL19},
    {"Philippines", "PH", kL19},
    {"Poland", "PL", kL19},
    {"Portugal", "PT", kL19},
    {"Russia", "RU", kRussiaSingapore},
    {"Singapore", "SG", kRussiaSingapore},
    {"Slovak Republic", "SK", kL19},
    {"Slovenia", "SI", kL19},
    {"South Africa", "ZA", kL19},
    {"Spain", "ES", kL19},
    {"Sweden", "SE", kL19},
    {"Switzerland", "CH", kL19},
    {"Taiwan", "TW", kTaiwan},
    {"Thailand", "TH", kL19},
    {"United Kingdom", "GB", kUnitedKingdom},
    {"USA", "US", kL24},
};
static_assert(std::size(kCountries) == 46);
static_assert(std::size(kL24) == 24 && std::size(kL19) == 19);

constexpr int kFiveGhzOption[] = {36,  38,  40,  42,  44,  46,  48,  52,  56,  60,  64,
                                  100, 104, 108, 112, 116, 120, 124, 128, 132, 136, 140,
                                  149, 153, 157, 161, 165, 184, 188, 192, 196};
static_assert(std::size(kFiveGhzOption) == 31);

}  // namespace

std::span<const Country> countries() {
    return kCountries;
}

int countryRow(std::string_view code) {
    for (std::size_t row = 0; row < std::size(kCountries); ++row)
        if (kCountries[row].code == code)
            return static_cast<int>(row);
    return -1;
}

std::span<const int> fiveGhzOptionChannels() {
    return kFiveGhzOption;
}

std::string channelField(int channel) {
    if (channel < 0 || channel > 999)
        return {};
    char text[8];
    if (channel >= 100)
        std::snprintf(text, sizeof text, "%d", channel);
    else
        std::snprintf(text, sizeof text, " %02d", channel);
    return text;
}

}  // namespace hollin::wifi
