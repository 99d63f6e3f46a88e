// The program end to end: the real Tarvik started offscreen on a virtual board of each model with a
// data folder of its own, driven through its tray socket and `tarvik-board`, checked by its trace
// lines (the trace socket), its debugger output (stderr), its files and the board's state.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "Board.h"
#include "PowerBoard.h"
#include "PrivateProfile.h"
#include "SessionBoard.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>

#include <csignal>
#include <ctime>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;

namespace {

constexpr int kStartMs = 15000; // generous for a loaded machine; a start takes well under a second
constexpr int kStepMs = 10000;

// One machine: a virtual board, a data folder, a runtime folder and a settings folder, all new.
class Machine {
public:
    explicit Machine(const QString& model, const QString& powerBoard = "high")
    {
        static int count = 0;
        m_root = QtTestEnvironment::instance().makeDir(QString("machine%1").arg(++count));
        auto board = tarvik::board::Board::create(QFile::encodeName(boardDir()).toStdString(), model.toStdString(),
                                                  powerBoard.toStdString());
        if (!board)
            qFatal("cannot create the board: %s", board.error().c_str());
        QDir().mkpath(m_root + "/data");
        QDir().mkpath(m_root + "/run");
        QFile::setPermissions(m_root + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // The trace listener and the socket's client are this process: same runtime folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_root + "/run"));
    }

    QString boardDir() const { return m_root + "/board"; }
    std::wstring settingsFile() const { return (m_root + "/data/Tarvik.INI").toStdWString(); }

    QString runtimeDir() const { return m_root + "/run"; }

    std::unique_ptr<QProcess> start(const QStringList& arguments = {}) const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_root + "/run");
        env.insert("TARVIK_BOARD", boardDir());
        env.insert("PUBLIC", m_root + "/data/");
        env.insert("XDG_CONFIG_HOME", m_root + "/config");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // Never the computer's own login manager, whatever happens.
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + m_root + "/no-bus");
        env.remove("TARVIK_SKIN_DIR");
        env.remove("TARVIK_COM_DIR");
        process->setProcessEnvironment(env);
        process->start(TARVIK_PROGRAM, arguments);
        process->waitForStarted(kStartMs);
        return process;
    }

    std::wstring setting(const wchar_t* section, const wchar_t* key) const
    {
        wchar_t buffer[256] = {};
        GetPrivateProfileStringW(section, key, L"", buffer, 256, settingsFile().c_str());
        return buffer;
    }
    void setSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value) const
    {
        WritePrivateProfileStringW(section, key, value, settingsFile().c_str());
    }

    std::int32_t power(PowerValue v) const
    {
        auto power = tarvik::board::PowerBoard::open(QFile::encodeName(boardDir()).toStdString());
        return (*power)->memory().locked([&](tarvik::board::PowerState& s) { return valueOf(s, v); });
    }
    tarvik::board::SessionState session() const
    {
        auto session = tarvik::board::SessionBoard::open(QFile::encodeName(boardDir()).toStdString());
        return (*session)->memory().locked([](tarvik::board::SessionState& s) { return s; });
    }

    // What another program does: one line on the tray socket.
    bool post(const QByteArray& line) const
    {
        QLocalSocket socket;
        socket.connectToServer(m_root + "/run/tarvik/TARVIK_TRAY_WND");
        if (!socket.waitForConnected(kStepMs))
            return false;
        socket.write(line);
        const bool written = socket.waitForBytesWritten(kStepMs);
        socket.disconnectFromServer();
        return written;
    }
    bool post(unsigned code) const { return post(QByteArray("0x83E8 ") + QByteArray::number(code, 16) + " 0\n"); }

    // tarvik-board on this board; its standard output.
    QString board(const QStringList& args) const
    {
        QProcess tool;
        tool.start(TARVIK_BOARD_TOOL, QStringList{"-d", boardDir()} + args);
        tool.waitForFinished(kStepMs);
        return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    }

private:
    QString m_root;
};

// Debugger output of a process, gathered as it comes.
struct Output {
    QProcess* process;
    QString text;
    bool contains(const QString& s)
    {
        text += QString::fromUtf8(process->readAllStandardError());
        return text.contains(s);
    }
};

// The instance count of the last start traced.
int processCount(TraceCapture& capture)
{
    const QStringList counts = capture.lines().filter(QRegularExpression("^\nApp Process Count = <\\d+>$"));
    return counts.isEmpty() ? -1 : counts.last().section('<', 1).section('>', 0, 0).toInt();
}

bool stop(QProcess& process, int signal = SIGTERM)
{
    kill(static_cast<pid_t>(process.processId()), signal);
    return process.waitForFinished(kStepMs) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class tst_TarvikProgram : public QObject {
    Q_OBJECT
private slots:
    void firstAndSecondStart_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("powerBoard");
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("settingsTemplate");
        QTest::newRow("GX58") << "KTA" << "high" << "GX58" << "GX58_default.INI";
        QTest::newRow("RQ63_H") << "KTM" << "high" << "RQ63_H" << "RQ63_default.INI";
        QTest::newRow("RQ63_L") << "KTM" << "low" << "RQ63_L" << "RQ63_default.INI";
        QTest::newRow("RQ81") << "KQS" << "high" << "RQ81" << "RQ81_default.INI";
        QTest::newRow("RQ72") << "KZS" << "high" << "RQ72" << "RQ72_default.INI";
    }
    void firstAndSecondStart()
    {
        QFETCH(QString, model);
        QFETCH(QString, powerBoard);
        QFETCH(QString, hardType);
        QFETCH(QString, settingsTemplate);
        Machine machine(model, powerBoard);
        TraceCapture capture;
        auto first = machine.start();
        // Start-up opens the home screen with the templates' wake-up code.
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()"), kStartMs);
        QVERIFY(capture.contains("\nApp copy ini file firstly."));
        QVERIFY(capture.contains("\nApp copy km_config ini file firstly."));
        QVERIFY(capture.lines().filter("\nApp source ini file =[").value(0).endsWith("/" + settingsTemplate + "]"));
        // Every Tarvik of the computer counts (other sessions' too); this one at least.
        QVERIFY(processCount(capture) >= 1);
        QCOMPARE(QString::fromStdWString(machine.setting(L"PROJECT", L"HARD_TYPE")), hardType);
        QVERIFY(stop(*first));
        QCOMPARE(machine.setting(L"LOG", L"CONTENT"), std::wstring(L"APP Close! OnEndSession\xFF01"));

        // The second start keeps the files, but names the hardware again.
        machine.setSetting(L"PROJECT", L"HARD_TYPE", L"elsewhere");
        machine.setSetting(L"PROJECT", L"MARKER", L"kept");
        capture.clear();
        auto second = machine.start();
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()"), kStartMs);
        QVERIFY(capture.contains("\nApp Tarvik.ini file is exist."));
        QVERIFY(capture.contains("\nApp km_config.ini file is exist."));
        QCOMPARE(QString::fromStdWString(machine.setting(L"PROJECT", L"HARD_TYPE")), hardType);
        QCOMPARE(machine.setting(L"PROJECT", L"MARKER"), std::wstring(L"kept"));
        QVERIFY(stop(*second));
    }

    void keysThroughTheSocket()
    {
        Machine machine("KTA");
        TraceCapture capture;
        auto tarvik = machine.start();
        Output output{tarvik.get(), {}};
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()"), kStartMs);

        // The wake-up key twice: the home screen closes (by key, no close-down) and opens again.
        QVERIFY(machine.post(0xA1));
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::DestroyWindow()"), kStepMs);
        QVERIFY(machine.post(0xA1));
        QTRY_COMPARE_WITH_TIMEOUT(capture.count("OnInitDialog()"), 2, kStepMs);

        // Key 2 of the GX58 (0x56) raises the brightness; 0x13 is a key of the nine-key machines.
        QCOMPARE(machine.power(PowerValue::Brightness), 80);
        QVERIFY(machine.post(0x56));
        QTRY_COMPARE_WITH_TIMEOUT(machine.power(PowerValue::Brightness), 90, kStepMs);
        QVERIFY(capture.contains("CTrayWnd: SwitchMainDlg():kKeySets[0][1] - scancode[56]"));
        QVERIFY(machine.post(0x13));
        QVERIFY(machine.post(0x42)); // an unknown code after it: once it is seen, 0x13 is done
        QTRY_VERIFY_WITH_TIMEOUT(output.contains("OnHotKeyEvent_Begin = <0X42> <0X0> \n"), kStepMs);
        QVERIFY(output.contains("OnHotKeyEvent_Begin = <0X13> <0X0> \n"));
        QVERIFY(!capture.lines().join('\n').contains("scancode[13]"));

        // The emergency key latches the event in the settings.
        QCOMPARE(machine.setting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN"), std::wstring(L"0"));
        QVERIFY(machine.post(0x40));
        QTRY_VERIFY_WITH_TIMEOUT(machine.setting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN") == L"1", kStepMs);
        QTRY_VERIFY_WITH_TIMEOUT(output.contains("Emgency Button is trigged !!!\n"), kStepMs);

        QVERIFY(machine.post(QByteArray("0x7E9 0 0\n")));
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CTrayWnd: socket line ignored <0x7E9 0 0>: message 0x7E9 is not accepted"),
                                 kStepMs);

        // A second start hands its wake-up code over and ends; the home screen closes.
        auto second = machine.start();
        QVERIFY(second->waitForFinished(kStartMs));
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(processCount(capture) >= 2); // the last count traced: the second start's
        QTRY_COMPARE_WITH_TIMEOUT(capture.count("CGX58_UtilityDlg::DestroyWindow()"), 2, kStepMs);
        QCOMPARE(capture.count("InitInstance: vTimer_WatchdogTimerSwitch: bRet = 1, watchdog_isenabled = 0"), 1);
        QCOMPARE(tarvik->state(), QProcess::Running);

        QVERIFY(stop(*tarvik));
        QCOMPARE(machine.setting(L"LOG", L"CONTENT"), std::wstring(L"APP Close! OnEndSession\xFF01"));
    }

    void qtOptionsAreNotRead()
    {
        // The program reads no arguments, Qt's own options neither: this one would end it at once.
        Machine machine("KTA");
        TraceCapture capture;
        auto tarvik = machine.start({"-platform", "no-such-platform"});
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()") || tarvik->state() != QProcess::Running,
                                 kStartMs);
        QVERIFY2(capture.contains("CGX58_UtilityDlg::OnPaint()"), tarvik->readAllStandardError().constData());
        QVERIFY(stop(*tarvik));
    }

    // Another user made the runtime folder first (without XDG_RUNTIME_DIR it is in /tmp): a link to
    // a folder of theirs. The program neither takes its lock there nor listens there, and says why.
    void aRuntimeFolderNotOfThisUserEndsTheStart()
    {
        Machine machine("KTA");
        const QString theirs = machine.runtimeDir() + "/theirs";
        QVERIFY(QDir().mkpath(theirs));
        QVERIFY(QFile::link(theirs, machine.runtimeDir() + "/tarvik"));
        auto tarvik = machine.start();
        QVERIFY(tarvik->waitForFinished(kStartMs));
        QCOMPARE(tarvik->exitStatus(), QProcess::NormalExit);
        QCOMPARE(tarvik->exitCode(), 1);
        const QString output = QString::fromUtf8(tarvik->readAllStandardError());
        QVERIFY2(output.contains("\nApp the runtime folder <" + machine.runtimeDir() +
                                 "/tarvik> is a symbolic link, not a folder of this user; Tarvik ends"),
                 qPrintable(output));
        QVERIFY(!output.contains("App HARD_TYPE"));
        QCOMPARE(QDir(theirs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), QStringList{});
    }

    void watchdogFollowsTheSetting()
    {
        Machine machine("KTA");
        {
            TraceCapture capture;
            auto first = machine.start();
            QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()"), kStartMs);
            QVERIFY(stop(*first));
        }
        machine.setSetting(L"SYS_WATCHDOG", L"IS_ENABLED", L"1");
        TraceCapture capture;
        auto tarvik = machine.start();
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("InitInstance: vTimer_WatchdogTimerSwitch: bRet = 1, watchdog_isenabled = 1"),
                                 kStartMs);
        QCOMPARE(machine.power(PowerValue::Watchdog), 1);
        QVERIFY(machine.board({"show"}).contains(QRegularExpression("\\n  Watchdog +1 ")));
        // Ctrl+C where it was started: a close request.
        QVERIFY(stop(*tarvik, SIGINT));
        QCOMPARE(machine.power(PowerValue::Watchdog), 0);
        QCOMPARE(machine.setting(L"LOG", L"CONTENT"), std::wstring(L"APP Close! OnClose\xFF01"));
        QVERIFY(capture.contains("CTrayWnd: OnClose"));
    }

    void twoStartsAtTheSameMomentLeaveOne()
    {
        for (int round = 0; round < 3; ++round) {
            Machine machine("KTA");
            TraceCapture capture;
            auto a = machine.start();
            auto b = machine.start();
            QTRY_VERIFY_WITH_TIMEOUT(a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning, kStartMs);
            QProcess& ended = a->state() == QProcess::NotRunning ? *a : *b;
            QProcess& running = a->state() == QProcess::NotRunning ? *b : *a;
            QCOMPARE(ended.exitCode(), 0);
            QCOMPARE(running.state(), QProcess::Running);
            // One tray window was made; it got its own wake-up code and the other start's: the home
            // screen opened and closed again.
            QTRY_COMPARE_WITH_TIMEOUT(capture.count("CGX58_UtilityDlg::DestroyWindow()"), 1, kStepMs);
            QCOMPARE(capture.count("InitInstance: vTimer_WatchdogTimerSwitch: bRet = 1, watchdog_isenabled = 0"), 1);
            const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) + "/tarvik/";
            QVERIFY(capture.contains("\nApp another instance holds <" + runtime + "Tarvik.lock>: handing the wake-up code to <" +
                                     runtime + "TARVIK_TRAY_WND>"));
            QVERIFY(stop(running));
        }
    }

    void suspendAndResumeOnTheBoard()
    {
        Machine machine("KTA");
        TraceCapture capture;
        auto tarvik = machine.start();
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()"), kStartMs);
        const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr));

        // The board's login manager waits for the program's delay lock, which goes once the
        // timer is armed.
        QCOMPARE(machine.board({"suspend"}), QString("sleep signal sent\nsuspended\n"));
        QVERIFY(capture.contains("App: System will enter S3"));
        QVERIFY(capture.contains("vWU_WakeOnRTCTimerStatus: bRet = 1, hour=7, minute=0 second=0"));
        const tarvik::board::SessionState asleep = machine.session();
        QCOMPARE(asleep.wakeTimerArms, 1u);
        const std::int64_t due = asleep.wakeTimerDue / 10'000'000;
        QVERIFY(due >= before && due <= before + 86400 + 2);
        std::tm local{};
        const std::time_t dueTime = static_cast<std::time_t>(due);
        localtime_r(&dueTime, &local);
        QCOMPARE(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec, 7 * 3600);
        QVERIFY(!machine.board({"show"}).contains("idle block by Tarvik"));

        QCOMPARE(machine.board({"resume"}), QString("resumed, wake signal sent\n"));
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("App: System resume from  S3"), kStepMs);
        const QString pid = QString::number(tarvik->processId());
        QTRY_VERIFY_WITH_TIMEOUT(machine.board({"show"}).contains("    idle block by Tarvik (pid " + pid + ")"), kStepMs);
        QVERIFY(machine.board({"show"}).contains("    sleep delay by Tarvik (pid " + pid + ")"));

        // A timer that cannot be armed is said in the message box, and the suspend goes on.
        machine.board({"fault", "wake-timer-arm"});
        QCOMPARE(machine.board({"suspend"}), QString("sleep signal sent\nsuspended\n"));
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("GU_MyMessageboxDlg: OnInitDialog()"), kStepMs);
        // Ending the session while the box is open still ends the program in order.
        QVERIFY(stop(*tarvik));
        QCOMPARE(machine.setting(L"LOG", L"CONTENT"), std::wstring(L"APP Close! OnEndSession\xFF01"));
    }
};

TARVIK_QTEST_MAIN(tst_TarvikProgram)
#include "tst_TarvikProgram.moc"
