#include "Trace.h"

#include "Platform.h"
#include "PrivateFolder.h"
#include "TextConvert.h"

#include <atomic>
#include <chrono>
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

// A listener that is a moment slow must still get every line: its queue holds only a few datagrams
// (net.unix.max_dgram_qlen, 10 by default), so a full queue is waited on for room, but never longer
// than this per line, so that a listener that has stopped reading cannot freeze the interface.
std::atomic<int> g_fullQueueWaitMs{500};
// Formatting retries with doubled buffers up to this size to learn the full text before cutting.
constexpr std::size_t kMaxFormatChars = 1u << 20;

bool isLengthModifier(wchar_t c)
{
    return c == L'h' || c == L'l' || c == L'L' || c == L'q' || c == L'j' || c == L'z' || c == L't';
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

// One line at a time: a line waiting for room keeps the lines after it (of any thread) behind it, and
// the stderr fallback goes through the same turn, so nothing is reordered.
std::mutex g_sinkMutex;

// The socket is connected to the listener: only a connected datagram socket can wait (poll) for room
// in one receiver's queue. It is connected anew when the listener's path changes or its listener has
// gone (a new tarvik-trace binds a new socket at the same path).
struct ListenerConnection {
    int fd = -1;
    std::string path;

    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        path.clear();
    }

    bool open(const std::string& target)
    {
        close();
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (target.size() >= sizeof(addr.sun_path))
            return false;
        target.copy(addr.sun_path, target.size());
        const int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (s < 0)
            return false;
        const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + target.size() + 1);
        if (connect(s, reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
            ::close(s);
            return false; // no listener (ENOENT, ECONNREFUSED)
        }
        fd = s;
        path = target;
        return true;
    }
};
ListenerConnection g_listener;

int remainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// With g_sinkMutex held.
bool sendToListener(const std::string& bytes)
{
    if (!listenerFolderUsable())
        return false;
    const std::string path = SocketPath();
    if (g_listener.fd < 0 || g_listener.path != path) {
        if (!g_listener.open(path))
            return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_fullQueueWaitMs.load());
    bool reconnected = false;
    for (;;) {
        if (send(g_listener.fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) >= 0)
            return true;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == ECONNREFUSED || error == ENOTCONN || error == EPIPE) {
            // The listener we were connected to has gone; another may have taken its place.
            if (reconnected || !g_listener.open(path))
                return false;
            reconnected = true;
            continue;
        }
        if (error != EAGAIN && error != EWOULDBLOCK)
            return false; // a line too long for a datagram, or no memory
        const int wait = remainingMs(deadline);
        if (wait == 0)
            return false;
        pollfd room{g_listener.fd, POLLOUT, 0};
        if (poll(&room, 1, wait) > 0 && (room.revents & POLLOUT) == 0)
            poll(nullptr, 0, 1); // an error or hang-up: the next send says which, without spinning
    }
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
    std::lock_guard turn(g_sinkMutex);
    if (sendToListener(bytes))
        return;
    writeStderr(bytes);
}

void SetFullQueueWait(int milliseconds) { g_fullQueueWaitMs = milliseconds > 0 ? milliseconds : 0; }
int FullQueueWait() { return g_fullQueueWaitMs; }

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
