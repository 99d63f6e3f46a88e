#pragma once

#include "ComCompat.h"

#include <memory>
#include <mutex>

class CompletionEvent;

// What every CWwanControl of the library shares: the current interface manager, the completion
// event of a SetRadioState in progress and the radio the last completion reported. Completions
// arrive on a worker thread of the service while SetRadioState may be cleaning up on its own thread,
// so every access goes through one lock; objects are released outside it.
class MbnLibraryState {
public:
    static MbnLibraryState& instance();

    // The library keeps the manager's reference (taken over from the caller); the one it held
    // before is released.
    void replaceManager(IMbnInterfaceManager* manager);
    // The current manager with a reference for the caller, or null.
    IMbnInterfaceManager* manager();

    // False when no event could be made.
    bool openCompletionEvent();
    void closeCompletionEvent();
    // Signals the event if one is open; false when none is.
    bool signalCompletion();

    // Keeps the radio (with a reference of its own) as the last reported one; releases the one kept
    // before. Null clears it.
    void keepLastRadio(IMbnRadio* radio);
    // The last reported radio with a reference for the caller, or null.
    IMbnRadio* lastRadio();

private:
    MbnLibraryState() = default;

    std::mutex mutex_;
    IMbnInterfaceManager* manager_ = nullptr;
    std::unique_ptr<CompletionEvent> completion_;
    IMbnRadio* lastRadio_ = nullptr;
};
