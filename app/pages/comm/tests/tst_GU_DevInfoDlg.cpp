// The device information page on the virtual board: the values it reads from the firmware and the
// settings file, their defaults, its layout and its Home button.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "AppPaths.h"
#include "Board.h"
#include "CMyBitmapButton.h"
#include "GU_DevInfoDlg.h"
#include "PrivateProfile.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::TraceCapture;

namespace {

std::unique_ptr<tarvik::board::Board> board(const std::string& model = {})
{
    const std::string dir = QtTestEnvironment::instance().boardDir().toStdString();
    auto b = model.empty() ? tarvik::board::Board::open(dir) : tarvik::board::Board::create(dir, model);
    return b ? std::move(*b) : nullptr;
}

void setSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    WritePrivateProfileStringW(section, key, value, SettingsFile());
}

// Opens the page, lets `look` see it while it runs, and closes it.
void runPage(GU_DevInfoDlg& page, const std::function<void()>& look)
{
    QTimer::singleShot(0, &page, [&] {
        look();
        page.EndDialog(IDCANCEL);
    });
    page.DoModal();
}

} // namespace

class tst_GU_DevInfoDlg : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        setSetting(L"DEV_INFO", L"VERSION", nullptr);
        setSetting(L"PROJECT", L"HARD_TYPE", nullptr);
    }

    void showsTheValues_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("pcb");
        QTest::addColumn<QString>("shownVersion");
        QTest::addColumn<QString>("shownModule");
        // Board version from BaseBoardVersion; the settings keys missing give their defaults.
        QTest::newRow("KTA, defaults") << "KTA" << "" << "" << "BB-KTA-03" << "-.-.-" << "----";
        QTest::newRow("KTM, settings") << "KTM" << "0.1.0" << "RQ63_H" << "BB-KTA-03" << "0.1.0" << "RQ63_H";
        // KQS and KZS boards give the SKU instead.
        QTest::newRow("KQS, SKU") << "KQS" << "2.4.1" << "RQ81" << "SKU-Q-77" << "2.4.1" << "RQ81";
    }
    void showsTheValues()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(QString, hardType);
        QFETCH(QString, pcb);
        QFETCH(QString, shownVersion);
        QFETCH(QString, shownModule);
        auto b = board(model.toStdString());
        QVERIFY(b);
        QVERIFY(b->setValue("BIOSVersion", model.toStdString() + "-BIOS 1.07"));
        QVERIFY(b->setValue("BaseBoardVersion", "BB-KTA-03"));
        QVERIFY(b->setValue("SystemSKU", "SKU-Q-77"));
        QVERIFY(b->setValue("ECFirmwareMajorRelease", "2"));
        QVERIFY(b->setValue("ECFirmwareMinorRelease", "10"));
        if (!version.isEmpty())
            setSetting(L"DEV_INFO", L"VERSION", version.toStdWString().c_str());
        if (!hardType.isEmpty())
            setSetting(L"PROJECT", L"HARD_TYPE", hardType.toStdWString().c_str());

        TraceCapture capture;
        GU_DevInfoDlg page;
        runPage(page, [&] {
            QCOMPARE(page.ItemText(GU_DevInfoDlg::kBiosValueId), model + "-BIOS 1.07");
            QCOMPARE(page.ItemText(GU_DevInfoDlg::kEcValueId), QString("020a"));
            QCOMPARE(page.ItemText(GU_DevInfoDlg::kPcbValueId), pcb);
            QCOMPARE(page.ItemText(GU_DevInfoDlg::kVersionValueId), shownVersion);
            QCOMPARE(page.ItemText(GU_DevInfoDlg::kModuleValueId), shownModule);
        });
        QCOMPARE(capture.lines().filter(QRegularExpression("^(GU_DevInfoDlg: |GetAllDeviceInfo|PROJECT)")),
                 (QStringList{"GU_DevInfoDlg: OnInitDialog()", "GetAllDeviceInfo version = <" + shownVersion + ">",
                              "PROJECT HARD_TYPE = <" + shownModule + ">"}));
    }

    void aMissingFirmwareValueShowsEmpty()
    {
        auto b = board("KTA");
        QVERIFY(b->unsetValue("BIOSVersion"));
        GU_DevInfoDlg page;
        runPage(page, [&] { QCOMPARE(page.ItemText(GU_DevInfoDlg::kBiosValueId), QString()); });
    }

    void layout()
    {
        board("KTA");
        GU_DevInfoDlg page;
        runPage(page, [&] {
            QCOMPARE(page.windowTitle(), QString("DeviceInfomation"));
            QCOMPARE(page.size(), QSize(1024, 600));
            QCOMPARE(page.Button(GU_DevInfoDlg::kHomeId)->geometry(), QRect(40, 445, 190, 134));
            const struct {
                int label;
                int value;
                int y;
            } rows[] = {{1007, 1012, 200}, {1008, 1013, 250}, {1009, 1014, 300}, {1011, 1016, 350}, {1205, 1206, 400}};
            for (const auto& row : rows) {
                QCOMPARE(page.Text(row.label)->geometry(), QRect(300, row.y, 250, 50));
                QCOMPARE(page.Text(row.value)->geometry(), QRect(600, row.y, 250, 50));
                QCOMPARE(page.Text(row.label)->font().weight(), QFont::Normal);
                QCOMPARE(page.Text(row.value)->font().weight(), QFont::Bold);
                QVERIFY(page.Text(row.label)->isVisible());
            }
            QCOMPARE(page.ItemText(1007), QString("System Hardware (MB PCBA) :"));
            QCOMPARE(page.ItemText(1205), QString("Module Name:"));
            for (int id : {GU_DevInfoDlg::kMcuLabelId, GU_DevInfoDlg::kMcuValueId}) {
                QVERIFY(page.Text(id)->isHidden());
                QVERIFY(!page.Text(id)->isEnabled());
                QCOMPARE(page.ItemText(id), id == GU_DevInfoDlg::kMcuValueId ? QString("XXXXXX") : QString("MCU FW Version :"));
            }
        });
    }

    void homeTracesAndCancels()
    {
        TraceCapture capture;
        GU_DevInfoDlg page;
        QTimer::singleShot(0, &page, [&] { QTest::mouseClick(page.Button(GU_DevInfoDlg::kHomeId), Qt::LeftButton); });
        QCOMPARE(page.DoModal(), IDCANCEL);
        QVERIFY(capture.contains("GU_DevInfoDlg:OnClicked_DevinfoHome"));
    }

    void closeDownDoesNothingHere()
    {
        GU_DevInfoDlg page;
        runPage(page, [&] {
            QCOMPARE(SendMessage(&page, WM_CLOSE_CHILDREN), LRESULT(0));
            QVERIFY(page.isVisible());
        });
    }
};

TARVIK_QTEST_MAIN(tst_GU_DevInfoDlg)
#include "tst_GU_DevInfoDlg.moc"
