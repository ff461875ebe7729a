#pragma once

#include <string>
#include <string_view>

#include "common/text_twin.h"
#include "fonts/font_files.h"
#include "fonts/font_operations.h"
#include "fonts/font_windows.h"
#include "transport/printer_exchange.h"
#include "transport/printer_session.h"
#include "ui/window.h"

namespace hollin::fonts {

inline constexpr TextTwin kFileSizeCaption = {"ERROR", "에러"};
inline constexpr TextTwin kDownloadQuestion = {"Download font to printer ?",
                                               "프린터로 폰트를 다운로드 하시겠습니까 ?"};
inline constexpr TextTwin kDownloadCaption = {"Download Font", "폰트 다운로드"};
inline constexpr TextTwin kErrorCaptionText = {"Error", "에러"};
inline constexpr std::string_view kTfdFilter = "Font File(*.tfd) (*.tfd *.doc)";
// The save dialog opens on the working folder.
inline constexpr std::string_view kTfdStartFolder = ".";
inline constexpr std::string_view kTfdFilterKorean = "폰트 파일(*.tfd) (*.tfd *.doc)";

// The main window's TrueType group: Open File (1027) picks a font and its target through the font
// manager and the target window, Download (1028) wraps it, optionally saves it as a ".tfd" file and
// sends it in slices while the bar (1174) advances.
class FontDownload {
  public:
    static constexpr ui::ControlId kOpenFile = 1027;
    static constexpr ui::ControlId kDownload = 1028;
    static constexpr ui::ControlId kProgress = 1174;

    // `chosenBefore` is the host's flag of a target window that was run once.
    FontDownload(ui::Window& host, FontFiles& files, std::string_view appTitle, bool& chosenBefore);

    void openFile(printer::BorrowedLink link, int emulationKind);
    void download(printer::PrinterExchange& exchange, int messageLanguage);

    const FontSelection& selection() const { return selection_; }
    FontManagerWindow& manager() { return manager_; }
    FontTargetWindow& target() { return target_; }

  private:
    // Ends a download that stopped once the controls were set for sending.
    void endSending();
    int ask(const TextTwin& text, const TextTwin& caption, int language, ui::MessageButtons buttons,
            ui::MessageIcon icon);

    ui::Window& host_;
    FontFiles& files_;
    std::string appTitle_;
    bool& chosenBefore_;
    FontManagerWindow manager_;
    FontTargetWindow target_;
    FontSelection selection_;
};

}  // namespace hollin::fonts
