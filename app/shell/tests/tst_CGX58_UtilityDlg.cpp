// The home screen: picture and button positions per hardware type, the staying-in-front timer, the
// section commands and their page objects, the close-down, Exit and destruction.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"
#include "TrayStandIn.h"

#include "AppPaths.h"
#include "CGX58_UtilityDlg.h"
#include "CMyBitmapButton.h"
#include "PrivateProfile.h"

#include <QPointer>
#include <QTimer>

#include <vector>

using tarvik::qtest::TraceCapture;

namespace {

void setSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    WritePrivateProfileStringW(section, key, value, SettingsFile());
}

// Runs `action` inside the modal run of the next section page that opens.
void whenPageOpens(CGX58_UtilityDlg& home, int commandId, std::function<void(CPageDlg*)> action)
{
    auto* poll = new QTimer(&home);
    QObject::connect(poll, &QTimer::timeout, [&home, commandId, action, poll] {
        CPageDlg* page = home.SectionPage(commandId);
        if (!page || !page->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(page);
    });
    poll->start(5);
}

} // namespace

class tst_CGX58_UtilityDlg : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        for (const wchar_t* key : {L"HARD_TYPE", L"TOP_RETRY_MAX", L"WAKEUP_CODE"})
            WritePrivateProfileStringW(L"PROJECT", key, nullptr, SettingsFile());
    }

    void pictureAndButtonsPerHardwareType_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("exitY");
        QTest::addColumn<int>("sectionY");
        QTest::newRow("GX58") << "GX58" << 600 << 445 << 208;
        QTest::newRow("RQ63_L") << "RQ63_L" << 600 << 445 << 208;
        QTest::newRow("RQ63_H") << "RQ63_H" << 600 << 445 << 208;
        QTest::newRow("RQ81") << "RQ81" << 768 << 531 << 292;
        QTest::newRow("RQ72") << "RQ72" << 768 << 529 << 292;
        QTest::newRow("missing") << "" << 600 << 445 << 208;
    }
    void pictureAndButtonsPerHardwareType()
    {
        QFETCH(QString, hardType);
        QFETCH(int, height);
        QFETCH(int, exitY);
        QFETCH(int, sectionY);
        if (!hardType.isEmpty())
            setSetting(L"PROJECT", L"HARD_TYPE", hardType.toStdWString().c_str());
        TraceCapture capture;
        CGX58_UtilityDlg home;
        home.CreateModeless();
        // Centred on the 1024x600 screen: the 768 picture hangs over both edges alike.
        QCOMPARE(home.geometry(), QRect(0, (600 - height) / 2, 1024, height));
        QCOMPARE(home.windowTitle(), QString("MainDlg"));
        QCOMPARE(home.Button(CGX58_UtilityDlg::kExitId)->geometry(), QRect(417, exitY, 190, 134));
        const int xs[] = {37, 227, 417, 607, 797};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(home.Button(CGX58_UtilityDlg::kDevInfoId + i)->geometry(), QRect(xs[i], sectionY, 190, 190));
        const QStringList lines = capture.lines();
        QCOMPARE(lines.value(0), QString("OnInitDialog()"));
        QCOMPARE(lines.value(1), QString("OnInitDialog(): m_topRetryMax=[2]"));
        QCOMPARE(lines.value(2), QString("PROJECT HARD_TYPE = <%1>").arg(hardType.isEmpty() ? "GX58" : hardType));
    }

    void sectionsWithoutAPageAreDisabledAndSaySo()
    {
        TraceCapture capture;
        CGX58_UtilityDlg home;
        home.CreateModeless();
        QVERIFY(home.Button(CGX58_UtilityDlg::kDevInfoId)->isEnabled());
        QVERIFY(home.Button(CGX58_UtilityDlg::kExitId)->isEnabled());
        for (int id : {CGX58_UtilityDlg::kVehicleId, CGX58_UtilityDlg::kCommId, CGX58_UtilityDlg::kSettingsId,
                       CGX58_UtilityDlg::kLocationId}) {
            if (home.Button(id)->isEnabled())
                continue; // the page of this section exists
            QVERIFY(!home.Button(id)->image(3).isNull()); // shown greyed
        }
        int disabled = 0;
        for (const CMyBitmapButton* button : home.findChildren<CMyBitmapButton*>())
            disabled += !button->isEnabled();
        QCOMPARE(capture.lines().filter("page is not built yet; its button is disabled").size(), disabled);
    }

    void theTimerBringsTheWindowForwardUpToTheMaximum_data()
    {
        QTest::addColumn<QString>("maximum");
        QTest::addColumn<int>("ticks");
        QTest::newRow("5") << "5" << 5;
        QTest::newRow("default 2") << "" << 2;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("negative") << "-3" << 0;
    }
    void theTimerBringsTheWindowForwardUpToTheMaximum()
    {
        QFETCH(QString, maximum);
        QFETCH(int, ticks);
        if (!maximum.isEmpty())
            setSetting(L"PROJECT", L"TOP_RETRY_MAX", maximum.toStdWString().c_str());
        TraceCapture capture;
        CGX58_UtilityDlg home;
        home.SetTopRetryPeriod(2);
        home.CreateModeless();
        QTRY_COMPARE(home.TopRetryCount(), ticks);
        QTest::qWait(40); // twenty more periods: the count stays at the maximum
        QCOMPARE(home.TopRetryCount(), ticks);
        const QStringList lines = capture.lines().filter("CGX58_UtilityDlg::OnTimer()");
        QCOMPARE(lines.size(), ticks);
        for (int i = 0; i < ticks; ++i)
            QCOMPARE(lines[i], QString("CGX58_UtilityDlg::OnTimer() m_topRetryCount=[%1] m_topRetryMax=[%2]")
                                   .arg(i + 1)
                                   .arg(maximum.isEmpty() ? "2" : maximum));
    }

    // Opening Device information, closing it with Home and opening it again releases the first page
    // object before the second is created.
    void reopeningASectionReleasesTheOldPage()
    {
        CGX58_UtilityDlg home;
        home.CreateModeless();
        CMyBitmapButton* button = home.Button(CGX58_UtilityDlg::kDevInfoId);
        QPointer<CPageDlg> first;
        whenPageOpens(home, CGX58_UtilityDlg::kDevInfoId, [&](CPageDlg* page) {
            first = page;
            QTest::mouseClick(page->Button(1006), Qt::LeftButton); // Home
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(first);
        QCOMPARE(home.SectionPage(CGX58_UtilityDlg::kDevInfoId), first.data()); // kept after closing
        QVERIFY(!first->isVisible());

        bool firstGoneWhenSecondOpened = false;
        whenPageOpens(home, CGX58_UtilityDlg::kDevInfoId, [&](CPageDlg* page) {
            firstGoneWhenSecondOpened = first.isNull() && page != nullptr;
            page->EndDialog(IDCANCEL);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(firstGoneWhenSecondOpened);
    }

    void closeDownEndsTheOpenPageWithCancelAndKeepsTheHomeScreen()
    {
        CGX58_UtilityDlg home;
        home.CreateModeless();
        whenPageOpens(home, CGX58_UtilityDlg::kDevInfoId,
                      [&](CPageDlg*) { QCOMPARE(SendMessage(&home, WM_CLOSE_CHILDREN), LRESULT(0)); });
        QTest::mouseClick(home.Button(CGX58_UtilityDlg::kDevInfoId), Qt::LeftButton);
        CPageDlg* page = home.SectionPage(CGX58_UtilityDlg::kDevInfoId);
        QVERIFY(page);
        QCOMPARE(page->result(), IDCANCEL);
        QVERIFY(!page->isVisible());
        QVERIFY(home.isVisible());
    }

    void exitPostsTheWakeupCodeToTheTray_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("posted");
        QTest::addColumn<QString>("traced");
        QTest::newRow("absent") << "" << 0x3E << "3E";
        QTest::newRow("A1") << "A1" << 0xA1 << "A1";
        QTest::newRow("0x with junk") << "0xa1zz" << 0xA1 << "0xa1zz";
    }
    void exitPostsTheWakeupCodeToTheTray()
    {
        QFETCH(QString, code);
        QFETCH(int, posted);
        QFETCH(QString, traced);
        if (!code.isEmpty())
            setSetting(L"PROJECT", L"WAKEUP_CODE", code.toStdWString().c_str());
        TrayStandIn tray;
        TraceCapture capture;
        CGX58_UtilityDlg home;
        home.CreateModeless();
        QTest::mouseClick(home.Button(CGX58_UtilityDlg::kExitId), Qt::LeftButton);
        QTRY_COMPARE(tray.keys.size(), std::size_t(1));
        QCOMPARE(tray.keys[0].first, WPARAM(posted));
        QCOMPARE(tray.keys[0].second, LPARAM(0));
        QVERIFY(capture.contains("\nApp tstrWakeupCode = <" + traced + ">"));
        QVERIFY(home.isVisible()); // closing is the tray window's decision
    }

    void exitWithoutATrayDoesNothing()
    {
        CGX58_UtilityDlg home;
        home.CreateModeless();
        QTest::mouseClick(home.Button(CGX58_UtilityDlg::kExitId), Qt::LeftButton);
        QVERIFY(home.isVisible());
    }

    // 0x7EA and 0x7EB run the Vehicle and Settings commands and return 0.
    void openMessagesRunTheirSections_data()
    {
        QTest::addColumn<uint>("message");
        QTest::addColumn<int>("commandId");
        QTest::newRow("vehicle") << uint(WM_OPEN_VEHICLE) << CGX58_UtilityDlg::kVehicleId;
        QTest::newRow("settings") << uint(WM_OPEN_SYSTEM_SETTING) << CGX58_UtilityDlg::kSettingsId;
    }
    void openMessagesRunTheirSections()
    {
        QFETCH(uint, message);
        QFETCH(int, commandId);
        CGX58_UtilityDlg home;
        home.CreateModeless();
        const bool built = home.Button(commandId)->isEnabled();
        TraceCapture capture;
        if (built)
            whenPageOpens(home, commandId, [](CPageDlg* page) { page->EndDialog(IDCANCEL); });
        QCOMPARE(SendMessage(&home, message), LRESULT(0));
        if (built)
            QVERIFY(home.SectionPage(commandId));
        else
            QCOMPARE(capture.lines().filter("page is not built yet").size(), 1);
    }

    void destructionClosesTheOpenPage()
    {
        auto* home = new CGX58_UtilityDlg;
        home->CreateModeless();
        QPointer<CPageDlg> page;
        TraceCapture capture;
        whenPageOpens(*home, CGX58_UtilityDlg::kDevInfoId, [&](CPageDlg* p) {
            page = p;
            home->DestroyWindow();
        });
        QTest::mouseClick(home->Button(CGX58_UtilityDlg::kDevInfoId), Qt::LeftButton);
        QVERIFY(capture.contains("CGX58_UtilityDlg::DestroyWindow()"));
        QVERIFY(!home->isVisible());
        QCOMPARE(home->SectionPage(CGX58_UtilityDlg::kDevInfoId), nullptr);
        delete home;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(page.isNull());
    }
};

TARVIK_QTEST_MAIN(tst_CGX58_UtilityDlg)
#include "tst_CGX58_UtilityDlg.moc"
