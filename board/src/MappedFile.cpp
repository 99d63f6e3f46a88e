#include "MappedState.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::board {

namespace {

std::string errnoText() { return std::strerror(errno); }

Result<std::unique_ptr<MappedFile>> fail(const std::string& path, const std::string& why)
{
    return Result<std::unique_ptr<MappedFile>>::failure("board file " + path + ": " + why);
}

} // namespace

MappedFile::MappedFile(std::string path, int fd, unsigned char* base, std::size_t length)
    : path_(std::move(path)), fd_(fd), base_(base), length_(length)
{
}

MappedFile::~MappedFile()
{
    munmap(base_, length_);
    close(fd_);
}

Result<std::unique_ptr<MappedFile>> MappedFile::open(const std::string& path, const char (&magic)[8],
                                                     std::uint32_t version, std::size_t payloadSize)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(path, errnoText());
    const std::size_t length = sizeof(Header) + payloadSize;
    struct stat st {};
    if (fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) != length) {
        close(fd);
        return fail(path, "damaged (size " + std::to_string(st.st_size) + ", expected " +
                              std::to_string(length) + ")");
    }
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (base == MAP_FAILED) {
        const std::string why = errnoText();
        close(fd);
        return fail(path, why);
    }
    const auto* header = static_cast<const Header*>(base);
    if (std::memcmp(header->magic, magic, sizeof header->magic) != 0 || header->version != version ||
        header->size != length) {
        munmap(base, length);
        close(fd);
        return fail(path, "damaged (unknown header or version)");
    }
    return std::unique_ptr<MappedFile>(
        new MappedFile(path, fd, static_cast<unsigned char*>(base), length));
}

Result<std::unique_ptr<MappedFile>> MappedFile::create(const std::string& path, const char (&magic)[8],
                                                       std::uint32_t version, std::size_t payloadSize)
{
    // Built under a temporary name and renamed into place, so that a process opening the board at
    // the same moment sees the old file or the complete new one, never a half-made one.
    const std::string temp = path + ".new." + std::to_string(getpid());
    const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(temp, errnoText());
    const std::size_t length = sizeof(Header) + payloadSize;
    if (ftruncate(fd, static_cast<off_t>(length)) != 0) {
        const std::string why = errnoText();
        close(fd);
        unlink(temp.c_str());
        return fail(temp, why);
    }
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (base == MAP_FAILED) {
        const std::string why = errnoText();
        close(fd);
        unlink(temp.c_str());
        return fail(temp, why);
    }
    auto* header = static_cast<Header*>(base);
    std::memcpy(header->magic, magic, sizeof header->magic);
    header->version = version;
    header->size = static_cast<std::uint32_t>(length);
    msync(base, length, MS_SYNC);
    if (rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = errnoText();
        munmap(base, length);
        close(fd);
        unlink(temp.c_str());
        return fail(path, why);
    }
    return std::unique_ptr<MappedFile>(
        new MappedFile(path, fd, static_cast<unsigned char*>(base), length));
}

bool MappedFile::exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

BoardDirectoryLock::BoardDirectoryLock(const std::string& dir)
    : fd_(::open((dir + "/" + kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
{
    if (fd_ >= 0) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

BoardDirectoryLock::~BoardDirectoryLock()
{
    if (fd_ >= 0)
        close(fd_);
}

void MappedFile::lock()
{
    mutex_.lock();
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void MappedFile::unlock()
{
    flock(fd_, LOCK_UN);
    mutex_.unlock();
}

} // namespace tarvik::board
