#include "Icons.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace skin {

namespace {

// Icons are designed on a 100 x 100 grid with this stroke.
constexpr double kGrid = 100.0;
constexpr double kStroke = 7.0;

QPointF polar(QPointF centre, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return {centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a)};
}

void arc(QPainter& p, QPointF centre, double radius, double startDeg, double spanDeg)
{
    const QRectF r(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(r, static_cast<int>(startDeg * 16), static_cast<int>(spanDeg * 16));
}

void waves(QPainter& p, QPointF centre, double first, double step, int count, double startDeg, double spanDeg)
{
    for (int i = 0; i < count; ++i)
        arc(p, centre, first + i * step, startDeg, spanDeg);
}

void sun(QPainter& p, double core, double rayInner, double rayOuter)
{
    const QPointF centre(50, 50);
    p.drawEllipse(centre, core, core);
    for (int i = 0; i < 8; ++i)
        p.drawLine(polar(centre, rayInner, i * 45.0), polar(centre, rayOuter, i * 45.0));
}

void mast(QPainter& p)
{
    p.drawLine(QPointF(50, 45), QPointF(50, 92));
    p.drawLine(QPointF(50, 52), QPointF(34, 92));
    p.drawLine(QPointF(50, 52), QPointF(66, 92));
    p.drawEllipse(QPointF(50, 42), 5, 5);
}

void drawShape(QPainter& p, Icon icon, const QColor& c)
{
    const QPointF centre(50, 50);
    switch (icon) {
    case Icon::None: break;
    case Icon::Info:
        p.drawEllipse(centre, 40, 40);
        p.drawLine(QPointF(50, 45), QPointF(50, 74));
        p.setBrush(c);
        p.drawEllipse(QPointF(50, 30), 4, 4);
        break;
    case Icon::Car: {
        QPainterPath body;
        body.moveTo(10, 68);
        body.lineTo(10, 52);
        body.lineTo(22, 48);
        body.lineTo(32, 30);
        body.lineTo(68, 30);
        body.lineTo(80, 48);
        body.lineTo(90, 52);
        body.lineTo(90, 68);
        body.closeSubpath();
        p.drawPath(body);
        p.drawLine(QPointF(22, 48), QPointF(80, 48));
        p.drawEllipse(QPointF(28, 70), 9, 9);
        p.drawEllipse(QPointF(72, 70), 9, 9);
        break;
    }
    case Icon::Antenna:
        mast(p);
        waves(p, QPointF(50, 42), 16, 13, 2, -50, 100);
        waves(p, QPointF(50, 42), 16, 13, 2, 130, 100);
        break;
    case Icon::Gear: {
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const double a0 = i * 180.0 / teeth - 8;
            const double a1 = i * 180.0 / teeth + 8;
            const double r = (i % 2 == 0) ? 40 : 31;
            if (i == 0)
                gear.moveTo(polar(centre, r, a0));
            else
                gear.lineTo(polar(centre, r, a0));
            gear.lineTo(polar(centre, r, a1));
        }
        gear.closeSubpath();
        p.drawPath(gear);
        p.drawEllipse(centre, 12, 12);
        break;
    }
    case Icon::Pin: {
        QPainterPath pin;
        pin.moveTo(50, 92);
        pin.cubicTo(30, 66, 20, 54, 20, 40);
        pin.arcTo(QRectF(20, 10, 60, 60), 180, -180);
        pin.cubicTo(80, 54, 70, 66, 50, 92);
        p.drawPath(pin);
        p.drawEllipse(QPointF(50, 40), 11, 11);
        break;
    }
    case Icon::Exit:
        p.drawPolyline(QPolygonF({QPointF(58, 28), QPointF(58, 12), QPointF(14, 12), QPointF(14, 88), QPointF(58, 88),
                                  QPointF(58, 72)}));
        p.drawLine(QPointF(36, 50), QPointF(90, 50));
        p.drawPolyline(QPolygonF({QPointF(74, 34), QPointF(90, 50), QPointF(74, 66)}));
        break;
    case Icon::Home:
        p.drawPolyline(QPolygonF({QPointF(8, 50), QPointF(50, 12), QPointF(92, 50)}));
        p.drawPolyline(QPolygonF({QPointF(22, 40), QPointF(22, 88), QPointF(78, 88), QPointF(78, 40)}));
        p.drawPolyline(QPolygonF({QPointF(42, 88), QPointF(42, 62), QPointF(58, 62), QPointF(58, 88)}));
        break;
    case Icon::Wifi:
        waves(p, QPointF(50, 82), 22, 20, 3, 45, 90);
        p.setBrush(c);
        p.drawEllipse(QPointF(50, 80), 5, 5);
        break;
    case Icon::Bluetooth:
        p.drawPolyline(QPolygonF({QPointF(30, 32), QPointF(68, 66), QPointF(50, 84), QPointF(50, 16), QPointF(68, 34),
                                  QPointF(30, 68)}));
        break;
    case Icon::Signal:
        for (int i = 0; i < 4; ++i) {
            const double x = 18 + i * 20;
            const double top = 80 - (i + 1) * 15;
            p.drawRoundedRect(QRectF(x, top, 10, 84 - top), 2, 2);
        }
        break;
    case Icon::Sim: {
        QPainterPath card;
        card.moveTo(22, 10);
        card.lineTo(62, 10);
        card.lineTo(80, 28);
        card.lineTo(80, 90);
        card.lineTo(22, 90);
        card.closeSubpath();
        p.drawPath(card);
        p.drawRoundedRect(QRectF(34, 44, 34, 32), 4, 4);
        p.drawLine(QPointF(51, 44), QPointF(51, 76));
        break;
    }
    case Icon::Satellite:
        p.save();
        p.translate(56, 44);
        p.rotate(-45);
        p.drawEllipse(QPointF(0, 0), 10, 10);
        for (double side : {-1.0, 1.0}) {
            const double x = side < 0 ? -46 : 14;
            p.drawRect(QRectF(x + 4, -11, 28, 22));
            p.drawLine(QPointF(x + 18, -11), QPointF(x + 18, 11));
            p.drawLine(QPointF(side < 0 ? -14 : 10, 0), QPointF(side < 0 ? -10 : 18, 0));
        }
        p.restore();
        waves(p, QPointF(26, 74), 10, 11, 2, 180, 90);
        break;
    case Icon::Map:
        p.drawPolygon(QPolygonF({QPointF(10, 22), QPointF(36, 12), QPointF(64, 22), QPointF(90, 12), QPointF(90, 78),
                                 QPointF(64, 88), QPointF(36, 78), QPointF(10, 88)}));
        p.drawLine(QPointF(36, 12), QPointF(36, 78));
        p.drawLine(QPointF(64, 22), QPointF(64, 88));
        break;
    case Icon::SunSmall: sun(p, 12, 22, 30); break;
    case Icon::SunLarge: sun(p, 18, 28, 44); break;
    case Icon::Power:
        arc(p, centre, 36, 120, -300);
        p.drawLine(QPointF(50, 8), QPointF(50, 48));
        break;
    case Icon::Battery:
        p.drawRoundedRect(QRectF(8, 28, 76, 44), 6, 6);
        p.drawLine(QPointF(92, 42), QPointF(92, 58));
        p.drawLine(QPointF(20, 40), QPointF(20, 60));
        p.drawLine(QPointF(34, 40), QPointF(34, 60));
        p.drawLine(QPointF(48, 40), QPointF(48, 60));
        break;
    case Icon::Plug:
        p.drawPolygon(QPolygonF({QPointF(10, 30), QPointF(90, 30), QPointF(80, 70), QPointF(20, 70)}));
        for (int i = 0; i < 5; ++i)
            p.drawPoint(QPointF(26 + i * 12, 44));
        for (int i = 0; i < 4; ++i)
            p.drawPoint(QPointF(32 + i * 12, 57));
        break;
    case Icon::Stopwatch:
        p.drawEllipse(QPointF(50, 56), 34, 34);
        p.drawLine(QPointF(50, 56), QPointF(50, 34));
        p.drawLine(QPointF(50, 56), QPointF(64, 66));
        p.drawLine(QPointF(42, 10), QPointF(58, 10));
        p.drawLine(QPointF(50, 10), QPointF(50, 22));
        break;
    case Icon::Alarm:
        p.drawEllipse(QPointF(50, 54), 32, 32);
        p.drawLine(QPointF(50, 54), QPointF(50, 34));
        p.drawLine(QPointF(50, 54), QPointF(64, 54));
        arc(p, QPointF(22, 22), 12, 20, 120);
        arc(p, QPointF(78, 22), 12, 40, 120);
        p.drawLine(QPointF(28, 84), QPointF(22, 92));
        p.drawLine(QPointF(72, 84), QPointF(78, 92));
        break;
    case Icon::Warning:
        p.drawPolygon(QPolygonF({QPointF(50, 10), QPointF(92, 86), QPointF(8, 86)}));
        p.drawLine(QPointF(50, 36), QPointF(50, 60));
        p.setBrush(c);
        p.drawEllipse(QPointF(50, 73), 4, 4);
        break;
    case Icon::Keypad:
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                p.drawRoundedRect(QRectF(12 + k * 27, 12 + r * 27, 20, 20), 4, 4);
        break;
    case Icon::Folder: {
        QPainterPath folder;
        folder.moveTo(8, 82);
        folder.lineTo(8, 20);
        folder.lineTo(38, 20);
        folder.lineTo(46, 30);
        folder.lineTo(92, 30);
        folder.lineTo(92, 82);
        folder.closeSubpath();
        p.drawPath(folder);
        p.drawLine(QPointF(8, 42), QPointF(92, 42));
        break;
    }
    case Icon::Pencil:
        p.drawPolygon(QPolygonF({QPointF(18, 82), QPointF(22, 64), QPointF(68, 18), QPointF(82, 32),
                                 QPointF(36, 78)}));
        p.drawLine(QPointF(60, 26), QPointF(74, 40));
        break;
    case Icon::Check: p.drawPolyline(QPolygonF({QPointF(16, 52), QPointF(40, 76), QPointF(86, 26)})); break;
    case Icon::ChevronDown: p.drawPolyline(QPolygonF({QPointF(20, 36), QPointF(50, 66), QPointF(80, 36)})); break;
    case Icon::Key:
        p.drawEllipse(QPointF(30, 50), 18, 18);
        p.drawLine(QPointF(48, 50), QPointF(90, 50));
        p.drawLine(QPointF(76, 50), QPointF(76, 64));
        p.drawLine(QPointF(88, 50), QPointF(88, 62));
        break;
    case Icon::AntennaInt:
        p.drawRoundedRect(QRectF(12, 40, 76, 48), 6, 6);
        p.drawLine(QPointF(50, 40), QPointF(50, 16));
        waves(p, QPointF(50, 16), 10, 10, 1, 20, 140);
        p.drawLine(QPointF(26, 72), QPointF(74, 72));
        break;
    case Icon::AntennaExt:
        p.drawRoundedRect(QRectF(12, 60, 56, 30), 6, 6);
        p.drawLine(QPointF(78, 76), QPointF(78, 10));
        waves(p, QPointF(78, 16), 10, 10, 2, 100, 140);
        break;
    }
}

} // namespace

void DrawIcon(QPainter& painter, Icon icon, const QRectF& box, const QColor& colour)
{
    if (icon == Icon::None || box.isEmpty())
        return;
    const double side = std::min(box.width(), box.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / kGrid, side / kGrid);
    QPen pen(colour, kStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    drawShape(painter, icon, colour);
    painter.restore();
}

} // namespace skin
