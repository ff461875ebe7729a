#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/text_twin.h"
#include "fonts/font_codec.h"
#include "fonts/font_files.h"
#include "transport/byte_channel.h"
#include "transport/outcome.h"

// The font actions as calls that run the whole exchange and return what happened; the font windows
// and the command line map the results to their messages.
namespace hollin::fonts {

using printer::ByteChannel;

// --- reading the printer's answer
// Reads of the channel's reply piece (256 bytes serial, 64 USB), at most 2048 bytes in all; 10 ms between
// empty reads; complete after 71 empty reads in a row once bytes came (about 0.7 s of silence), given up
// after 301 empty reads without any (about 3 s). Nothing when no byte came.
inline constexpr std::size_t kFontReplyBytes = 2048;
inline constexpr std::uint32_t kFontIdlePollMs = 10;
inline constexpr int kFontQuietPolls = 71;
inline constexpr int kFontSilentPolls = 301;
std::optional<Bytes> collectFontReply(ByteChannel& channel);

// What the printer holds. Outcome: Done; NotSent (a request did not go out); NoResponse;
// BadReply (an answer without its signature); Unsupported (neither CPCL nor ZPL: nothing sent).
struct FontDirectoryResult {
    Outcome outcome = Outcome::Done;
    std::vector<PrinterFontEntry> entries;
    // The memory figures the printer gave (a ZPL printer's even when its list then failed); none:
    // the shown values stay as they were.
    std::optional<std::uint32_t> free;
    std::optional<std::uint32_t> used;
};
FontDirectoryResult readPrinterFonts(ByteChannel& channel, int emulationKind);

// Deletes one font, by the name the CPCL printer listed or by the ZPL printer's ID. Done once sent
// (the printer does not answer); NotSent; Refused (nothing sent) for a CPCL name holding a control
// byte; Unsupported for other emulations.
Outcome deletePrinterFont(ByteChannel& channel, int emulationKind, const PrinterFontEntry& entry);

// --- download, with the messages of its failures
// The TrueType file cannot be wrapped (see buildFontDownload).
inline constexpr TextTwin kFileSizeText = {"Please, check the file size", "파일 크기가 너무 큽니다."};
// The ".tfd" copy: it could not be created, written whole, found again or read back at its size.
inline constexpr std::string_view kWriteOpenFailedText = "Write Open Failed";
inline constexpr TextTwin kTfdWriteFailedText = {"The font file could not be written; nothing was sent.",
                                                 "폰트 파일을 쓸 수 없어 전송하지 않았습니다."};
inline constexpr std::string_view kFileMissingFormat = "%s file is not exist";
inline constexpr TextTwin kReadSizeErrorText = {"Read file size error", "파일 크기 에러"};

struct FontSelection {
    std::string path;      // the TrueType file
    std::string fileName;  // its name as chosen (the header's name comes from its base name)
    int fontId = 1;        // 1..9
    FontMemory memory = FontMemory::Flash;
};

// The stream for the selection; nothing when the file cannot be opened, its size is out of range
// or it reads short of its size.
std::optional<Bytes> buildFontDownload(FontFiles& files, const FontSelection& selection);

// The ".tfd" file read back before sending: its bytes, or why not.
struct SavedStream {
    enum class Status { Read, Missing, WrongSize } status = Status::Read;
    Bytes bytes;
};
SavedStream rereadFontStream(FontFiles& files, const std::string& path, std::size_t expectedSize);

// Sends the stream slice by slice (fontSlicePlan), reporting the bar's position after each; stops
// at the first slice not sent. True when every slice went out.
bool sendFontStream(const std::function<bool(std::span<const std::uint8_t>)>& send,
                    std::span<const std::uint8_t> stream, const std::function<void(int)>& progress = {});

}  // namespace hollin::fonts
