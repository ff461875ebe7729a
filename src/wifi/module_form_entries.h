#pragma once

#include <charconv>
#include <span>
#include <string>
#include <string_view>

#include "common/text_twin.h"
#include "wifi/wifi_window_ids.h"

// The list entries and texts the Wi-Fi window's module parts (the Sollae flow, the record flow and
// the window itself) share.
namespace hollin::wifi::module_form {

using Entries = std::span<const std::string_view>;

inline constexpr std::string_view kAuthentications[] = {"None", "Open System", "Shared Key", "Both"};
inline constexpr std::string_view kKeyInUseNames[] = {"KEY ID 1", "KEY ID 2", "KEY ID 3", "KEY ID 4"};
inline constexpr std::string_view kKeyInUseNamesKorean[] = {"키 ID 1", "키 ID 2", "키 ID 3", "키 ID 4"};
inline constexpr std::string_view kKeyTypes[] = {"HEX", "ASCII"};
inline constexpr std::string_view kEncryptions[] = {"None", "WEP64", "WEP128", "WPA", "802.1x"};
inline constexpr std::string_view kTkipAes[] = {"TKIP", "AES"};
inline constexpr std::string_view kAesTkipAes[] = {"AES", "TKIP+AES"};

// The mode list's entries.
inline constexpr int kModeAdhoc = 0, kModeInfrastructure = 1, kModeSoftAp = 2;
// The four address edits, in the order of the record's address fields.
inline constexpr ui::ControlId kAddressFields[] = {ids::kIp, ids::kNetmask, ids::kGateway, ids::kDns};

inline constexpr TextTwin kNoCaption = {"", ""};
inline constexpr TextTwin kCheckCaption = {"Error", "에러"};
inline constexpr TextTwin kSyntaxError = {"Syntex Error!!!", "데이터 구조 에러!!!"};

// The edit's decimal number; -1 (out of range) when it holds anything else.
inline long long decimalOf(const std::string& text) {
    long long value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return -1;
    return value;
}

}  // namespace hollin::wifi::module_form
