#pragma once

#include "NamedObjects.h"

#include <string>

namespace tarvik {

// Named objects on POSIX shared memory (shm_open) and named semaphores (sem_open).
//
// Name mapping. A Windows kernel-object name carries its namespace: "Global\" is the whole
// machine, "Local\" (or no prefix) the user's session. POSIX shared memory and semaphores share one
// flat namespace per machine, with names made of '/' and then anything but '/'. So
//   "Global\QuenmarkFrame#WmiAcpiService"  becomes  "/<scope>.QuenmarkFrame#WmiAcpiService":
// the Windows prefix is dropped, the scope (one per virtual board, so that boards used at once by
// parallel tests never share a frame; a fixed one on real hardware) takes its place, and any other
// '\' or '/' becomes '_'. The memory then shows as /dev/shm/<scope>.<name> and the semaphore as
// /dev/shm/sem.<scope>.<name>, so a frame and its lock may even share a name.
//
// A named mutex is a semaphore of count 1. Windows hands the next waiter a mutex whose holder died
// (as "abandoned"); a semaphore stays taken forever instead, so acquire() waits at most
// lockTimeoutMs rather than without limit.
class PosixNamedObjects final : public NamedObjects {
public:
    // The frame accesses the locks guard take microseconds; the sensor library's own budget for an
    // answer is about one second.
    static constexpr unsigned kDefaultLockTimeoutMs = 1000;

    explicit PosixNamedObjects(std::string scope, unsigned lockTimeoutMs = kDefaultLockTimeoutMs);

    static std::string posixName(const std::string& scope, const std::string& windowsName);

    std::unique_ptr<NamedMemory> openMemory(const std::string& name, bool writable, int& error) override;
    std::unique_ptr<NamedLock> openLock(const std::string& name, int& error) override;
    std::unique_ptr<NamedMemory> createMemory(const std::string& name, std::size_t size, int& error) override;
    std::unique_ptr<NamedLock> createLock(const std::string& name, int& error) override;

private:
    std::string scope_;
    unsigned lockTimeoutMs_;
};

} // namespace tarvik
