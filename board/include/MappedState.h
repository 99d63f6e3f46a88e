#pragma once

#include "BoardResult.h"
#include "TarvikBoardExport.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>

namespace tarvik::board {

// The board folder's lock file: held while files of the board are made or replaced, so that two
// processes opening a fresh board never each make their own copy of a file.
inline constexpr const char* kLockFile = ".lock";

class TARVIK_BOARD_EXPORT BoardDirectoryLock {
public:
    explicit BoardDirectoryLock(const std::string& dir);
    ~BoardDirectoryLock();
    BoardDirectoryLock(const BoardDirectoryLock&) = delete;
    BoardDirectoryLock& operator=(const BoardDirectoryLock&) = delete;

private:
    int fd_;
};

// A file of the board directory mapped into memory and shared by every process that uses the
// board. The file starts with a small header (magic, version, size); a file whose header does not
// match is reported as damaged, never trusted.
//
// Locking: lock() excludes every other process (flock on the file) and every other thread of this
// process (a mutex), so a sequence of accesses, such as an EC transaction spread over several port
// accesses, is never interleaved with another one. The lock is not recursive.
class TARVIK_BOARD_EXPORT MappedFile {
public:
    struct Header {
        char magic[8];
        std::uint32_t version;
        std::uint32_t size; // of the whole file
    };

    // Maps an existing file; fails with a message naming the file when it is missing or damaged.
    static Result<std::unique_ptr<MappedFile>> open(const std::string& path, const char (&magic)[8],
                                                    std::uint32_t version, std::size_t payloadSize);
    // Creates (or truncates) the file with a zeroed payload and maps it.
    static Result<std::unique_ptr<MappedFile>> create(const std::string& path, const char (&magic)[8],
                                                      std::uint32_t version, std::size_t payloadSize);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    static bool exists(const std::string& path);
    MappedFile& operator=(const MappedFile&) = delete;

    void lock();
    void unlock();
    void* payload() const { return base_ + sizeof(Header); }
    const std::string& path() const { return path_; }

private:
    MappedFile(std::string path, int fd, unsigned char* base, std::size_t length);

    std::string path_;
    int fd_;
    unsigned char* base_;
    std::size_t length_;
    std::mutex mutex_;
};

// The typed view: State is a plain struct with kMagic, kVersion and kFileName.
template <class State>
class MappedState {
    static_assert(std::is_trivially_copyable_v<State>);

public:
    static Result<std::unique_ptr<MappedState>> open(const std::string& dir)
    {
        return wrap(MappedFile::open(dir + "/" + State::kFileName, State::kMagic, State::kVersion,
                                     sizeof(State)));
    }
    static Result<std::unique_ptr<MappedState>> create(const std::string& dir)
    {
        return wrap(MappedFile::create(dir + "/" + State::kFileName, State::kMagic, State::kVersion,
                                       sizeof(State)));
    }

    // Opens the file, or makes it with init(State&) applied when there is none yet (a board made
    // before this state existed, or a cleared runtime folder). A file that exists but cannot be
    // used is an error, never silently replaced.
    template <class Init>
    static Result<std::unique_ptr<MappedState>> openOrCreate(const std::string& dir, Init&& init)
    {
        auto state = open(dir);
        if (state || fileExists(dir + "/" + State::kFileName))
            return state;
        BoardDirectoryLock lock(dir);
        state = open(dir); // another process may have made it meanwhile
        if (state)
            return state;
        state = create(dir);
        if (state)
            (*state)->locked(init);
        return state;
    }

    // Runs fn(State&) with the state locked; returns what fn returns.
    template <class Fn>
    decltype(auto) locked(Fn&& fn)
    {
        std::lock_guard<MappedFile> guard(*file_);
        return fn(state());
    }

    void lock() { file_->lock(); }
    void unlock() { file_->unlock(); }

    // Unlocked access, for code that holds the lock through lock()/unlock().
    State& state() { return *static_cast<State*>(file_->payload()); }
    const std::string& path() const { return file_->path(); }

private:
    explicit MappedState(std::unique_ptr<MappedFile> file) : file_(std::move(file)) {}

    static bool fileExists(const std::string& path) { return MappedFile::exists(path); }

    static Result<std::unique_ptr<MappedState>> wrap(Result<std::unique_ptr<MappedFile>> file)
    {
        if (!file)
            return Result<std::unique_ptr<MappedState>>::failure(file.error());
        return std::unique_ptr<MappedState>(new MappedState(std::move(*file)));
    }

    std::unique_ptr<MappedFile> file_;
};

} // namespace tarvik::board
