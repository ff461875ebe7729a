#include "printer/result_messages.h"

namespace hollin::printer {

void showError(ui::DialogView& view, const TextTwin& text, int messageLanguage) {
    showError(view, pickText(text, messageLanguage), messageLanguage);
}

void showError(ui::DialogView& view, std::string_view text, int messageLanguage) {
    view.messageBox(text, pickText(kErrorCaption, messageLanguage), ui::MessageButtons::Ok,
                    ui::MessageIcon::None);
}

bool reportProbeResult(ui::DialogView& view, int probeResult, int messageLanguage) {
    const Outcome outcome = probeResult == kProbeNoReply   ? Outcome::NoResponse
                            : probeResult == kProbeUnknown ? Outcome::UnknownEmulation
                                                           : Outcome::Done;
    return reportResult(view, {outcome, std::nullopt, std::nullopt}, messageLanguage);
}

bool reportResult(ui::DialogView& view, const PrinterResult& result, int messageLanguage) {
    if (const TextTwin* text = failureText(result.outcome))
        showError(view, *text, messageLanguage);
    return result.succeeded();
}

}  // namespace hollin::printer
