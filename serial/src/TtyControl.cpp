#include "TtyControl.h"

#include "LinuxTtyControl.h"
#include "NeverDestroyed.h"

#include <atomic>

namespace {
std::atomic<TtyControl*> g_override{nullptr};
} // namespace

TtyControl& ttyControl()
{
    if (TtyControl* forced = g_override.load(std::memory_order_acquire))
        return *forced;
    // Never destroyed: the libraries' static port objects close their descriptors through it while
    // the process ends. Not on the heap either: each library that compiles this in is unloaded
    // with its own copy, and a heap copy would be lost at every unload.
    static tarvik::NeverDestroyed<LinuxTtyControl> kernel;
    return kernel.get();
}

void overrideTtyControl(TtyControl* control)
{
    g_override.store(control, std::memory_order_release);
}
