// The page frame: placement, traces, painting, static texts, the Home button, the close-children
// message, commands and numbered timers.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "CMyBitmapButton.h"
#include "CPageDlg.h"
#include "SkinStore.h"

#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTimer>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::TraceCapture;
using tarvik::qtest::writePicture;

namespace {

constexpr StaticTextDef kTexts[] = {
    {1007, L"System Hardware (MB PCBA) :", 300, 200, 250, 50},
    {1008, L"Utility Version :", 300, 250, 250, 50},
};

class GU_TestDlg : public CPageDlg {
public:
    explicit GU_TestDlg(QWidget* parent = nullptr) : CPageDlg(L"GU_TestDlg", "T_PAGE", parent) {}
    std::vector<int> timers;
    std::vector<int> commands;
    using CPageDlg::KillTimer;
    using CPageDlg::SetTimer;

protected:
    bool OnInitDialog() override
    {
        CPageDlg::OnInitDialog();
        AddHomeButton(1006, 40, 445, "T_HOME", L"OnClicked_TestHome", IDCANCEL);
        AddStaticTexts({kTexts[0], kTexts[1]}, MakeFont(20, 400));
        SetTitle(L"TestPage");
        return true;
    }
    void OnTimer(int id) override { timers.push_back(id); }
    void OnCommand(int id, int code) override
    {
        commands.push_back(id);
        CPageDlg::OnCommand(id, code);
    }
};

} // namespace

class tst_CPageDlg : public QObject {
    Q_OBJECT
private:
    QString m_dir;

private slots:
    void initTestCase()
    {
        m_dir = QtTestEnvironment::instance().makeDir("pages");
        writePicture(m_dir, "T_PAGE", QSize(800, 500), Qt::darkCyan);
        writePicture(m_dir, "T_HOME", QSize(190, 134), Qt::red);
        qputenv("TARVIK_SKIN_DIR", QFile::encodeName(m_dir));
        SkinStore::ClearCache();
    }

    void isCentredOnTheScreenAndTraced()
    {
        TraceCapture capture;
        GU_TestDlg page;
        QTimer::singleShot(0, &page, [&] { page.EndDialog(IDOK); });
        QCOMPARE(page.DoModal(), IDOK);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(screen, QSize(1024, 600));
        QCOMPARE(page.geometry(), QRect((1024 - 800) / 2, (600 - 500) / 2, 800, 500));
        QVERIFY(!page.IsPortrait());
        QVERIFY(page.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(page.windowTitle(), QString("TestPage"));
        QCOMPARE(capture.lines().value(0), QString("GU_TestDlg: OnInitDialog()"));
    }

    void paintsItsPictureAndTracesEachPaint()
    {
        TraceCapture capture;
        GU_TestDlg page;
        int paints = 0;
        connect(&page, &CPageDlg::painted, [&] { ++paints; });
        QTimer::singleShot(0, &page, [&] { QTRY_VERIFY(paints > 0); page.EndDialog(IDOK); });
        page.DoModal();
        QVERIFY(capture.contains("GU_TestDlg::OnPaint()"));
        QCOMPARE(page.grab().toImage().pixelColor(600, 100), QColor(Qt::darkCyan));
    }

    // Every paint starts from a freshly loaded picture: a replaced skin file shows at the next paint.
    void aReplacedPictureShowsAtTheNextPaint()
    {
        GU_TestDlg page;
        page.CreateModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        writePicture(m_dir, "T_PAGE", QSize(800, 500), Qt::darkMagenta);
        page.repaint(); // reloads after drawing
        QCOMPARE(page.grab().toImage().pixelColor(600, 100), QColor(Qt::darkMagenta));
        writePicture(m_dir, "T_PAGE", QSize(800, 500), Qt::darkCyan);
        page.repaint();
        page.close();
    }

    void staticTextsAreWhiteAndTransparentAtTheirPlaces()
    {
        GU_TestDlg page;
        page.CreateModeless();
        QLabel* label = page.Text(1007);
        QVERIFY(label);
        QCOMPARE(label->geometry(), QRect(300, 200, 250, 50));
        QCOMPARE(label->text(), QString("System Hardware (MB PCBA) :"));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!label->autoFillBackground());
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        page.SetItemText(1008, "changed");
        QCOMPARE(page.ItemText(1008), QString("changed"));
        page.ShowItem(1008, false);
        QVERIFY(page.Text(1008)->isHidden());
        page.close();
    }

    void homeTracesAndEndsThePageWithItsResult()
    {
        TraceCapture capture;
        GU_TestDlg page;
        QTimer::singleShot(0, &page, [&] {
            CMyBitmapButton* home = page.Button(1006);
            QCOMPARE(home->geometry(), QRect(40, 445, 190, 134));
            QTest::mouseClick(home, Qt::LeftButton);
        });
        QCOMPARE(page.DoModal(), IDCANCEL);
        QVERIFY(capture.contains("GU_TestDlg:OnClicked_TestHome"));
    }

    void closeChildrenWithoutChildrenOnlyReturnsZero()
    {
        GU_TestDlg page;
        page.CreateModeless();
        QCOMPARE(SendMessage(&page, WM_CLOSE_CHILDREN), LRESULT(0));
        QVERIFY(page.isVisible());
        page.close();
    }

    void escapeIsCancelAndEnterIsOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("escape") << int(Qt::Key_Escape) << IDCANCEL;
        QTest::newRow("enter") << int(Qt::Key_Return) << IDOK;
    }
    void escapeIsCancelAndEnterIsOk()
    {
        QFETCH(int, key);
        QFETCH(int, result);
        GU_TestDlg page;
        QTimer::singleShot(0, &page, [&] { QTest::keyClick(&page, static_cast<Qt::Key>(key)); });
        QCOMPARE(page.DoModal(), result);
        QCOMPARE(page.commands, std::vector<int>{result});
    }

    void onlyAClickOfOkOrCancelEndsThePage()
    {
        GU_TestDlg page;
        QTimer::singleShot(0, &page, [&] {
            // A double click (5) and a focus notification (6) of controls numbered 1 and 2.
            SendCommand(&page, IDOK, 5);
            SendCommand(&page, IDCANCEL, 6);
            QVERIFY(page.isVisible());
            SendCommand(&page, IDCANCEL, BN_CLICKED);
        });
        QCOMPARE(page.DoModal(), IDCANCEL);
        QCOMPARE(page.commands, (std::vector<int>{IDOK, IDCANCEL, IDCANCEL}));
    }

    void numberedTimersKeepTheirNumbers()
    {
        GU_TestDlg page;
        page.CreateModeless();
        page.SetTimer(102, 5);
        QTRY_VERIFY(page.timers.size() >= 2);
        page.KillTimer(102);
        QCOMPARE(page.timers.front(), 102);
        const std::size_t seen = page.timers.size();
        QTest::qWait(30);
        QCOMPARE(page.timers.size(), seen);
        page.close();
    }
};

TARVIK_QTEST_MAIN(tst_CPageDlg)
#include "tst_CPageDlg.moc"
