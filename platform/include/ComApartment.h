#pragma once

#include "TarvikPlatformExport.h"

namespace tarvik {

// The COM apartment of the calling thread, kept once per process as the system keeps it: the
// libraries' CoInitializeEx and CoUninitialize come here, so a thread that one library entered into
// a single-threaded apartment is seen that way by every other library too.
enum class ComApartmentKind {
    Multithreaded,
    SingleThreaded,
};

enum class ComEnterResult {
    Entered,        // first entry of this thread (S_OK)
    AlreadyEntered, // the thread is in an apartment of the same kind; counted (S_FALSE)
    OtherKind,      // the thread is in an apartment of the other kind; not counted (RPC_E_CHANGED_MODE)
};

// Every Entered or AlreadyEntered must be balanced by one leaveComApartment on the same thread.
TARVIK_PLATFORM_EXPORT ComEnterResult enterComApartment(ComApartmentKind kind);
// Leaves once; the thread is out of its apartment when its count reaches 0. Without an entry: nothing.
TARVIK_PLATFORM_EXPORT void leaveComApartment();
// How many entries of the calling thread are not yet balanced.
TARVIK_PLATFORM_EXPORT int comApartmentDepth();

} // namespace tarvik
