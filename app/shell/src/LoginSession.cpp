#include "LoginSession.h"

#include "BoardLoginSession.h"
#include "LogindSession.h"
#include "Platform.h"

#include <atomic>

namespace {
std::atomic<LoginSession*> g_override{nullptr};
}

LoginSession& loginSession()
{
    if (LoginSession* forced = g_override.load(std::memory_order_acquire))
        return *forced;
    static const std::unique_ptr<LoginSession> session = []() -> std::unique_ptr<LoginSession> {
        const tarvik::Platform& platform = tarvik::Platform::instance();
        if (platform.isVirtual())
            return std::make_unique<BoardLoginSession>(platform.boardDir());
        return std::make_unique<LogindSession>();
    }();
    return *session;
}

void overrideLoginSession(LoginSession* session) { g_override.store(session, std::memory_order_release); }
