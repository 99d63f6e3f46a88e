// The location and sensor page on the virtual board: its controls, the sensor texts of its timer,
// the GPS worker's start attempts, its polling with and without a fix, the way to the GPS settings
// page and back, and a prompt end of the worker when the page closes.

#include "LocationTestSupport.h"
#include "TraceCapture.h"

#include "CGX58_UtilityDlg.h"
#include "GU_LocSensorDlg.h"
#include "GU_LocSensorGpsSetting.h"
#include "CBitComboBox.h"
#include "GpsPosition.h"
#include "Miravel.h"
#include "Navorin.h"

#include <QElapsedTimer>
#include <QLabel>

#include <sys/resource.h>

using namespace loctest;
using tarvik::qtest::TraceCapture;

namespace {

constexpr int kFastBaud = 115200; // with 10 fixes a second the page needs no seconds for a fix

// A board of the model with the GPS module switched as given and the receiver fast.
std::unique_ptr<tarvik::board::Board> prepare(bool moduleOn, const std::string& model = "KTA")
{
    auto board = createBoard(model);
    if (!board)
        return nullptr;
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"GPSBaudRate", std::to_string(kFastBaud)}, {"GPSUpdateRate", "10"}, {"GPSSpeed", "0"}})
        if (!board->setValue(name, value))
            return nullptr;
    CMiravel().vSR_GPSModuleSwitch(moduleOn ? 1 : 0);
    for (const wchar_t* key : {L"RF_RETRY_MAX", L"COM_PORT", L"BAUD_RATE", L"COM_PORT_INDEX", L"BAUD_RATE_INDEX"})
        setSetting(key, nullptr);
    setSetting(L"BAUD_RATE", std::to_wstring(kFastBaud).c_str());
    setSetting(L"HARD_TYPE", L"GX58", L"PROJECT");
    return board;
}

QString text(GU_LocSensorDlg& page, int id) { return page.ItemText(id); }

// Lets the GPS library see the receiver search, so that it holds no fix from an earlier test (the
// library keeps its last fix across stops), then leaves it stopped.
bool forgetTheFix(tarvik::board::Board& board)
{
    if (!board.setFault("gps-no-fix", ""))
        return false;
    vS_GPSSerialPortSet(3);
    vS_GPSBaudRateSet(kFastBaud);
    vS_GPSStart();
    double longitude = 0;
    double latitude = 0;
    QElapsedTimer clock;
    clock.start();
    while (vS_GPSPositionDouble(&longitude, &latitude) && clock.elapsed() < 5000)
        QTest::qWait(20);
    vS_GPSStop();
    board.clearFault("gps-no-fix");
    return !vS_GPSPositionDouble(&longitude, &latitude);
}

// CPU time of this process so far, in milliseconds.
qint64 cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

// What the page traces for one start attempt.
QString attemptLine(int ret, int count, int max)
{
    return QString("GetAllLocSensorStatus: vS_GPSStart: bRet = %1 count=[%2] m_RfRetryMax=[%3]").arg(ret).arg(count).arg(max);
}

} // namespace

class tst_GU_LocSensorDlg : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        vS_GPSStop();
        GU_LocSensorDlg::SetLastPosition(kNoPosition, kNoPosition);
    }

    // No receiver on the port (nothing serves COM3): the start attempts, their pauses, and the
    // message only when the module is enabled and every attempt failed. These run first, while the
    // GPS library has never had a fix in this process.
    void startAttemptsWithoutAReceiver_data()
    {
        QTest::addColumn<int>("retryMax");
        QTest::addColumn<bool>("moduleOn");
        QTest::addColumn<QString>("moduleText");
        QTest::addColumn<QStringList>("boxes");
        const QStringList box{"GPS init COM port fail!"};
        QTest::newRow("0 attempts, enabled") << 0 << true << "Enable" << QStringList();
        QTest::newRow("1 attempt, enabled") << 1 << true << "Enable" << box;
        QTest::newRow("2 attempts, enabled") << 2 << true << "Enable" << box;
        QTest::newRow("2 attempts, disabled") << 2 << false << "Disable" << QStringList();
    }
    void startAttemptsWithoutAReceiver()
    {
        QFETCH(int, retryMax);
        QFETCH(bool, moduleOn);
        QFETCH(QString, moduleText);
        QFETCH(QStringList, boxes);
        QVERIFY(prepare(moduleOn));
        setSetting(L"RF_RETRY_MAX", std::to_wstring(retryMax).c_str());
        RecordingPacer pacer(5);
        TraceCapture capture;
        ModalResponder responder;
        GU_LocSensorDlg page;
        runPage(page, responder, [&] {
            // Polling has begun once the first 3-second pause is asked for.
            QTRY_VERIFY(pacer.count(GU_LocSensorDlg::kPollPeriodMs) >= 1);
            QCOMPARE(text(page, GU_LocSensorDlg::kModuleRfValueId), moduleText);
            QCOMPARE(text(page, GU_LocSensorDlg::kSerialPortValueId), QString("3")); // nothing stored: the default
        });
        QCOMPARE(responder.boxes(), boxes);
        QCOMPARE(pacer.count(GU_LocSensorDlg::kRetryPauseMs), retryMax); // also after the last attempt
        QVERIFY(capture.contains(QString("LOCATION_SENSOR: RF_RETRY_MAX=%1").arg(retryMax)));
        QVERIFY(capture.contains("LOCATION_SENSOR: COM_PORT=3  BAUD_RATE = 115200"));
        QVERIFY(capture.contains(
            QString("GetAllLocSensorStatus: vSR_GPSModuleStatus: bRet = 1, b_gpsrf_module = %1").arg(moduleOn ? 1 : 0)));
        const QStringList attempts = capture.lines().filter("GetAllLocSensorStatus: vS_GPSStart:");
        QStringList expected;
        for (int i = 0; i < retryMax; ++i)
            expected << attemptLine(0, i, retryMax);
        QCOMPARE(attempts, expected);
    }

    // The failure message waits for OK on the interface thread, whose timer keeps ticking: the
    // first sensor reading (after 3 s) comes while the box is still open.
    void theMessageLeavesThePagesTimerRunning()
    {
        QVERIFY(prepare(true));
        setSetting(L"RF_RETRY_MAX", L"1");
        RecordingPacer pacer(5);
        ModalResponder responder({}, GU_LocSensorDlg::kSensorPeriodMs + 700);
        GU_LocSensorDlg page;
        QString temperatureWhileOpen;
        int pollsWhileOpen = -1;
        responder.beforeAnswer = [&] {
            temperatureWhileOpen = text(page, GU_LocSensorDlg::kTemperatureValueId);
            pollsWhileOpen = pacer.count(GU_LocSensorDlg::kPollPeriodMs);
        };
        runPage(page, responder, [&] { QTRY_VERIFY_WITH_TIMEOUT(pacer.count(GU_LocSensorDlg::kPollPeriodMs) >= 1, 8000); });
        QCOMPARE(responder.boxes(), QStringList{"GPS init COM port fail!"});
        QVERIFY2(temperatureWhileOpen.endsWith("\u2103"), qPrintable(temperatureWhileOpen));
        QCOMPARE(pollsWhileOpen, 0); // the worker was still waiting for OK
    }

    void layoutAndTexts()
    {
        QVERIFY(prepare(true));
        setSetting(L"RF_RETRY_MAX", L"0");
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorDlg page;
        runPage(page, responder, [&] {
            QCOMPARE(page.windowTitle(), QString("LocationStatus"));
            const struct {
                int id;
                const char* text;
                QRect rect;
            } texts[] = {
                {1053, "G-Sensor :", {340, 150, 170, 40}},   {1054, "Temperature :", {340, 200, 170, 40}},
                {1055, "Module RF :", {740, 300, 170, 40}},  {1056, "Serial Port :", {740, 330, 170, 40}},
                {1057, "Baud Rate :", {740, 360, 170, 40}},  {1059, "Satellites :", {740, 420, 170, 40}},
                {1051, "Location :", {740, 450, 170, 40}},   {1060, "-", {540, 150, 370, 40}},
                {1061, "-", {540, 200, 370, 40}},           {1066, "-", {890, 420, 170, 40}},
                {1067, "-", {890, 450, 170, 40}},
            };
            for (const auto& t : texts) {
                QLabel* label = page.Text(t.id);
                QVERIFY2(label, qPrintable(QString::number(t.id)));
                QCOMPARE(label->text(), QString(t.text));
                QCOMPARE(label->geometry(), t.rect);
                QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
                QVERIFY(label->isVisible());
            }
            for (int id : {GU_LocSensorDlg::kGpsSwitchId, GU_LocSensorDlg::kAntennaLabelId, GU_LocSensorDlg::kAntennaValueId}) {
                QVERIFY(!page.GetDlgItem(id)->isVisible());
                QVERIFY(!page.GetDlgItem(id)->isEnabled());
            }
            QCOMPARE(page.Button(GU_LocSensorDlg::kHomeId)->pos(), QPoint(40, 445));
            QCOMPARE(page.Button(GU_LocSensorDlg::kGpsSettingId)->pos(), QPoint(503, 290));
            QVERIFY(page.Button(GU_LocSensorDlg::kGpsSettingId)->isEnabled());
            click(page, GU_LocSensorDlg::kHomeId);
        });
        QVERIFY(capture.contains("GU_LocSensorDlg: OnInitDialog()"));
        QVERIFY(capture.contains("GU_LocSensorDlg:OnClicked_DevinfoHome"));
    }

    // Timer 102: the accelerometer and the board temperature, or their failure texts. The
    // temperature is the EC's, so a silent temperature service changes nothing; a port driver that
    // does not start fails it (and the module status with it).
    void sensorTexts_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("gsensor");
        QTest::addColumn<QString>("temperature");
        QTest::addColumn<QString>("module");
        QTest::newRow("readings") << "" << "X=0.500000 Y=-0.250000 Z=-1.000000" << "41.00 \u2103" << "Enable";
        QTest::newRow("gsensor-missing") << "gsensor-missing" << "Get gsensor value failed." << "41.00 \u2103"
                                         << "Enable";
        QTest::newRow("quenmark-silent") << "quenmark-silent" << "X=0.500000 Y=-0.250000 Z=-1.000000"
                                         << "41.00 \u2103" << "Enable";
        QTest::newRow("driver-refuse") << "driver-refuse" << "X=0.500000 Y=-0.250000 Z=-1.000000"
                                       << "Get temperature sensor value failed." << "-";
    }
    void sensorTexts()
    {
        QFETCH(QString, fault);
        QFETCH(QString, gsensor);
        QFETCH(QString, temperature);
        QFETCH(QString, module);
        auto board = prepare(true);
        QVERIFY(board);
        setSetting(L"RF_RETRY_MAX", L"0");
        QVERIFY(board->setValue("AccelX", "0.5"));
        QVERIFY(board->setValue("AccelY", "-0.25"));
        QVERIFY(board->setValue("AccelZ", "-1"));
        QVERIFY(board->setValue("AccelDrift", "0"));
        QVERIFY(board->setValue("BoardTemperature", "41"));
        QVERIFY(board->applyProfileToMemory());
        ServedPeers peers({"quenmark"});
        QVERIFY(peers.ok());
        if (!fault.isEmpty())
            QVERIFY(board->setFault(fault.toStdString(), fault == "driver-refuse" ? "always" : ""));
        RecordingPacer pacer(20);
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorDlg page;
        runPage(page, responder, [&] {
            QTRY_COMPARE(text(page, GU_LocSensorDlg::kModuleRfValueId), module);
            // The first tick comes after 3 s, as on the panel.
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kTemperatureValueId) != "-", 4500);
            QCOMPARE(text(page, GU_LocSensorDlg::kGSensorValueId), gsensor);
            QCOMPARE(text(page, GU_LocSensorDlg::kTemperatureValueId), temperature);
        });
        QVERIFY(capture.contains(QString("OnTimer: vSR_GSensorValueGet: bRet = %1, buffer=%2")
                                     .arg(gsensor.startsWith("X=") ? 1 : 0)
                                     .arg(gsensor)));
        QVERIFY(capture.contains(QString("OnTimer: vSR_TempSensorValueGet: bRet = %1, buffer=%2")
                                     .arg(temperature.contains("failed") ? 0 : 1)
                                     .arg(temperature)));
        board->clearAllFaults();
    }

    // A fix reaches the page: satellites, the two-line position, the configuration texts as stored,
    // and the program-wide position with its sign.
    void aFixReachesThePage_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::addColumn<QString>("position"); // how the text begins
        QTest::addColumn<double>("lastLatitude");
        QTest::addColumn<double>("lastLongitude");
        QTest::newRow("north-east") << "25.052083" << "121.529722" << "N25'3'7' \nE121'31'46'" << 25.052083 << 121.529722;
        QTest::newRow("south-west") << "33.68S" << "70.6W" << "S33'40'" << -33.68 << -70.6;
    }
    void aFixReachesThePage()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        QFETCH(QString, position);
        QFETCH(double, lastLatitude);
        QFETCH(double, lastLongitude);
        auto board = prepare(true);
        QVERIFY(board);
        QVERIFY(board->setValue("GPSLatitude", latitude.toStdString()));
        QVERIFY(board->setValue("GPSLongitude", longitude.toStdString()));
        QVERIFY(board->setValue("GPSSatellites", "11"));
        // The stored text is shown as it is, the number is what the library gets.
        setSetting(L"COM_PORT", L"03");
        ServedPeers peers({"gps"});
        QVERIFY(peers.ok());
        RecordingPacer pacer(20);
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorDlg page;
        runPage(page, responder, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kLocationValueId).startsWith(position), 5000);
            QCOMPARE(text(page, GU_LocSensorDlg::kSatellitesValueId), QString("11"));
            QCOMPARE(text(page, GU_LocSensorDlg::kSerialPortValueId), QString("03"));
            QCOMPARE(text(page, GU_LocSensorDlg::kBaudRateValueId), QString("115200"));
            const QStringList lines = text(page, GU_LocSensorDlg::kLocationValueId).split('\n');
            QCOMPARE(lines.size(), 2);
            QVERIFY(lines[0].endsWith(' '));
            QTRY_VERIFY(std::abs(GU_LocSensorDlg::LastLatitude() - lastLatitude) < 1e-4);
            QVERIFY(std::abs(GU_LocSensorDlg::LastLongitude() - lastLongitude) < 1e-4);
        });
        QVERIFY(responder.boxes().isEmpty());
        // At once: no pause before polling.
        QVERIFY(capture.contains(attemptLine(1, 0, 2)));
        QCOMPARE(pacer.count(GU_LocSensorDlg::kRetryPauseMs), 0);
        QVERIFY(!capture.lines().filter("vS_GPSPositionDouble: dlongitude=").isEmpty());
        QVERIFY(!page.WorkerRunning());
    }

    // The receiver searches: "-" for both, and no position for the map.
    void noFixShowsDashes()
    {
        auto board = prepare(true);
        QVERIFY(board);
        ServedPeers peers({"gps"});
        QVERIFY(peers.ok());
        RecordingPacer pacer(20);
        ModalResponder responder;
        GU_LocSensorDlg page;
        runPage(page, responder, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kSatellitesValueId) != "-", 5000);
            GU_LocSensorDlg::SetLastPosition(1, 1);
            QVERIFY(board->setFault("gps-no-fix", ""));
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kSatellitesValueId) == "-", 5000);
            QTRY_COMPARE(text(page, GU_LocSensorDlg::kLocationValueId), QString("-"));
            QTRY_COMPARE(GU_LocSensorDlg::LastLatitude(), kNoPosition);
            QCOMPARE(GU_LocSensorDlg::LastLongitude(), kNoPosition);
        });
        board->clearAllFaults();
    }

    // A COM_PORT that names no port: every start fails, the message follows the module rule, and
    // the page keeps running.
    void aPortThatIsNoNumberFailsTheStart_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("number");
        QTest::newRow("text") << "GPS" << 0;
        QTest::newRow("too high") << "5000" << 5000;
        QTest::newRow("negative") << "-3" << -3;
    }
    void aPortThatIsNoNumberFailsTheStart()
    {
        QFETCH(QString, port);
        QFETCH(int, number);
        QVERIFY(prepare(true));
        setSetting(L"COM_PORT", port.toStdWString().c_str());
        RecordingPacer pacer(5);
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorDlg page;
        runPage(page, responder, [&] {
            QTRY_VERIFY(pacer.count(GU_LocSensorDlg::kPollPeriodMs) >= 1);
            QCOMPARE(text(page, GU_LocSensorDlg::kSerialPortValueId), port);
        });
        QCOMPARE(responder.boxes(), QStringList{"GPS init COM port fail!"});
        QVERIFY(capture.contains(QString("LOCATION_SENSOR: COM_PORT=%1  BAUD_RATE = 115200").arg(number)));
        QVERIFY(!capture.lines().filter(QString("LOCATION_SENSOR: COM_PORT <%1> is no port number").arg(port)).isEmpty());
        QCOMPARE(capture.lines().filter("vS_GPSStart: bRet = 0").size(), 2);
    }

    // A receiver that is silent, sends garbage, or runs at another baud rate: the page keeps
    // running, shows "-" and does not spin; once the receiver is right again, the next start (the
    // settings page's restart) brings the fix.
    void aBadReceiverShowsDashesUntilTheNextStart_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("baud"); // the page's BAUD_RATE
        QTest::newRow("gps-silent") << "gps-silent" << kFastBaud;
        QTest::newRow("gps-garbage") << "gps-garbage" << kFastBaud;
        QTest::newRow("wrong baud rate") << "" << 9600;
    }
    void aBadReceiverShowsDashesUntilTheNextStart()
    {
        QFETCH(QString, fault);
        QFETCH(int, baud);
        auto board = prepare(true);
        QVERIFY(board);
        ServedPeers peers({"gps"});
        QVERIFY(peers.ok());
        QVERIFY(forgetTheFix(*board));
        if (!fault.isEmpty())
            QVERIFY(board->setFault(fault.toStdString(), ""));
        setSetting(L"BAUD_RATE", std::to_wstring(baud).c_str());
        RecordingPacer pacer(20);
        ModalResponder responder;
        GU_LocSensorDlg page;
        qint64 cpu = -1;
        runPage(page, responder, [&] {
            QTRY_VERIFY(pacer.count(GU_LocSensorDlg::kPollPeriodMs) >= 1);
            const qint64 before = cpuMs();
            QTest::qWait(1000); // some fifty polls while the receiver is bad
            cpu = cpuMs() - before;
            QCOMPARE(text(page, GU_LocSensorDlg::kSatellitesValueId), QString("-"));
            QCOMPARE(text(page, GU_LocSensorDlg::kLocationValueId), QString("-"));
            QCOMPARE(GU_LocSensorDlg::LastLatitude(), kNoPosition);

            board->clearAllFaults();
            setSetting(L"BAUD_RATE", std::to_wstring(kFastBaud).c_str());
            SendMessage(&page, WM_LOCATION_REFRESH);
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kSatellitesValueId) == "8", 5000);
        });
        QVERIFY(responder.boxes().isEmpty()); // the port opened: the start succeeded
        QVERIFY2(cpu < 500, qPrintable(QString("%1 ms of CPU in 1 s").arg(cpu)));
    }

    // The receiver's port goes away while the page polls: the page keeps running, shows "-" and no
    // position for the map, and a later start on the port, once it is back, goes on with fresh
    // fixes.
    void theReceiversPortVanishingWhileThePageRuns()
    {
        auto board = prepare(true);
        QVERIFY(board);
        auto peers = std::make_unique<ServedPeers>(QStringList{"gps"});
        QVERIFY(peers->ok());
        RecordingPacer pacer(20);
        ModalResponder responder;
        GU_LocSensorDlg page;
        qint64 cpu = -1;
        runPage(page, responder, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kSatellitesValueId) == "8", 5000);
            peers.reset();
            QVERIFY(!QFileInfo::exists(boardDir() + "/COM3"));
            const qint64 before = cpuMs();
            QTest::qWait(1000);
            cpu = cpuMs() - before;
            QTRY_COMPARE(text(page, GU_LocSensorDlg::kSatellitesValueId), QString("-"));
            QTRY_COMPARE(text(page, GU_LocSensorDlg::kLocationValueId), QString("-"));
            QTRY_COMPARE(GU_LocSensorDlg::LastLatitude(), kNoPosition);
            QVERIFY(page.isVisible());
            QVERIFY(page.WorkerRunning());

            QVERIFY(board->setValue("GPSSatellites", "5"));
            peers = std::make_unique<ServedPeers>(QStringList{"gps"});
            QVERIFY(peers->ok());
            SendMessage(&page, WM_LOCATION_REFRESH);
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kSatellitesValueId) == "5", 5000);
        });
        QVERIFY2(cpu < 500, qPrintable(QString("%1 ms of CPU in 1 s").arg(cpu)));
    }

    // The settings button ends the worker and stops the library, hands the last position over; Home
    // there saves a new port and restarts the worker, which starts the library on it.
    void settingsPageStopsAndRestartsTheWorker()
    {
        auto board = prepare(true);
        QVERIFY(board);
        ServedPeers peers({"gps"});
        QVERIFY(peers.ok());
        RecordingPacer pacer(20);
        TraceCapture capture;
        bool stoppedWhileOpen = false;
        double handedLatitude = 0;
        ModalResponder responder([&](QWidget* window) {
            auto* settings = qobject_cast<GU_LocSensorGpsSetting*>(window);
            QVERIFY(settings);
            stoppedWhileOpen = !qobject_cast<GU_LocSensorDlg*>(settings->parentWidget())->WorkerRunning();
            handedLatitude = GU_LocSensorDlg::LastLatitude();
            // The receiver moves to COM4, and so does the setting.
            QVERIFY(board->clearDevices());
            QVERIFY(board->addDevice("ports", "u-blox GNSS Receiver (COM4)", ""));
            QTRY_VERIFY(QFileInfo::exists(boardDir() + "/COM4"));
            settings->Combo(GU_LocSensorGpsSetting::kSerialPortListId)->SetCurSel(3);
            settings->Combo(GU_LocSensorGpsSetting::kBaudRateListId)->SetCurSel(4);
            // What the restarted worker shows must be new.
            qobject_cast<GU_LocSensorDlg*>(settings->parentWidget())->SetItemText(GU_LocSensorDlg::kSatellitesValueId, "?");
            click(*settings, GU_LocSensorGpsSetting::kHomeId);
        });
        GU_LocSensorDlg page;
        runPage(page, responder, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kSatellitesValueId) == "8", 5000);
            QTRY_VERIFY(GU_LocSensorDlg::LastLatitude() != kNoPosition);
            capture.clear();
            click(page, GU_LocSensorDlg::kGpsSettingId);
            QVERIFY(page.WorkerRunning());
            QTRY_VERIFY_WITH_TIMEOUT(text(page, GU_LocSensorDlg::kSatellitesValueId) == "8", 5000);
        });
        QVERIFY(stoppedWhileOpen);
        QVERIFY(std::abs(handedLatitude - 25.052083) < 1e-4);
        QCOMPARE(setting(L"COM_PORT"), QString("4"));
        QCOMPARE(setting(L"COM_PORT_INDEX"), QString("3"));
        QCOMPARE(setting(L"BAUD_RATE"), QString("115200"));
        QVERIFY(capture.contains("LOCATION_SENSOR: COM_PORT=4  BAUD_RATE = 115200"));
        QVERIFY(capture.contains(attemptLine(1, 0, 2)));
        QCOMPARE(responder.seen, QStringList{"page:LocationSetting"});
    }

    // The page ends its worker within the bound when it closes, wherever the worker is: pausing
    // between attempts, waiting for OK on the failure message, or pausing between polls.
    void closingEndsTheWorkerPromptly_data()
    {
        QTest::addColumn<int>("retryMax");
        QTest::addColumn<unsigned>("pauseMs"); // the pause the worker is in; 0: the message wait
        QTest::newRow("between attempts") << 2 << GU_LocSensorDlg::kRetryPauseMs;
        QTest::newRow("on the message") << 1 << 0u;
        QTest::newRow("between polls") << 0 << GU_LocSensorDlg::kPollPeriodMs;
    }
    void closingEndsTheWorkerPromptly()
    {
        QFETCH(int, retryMax);
        QFETCH(unsigned, pauseMs);
        QVERIFY(prepare(true));
        setSetting(L"RF_RETRY_MAX", std::to_wstring(retryMax).c_str());
        RecordingPacer pacer(60'000); // only a stop ends a pause
        ModalResponder responder;
        responder.answerBoxes = false;
        qint64 closing = -1;
        bool endedAtClose = false;
        GU_LocSensorDlg page;
        const auto close = [&] {
            QElapsedTimer clock;
            clock.start();
            page.EndDialog(IDCANCEL);
            closing = clock.elapsed();
            endedAtClose = !page.WorkerRunning();
        };
        runPage(page, responder, [&] {
            if (pauseMs) {
                QTRY_VERIFY(pacer.count(pauseMs) == 1);
                close();
            } else {
                // The box runs inside this wait; the page is closed from within its run.
                QTimer poll;
                connect(&poll, &QTimer::timeout, [&] {
                    if (!responder.boxes().isEmpty() && closing < 0) {
                        close();
                        QTest::mouseClick(LastMessageBox()->Button(GU_MyMessageboxDlg::kOkButtonId), Qt::LeftButton);
                    }
                });
                poll.start(5);
                QTRY_VERIFY(closing >= 0);
            }
        });
        QVERIFY(endedAtClose);
        QVERIFY2(closing < CPageWorker::kStopBound.count(), qPrintable(QString::number(closing)));
    }

    // The close-down message with the settings page open closes the settings page first, without
    // saving or restarting the worker, and then the home screen's cancel closes this page.
    void closeDownClosesTheSettingsPageFirst()
    {
        QVERIFY(prepare(true));
        setSetting(L"RF_RETRY_MAX", L"0");
        setSetting(L"COM_PORT", L"3");
        RecordingPacer pacer(20);
        CGX58_UtilityDlg home;
        home.CreateModeless();
        QVERIFY(home.Button(CGX58_UtilityDlg::kLocationId)->isEnabled());
        TraceCapture capture;
        bool settingsClosed = false;
        ModalResponder responder([&](QWidget* window) {
            if (window->windowTitle() == "LocationStatus") {
                click(*qobject_cast<CPageDlg*>(window), GU_LocSensorDlg::kGpsSettingId);
            } else if (window->windowTitle() == "LocationSetting") {
                qobject_cast<GU_LocSensorGpsSetting*>(window)->Combo(GU_LocSensorGpsSetting::kSerialPortListId)->SetCurSel(9);
                QCOMPARE(SendMessage(&home, WM_CLOSE_CHILDREN), LRESULT(0));
                settingsClosed = !window->isVisible();
            }
        });
        QTest::mouseClick(home.Button(CGX58_UtilityDlg::kLocationId), Qt::LeftButton);
        QVERIFY(settingsClosed);
        auto* page = qobject_cast<GU_LocSensorDlg*>(home.SectionPage(CGX58_UtilityDlg::kLocationId));
        QVERIFY(page);
        QVERIFY(!page->isVisible());
        QVERIFY(!page->WorkerRunning());
        QVERIFY(home.isVisible());
        QCOMPARE(responder.seen, (QStringList{"page:LocationStatus", "page:LocationSetting"}));
        QCOMPARE(setting(L"COM_PORT"), QString("3")); // nothing saved
        QCOMPARE(capture.lines().filter("LOCATION_SENSOR: RF_RETRY_MAX").size(), 1); // no restart
        QVERIFY(!GU_LocSensorDlg::GpsSettingPage());
        home.DestroyWindow();
    }
};

TARVIK_QTEST_MAIN(tst_GU_LocSensorDlg)
#include "tst_GU_LocSensorDlg.moc"
