// The message box: its layout, the 1023-character limit, two calls in a row, and calls from worker
// threads that wait until OK without two boxes releasing each other's object.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <string>

using tarvik::qtest::TraceCapture;

namespace {

// The box on screen now, or nullptr.
GU_MyMessageboxDlg* openBox()
{
    GU_MyMessageboxDlg* box = LastMessageBox();
    return box && box->isVisible() ? box : nullptr;
}

// Presses OK on the open box once one shows.
void pressOkWhenShown()
{
    QTimer::singleShot(0, [] {
        QTRY_VERIFY(openBox());
        QTest::mouseClick(openBox()->Button(GU_MyMessageboxDlg::kOkButtonId), Qt::LeftButton);
    });
}

} // namespace

class tst_GU_MyMessageboxDlg : public QObject {
    Q_OBJECT
private slots:
    void layoutTitleAndTrace()
    {
        TraceCapture capture;
        int result = -1;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(openBox());
            GU_MyMessageboxDlg* box = openBox();
            QCOMPARE(box->windowTitle(), QString("MyMessagebox"));
            QCOMPARE(box->size(), QSize(500, 300));
            QCOMPARE(box->Button(GU_MyMessageboxDlg::kOkButtonId)->geometry(), QRect(193, 170, 114, 114));
            QLabel* text = box->Text(GU_MyMessageboxDlg::kTextId);
            QCOMPARE(text->geometry(), QRect(20, 30, 460, 100));
            QCOMPARE(text->text(), QString("Set wwan power fail!"));
            QVERIFY(text->wordWrap());
            QCOMPARE(text->palette().color(QPalette::WindowText), QColor(Qt::white));
            QTest::mouseClick(box->Button(GU_MyMessageboxDlg::kOkButtonId), Qt::LeftButton);
        });
        result = ShowMessageBox(L"Set wwan power fail!");
        QCOMPARE(result, IDCANCEL); // OK ends the box with the cancel result
        QCOMPARE(capture.lines().value(0), QString("GU_MyMessageboxDlg: OnInitDialog()"));
    }

    void textIsCutAfter1023Characters_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("1023 whole") << 1023 << 1023;
        QTest::newRow("1024 cut") << 1024 << 1023;
        QTest::newRow("5000 cut") << 5000 << 1023;
        QTest::newRow("empty") << 0 << 0;
    }
    void textIsCutAfter1023Characters()
    {
        QFETCH(int, length);
        QFETCH(int, shown);
        std::wstring text(static_cast<std::size_t>(length), L'a');
        if (length > 1023)
            text[1023] = L'b'; // the first character that must not show
        pressOkWhenShown();
        ShowMessageBox(text.c_str());
        QCOMPARE(static_cast<int>(LastMessageBox()->text().size()), shown);
        QVERIFY(!LastMessageBox()->Text(GU_MyMessageboxDlg::kTextId)->text().contains('b'));
    }

    void aNullTextShowsAnEmptyBox()
    {
        pressOkWhenShown();
        ShowMessageBox(nullptr);
        QCOMPARE(LastMessageBox()->Text(GU_MyMessageboxDlg::kTextId)->text(), QString());
    }

    // The first call returns only after OK; the second releases the first object.
    void twoCallsInARow()
    {
        pressOkWhenShown();
        ShowMessageBox(L"first");
        QPointer<GU_MyMessageboxDlg> first = LastMessageBox();
        QVERIFY(first);
        QVERIFY(!first->isVisible());
        pressOkWhenShown();
        ShowMessageBox(L"second");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(LastMessageBox()->text(), std::wstring(L"second"));
    }

    // A worker's call shows the box on the interface thread and blocks the worker until OK. The box
    // runs its own loop on the interface thread, so the test acts from a timer that ticks inside it.
    void aWorkerWaitsUntilOk()
    {
        std::atomic<bool> returned{false};
        bool stillWaitingWhileShown = false;
        bool onInterfaceThread = false;
        QElapsedTimer shownFor;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] {
            GU_MyMessageboxDlg* box = openBox();
            if (!box)
                return;
            if (!shownFor.isValid())
                shownFor.start();
            if (shownFor.elapsed() < 50)
                return;
            stillWaitingWhileShown = !returned;
            onInterfaceThread = box->thread() == qApp->thread();
            QTest::mouseClick(box->Button(GU_MyMessageboxDlg::kOkButtonId), Qt::LeftButton);
        });
        ticker.start(5);
        QThread* worker = QThread::create([&] {
            ShowMessageBox(L"Vehicle library not reachable");
            returned = true;
        });
        worker->start();
        QTRY_VERIFY(returned);
        worker->wait();
        delete worker;
        QVERIFY(stillWaitingWhileShown);
        QVERIFY(onInterfaceThread);
    }

    // Two workers at once: one box at a time; the second shows only after the first was closed,
    // neither releases the other's object while it is shown, and each caller goes on when its own
    // box closes.
    void twoWorkersAreServedOneAfterTheOther()
    {
        std::atomic<int> done{0};
        QStringList shownTexts;
        int doneWhenFirstClosed = -1;
        int doneWhenSecondClosed = -1;
        QPointer<GU_MyMessageboxDlg> current;
        bool replacedWhileShown = false;
        QElapsedTimer shownFor;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] {
            if (current && current->isVisible() && openBox() != current.data())
                replacedWhileShown = true;
            GU_MyMessageboxDlg* box = openBox();
            if (!box)
                return;
            if (box != current.data()) {
                current = box;
                shownTexts << QString::fromStdWString(box->text());
                shownFor.start();
            }
            if (shownFor.elapsed() < 50)
                return;
            if (shownTexts.size() == 1)
                doneWhenFirstClosed = done;
            else
                doneWhenSecondClosed = done;
            QTest::mouseClick(box->Button(GU_MyMessageboxDlg::kOkButtonId), Qt::LeftButton);
        });
        ticker.start(5);
        auto call = [&done](const wchar_t* text) {
            return QThread::create([&done, text] {
                ShowMessageBox(text);
                ++done;
            });
        };
        QThread* a = call(L"from A");
        QThread* b = call(L"from B");
        a->start();
        b->start();
        QTRY_COMPARE(done.load(), 2);
        a->wait();
        b->wait();
        delete a;
        delete b;
        QCOMPARE(doneWhenFirstClosed, 0);
        QCOMPARE(doneWhenSecondClosed, 1); // the first caller went on as soon as its box closed
        QCOMPARE(shownTexts.size(), 2);
        QCOMPARE(QSet<QString>(shownTexts.begin(), shownTexts.end()), (QSet<QString>{"from A", "from B"}));
        QVERIFY(!replacedWhileShown);
    }
};

TARVIK_QTEST_MAIN(tst_GU_MyMessageboxDlg)
#include "tst_GU_MyMessageboxDlg.moc"
