#include "MbnLibraryState.h"

#include "CompletionEvent.h"

#include <new>

MbnLibraryState& MbnLibraryState::instance()
{
    // Never destroyed: a completion may still arrive on the service's thread while the process ends.
    static MbnLibraryState* state = new MbnLibraryState;
    return *state;
}

void MbnLibraryState::replaceManager(IMbnInterfaceManager* manager)
{
    IMbnInterfaceManager* previous = nullptr;
    {
        std::lock_guard lock(mutex_);
        previous = manager_;
        manager_ = manager;
    }
    if (previous)
        previous->Release();
}

IMbnInterfaceManager* MbnLibraryState::manager()
{
    std::lock_guard lock(mutex_);
    if (manager_)
        manager_->AddRef();
    return manager_;
}

bool MbnLibraryState::openCompletionEvent()
{
    std::unique_ptr<CompletionEvent> event(new (std::nothrow) CompletionEvent);
    if (!event)
        return false;
    std::lock_guard lock(mutex_);
    completion_ = std::move(event);
    return true;
}

void MbnLibraryState::closeCompletionEvent()
{
    std::unique_ptr<CompletionEvent> closing;
    std::lock_guard lock(mutex_);
    closing.swap(completion_);
}

bool MbnLibraryState::signalCompletion()
{
    std::lock_guard lock(mutex_);
    if (!completion_)
        return false;
    completion_->set();
    return true;
}

void MbnLibraryState::keepLastRadio(IMbnRadio* radio)
{
    if (radio)
        radio->AddRef();
    IMbnRadio* previous = nullptr;
    {
        std::lock_guard lock(mutex_);
        previous = lastRadio_;
        lastRadio_ = radio;
    }
    if (previous)
        previous->Release();
}

IMbnRadio* MbnLibraryState::lastRadio()
{
    std::lock_guard lock(mutex_);
    if (lastRadio_)
        lastRadio_->AddRef();
    return lastRadio_;
}
