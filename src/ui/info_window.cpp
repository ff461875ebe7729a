#include "ui/info_window.h"

#include <cstdio>

#include "common/text_fill.h"

namespace hollin::ui {
namespace {

std::string withNumber(const char* format, int value) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string withText(const char* format, const std::string& value) {
    return fillIn(format, "%s", value);
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
        case kEplCodePage:
            return {"Code Page Setting Information", withText("Code Page changed to %s.", entryText)};
        case kFactoryReset:
            return {"Factory settting completed", "Printer is reset to factory settings."};
        case kDensity:
            return {"Printer Density Setting Information",
                    withText("Printer Density changed to %s.", entryText)};
        case kFontDownload:
            return {"Font download Information", "Font download is success."};
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
