// The GPS settings page on the virtual board: its controls and lists, the RF switch with its
// rollback, Home writing the port and baud rate and asking the location page to restart, and the
// map button.

#include "LocationTestSupport.h"
#include "TraceCapture.h"

#include "CBitComboBox.h"
#include "GU_LocSensorGpsSetting.h"
#include "GpsPosition.h"
#include "Miravel.h"

#include <QLabel>

using namespace loctest;
using tarvik::qtest::TraceCapture;

namespace {

// The location page as far as this page sees it: the window that gets WM_LOCATION_REFRESH.
class RecordingParent : public QWidget {
public:
    int refreshes = 0;

protected:
    bool event(QEvent* event) override
    {
        if (CWndMessageEvent* message = AsWndMessage(event); message && message->message == WM_LOCATION_REFRESH) {
            ++refreshes;
            return true;
        }
        return QWidget::event(event);
    }
};

bool prepare(bool moduleOn)
{
    auto board = createBoard("KTA");
    if (!board)
        return false;
    CMiravel().vSR_GPSModuleSwitch(moduleOn ? 1 : 0);
    for (const wchar_t* key : {L"COM_PORT", L"BAUD_RATE", L"COM_PORT_INDEX", L"BAUD_RATE_INDEX", L"RF_MODULE"})
        setSetting(key, nullptr);
    setSetting(L"HARD_TYPE", L"GX58", L"PROJECT");
    return true;
}

int moduleStatus()
{
    int status = -1;
    return CMiravel().vSR_GPSModuleStatus(&status) ? status : -1;
}

bool landscape(const CPageDlg& page) { return page.ScreenSize().width() > page.ScreenSize().height(); }

} // namespace

class tst_GU_LocSensorGpsSetting : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        QVERIFY(prepare(true));
        RecordingParent parent;
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorGpsSetting page(&parent);
        runPage(page, responder, [&] {
            QCOMPARE(page.windowTitle(), QString("LocationSetting"));
            const struct {
                int id;
                const char* text;
                QRect rect;
            } labels[] = {
                {1072, "Serial Port Setting :", {360, 235, 250, 40}}, {1073, "Baud Rate Setting :", {360, 340, 250, 40}},
                {1075, "Satellites :", {760, 340, 250, 40}},          {1076, "Location :", {760, 445, 250, 40}},
            };
            for (const auto& l : labels) {
                QLabel* label = page.Text(l.id);
                QVERIFY2(label && label->isVisible(), qPrintable(QString::number(l.id)));
                QCOMPARE(label->text(), QString(l.text));
                QCOMPARE(label->geometry(), l.rect);
                QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
            }
            for (int id : {GU_LocSensorGpsSetting::kAntennaLabelId, GU_LocSensorGpsSetting::kAntennaSetId}) {
                QVERIFY(!page.GetDlgItem(id)->isVisible());
                QVERIFY(!page.GetDlgItem(id)->isEnabled());
            }
            CMyBitmapButton* satellites = page.Button(GU_LocSensorGpsSetting::kSatellitesSetId);
            QVERIFY(satellites->isVisible());
            QVERIFY(!satellites->isEnabled());
            QCOMPARE(satellites->state(), 1);
            QCOMPARE(satellites->pos(), QPoint(920, 305));
            QCOMPARE(page.Button(GU_LocSensorGpsSetting::kLocationSetId)->pos(), QPoint(920, 410));
            QCOMPARE(page.Button(GU_LocSensorGpsSetting::kRfSwitchId)->pos(), QPoint(350, 100));

            const struct {
                int id;
                int y;
                int dropRoom;
                QStringList rows;
            } lists[] = {
                {GU_LocSensorGpsSetting::kSerialPortListId, 210, 350,
                 {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "COM10"}},
                {GU_LocSensorGpsSetting::kBaudRateListId, 315, 200, {"4800", "9600", "14400", "19200", "115200"}},
            };
            for (const auto& l : lists) {
                CBitComboBox* list = page.Combo(l.id);
                QVERIFY(list);
                QStringList rows;
                for (int i = 0; i < list->count(); ++i)
                    rows << list->itemText(i);
                QCOMPARE(rows, l.rows);
                QCOMPARE(list->pos(), QPoint(630, l.y));
                QCOMPARE(list->width(), 89);
                // Landscape: room for the whole open list; portrait: the layout's own height.
                const int dropRoom = landscape(page) ? l.dropRoom : 0;
                QCOMPARE(list->maxVisibleItems(), std::max(1, dropRoom / list->skin().itemHeight));
                if (landscape(page))
                    QVERIFY(list->maxVisibleItems() >= list->count());
            }
        });
        QVERIFY(capture.contains("GU_LocSensorGpsSetting: OnInitDialog()"));
        QVERIFY(capture.contains("PROJECT HARD_TYPE = <GX58>"));
        QVERIFY(capture.contains("GetAllGpsSettingStatus: vSR_GPSModuleStatus: bRet = 1, bRFModuleStatus = 1"));
    }

    // The lists open on the stored rows; Home writes what is chosen (or the fallbacks for a list
    // without a selection), asks the location page to restart, and closes.
    void homeWritesTheChosenRows_data()
    {
        QTest::addColumn<QString>("portIndex"); // stored; empty: none
        QTest::addColumn<QString>("baudIndex");
        QTest::addColumn<int>("openPort");      // selected at opening
        QTest::addColumn<int>("openBaud");
        QTest::addColumn<int>("choosePort");    // chosen by the user; -2: nothing chosen
        QTest::addColumn<int>("chooseBaud");
        QTest::addColumn<QStringList>("written"); // COM_PORT, COM_PORT_INDEX, BAUD_RATE, BAUD_RATE_INDEX
        QTest::addColumn<QStringList>("traces");
        QTest::newRow("COM10, 115200") << "2" << "1" << 2 << 1 << 9 << 4 << QStringList{"10", "9", "115200", "4"}
                                       << QStringList{"m_serialport_combox<9>:<com10>", "m_baudrate_combo<4>:<115200>"};
        QTest::newRow("stored rows kept") << "4" << "0" << 4 << 0 << -2 << -2 << QStringList{"5", "4", "4800", "0"}
                                          << QStringList{"m_serialport_combox<4>:<com5>", "m_baudrate_combo<0>:<4800>"};
        QTest::newRow("defaults") << "" << "" << 2 << 1 << -2 << -2 << QStringList{"3", "2", "9600", "1"}
                                  << QStringList{"m_serialport_combox<2>:<com3>", "m_baudrate_combo<1>:<9600>"};
        QTest::newRow("index out of range") << "12" << "-1" << -1 << -1 << -2 << -2 << QStringList{"3", "2", "9600", "1"}
                                            << QStringList{"m_serialport_combox<-1>:<com0>", "m_baudrate_combo<-1>:<>"};
    }
    void homeWritesTheChosenRows()
    {
        QFETCH(QString, portIndex);
        QFETCH(QString, baudIndex);
        QFETCH(int, openPort);
        QFETCH(int, openBaud);
        QFETCH(int, choosePort);
        QFETCH(int, chooseBaud);
        QFETCH(QStringList, written);
        QFETCH(QStringList, traces);
        QVERIFY(prepare(true));
        if (!portIndex.isEmpty())
            setSetting(L"COM_PORT_INDEX", portIndex.toStdWString().c_str());
        if (!baudIndex.isEmpty())
            setSetting(L"BAUD_RATE_INDEX", baudIndex.toStdWString().c_str());
        RecordingParent parent;
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorGpsSetting page(&parent);
        int shownPort = -3;
        int shownBaud = -3;
        bool closedByHome = false;
        runPage(page, responder, [&] {
            CBitComboBox* ports = page.Combo(GU_LocSensorGpsSetting::kSerialPortListId);
            CBitComboBox* rates = page.Combo(GU_LocSensorGpsSetting::kBaudRateListId);
            shownPort = ports->GetCurSel();
            shownBaud = rates->GetCurSel();
            if (choosePort != -2)
                ports->SetCurSel(choosePort);
            if (chooseBaud != -2)
                rates->SetCurSel(chooseBaud);
            QCOMPARE(parent.refreshes, 0);
            click(page, GU_LocSensorGpsSetting::kHomeId);
            closedByHome = !page.isVisible();
        });
        QCOMPARE(shownPort, openPort);
        QCOMPARE(shownBaud, openBaud);
        QVERIFY(closedByHome);
        QCOMPARE((QStringList{setting(L"COM_PORT"), setting(L"COM_PORT_INDEX"), setting(L"BAUD_RATE"),
                              setting(L"BAUD_RATE_INDEX")}),
                 written);
        QCOMPARE(parent.refreshes, 1);
        const int home = capture.indexOf("OnClicked_GpssettingHome: setWlan.");
        QVERIFY(home >= 0);
        QVERIFY(capture.indexOf(traces[0], home) > home);
        QVERIFY(capture.indexOf(traces[1], home) > home);
    }

    // Leaving other than by Home (the location page's close-down) writes nothing and asks for no
    // restart.
    void cancelWritesNothing()
    {
        QVERIFY(prepare(true));
        RecordingParent parent;
        ModalResponder responder;
        GU_LocSensorGpsSetting page(&parent);
        runPage(page, responder, [&] {
            page.Combo(GU_LocSensorGpsSetting::kSerialPortListId)->SetCurSel(9);
            QCOMPARE(SendMessage(&page, WM_CLOSE_CHILDREN), LRESULT(0));
            QVERIFY(page.isVisible()); // the message itself does nothing here
            SendCommand(&page, IDCANCEL);
        });
        QCOMPARE(setting(L"COM_PORT"), QString("<none>"));
        QCOMPARE(setting(L"COM_PORT_INDEX"), QString("<none>"));
        QCOMPARE(parent.refreshes, 0);
    }

    // The switch shows the module's state at opening and switches it, writing RF_MODULE.
    void rfSwitch_data()
    {
        QTest::addColumn<bool>("moduleOn");
        QTest::addColumn<QString>("trace");
        QTest::newRow("on to off") << true << "OnClicked_GpssettingRfSwitch: RF to OFF";
        QTest::newRow("off to on") << false << "OnClicked_GpssettingRfSwitch: RF to ON";
    }
    void rfSwitch()
    {
        QFETCH(bool, moduleOn);
        QFETCH(QString, trace);
        QVERIFY(prepare(moduleOn));
        RecordingParent parent;
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorGpsSetting page(&parent);
        int before = -1;
        int after = -1;
        runPage(page, responder, [&] {
            before = page.Button(GU_LocSensorGpsSetting::kRfSwitchId)->state();
            click(page, GU_LocSensorGpsSetting::kRfSwitchId);
            after = page.Button(GU_LocSensorGpsSetting::kRfSwitchId)->state();
        });
        QCOMPARE(before, moduleOn ? 1 : 0);
        QCOMPARE(after, moduleOn ? 0 : 1);
        QCOMPARE(GU_LocSensorGpsSetting::RfSwitchState(), after);
        QCOMPARE(moduleStatus(), after);
        QCOMPARE(setting(L"RF_MODULE"), QString::number(after));
        QVERIFY(capture.contains(trace));
        QVERIFY(capture.contains(
            QString("OnClicked_GpssettingRfSwitch: vSR_GPSModuleSwitch: bRet = 1, m_bGpsRF_Switch = %1").arg(after)));
        QVERIFY(responder.boxes().isEmpty());
    }

    // With the port driver refusing, the module cannot be read (the switch keeps the state of the
    // last opening) nor switched: the message, and the state rolled back and written.
    void aFailedSwitchRollsBack()
    {
        QVERIFY(prepare(true));
        {
            RecordingParent parent;
            ModalResponder responder;
            GU_LocSensorGpsSetting page(&parent);
            runPage(page, responder, [] {});
        }
        QCOMPARE(GU_LocSensorGpsSetting::RfSwitchState(), 1);
        auto board = tarvik::board::Board::open(boardDir().toStdString());
        QVERIFY(board);
        QVERIFY((*board)->setFault("driver-refuse", "always"));
        RecordingParent parent;
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorGpsSetting page(&parent);
        int before = -1;
        int after = -1;
        runPage(page, responder, [&] {
            before = page.Button(GU_LocSensorGpsSetting::kRfSwitchId)->state();
            click(page, GU_LocSensorGpsSetting::kRfSwitchId);
            after = page.Button(GU_LocSensorGpsSetting::kRfSwitchId)->state();
        });
        (*board)->clearAllFaults();
        QCOMPARE(before, 1);
        QCOMPARE(after, 1);
        QCOMPARE(responder.boxes(), QStringList{"Set GPS module fail!"});
        QCOMPARE(setting(L"RF_MODULE"), QString("1"));
        QVERIFY(capture.contains("GetAllGpsSettingStatus: vSR_GPSModuleStatus: bRet = 0, bRFModuleStatus = 0"));
        QVERIFY(capture.contains("OnClicked_GpssettingRfSwitch: RF to OFF"));
        QVERIFY(capture.contains("OnClicked_GpssettingRfSwitch: vSR_GPSModuleSwitch: bRet = 0, m_bGpsRF_Switch = 0"));
    }

    // The map button with the position the location page handed over.
    void mapButton_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("opened");
        QTest::newRow("no position") << 255.0 << 255.0 << "Can't get GPS postion now!" << "";
        QTest::newRow("north-east") << 25.052083 << 121.529722 << ""
                                    << "https://www.openstreetmap.org/search?query=25.052083,121.529722";
        QTest::newRow("south-west") << -33.68 << -70.6 << ""
                                    << "https://www.openstreetmap.org/search?query=-33.680000,-70.600000";
    }
    void mapButton()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(QString, box);
        QFETCH(QString, opened);
        QVERIFY(prepare(true));
        setSetting(L"MAP_URL_PREFIX", nullptr, L"VEHICLE_STATUS");
        RecordingBrowser browser;
        RecordingParent parent;
        ModalResponder responder;
        TraceCapture capture;
        GU_LocSensorGpsSetting page(&parent);
        page.SetPosition(latitude, longitude);
        runPage(page, responder, [&] { click(page, GU_LocSensorGpsSetting::kLocationSetId); });
        QCOMPARE(responder.boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(browser.opened, opened.isEmpty() ? QStringList() : QStringList{opened});
        if (!opened.isEmpty())
            QVERIFY(capture.contains("OnClicked_GpssettingLocationSet: url=" + opened));
    }
};

#ifdef TARVIK_PORTRAIT
TARVIK_QTEST_MAIN_SCREEN(tst_GU_LocSensorGpsSetting, 600, 1024)
#else
TARVIK_QTEST_MAIN(tst_GU_LocSensorGpsSetting)
#endif
#include "tst_GU_LocSensorGpsSetting.moc"
