// The bitmap button: the press rule (0 and 1 flip, 2 and 3 stay), the disabled slot, loading and its
// traces, sizing to the slot-0 picture and immediate redraw.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "CMyBitmapButton.h"
#include "SkinStore.h"

#include <QFile>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::TraceCapture;
using tarvik::qtest::writePicture;

namespace {
const QSize kSize(60, 40);
}

class tst_CMyBitmapButton : public QObject {
    Q_OBJECT
private:
    QString m_dir;

    static QColor shownColour(CMyBitmapButton& button)
    {
        return button.grab().toImage().pixelColor(5, 5);
    }

private slots:
    void initTestCase()
    {
        m_dir = QtTestEnvironment::instance().makeDir("pictures");
        writePicture(m_dir, "T_NORMAL", kSize, Qt::red);
        writePicture(m_dir, "T_SELECTED", kSize, Qt::green);
        writePicture(m_dir, "T_THIRD", kSize, Qt::blue);
        writePicture(m_dir, "T_FOURTH", kSize, Qt::yellow);
        qputenv("TARVIK_SKIN_DIR", QFile::encodeName(m_dir));
        SkinStore::ClearCache();
    }

    void eachPressFlipsBetweenZeroAndOne()
    {
        CMyBitmapButton button;
        QVERIFY(button.LoadBitmaps("T_NORMAL", "T_SELECTED"));
        button.PlaceAt(10, 20);
        button.show();
        QCOMPARE(button.state(), 0);
        QCOMPARE(button.mode(), 0);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.state(), 1);
        QCOMPARE(shownColour(button), QColor(Qt::green));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.state(), 0);
        QCOMPARE(shownColour(button), QColor(Qt::red));
    }

    // The state flips when the button goes down, before the click handler runs.
    void theFlipHappensAtThePress()
    {
        CMyBitmapButton button;
        button.LoadBitmaps("T_NORMAL", "T_SELECTED");
        button.show();
        int stateSeenByHandler = -1;
        connect(&button, &QAbstractButton::clicked, [&] { stateSeenByHandler = button.state(); });
        QTest::mousePress(&button, Qt::LeftButton);
        QCOMPARE(button.state(), 1);
        QTest::mouseRelease(&button, Qt::LeftButton);
        QCOMPARE(stateSeenByHandler, 1);
    }

    void aPlainButtonLooksTheSameAfterAPress()
    {
        CMyBitmapButton button;
        button.LoadBitmaps("T_NORMAL", "T_NORMAL");
        button.show();
        const QImage before = button.grab().toImage();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.grab().toImage(), before);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.state(), 0);
    }

    void statesTwoAndThreeAreNotChangedByPresses_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("2") << 2 << QColor(Qt::blue);
        QTest::newRow("3") << 3 << QColor(Qt::yellow);
    }
    void statesTwoAndThreeAreNotChangedByPresses()
    {
        QFETCH(int, state);
        QFETCH(QColor, colour);
        CMyBitmapButton button;
        button.LoadBitmaps("T_NORMAL", "T_SELECTED", "T_THIRD", "T_FOURTH");
        button.show();
        button.setState(state);
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.state(), state);
        QCOMPARE(shownColour(button), colour);
    }

    void disabledShowsTheFourthSlotWhenItHasOne()
    {
        CMyBitmapButton withFourth;
        withFourth.LoadBitmaps("T_NORMAL", "T_SELECTED", nullptr, "T_FOURTH");
        withFourth.setState(1);
        withFourth.setEnabled(false);
        QCOMPARE(shownColour(withFourth), QColor(Qt::yellow));

        CMyBitmapButton withoutFourth;
        withoutFourth.LoadBitmaps("T_NORMAL", "T_SELECTED");
        withoutFourth.setState(1);
        withoutFourth.setEnabled(false);
        QCOMPARE(shownColour(withoutFourth), QColor(Qt::green)); // the current state's picture
        withoutFourth.show();
        QTest::mouseClick(&withoutFourth, Qt::LeftButton);
        QCOMPARE(withoutFourth.state(), 1); // a disabled button does not react
    }

    void loadingTracesWhatFails()
    {
        TraceCapture capture;
        CMyBitmapButton button;
        QVERIFY(!button.LoadBitmaps("T_MISSING", "T_SELECTED"));
        QCOMPARE(capture.lines(),
                 (QStringList{"Failed to load bitmap for normal image.", "lpszBitmapResource=<T_MISSING>"}));
        QVERIFY(button.image(0).isNull());
        QVERIFY(button.image(1).isNull()); // nothing loaded after the normal picture failed

        capture.clear();
        QVERIFY(!button.LoadBitmaps("T_NORMAL", "T_ALSO_MISSING"));
        QCOMPARE(capture.lines(), QStringList{"Failed to load bitmap for selected image.\n"});
        QVERIFY(!button.image(0).isNull());
    }

    void loadingReleasesTheOldPictures()
    {
        CMyBitmapButton button;
        button.LoadBitmaps("T_NORMAL", "T_SELECTED", "T_THIRD", "T_FOURTH");
        button.LoadBitmaps("T_NORMAL");
        QVERIFY(button.image(1).isNull());
        QVERIFY(button.image(2).isNull());
        QVERIFY(button.image(3).isNull());
    }

    // A page calls RedrawNow before a long piece of work: the new face must be painted at once, not
    // when the event loop next runs.
    void redrawNowPaintsBeforeReturning()
    {
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        CMyBitmapButton button;
        QVERIFY(button.LoadBitmaps("T_NORMAL", "T_SELECTED"));
        button.PlaceAt(0, 0);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        button.installEventFilter(&counter);
        button.RedrawNow();
        QCOMPARE(counter.paints, 1);
        button.update();
        QCOMPARE(counter.paints, 1); // an ordinary update waits for the event loop
    }

    void sizesToItsSlotZeroPictureWithoutMoving()
    {
        CMyBitmapButton button;
        button.setGeometry(7, 8, 300, 300);
        button.LoadBitmaps("T_NORMAL");
        button.SizeToContent();
        QCOMPARE(button.geometry(), QRect(QPoint(7, 8), kSize));
        button.PlaceAt(40, 445);
        QCOMPARE(button.geometry(), QRect(QPoint(40, 445), kSize));

        CMyBitmapButton empty;
        empty.setGeometry(1, 2, 3, 4);
        empty.SizeToContent(); // no picture: the button keeps its size
        QCOMPARE(empty.geometry(), QRect(1, 2, 3, 4));
    }
};

TARVIK_QTEST_MAIN(tst_CMyBitmapButton)
#include "tst_CMyBitmapButton.moc"
