#include "platform/shared_progress.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
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

// A meeting point for a process and its forked child: each side waits there until the other comes.
class Rendezvous {
  public:
    Rendezvous() { ok_ = pipe(toChild_) == 0 && pipe(toParent_) == 0; }
    bool ok() const { return ok_; }
    // Called once on each side after the fork; keeps the ends that side uses.
    void takeSide(bool child) {
        child_ = child;
        close(child ? toChild_[1] : toParent_[1]);
        close(child ? toParent_[0] : toChild_[0]);
    }
    // False when the other side has gone.
    bool meet() const {
        const char byte = 1;
        char got = 0;
        return write(child_ ? toParent_[1] : toChild_[1], &byte, 1) == 1 &&
               read(child_ ? toChild_[0] : toParent_[0], &got, 1) == 1;
    }

  private:
    int toChild_[2] = {-1, -1};
    int toParent_[2] = {-1, -1};
    bool ok_ = false;
    bool child_ = false;
};

// Two copies start at the same moment, again and again: whichever clears the block as the first copy,
// neither may lose a value the other wrote once it was running.
TEST(SharedProgressBlock, CopiesStartingTogetherNeverClearWhatARunningCopyWrote) {
    const std::string name = uniqueName("race");
    Rendezvous rendezvous;
    ASSERT_TRUE(rendezvous.ok());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    const bool isChild = child == 0;
    rendezvous.takeSide(isChild);
    const Progress mine = isChild ? Progress::FoundSecond : Progress::FoundFirst;
    const Progress theirs = isChild ? Progress::FoundFirst : Progress::FoundSecond;

    constexpr std::uint32_t kRounds = 300;
    std::uint32_t faults = 0;
    for (std::uint32_t round = 1; round <= kRounds && rendezvous.meet(); ++round) {
        std::ostringstream debug;
        {
            SharedProgressBlock block(name, debug);
            block.progress().set(mine, round);
            rendezvous.meet();  // both run and have written
            if (!block.isShared() || block.progress().get(mine) != round ||
                block.progress().get(theirs) != round)
                ++faults;
            rendezvous.meet();  // both have looked; now both end
        }
        if (!rendezvous.meet())  // no copy runs when the next round starts
            ++faults;
    }
    if (isChild)
        _exit(faults == 0 ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    shm_unlink(name.c_str());
    EXPECT_EQ(faults, 0u);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child lost values";
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
