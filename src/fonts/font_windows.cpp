#include "fonts/font_windows.h"

#include <algorithm>
#include <limits>

#include "fonts/font_operations.h"
#include "ui/button_icons.h"

namespace hollin::fonts {
namespace {

std::uint32_t saturatingAdd(std::uint32_t a, std::uint32_t b) {
    return b > std::numeric_limits<std::uint32_t>::max() - a ? std::numeric_limits<std::uint32_t>::max()
                                                             : a + b;
}

}  // namespace

// --- FontManagerWindow

FontManagerWindow::FontManagerWindow(FontFiles& files, std::string_view appTitle)
    : ui::Window(kDialogId), files_(files), appTitle_(appTitle) {
    onClicked(fm::kOpenFolder, [this] { openFolder(); });
    onSelectionChanged(fm::kTrueTypeList,
                       [this] { view().enable(ui::IDOK, view().selection(fm::kTrueTypeList) >= 0); });
    onClicked(fm::kRead, [this] { readPrinterFonts(); });
    onSelectionChanged(fm::kPrinterList, [this] { selectionChanged(); });
    onClicked(fm::kDelete, [this] { deleteFont(); });
}

void FontManagerWindow::prepare(printer::ByteChannel& channel, int emulationKind) {
    channel_ = &channel;
    emulationKind_ = emulationKind;
}

void FontManagerWindow::onInit() {
    view().setTitle(kTitle);
    static constexpr ui::ButtonIcon kIcons[] = {
        {fm::kOpenFolder, 155}, {ui::IDOK, 156}, {fm::kRead, 144}, {fm::kDelete, 148}};
    ui::setButtonIcons(view(), kIcons);
    folder_ = defaultFontFolder();
    chosen_.clear();
    entries_.clear();
    view().clearItems(fm::kPrinterList);
    listFolder();
    messageLanguage_ = startMessageLanguage();
    view().enable(fm::kDelete, false);
    view().enable(ui::IDOK, false);
    fileSize_ = free_ = used_ = 0;
    showFigures();
}

void FontManagerWindow::listFolder() {
    view().setText(fm::kFolder, folder_);
    view().clearItems(fm::kTrueTypeList);
    for (const std::string& name : files_.trueTypeFiles(folder_))
        view().addItem(fm::kTrueTypeList, name);
}

void FontManagerWindow::openFolder() {
    if (auto chosen = desktop().browseFolder(kFolderBrowserTitle, folder_)) {
        folder_ = std::move(*chosen);
        if (folder_.empty() || folder_.back() != '/')
            folder_ += '/';
    }
    if (!folder_.empty())
        listFolder();
    chosen_.clear();
    if (view().itemCount(fm::kTrueTypeList) == 0 || view().selection(fm::kTrueTypeList) < 0)
        view().enable(ui::IDOK, false);
}

void FontManagerWindow::onOk() {
    const int selected = view().selection(fm::kTrueTypeList);
    if (selected < 0) {
        message(kSelectFontText);
        return;
    }
    chosen_ = view().itemText(fm::kTrueTypeList, selected);
    view().endDialog(ui::kResultOk);
}

void FontManagerWindow::message(const TextTwin& text, const TextTwin* caption) {
    const std::string_view title = caption != nullptr ? pickText(*caption, messageLanguage_) : appTitle_;
    view().messageBox(pickText(text, messageLanguage_), title, ui::MessageButtons::Ok,
                      caption != nullptr ? ui::MessageIcon::Error : ui::MessageIcon::None);
}

void FontManagerWindow::showFigures() {
    view().setText(fm::kFileSize, std::to_string(fileSize_));
    view().setText(fm::kFree, std::to_string(free_));
    view().setText(fm::kUsed, std::to_string(used_));
}

void FontManagerWindow::fillPrinterList() {
    view().clearItems(fm::kPrinterList);
    for (const PrinterFontEntry& entry : entries_)
        view().addItem(fm::kPrinterList, fontListLine(entry));
    const bool any = !entries_.empty();
    view().setSelection(fm::kPrinterList, any ? 0 : -1);
    view().enable(fm::kDelete, any);
    fileSize_ = any ? entries_.front().size : 0;
    showFigures();
}

void FontManagerWindow::selectionChanged() {
    const int selected = view().selection(fm::kPrinterList);
    fileSize_ = selected >= 0 && static_cast<std::size_t>(selected) < entries_.size()
                    ? entries_[static_cast<std::size_t>(selected)].size
                    : 0;
    showFigures();
}

void FontManagerWindow::readPrinterFonts() {
    entries_.clear();
    view().clearItems(fm::kPrinterList);
    view().enable(fm::kDelete, false);
    if (channel_ == nullptr)
        return;
    const FontDirectoryResult result = fonts::readPrinterFonts(*channel_, emulationKind_);
    if (result.free)
        free_ = *result.free;
    if (result.used)
        used_ = *result.used;
    switch (result.outcome) {
        case Outcome::NotSent:
            showFigures();
            message(kSendingErrorText);
            return;
        case Outcome::NoResponse:
            showFigures();
            message(kNoResponseText, &kTimeoutCaption);
            return;
        case Outcome::BadReply:
            showFigures();
            message(kInvalidSyntaxText, &kReceiveErrorCaption);
            return;
        default:
            break;
    }
    entries_ = result.entries;
    fillPrinterList();
    message(kReadingSuccessText);
}

void FontManagerWindow::deleteFont() {
    const int selected = view().selection(fm::kPrinterList);
    if (channel_ == nullptr || selected < 0 || static_cast<std::size_t>(selected) >= entries_.size())
        return;
    const auto at = entries_.begin() + selected;
    const Outcome outcome = deletePrinterFont(*channel_, emulationKind_, *at);
    if (outcome == Outcome::NotSent || outcome == Outcome::Refused) {
        message(outcome == Outcome::Refused ? kFontNameRefusedText : kSendingErrorText);
        return;
    }
    free_ = saturatingAdd(free_, at->size);
    used_ -= std::min(used_, at->size);
    entries_.erase(at);
    fillPrinterList();
    message(kDeleteSuccessText);
}

// --- FontTargetWindow

FontTargetWindow::FontTargetWindow() : ui::Window(kDialogId) {
    onSelectionChanged(ft::kFontId, [this] { index_ = std::max(0, view().selection(ft::kFontId)); });
    onClicked(ft::kRam, [this] { memory_ = FontMemory::Ram; });
    onClicked(ft::kFlash, [this] { memory_ = FontMemory::Flash; });
}

void FontTargetWindow::onInit() {
    view().setTitle(kTitle);
    static constexpr ui::ButtonIcon kIcons[] = {{ui::IDOK, 145}};
    ui::setButtonIcons(view(), kIcons);
    view().clearItems(ft::kFontId);
    for (char c = '1'; c <= '9'; ++c)
        view().addItem(ft::kFontId, std::string(1, c));
    view().setSelection(ft::kFontId, 0);
    index_ = 0;
    view().enable(ft::kRam, false);
    if (!remember_)
        memory_ = FontMemory::Flash;
    view().setChecked(ft::kFlash, memory_ == FontMemory::Flash);
    view().setChecked(ft::kRam, memory_ == FontMemory::Ram);
}

void FontTargetWindow::onOk() {
    fontId_ = index_ + 1;
    view().endDialog(ui::kResultOk);
}

}  // namespace hollin::fonts
