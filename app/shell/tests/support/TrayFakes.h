#pragma once

// Stand-ins for the tray window's seams: full implementations that record what the tray asks for,
// with controls to make each step fail and to send the sleep signal.

#include "KeyInjector.h"
#include "LoginSession.h"
#include "ProcessLauncher.h"
#include "WakeTimer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvik::qtest {

class RecordingInjector final : public KeyInjector {
public:
    unsigned SendInput(const std::vector<KeyInput>& inputs) override
    {
        calls.push_back(inputs);
        return static_cast<unsigned>(inputs.size());
    }
    std::vector<std::vector<KeyInput>> calls;
};

class FakeLoginSession final : public LoginSession {
public:
    struct Lock {
        std::wstring what;
        std::wstring mode;
        bool held = true;
    };

    bool PowerOff(std::wstring& error) override
    {
        ++powerOffs;
        if (!powerOffError.empty())
            error = powerOffError;
        return powerOffError.empty();
    }
    std::unique_ptr<Inhibitor> Inhibit(const std::wstring& what, const std::wstring& mode, const std::wstring&,
                                       std::wstring& error) override
    {
        if (!inhibitError.empty()) {
            error = inhibitError;
            return nullptr;
        }
        locks.push_back(std::make_shared<Lock>(Lock{what, mode}));
        return std::make_unique<Handle>(locks.back());
    }
    std::unique_ptr<SleepWatch> WatchSleep(std::function<void(bool)> handler, std::wstring& error) override
    {
        if (!watchError.empty()) {
            error = watchError;
            return nullptr;
        }
        return sleepHandler.Watch(std::move(handler));
    }

    // The sleep signal, as logind sends it: to the handler of the watch that lives, if any.
    void sendSleepSignal(bool suspending) { sleepHandler(suspending); }
    // How many locks of this kind are held now.
    int held(const std::wstring& what, const std::wstring& mode) const
    {
        int n = 0;
        for (const auto& lock : locks)
            n += lock->held && lock->what == what && lock->mode == mode;
        return n;
    }

    int powerOffs = 0;
    std::wstring powerOffError;
    std::wstring inhibitError;
    std::wstring watchError;
    std::vector<std::shared_ptr<Lock>> locks;
    SleepHandlerSlot sleepHandler;

private:
    class Handle final : public Inhibitor {
    public:
        explicit Handle(std::shared_ptr<Lock> lock) : m_lock(std::move(lock)) {}
        ~Handle() override { m_lock->held = false; }

    private:
        std::shared_ptr<Lock> m_lock;
    };
};

class FakeWakeTimer final : public WakeTimer {
public:
    bool Create() override
    {
        ++creates;
        return createWorks;
    }
    bool SetAbsolute(std::int64_t dueUtcUnits) override
    {
        if (!armWorks)
            return false;
        due.push_back(dueUtcUnits);
        return true;
    }
    void Close() override { ++closes; }

    bool createWorks = true;
    bool armWorks = true;
    int creates = 0;
    int closes = 0;
    std::vector<std::int64_t> due;
};

class RecordingLauncher final : public ProcessLauncher {
public:
    struct Start {
        std::wstring program;
        std::vector<std::wstring> arguments;
    };
    std::vector<Process> RunningProcesses() override { return {}; }
    bool StartDetached(const std::wstring& program, const std::vector<std::wstring>& arguments) override
    {
        starts.push_back({program, arguments});
        return true;
    }
    bool OpenUrl(const std::wstring& address) override
    {
        starts.push_back({L"(url)", {address}});
        return true;
    }
    std::vector<Start> starts;
};

} // namespace tarvik::qtest
