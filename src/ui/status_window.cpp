#include "ui/status_window.h"

namespace hollin::ui {
namespace {

constexpr TextTwin kSearchingText = {"Now searching printers...", "타빅 프린터를 검색 중입니다..."};
constexpr TextTwin kSearchingCaption = {"Wi-Fi Printer Searching...", "타빅 Wi-Fi 프린터 검색 중..."};
constexpr TextTwin kSavingText = {"Now saving....", "프린터에 설정 값을 저장 중입니다..."};
constexpr TextTwin kSavingCaption = {"Printer Saving...", "타빅 Wi-Fi 프린터 저장 중..."};
constexpr TextTwin kSaveCompleted = {"Save Completed !!!", "프린터에 저장이 완료되었습니다."};
constexpr TextTwin kPrinterSettingsSaved = {"Printer Settings Saved", "타빅 Wi-Fi 프린터 정보 저장"};
constexpr TextTwin kReadCompletedText = {"Read Completed !!!", "프린터에서 읽어오기가 완료되었습니다."};
constexpr TextTwin kReadWifiCaption = {"Read Wi-Fi information", "타빅 Wi-Fi 프린터 정보 읽어오기"};
constexpr TextTwin kSaveWifiCaption = {"Save Wi-Fi information", "타빅 Wi-Fi 정보 저장"};
constexpr TextTwin kNowSavingText = {"Now Saving......", "프린터에 저장 중입니다......"};
constexpr TextTwin kNowSavingCaption = {"Now Saving printer settings...", "타빅 Wi-Fi 정보 저장 중..."};
constexpr TextTwin kAdvancedSavingCaption = {"Advanced options settings...",
                                             "타빅 고급 옵션 정보 저장 중..."};
constexpr TextTwin kAdvancedSavedCaption = {"Save Advanced options settings", "타빅 고급 옵션 정보 저장"};
constexpr TextTwin kSearchCompleted = {"Searching Completed !!!", "프린터 검색이 완료되었습니다."};
constexpr TextTwin kSearchCompletedCaption = {"Wi-Fi Printer Searching", "타빅 Wi-Fi 프린터 검색"};
constexpr TextTwin kCannotSearch = {
    "Cannot search the Wi-Fi printer.\nPlease check the firewall...",
    "타빅 프린터를 찾을 수가 없습니다.\n방화벽이 설정되어 있는 지 확인 바랍니다..."};
constexpr TextTwin kCannotSearchCaption = {"Wi-Fi Printer Searching Results...",
                                           "타빅 Wi-Fi 프린터 검색 결과..."};
constexpr TextTwin kSaveError = {"Save Error !!!", "프린터에 저장 시 에러가 발생했습니다."};
constexpr TextTwin kSaveResultCaption = {"Save Result", "타빅 Wi-Fi 프린터 저장 결과"};
constexpr TextTwin kOkLabel = {"OK", "확인"};

constexpr std::uint32_t kSearchSettleMs = 1500;
constexpr int kSaveTickLimit = 6;

}  // namespace

void StatusWindow::onInit() {
    placeOverParent();
    messageLanguage_ = startMessageLanguage();
    view().setIcon(IDOK, kOkIcon);
    view().setFocus(IDOK);
    ticks_ = 0;
    view().setWaitCursor(true);

    switch (mode_) {
        case kSearching:
            showTexts(kSearchingText, kSearchingCaption);
            view().show(IDOK, false);
            break;
        case kSaving:
            showTexts(kSavingText, kSavingCaption);
            view().show(IDOK, false);
            break;
        case kPrinterSaved:
            showTexts(kSavingText, kSavingCaption);
            showTexts(kSaveCompleted, kPrinterSettingsSaved);
            view().setText(IDOK, "OK");
            break;
        case kReadCompleted:
            showTexts(kReadCompletedText, kReadWifiCaption);
            view().setText(IDOK, "OK");
            break;
        case kWifiSaved:
            showTexts(kSaveCompleted, kSaveWifiCaption);
            view().setText(IDOK, "OK");
            break;
        case kNowSaving:
            showTexts(kNowSavingText, kNowSavingCaption);
            view().setText(IDOK, "OK");
            break;
        case kAdvancedSaved:
            showTexts(kNowSavingText, kAdvancedSavingCaption);
            showTexts(kSaveCompleted, kAdvancedSavedCaption);
            view().setText(IDOK, "OK");
            break;
        default:
            break;
    }

    if (mode_ == kSearching || mode_ == kSaving) {
        view().startTimer(kTimerId, kTimerPeriodMs);
        if (mode_ == kSearching)
            view().repaint();
    }
}

void StatusWindow::placeOverParent() {
    if (parent_ == nullptr)
        return;
    const Rect own = view().windowRect();
    const Rect parent = parent_->windowRect();
    const Point client{(parent.right - own.right) / 2, (parent.bottom - own.bottom) / 2};
    const Point screen = parent_->clientToScreen(client);
    view().moveWindow(screen.x, screen.y);
}

void StatusWindow::showTexts(const TextTwin& text, const TextTwin& caption) {
    message_ = std::string(pickText(text, messageLanguage_));
    view().setText(kText, message_);
    view().setTitle(pickText(caption, messageLanguage_));
}

void StatusWindow::showOkButton() {
    view().setText(IDOK, pickText(kOkLabel, messageLanguage_));
    view().show(IDOK, true);
}

void StatusWindow::finish() {
    view().stopTimer(kTimerId);
    view().setWaitCursor(false);
}

void StatusWindow::onTimer(int timerId) {
    if (timerId != kTimerId)
        return;
    if (mode_ == kSearching)
        searchTick();
    if (mode_ == kSaving)
        saveTick();
}

void StatusWindow::searchTick() {
    const bool searched = progress_.get(Progress::SearchFlag) != 0;
    const std::uint32_t since = elapsedMs(progress_.get(Progress::SearchTime), clock_.tickMs());
    if (!searched || since <= kSearchSettleMs) {
        view().setWaitCursor(true);
        view().repaint();
        return;
    }
    showTexts(kSearchCompleted, kSearchCompletedCaption);
    finish();
    const std::uint32_t total = progress_.get(Progress::FoundFirst) + progress_.get(Progress::FoundSecond);
    progress_.set(Progress::TotalFound, total);
    if (total > 0) {
        view().endDialog(kResultOk);
        return;
    }
    showTexts(kCannotSearch, kCannotSearchCaption);
    showOkButton();
}

void StatusWindow::saveTick() {
    const bool saved = progress_.get(Progress::SaveDone) != 0;
    if (saved) {
        showTexts(kSaveCompleted, kPrinterSettingsSaved);
        finish();
        view().show(IDOK, true);
    } else {
        view().setWaitCursor(true);
    }
    ++ticks_;
    if (ticks_ > kSaveTickLimit && !saved) {
        showTexts(kSaveError, kSaveResultCaption);
        showOkButton();
        finish();
    }
}

// The wait cursor never outlives the window, whatever mode it was in.
void StatusWindow::onOk() {
    finish();
    view().endDialog(kResultOk);
}

void StatusWindow::onCancel() {
    finish();
    view().endDialog(kResultCancel);
}

}  // namespace hollin::ui
