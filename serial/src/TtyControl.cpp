#include "TtyControl.h"

#include "LinuxTtyControl.h"

#include <atomic>

namespace {
std::atomic<TtyControl*> g_override{nullptr};
} // namespace

TtyControl& ttyControl()
{
    if (TtyControl* forced = g_override.load(std::memory_order_acquire))
        return *forced;
    // Never deleted: the libraries' static port objects close their descriptors through it while
    // the process ends.
    static TtyControl* const kernel = new LinuxTtyControl;
    return *kernel;
}

void overrideTtyControl(TtyControl* control)
{
    g_override.store(control, std::memory_order_release);
}
