#pragma once

#include "TarvikPlatformExport.h"

#include <cstddef>
#include <memory>
#include <string>

namespace tarvik {

// Named shared memory and named locks that two processes find by name: the stand-in for the
// Windows file mappings and mutexes an outside service shares with the sensor library. Names are
// given in their Windows form ("Global\QuenmarkFrame#WmiAcpiService"); the back end maps them.
// Failures are the system's error numbers (errno), never exceptions.

// An open shared-memory object.
class NamedMemory {
public:
    virtual ~NamedMemory() = default;
    // Maps the first size bytes (writable when opened or created for writing); nullptr and the
    // error when it cannot, including when the object is smaller than size. The view stays valid
    // until unmap() or the object's destruction.
    virtual void* map(std::size_t size, int& error) = 0;
    virtual void unmap() = 0;
};

// What waiting for a named lock came to.
enum class LockWait {
    Acquired,
    TimedOut, // a holder kept it past the bound (a holder that died leaves it held)
    Failed,
};

// An open named lock (a mutex shared between processes).
class NamedLock {
public:
    virtual ~NamedLock() = default;
    virtual LockWait acquire() = 0;
    virtual void release() = 0;
};

class NamedObjects {
public:
    virtual ~NamedObjects() = default;

    // The user's side: opens objects someone else created; nullptr and the error when missing.
    virtual std::unique_ptr<NamedMemory> openMemory(const std::string& name, bool writable, int& error) = 0;
    virtual std::unique_ptr<NamedLock> openLock(const std::string& name, int& error) = 0;

    // The owner's side: creates the object afresh (zeroed memory, a free lock), replacing one a
    // crashed owner left behind. The name disappears when the returned object is destroyed.
    virtual std::unique_ptr<NamedMemory> createMemory(const std::string& name, std::size_t size, int& error) = 0;
    virtual std::unique_ptr<NamedLock> createLock(const std::string& name, int& error) = 0;
};

// The process's named objects: scoped to the virtual board in use, so that two boards on one
// machine never share a frame; machine-wide on real hardware.
TARVIK_PLATFORM_EXPORT NamedObjects& processNamedObjects();
TARVIK_PLATFORM_EXPORT void overrideProcessNamedObjects(NamedObjects* objects);

// The named objects of the virtual board kept in dir (for the board's own simulated services).
TARVIK_PLATFORM_EXPORT std::unique_ptr<NamedObjects> namedObjectsForBoard(const std::string& dir);

} // namespace tarvik
