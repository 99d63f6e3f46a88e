#include "KeyInjector.h"

#include "UinputKeyInjector.h"

#include <atomic>

namespace {
std::atomic<KeyInjector*> g_override{nullptr};
}

KeyInjector& keyInjector()
{
    if (KeyInjector* forced = g_override.load(std::memory_order_acquire))
        return *forced;
    static UinputKeyInjector injector;
    return injector;
}

void overrideKeyInjector(KeyInjector* injector) { g_override.store(injector, std::memory_order_release); }
