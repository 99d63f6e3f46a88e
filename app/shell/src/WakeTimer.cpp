#include "WakeTimer.h"

#include "BoardWakeTimer.h"
#include "LinuxWakeTimer.h"
#include "Platform.h"

#include <atomic>
#include <memory>

namespace {
std::atomic<WakeTimer*> g_override{nullptr};
}

WakeTimer& wakeTimer()
{
    if (WakeTimer* forced = g_override.load(std::memory_order_acquire))
        return *forced;
    static const std::unique_ptr<WakeTimer> timer = []() -> std::unique_ptr<WakeTimer> {
        const tarvik::Platform& platform = tarvik::Platform::instance();
        if (platform.isVirtual())
            return std::make_unique<BoardWakeTimer>(platform.boardDir());
        return std::make_unique<LinuxWakeTimer>();
    }();
    return *timer;
}

void overrideWakeTimer(WakeTimer* timer) { g_override.store(timer, std::memory_order_release); }
