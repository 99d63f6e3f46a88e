#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An auto-reset event that starts not signalled (the kind CreateEventW makes with those flags).
class CompletionEvent {
public:
    void set();
    // True when the event was signalled within the time (and is reset again), false otherwise.
    bool wait(std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
};
