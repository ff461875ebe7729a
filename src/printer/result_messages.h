#pragma once

#include <string_view>

#include "common/text_twin.h"
#include "printer/printer_operations.h"
#include "ui/dialog_view.h"

// How the printer windows tell the operator that an action on the printer failed.
namespace hollin::printer {

// The caption of the printer windows' messages.
inline constexpr std::string_view kProductTitle = "Hollin Printer Utility";

inline constexpr TextTwin kErrorCaption = {"Error", "에러"};

// Shows `text` in the language of `messageLanguage` with the caption "Error" and an OK button.
void showError(ui::DialogView& view, const TextTwin& text, int messageLanguage);
// Shows `text` as it stands, with the caption "Error" in the language of `messageLanguage`.
void showError(ui::DialogView& view, std::string_view text, int messageLanguage);

// Tells the operator why a probe failed: -1 "No Response in printer", -2 "Failed to read emulation".
// Returns false for those two, true (and shows nothing) for a probe that succeeded.
bool reportProbeResult(ui::DialogView& view, int probeResult, int messageLanguage);

// Shows the failure message of `result`, if it has one. Returns whether the action succeeded.
bool reportResult(ui::DialogView& view, const PrinterResult& result, int messageLanguage);

}  // namespace hollin::printer
