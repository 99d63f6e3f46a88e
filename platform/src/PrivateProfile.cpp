#include "PrivateProfile.h"

#include "Diagnostic.h"
#include "TextConvert.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tarvik {

namespace {

// One read-modify-write at a time in this process, as the Windows profile functions hold their own
// lock: two threads writing different keys must not lose either change.
std::mutex writeMutex;

std::mutex traceMutex;
PrivateProfileTrace traceSink;
std::set<std::string> failingFolders; // writes failed here and were traced
std::set<std::string> unreadableFiles; // reads failed and were traced

void emit(const std::wstring& line)
{
    PrivateProfileTrace sink;
    {
        std::lock_guard lock(traceMutex);
        sink = traceSink;
    }
    if (sink)
        sink(line);
    else
        diagnostic("%s\n", wideToUtf8(line).c_str());
}

std::wstring describe(const std::string& path, int error)
{
    return utf8ToWide("\"" + path + "\": " + std::error_code(error, std::generic_category()).message());
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Traces a failure the first time it happens under key; later failures under the same key stay
// quiet until cleared by a success.
void traceOnce(std::set<std::string>& latch, const std::string& key, const std::wstring& line)
{
    {
        std::lock_guard lock(traceMutex);
        if (!latch.insert(key).second)
            return;
    }
    emit(line);
}

void clearLatch(std::set<std::string>& latch, const std::string& key)
{
    std::lock_guard lock(traceMutex);
    latch.erase(key);
}

enum class ReadStatus { Read, Missing, Failed };

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    struct stat info {};
    int error = 0;
};

ReadResult readAll(const std::string& path)
{
    ReadResult r;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.error = errno;
        r.status = (r.error == ENOENT || r.error == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Failed;
        return r;
    }
    if (::fstat(fd, &r.info) != 0 || S_ISDIR(r.info.st_mode)) {
        r.error = S_ISDIR(r.info.st_mode) ? EISDIR : errno;
        r.status = ReadStatus::Failed;
        ::close(fd);
        return r;
    }
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            r.bytes.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            r.error = errno;
            r.status = ReadStatus::Failed;
            ::close(fd);
            return r;
        }
    }
    ::close(fd);
    r.status = ReadStatus::Read;
    return r;
}

// Reads for a query: a failure other than a missing file is traced once per file.
PrivateProfileDocument readDocument(const wchar_t* fileName, bool* found)
{
    if (found)
        *found = false;
    if (fileName == nullptr || *fileName == L'\0')
        return {};
    const std::string path = wideToUtf8(fileName);
    ReadResult r = readAll(path);
    if (r.status == ReadStatus::Failed) {
        traceOnce(unreadableFiles, path, L"PrivateProfile: cannot read " + describe(path, r.error));
        return {};
    }
    if (r.status == ReadStatus::Missing)
        return {};
    clearLatch(unreadableFiles, path);
    if (found)
        *found = true;
    return PrivateProfileDocument::parse(r.bytes);
}

// A symbolic link is written through, so the link stays and its target gets the new content.
std::string writeTarget(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return path;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Replaces path with bytes: a temporary file beside it, flushed, renamed over it, and the folder
// flushed so that the rename itself survives a power cut. The old file's mode and owner are kept.
// Returns 0 or the errno of the step that failed; on failure the old file is untouched and the
// temporary file removed.
int replaceFile(const std::string& path, const std::string& bytes, const struct stat* old)
{
    static std::atomic<unsigned> serial{0};
    const std::string folder = folderOf(path);
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string temp = folder + "/." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
                             std::to_string(serial.fetch_add(1));

    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int error = 0;
    if (old) {
        if (::geteuid() == 0 && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
            // Best effort: a root process keeps the user's file the user's.
        }
        if (::fchmod(fd, old->st_mode & 07777) != 0)
            error = errno;
    }
    if (error == 0 && !writeAll(fd, bytes))
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

bool hasLineBreak(const wchar_t* text)
{
    return text != nullptr && std::wstring_view(text).find_first_of(L"\r\n") != std::wstring_view::npos;
}

} // namespace

void setPrivateProfileTrace(PrivateProfileTrace trace)
{
    std::lock_guard lock(traceMutex);
    traceSink = std::move(trace);
}

PrivateProfileDocument loadPrivateProfile(const std::wstring& fileName, bool* found)
{
    return readDocument(fileName.c_str(), found);
}

int updatePrivateProfile(const std::wstring& fileName, const std::function<bool(PrivateProfileDocument&)>& edit)
{
    if (fileName.empty())
        return 0;
    const std::string path = wideToUtf8(fileName);

    std::unique_lock lock(writeMutex);
    const std::string target = writeTarget(path);
    const std::string folder = folderOf(target);
    ReadResult current = readAll(target);
    // Replacing the file by rename would pass over a file the user made read-only; refuse as an
    // in-place write would.
    if (current.status == ReadStatus::Read && ::access(target.c_str(), W_OK) != 0) {
        current.status = ReadStatus::Failed;
        current.error = errno;
    }
    if (current.status == ReadStatus::Failed) {
        lock.unlock();
        traceOnce(failingFolders, folder, L"PrivateProfile: cannot write " + describe(path, current.error));
        return 0;
    }
    PrivateProfileDocument doc =
        current.status == ReadStatus::Read ? PrivateProfileDocument::parse(current.bytes) : PrivateProfileDocument();
    if (!edit(doc))
        return 1;
    const int error =
        replaceFile(target, doc.serialize(), current.status == ReadStatus::Read ? &current.info : nullptr);
    lock.unlock();
    if (error != 0) {
        traceOnce(failingFolders, folder, L"PrivateProfile: cannot write " + describe(path, error));
        return 0;
    }
    clearLatch(failingFolders, folder);
    return 1;
}

} // namespace tarvik

using tarvik::PrivateProfileDocument;

std::uint32_t GetPrivateProfileStringW(const wchar_t* appName, const wchar_t* keyName, const wchar_t* defaultValue,
                                       wchar_t* returnedString, std::uint32_t size, const wchar_t* fileName)
{
    if (returnedString == nullptr || size == 0)
        return 0;
    return tarvik::readDocument(fileName, nullptr).getString(appName, keyName, defaultValue, returnedString, size);
}

std::uint32_t GetPrivateProfileIntW(const wchar_t* appName, const wchar_t* keyName, std::int32_t defaultValue,
                                    const wchar_t* fileName)
{
    return tarvik::readDocument(fileName, nullptr).getInt(appName, keyName, defaultValue);
}

std::uint32_t GetPrivateProfileSectionNamesW(wchar_t* returnBuffer, std::uint32_t size, const wchar_t* fileName)
{
    if (returnBuffer == nullptr || size == 0)
        return 0;
    return tarvik::readDocument(fileName, nullptr).getSectionNames(returnBuffer, size);
}

std::uint32_t GetPrivateProfileSectionW(const wchar_t* appName, wchar_t* returnedString, std::uint32_t size,
                                        const wchar_t* fileName)
{
    if (appName == nullptr || returnedString == nullptr || size == 0)
        return 0;
    return tarvik::readDocument(fileName, nullptr).getSection(appName, returnedString, size);
}

int WritePrivateProfileStringW(const wchar_t* appName, const wchar_t* keyName, const wchar_t* string,
                               const wchar_t* fileName)
{
    using namespace tarvik;
    if (fileName == nullptr || *fileName == L'\0' || appName == nullptr)
        return 0;
    if (hasLineBreak(appName) || hasLineBreak(keyName) || hasLineBreak(string)) {
        emit(L"PrivateProfile: refused to write a line break into [" + std::wstring(appName) + L"]");
        return 0;
    }
    return updatePrivateProfile(fileName, [&](PrivateProfileDocument& doc) {
        if (keyName == nullptr)
            return doc.removeSection(appName);
        if (string == nullptr)
            return doc.removeKey(appName, keyName);
        return doc.setValue(appName, keyName, string);
    });
}
