// The vehicle status page on the test board with both peers on pseudo-terminals: the simulated
// J1939 interpreter (COM5) and GPS receiver (COM3), served by threads of the test process. The
// interpreter broadcasts twenty times as often as a vehicle and the library's 20 ms polls take
// 2 ms, so a pass of four values and a missing answer's time limit are short.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "AppPaths.h"
#include "Board.h"
#ifndef TARVIK_WITHOUT_TRAY
#include "CGX58_UtilityDlg.h"
#include "CTrayWnd.h"
#include "TrayFakes.h"
#endif
#include "CMyBitmapButton.h"
#include "Fonts.h"
#include "GU_MyMessageboxDlg.h"
#include "GU_VehicleDlg.h"
#include "GpsPosition.h"
#include "PageWorker.h"
#include "GpsReceiverPeer.h"
#include "J1939Interpreter.h"
#include "Navorin.h"
#include "PrivateProfile.h"
#include "ProcessLauncher.h"
#include "Sleeper.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <set>
#include <chrono>
#include <thread>
#include <unistd.h>

using namespace tarvik::qtest;

namespace {

constexpr int kTimeScale = 10;
// Closing returns within the workers' bounded stop; a vehicle worker still inside a value call then
// ends within the library's time limit for it on the closed port (150 polls for the answer, 150
// for the stop exchange, 2 ms each here). Both with room for a loaded machine.
constexpr qint64 kClosingBoundMs = 100 + 400;
// The interpreter's set-up and the first pass, on a loaded machine.
constexpr int kFirstValueMs = 10000;
constexpr int kLibraryBoundMs = 2 * 150 * 20 / kTimeScale + 4000;
constexpr wchar_t kVehicle[] = L"VEHICLE_STATUS";
constexpr wchar_t kLocation[] = L"LOCATION_SENSOR";
const QString kDegrees = QStringLiteral(" \u2103");

// The library's polls, ten times as fast (a missing answer or prompt costs 0.3 s instead of 3).
class ScaledSleeper final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned ms) override { std::this_thread::sleep_for(std::chrono::microseconds(ms * 1000 / kTimeScale)); }
};

// The workers' pauses, ten times as short, and what was asked for.
class ScaledPacer final : public CPageWorker::Pacer {
public:
    unsigned PauseMs(unsigned requestedMs) override
    {
        std::lock_guard lock(m_mutex);
        m_requested.insert(requestedMs);
        return requestedMs / kTimeScale;
    }
    bool asked(unsigned ms)
    {
        std::lock_guard lock(m_mutex);
        return m_requested.count(ms) > 0;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_requested.clear();
    }

private:
    std::mutex m_mutex;
    std::set<unsigned> m_requested;
};

// Web pages the map button would open, recorded instead.
class AddressLauncher final : public ProcessLauncher {
public:
    std::vector<Process> RunningProcesses() override { return {}; }
    bool StartDetached(const std::wstring&, const std::vector<std::wstring>&) override { return true; }
    bool OpenUrl(const std::wstring& address) override
    {
        opened << QString::fromStdWString(address);
        return true;
    }
    QStringList opened;
};

// One board peer on a thread of the test process, until destroyed.
class Peer {
public:
    explicit Peer(std::function<void(const std::atomic<bool>&)> serve) : m_thread([this, serve] { serve(m_stop); }) {}
    ~Peer()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The page with its timer handler at hand, so a test need not wait out the 3-second period.
class VehiclePage : public GU_VehicleDlg {
public:
    using GU_VehicleDlg::OnTimer;
};


// Processor time of this process so far, in milliseconds.
qint64 cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

const int kValueIds[] = {GU_VehicleDlg::kTachographId, GU_VehicleDlg::kEngineSpeedId, GU_VehicleDlg::kFuelUsedId,
                         GU_VehicleDlg::kFuelTemperatureId, GU_VehicleDlg::kCoolantTemperatureId};

void setSetting(const wchar_t* section, const wchar_t* key, const QString& value)
{
    WritePrivateProfileStringW(section, key, value.toStdWString().c_str(), SettingsFile());
}

} // namespace

class tst_GU_VehicleDlg : public QObject {
    Q_OBJECT

    std::unique_ptr<tarvik::board::Board> board;
    std::unique_ptr<Peer> interpreter;
    std::unique_ptr<Peer> receiver;
    ScaledSleeper sleeper;
    ScaledPacer pacer;
    AddressLauncher launcher;
    QStringList boxes;
    QTimer boxAnswerer;

    QString text(GU_VehicleDlg& page, int id) { return page.ItemText(id); }

    // Runs the page modally; `look` acts on it from inside its run, which is then ended with Home
    // unless look ended it. Returns when the run has ended.
    void run(GU_VehicleDlg& page, const std::function<void()>& look)
    {
        QTimer::singleShot(0, &page, [&] {
            look();
            if (page.isVisible())
                QTest::mouseClick(page.Button(GU_VehicleDlg::kHomeId), Qt::LeftButton);
        });
        page.DoModal();
    }

    void startInterpreter()
    {
        interpreter = std::make_unique<Peer>([this](const std::atomic<bool>& stop) {
            std::string error;
            tarvik::board::serveJ1939Interpreter(*board, stop, error);
        });
    }

    bool waitForPeers()
    {
        QElapsedTimer clock;
        clock.start();
        const QString dir = QtTestEnvironment::instance().boardDir();
        while (clock.elapsed() < 5000) {
            if (access(qPrintable(dir + "/COM5"), F_OK) == 0 && access(qPrintable(dir + "/COM3"), F_OK) == 0)
                return true;
            QTest::qWait(5);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        auto opened = tarvik::board::Board::open(QtTestEnvironment::instance().boardDir().toStdString());
        QVERIFY(opened);
        board = std::move(*opened);
        QVERIFY(board->setValue("J1939BroadcastDivisor", "20"));
        QVERIFY(board->setValue("GPSUpdateRate", "10"));
        startInterpreter();
        receiver = std::make_unique<Peer>([this](const std::atomic<bool>& stop) {
            tarvik::board::GpsReceiverPeer(*board).run(stop);
        });
        QVERIFY(waitForPeers());
        tarvik::overrideProcessSleeper(&sleeper);
        CPageWorker::OverridePacer(&pacer);
        overrideProcessLauncher(&launcher);
        // Message boxes are answered with OK and recorded.
        connect(&boxAnswerer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<GU_MyMessageboxDlg*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            boxes << QString::fromStdWString(box->text());
            QPointer<CMyBitmapButton> ok(box->Button(GU_MyMessageboxDlg::kOkButtonId));
            QTimer::singleShot(0, this, [ok] {
                if (ok)
                    QTest::mouseClick(ok, Qt::LeftButton);
            });
        });
        boxAnswerer.start(5);
    }

    void init()
    {
        boxes.clear();
        launcher.opened.clear();
        pacer.clear();
        board->clearAllFaults();
        for (auto [name, value] : {std::pair{"EngineSpeed", "621"}, {"VehicleSpeed", "57"}, {"TachographSpeed", "road"},
                                   {"FuelUsed", "45613.5"}, {"CoolantTemperature", "85"}, {"FuelTemperature", "45"},
                                   {"BatteryVoltage", "27.6"}, {"DriveCycle", "0"}, {"GPSFixQuality", "1"},
                                   {"GPSLatitude", "25.052083"}, {"GPSLongitude", "121.529722"}, {"GPSSpeed", "0"}})
            QVERIFY2(board->setValue(name, value), name);
        setSetting(kVehicle, L"COM_PORT", "5");
        setSetting(kVehicle, L"BAUD_RATE", "115200");
        setSetting(kVehicle, L"INTERVAL", "50");
        setSetting(kLocation, L"COM_PORT", "3");
        setSetting(kLocation, L"BAUD_RATE", "9600");
    }

    void controlsAndTemplateTexts()
    {
        // No interpreter on the port: the vehicle fields keep their template texts.
        setSetting(kVehicle, L"COM_PORT", "9");
        VehiclePage page;
        run(page, [&] {
            QCOMPARE(page.windowTitle(), QString("VehicleStatus"));
            const struct {
                int id;
                QRect place;
                const char* text;
                int pixels;
                int weight;
            } texts[] = {
                {GU_VehicleDlg::kVoltageId, {478, 245, 100, 40}, "--- V", 30, 400},
                {GU_VehicleDlg::kTachographId, {673, 245, 100, 40}, "---", 30, 400},
                {GU_VehicleDlg::kTachographUnitId, {748, 265, 30, 20}, "KM/H", 12, 700},
                {GU_VehicleDlg::kEngineSpeedId, {870, 245, 100, 40}, "----", 30, 400},
                {GU_VehicleDlg::kEngineSpeedUnitId, {945, 265, 30, 20}, "RPM", 12, 700},
                {GU_VehicleDlg::kFuelUsedId, {478, 430, 100, 40}, "--- L", 30, 400},
                {GU_VehicleDlg::kFuelTemperatureId, {673, 430, 100, 40}, "-- \u2103", 30, 400},
                {GU_VehicleDlg::kCoolantTemperatureId, {870, 430, 100, 40}, "-- \u2103", 30, 400},
            };
            QTRY_COMPARE(boxes, QStringList{"Open COM port or initialize vehicle status fail!"});
            for (const auto& t : texts) {
                QLabel* label = page.Text(t.id);
                QVERIFY2(label, qPrintable(QString::number(t.id)));
                QCOMPARE(label->geometry(), t.place);
                QCOMPARE(label->text(), QString(t.text));
                QCOMPARE(label->font(), MakeArialFont(t.pixels, t.weight));
                QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
            }
            QCOMPARE(page.Button(GU_VehicleDlg::kHomeId)->geometry().topLeft(), QPoint(40, 445));
            QCOMPARE(page.Button(GU_VehicleDlg::kMapId)->geometry().topLeft(), QPoint(249, 312));
        });
    }

    void valuesReachTheirFields()
    {
        VehiclePage page;
        run(page, [&] {
            QTRY_COMPARE_WITH_TIMEOUT(text(page, GU_VehicleDlg::kEngineSpeedId), QString("621"), kFirstValueMs);
            QTRY_COMPARE(text(page, GU_VehicleDlg::kTachographId), QString("57"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kFuelUsedId), QString("45613 L"));
            // Fuel in the middle field of the lower row, coolant in the right one.
            QTRY_COMPARE(text(page, GU_VehicleDlg::kFuelTemperatureId), "45" + kDegrees);
            QTRY_COMPARE(text(page, GU_VehicleDlg::kCoolantTemperatureId), "85" + kDegrees);
            QVERIFY(board->setValue("EngineSpeed", "1500"));
            QVERIFY(board->setValue("TachographSpeed", "12.5"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kEngineSpeedId), QString("1500"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kTachographId), QString("12"));
        });
        QVERIFY(boxes.isEmpty());
    }

    // A status line for every value shows the failure texts for as long as it lasts; the next pass
    // after it shows the values again.
    void aStatusLineIsAFailedPass_data()
    {
        QTest::addColumn<QString>("status");
        QTest::newRow("NO DATA") << "NO DATA";
        QTest::newRow("BUS BUSY") << "BUS BUSY";
    }
    void aStatusLineIsAFailedPass()
    {
        QFETCH(QString, status);
        VehiclePage page;
        run(page, [&] {
            QTRY_COMPARE_WITH_TIMEOUT(text(page, GU_VehicleDlg::kEngineSpeedId), QString("621"), kFirstValueMs);
            QVERIFY(board->setFault("j1939-status", status.toStdString()));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kEngineSpeedId), QString("-"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kTachographId), QString("-"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kFuelUsedId), QString("- L"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kFuelTemperatureId), "-" + kDegrees);
            QTRY_COMPARE(text(page, GU_VehicleDlg::kCoolantTemperatureId), "-" + kDegrees);
            QVERIFY(board->clearFault("j1939-status"));
            QTRY_COMPARE_WITH_TIMEOUT(text(page, GU_VehicleDlg::kEngineSpeedId), QString("621"), kFirstValueMs);
            QTRY_COMPARE(text(page, GU_VehicleDlg::kCoolantTemperatureId), "85" + kDegrees);
        });
    }

    // The vehicle has no fuel temperature sensor: the byte comes as not available, the temperature
    // call fails and both temperature fields show their failure text while the others update.
    void aNotAvailableValueShowsItsFailureText()
    {
        VehiclePage page;
        run(page, [&] {
            QTRY_COMPARE(text(page, GU_VehicleDlg::kFuelTemperatureId), "45" + kDegrees);
            QVERIFY(board->setValue("FuelTemperature", "none"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kFuelTemperatureId), "-" + kDegrees);
            QCOMPARE(text(page, GU_VehicleDlg::kCoolantTemperatureId), "-" + kDegrees);
            QVERIFY(board->setValue("EngineSpeed", "800"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kEngineSpeedId), QString("800"));
            QCOMPARE(text(page, GU_VehicleDlg::kFuelTemperatureId), "-" + kDegrees);
        });
    }

    // The interpreter not there (no such port) or silent: one message box, the vehicle fields keep
    // their template texts, the voltage and the position still update.
    void interpreterAbsentOrSilent_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("fault");
        QTest::newRow("absent") << "9" << "";
        QTest::newRow("silent") << "5" << "j1939-silent";
    }
    void interpreterAbsentOrSilent()
    {
        QFETCH(QString, port);
        QFETCH(QString, fault);
        setSetting(kVehicle, L"COM_PORT", port);
        if (!fault.isEmpty())
            QVERIFY(board->setFault(fault.toStdString(), ""));
        VehiclePage page;
        run(page, [&] {
            QTRY_COMPARE(boxes, QStringList{"Open COM port or initialize vehicle status fail!"});
            page.OnTimer(GU_VehicleDlg::kVoltageTimerId);
            QCOMPARE(text(page, GU_VehicleDlg::kVoltageId), QString("27.60 V"));
            QTRY_VERIFY_WITH_TIMEOUT(GU_VehicleDlg::Latitude() != kNoPosition, 8000);
            QTest::qWait(100);
            const QStringList templates{"---", "----", "--- L", "-- \u2103", "-- \u2103"};
            for (int i = 0; i < 5; ++i)
                QCOMPARE(text(page, kValueIds[i]), templates[i]);
            QCOMPARE(boxes.size(), 1);
        });
    }

    void intervalZeroPollsWithoutPauseAndStillStops()
    {
        setSetting(kVehicle, L"INTERVAL", "0");
        VehiclePage page;
        QElapsedTimer closing;
        run(page, [&] {
            QTRY_COMPARE_WITH_TIMEOUT(text(page, GU_VehicleDlg::kEngineSpeedId), QString("621"), kFirstValueMs);
            QVERIFY(board->setValue("EngineSpeed", "900"));
            QTRY_COMPARE(text(page, GU_VehicleDlg::kEngineSpeedId), QString("900"));
            QVERIFY(pacer.asked(0));
            QVERIFY(!pacer.asked(50));
            QVERIFY(pacer.asked(GU_VehicleDlg::kPositionPeriodMs));
            closing.start();
        });
        QVERIFY2(closing.elapsed() < kClosingBoundMs, qPrintable(QString::number(closing.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(CPageWorker::LiveThreads(), 0, kLibraryBoundMs);
    }

    // Timer 102: the power library's vehicle voltage in volts, 0.00 V when it cannot be read; other
    // timer numbers change nothing.
    void batteryVoltage_data()
    {
        QTest::addColumn<QString>("volts");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("shown");
        QTest::newRow("27.6 V") << "27.6" << false << "27.60 V";
        QTest::newRow("12.35 V") << "12.35" << false << "12.35 V";
        QTest::newRow("read fails") << "27.6" << true << "0.00 V";
    }
    void batteryVoltage()
    {
        QFETCH(QString, volts);
        QFETCH(bool, fails);
        QFETCH(QString, shown);
        setSetting(kVehicle, L"COM_PORT", "9");
        QVERIFY(board->setValue("BatteryVoltage", volts.toStdString()));
        if (fails)
            QVERIFY(board->setFault("kestrom-fail", "vVehicleBatteryVoltage"));
        VehiclePage page;
        run(page, [&] {
            page.OnTimer(GU_VehicleDlg::kVoltageTimerId + 1);
            QCOMPARE(text(page, GU_VehicleDlg::kVoltageId), QString("--- V"));
            page.OnTimer(GU_VehicleDlg::kVoltageTimerId);
            QCOMPARE(text(page, GU_VehicleDlg::kVoltageId), shown);
        });
    }

    // The map button opens the prefix and "latitude,longitude" with their signs (south and west
    // negative); without a fix it says so and opens nothing.
    void mapButton_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::addColumn<bool>("fix");
        QTest::addColumn<QString>("address");
        const QString prefix = "https://www.openstreetmap.org/search?query=";
        QTest::newRow("north-east") << "25.052083" << "121.529722" << true << prefix + "25.052083,121.529722";
        QTest::newRow("south-west") << "33.68S" << "70.6 W" << true << prefix + "-33.680000,-70.600000";
        QTest::newRow("no fix") << "25.052083" << "121.529722" << false << "";
    }
    void mapButton()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        QFETCH(bool, fix);
        QFETCH(QString, address);
        setSetting(kVehicle, L"COM_PORT", "9");
        setSetting(kVehicle, L"MAP_URL_PREFIX", "https://www.openstreetmap.org/search?query=");
        QVERIFY(board->setValue("GPSLatitude", latitude.toStdString()));
        QVERIFY(board->setValue("GPSLongitude", longitude.toStdString()));
        if (!fix)
            QVERIFY(board->setFault("gps-no-fix", ""));
        TraceCapture traces;
        VehiclePage page;
        run(page, [&] {
            QTRY_COMPARE(boxes.size(), 1); // the interpreter's port is not there
            boxes.clear();
            // The position worker's next read after the receiver's change.
            const double south = latitude.endsWith('S') ? -1 : 1;
            if (fix)
                QTRY_VERIFY_WITH_TIMEOUT(GU_VehicleDlg::Latitude() * south > 0 && GU_VehicleDlg::Latitude() != kNoPosition, 8000);
            else
                QTRY_COMPARE_WITH_TIMEOUT(GU_VehicleDlg::Latitude(), kNoPosition, 8000);
            QTest::mouseClick(page.Button(GU_VehicleDlg::kMapId), Qt::LeftButton);
            if (fix) {
                QCOMPARE(launcher.opened, QStringList{address});
                QVERIFY(traces.contains("OnClicked_VehicleLocation: url=" + address));
            } else {
                QTRY_COMPARE(boxes, QStringList{"Can't get GPS postion now!"});
                QVERIFY(launcher.opened.isEmpty());
            }
        });
        QVERIFY(traces.contains("GU_VehicleDlg:OnClicked_VehicleLocation"));
        QVERIFY(traces.contains("LOCATION_SENSOR: COM_PORT=3  BAUD_RATE = 9600"));
    }

    // Closing while an exchange waits for a prompt that never comes: the port is closed first, the
    // call runs into its time limit and both workers end; no thread is left but the GPS library's.
    void closingMidExchangeIsBoundedAndLeavesNoThread()
    {
        {
            VehiclePage warmUp; // the GPS library's reader thread, which stays, is started here
            run(warmUp, [&] { QTRY_COMPARE_WITH_TIMEOUT(text(warmUp, GU_VehicleDlg::kEngineSpeedId), QString("621"), kFirstValueMs); });
        }
        QTRY_COMPARE_WITH_TIMEOUT(CPageWorker::LiveThreads(), 0, kLibraryBoundMs);
        VehiclePage page;
        QElapsedTimer closing;
        run(page, [&] {
            QTRY_COMPARE_WITH_TIMEOUT(text(page, GU_VehicleDlg::kEngineSpeedId), QString("621"), kFirstValueMs);
            QVERIFY(board->setFault("j1939-no-prompt", ""));
            QTest::qWait(50); // into the stop exchange that waits for the prompt
            closing.start();
        });
        const qint64 elapsed = closing.elapsed();
        QVERIFY(!page.WorkersRunning());
        QVERIFY2(elapsed < kClosingBoundMs, qPrintable(QString::number(elapsed)));
        QTRY_COMPARE_WITH_TIMEOUT(CPageWorker::LiveThreads(), 0, kLibraryBoundMs);
    }

    // Bad input and faults: the page keeps running, says what it can, no core spins, closing stays
    // prompt.
    void badInputKeepsThePageRunning_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("gpsPort");
        QTest::addColumn<QStringList>("boxesShown");
        QTest::addColumn<QString>("engineSpeed");
        const QStringList noInterpreter{"Open COM port or initialize vehicle status fail!"};
        QTest::newRow("garbage") << "j1939-garbage" << "" << "3" << noInterpreter << "----";
        QTest::newRow("a status line for every value") << "j1939-status" << "CAN ERROR" << "3" << QStringList{} << "-";
        QTest::newRow("GPS on the vehicle port") << "" << "" << "5" << QStringList{"GPS init COM port fail!"} << "621";
    }
    void badInputKeepsThePageRunning()
    {
        QFETCH(QString, fault);
        QFETCH(QString, argument);
        QFETCH(QString, gpsPort);
        QFETCH(QStringList, boxesShown);
        QFETCH(QString, engineSpeed);
        if (!fault.isEmpty())
            QVERIFY(board->setFault(fault.toStdString(), argument.toStdString()));
        setSetting(kLocation, L"COM_PORT", gpsPort);
        VehiclePage page;
        QElapsedTimer closing;
        run(page, [&] {
            if (gpsPort == "5") {
                // Whichever worker opens the shared port first keeps it; the other one fails with
                // its own message, and the vehicle fields follow the owner.
                QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, 8000);
                if (boxes != boxesShown) {
                    boxesShown = {"Open COM port or initialize vehicle status fail!"};
                    engineSpeed = "----";
                }
                QCOMPARE(boxes, boxesShown);
            }
            QTRY_COMPARE_WITH_TIMEOUT(text(page, GU_VehicleDlg::kEngineSpeedId), engineSpeed, 8000);
            QTRY_COMPARE(boxes, boxesShown);
            const qint64 cpuBefore = cpuMs();
            QTest::qWait(500);
            QVERIFY2(cpuMs() - cpuBefore < 300, qPrintable(QString::number(cpuMs() - cpuBefore)));
            QCOMPARE(boxes, boxesShown);
            closing.start();
        });
        QVERIFY(!page.WorkersRunning());
        QVERIFY2(closing.elapsed() < kClosingBoundMs, qPrintable(QString::number(closing.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(CPageWorker::LiveThreads(), 0, kLibraryBoundMs);
        // The page leaves the GPS library started; on the interpreter's port it would keep that
        // port from the cases that follow.
        if (gpsPort == "5")
            vS_GPSStop();
    }

    // The interpreter's port goes away under the page (the adapter pulled): the values fail, no
    // core spins, and they come back with the interpreter.
    void aVanishingPortFailsTheValuesWithoutSpinning()
    {
        VehiclePage page;
        run(page, [&] {
            QTRY_COMPARE_WITH_TIMEOUT(text(page, GU_VehicleDlg::kEngineSpeedId), QString("621"), kFirstValueMs);
            interpreter.reset();
            QTRY_COMPARE(text(page, GU_VehicleDlg::kEngineSpeedId), QString("-"));
            const qint64 cpuBefore = cpuMs();
            QTest::qWait(500);
            QVERIFY2(cpuMs() - cpuBefore < 300, qPrintable(QString::number(cpuMs() - cpuBefore)));
            QVERIFY(page.isVisible());
        });
        QVERIFY(!page.WorkersRunning());
        startInterpreter();
        QVERIFY(waitForPeers());
    }

#ifndef TARVIK_WITHOUT_TRAY
    // The tray's vehicle function: inner command 3 opens the home screen and the vehicle page on it;
    // pressed again while the page is open it closes both; the wake-up key closes both too.
    void innerCommand3OpensAndClosesTheVehiclePage()
    {
        RecordingInjector injector;
        FakeLoginSession session;
        FakeWakeTimer timer;
        CTrayWnd tray(CTrayWnd::Services{&injector, &session, &timer, &launcher});
        tray.SetHardType(HARD_TYPE_GX58);
        QVERIFY(tray.CreateEx());
        const auto openPage = [&](const std::function<void(GU_VehicleDlg*)>& inside) {
            QTimer::singleShot(0, &tray, [&] {
                QTRY_VERIFY(qobject_cast<GU_VehicleDlg*>(QApplication::activeModalWidget()));
                inside(qobject_cast<GU_VehicleDlg*>(QApplication::activeModalWidget()));
            });
            tray.ProcessInnerCmdEvent(3);
        };

        bool seen = false;
        QPointer<GU_VehicleDlg> first;
        openPage([&](GU_VehicleDlg* page) {
            first = page;
            QVERIFY(tray.MainDlg());
            QVERIFY(tray.MainDlg()->Button(CGX58_UtilityDlg::kVehicleId)->isEnabled());
            QCOMPARE(tray.VehiclePage(), page);
            QTRY_COMPARE(page->ItemText(GU_VehicleDlg::kEngineSpeedId), QString("621"));
            seen = true;
            tray.ProcessInnerCmdEvent(3);
        });
        QVERIFY(seen);
        QVERIFY(!tray.MainDlg());
        QVERIFY(!tray.VehiclePage());
        QVERIFY(!first || !first->WorkersRunning());

        seen = false;
        openPage([&](GU_VehicleDlg* page) {
            QCOMPARE(tray.VehiclePage(), page);
            seen = true;
            SendMessage(&tray, WM_TRAY_KEY, 0xA1, 0);
        });
        QVERIFY(seen);
        QVERIFY(!tray.MainDlg());
        QVERIFY(!tray.VehiclePage());
        QVERIFY(boxes.isEmpty());
    }
#endif

    void cleanupTestCase()
    {
        // A worker let go by a closing page may still be inside a library call that sleeps on this
        // test's sleeper and pauses on its pacer: both must outlive it.
        QTRY_VERIFY_WITH_TIMEOUT(CPageWorker::LiveThreads() == 0, 15000);
        boxAnswerer.stop();
        overrideProcessLauncher(nullptr);
        tarvik::overrideProcessSleeper(nullptr);
        CPageWorker::OverridePacer(nullptr);
        interpreter.reset();
        receiver.reset();
    }
};

TARVIK_QTEST_MAIN(tst_GU_VehicleDlg)
#include "tst_GU_VehicleDlg.moc"
