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

ui::SearchSaveProgress::Block& blockAt(void* mapping, ui::SearchSaveProgress::Block& local) {
    return mapping ? *static_cast<ui::SearchSaveProgress::Block*>(mapping) : local;
}

constexpr std::size_t kBlockSize = sizeof(ui::SearchSaveProgress::Block);

}  // namespace

SharedProgressBlock::SharedProgressBlock(const std::string& name, std::ostream& debug) : progress_(local_) {
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        debug << "SearchSaveProgress: shm_open(" << name << ") failed: " << std::strerror(errno)
              << "; values are kept in this process only\n";
        return;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 ||
        (static_cast<std::size_t>(st.st_size) < kBlockSize && ftruncate(fd, kBlockSize) != 0)) {
        debug << "SearchSaveProgress: cannot size " << name << ": " << std::strerror(errno)
              << "; values are kept in this process only\n";
        close(fd);
        return;
    }
    void* mapping = mmap(nullptr, kBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        debug << "SearchSaveProgress: mmap failed: " << std::strerror(errno)
              << "; values are kept in this process only\n";
        close(fd);
        return;
    }
    mapping_ = mapping;
    fd_ = fd;
    progress_ = ui::SearchSaveProgress(blockAt(mapping_, local_));
    // Every running copy holds a shared lock on the object. A copy that can take it exclusively is the
    // only one running, so the values left by copies that have ended are cleared, as at a first start.
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0)
        progress_.clear();
    flock(fd_, LOCK_SH);
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
