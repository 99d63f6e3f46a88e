#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <thread>

namespace tarvik::qtest {

// Listens on the program's trace socket, as tarvik-trace does, and keeps every line (without its
// "\r\n"). A reader thread drains the socket so the program never finds it full; lines() drains what
// is queued first, so every trace made before the call is in the answer.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    QStringList lines();
    // Raw datagrams as received (terminator included).
    QList<QByteArray> datagrams();
    bool contains(const QString& line);
    int count(const QString& line);
    // Index of the first line equal to `line` at or after `from`, or -1.
    int indexOf(const QString& line, int from = 0);
    void clear();

private:
    void drainLocked();

    int m_fd = -1;
    std::mutex m_mutex;
    QList<QByteArray> m_datagrams;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};

} // namespace tarvik::qtest
