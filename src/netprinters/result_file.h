#pragma once

#include <optional>
#include <string>

#include "wificodec/wifi_record.h"

// The copy of the last record a text-frame save sent, kept for the operator: nothing reads it back but
// the save's own check. It holds keys, so only its owner may read it.
namespace hollin::wifi {

// $XDG_STATE_HOME/hollin/result.out, by default ~/.local/state/hollin/result.out; empty when neither
// XDG_STATE_HOME nor HOME is set.
std::string defaultResultFilePath();

// Writes the record's 1013 bytes over `path` with mode 0600 (its folder made, mode 0700, when missing).
bool writeResultFile(const std::string& path, const WifiSettingsRecord& record);
// The record the file holds; nothing when it cannot be opened or is short.
std::optional<WifiSettingsRecord> readResultFile(const std::string& path);

}  // namespace hollin::wifi
