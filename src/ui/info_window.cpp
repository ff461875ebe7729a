#include "ui/info_window.h"

#include <array>
#include <cstdio>
#include <span>

#include "printer/option_lists.h"

namespace hollin::ui {
namespace {

// A list entry by position; a position outside the list names nothing rather than reading past it.
template <std::size_t N>
std::string entry(const std::array<std::string_view, N>& list, int position) {
    if (position < 0 || position >= static_cast<int>(N))
        return {};
    return std::string(list[static_cast<std::size_t>(position)]);
}

std::string withNumber(const char* format, int value) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string withText(const char* format, const std::string& value) {
    std::string out(format);
    out.replace(out.find("%s"), 2, value);
    return out;
}

}  // namespace

InfoWindow::Texts InfoWindow::texts() const {
    switch (kind) {
        case kPowerSave: {
            const std::string caption = "Power Save Mode Setting Information";
            if (powerSaveMode == 0)
                return {caption, "Printer does not support the power save mode."};
            if (powerSaveMode == 1)
                return {caption, withNumber("The printer power will be off after %d minute.", minutes)};
            if (powerSaveMode == 2) {
                return {caption,
                        withNumber("The printer goes into power save mode after %d minute.", minutes)};
            }
            return {};
        }
        case kGeneralCodePage:
            return {"Code Page Setting Information",
                    withText("Code Page changed to %s.", entry(kGeneralCodePages, codePagePosition))};
        case kFactoryReset:
            return {"Factory settting completed", "Printer is reset to factory settings."};
        case kDensity:
            return {"Printer Density Setting Information",
                    withText("Printer Density changed to %s.", entry(kDensityNames, densityPosition))};
        case kFontDownload:
            return {"Font download Information", "Font download is success."};
        case kEplCodePage:
            return {"Code Page Setting Information",
                    withText("Code Page changed to %s.", entry(kEplCodePages, codePagePosition))};
        default:
            return {};
    }
}

void InfoWindow::onInit() {
    view().setIcon(IDOK, kOkIcon);
    const Texts t = texts();
    if (!t.caption.empty()) {
        view().setTitle(t.caption);
        view().setText(kText, t.text);
    }
    view().setText(IDOK, "OK");
}

}  // namespace hollin::ui
