// The trace operations: formatting with the Windows conventions, buffer limits, one datagram per
// line to the listener, stderr without one, and the trace-window stand-in tarvik-trace.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "Trace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using tarvik::qtest::TraceCapture;

namespace {

// Runs f with stderr redirected into a pipe; returns what was written.
template <class F>
QByteArray captureStderr(F f)
{
    int pipes[2];
    if (pipe(pipes) != 0)
        return {};
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(pipes[1], STDERR_FILENO);
    close(pipes[1]);
    f();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    QByteArray out;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipes[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<qsizetype>(n));
    close(pipes[0]);
    return out;
}

// A listener socket at the program's trace path that reads only when the test says so.
int bindListener()
{
    const std::string path = tarvik::trace::SocketPath();
    mkdir(path.substr(0, path.rfind('/')).c_str(), 0700);
    unlink(path.c_str());
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    path.copy(addr.sun_path, sizeof(addr.sun_path) - 1);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void closeListener(int fd)
{
    close(fd);
    unlink(tarvik::trace::SocketPath().c_str());
}

} // namespace

class tst_Trace : public QObject {
    Q_OBJECT
private slots:
    void formatsWithWindowsConventions_data()
    {
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("which");
        QTest::newRow("wide %s") << "PROJECT HARD_TYPE = <RQ63_H>" << 0;
        QTest::newRow("narrow %S") << "lpszBitmapResource=<IDB_EXIT_L>" << 1;
        QTest::newRow("numbers") << "bRet = 1, bValue = -7, 0X3E" << 2;
        QTest::newRow("wide %c and %%") << "100% X" << 3;
    }
    void formatsWithWindowsConventions()
    {
        QFETCH(QString, expected);
        QFETCH(int, which);
        TraceCapture capture;
        switch (which) {
        case 0: TraceMessage(L"PROJECT HARD_TYPE = <%s>", L"RQ63_H"); break;
        case 1: TraceMessage(L"lpszBitmapResource=<%S>", "IDB_EXIT_L"); break;
        case 2: TraceMessage(L"bRet = %d, bValue = %d, 0X%X", 1, -7, 0x3E); break;
        case 3: TraceDebug(L"100%% %c", L'X'); break;
        }
        QCOMPARE(capture.lines(), QStringList{expected});
    }

    void eachLineIsOneUtf8DatagramEndingInCrLf()
    {
        TraceCapture capture;
        TraceMessage(L"%s", L"APP Close! OnClose\xFF01");
        TraceDebug(L"\nApp Starting...");
        const QList<QByteArray> datagrams = capture.datagrams();
        QCOMPARE(datagrams.size(), 2);
        QCOMPARE(datagrams[0], QByteArray("APP Close! OnClose\xEF\xBC\x81\r\n"));
        QCOMPARE(datagrams[1], QByteArray("\nApp Starting...\r\n"));
    }

    // The line with its terminator is cut to the buffer: 5000 characters for TraceMessage and 500
    // for TraceDebug, one of which is the terminating NUL.
    void linesAreCutToTheirBuffers_data()
    {
        QTest::addColumn<bool>("debug");
        QTest::addColumn<int>("textLength");
        QTest::addColumn<QByteArray>("expectedTail");
        QTest::addColumn<int>("expectedLength");
        QTest::newRow("message fits exactly") << false << 4997 << QByteArray("x\r\n") << 4999;
        QTest::newRow("message loses its newline") << false << 4998 << QByteArray("xx\r") << 4999;
        QTest::newRow("message cut inside the text") << false << 9000 << QByteArray("xxx") << 4999;
        QTest::newRow("debug fits exactly") << true << 497 << QByteArray("x\r\n") << 499;
        QTest::newRow("debug cut") << true << 600 << QByteArray("xxx") << 499;
    }
    void linesAreCutToTheirBuffers()
    {
        QFETCH(bool, debug);
        QFETCH(int, textLength);
        QFETCH(QByteArray, expectedTail);
        QFETCH(int, expectedLength);
        TraceCapture capture;
        const std::wstring text(static_cast<std::size_t>(textLength), L'x');
        if (debug)
            TraceDebug(L"%s", text.c_str());
        else
            TraceMessage(L"%s", text.c_str());
        const QList<QByteArray> datagrams = capture.datagrams();
        QCOMPARE(datagrams.size(), 1);
        QCOMPARE(datagrams[0].size(), expectedLength);
        QVERIFY(datagrams[0].endsWith(expectedTail));
    }

    void withoutListenerLinesGoToStderr()
    {
        const QByteArray out = captureStderr([] { TraceMessage(L"no listener %d", 42); });
        QCOMPARE(out, QByteArray("no listener 42\r\n"));
    }

    // A listener that stops reading fills its queue; the program must not hang on it: each line that
    // finds no room waits at most the bounded time, then goes to stderr; no line is lost or reordered.
    void aListenerThatStopsReadingCostsEachLineAtMostTheWait()
    {
        const int savedWait = tarvik::trace::FullQueueWait();
        tarvik::trace::SetFullQueueWait(20);
        const int fd = bindListener();
        constexpr int kLines = 40;
        QElapsedTimer timer;
        timer.start();
        const QByteArray out = captureStderr([] {
            for (int i = 0; i < kLines; ++i)
                TraceMessage(L"line %d", i);
        });
        const qint64 elapsed = timer.elapsed();
        tarvik::trace::SetFullQueueWait(savedWait);
        QByteArray received;
        char buffer[256];
        ssize_t n;
        while ((n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
            received.append(buffer, static_cast<qsizetype>(n));
        closeListener(fd);

        QByteArray expected;
        for (int i = 0; i < kLines; ++i)
            expected += "line " + QByteArray::number(i) + "\r\n";
        QCOMPARE(received + out, expected);
        const int overflowed = static_cast<int>(out.count('\n'));
        QVERIFY2(overflowed > 0 && received.size() > 0, out.constData());
        QVERIFY2(elapsed >= overflowed * 18, qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed < overflowed * 20 + 1000, qPrintable(QString::number(elapsed)));
    }

    // A listener that pauses now and then (longer than a full queue takes to fill) still gets every
    // line of every thread, each thread's in order, and nothing goes to stderr.
    void aListenerThatPausesGetsEveryLineInOrder()
    {
        const int fd = bindListener();
        constexpr int kThreads = 2;
        constexpr int kLinesEach = 1500;
        std::vector<int> next(kThreads, 0);
        bool inOrder = true;
        std::thread listener([&] {
            char buffer[256];
            for (int got = 0; got < kThreads * kLinesEach;) {
                const ssize_t n = recv(fd, buffer, sizeof buffer - 1, 0);
                if (n <= 0)
                    break;
                buffer[n] = 0;
                int thread = -1;
                int line = -1;
                if (std::sscanf(buffer, "flood %d %d", &thread, &line) != 2 || thread < 0 || thread >= kThreads ||
                    line != next[thread])
                    inOrder = false;
                else
                    ++next[thread];
                // Pauses of 150 ms, three times as long as the sink's old wait for room.
                if (++got % 1000 == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(150));
            }
        });
        const QByteArray out = captureStderr([] {
            std::vector<std::thread> producers;
            for (int t = 0; t < kThreads; ++t)
                producers.emplace_back([t] {
                    for (int i = 0; i < kLinesEach; ++i)
                        TraceMessage(L"flood %d %d", t, i);
                });
            for (std::thread& producer : producers)
                producer.join();
        });
        listener.join();
        closeListener(fd);
        QVERIFY(inOrder);
        for (int t = 0; t < kThreads; ++t)
            QCOMPARE(next[t], kLinesEach);
        QCOMPARE(out, QByteArray());
    }

    // A listener that ends and is replaced (tarvik-trace started again) gets the lines after it.
    void aNewListenerAtTheSamePathGetsTheLines()
    {
        TraceCapture* first = new TraceCapture;
        TraceMessage(L"to the first");
        QVERIFY(first->contains("to the first"));
        delete first;
        const QByteArray out = captureStderr([] { TraceMessage(L"to nobody"); });
        QCOMPARE(out, QByteArray("to nobody\r\n"));
        TraceCapture second;
        TraceMessage(L"to the second");
        QVERIFY(second.contains("to the second"));
    }

    // Without XDG_RUNTIME_DIR the runtime folder is /tmp/tarvik-<uid>; another user who made it
    // first (here: a link to a folder of theirs, with their listener in it) must get no line.
    void aRuntimeFolderNotOfThisUserGetsNoLine()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        const QString root = tarvik::qtest::QtTestEnvironment::instance().makeDir("foreign-runtime");
        const QString theirs = root + "/theirs";
        QVERIFY(QDir().mkpath(theirs));
        QVERIFY(QFile::link(theirs, root + "/tarvik"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root));
        const std::string path = tarvik::trace::SocketPath();
        const std::string theirSocket = QFile::encodeName(theirs).toStdString() + "/MfxTraceWindow";
        const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        theirSocket.copy(addr.sun_path, sizeof(addr.sun_path) - 1);
        QVERIFY(bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0);

        const QByteArray out = captureStderr([] {
            TraceMessage(L"first");
            TraceDebug(L"second");
        });
        qputenv("XDG_RUNTIME_DIR", saved);
        char buffer[256];
        QCOMPARE(recv(fd, buffer, sizeof buffer, MSG_DONTWAIT), ssize_t(-1));
        close(fd);
        QCOMPARE(out, "Trace: the runtime folder <" + QByteArray::fromStdString(path.substr(0, path.rfind('/'))) +
                          "> is a symbolic link, not a folder of this user; trace lines go to stderr\r\n"
                          "first\r\nsecond\r\n");

        // tarvik-trace does not listen there either.
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", root);
        tool.setProcessEnvironment(env);
        tool.start(QCoreApplication::applicationDirPath() + "/tarvik-trace", {});
        QVERIFY(tool.waitForFinished(5000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains("is a symbolic link"));
    }

    void tarvikTracePrintsWhatTheProgramTraces()
    {
        QProcess tool;
        tool.start(QCoreApplication::applicationDirPath() + "/tarvik-trace", {});
        QVERIFY(tool.waitForStarted());
        // The socket file appears when the tool has bound it.
        const QString path = QString::fromStdString(tarvik::trace::SocketPath());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 5000);
        TraceMessage(L"GU_DevInfoDlg: OnInitDialog()");
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += tool.readAllStandardOutput()).contains("GU_DevInfoDlg: OnInitDialog()\n"), 5000);

        // A second listener refuses to take the socket over.
        QProcess second;
        second.start(QCoreApplication::applicationDirPath() + "/tarvik-trace", {});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 1);

        tool.terminate();
        QVERIFY(tool.waitForFinished(5000));
        QCOMPARE(tool.exitCode(), 0);
            QVERIFY(!QFile::exists(path));
    }
};

TARVIK_QTEST_MAIN(tst_Trace)
#include "tst_Trace.moc"
