// Files written whole: what lands at the target, with which mode, and what a planted link keeps.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/private_file.h"

namespace hollin {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ReplaceFile, NewFileBesideTheTargetRenamedOverALinkWithItsModeFromTheFirstByte) {
    struct Case {
        FileAccess access;
        fs::perms mode;  // under umask 027
    };
    const Case cases[] = {
        {FileAccess::Shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read},
        {FileAccess::Private, fs::perms::owner_read | fs::perms::owner_write},
    };
    const fs::path dir = fs::temp_directory_path() / ("hollin-replace-" + std::to_string(::getpid()));
    for (const Case& c : cases) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "victim") << "keep me";
        fs::permissions(dir / "victim", fs::perms::owner_read | fs::perms::owner_write);
        fs::create_symlink(dir / "victim", dir / "out");
        const std::string text = "written";
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        const mode_t before = ::umask(027);
        const FileWrite written = replaceFile((dir / "out").string(), bytes, c.access);
        ::umask(before);
        ASSERT_EQ(written, FileWrite::Done);
        EXPECT_EQ(contents(dir / "victim"), "keep me");
        EXPECT_FALSE(fs::is_symlink(dir / "out"));
        EXPECT_EQ(contents(dir / "out"), text);
        EXPECT_EQ(fs::status(dir / "out").permissions(), c.mode);
        // Nothing else is left in the folder; a folder that is not there gets nothing.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
        EXPECT_EQ(replaceFile((dir / "none" / "out").string(), bytes, c.access), FileWrite::NotCreated);
    }
    fs::remove_all(dir);
}

TEST(PrivateFile, ReplacedByRenameWithMode0600AndNothingLeftBeside) {
    const auto dir = fs::path(::testing::TempDir()) / "hollin-private-file-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto target = dir / "result.out", reader = dir / "held-open-elsewhere";
    std::ofstream(target) << "old";
    ASSERT_EQ(::chmod(target.c_str(), 0644), 0);
    ASSERT_EQ(::link(target.c_str(), reader.c_str()), 0);  // another name for the old file

    const std::string text = "new record";
    ASSERT_TRUE(writePrivateFile(target.string(),
                                 std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
    EXPECT_EQ(contents(target), text);
    EXPECT_EQ(contents(reader), "old") << "the old file was written over in place";
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2) << "a temporary file was left";

    EXPECT_FALSE(writePrivateFile((dir / "missing-folder" / "x").string(), {})) << "no place, no file";
    fs::remove_all(dir);
}

}  // namespace
}  // namespace hollin
