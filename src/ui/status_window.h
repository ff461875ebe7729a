#pragma once

#include <string>

#include "common/text_twin.h"
#include "platform/clock.h"
#include "platform/search_save_progress.h"
#include "ui/window.h"

namespace hollin::ui {

// Progress window of a longer operation (dialog 106). In modes 0 (search) and 1 (save) it decides by
// itself, once a second, when the operation has finished; modes 101 to 105 only announce a result.
class StatusWindow : public Window {
  public:
    static constexpr int kDialogId = 106;
    static constexpr ControlId kText = 1165;
    static constexpr int kOkIcon = 145;
    static constexpr int kTimerId = 1;
    static constexpr int kTimerPeriodMs = 1000;

    enum Mode : int {
        kSearching = 0,
        kSaving = 1,
        kPrinterSaved = 101,
        kReadCompleted = 102,
        kWifiSaved = 103,
        kNowSaving = 104,
        kAdvancedSaved = 105,
    };

    // `parent` is the window it is placed over (may be null); `progress` the shared search/save values.
    StatusWindow(int mode, Clock& clock, SearchSaveProgress& progress, const DialogView* parent)
        : Window(kDialogId), mode_(mode), clock_(clock), progress_(progress), parent_(parent) {}

    int mode() const { return mode_; }
    int messageLanguage() const { return messageLanguage_; }
    const std::string& message() const { return message_; }
    int ticks() const { return ticks_; }

    void onInit() override;
    void onTimer(int timerId) override;
    void onOk() override;
    void onCancel() override;  // Esc and the close box

  private:
    void placeOverParent();
    void showTexts(const TextTwin& text, const TextTwin& caption);
    void showOkButton();
    void finish();
    void searchTick();
    void saveTick();

    int mode_;
    Clock& clock_;
    SearchSaveProgress& progress_;
    const DialogView* parent_;
    int messageLanguage_ = kLanguageEnglish;
    std::string message_;
    int ticks_ = 0;
};

}  // namespace hollin::ui
