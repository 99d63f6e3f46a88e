#include "RtcWakeStore.h"

#include "Diagnostic.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::kestrom {

namespace {

// The file is three short lines; anything much longer is not ours.
constexpr std::size_t kMaxFileBytes = 4096;

enum class ReadResult { Read, Missing, Failed };

ReadResult readSmallFile(const std::string& path, std::string& text)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[kMaxFileBytes + 1];
    std::size_t total = 0;
    ssize_t n = 0;
    do {
        n = ::read(fd, buffer + total, sizeof buffer - total);
        if (n > 0)
            total += static_cast<std::size_t>(n);
    } while ((n > 0 && total < sizeof buffer) || (n < 0 && errno == EINTR));
    ::close(fd);
    if (n < 0)
        return ReadResult::Failed;
    text.assign(buffer, total);
    return ReadResult::Read;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool makeFolders(const std::string& folder)
{
    for (std::size_t pos = folder.find('/', 1);; pos = folder.find('/', pos + 1)) {
        const std::string part = folder.substr(0, pos);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (pos == std::string::npos)
            return true;
    }
}

} // namespace

RtcWakeStore::RtcWakeStore(std::string path) : path_(std::move(path)) {}

RtcWakeSetting RtcWakeStore::load()
{
    if (path_.empty())
        return {};
    std::string text;
    const ReadResult read = readSmallFile(path_, text);
    if (read == ReadResult::Missing)
        return {};
    std::optional<RtcWakeSetting> setting;
    if (read == ReadResult::Read && text.size() <= kMaxFileBytes)
        setting = parseRtcWakeSetting(text);
    if (setting) {
        reportedDamage_ = false;
        return *setting;
    }
    if (!reportedDamage_)
        diagnostic("Kestrom: RTC wake state %s is %s; wake by time is off until it is set again\n", path_.c_str(),
                   read == ReadResult::Failed ? "unreadable" : "damaged");
    reportedDamage_ = true;
    return {};
}

bool RtcWakeStore::save(const RtcWakeSetting& setting)
{
    const auto slash = path_.rfind('/');
    if (path_.empty() || slash == std::string::npos)
        return false;
    const std::string folder = path_.substr(0, slash);
    if (!folder.empty() && !makeFolders(folder))
        return false;
    std::string temp = path_ + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, formatRtcWakeSetting(setting)) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself must survive a power cut too.
    const int folderFd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

} // namespace tarvik::kestrom
