// The tray socket: owner-only, lines of the protocol posted to the tray window as 0x83E8, other
// lines traced and dropped, and the client side a second start uses (waiting for a starting
// instance).

#include "QtTestEnvironment.h"
#include "TraceCapture.h"
#include "TrayStandIn.h"

#include "CTraySocket.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <malloc.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::TraceCapture;

namespace {

// Sends bytes as a client and closes.
void send(const QString& path, const QByteArray& bytes)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    QVERIFY(socket.waitForConnected(2000));
    socket.write(bytes);
    QVERIFY(socket.waitForBytesWritten(2000));
    socket.disconnectFromServer();
}

} // namespace

class tst_CTraySocket : public QObject {
    Q_OBJECT
private slots:
    void socketIsTheOwnersOnly()
    {
        TrayStandIn tray;
        CTraySocket socket(&tray);
        const QString path = CTraySocket::SocketPath();
        QVERIFY(path.endsWith("/tarvik/TARVIK_TRAY_WND"));
        QVERIFY(socket.Listen(path));
        struct stat st {};
        QCOMPARE(stat(QFile::encodeName(path).constData(), &st), 0);
        QVERIFY(S_ISSOCK(st.st_mode));
        QCOMPARE(st.st_mode & 0077, 0u);
        struct stat folder {};
        QCOMPARE(stat(QFile::encodeName(QFileInfo(path).path()).constData(), &folder), 0);
        QCOMPARE(folder.st_mode & 0077, 0u);
    }

    void linesArePostedAndOthersTracedOnce()
    {
        TrayStandIn tray;
        CTraySocket socket(&tray);
        QVERIFY(socket.Listen());
        TraceCapture capture;
        send(CTraySocket::SocketPath(),
             "0x83E8 A1 0\n0x7E9 0 0\nhello\n0x83E8 0x55 0x7\r\n" + QByteArray(300, 'x') + "\n0x83E8 40 0");
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys.size(), 3u, 5000);
        QCOMPARE(tray.keys[0], (std::pair<WPARAM, LPARAM>{0xA1, 0}));
        QCOMPARE(tray.keys[1], (std::pair<WPARAM, LPARAM>{0x55, 7}));
        QCOMPARE(tray.keys[2], (std::pair<WPARAM, LPARAM>{0x40, 0})); // the last line had no line end
        const QStringList ignored = capture.lines().filter("CTrayWnd: socket line ignored");
        QCOMPARE(ignored.size(), 3);
        QCOMPARE(ignored[0], QString("CTrayWnd: socket line ignored <0x7E9 0 0>: message 0x7E9 is not accepted"));
        QCOMPARE(ignored[1], QString("CTrayWnd: socket line ignored <hello>: expected three fields: message, first "
                                     "and second parameter"));
        QVERIFY(ignored[2].endsWith("...>: longer than 256 bytes"));
    }

    void aStaleSocketFileIsReplaced()
    {
        const QString path = CTraySocket::SocketPath();
        {
            TrayStandIn crashed;
            CTraySocket first(&crashed);
            QVERIFY(first.Listen(path));
            // A crash leaves the file behind; a clean end removes it, so put one back by hand.
        }
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        TrayStandIn tray;
        CTraySocket socket(&tray);
        QVERIFY(socket.Listen(path));
        send(path, "0x83E8 3F 0\n");
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys.size(), 1u, 5000);
    }

    void secondStartWaitsForAStartingInstance()
    {
        const QString path = CTraySocket::SocketPath();
        QFile::remove(path);
        TrayStandIn tray;
        CTraySocket socket(&tray);
        bool posted = false;
        QString error;
        // The client runs as a second process would: blocking, while this one starts listening later.
        std::thread client([&] { posted = CTraySocket::PostToTray(0xA1, 0, 5000, &error, path); });
        QTimer::singleShot(100, &socket, [&] { QVERIFY(socket.Listen(path)); });
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys.size(), 1u, 5000);
        client.join();
        QVERIFY2(posted, qPrintable(error));
        QCOMPARE(tray.keys[0].first, WPARAM(0xA1));
    }

    void endsWithPeersStillConnected()
    {
        // Freed memory is overwritten, so that a use after free shows rather than goes unnoticed.
        mallopt(M_PERTURB, 0xA5);
        TrayStandIn tray;
        auto socket = std::make_unique<CTraySocket>(&tray);
        QVERIFY(socket->Listen());
        std::vector<std::unique_ptr<QLocalSocket>> peers;
        for (int i = 0; i < 3; ++i) {
            peers.push_back(std::make_unique<QLocalSocket>());
            peers.back()->connectToServer(CTraySocket::SocketPath());
            QVERIFY(peers.back()->waitForConnected(2000));
            peers.back()->write("0x83E8 A1 0\n");
            QVERIFY(peers.back()->waitForBytesWritten(2000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys.size(), 3u, 5000);
        socket.reset(); // the program ends while other programs hold connections
        for (auto& peer : peers)
            QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QLocalSocket::UnconnectedState, 5000);
        mallopt(M_PERTURB, 0);
    }

    // Without XDG_RUNTIME_DIR the folder is /tmp/tarvik-<uid>, which another user may have made
    // first: a link to a folder of theirs, or a folder of theirs. Neither is listened in or posted to.
    void aFolderNotOfThisUserIsNotUsed_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<QString>("problem");
        QTest::newRow("symbolic link") << true << "is a symbolic link, not a folder of this user";
        QTest::newRow("someone else's folder") << false << "belongs to user 65534";
    }
    void aFolderNotOfThisUserIsNotUsed()
    {
        QFETCH(bool, link);
        QFETCH(QString, problem);
        if (!link && geteuid() != 0)
            QSKIP("only root can make a folder of someone else");
        static int count = 0;
        const QString root = QtTestEnvironment::instance().makeDir(QString("foreign%1").arg(++count));
        const QString target = root + "/theirs";
        QVERIFY(QDir().mkpath(target));
        QCOMPARE(chmod(QFile::encodeName(target).constData(), 0777), 0);
        QString folder = target;
        if (link) {
            folder = root + "/tarvik";
            QVERIFY(QFile::link(target, folder));
        } else {
            QCOMPARE(chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
        }
        const QString path = folder + "/TARVIK_TRAY_WND";

        TrayStandIn tray;
        CTraySocket socket(&tray);
        TraceCapture capture;
        QVERIFY(!socket.Listen(path));
        QVERIFY(!QFile::exists(target + "/TARVIK_TRAY_WND"));
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("CTrayWnd: cannot listen at <" + path + ">: the folder <" + folder + "> " + problem),
                 qPrintable(lines[0]));

        // Their stand-in listening there gets nothing.
        QLocalServer standIn;
        QVERIFY(standIn.listen(target + "/TARVIK_TRAY_WND"));
        QString error;
        QVERIFY(!CTraySocket::PostToTray(0xA1, 0, 50, &error, path));
        QVERIFY2(error.contains(problem), qPrintable(error));
        QVERIFY(!standIn.waitForNewConnection(50));
    }

    void ourFolderOpenToOthersIsClosed()
    {
        const QString folder = QtTestEnvironment::instance().makeDir("open-runtime");
        QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0777), 0);
        TrayStandIn tray;
        CTraySocket socket(&tray);
        QVERIFY(socket.Listen(folder + "/TARVIK_TRAY_WND"));
        struct stat st {};
        QCOMPARE(stat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
    }

    void noInstanceToReach()
    {
        QString error;
        const QString path = QtTestEnvironment::instance().root() + "/nobody";
        QVERIFY(!CTraySocket::PostToTray(0xA1, 0, 50, &error, path));
        QVERIFY(!error.isEmpty());
    }
};

TARVIK_QTEST_MAIN(tst_CTraySocket)
#include "tst_CTraySocket.moc"
