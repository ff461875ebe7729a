#include "printer/advanced_options_window.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "printer/result_messages.h"
#include "ui/button_icons.h"
#include "ui/filtered_edit.h"
#include "ui/list_fill.h"
#include "ui/status_window.h"

namespace hollin::printer {

using namespace adv;

namespace {

constexpr std::array<std::string_view, 2> kErrorClearNames = {"OFF", "ON"};
constexpr std::array<std::string_view, 5> kLanguageNames = {"English", "Korean", "Japanese", "GB2312",
                                                            "BIG5"};
constexpr std::array<std::string_view, 2> kPeelerNames = {"Using the peeler", "Not using the peeler"};
constexpr std::string_view kDirectionNames[] = {"Normal", "Inverted", "Unknown"};

constexpr ControlId kCombos[] = {kLanguage, kErrorClear, kPeeler, kDirection};
constexpr ControlId kEdits[] = {kLeftMargin, kTopMargin, kTofMargin, kTone};

// A decimal integer with optional blanks around it and an optional sign; nothing for any other text
// or a number beyond the int range.
std::optional<int> parseInteger(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return std::nullopt;
    return static_cast<int>(value);
}

int* editedField(OptionValues& v, ControlId edit) {
    switch (edit) {
        case kLeftMargin:
            return &v.left;
        case kTopMargin:
            return &v.top;
        case kTofMargin:
            return &v.tof;
        default:
            return &v.tone;
    }
}

}  // namespace

AdvancedOptionsWindow::AdvancedOptionsWindow(int emulationKind, std::unique_ptr<ByteChannel> channel,
                                             Clock& clock)
    : ui::Window(kDialogId), emulationKind_(emulationKind), channel_(std::move(channel)), clock_(clock) {
    onClicked(kGetInfo, [this] { onGetInfo(); });
    onClicked(kSaveInfo, [this] { onSaveInfo(); });
    for (ControlId combo : kCombos)
        onSelectionChanged(combo, [this] { onComboChanged(); });
    for (ControlId edit : kEdits)
        onEditChanged(edit, [this, edit] { onValueEdit(edit); });
}

void AdvancedOptionsWindow::onInit() {
    view().setTitle(kTitle);
    static constexpr ui::ButtonIcon kIcons[] = {{kGetInfo, 159}, {kSaveInfo, 133}, {kExit, 145}};
    ui::setButtonIcons(view(), kIcons);
    ui::fillList(view(), kErrorClear, kErrorClearNames, -1);
    ui::fillList(view(), kLanguage, kLanguageNames, -1);
    ui::fillList(view(), kPeeler, kPeelerNames, -1);
    view().enable(kGetInfo, true);
    view().enable(kSaveInfo, false);
    enableOptionControls(false);
    messageLanguage_ = startMessageLanguage();
    const bool zpl = emulationKind_ == kZpl;
    for (ControlId id : {kLanguageGroup, kLanguageLabel, kLanguage})
        view().show(id, !zpl);
    for (ControlId id : {kDirectionGroup, kDirectionLabel, kDirection})
        view().show(id, zpl);
    for (ControlId id : {kErrorClearGroup, kErrorClear, kPeelerGroup, kPeeler})
        view().show(id, false);
    // The edits show the values the window holds, so that Options exit finds numbers in them.
    showValues();
}

bool AdvancedOptionsWindow::acceptChar(ControlId, ControlId focused, char32_t ch) {
    return ui::filteredEditAccepts(focused, ch);
}

void AdvancedOptionsWindow::enableOptionControls(bool on) {
    for (ControlId id : kCombos)
        view().enable(id, on);
    for (ControlId id : kEdits)
        view().enable(id, on);
}

void AdvancedOptionsWindow::showError(const TextTwin& text) {
    printer::showError(view(), text, messageLanguage_);
}

void AdvancedOptionsWindow::onGetInfo() {
    const OptionsReadResult result = readAdvancedOptions(*channel_, emulationKind_);
    switch (result.outcome) {
        case Outcome::Done:
            break;
        case Outcome::NotSent:
            showError(kSendFailedText);
            return;
        case Outcome::BadReply:
            showError(kOptionsReplyTooShortText);
            return;
        default:
            view().messageBox(pickText(kOptionsTimeoutText, messageLanguage_), kProductTitle,
                              ui::MessageButtons::Ok, ui::MessageIcon::None);
            return;
    }
    read_ = result.reply->values;
    if (emulationKind_ == kZpl) {
        block_ = result.reply->block;
        view().clearItems(kDirection);
        view().addItem(kDirection, kDirectionNames[kDirectionNormal]);
        view().addItem(kDirection, kDirectionNames[kDirectionInverted]);
        if (read_.direction == kDirectionUnknown)
            view().addItem(kDirection, kDirectionNames[kDirectionUnknown]);
        view().setSelection(kDirection, read_.direction);
    } else {
        block_.clear();
        read_.direction = kDirectionNormal;
    }
    const auto select = [this](ControlId combo, int value) {
        view().setSelection(combo, value >= 0 && value < view().itemCount(combo) ? value : -1);
    };
    select(kErrorClear, read_.errorClear);
    select(kLanguage, read_.language);
    select(kPeeler, read_.peeler);
    edited_ = read_;
    view().enable(kGetInfo, false);
    enableOptionControls(true);
    showValues();
    updateSaveButton();
}

// Showing the values notifies the edits; those notifications are the window's own and take nothing.
void AdvancedOptionsWindow::showValues() {
    showing_ = true;
    view().setText(kLeftMargin, std::to_string(edited_.left));
    view().setText(kTopMargin, std::to_string(edited_.top));
    view().setText(kTofMargin, std::to_string(edited_.tof));
    view().setText(kTone, std::to_string(edited_.tone));
    showing_ = false;
}

// A combo without a selection (a value the list has no entry for) leaves its value as it was.
void AdvancedOptionsWindow::takeComboValues() {
    const auto take = [this](ControlId combo, int& value) {
        const int sel = view().selection(combo);
        if (sel >= 0)
            value = sel;
    };
    take(kLanguage, edited_.language);
    take(kErrorClear, edited_.errorClear);
    take(kPeeler, edited_.peeler);
    take(kDirection, edited_.direction);
}

void AdvancedOptionsWindow::validationMessage(std::string_view text, ControlId edit) {
    view().messageBox(text, kProductTitle, ui::MessageButtons::Ok, ui::MessageIcon::Warning);
    view().setFocus(edit);
}

bool AdvancedOptionsWindow::takeControlValues() {
    takeComboValues();
    for (ControlId edit : kEdits) {
        const std::optional<int> value = parseInteger(view().text(edit));
        if (!value) {
            validationMessage(kNotAnIntegerText, edit);
            return false;
        }
        *editedField(edited_, edit) = *value;
        if (*value < 0 || *value > kOptionMax) {
            validationMessage(kIntegerRangeText, edit);
            return false;
        }
    }
    return true;
}

void AdvancedOptionsWindow::updateSaveButton() {
    view().enable(kSaveInfo, edited_ != read_);
}

void AdvancedOptionsWindow::onComboChanged() {
    takeComboValues();
    updateSaveButton();
}

void AdvancedOptionsWindow::onValueEdit(ControlId edit) {
    if (showing_)
        return;
    if (view().text(edit).empty()) {
        view().enable(kSaveInfo, false);
        view().enable(kExit, false);
        return;
    }
    view().enable(kSaveInfo, true);
    view().enable(kExit, true);
    // A value that failed the check leaves nothing to save until it is mended.
    if (takeControlValues())
        updateSaveButton();
    else
        view().enable(kSaveInfo, false);
    view().setFocus(edit);
}

void AdvancedOptionsWindow::onSaveInfo() {
    // The edits are checked again: what the printer receives is what they show now.
    if (!takeControlValues())
        return;
    if (edited_ == read_) {
        view().enable(kSaveInfo, false);
        showError(kOptionsNothingChangedText);
        return;
    }
    const PrinterResult result = saveAdvancedOptions(*channel_, emulationKind_, read_, edited_, block_);
    if (result.outcome == Outcome::Refused) {
        // The edits passed the check above, so only the kept block can be refused.
        showError(kOptionsBlockTooLongText);
        return;
    }
    if (!reportResult(view(), result, messageLanguage_))
        return;
    view().enable(kGetInfo, true);
    view().enable(kSaveInfo, false);
    enableOptionControls(false);
    ui::StatusWindow status(ui::StatusWindow::kAdvancedSaved, clock_, progress_, &view());
    desktop().runModal(status, this);
}

void AdvancedOptionsWindow::onOk() {
    if (takeControlValues())
        ui::Window::onOk();
}

}  // namespace hollin::printer
