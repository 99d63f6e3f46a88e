#include "SysfsAttribute.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tarvik::kestrom::sysfs {

namespace {
// Every attribute read here is a number or a word.
constexpr std::size_t kAttributeBytes = 256;
} // namespace

std::optional<std::string> readAttribute(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[kAttributeBytes];
    ssize_t n;
    do {
        n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n < 0)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(n));
}

bool writeAttribute(const std::string& path, const std::string& text)
{
    // O_TRUNC means nothing to sysfs but keeps a plain file (a test's fake tree) equal to the last
    // value written.
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t n;
    do {
        n = ::write(fd, text.data(), text.size());
    } while (n < 0 && errno == EINTR);
    const bool closed = ::close(fd) == 0;
    return n == static_cast<ssize_t>(text.size()) && closed;
}

std::optional<std::string> readWord(const std::string& path)
{
    auto text = readAttribute(path);
    if (!text)
        return std::nullopt;
    while (!text->empty() && (text->back() == '\n' || text->back() == ' '))
        text->pop_back();
    return text;
}

} // namespace tarvik::kestrom::sysfs
