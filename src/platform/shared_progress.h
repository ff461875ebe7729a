#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "platform/search_save_progress.h"

namespace hollin {

// The program-wide SearchSaveProgress block. On Linux it lives in POSIX shared memory so that every
// running copy sees the same six values; the first copy to start finds them zero. When shared memory
// cannot be had, the values are kept in this process only and the reason goes to the debug stream.
class SharedProgressBlock {
  public:
    // `name` is the shared-memory object's name ("/hollin-search-save-progress" for the program).
    SharedProgressBlock(const std::string& name, std::ostream& debug);
    ~SharedProgressBlock();
    SharedProgressBlock(const SharedProgressBlock&) = delete;
    SharedProgressBlock& operator=(const SharedProgressBlock&) = delete;

    ui::SearchSaveProgress& progress() { return progress_; }
    bool isShared() const { return mapping_ != nullptr; }

    // The block the application uses.
    static SharedProgressBlock& program();

  private:
    ui::SearchSaveProgress::Block local_{};
    void* mapping_ = nullptr;
    int fd_ = -1;
    ui::SearchSaveProgress progress_;
};

}  // namespace hollin
