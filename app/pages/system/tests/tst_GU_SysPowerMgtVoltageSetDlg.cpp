// The four start-up/shut-down voltage dialogs on the virtual board: reading the thresholds (single
// precision tenths, kept within the column), choosing, the conflict of equal choices, Save and Cancel,
// and each dialog's layout and trace lines.

#include "SystemPageTest.h"
#include "TraceCapture.h"

#include <QRegularExpression>

#include "CMyBitmapButton.h"
#include "GU_SysPowerMgt_12VSetDlg.h"
#include "GU_SysPowerMgt_24VSetDlg.h"
#include "GU_SysPowerMgt_RQ81_36VSetDlg.h"
#include "GU_SysPowerMgt_RQ81_48VSetDlg.h"

using namespace tarvik::qtest;
using tarvik::board::Nominal;
using tarvik::board::Threshold;

namespace {

std::unique_ptr<GU_SysPowerMgtVoltageSetDlg> makeDialog(int nominal)
{
    switch (nominal) {
    case 12: return std::make_unique<GU_SysPowerMgt_12VSetDlg>();
    case 24: return std::make_unique<GU_SysPowerMgt_24VSetDlg>();
    case 36: return std::make_unique<GU_SysPowerMgt_RQ81_36VSetDlg>();
    default: return std::make_unique<GU_SysPowerMgt_RQ81_48VSetDlg>();
    }
}

Nominal nominalOf(int volts)
{
    switch (volts) {
    case 12: return Nominal::V12;
    case 24: return Nominal::V24;
    case 36: return Nominal::V36;
    default: return Nominal::V48;
    }
}

QString volts(int tenths) { return QString("%1.%2").arg(tenths / 10).arg(tenths % 10); }

bool setThresholds(int nominal, const QString& startup, const QString& shutdown)
{
    const QString n = QString::number(nominal);
    return powerSet("Startup" + n + "V", startup) && powerSet("Shutdown" + n + "V", shutdown);
}

// The checked buttons of a column, by value in tenths.
QList<int> checked(const GU_SysPowerMgtVoltageSetDlg& dialog, bool startup)
{
    const VoltageDialogTable& table = dialog.Table();
    QList<int> values;
    for (std::size_t row = 0; row < table.rows; ++row) {
        const VoltageChoice& choice = startup ? table.startup[row] : table.shutdown[row];
        if (dialog.Button(choice.id)->state() == 1)
            values << choice.tenths;
    }
    return values;
}

CMyBitmapButton* valueButton(const GU_SysPowerMgtVoltageSetDlg& dialog, bool startup, int tenths)
{
    const VoltageDialogTable& table = dialog.Table();
    for (std::size_t row = 0; row < table.rows; ++row) {
        const VoltageChoice& choice = startup ? table.startup[row] : table.shutdown[row];
        if (choice.tenths == tenths)
            return dialog.Button(choice.id);
    }
    return nullptr;
}

// Runs the dialog, does `act` inside its run and returns the result the dialog ended with; -1 when
// `act` left it open (a check failed before the press that closes it).
int runUntilClosed(GU_SysPowerMgtVoltageSetDlg& dialog, const std::function<void()>& act)
{
    QTimer::singleShot(0, &dialog, [&] {
        act();
        if (dialog.isVisible()) // still open: its run has not been ended
            dialog.EndDialog(-1);
    });
    return dialog.DoModal();
}

// The dialogs: nominal voltage, then values of its columns used by the tests.
void addDialogRows(std::initializer_list<int> nominals = {12, 24, 36, 48})
{
    for (int n : nominals)
        QTest::newRow(qPrintable(QString("%1 V").arg(n))) << n;
}

} // namespace

class tst_GU_SysPowerMgtVoltageSetDlg : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(createBoard("KQS")); }

    void layout_data()
    {
        QTest::addColumn<int>("nominal");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("buttonsY");
        QTest::newRow("12 V") << 12 << "SystemPowerMgt12V" << QSize(460, 280) << 3 << 200;
        QTest::newRow("24 V") << 24 << "SystemPowerMgt24V" << QSize(460, 370) << 5 << 290;
        QTest::newRow("36 V") << 36 << "SystemPowerMgtRQ81_36V" << QSize(460, 370) << 5 << 290;
        QTest::newRow("48 V") << 48 << "SystemPowerMgtRQ81_48V" << QSize(460, 370) << 5 << 285;
    }
    void layout()
    {
        QFETCH(int, nominal);
        QFETCH(QString, title);
        QFETCH(QSize, size);
        QFETCH(int, rows);
        QFETCH(int, buttonsY);
        auto dialog = makeDialog(nominal);
        runPage(*dialog, [&] {
            const VoltageDialogTable& table = dialog->Table();
            QCOMPARE(dialog->windowTitle(), title);
            QCOMPARE(dialog->size(), size);
            QCOMPARE(int(table.rows), rows);
            const int startupY[] = {62, 103, 144, 184, 225};
            const int shutdownY[] = {62, 103, 144, 185, 225};
            for (int row = 0; row < rows; ++row) {
                QCOMPARE(dialog->Button(table.startup[row].id)->pos(), QPoint(8, startupY[row]));
                QCOMPARE(dialog->Button(table.shutdown[row].id)->pos(), QPoint(236, shutdownY[row]));
                if (row > 0) { // ascending downwards in steps of half a volt
                    QCOMPARE(table.startup[row].tenths - table.startup[row - 1].tenths, 5);
                    QCOMPARE(table.shutdown[row].tenths - table.shutdown[row - 1].tenths, 5);
                }
            }
            QCOMPARE(table.shutdown[rows - 1].tenths, table.startup[0].tenths);
            QCOMPARE(dialog->Button(table.saveId)->pos(), QPoint(50, buttonsY));
            QCOMPARE(dialog->Button(table.cancelId)->pos(), QPoint(270, buttonsY));
            // Every value button's pictures loaded (the names follow the skin's table).
            for (int row = 0; row < rows; ++row)
                for (int id : {table.startup[row].id, table.shutdown[row].id})
                    QVERIFY(!dialog->Button(id)->image(0).isNull() && !dialog->Button(id)->image(1).isNull());
        });
    }

    void theTwelveVoltDialogHasThreeRows()
    {
        auto dialog = makeDialog(12);
        runPage(*dialog, [&] {
            const VoltageDialogTable& table = dialog->Table();
            QCOMPARE(QList<int>({table.startup[0].tenths, table.startup[1].tenths, table.startup[2].tenths}), QList<int>({115, 120, 125}));
            QCOMPARE(QList<int>({table.shutdown[0].tenths, table.shutdown[1].tenths, table.shutdown[2].tenths}), QList<int>({105, 110, 115}));
            QCOMPARE(dialog->Button(1174)->pos(), QPoint(8, 62));
            QCOMPARE(dialog->Button(1178)->pos(), QPoint(8, 144));
            QCOMPARE(dialog->Button(1180)->pos(), QPoint(236, 144));
            // Factory values 12.0 / 11.0.
            QCOMPARE(checked(*dialog, true), QList<int>{120});
            QCOMPARE(checked(*dialog, false), QList<int>{110});
        });
    }

    // Equal choices are a conflict: the message, nothing written, the dialog stays open.
    void equalChoicesConflict_data()
    {
        QTest::addColumn<int>("nominal");
        addDialogRows();
    }
    void equalChoicesConflict()
    {
        QFETCH(int, nominal);
        auto dialog = makeDialog(nominal);
        const int shared = dialog->Table().startup[0].tenths;
        QVERIFY(setThresholds(nominal, volts(shared), volts(shared)));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        runPage(*dialog, [&] {
            QCOMPARE(checked(*dialog, true), QList<int>{shared});
            QCOMPARE(checked(*dialog, false), QList<int>{shared});
            QTest::mouseClick(dialog->Button(dialog->Table().saveId), Qt::LeftButton);
            QVERIFY(dialog->IsRunningModal());
            QCOMPARE(dialog->StartupChoice(), shared);
            QCOMPARE(dialog->ShutdownChoice(), shared);
        });
        QCOMPARE(boxes.texts, QStringList{"The Startup and Shutdown voltage conflict,please change the setting!"});
        QCOMPARE(capture.lines().filter(QRegularExpression("VS(tartup|hutdown)Set")).size(), 0);
        QVERIFY(capture.contains(QString("%1:OnClicked_Syspowermgt%2vsetSave startV=[%3], shutdownV=[%3]")
                                     .arg(QString::fromWCharArray(dialog->Table().className)).arg(nominal).arg(shared)));
    }

    // A value between the steps selects nothing and goes back as it was.
    void aValueBetweenTheStepsIsWrittenBack_data()
    {
        QTest::addColumn<int>("nominal");
        QTest::addColumn<QString>("startup");
        QTest::addColumn<int>("tenths");
        QTest::newRow("12 V") << 12 << "12.3" << 123;
        QTest::newRow("24 V") << 24 << "24.3" << 243;
        QTest::newRow("36 V") << 36 << "36.3" << 363;
        QTest::newRow("48 V") << 48 << "47.3" << 473;
    }
    void aValueBetweenTheStepsIsWrittenBack()
    {
        QFETCH(int, nominal);
        QFETCH(QString, startup);
        QFETCH(int, tenths);
        auto dialog = makeDialog(nominal);
        const int shutdown = dialog->Table().shutdown[0].tenths;
        QVERIFY(setThresholds(nominal, startup, volts(shutdown)));
        TraceCapture capture;
        const int result = runUntilClosed(*dialog, [&] {
            QCOMPARE(dialog->StartupChoice(), tenths);
            QVERIFY(checked(*dialog, true).isEmpty());
            QTest::mouseClick(dialog->Button(dialog->Table().saveId), Qt::LeftButton);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(threshold(nominalOf(nominal), Threshold::Startup), startup.toFloat());
        QCOMPARE(threshold(nominalOf(nominal), Threshold::Shutdown), volts(shutdown).toFloat());
        const QString n = QString::number(nominal);
        QVERIFY(capture.contains(QString("get%1VStartupVoltage: vPM_%1VStartupGet: bRet = 1, voltage = %2").arg(n, startup)));
        QVERIFY(capture.contains(QString("set%1VStartupVoltage: vPM_%1VStartupSet: bRet = 1, fval = %2").arg(n, startup)));
    }

    // Read values are kept within the column; a failed read gives the lowest.
    void readValuesAreClamped_data()
    {
        QTest::addColumn<int>("nominal");
        QTest::addColumn<QString>("startup"); // empty: the read fails
        QTest::addColumn<QString>("shutdown");
        QTest::addColumn<int>("startupChoice");
        QTest::addColumn<int>("shutdownChoice");
        QTest::newRow("24 V: 26.0 is 25.0") << 24 << "26.0" << "22.0" << 250 << 220;
        QTest::newRow("24 V: odd 999") << 24 << "999" << "-5" << 250 << 210;
        QTest::newRow("24 V: failed read") << 24 << "" << "22.0" << 230 << 220;
        QTest::newRow("12 V: 13.0 is 12.5") << 12 << "13.0" << "9.0" << 125 << 105;
        QTest::newRow("36 V: 38.0 is 37.0") << 36 << "38.0" << "30.0" << 370 << 330;
        QTest::newRow("48 V: 50.0 is 48.5") << 48 << "50.0" << "47.0" << 485 << 465;
        QTest::newRow("48 V: 46.97 is 46.9") << 48 << "46.97" << "45.5" << 469 << 455;
    }
    void readValuesAreClamped()
    {
        QFETCH(int, nominal);
        QFETCH(QString, startup);
        QFETCH(QString, shutdown);
        QFETCH(int, startupChoice);
        QFETCH(int, shutdownChoice);
        QVERIFY(setThresholds(nominal, startup.isEmpty() ? "24.0" : startup, shutdown));
        if (startup.isEmpty())
            QVERIFY(kestromFail(QString("vPM_%1VStartupGet").arg(nominal)));
        auto dialog = makeDialog(nominal);
        TraceCapture capture;
        runPage(*dialog, [&] {
            QCOMPARE(dialog->StartupChoice(), startupChoice);
            QCOMPARE(dialog->ShutdownChoice(), shutdownChoice);
            const bool onAStep = startupChoice % 5 == 0;
            QCOMPARE(checked(*dialog, true), onAStep ? QList<int>{startupChoice} : QList<int>{});
            QCOMPARE(checked(*dialog, false), QList<int>{shutdownChoice});
        });
        if (startup.isEmpty())
            QVERIFY(capture.contains(QString("get%1VStartupVoltage: vPM_%1VStartupGet: bRet = 0, voltage = 0.0").arg(nominal)));
        // Opening writes nothing: the odd values stay.
        QCOMPARE(threshold(nominalOf(nominal), Threshold::Shutdown), shutdown.toFloat());
    }

    // Choosing a value in each column and saving writes both as floats, start-up first, and closes.
    void choosesAndSaves_data()
    {
        QTest::addColumn<int>("nominal");
        QTest::addColumn<int>("startup");
        QTest::addColumn<int>("shutdown");
        QTest::addColumn<QString>("shutdownLine"); // %1 the nominal voltage, %2 the value
        const QString plain = "set%1VShutdownVoltage: vPM_%1VShutdownSet: bRet = 1, fval = %2";
        QTest::newRow("12 V") << 12 << 125 << 105 << plain;
        QTest::newRow("24 V") << 24 << 235 << 220 << plain;
        QTest::newRow("36 V") << 36 << 355 << 340 << plain;
        QTest::newRow("48 V") << 48 << 470 << 450
                              << "GU_SysPowerMgt_RQ81_48VSetDlg: set%1VShutdownVoltage: vPM_%1VShutdownSet: bRet = 1, fval = %2";
    }
    void choosesAndSaves()
    {
        QFETCH(int, nominal);
        QFETCH(int, startup);
        QFETCH(int, shutdown);
        QFETCH(QString, shutdownLine);
        auto dialog = makeDialog(nominal);
        TraceCapture capture;
        const int result = runUntilClosed(*dialog, [&] {
            QTest::mouseClick(valueButton(*dialog, true, startup), Qt::LeftButton);
            QTest::mouseClick(valueButton(*dialog, false, shutdown), Qt::LeftButton);
            QCOMPARE(checked(*dialog, true), QList<int>{startup});
            QCOMPARE(checked(*dialog, false), QList<int>{shutdown});
            QTest::mouseClick(dialog->Button(dialog->Table().saveId), Qt::LeftButton);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(threshold(nominalOf(nominal), Threshold::Startup), float(startup * 0.1));
        QCOMPARE(threshold(nominalOf(nominal), Threshold::Shutdown), float(shutdown * 0.1));
        const QString n = QString::number(nominal);
        const QStringList lines = capture.lines();
        const int save = lines.indexOf(QString("%1:OnClicked_Syspowermgt%2vsetSave startV=[%3], shutdownV=[%4]")
                                           .arg(QString::fromWCharArray(dialog->Table().className), n)
                                           .arg(startup)
                                           .arg(shutdown));
        QVERIFY(save >= 0);
        QCOMPARE(lines.value(save + 1), QString("set%1VStartupVoltage: vPM_%1VStartupSet: bRet = 1, fval = %2").arg(n, volts(startup)));
        QCOMPARE(lines.value(save + 2), shutdownLine.arg(n, volts(shutdown)));
    }

    // A choice in one column leaves the other alone.
    void aChoiceLeavesTheOtherColumn()
    {
        auto dialog = makeDialog(24);
        runPage(*dialog, [&] {
            QCOMPARE(checked(*dialog, false), QList<int>{220});
            QTest::mouseClick(valueButton(*dialog, true, 250), Qt::LeftButton);
            QTest::mouseClick(valueButton(*dialog, true, 245), Qt::LeftButton);
            QCOMPARE(checked(*dialog, true), QList<int>{245});
            QCOMPARE(checked(*dialog, false), QList<int>{220});
            // Pressing the checked one keeps it checked.
            QTest::mouseClick(valueButton(*dialog, true, 245), Qt::LeftButton);
            QCOMPARE(checked(*dialog, true), QList<int>{245});
        });
    }

    void failedWritesStillClose()
    {
        QVERIFY(kestromFail("vPM_36VStartupSet,vPM_36VShutdownSet"));
        auto dialog = makeDialog(36);
        TraceCapture capture;
        const int result = runUntilClosed(*dialog, [&] {
            QTest::mouseClick(valueButton(*dialog, true, 370), Qt::LeftButton);
            QTest::mouseClick(dialog->Button(dialog->Table().saveId), Qt::LeftButton);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(threshold(Nominal::V36, Threshold::Startup), 36.0f);
        QVERIFY(capture.contains("set36VStartupVoltage: vPM_36VStartupSet: bRet = 0, fval = 37.0"));
        QVERIFY(capture.contains("set36VShutdownVoltage: vPM_36VShutdownSet: bRet = 0, fval = 34.0"));
    }

    void cancelWritesNothing_data()
    {
        QTest::addColumn<int>("nominal");
        addDialogRows();
    }
    void cancelWritesNothing()
    {
        QFETCH(int, nominal);
        auto dialog = makeDialog(nominal);
        const float before = threshold(nominalOf(nominal), Threshold::Startup);
        TraceCapture capture;
        const int result = runUntilClosed(*dialog, [&] {
            QTest::mouseClick(valueButton(*dialog, true, dialog->Table().startup[dialog->Table().rows - 1].tenths), Qt::LeftButton);
            QTest::mouseClick(dialog->Button(dialog->Table().cancelId), Qt::LeftButton);
        });
        QCOMPARE(result, IDCANCEL);
        QCOMPARE(threshold(nominalOf(nominal), Threshold::Startup), before);
        const QString className = QString::fromWCharArray(dialog->Table().className);
        QVERIFY(capture.contains(QString("%1:OnClicked_Syspowermgt%2vsetCancel").arg(className).arg(nominal)));
        QCOMPARE(capture.lines().value(0), className + ": OnInitDialog()");
        QCOMPARE(capture.lines().filter("Set: bRet").size(), 0);
    }

    void closeDownDoesNothingHere()
    {
        auto dialog = makeDialog(48);
        runPage(*dialog, [&] {
            QCOMPARE(SendMessage(dialog.get(), WM_CLOSE_CHILDREN), LRESULT(0));
            QVERIFY(dialog->IsRunningModal());
        });
    }
};

TARVIK_QTEST_MAIN(tst_GU_SysPowerMgtVoltageSetDlg)
#include "tst_GU_SysPowerMgtVoltageSetDlg.moc"
