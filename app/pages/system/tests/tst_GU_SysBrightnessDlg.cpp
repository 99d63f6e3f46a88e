// The brightness page on the virtual board: automatic dimming per model, the slider's settings and
// place, the step buttons clamped at both ends, the dragged and released slider, and controller
// values beyond the range.

#include "SystemPageTest.h"
#include "TraceCapture.h"

#include "CBitmapSlider.h"
#include "CMyBitmapButton.h"
#include "GU_SysBrightnessDlg.h"

#include <QMouseEvent>
#include <QRegularExpression>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;
using Page = GU_SysBrightnessDlg;

namespace {

bool shown(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isVisible(); }

QStringList pageLines(TraceCapture& capture)
{
    return capture.lines().filter(QRegularExpression("^(?!.*::OnPaint\\(\\))"));
}

void mouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButtons buttons)
{
    const QPointF at(x, widget->height() / 2);
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class tst_GU_SysBrightnessDlg : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(createBoard("KTA"));
        setHardType({});
    }

    void dimmingPerModel_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("dimming");
        QTest::addColumn<bool>("switchShown");
        QTest::newRow("GX58, on") << "GX58" << "1" << true;
        QTest::newRow("GX58, off") << "GX58" << "0" << true;
        QTest::newRow("RQ63_L") << "RQ63_L" << "1" << false;
        QTest::newRow("RQ63_H") << "RQ63_H" << "1" << false;
        QTest::newRow("RQ81") << "RQ81" << "1" << true;
        QTest::newRow("RQ72") << "RQ72" << "0" << true;
        QTest::newRow("unknown type") << "KX99" << "1" << true;
    }
    void dimmingPerModel()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, dimming);
        QFETCH(bool, switchShown);
        setHardType(hardType);
        QVERIFY(powerSet("AutoDimming", dimming));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.windowTitle(), QString("SystemBrightness"));
            QCOMPARE(shown(page, Page::kAutoDimmingId), switchShown);
            QCOMPARE(page.GetDlgItem(Page::kAutoDimmingId)->isEnabled(), switchShown);
            QCOMPARE(page.Button(Page::kAutoDimmingId)->state(), dimming.toInt());
        });
        const QStringList lines = pageLines(capture);
        QCOMPARE(lines.value(0), QString("GU_SysBrightnessDlg: OnInitDialog()"));
        QVERIFY(lines.contains(QString("PROJECT HARD_TYPE = <%1>").arg(hardType)));
    }

    void dimmingSwitch()
    {
        QVERIFY(powerSet("AutoDimming", "0"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kAutoDimmingId), Qt::LeftButton);
            QCOMPARE(powerValue(PowerValue::AutoDimming), 1);
            QTest::mouseClick(page.Button(Page::kAutoDimmingId), Qt::LeftButton);
            QCOMPARE(powerValue(PowerValue::AutoDimming), 0);
        });
        QCOMPARE(pageLines(capture).filter("AutoDimming"),
                 (QStringList{"GU_SysBrightnessDlg:OnClicked_SysbrightnessAutoDimming <1>",
                              "GU_SysBrightnessDlg:OnClicked_SysbrightnessAutoDimming <0>"}));
    }

    void slider()
    {
        QVERIFY(powerSet("Brightness", "40"));
        Page page;
        runPage(page, [&] {
            CBitmapSlider* slider = page.Slider();
            QVERIFY(slider);
            QCOMPARE(slider->parentWidget(), &page);
            QCOMPARE(slider->controlId(), Page::kSliderId);
            QCOMPARE(slider->geometry(), QRect(461, 365, 213, 30));
            QVERIFY(slider->isVisible());
            QCOMPARE(slider->GetRangeMin(), 0);
            QCOMPARE(slider->GetRangeMax(), 100);
            QCOMPARE(slider->GetPosition(), 40);
            // 10 pixels kept free at each end beside the 30-pixel thumb: the thumb's centre at
            // the range's ends sits 10 + 15 pixels in.
            QCOMPARE(slider->Pos2Pixel(0), 10 + 15);
            QVERIFY(qAbs(slider->Pos2Pixel(100) - (213 - 10 - 15)) <= 1);
            const struct {
                int id;
                QPoint at;
            } places[] = {{Page::kHomeId, {40, 445}}, {Page::kAutoDimmingId, {357, 198}},
                          {Page::kStepDownId, {356, 313}}, {Page::kStepUpId, {686, 313}}};
            for (const auto& place : places)
                QCOMPARE(page.GetDlgItem(place.id)->pos(), place.at);
        });
    }

    // Values beyond the range put the thumb at the end; nothing is sent at opening.
    void libraryValueClamped_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("position");
        QTest::newRow("150") << "150" << 100;
        QTest::newRow("101") << "101" << 100;
        QTest::newRow("-5") << "-5" << 0;
    }
    void libraryValueClamped()
    {
        QFETCH(QString, value);
        QFETCH(int, position);
        QVERIFY(powerSet("Brightness", value));
        Page page;
        runPage(page, [&] { QCOMPARE(page.Slider()->GetPosition(), position); });
        QCOMPARE(powerValue(PowerValue::Brightness), value.toInt());
    }

    void steps_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("to");
        QTest::newRow("95 up") << 95 << true << 100;
        QTest::newRow("100 up") << 100 << true << 100;
        QTest::newRow("40 up") << 40 << true << 50;
        QTest::newRow("5 down") << 5 << false << 0;
        QTest::newRow("0 down") << 0 << false << 0;
        QTest::newRow("40 down") << 40 << false << 30;
        QTest::newRow("150 down") << 150 << false << 90;
    }
    void steps()
    {
        QFETCH(int, from);
        QFETCH(bool, up);
        QFETCH(int, to);
        QVERIFY(powerSet("Brightness", QString::number(from)));
        Page page;
        runPage(page, [&] {
            // Someone else changes the backlight while the page is open: a step sends its value
            // even when it equals the one the slider had.
            QVERIFY(powerSet("Brightness", "77"));
            QTest::mouseClick(page.Button(up ? Page::kStepUpId : Page::kStepDownId), Qt::LeftButton);
            QCOMPARE(page.Slider()->GetPosition(), to);
            QCOMPARE(powerValue(PowerValue::Brightness), to);
        });
    }

    // A failed set changes nothing on the page: the slider stays where the user put it.
    void failedSetKeepsSlider()
    {
        QVERIFY(powerSet("Brightness", "50"));
        QVERIFY(kestromFail("vBC_BrightnessValueSet"));
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kStepUpId), Qt::LeftButton);
            QCOMPARE(page.Slider()->GetPosition(), 60);
        });
        QCOMPARE(powerValue(PowerValue::Brightness), 50);
        QVERIFY(boxes.texts.isEmpty());
    }

    // Dragging sends every position as the thumb moves; the release sends the last one again.
    void dragAndRelease()
    {
        QVERIFY(powerSet("Brightness", "20"));
        TraceCapture capture;
        Page page;
        QList<int> moved;
        runPage(page, [&] {
            CBitmapSlider* slider = page.Slider();
            mouse(slider, QEvent::MouseButtonPress, slider->Pos2Pixel(20), Qt::LeftButton);
            QCoreApplication::processEvents();
            capture.clear(); // a press a pixel off the centre may move the thumb by one already
            for (int target : {50, 80}) {
                mouse(slider, QEvent::MouseMove, slider->Pos2Pixel(target), Qt::LeftButton);
                const int position = slider->GetPosition();
                QVERIFY2(qAbs(position - target) <= 1, qPrintable(QString::number(position)));
                moved << position;
                QTRY_COMPARE(powerValue(PowerValue::Brightness), position);
            }
            QVERIFY(powerSet("Brightness", "0")); // so that the release is seen to send
            mouse(slider, QEvent::MouseButtonRelease, slider->Pos2Pixel(80), Qt::NoButton);
            QTRY_COMPARE(powerValue(PowerValue::Brightness), moved.last());
            QCOMPARE(slider->GetPosition(), moved.last());
        });
        QCOMPARE(pageLines(capture).filter("Slider"),
                 (QStringList{QString("Brightness Slider Moving Position=<%1>").arg(moved[0]),
                              QString("Brightness Slider Moving Position=<%1>").arg(moved[1]),
                              QString("OnSliderMoved:Brightness Slider Moved Position=<%1>").arg(moved[1])}));
    }

    // The close-children message closes nothing here and leaves the backlight as it was.
    void closeChildrenChangesNothing()
    {
        QVERIFY(powerSet("Brightness", "30"));
        Page page;
        runPage(page, [&] {
            SendMessage(&page, WM_CLOSE_CHILDREN);
            QVERIFY(page.isVisible());
            QCOMPARE(page.Slider()->GetPosition(), 30);
        });
        QCOMPARE(powerValue(PowerValue::Brightness), 30);
    }

    void homeClosesPage()
    {
        TraceCapture capture;
        Page page;
        QCOMPARE(runPage(page, [&] { QTest::mouseClick(page.Button(Page::kHomeId), Qt::LeftButton); }), IDCANCEL);
        QVERIFY(pageLines(capture).contains("GU_SysBrightnessDlg:OnClicked_SysBrightnessHome"));
    }
};

TARVIK_QTEST_MAIN(tst_GU_SysBrightnessDlg)
#include "tst_GU_SysBrightnessDlg.moc"
