#pragma once

#include <atomic>
#include <memory>
#include <mutex>

namespace tarvik {

// One process-wide seam: the back end is built on first use and kept for the life of the process;
// a test may put its own in front of it.
template <class Seam>
class SeamSlot {
public:
    template <class Make>
    Seam& get(Make&& make)
    {
        if (Seam* forced = override_.load(std::memory_order_acquire))
            return *forced;
        std::call_once(once_, [&] { owned_ = make().release(); });
        return *owned_;
    }

    void setOverride(Seam* seam) { override_.store(seam, std::memory_order_release); }

private:
    std::atomic<Seam*> override_{nullptr};
    std::once_flag once_;
    // Never deleted: objects with static storage may still reach the seam while the process ends.
    Seam* owned_ = nullptr;
};

} // namespace tarvik
