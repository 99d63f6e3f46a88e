#pragma once

#include "MobileBroadband.h"

#include <mutex>
#include <thread>
#include <vector>

// A mobile-broadband service held in memory. A radio request changes the interface and runs its
// completion on a thread of its own, at once or, while completions are held, when the test lets
// them go: as the system's service, which answers on a worker thread.
class FakeMobileBroadband final : public tarvik::MobileBroadband {
public:
    struct Interface {
        std::wstring id;
        int readyState = tarvik::kMbnReadyInitialized;
        bool softwareOn = true;
        bool hardwareOn = true;
        bool queriesFail = false;
    };

    explicit FakeMobileBroadband(std::vector<Interface> interfaces) : interfaces_(std::move(interfaces)) {}
    ~FakeMobileBroadband() override { joinCompletions(); }

    // Test controls.
    void setReachable(bool reachable)
    {
        std::lock_guard lock(mutex_);
        reachable_ = reachable;
    }
    void setInterfaces(std::vector<Interface> interfaces)
    {
        std::lock_guard lock(mutex_);
        interfaces_ = std::move(interfaces);
    }
    void holdCompletions(bool hold)
    {
        std::lock_guard lock(mutex_);
        hold_ = hold;
    }
    // Lets the held completions run, each on a thread of its own.
    void releaseCompletions()
    {
        std::vector<Pending> pending;
        {
            std::lock_guard lock(mutex_);
            pending.swap(held_);
        }
        for (Pending& p : pending)
            start(std::move(p));
    }
    void joinCompletions()
    {
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(mutex_);
            threads.swap(threads_);
        }
        for (std::thread& t : threads)
            t.join();
    }
    int requests()
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    Interface interface(std::size_t i)
    {
        std::lock_guard lock(mutex_);
        return interfaces_.at(i);
    }

    bool reachable() override
    {
        std::lock_guard lock(mutex_);
        return reachable_;
    }
    std::optional<std::vector<std::wstring>> interfaceIds() override
    {
        std::lock_guard lock(mutex_);
        if (!reachable_)
            return std::nullopt;
        std::vector<std::wstring> ids;
        for (const Interface& i : interfaces_)
            ids.push_back(i.id);
        return ids;
    }
    std::optional<int> readyState(const std::wstring& id) override
    {
        std::lock_guard lock(mutex_);
        const Interface* i = find(id);
        return i ? std::optional(i->readyState) : std::nullopt;
    }
    std::optional<bool> softwareRadio(const std::wstring& id) override
    {
        std::lock_guard lock(mutex_);
        const Interface* i = find(id);
        return i ? std::optional(i->softwareOn) : std::nullopt;
    }
    std::optional<bool> hardwareRadio(const std::wstring& id) override
    {
        std::lock_guard lock(mutex_);
        const Interface* i = find(id);
        return i ? std::optional(i->hardwareOn) : std::nullopt;
    }
    std::optional<std::uint32_t> requestSoftwareRadio(const std::wstring& id, bool on, RadioCompletion done) override
    {
        Pending p;
        {
            std::lock_guard lock(mutex_);
            Interface* i = find(id);
            if (!i)
                return std::nullopt;
            ++requests_;
            p = {id, on, ++lastRequestId_, std::move(done)};
            if (hold_) {
                held_.push_back(std::move(p));
                return lastRequestId_;
            }
        }
        const std::uint32_t requestId = p.requestId;
        start(std::move(p));
        return requestId;
    }

private:
    struct Pending {
        std::wstring id;
        bool on = false;
        std::uint32_t requestId = 0;
        RadioCompletion done;
    };

    Interface* find(const std::wstring& id)
    {
        if (!reachable_)
            return nullptr;
        for (Interface& i : interfaces_) {
            if (i.id == id)
                return i.queriesFail ? nullptr : &i;
        }
        return nullptr;
    }

    void start(Pending p)
    {
        std::lock_guard lock(mutex_);
        threads_.emplace_back([this, p = std::move(p)] {
            bool changed = false;
            std::int32_t status = tarvik::kMbnStatusNotReady;
            {
                std::lock_guard lock(mutex_);
                if (Interface* i = find(p.id)) {
                    changed = i->softwareOn != p.on;
                    i->softwareOn = p.on;
                    status = tarvik::kMbnStatusOk;
                }
            }
            p.done(p.requestId, status, changed);
        });
    }

    std::mutex mutex_;
    std::vector<Interface> interfaces_;
    bool reachable_ = true;
    bool hold_ = false;
    int requests_ = 0;
    std::uint32_t lastRequestId_ = 0;
    std::vector<Pending> held_;
    std::vector<std::thread> threads_;
};
