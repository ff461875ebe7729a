#include "fonts/font_download.h"

#include <optional>

#include "common/text_fill.h"
#include "ui/info_window.h"

namespace hollin::fonts {

FontDownload::FontDownload(ui::Window& host, FontFiles& files, std::string_view appTitle, bool& chosenBefore)
    : host_(host),
      files_(files),
      appTitle_(appTitle),
      chosenBefore_(chosenBefore),
      manager_(files, appTitle) {}

void FontDownload::openFile(printer::BorrowedLink link, int emulationKind) {
    printer::BorrowedChannel channel(link);
    manager_.prepare(channel, emulationKind);
    if (host_.desktop().runModal(manager_, &host_) != ui::kResultOk) {
        host_.view().enable(kDownload, false);
        return;
    }
    target_.setRemember(chosenBefore_);
    chosenBefore_ = true;
    if (host_.desktop().runModal(target_, &host_) != ui::kResultOk)
        return;
    host_.view().enable(kDownload, true);
    selection_.path = manager_.folder() + manager_.chosenFile();
    selection_.fileName = manager_.chosenFile();
    selection_.fontId = target_.fontId();
    selection_.memory = target_.memory();
}

int FontDownload::ask(const TextTwin& text, const TextTwin& caption, int language, ui::MessageButtons buttons,
                      ui::MessageIcon icon) {
    return host_.view().messageBox(pickText(text, language), pickText(caption, language), buttons, icon);
}

void FontDownload::endSending() {
    ui::DialogView& v = host_.view();
    v.show(kProgress, false);
    v.setProgress(kProgress, 0);
    v.enable(kOpenFile, true);
    v.enable(kDownload, true);
    v.repaint();
}

void FontDownload::download(printer::PrinterExchange& exchange, int language) {
    ui::DialogView& v = host_.view();
    const std::string_view filter = language == kLanguageKorean ? kTfdFilterKorean : kTfdFilter;
    std::optional<std::string> output;
    if (auto chosen = host_.desktop().saveFileName("", kTfdStartFolder, filter))
        output = tfdFileName(*chosen);
    std::optional<Bytes> stream = buildFontDownload(files_, selection_);
    if (!stream) {
        ask(kFileSizeText, kFileSizeCaption, language, ui::MessageButtons::YesNo, ui::MessageIcon::Question);
        return;
    }
    if (output) {
        const FontFiles::Written written = files_.replace(*output, *stream);
        if (written == FontFiles::Written::NotCreated) {
            v.messageBox(kWriteOpenFailedText, pickText(kErrorCaptionText, language), ui::MessageButtons::Ok,
                         ui::MessageIcon::Error);
            return;
        }
        if (written == FontFiles::Written::Failed) {
            ask(kTfdWriteFailedText, kErrorCaptionText, language, ui::MessageButtons::Ok,
                ui::MessageIcon::Error);
            return;
        }
    }
    if (ask(kDownloadQuestion, kDownloadCaption, language, ui::MessageButtons::YesNo,
            ui::MessageIcon::Question) != ui::kResultYes)
        return;
    v.enable(kOpenFile, false);
    v.enable(kDownload, false);
    v.show(kProgress, true);
    v.repaint();
    if (output) {
        SavedStream saved = rereadFontStream(files_, *output, stream->size());
        if (saved.status == SavedStream::Status::Missing) {
            const std::string text = fillIn(kFileMissingFormat, "%s", *output);
            v.messageBox(text, pickText(kErrorCaptionText, language), ui::MessageButtons::Ok,
                         ui::MessageIcon::Error);
            endSending();
            return;
        }
        if (saved.status == SavedStream::Status::WrongSize) {
            ask(kReadSizeErrorText, kFileSizeCaption, language, ui::MessageButtons::Ok,
                ui::MessageIcon::Error);
            endSending();
            return;
        }
        stream = std::move(saved.bytes);
    }
    const bool sent =
        sendFontStream([&exchange](std::span<const std::uint8_t> b) { return exchange.SendToPrinter(b); },
                       *stream, [&v](int position) { v.setProgress(kProgress, position); });
    if (!sent) {
        v.messageBox(pickText(kSendingErrorText, language), appTitle_, ui::MessageButtons::Ok,
                     ui::MessageIcon::Error);
        endSending();
        return;
    }
    v.setProgress(kProgress, 100);
    v.repaint();
    v.show(kProgress, false);
    v.setProgress(kProgress, 0);
    v.repaint();
    ui::InfoWindow info;
    info.kind = ui::InfoWindow::kFontDownload;
    host_.desktop().runModal(info, &host_);
    v.enable(kOpenFile, true);
    v.enable(kDownload, false);
}

}  // namespace hollin::fonts
