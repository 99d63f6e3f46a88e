#include "LoginSession.h"

#include "BoardLoginSession.h"
#include "LogindSession.h"
#include "Platform.h"

#include <atomic>

namespace {
std::atomic<LoginSession*> g_override{nullptr};

class HandlerWatch final : public LoginSession::SleepWatch {
public:
    explicit HandlerWatch(std::weak_ptr<std::function<void(bool)>> handler) : m_handler(std::move(handler)) {}
    ~HandlerWatch() override
    {
        if (const auto handler = m_handler.lock())
            *handler = nullptr;
    }

private:
    std::weak_ptr<std::function<void(bool)>> m_handler;
};
} // namespace

std::unique_ptr<LoginSession::SleepWatch> SleepHandlerSlot::Watch(std::function<void(bool suspending)> handler)
{
    m_handler = std::make_shared<std::function<void(bool)>>(std::move(handler));
    return std::make_unique<HandlerWatch>(m_handler);
}

void SleepHandlerSlot::operator()(bool suspending) const
{
    if (!m_handler || !*m_handler)
        return;
    const std::function<void(bool)> handler = *m_handler; // outlives a watch the call ends
    handler(suspending);
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
