// The private-file writer replaces a file whole: a new file renamed over the old one, never the old
// one cut and written again.
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

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PrivateFile, ReplacedByRenameWithMode0600AndNothingLeftBeside) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "hollin-private-file-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2) << "a temporary file was left";

    EXPECT_FALSE(writePrivateFile((dir / "missing-folder" / "x").string(), {})) << "no place, no file";
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace hollin
