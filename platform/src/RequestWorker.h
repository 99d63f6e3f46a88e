#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tarvik {

// One thread that carries out posted jobs in order, started on the first post. The mobile-broadband
// services complete their radio requests on such a thread, as the system's service does, so callers
// meet completions arriving from another thread.
class RequestWorker {
public:
    RequestWorker() = default;
    RequestWorker(const RequestWorker&) = delete;
    RequestWorker& operator=(const RequestWorker&) = delete;
    // Carries out the jobs still queued, then ends the thread. Jobs usually reach into their owner,
    // so the owner declares its worker last: it is then destroyed first.
    ~RequestWorker();

    void post(std::function<void()> job);

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tarvik
