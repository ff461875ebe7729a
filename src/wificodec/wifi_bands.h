#pragma once

#include <span>
#include <string>
#include <string_view>

// The band, country and channel tables of the Wi-Fi window, fixed for the program's life.
namespace hollin::wifi {

// A row of the "Country Name" list: its name, the two-letter code a module's record carries and the
// 5 GHz channels the country allows, in the order the "Wi-Fi Country Channel" list shows them.
struct Country {
    std::string_view name;
    std::string_view code;
    std::span<const int> channels;
};

// The 46 countries in list order (row index = position in the list).
std::span<const Country> countries();
// The row whose code equals `code` exactly; -1 when none does.
int countryRow(std::string_view code);
inline constexpr int kTaiwanRow = 42;

// The 31 channels the "Using 802.11a 5GHz" check offers (QUATECH and unrecognised modules).
std::span<const int> fiveGhzOptionChannels();

// INC's band list and QUATECH's.
inline constexpr std::string_view kIncBandNames[] = {"2.4GHz", "5GHz"};
inline constexpr std::string_view kQuatechBandNames[] = {"AUTO", "2.4GHz", "5GHz"};
// INC's band digits: 2.4 GHz and 5 GHz.
inline constexpr char kIncBand24 = '2';
inline constexpr char kIncBand5 = '7';

// A channel number right-aligned in the record's three characters: 149 as "149", 36 as " 36", 6 as
// " 06". Nothing when the number does not fit.
std::string channelField(int channel);

}  // namespace hollin::wifi
