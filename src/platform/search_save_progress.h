#pragma once

#include <atomic>
#include <cstdint>

namespace hollin::ui {

// The six values a network search or save leaves for the status window, in their shared order.
enum class Progress : int {
    SearchFlag = 0,   // the binary search has ended
    SaveDone = 1,     // a network save was acknowledged
    SearchTime = 2,   // tick count (ms) when the search flag was set
    FoundFirst = 3,   // printers in the first result list
    FoundSecond = 4,  // printers in the second result list
    TotalFound = 5,   // written by the status window: FoundFirst + FoundSecond
};
inline constexpr int kProgressValueCount = 6;

// A view of the six values; every running copy of the program may share the block it points at
// (platform/shared_progress.h). Plain atomics, so that it can live in memory shared between processes.
class SearchSaveProgress {
  public:
    using Block = std::atomic<std::uint32_t>[kProgressValueCount];
    static_assert(std::atomic<std::uint32_t>::is_always_lock_free, "shared between processes");

    explicit SearchSaveProgress(Block& block) : block_(&block) {}

    std::uint32_t get(Progress p) const { return (*block_)[static_cast<int>(p)].load(); }
    void set(Progress p, std::uint32_t value) { (*block_)[static_cast<int>(p)].store(value); }
    void clear() {
        for (auto& v : *block_)
            v.store(0);
    }

  private:
    Block* block_;
};

}  // namespace hollin::ui
