#include "PosixNamedObjects.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik {

namespace {

constexpr mode_t kOwnerOnly = 0600;
constexpr const char* kNamespacePrefixes[] = {"Global\\", "Local\\", "Session\\"};

class PosixMemory final : public NamedMemory {
public:
    PosixMemory(int fd, bool writable, std::string ownedName)
        : fd_(fd), writable_(writable), ownedName_(std::move(ownedName))
    {
    }
    ~PosixMemory() override
    {
        unmap();
        close(fd_);
        if (!ownedName_.empty())
            shm_unlink(ownedName_.c_str());
    }

    void* map(std::size_t size, int& error) override
    {
        unmap();
        struct stat st {};
        if (fstat(fd_, &st) != 0) {
            error = errno;
            return nullptr;
        }
        // Touching a mapping past the object's end kills the process (SIGBUS); refuse instead.
        if (size == 0 || static_cast<std::size_t>(st.st_size) < size) {
            error = EINVAL;
            return nullptr;
        }
        void* view = mmap(nullptr, size, PROT_READ | (writable_ ? PROT_WRITE : 0), MAP_SHARED, fd_, 0);
        if (view == MAP_FAILED) {
            error = errno;
            return nullptr;
        }
        view_ = view;
        size_ = size;
        return view;
    }

    void unmap() override
    {
        if (view_)
            munmap(view_, size_);
        view_ = nullptr;
        size_ = 0;
    }

private:
    int fd_;
    bool writable_;
    std::string ownedName_;
    void* view_ = nullptr;
    std::size_t size_ = 0;
};

class PosixLock final : public NamedLock {
public:
    PosixLock(sem_t* sem, unsigned timeoutMs, std::string ownedName)
        : sem_(sem), timeoutMs_(timeoutMs), ownedName_(std::move(ownedName))
    {
    }
    ~PosixLock() override
    {
        sem_close(sem_);
        if (!ownedName_.empty())
            sem_unlink(ownedName_.c_str());
    }

    LockWait acquire() override
    {
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += timeoutMs_ / 1000;
        deadline.tv_nsec += static_cast<long>(timeoutMs_ % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_nsec -= 1000000000L;
            ++deadline.tv_sec;
        }
        while (sem_clockwait(sem_, CLOCK_MONOTONIC, &deadline) != 0) {
            if (errno == ETIMEDOUT)
                return LockWait::TimedOut;
            if (errno != EINTR)
                return LockWait::Failed;
        }
        return LockWait::Acquired;
    }

    void release() override { sem_post(sem_); }

private:
    sem_t* sem_;
    unsigned timeoutMs_;
    std::string ownedName_;
};

} // namespace

PosixNamedObjects::PosixNamedObjects(std::string scope, unsigned lockTimeoutMs)
    : scope_(std::move(scope)), lockTimeoutMs_(lockTimeoutMs)
{
}

std::string PosixNamedObjects::posixName(const std::string& scope, const std::string& windowsName)
{
    std::string rest = windowsName;
    for (const char* prefix : kNamespacePrefixes) {
        if (rest.rfind(prefix, 0) == 0) {
            rest.erase(0, std::char_traits<char>::length(prefix));
            break;
        }
    }
    for (char& c : rest) {
        if (c == '\\' || c == '/')
            c = '_';
    }
    return "/" + scope + "." + rest;
}

std::unique_ptr<NamedMemory> PosixNamedObjects::openMemory(const std::string& name, bool writable, int& error)
{
    const int fd = shm_open(posixName(scope_, name).c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    return std::make_unique<PosixMemory>(fd, writable, "");
}

std::unique_ptr<NamedLock> PosixNamedObjects::openLock(const std::string& name, int& error)
{
    sem_t* sem = sem_open(posixName(scope_, name).c_str(), 0);
    if (sem == SEM_FAILED) {
        error = errno;
        return nullptr;
    }
    return std::make_unique<PosixLock>(sem, lockTimeoutMs_, "");
}

std::unique_ptr<NamedMemory> PosixNamedObjects::createMemory(const std::string& name, std::size_t size, int& error)
{
    const std::string posix = posixName(scope_, name);
    shm_unlink(posix.c_str()); // left by an owner that crashed
    const int fd = shm_open(posix.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kOwnerOnly);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        error = errno;
        close(fd);
        shm_unlink(posix.c_str());
        return nullptr;
    }
    return std::make_unique<PosixMemory>(fd, true, posix);
}

std::unique_ptr<NamedLock> PosixNamedObjects::createLock(const std::string& name, int& error)
{
    const std::string posix = posixName(scope_, name);
    sem_unlink(posix.c_str()); // possibly still taken by an owner that crashed
    sem_t* sem = sem_open(posix.c_str(), O_CREAT | O_EXCL, kOwnerOnly, 1u);
    if (sem == SEM_FAILED) {
        error = errno;
        return nullptr;
    }
    return std::make_unique<PosixLock>(sem, lockTimeoutMs_, posix);
}

} // namespace tarvik
