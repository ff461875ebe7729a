#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_twin.h"
#include "fonts/font_codec.h"
#include "fonts/font_files.h"
#include "transport/byte_channel.h"
#include "ui/window.h"

namespace hollin::fonts {

using ui::ControlId;

// Dialog 157.
namespace fm {
inline constexpr ControlId kOpenFolder = 1165;
inline constexpr ControlId kFolder = 1166;
inline constexpr ControlId kTrueTypeList = 1167;
inline constexpr ControlId kPrinterList = 1168;
inline constexpr ControlId kDelete = 1199;
inline constexpr ControlId kFileSize = 1205;
inline constexpr ControlId kFree = 1206;
inline constexpr ControlId kRead = 1207;
inline constexpr ControlId kUsed = 1208;
}  // namespace fm

// Dialog 160.
namespace ft {
inline constexpr ControlId kFontId = 1168;
inline constexpr ControlId kRam = 1171;
inline constexpr ControlId kFlash = 1172;
}  // namespace ft

inline constexpr TextTwin kSelectFontText = {"Select font ?", "폰트 선택 ?"};
inline constexpr TextTwin kNoResponseText = {"Printer is no response", "Printer가 응답이 없습니다."};
inline constexpr TextTwin kTimeoutCaption = {"Timeout Error", "Timeout 에러"};
inline constexpr TextTwin kInvalidSyntaxText = {"Invalid Syntax ???", "Invalid Syntax ???"};
inline constexpr TextTwin kReceiveErrorCaption = {"Receive Error", "수신 에러"};
inline constexpr TextTwin kReadingSuccessText = {"Reading success", "읽어오기 완료"};
inline constexpr TextTwin kDeleteSuccessText = {"Delete success", "삭제 완료"};
inline constexpr TextTwin kSendingErrorText = {"Sending ERROR", "전송 에러"};
// A listed name holding control bytes: deleting it would send them to the printer as commands.
inline constexpr TextTwin kFontNameRefusedText = {
    "The printer listed this font with control characters in its name; it is not deleted.",
    "프린터가 알려 준 폰트 이름에 제어 문자가 있어 삭제하지 않습니다."};
inline constexpr std::string_view kFolderBrowserTitle = "Choose a folder containing TTF fonts";

// The font manager (dialog 157): picks the TrueType file to download from a folder, and reads and
// deletes the fonts the printer holds over the main window's lent port. Set up with prepare() before
// every run; made afresh by every opening.
class FontManagerWindow : public ui::Window {
  public:
    static constexpr int kDialogId = 157;
    static constexpr std::string_view kTitle = "Download Font Selection Dialog";

    // `appTitle` captions the window's information boxes.
    FontManagerWindow(FontFiles& files, std::string_view appTitle);

    // The lent port (kept until the next prepare), its link kind and the printer's emulation.
    void prepare(printer::ByteChannel& channel, int emulationKind);

    void onInit() override;
    void onOk() override;  // "&Select to download"

    // The folder ("/"-terminated) and the file chosen in it (a path relative to it).
    const std::string& folder() const { return folder_; }
    const std::string& chosenFile() const { return chosen_; }
    const std::vector<PrinterFontEntry>& printerFonts() const { return entries_; }

  private:
    void listFolder();
    void openFolder();
    void readPrinterFonts();
    void deleteFont();
    void showFigures();
    void fillPrinterList();
    void selectionChanged();
    // A box titled with the application's title, or with `caption` when given.
    void message(const TextTwin& text, const TextTwin* caption = nullptr);

    FontFiles& files_;
    std::string appTitle_;
    printer::ByteChannel* channel_ = nullptr;
    int emulationKind_ = 0;
    int messageLanguage_ = kLanguageEnglish;
    std::string folder_;
    std::string chosen_;
    std::vector<PrinterFontEntry> entries_;
    std::uint32_t fileSize_ = 0;
    std::uint32_t free_ = 0;
    std::uint32_t used_ = 0;
};

// The font ID and target memory (dialog 160). Kept by the main window, so the memory chosen lasts
// from one opening to the next.
class FontTargetWindow : public ui::Window {
  public:
    static constexpr int kDialogId = 160;
    static constexpr std::string_view kTitle = "Select Font ID and Target Memory";

    FontTargetWindow();

    // False at the first opening: Flash is checked; true later: the memory kept is checked.
    void setRemember(bool remember) { remember_ = remember; }
    void onInit() override;
    void onOk() override;

    int fontId() const { return fontId_; }  // 1..9 after OK
    FontMemory memory() const { return memory_; }

  private:
    bool remember_ = false;
    int index_ = 0;
    int fontId_ = 1;
    FontMemory memory_ = FontMemory::Flash;
};

}  // namespace hollin::fonts
