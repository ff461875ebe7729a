// Reading, deleting and downloading fonts against the in-process virtual printer (and played
// answers), on the virtual clock; the ".tfd" file in a temporary folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "fonts/font_operations.h"
#include "link/usb_link.h"
#include "printer/printer_commands.h"
#include "sim/fonts.h"
#include "sim/virtual_printer.h"
#include "support/byte_text.h"
#include "support/played_channel.h"
#include "transport/printer_exchange.h"

namespace hollin::fonts {
namespace {

using test::bytesOf;
using test::PlayedChannel;

// The printer straight behind the channel: what is sent arrives at once, answers are read as they
// become due on the virtual clock.
class PrinterChannel final : public ByteChannel {
  public:
    explicit PrinterChannel(int emulation) : printer(time, emulation) {}
    VirtualClock time;
    sim::VirtualPrinter printer;
    bool refuse = false;
    bool send(std::span<const std::uint8_t> bytes) override {
        return !refuse && printer.receive(bytes) == bytes.size();
    }
    int receive(std::span<std::uint8_t> buffer) override {
        const Bytes out = printer.takeOutput(buffer.size());
        std::copy(out.begin(), out.end(), buffer.begin());
        return static_cast<int>(out.size());
    }
    Clock& clock() override { return time; }
};

Bytes fontBytes(std::size_t n) {
    Bytes font(n);
    for (std::size_t i = 0; i < n; ++i)
        font[i] = static_cast<std::uint8_t>(i * 7);
    // Bytes a command reader could mistake for commands: a CPCL wake-up, zeros and a closing brace.
    const Bytes tricky = {0x1C, 0x45, 0x43, 0x00, 0x00, '}', 0x1D, '{', 'W', ','};
    std::copy(tricky.begin(), tricky.end(), font.begin() + 40);
    return font;
}

bool sendAll(PrinterChannel& ch, const Bytes& stream) {
    return sendFontStream([&ch](std::span<const std::uint8_t> b) { return ch.send(b); }, stream);
}

// --- reply collection

TEST(CollectFontReply, SilentPrinterGivesUpAfterExactly301IdlePolls) {
    PlayedChannel ch;
    EXPECT_FALSE(collectFontReply(ch));
    EXPECT_EQ(ch.receives, kFontSilentPolls);
    EXPECT_EQ(ch.time.sleepCount(), static_cast<std::uint64_t>(kFontSilentPolls));
    EXPECT_EQ(ch.time.tickMs(), kFontSilentPolls * kFontIdlePollMs);
}

TEST(CollectFontReply, ReadsOf256Or64AndDoneAfter71QuietPolls) {
    PlayedChannel ch;
    ch.chunks = {Bytes(300, 'a')};
    const auto serial = collectFontReply(ch);
    ASSERT_TRUE(serial);
    EXPECT_EQ(serial->size(), 300u);
    EXPECT_EQ(ch.receives, 2 + kFontQuietPolls);
    ch.receives = 0;
    ch.chunks = {Bytes(100, 'b')};
    ch.piece = UsbLink::kReplyPieceBytes;  // a USB link's smaller reads
    EXPECT_EQ(collectFontReply(ch)->size(), 100u);
    EXPECT_EQ(ch.receives, 2 + kFontQuietPolls);
}

TEST(CollectFontReply, PrinterThatNeverFallsSilentStopsAt2048Bytes) {
    PlayedChannel ch;
    for (int i = 0; i < 100; ++i)
        ch.chunks.push_back(Bytes(256, 'x'));
    EXPECT_EQ(collectFontReply(ch)->size(), kFontReplyBytes);
}

TEST(CollectFontReply, GapsUnder700MsJoinedLongerCut) {
    PrinterChannel ch(kCpcl);
    ch.printer.setReplyPieces(8, 690);
    ASSERT_TRUE(ch.send(cpclDirectoryRequest()));
    const auto joined = collectFontReply(ch);
    ASSERT_TRUE(joined);
    EXPECT_TRUE(parseCpclDirectory(*joined)->free);
    PrinterChannel late(kCpcl);
    late.printer.setReplyPieces(8, 720);
    ASSERT_TRUE(late.send(cpclDirectoryRequest()));
    EXPECT_EQ(collectFontReply(late)->size(), 8u);
}

// --- read and delete on the virtual printer

TEST(PrinterFonts, DownloadListAndDeleteOnCpclAndZpl) {
    for (const int emulation : {kCpcl, kZpl}) {
        PrinterChannel ch(emulation);
        const Bytes font = fontBytes(1000);
        ASSERT_TRUE(sendAll(ch, fontDownloadStream(3, FontMemory::Flash, "MyFont", font)));
        ASSERT_TRUE(sendAll(ch, fontDownloadStream(5, FontMemory::Flash, "Other", fontBytes(300))));
        const auto stored = ch.printer.fonts();
        ASSERT_EQ(stored.fonts.size(), 2u) << emulation;
        EXPECT_EQ(stored.fonts[0].name, "MyFont");
        EXPECT_EQ(stored.fonts[0].size, 1000u);
        EXPECT_EQ(stored.fonts[0].checksum, itemCrc(font));
        EXPECT_EQ(ch.printer.ignoredBytes(), 0u);

        const FontDirectoryResult read = readPrinterFonts(ch, emulation);
        ASSERT_EQ(read.outcome, Outcome::Done);
        ASSERT_EQ(read.entries.size(), 2u);
        EXPECT_EQ(read.entries[0].name, "MyFont");
        EXPECT_EQ(read.entries[0].size, 1000u);
        EXPECT_EQ(read.entries[0].id, emulation == kZpl ? 3u : 0u);
        EXPECT_EQ(read.used, 1300u);
        EXPECT_EQ(read.free, stored.flashBytes - 1300);

        EXPECT_EQ(deletePrinterFont(ch, emulation, read.entries[0]), Outcome::Done);
        ASSERT_EQ(ch.printer.fonts().fonts.size(), 1u);
        EXPECT_EQ(ch.printer.fonts().fonts[0].name, "Other");
    }
}

TEST(PrinterFonts, FailuresOfTheRead) {
    PrinterChannel silent(kZpl);
    silent.printer.setSilent(true);
    EXPECT_EQ(readPrinterFonts(silent, kZpl).outcome, Outcome::NoResponse);
    PrinterChannel refused(kCpcl);
    refused.refuse = true;
    EXPECT_EQ(readPrinterFonts(refused, kCpcl).outcome, Outcome::NotSent);
    EXPECT_EQ(deletePrinterFont(refused, kCpcl, {0, "A", 1}), Outcome::NotSent);
    PrinterChannel controlName(kCpcl);
    EXPECT_EQ(deletePrinterFont(controlName, kCpcl,
                                {0,
                                 "A\x1B"
                                 "B",
                                 1}),
              Outcome::Refused);
    EXPECT_EQ(controlName.printer.bytesReceived(), 0u);
    PrinterChannel other(kEscPos);
    EXPECT_EQ(readPrinterFonts(other, kEscPos).outcome, Outcome::Unsupported);
    EXPECT_EQ(other.printer.bytesReceived(), 0u);
    // An answer shorter than the signature's bytes is refused, not read past its end.
    PlayedChannel shortReply;
    shortReply.chunks = {bytesOf("{W,0,M")};
    EXPECT_EQ(readPrinterFonts(shortReply, kZpl).outcome, Outcome::BadReply);
}

TEST(PrinterFonts, ADownloadWithAHeaderOfAnotherSizeIsRejected) {
    PrinterChannel ch(kCpcl);
    Bytes stream = fontDownloadStream(3, FontMemory::Flash, "MyFont", fontBytes(300));
    stream[15 + 24] ^= 1;  // the header's size field
    ASSERT_TRUE(sendAll(ch, stream));
    EXPECT_TRUE(ch.printer.fonts().fonts.empty());
}

// --- download

struct FontFolder : ::testing::Test {
    std::filesystem::path dir;
    SystemFontFiles files;
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("hollin-fonts-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string write(const std::string& name, const Bytes& bytes) {
        const auto path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
};

TEST_F(FontFolder, SizeRuleAndStream) {
    const Bytes font = fontBytes(225);
    const FontSelection ok{write("MyFont.ttf", font), "MyFont.ttf", 3, FontMemory::Flash};
    EXPECT_EQ(buildFontDownload(files, ok), fontDownloadStream(3, FontMemory::Flash, "MyFont", font));
    const FontSelection small{write("Small.ttf", fontBytes(224)), "Small.ttf", 3, FontMemory::Flash};
    EXPECT_FALSE(buildFontDownload(files, small));
    EXPECT_FALSE(buildFontDownload(files, {(dir / "none.ttf").string(), "none.ttf", 1, FontMemory::Flash}));
}

// A file that changed between its sizing and its reading: fewer bytes than its size.
class ShortFiles final : public FontFiles {
  public:
    std::optional<Read> read(const std::string&, std::uint64_t) override { return Read{300, Bytes(200, 1)}; }
    Written replace(const std::string&, std::span<const std::uint8_t>) override { return Written::Done; }
    std::vector<std::string> trueTypeFiles(const std::string&) override { return {}; }
};

TEST(BuildFontDownload, AFontReadShortOfItsSizeIsRefused) {
    ShortFiles files;
    EXPECT_FALSE(buildFontDownload(files, {"a.ttf", "a.ttf", 1, FontMemory::Flash}));
    EXPECT_EQ(rereadFontStream(files, "a.tfd", 300).status, SavedStream::Status::WrongSize);
}

TEST_F(FontFolder, TfdWrittenWholeAndReadBack) {
    const Bytes stream = fontDownloadStream(1, FontMemory::Flash, "A", fontBytes(400));
    const std::string path = (dir / "a.tfd").string();
    EXPECT_EQ(files.replace(path, stream), FontFiles::Written::Done);
    const SavedStream saved = rereadFontStream(files, path, stream.size());
    EXPECT_EQ(saved.status, SavedStream::Status::Read);
    EXPECT_EQ(saved.bytes, stream);
    // Another length on re-reading: refused.
    EXPECT_EQ(rereadFontStream(files, path, stream.size() + 1).status, SavedStream::Status::WrongSize);
    EXPECT_EQ(rereadFontStream(files, path + "x", stream.size()).status, SavedStream::Status::Missing);
    // Not creatable: the old file stays as it was.
    EXPECT_EQ(files.replace((dir / "no" / "b.tfd").string(), stream), FontFiles::Written::NotCreated);
    EXPECT_EQ(std::filesystem::file_size(path), stream.size());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              1);
}

TEST_F(FontFolder, TrueTypeFilesSortedIgnoringCaseWithSubFolders) {
    write("b.TTF", {1});
    write("A.ttf", {1});
    write("c.otf", {1});
    std::filesystem::create_directories(dir / "sub");
    write("sub/z.ttf", {1});
    EXPECT_EQ(files.trueTypeFiles(dir.string() + "/"),
              (std::vector<std::string>{"A.ttf", "b.TTF", "sub/z.ttf"}));
    ::setenv("HOLLIN_FONT_DIR", dir.c_str(), 1);
    EXPECT_EQ(defaultFontFolder(), dir.string() + "/");
    ::unsetenv("HOLLIN_FONT_DIR");
    EXPECT_EQ(defaultFontFolder(), "/usr/share/fonts/truetype/");
}

// A link planted at the chosen name takes the font bytes in place of its target.
TEST_F(FontFolder, TfdOverAPlantedLinkLeavesTheLinksTargetAlone) {
    const std::string victim = write("victim", bytesOf("keep me"));
    const std::string path = (dir / "a.tfd").string();
    std::filesystem::create_symlink(victim, path);
    const Bytes stream = fontDownloadStream(1, FontMemory::Flash, "A", fontBytes(300));
    const mode_t before = ::umask(027);
    const FontFiles::Written written = files.replace(path, stream);
    ::umask(before);
    ASSERT_EQ(written, FontFiles::Written::Done);
    std::ifstream in(victim, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(rereadFontStream(files, path, stream.size()).bytes, stream);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
}

// A FIFO named like a font and a tree deeper than the walk goes: listed at once, the FIFO neither
// listed nor waited on when read.
TEST_F(FontFolder, AFifoAndADeepTreeAreListedWithoutBlocking) {
    write("a.ttf", {1});
    ASSERT_EQ(::mkfifo((dir / "pipe.ttf").c_str(), 0600), 0);
    std::filesystem::path deep = dir;
    for (int level = 1; level <= kFontWalkDepth + 2; ++level) {
        deep /= "d" + std::to_string(level);
        std::filesystem::create_directories(deep);
        std::ofstream(deep / ("at" + std::to_string(level) + ".ttf")) << 'x';
    }
    std::filesystem::create_directory_symlink(dir, dir / "loop");
    auto listing = std::async(std::launch::async, [&] { return files.trueTypeFiles(dir.string() + "/"); });
    ASSERT_EQ(listing.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(listing.get(), (std::vector<std::string>{"a.ttf", "d1/at1.ttf", "d1/d2/at2.ttf",
                                                       "d1/d2/d3/at3.ttf", "d1/d2/d3/d4/at4.ttf"}));
    auto reading =
        std::async(std::launch::async, [&] { return files.read((dir / "pipe.ttf").string(), 100); });
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(reading.get());
}

TEST(SendFontStream, StopsAtTheFirstSliceNotSent) {
    const Bytes stream(1048, 'x');
    std::vector<std::size_t> sent;
    std::vector<int> progress;
    int calls = 0;
    EXPECT_FALSE(sendFontStream(
        [&](std::span<const std::uint8_t> b) {
            if (++calls == 4)
                return false;
            sent.push_back(b.size());
            return true;
        },
        stream, [&](int p) { progress.push_back(p); }));
    EXPECT_EQ(sent, (std::vector<std::size_t>{104, 104, 104}));
    EXPECT_EQ(progress, (std::vector<int>{10, 20, 30}));
}

}  // namespace
}  // namespace hollin::fonts
