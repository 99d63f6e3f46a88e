#include "ProcessLauncher.h"

#include "LinuxProcessLauncher.h"

#include <atomic>

namespace {
std::atomic<ProcessLauncher*> g_override{nullptr};
}

ProcessLauncher& processLauncher()
{
    if (ProcessLauncher* forced = g_override.load(std::memory_order_acquire))
        return *forced;
    static LinuxProcessLauncher launcher;
    return launcher;
}

void overrideProcessLauncher(ProcessLauncher* launcher) { g_override.store(launcher, std::memory_order_release); }
