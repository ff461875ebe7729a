#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "common/bytes.h"
#include "common/text_twin.h"
#include "platform/clock.h"
#include "platform/search_save_progress.h"
#include "printer/advanced_options_operations.h"
#include "transport/byte_channel.h"
#include "ui/window.h"

namespace hollin::printer {

namespace adv {
using ui::ControlId;
inline constexpr ControlId kGetInfo = 1198;
inline constexpr ControlId kSaveInfo = 1199;
inline constexpr ControlId kExit = 1;  // "OK"
inline constexpr ControlId kLeftMargin = 1200;
inline constexpr ControlId kTopMargin = 1201;
inline constexpr ControlId kTofMargin = 1202;
inline constexpr ControlId kTone = 1206;
inline constexpr ControlId kLanguage = 1203;
inline constexpr ControlId kErrorClear = 1204;  // never visible
inline constexpr ControlId kPeeler = 1205;      // never visible
inline constexpr ControlId kDirection = 1207;
// Groups and labels of the shown-or-hidden options.
inline constexpr ControlId kLanguageGroup = 1210;
inline constexpr ControlId kLanguageLabel = 1211;
inline constexpr ControlId kDirectionGroup = 1212;
inline constexpr ControlId kDirectionLabel = 1213;
inline constexpr ControlId kErrorClearGroup = 1214;
inline constexpr ControlId kPeelerGroup = 1215;
}  // namespace adv

inline constexpr TextTwin kOptionsTimeoutText = {"Timeout error.\r\nPrinter is no response.",
                                                 "Timeout 에러.\r\n프린터 응답이 없습니다."};
inline constexpr TextTwin kOptionsReplyTooShortText = {
    "The printer's answer is too short to hold the option values.\nNothing was changed.",
    "프린터 응답이 너무 짧아 옵션 값을 읽을 수 없습니다.\n변경된 것이 없습니다."};
// Save Information with every value as the printer holds it: nothing goes out.
inline constexpr TextTwin kOptionsNothingChangedText = {
    "No option differs from the printer's values.\nNothing was sent.",
    "프린터 값과 다른 옵션이 없습니다.\n아무것도 보내지 않았습니다."};
// A ZPL option block too long for write all (its count byte would not hold its length).
inline constexpr TextTwin kOptionsBlockTooLongText = {
    "The printer's option block is too long to write back.\nNothing was sent.",
    "프린터 옵션 블록이 너무 길어 쓸 수 없습니다.\n아무것도 보내지 않았습니다."};
inline constexpr std::string_view kNotAnIntegerText = "Please enter an integer.";
inline constexpr std::string_view kIntegerRangeText = "Please enter an integer between 0 and 254.";

// The advanced options window (dialog 172): reads the option block of a CPCL or ZPL printer, lets the
// operator change the message language (CPCL) or print direction (ZPL), the three margins and the
// tone, and writes back only what changed. It writes and reads through a copy of the main window's
// open link and never opens or closes the port.
class AdvancedOptionsWindow : public ui::Window {
  public:
    static constexpr int kDialogId = 172;
    static constexpr std::string_view kTitle = "Advanced Options";

    // `channel` is the copy of the main window's link; `clock` runs the status window.
    AdvancedOptionsWindow(int emulationKind, std::unique_ptr<ByteChannel> channel, Clock& clock);

    void onInit() override;
    void onOk() override;  // Options exit
    bool acceptChar(ui::ControlId id, ui::ControlId focused, char32_t ch) override;

    int emulationKind() const { return emulationKind_; }
    int messageLanguage() const { return messageLanguage_; }
    const OptionValues& readValues() const { return read_; }
    const OptionValues& editedValues() const { return edited_; }

  private:
    void onGetInfo();
    void onSaveInfo();
    void onComboChanged();
    void onValueEdit(ui::ControlId edit);

    void enableOptionControls(bool on);
    void showValues();
    void takeComboValues();
    // Takes the edits' numbers with the framework's validation: false, after its message, at the first
    // edit holding no integer or a number outside 0..254 (which nevertheless becomes the edited value).
    bool takeControlValues();
    void validationMessage(std::string_view text, ui::ControlId edit);
    void updateSaveButton();
    void showError(const TextTwin& text);

    int emulationKind_;
    std::unique_ptr<ByteChannel> channel_;
    Clock& clock_;
    int messageLanguage_ = kLanguageEnglish;
    OptionValues read_;
    OptionValues edited_;
    Bytes block_;
    bool showing_ = false;  // the window itself is filling the edits
    // Announcing the save reads no progress values; the status window still wants a block.
    ui::SearchSaveProgress::Block progressBlock_{};
    ui::SearchSaveProgress progress_{progressBlock_};
};

}  // namespace hollin::printer
