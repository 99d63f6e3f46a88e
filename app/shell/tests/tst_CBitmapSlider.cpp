// The bitmap slider: its geometry formulas, mouse (press near and far from the thumb, drag, release
// without a move), keys, the messages it posts to its parent, what it draws (active channel and
// thumb, vertical, centring, transparency, focus rectangle), masks and degenerate geometry.

#include "QtTestEnvironment.h"

#include "CBitmapSlider.h"

#include <vector>

namespace {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class Parent : public QWidget {
public:
    std::vector<Message> messages;
    std::vector<Message> take()
    {
        QCoreApplication::processEvents();
        return std::exchange(messages, {});
    }

protected:
    bool event(QEvent* event) override
    {
        if (CWndMessageEvent* m = AsWndMessage(event)) {
            messages.push_back({m->message, m->wParam, m->lParam});
            return true;
        }
        return QWidget::event(event);
    }
};

QImage solid(int w, int h, QColor c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

// A picture of one colour with a one-pixel magenta frame: magenta, its top-left colour, is the
// transparent colour, so the frame is see-through and the rest shows.
QImage framed(int w, int h, QColor c)
{
    QImage image = solid(w, h, Qt::magenta);
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x)
            image.setPixelColor(x, y, c);
    return image;
}

constexpr int kControlId = 9;

} // namespace

class tst_CBitmapSlider : public QObject {
    Q_OBJECT
private:
    Parent* m_parent = nullptr;
    CBitmapSlider* m_slider = nullptr;

    // The brightness page's slider: 213 x 30, thumb 30 x 30, margins 10 left and right, 0 .. 100.
    void makeSlider()
    {
        m_parent = new Parent;
        m_parent->resize(400, 100);
        m_slider = new CBitmapSlider(m_parent, kControlId);
        m_slider->move(20, 20);
        m_slider->SetChannelImage(solid(213, 30, Qt::darkBlue));
        m_slider->SetThumbImage(solid(30, 30, Qt::white));
        m_slider->SetRange(0, 100);
        m_slider->SetMargins(10, 0, 10, 0);
        m_parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_parent));
        m_parent->take();
    }
    QPoint at(int pixel) const { return QPoint(pixel, 15); }

private slots:
    void init() { makeSlider(); }
    void cleanup()
    {
        delete m_parent;
        m_parent = nullptr;
    }

    void geometryOfTheBrightnessSlider_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("pixel");
        QTest::newRow("minimum") << 0 << 25;
        QTest::newRow("maximum") << 100 << 188;
        QTest::newRow("middle") << 50 << 106;
    }
    void geometryOfTheBrightnessSlider()
    {
        QFETCH(int, position);
        QFETCH(int, pixel);
        QCOMPARE(m_slider->size(), QSize(213, 30));
        QCOMPARE(m_slider->Pos2Pixel(position), pixel);
    }

    void pixelToPositionTruncates()
    {
        QCOMPARE(m_slider->Pixel2Pos(106), 49); // (int)(81 / 163 * 100)
        QCOMPARE(m_slider->Pixel2Pos(25), 0);
        QCOMPARE(m_slider->Pixel2Pos(188), 100);
    }

    void keysMoveAndAlwaysPostTheMovedMessage_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("page down clamps") << 95 << int(Qt::Key_PageDown) << 100;
        QTest::newRow("page up") << 50 << int(Qt::Key_PageUp) << 30;
        QTest::newRow("page up clamps") << 5 << int(Qt::Key_PageUp) << 0;
        QTest::newRow("home at home") << 0 << int(Qt::Key_Home) << 0;
        QTest::newRow("end at end") << 100 << int(Qt::Key_End) << 100;
        QTest::newRow("end") << 3 << int(Qt::Key_End) << 100;
        QTest::newRow("left") << 3 << int(Qt::Key_Left) << 2;
        QTest::newRow("up") << 3 << int(Qt::Key_Up) << 2;
        QTest::newRow("right at end") << 100 << int(Qt::Key_Right) << 100;
        QTest::newRow("down") << 3 << int(Qt::Key_Down) << 4;
    }
    void keysMoveAndAlwaysPostTheMovedMessage()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, expected);
        m_slider->SetPosition(start);
        QTest::keyClick(m_slider, static_cast<Qt::Key>(key));
        QCOMPARE(m_slider->GetPosition(), expected);
        const auto messages = m_parent->take();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].message, WM_BITMAPSLIDER_MOVED);
        QCOMPARE(messages[0].wParam, WPARAM(kControlId));
        QCOMPARE(messages[0].lParam, LPARAM(expected));
    }

    void aPressOnTheThumbDragsWithoutAJump()
    {
        m_slider->SetPosition(50); // centre at 106
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(111));
        QCOMPARE(m_slider->GetPosition(), 50);
        QVERIFY(m_parent->take().empty());
        QVERIFY(m_slider->IsDragging());

        // Dragging keeps the 5-pixel offset: the pointer at 131 puts the centre at 126.
        QMouseEvent move(QEvent::MouseMove, QPointF(at(131)), m_slider->mapToGlobal(QPointF(at(131))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_slider, &move);
        QCOMPARE(m_slider->GetPosition(), m_slider->Pixel2Pos(126));
        const auto moving = m_parent->take();
        QCOMPARE(moving.size(), std::size_t(1));
        QCOMPARE(moving[0].message, WM_BITMAPSLIDER_MOVING);
        QCOMPARE(moving[0].lParam, LPARAM(m_slider->GetPosition()));

        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(131));
        const auto moved = m_parent->take();
        QCOMPARE(moved.size(), std::size_t(1));
        QCOMPARE(moved[0].message, WM_BITMAPSLIDER_MOVED);
    }

    void aPressAwayFromTheThumbJumpsAndPostsMovingAtOnce()
    {
        m_slider->SetPosition(50); // centre at 106
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(146));
        QCOMPARE(m_slider->GetPosition(), m_slider->Pixel2Pos(146));
        const auto messages = m_parent->take();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].message, WM_BITMAPSLIDER_MOVING);
        QCOMPARE(messages[0].wParam, WPARAM(kControlId));
        QCOMPARE(messages[0].lParam, LPARAM(m_slider->Pixel2Pos(146)));
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(146));
    }

    void aDragStopsAtTheMargins()
    {
        m_slider->SetPosition(50);
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(106));
        QMouseEvent move(QEvent::MouseMove, QPointF(at(500)), m_slider->mapToGlobal(QPointF(at(500))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_slider, &move);
        QCOMPARE(m_slider->GetPosition(), 100);
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(500));
    }

    void releaseWithoutAMoveStillPostsMoved()
    {
        m_slider->SetPosition(42);
        QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(m_slider->Pos2Pixel(42)));
        const auto messages = m_parent->take();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].message, WM_BITMAPSLIDER_MOVED);
        QCOMPARE(messages[0].lParam, LPARAM(42));
    }

    void aDoubleClickPostsTheCommand()
    {
        QTest::mouseDClick(m_slider, Qt::LeftButton, {}, at(m_slider->Pos2Pixel(0)));
        bool command = false;
        for (const Message& m : m_parent->take()) {
            if (m.message == WM_COMMAND_MSG) {
                command = true;
                QCOMPARE(CommandId(m.wParam), kControlId);
                QCOMPARE(CommandCode(m.wParam), 5);
                QCOMPARE(m.lParam, reinterpret_cast<LPARAM>(m_slider));
            }
        }
        QVERIFY(command);
    }

    void aDisabledSliderIgnoresMouseAndKeys()
    {
        m_slider->SetPosition(10);
        m_slider->EnableSlider(false);
        QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(150));
        QTest::keyClick(m_slider, Qt::Key_End);
        QCOMPARE(m_slider->GetPosition(), 10);
        QVERIFY(m_parent->take().empty());
    }

    void ownNotificationNumbers()
    {
        m_slider->SetNotifyMessages(0x900, 0x901);
        m_slider->SetPosition(10);
        QTest::keyClick(m_slider, Qt::Key_Right);
        const auto messages = m_parent->take();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].message, UINT(0x901));
    }

    void theThumbIsDrawnThroughItsMask()
    {
        // A white thumb with magenta corners over a dark blue channel: the corners show the channel.
        QImage thumb = solid(30, 30, Qt::magenta);
        for (int y = 5; y < 25; ++y)
            for (int x = 5; x < 25; ++x)
                thumb.setPixelColor(x, y, Qt::white);
        m_slider->SetThumbImage(thumb);
        m_slider->SetPosition(0); // thumb from x 10 to 40
        const QImage shown = m_slider->grab().toImage();
        QCOMPARE(shown.pixelColor(11, 1), QColor(Qt::darkBlue));
        QCOMPARE(shown.pixelColor(25, 15), QColor(Qt::white));
    }

    // Pictures of the slider as it is shown: the parent's too, for what shows through.
    QImage shown() const { return m_slider->grab().toImage(); }

    void anActiveChannelFillsTheNearSideOfAnEnabledSlider()
    {
        m_slider->SetChannelImage(solid(213, 30, Qt::darkBlue), solid(213, 30, Qt::green));
        m_slider->SetPosition(50); // thumb centre 106, thumb from 91 to 121
        QCOMPARE(shown().pixelColor(50, 15), QColor(Qt::green));
        QCOMPARE(shown().pixelColor(150, 15), QColor(Qt::darkBlue));
        m_slider->EnableSlider(false);
        QCOMPARE(shown().pixelColor(50, 15), QColor(Qt::darkBlue));
    }

    void theActiveThumbShowsOnlyWhileDragging()
    {
        m_slider->SetThumbImage(framed(30, 30, Qt::white), framed(30, 30, Qt::red));
        m_slider->SetPosition(50);
        QCOMPARE(shown().pixelColor(106, 15), QColor(Qt::white));
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(106));
        QCOMPARE(shown().pixelColor(106, 15), QColor(Qt::red));
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(106));
        QCOMPARE(shown().pixelColor(106, 15), QColor(Qt::white));
    }

    void aVerticalSliderMeasuresDownwardsFromTheTopMargin()
    {
        m_slider->SetVertical(true);
        m_slider->SetChannelImage(solid(30, 213, Qt::darkBlue));
        m_slider->SetThumbImage(framed(20, 30, Qt::white));
        m_slider->SetMargins(5, 10, 0, 10);
        QCOMPARE(m_slider->Pos2Pixel(0), 25);
        QCOMPARE(m_slider->Pos2Pixel(100), 188);
        m_slider->SetPosition(100); // thumb from x 5 (left margin), y 173 to 203
        const QImage picture = shown();
        QCOMPARE(picture.pixelColor(6, 188), QColor(Qt::white));
        QCOMPARE(picture.pixelColor(27, 188), QColor(Qt::darkBlue));
        QCOMPARE(picture.pixelColor(15, 100), QColor(Qt::darkBlue));
        QTest::mousePress(m_slider, Qt::LeftButton, {}, QPoint(15, 106));
        QCOMPARE(m_slider->GetPosition(), 49);
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, QPoint(15, 106));
    }

    void aLowChannelIsCentredAcrossTheSlider()
    {
        m_slider->SetChannelImage(solid(213, 10, Qt::darkBlue));
        m_slider->SetThumbImage(solid(30, 30, Qt::white)); // makes the slider 30 high
        m_slider->SetPosition(0);
        QCOMPARE(m_slider->height(), 30);
        const QImage picture = shown();
        QCOMPARE(picture.pixelColor(150, 15), QColor(Qt::darkBlue));
        QVERIFY(picture.pixelColor(150, 5) != QColor(Qt::darkBlue));
        QVERIFY(picture.pixelColor(150, 25) != QColor(Qt::darkBlue));
    }

    void aTransparentChannelLetsTheBackgroundShow()
    {
        m_parent->setAutoFillBackground(true);
        QPalette palette = m_parent->palette();
        palette.setColor(QPalette::Window, Qt::yellow);
        m_parent->setPalette(palette);
        QImage channel = solid(213, 30, Qt::magenta); // magenta: the transparent colour
        for (int x = 0; x < 213; ++x)
            for (int y = 12; y < 18; ++y)
                channel.setPixelColor(x, y, Qt::darkBlue);
        m_slider->SetChannelImage(channel, {}, true);
        m_slider->SetPosition(100);
        const QImage picture = m_parent->grab().toImage();
        const QPoint origin = m_slider->pos();
        QCOMPARE(picture.pixelColor(origin + QPoint(60, 5)), QColor(Qt::yellow));
        QCOMPARE(picture.pixelColor(origin + QPoint(60, 15)), QColor(Qt::darkBlue));
    }

    void theFocusRectangleFollowsTheFocusWhenWanted()
    {
        m_slider->SetPosition(100); // the thumb out of the way, at the far end
        auto whiteOnTopRow = [this] {
            const QImage picture = shown();
            int white = 0;
            for (int x = 0; x < 150; ++x)
                white += picture.pixelColor(x, 0) == QColor(Qt::white);
            return white;
        };
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(m_slider, &out);
        QCOMPARE(whiteOnTopRow(), 0);
        QFocusEvent in(QEvent::FocusIn);
        QCoreApplication::sendEvent(m_slider, &in);
        QVERIFY(whiteOnTopRow() > 20);
        m_slider->SetDrawFocusRect(false);
        QCOMPARE(whiteOnTopRow(), 0);
        m_slider->SetDrawFocusRect(true);
        m_slider->EnableSlider(false);
        QCOMPARE(whiteOnTopRow(), 0);
    }

    void maskMakesTheCornerColourTransparent()
    {
        QImage image = solid(4, 4, Qt::magenta);
        image.setPixelColor(2, 2, Qt::green);
        const QImage masked = CBitmapSlider::MakeMasked(image);
        QCOMPARE(qAlpha(masked.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(masked.pixel(3, 1)), 0);
        QCOMPARE(masked.pixelColor(2, 2), QColor(Qt::green));
    }

    // No room for the thumb, or an empty range: no geometry of its own, and no crash.
    void degenerateSlidersStayAtTheirMinimum()
    {
        CBitmapSlider narrow(m_parent);
        narrow.SetChannelImage(solid(20, 30, Qt::black));
        narrow.SetThumbImage(solid(30, 30, Qt::white));
        narrow.SetRange(0, 100);
        QCOMPARE(narrow.Pixel2Pos(7), 0);
        QCOMPARE(narrow.Pos2Pixel(80), 15);

        m_slider->SetRange(5, 5);
        QCOMPARE(m_slider->Pixel2Pos(150), 5);
        QCOMPARE(m_slider->Pos2Pixel(5), 25);
        QTest::keyClick(m_slider, Qt::Key_End);
        QCOMPARE(m_slider->GetPosition(), 5);
    }
};

TARVIK_QTEST_MAIN(tst_CBitmapSlider)
#include "tst_CBitmapSlider.moc"
