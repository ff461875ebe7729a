// The shared progress block on Linux: a POSIX shared-memory object that every running copy maps.
//
// Start-up: a copy that can lock the object exclusively (without waiting) is the only one running; it
// sizes the object and clears the values left by copies that have ended while it still holds that
// lock, then keeps a shared lock for as long as it runs. Any other copy waits for a shared lock, which
// it gets only once no copy holds the exclusive one, so it never maps an object that has not been
// sized yet and never clears. Downgrading the exclusive lock is not atomic: another copy starting at
// that moment may take the exclusive lock and clear again, but the first copy has not returned (it is
// still waiting for its shared lock) and so has written nothing that could be lost.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/shared_progress.h"

namespace hollin {
namespace {

constexpr std::size_t kBlockSize = sizeof(ui::SearchSaveProgress::Block);

// flock() that carries on after a signal; false on any other failure.
bool lockFile(int fd, int operation) {
    while (flock(fd, operation) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// Grows the object to the block's size when it is smaller (a copy of another build may have left a
// shorter one); never shrinks it and never touches the values.
bool sizeObject(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    return static_cast<std::size_t>(st.st_size) >= kBlockSize || ftruncate(fd, kBlockSize) == 0;
}

}  // namespace

SharedProgressBlock::SharedProgressBlock(const std::string& name, std::ostream& debug) : progress_(local_) {
    const auto fallBack = [&](const char* what, int fd) {
        debug << "SearchSaveProgress: " << what << " (" << name << ") failed: " << std::strerror(errno)
              << "; values are kept in this process only\n";
        if (fd >= 0)
            close(fd);
    };
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        fallBack("shm_open", fd);
        return;
    }

    // Every running copy holds a shared lock on the object; see the top of this file.
    const bool alone = flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (!alone && !lockFile(fd, LOCK_SH))
        debug << "SearchSaveProgress: flock(" << name << ") failed: " << std::strerror(errno)
              << "; the values are shared without a lock\n";
    if (!sizeObject(fd)) {
        fallBack("sizing", fd);
        return;
    }
    void* mapping = mmap(nullptr, kBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        fallBack("mmap", fd);
        return;
    }
    mapping_ = mapping;
    fd_ = fd;
    progress_ = ui::SearchSaveProgress(*static_cast<ui::SearchSaveProgress::Block*>(mapping));
    if (alone) {
        progress_.clear();  // as at a first start
        if (!lockFile(fd_, LOCK_SH))
            debug << "SearchSaveProgress: flock(LOCK_SH) failed: " << std::strerror(errno)
                  << "; a copy started later may clear the values\n";
    }
}

SharedProgressBlock::~SharedProgressBlock() {
    if (mapping_)
        munmap(mapping_, kBlockSize);
    if (fd_ >= 0)
        close(fd_);  // releases the lock
}

SharedProgressBlock& SharedProgressBlock::program() {
    static SharedProgressBlock block("/hollin-search-save-progress", std::cerr);
    return block;
}

}  // namespace hollin
