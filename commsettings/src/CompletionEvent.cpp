#include "CompletionEvent.h"

void CompletionEvent::set()
{
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    signalled_.notify_one();
}

bool CompletionEvent::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    if (!signalled_.wait_for(lock, timeout, [this] { return set_; }))
        return false;
    set_ = false;
    return true;
}
