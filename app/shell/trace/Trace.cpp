#include "Trace.h"

#include "Platform.h"
#include "PrivateFolder.h"
#include "TextConvert.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace tarvik::trace {

namespace {

// A listener that has stopped reading must not freeze the interface: its queue holds only a few
// datagrams (net.unix.max_dgram_qlen, 10 by default), so a full queue is waited on this long and
// then the line goes to stderr instead. Until the listener takes a line again, later lines do not
// wait at all.
constexpr int kFullQueueWaitMs = 50;
std::atomic<bool> g_listenerStuck{false};
// Formatting retries with doubled buffers up to this size to learn the full text before cutting.
constexpr std::size_t kMaxFormatChars = 1u << 20;

bool isLengthModifier(wchar_t c)
{
    return c == L'h' || c == L'l' || c == L'L' || c == L'q' || c == L'j' || c == L'z' || c == L't';
}

int traceSocket()
{
    static const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    return fd;
}

void writeStderr(const std::string& bytes)
{
    static std::mutex stderrMutex;
    std::lock_guard lock(stderrMutex);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

// The listener's socket is used only in a runtime folder of this user's own: one that another user
// made first (in /tmp) would hand that user every line. A refused folder is said once on stderr.
bool listenerFolderUsable()
{
    static std::mutex mutex;
    static std::string usable;
    static std::set<std::string> said;
    const std::string dir = Platform::runtimeDir();
    std::lock_guard lock(mutex);
    if (dir == usable)
        return true;
    const auto problem = makePrivateFolder(dir);
    if (!problem) {
        usable = dir;
        return true;
    }
    if (said.insert(*problem).second)
        writeStderr("Trace: the runtime folder " + *problem + "; trace lines go to stderr\r\n");
    return false;
}

bool sendToListener(const std::string& bytes)
{
    if (!listenerFolderUsable())
        return false;
    const int fd = traceSocket();
    if (fd < 0)
        return false;
    const std::string path = SocketPath();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr.sun_path))
        return false;
    path.copy(addr.sun_path, path.size());
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (sendto(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&addr), len) >= 0) {
            g_listenerStuck = false;
            return true;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return false; // no listener (ENOENT, ECONNREFUSED) or a line too long for a datagram
        if (g_listenerStuck)
            return false;
        // An unconnected datagram socket cannot wait for one receiver's room; a short sleep can.
        poll(nullptr, 0, kFullQueueWaitMs);
    }
    g_listenerStuck = true;
    return false;
}

void vtrace(std::size_t bufferChars, const wchar_t* format, va_list args)
{
    Emit(FormatLine(bufferChars, format, args));
}

} // namespace

std::wstring TranslateFormat(const wchar_t* format)
{
    std::wstring out;
    if (!format)
        return out;
    for (const wchar_t* p = format; *p;) {
        if (*p != L'%') {
            out += *p++;
            continue;
        }
        out += *p++;
        if (*p == L'%') {
            out += *p++;
            continue;
        }
        // flags, width, precision
        while (*p && std::wcschr(L"-+ #0123456789.*'", *p))
            out += *p++;
        std::wstring length;
        while (*p && isLengthModifier(*p))
            length += *p++;
        const wchar_t conv = *p;
        if (!conv)
            break;
        ++p;
        if ((conv == L's' || conv == L'c') && length.empty()) {
            out += L'l';
            out += conv;
        } else if ((conv == L's' || conv == L'c') && length == L"h") {
            out += conv;
        } else if (conv == L'S' || conv == L'C') {
            out += static_cast<wchar_t>(conv == L'S' ? L's' : L'c');
        } else {
            out += length;
            out += conv;
        }
    }
    return out;
}

std::wstring FormatLine(std::size_t bufferChars, const wchar_t* format, va_list args)
{
    const std::wstring fmt = TranslateFormat(format);
    // A format the C library rejects (or an unconvertible narrow argument) still leaves a trace:
    // the format itself.
    std::wstring text = fmt;
    for (std::size_t size = bufferChars + 2; size <= kMaxFormatChars; size *= 2) {
        std::vector<wchar_t> buffer(size);
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), buffer.size(), fmt.c_str(), copy);
        va_end(copy);
        if (n >= 0) {
            text.assign(buffer.data(), static_cast<std::size_t>(n));
            break;
        }
    }
    text += L"\r\n";
    if (bufferChars > 0 && text.size() > bufferChars - 1)
        text.resize(bufferChars - 1);
    return text;
}

std::string SocketPath() { return Platform::runtimeDir() + "/MfxTraceWindow"; }

void Emit(const std::wstring& line)
{
    const std::string bytes = wideToUtf8(line);
    if (sendToListener(bytes))
        return;
    writeStderr(bytes);
}

} // namespace tarvik::trace

void TraceMessage(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    tarvik::trace::vtrace(tarvik::trace::kMessageBufferChars, format, args);
    va_end(args);
}

void TraceDebug(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    tarvik::trace::vtrace(tarvik::trace::kDebugBufferChars, format, args);
    va_end(args);
}

void DebugOutput(const wchar_t* text)
{
    const std::string bytes = tarvik::wideToUtf8(text ? text : L"");
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}
