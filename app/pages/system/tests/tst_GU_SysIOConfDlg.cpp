// The I/O configuration page on the virtual board: which rows each model shows, the COM1 voltage and
// COM2 type read and set, the settings file written only on a successful COM2 set, and failures and
// odd controller values leaving a row unselected.

#include "SystemPageTest.h"
#include "TraceCapture.h"

#include "CMyBitmapButton.h"
#include "GU_SysIOConfDlg.h"

#include <QApplication>
#include <QRegularExpression>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;
using Page = GU_SysIOConfDlg;

namespace {

bool shown(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isVisible(); }

// The states of a row's three buttons, as "000", "010" ...
QString row(const Page& page, const int (&ids)[3])
{
    QString states;
    for (int id : ids)
        states += QString::number(page.Button(id)->state());
    return states;
}

QStringList pageLines(TraceCapture& capture)
{
    return capture.lines().filter(QRegularExpression("^(?!.*::OnPaint\\(\\))"));
}

QString com2Setting() { return QString::fromStdWString(ReadSettingText(L"SYS_IOCONF", L"COM2_TYPE", L"<none>")); }

} // namespace

class tst_GU_SysIOConfDlg : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(createBoard("KTA"));
        setHardType({});
        setSetting(L"SYS_IOCONF", nullptr, nullptr);
    }

    void rowsPerModel_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<bool>("com2");
        QTest::newRow("default (GX58)") << "" << true;
        QTest::newRow("GX58") << "GX58" << true;
        QTest::newRow("RQ81") << "RQ81" << true;
        QTest::newRow("RQ72") << "RQ72" << true;
        QTest::newRow("RQ63_L") << "RQ63_L" << false;
        QTest::newRow("RQ63_H") << "RQ63_H" << false;
        QTest::newRow("unknown") << "KX99" << false;
    }
    void rowsPerModel()
    {
        QFETCH(QString, hardType);
        QFETCH(bool, com2);
        QVERIFY(powerSet("Com1Voltage", "5"));
        QVERIFY(powerSet("Com2Type", "2"));
        setHardType(hardType);
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.windowTitle(), QString("SystemIOConf"));
            for (int id : Page::kCom1Ids)
                QVERIFY(shown(page, id));
            QCOMPARE(row(page, Page::kCom1Ids), QString("010"));
            QCOMPARE(shown(page, Page::kCom2CaptionId), com2);
            QVERIFY(!page.GetDlgItem(Page::kCom2CaptionId)->isEnabled());
            for (int id : Page::kCom2Ids) {
                QCOMPARE(shown(page, id), com2);
                QCOMPARE(page.GetDlgItem(id)->isEnabled(), com2);
            }
            if (com2)
                QCOMPARE(row(page, Page::kCom2Ids), QString("010"));
        });
        const QStringList lines = pageLines(capture);
        QCOMPARE(lines.value(0), QString("GU_SysIOConfDlg: OnInitDialog()"));
        QCOMPARE(lines.value(1), QString("PROJECT HARD_TYPE = <%1>").arg(hardType.isEmpty() ? "GX58" : hardType));
        QCOMPARE(lines.value(2), QString("getCOM1_Voltage: vIO_COM1VoltageGet: bRet = 1, com1Voltage = 5"));
        // No COM2 call at all where there is no COM2.
        QCOMPARE(lines.filter("COM2").size(), com2 ? 1 : 0);
        if (com2)
            QCOMPARE(lines.value(3), QString("getCOM2_Type: vIO_COM2TypeGet: bRet = 1, com2Type = 2"));
    }

    // Odd values read select nothing and never index past the row.
    void oddValuesRead_data()
    {
        QTest::addColumn<QString>("com1");
        QTest::addColumn<QString>("com2");
        QTest::addColumn<QString>("com1Row");
        QTest::addColumn<QString>("com2Row");
        QTest::newRow("0 V, RS-232") << "0" << "1" << "100" << "100";
        QTest::newRow("12 V, RS-485") << "12" << "3" << "001" << "001";
        QTest::newRow("7 V, type 9") << "7" << "9" << "000" << "000";
        QTest::newRow("255 V, type 0") << "255" << "0" << "000" << "000";
    }
    void oddValuesRead()
    {
        QFETCH(QString, com1);
        QFETCH(QString, com2);
        QFETCH(QString, com1Row);
        QFETCH(QString, com2Row);
        QVERIFY(powerSet("Com1Voltage", com1));
        QVERIFY(powerSet("Com2Type", com2));
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QCOMPARE(row(page, Page::kCom1Ids), com1Row);
            QCOMPARE(row(page, Page::kCom2Ids), com2Row);
        });
        QVERIFY(boxes.texts.isEmpty());
    }

    void com2ReadFails()
    {
        QVERIFY(powerSet("Com2Type", "3"));
        QVERIFY(kestromFail("vIO_COM2TypeGet"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        // The message comes while the page opens, before its own run: look once it is up.
        QString shownRow;
        QTimer look;
        look.setInterval(10);
        QObject::connect(&look, &QTimer::timeout, &page, [&] {
            if (!page.IsRunningModal() || !page.isVisible() || QApplication::activeModalWidget() != &page)
                return;
            look.stop();
            shownRow = row(page, Page::kCom2Ids);
            page.EndDialog(IDCANCEL);
        });
        look.start();
        page.DoModal();
        QCOMPARE(shownRow, QString("000"));
        QCOMPARE(boxes.texts, QStringList{"Get COM2 type fail!"});
        QVERIFY(pageLines(capture).contains("getCOM2_Type: vIO_COM2TypeGet: bRet = 0, com2Type = 0"));
        QCOMPARE(com2Setting(), QString("<none>"));
    }

    void setCom1_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<int>("volts");
        QTest::newRow("0 V") << 0 << false << 0;
        QTest::newRow("5 V") << 1 << false << 5;
        QTest::newRow("12 V") << 2 << false << 12;
        QTest::newRow("12 V fails") << 2 << true << 12;
    }
    void setCom1()
    {
        QFETCH(int, index);
        QFETCH(bool, fails);
        QFETCH(int, volts);
        QVERIFY(powerSet("Com1Voltage", index == 1 ? "0" : "5"));
        if (fails)
            QVERIFY(kestromFail("vIO_COM1VoltageSet"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kCom1Ids[index]), Qt::LeftButton);
            QString expected = "000";
            if (!fails)
                expected[index] = '1';
            QCOMPARE(row(page, Page::kCom1Ids), expected);
        });
        QCOMPARE(powerValue(PowerValue::Com1Voltage), fails ? 5 : volts);
        QCOMPARE(boxes.texts, fails ? QStringList{"Set COM1 voltage fail!"} : QStringList{});
        QVERIFY(pageLines(capture).contains(
            QString("SetCOM1_Voltage: vIO_COM1VoltageSet: bRet = %1, newVoltage = %2").arg(fails ? 0 : 1).arg(volts)));
        QCOMPARE(com2Setting(), QString("<none>"));
    }

    void setCom2_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("stored");
        QTest::newRow("RS-232") << 0 << false << 1 << "232";
        QTest::newRow("RS-422") << 1 << false << 2 << "422";
        QTest::newRow("RS-485") << 2 << false << 3 << "485";
        QTest::newRow("RS-485 fails") << 2 << true << 3 << "<none>";
    }
    void setCom2()
    {
        QFETCH(int, index);
        QFETCH(bool, fails);
        QFETCH(int, code);
        QFETCH(QString, stored);
        setHardType("RQ81");
        QVERIFY(powerSet("Com2Type", index == 1 ? "1" : "2"));
        if (fails)
            QVERIFY(kestromFail("vIO_COM2TypeSet"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kCom2Ids[index]), Qt::LeftButton);
            QString expected = "000";
            if (!fails)
                expected[index] = '1';
            QCOMPARE(row(page, Page::kCom2Ids), expected);
            QCOMPARE(com2Setting(), stored);
        });
        QCOMPARE(powerValue(PowerValue::Com2Type), fails ? (index == 1 ? 1 : 2) : code);
        QCOMPARE(boxes.texts, fails ? QStringList{"Set COM2 type fail!"} : QStringList{});
        QVERIFY(pageLines(capture).contains(
            QString("SetCOM2_Type: vIO_COM2TypeSet: bRet = %1, newVoltage = %2").arg(fails ? 0 : 1).arg(code)));
    }

    void homeClosesPage()
    {
        TraceCapture capture;
        Page page;
        QCOMPARE(runPage(page, [&] { QTest::mouseClick(page.Button(Page::kHomeId), Qt::LeftButton); }), IDCANCEL);
        QVERIFY(pageLines(capture).contains("GU_SysIOConfDlg:OnClicked_SysioconfHome"));
    }

    void layout()
    {
        Page page;
        runPage(page, [&] {
            const struct {
                int id;
                QPoint at;
            } places[] = {{Page::kHomeId, {40, 445}}, {1104, {485, 180}}, {1105, {640, 180}}, {1106, {795, 180}},
                          {1233, {318, 361}},         {1107, {485, 350}}, {1108, {640, 350}}, {1109, {795, 350}}};
            for (const auto& place : places)
                QCOMPARE(page.GetDlgItem(place.id)->pos(), place.at);
            QCOMPARE(page.BackgroundName(), QString("IDB_SYSIOCONF_BASE_L"));
        });
    }
};

TARVIK_QTEST_MAIN(tst_GU_SysIOConfDlg)
#include "tst_GU_SysIOConfDlg.moc"
