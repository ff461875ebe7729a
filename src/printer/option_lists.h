#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "ui/port_section.h"

// The fixed option lists of the main window's combo boxes. A list position is the value the printer
// commands carry.
namespace hollin {

// List positions as the main window's lists order them.
// The line lists belong to the port section the Wi-Fi window shares.
using ui::kBaudRates;
using ui::kDataBitsNames;
using ui::kFlowControlNames;
using ui::kParityNames;
using ui::kStopBitsNames;

inline constexpr std::array<std::string_view, 3> kPowerSaveModes = {"Power Save Off", "Power Off Mode",
                                                                    "Power Save Mode"};
inline constexpr std::array<std::string_view, 29> kGeneralCodePages = {
    "CP_437",  "CP_KATAKANA",  "CP_850",       "CP_860",      "CP_863",      "CP_865",
    "CP_1252", "CP_866",       "CP_852",       "CP_858",      "CP_1253",     "CP_737",
    "CP_857",  "ISO_8859_9",   "CP_864",       "CP_862MD",    "ISO_8859_2",  "MOZOVIA",
    "CP_1250", "WINDOWS_1254", "WINDOWS_1251", "THAI TIS-14", "THAI TIS-17", "THAI TIS-11",
    "CP_1257", "CP_1258",      "ISO_8859_7",   "CP_1256",     "ISO_8859_1"};
inline constexpr std::array<std::string_view, 20> kEplCodePages = {
    "CP_437", "CP_850", "CP_852", "CP_860", "CP_863",  "CP_865",  "CP_857",  "CP_861",  "CP_862",  "CP_855",
    "CP_866", "CP_737", "CP_851", "CP_869", "CP_1252", "CP_1250", "CP_1251", "CP_1253", "CP_1254", "CP_1255"};
inline constexpr std::array<std::string_view, 5> kDensityNames = {
    "DENSITY [-1]", "DENSITY [0]", "DENSITY [+1]", "DENSITY [+2]", "DENSITY [+3]"};
inline constexpr std::array<std::string_view, 2> kSensorPositions = {"Lower", "Upper"};

// The entry at a list position; a position outside the list names nothing rather than reading past it.
template <std::size_t N>
constexpr std::string_view listEntry(const std::array<std::string_view, N>& list, int position) {
    if (position < 0 || position >= static_cast<int>(N))
        return {};
    return list[static_cast<std::size_t>(position)];
}

}  // namespace hollin
