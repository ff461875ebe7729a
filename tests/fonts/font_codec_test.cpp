// The font envelope, the printer's font commands and the readers of its answers.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fonts/font_codec.h"
#include "support/byte_text.h"

namespace hollin::fonts {
namespace {

using test::bytesOf;
using test::concat;

TEST(FontSize, AcceptedFrom225To4194272Bytes) {
    EXPECT_FALSE(fontSizeAccepted(224));
    EXPECT_TRUE(fontSizeAccepted(225));
    EXPECT_TRUE(fontSizeAccepted(4194272));
    EXPECT_FALSE(fontSizeAccepted(4194273));
}

TEST(FontName, CutAtTheExtensionThenAtSixteenBytes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"MyFont.ttf", "MyFont"},
        {"Gothic.Bold.TTF", "Gothic.Bold"},
        {"VeryLongFontName123.ttf", "VeryLongFontName"},
        {"a.b.Ttf", "a"},
        {"noextension_at_all_here", "noextension_at_a"},
        {"Liberation Sans.ttf", "Liberation Sans"},
        {"dejavu/DejaVuSans.ttf", "DejaVuSans"},
        // 15 ASCII bytes then a two-byte letter: the letter is not split.
        {"abcdefghijklmno\xC3\xA9.ttf", "abcdefghijklmno"},
    };
    for (const auto& [file, name] : cases)
        EXPECT_EQ(fontNameFromFileName(file), name) << file;
}

TEST(FontDownloadStream, Id3FlashThousandBytes) {
    const Bytes font(1000, 0xAB);
    const Bytes stream = fontDownloadStream(3, FontMemory::Flash, "MyFont", font);
    Bytes header = {0x04, 0x20, 0x03, 0x00};
    const Bytes name = bytesOf("MyFont");
    header.insert(header.end(), name.begin(), name.end());
    header.insert(header.end(), 10, 0);
    const Bytes tail = {0x00, 0x01, 0x00, 0x00, 0x08, 0x04, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00};
    header.insert(header.end(), tail.begin(), tail.end());
    EXPECT_EQ(stream, concat({{0x1D}, bytesOf("{W,3,A,F,1032,"), header, font, {'}'}}));
    EXPECT_EQ(stream.size(), 1048u);
    EXPECT_EQ(fontDownloadCommand(2, FontMemory::Ram, 300), concat({{0x1D}, bytesOf("{W,2,A,R,332,")}));
    // A 16-byte name fills its field without a terminator.
    const auto full = fontHeader(1, "VeryLongFontName", 225);
    EXPECT_EQ(std::string(full.begin() + 4, full.begin() + 20), "VeryLongFontName");
    EXPECT_EQ(full[20], 0);
}

TEST(FontSlicePlan, TenSlicesAndAShortEleventh) {
    const auto plan = fontSlicePlan(1048);
    ASSERT_EQ(plan.size(), 11u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(plan[i].offset, i * 104);
        EXPECT_EQ(plan[i].length, 104u);
        EXPECT_EQ(plan[i].progress, static_cast<int>(10 * (i + 1)));
    }
    EXPECT_EQ(plan[10].length, 8u);
    EXPECT_EQ(plan[10].progress, 110);
    EXPECT_EQ(fontSlicePlan(1040).size(), 10u);
}

TEST(TfdFileName, AppendedUnlessPresentAnywhere) {
    EXPECT_EQ(tfdFileName("myfont"), "myfont.tfd");
    EXPECT_EQ(tfdFileName("x.tfd.bak"), "x.tfd.bak");
    EXPECT_EQ(tfdFileName("/tmp/a.tfd"), "/tmp/a.tfd");
}

TEST(FontCommands, RequestsAndDeletes) {
    EXPECT_EQ(cpclDirectoryRequest(), concat({{0x1D}, bytesOf("{W,0,H,F}")}));
    EXPECT_EQ(zplMemoryRequest(), concat({{0x1D}, bytesOf("{W,0,M,F}")}));
    EXPECT_EQ(zplFontListRequest(), concat({{0x1D}, bytesOf("{W,0,H,Z}")}));
    EXPECT_EQ(zplDeleteCommand(7), concat({{0x1D}, bytesOf("{W,7,C,F}")}));
    // The delete names the font as listed, even beyond the 19 characters the list shows.
    EXPECT_EQ(cpclDeleteCommand("ABCDEFGHIJKLMNOPQRSTUV.TTF"),
              bytesOf("! U1 DEL ABCDEFGHIJKLMNOPQRSTUV.TTF\r\n"));
    // A name holding a control byte would carry a command of its own: refused.
    for (const std::string& name : {std::string("A\x1B"
                                                "B.TTF"),
                                    std::string("A\tB"), std::string("A\x7F"), std::string("A\0B", 3)})
        EXPECT_FALSE(cpclDeleteCommand(name)) << name;
    EXPECT_TRUE(cpclDeleteCommand("Gothic\xC3\xA9.TTF"));
}

TEST(CpclDirectory, EntriesFreeAndUsed) {
    const auto d = parseCpclDirectory(
        bytesOf("Directory\r\nFONT1.TTF 12000\r\nFONT2.TTF 8000\r\n500000 bytes free\r\n"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->entries, (std::vector<PrinterFontEntry>{{0, "FONT1.TTF", 12000}, {0, "FONT2.TTF", 8000}}));
    EXPECT_EQ(d->free, 500000u);
    EXPECT_EQ(d->used, 20000u);
    EXPECT_EQ(fontListLine(d->entries[0]), "  0        FONT1.TTF      12000");
}

TEST(CpclDirectory, SignatureAndListingEnds) {
    EXPECT_TRUE(parseCpclDirectory(bytesOf("x Directory\r\n100 bytes free")));
    EXPECT_FALSE(parseCpclDirectory(bytesOf("xy Directory\r\n100")));
    EXPECT_FALSE(parseCpclDirectory(bytesOf("x")));
    EXPECT_FALSE(parseCpclDirectory({}));
    // A font named 12345 is the free-memory figure and ends the listing.
    const auto d = parseCpclDirectory(bytesOf("Directory\r\nA.TTF 10\r\n12345 300\r\nB.TTF 20\r\n"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->entries.size(), 1u);
    EXPECT_EQ(d->free, 12345u);
    // Tokens running out: no free figure, a name without its size dropped.
    const auto cut = parseCpclDirectory(bytesOf("Directory A.TTF 10 B.TTF"));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->entries.size(), 1u);
    EXPECT_FALSE(cut->free);
    // Figures saturate at 32 bits.
    EXPECT_EQ(parseCpclDirectory(bytesOf("Directory 99999999999999"))->free, 4294967295u);
}

TEST(ZplReplies, MemoryAndList) {
    EXPECT_EQ(parseZplMemory(bytesOf("{RW,0,M,F|1048576,20480|}"))->free, 1048576u);
    EXPECT_EQ(parseZplMemory(bytesOf("{RW,0,M,F|1048576,20480|}"))->used, 20480u);
    // A piece without "," leaves Used 0; no data piece leaves both 0; a short reply is refused.
    EXPECT_EQ(parseZplMemory(bytesOf("{RW,0,M,F|123456|}"))->used, 0u);
    EXPECT_EQ(parseZplMemory(bytesOf("{RW,0,M,F|}"))->free, 0u);
    EXPECT_FALSE(parseZplMemory(bytesOf("{RW,0,M,")));
    EXPECT_FALSE(parseZplMemory(bytesOf("{RW,0,H,Z|1,2|}")));
    const auto list = parseZplFontList(bytesOf("{RW,0,H,Z|1,FONTA,12000|2,B|12,FONTB|3,FONTC,8000\n}"));
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (std::vector<PrinterFontEntry>{{1, "FONTA", 12000}, {3, "FONTC", 8000}}));
    EXPECT_FALSE(parseZplFontList(bytesOf("{RW,0,H,F}")));
}

TEST(FontListLine, NamesShownAsUtf8OrLatin1AndCutTo19) {
    EXPECT_EQ(fontListLine({0, "a", 1}), "  0                a          1");
    EXPECT_EQ(fontListLine({4, "ABCDEFGHIJKLMNOPQRSTUV", 5}), "  4 ABCDEFGHIJKLMNOPQRS          5");
    EXPECT_EQ(fontListLine({1, "\xE9", 2}), "  1                \xC3\xA9          2");
}

TEST(FontReplyParsers, SurviveRandomAndOversizedInput) {
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        Bytes reply(random() % 3000);
        for (auto& b : reply)
            b = static_cast<std::uint8_t>(random() % 8 == 0 ? "{W0MFHZ|,\n 9"[random() % 12] : random());
        const auto d = parseCpclDirectory(reply);
        if (d) {
            EXPECT_LE(d->entries.size(), kMaxFontEntries);
        }
        const auto list = parseZplFontList(reply);
        if (list) {
            EXPECT_LE(list->size(), kMaxFontEntries);
        }
        (void)parseZplMemory(reply);
    }
    std::string many = "{RW,0,H,Z";
    for (int i = 0; i < 150; ++i)
        many += "|" + std::to_string(i) + ",F,100";
    EXPECT_EQ(parseZplFontList(bytesOf(many))->size(), kMaxFontEntries);
}

}  // namespace
}  // namespace hollin::fonts
