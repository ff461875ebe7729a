#include "platform/shared_progress.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sstream>

namespace hollin {
namespace {

using ui::Progress;

std::string uniqueName(const char* tag) {
    return "/hollin-test-" + std::string(tag) + "-" + std::to_string(getpid());
}

TEST(SharedProgressBlock, FirstCopyStartsFromZeroAndLaterCopiesShareTheValues) {
    const std::string name = uniqueName("share");
    std::ostringstream debug;
    {
        SharedProgressBlock first(name, debug);
        ASSERT_TRUE(first.isShared()) << debug.str();
        EXPECT_EQ(first.progress().get(Progress::SearchTime), 0u);
        first.progress().set(Progress::SearchTime, 123456u);
        first.progress().set(Progress::FoundFirst, 3u);

        SharedProgressBlock second(name, debug);  // another copy while the first still runs
        EXPECT_EQ(second.progress().get(Progress::SearchTime), 123456u);
        second.progress().set(Progress::TotalFound, 5u);
        EXPECT_EQ(first.progress().get(Progress::TotalFound), 5u);
    }
    SharedProgressBlock later(name, debug);  // every copy has ended: a fresh start
    EXPECT_EQ(later.progress().get(Progress::SearchTime), 0u);
    EXPECT_EQ(later.progress().get(Progress::TotalFound), 0u);
    shm_unlink(name.c_str());
}

TEST(SharedProgressBlock, TwoProcessesSeeTheSameValues) {
    const std::string name = uniqueName("fork");
    std::ostringstream debug;
    SharedProgressBlock parent(name, debug);
    ASSERT_TRUE(parent.isShared());
    parent.progress().set(Progress::SearchFlag, 1u);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::ostringstream childDebug;
        SharedProgressBlock mine(name, childDebug);
        const bool sawParent = mine.progress().get(Progress::SearchFlag) == 1u;
        mine.progress().set(Progress::SaveDone, 1u);
        mine.progress().set(Progress::FoundSecond, 7u);
        _exit(sawParent ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child did not see the parent's search flag";
    EXPECT_EQ(parent.progress().get(Progress::SaveDone), 1u);
    EXPECT_EQ(parent.progress().get(Progress::FoundSecond), 7u);
    shm_unlink(name.c_str());
}

TEST(SharedProgressBlock, FallsBackToLocalValuesAndSaysWhy) {
    std::ostringstream debug;
    SharedProgressBlock block("/no/such/dir", debug);  // a name shm_open refuses
    EXPECT_FALSE(block.isShared());
    EXPECT_NE(debug.str().find("kept in this process only"), std::string::npos) << debug.str();
    block.progress().set(Progress::FoundFirst, 2u);
    EXPECT_EQ(block.progress().get(Progress::FoundFirst), 2u);
}

}  // namespace
}  // namespace hollin
