// The trace operations: formatting with the Windows conventions, buffer limits, one datagram per
// line to the listener, stderr without one, and the trace-window stand-in tarvik-trace.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "Trace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <string>
#include <sys/socket.h>
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

    // A listener that stops reading fills its queue; the program must not hang on it: the lines
    // that do not fit go to stderr, after one short wait.
    void aListenerThatDoesNotReadDoesNotBlockTheProgram()
    {
        const std::string path = tarvik::trace::SocketPath();
        unlink(path.c_str());
        const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path.copy(addr.sun_path, sizeof(addr.sun_path) - 1);
        QVERIFY(bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0);
        QElapsedTimer timer;
        timer.start();
        const QByteArray out = captureStderr([] {
            for (int i = 0; i < 40; ++i)
                TraceMessage(L"line %d", i);
        });
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(out.contains("line 39\r\n"));
        close(fd);
        unlink(path.c_str());
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
