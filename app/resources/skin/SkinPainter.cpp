#include "SkinPainter.h"

#include "Palette.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace skin {

using namespace palette;

namespace {

QFont font(int size, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

// The largest size from `size` down to the minimum at which the text fits the width.
QFont fitted(const QString& text, double width, int size, bool bold)
{
    for (int s = size; s > kMinTextSize; --s) {
        if (QFontMetricsF(font(s, bold)).horizontalAdvance(text) <= width)
            return font(s, bold);
    }
    return font(kMinTextSize, bold);
}

void text(QPainter& p, const QRectF& box, const QString& t, int size, bool bold, const QColor& colour,
          Qt::Alignment align = Qt::AlignCenter)
{
    if (t.isEmpty())
        return;
    p.save();
    p.setFont(fitted(t, box.width(), size, bold));
    p.setPen(colour);
    p.drawText(box, align | Qt::TextSingleLine, t);
    p.restore();
}

// Wrapped text, top-aligned in the box; the size shrinks until the text fits the box's height.
void paragraph(QPainter& p, const QRectF& box, const QString& t, int size, const QColor& colour,
               Qt::Alignment align = Qt::AlignHCenter | Qt::AlignTop)
{
    int s = size;
    for (; s > kMinTextSize; --s) {
        const QRectF need = QFontMetricsF(font(s, false)).boundingRect(box, Qt::TextWordWrap | align, t);
        if (need.height() <= box.height())
            break;
    }
    p.save();
    p.setFont(font(s, false));
    p.setPen(colour);
    p.drawText(box, Qt::TextWordWrap | align, t);
    p.restore();
}

QPainterPath rounded(const QRectF& r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// A control's face: a rounded rectangle, lighter at the top, with a border.
void face(QPainter& p, const QRectF& r, const QColor& fill, const QColor& border, double radius = kRadius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, fill.lighter(118));
    g.setColorAt(0.5, fill);
    g.setColorAt(1.0, fill.darker(108));
    p.setPen(QPen(border, kBorder));
    p.setBrush(g);
    const double inset = kBorder / 2.0;
    p.drawPath(rounded(r.adjusted(inset, inset, -inset, -inset), radius));
    p.restore();
}

struct Look {
    QColor fill;
    QColor border;
    QColor text;
    QColor icon;
};

Look lookOf(State state)
{
    switch (state) {
    case State::Grey:
    case State::GreyOff:
    case State::GreyOn:
    case State::GreyFirst: return {kGreyFace, kGreyFace.lighter(125), kGreyText, kGreyText};
    case State::Checked:
    case State::Primary: return {kOn, kOnTop, kTextOnLight, kTextOnLight};
    case State::Unchecked:
    case State::Secondary: return {kOff, kOff.lighter(125), kText, kText};
    case State::Warning: return {kWarning, kWarning.lighter(120), kTextOnLight, kTextOnLight};
    default: return {kFace, kPanelBorder, kText, kText};
    }
}

bool isGrey(State s) { return s == State::Grey || s == State::GreyOff || s == State::GreyOn || s == State::GreyFirst; }

void drawPageBackground(QPainter& p, const QSize& size)
{
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0.0, kBackgroundTop);
    g.setColorAt(1.0, kBackgroundBottom);
    p.fillRect(QRect(QPoint(0, 0), size), g);
}

void drawTitle(QPainter& p, const QString& title)
{
    if (title.isEmpty())
        return;
    const QFont f = font(kTitleSize, true);
    const QFontMetricsF m(f);
    p.save();
    p.setFont(f);
    p.setPen(kText);
    p.drawText(QPointF(kTitleX, kTitleY + m.ascent()), title);
    p.restore();
    p.fillRect(QRectF(kTitleX, kTitleY + m.height() + 6, 64, 4), kAccent);
}

void drawDecor(QPainter& p, const Decor& d)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (d.watermark != Icon::None) {
        QColor faint = kPanelBorder;
        faint.setAlpha(110);
        DrawIcon(p, d.watermark, d.watermarkRect, faint);
    }
    for (const QRect& r : d.panels) {
        QColor fill = kPanel;
        fill.setAlpha(170);
        p.setPen(QPen(kPanelBorder, 1));
        p.setBrush(fill);
        p.drawPath(rounded(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), kRadius));
    }
    for (const Card& c : d.cards) {
        p.setPen(QPen(kPanelBorder, kBorder));
        p.setBrush(kCard);
        p.drawPath(rounded(QRectF(c.rect).adjusted(1, 1, -1, -1), 12));
        p.fillRect(QRectF(c.rect.left() + 14, c.rect.top() + 40, 36, 3), kAccent);
        text(p, QRectF(c.rect.left() + 14, c.rect.top() + 8, c.rect.width() - 24, 30), c.caption, kLabelSize, true,
             kTextOnLight, Qt::AlignLeft | Qt::AlignVCenter);
    }
    for (const QRect& r : d.fields) {
        p.setPen(QPen(kPanelBorder, 1));
        p.setBrush(kField);
        p.drawPath(rounded(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5));
    }
    for (const Label& l : d.labels) {
        const QFont f = font(l.size, l.bold);
        p.setFont(f);
        p.setPen(l.secondary ? kTextSecondary : kText);
        p.drawText(QPointF(l.x, l.y + QFontMetricsF(f).ascent()), l.text);
    }
    p.restore();
}

void drawPage(QPainter& p, const Picture& pic)
{
    drawPageBackground(p, QSize(pic.width, pic.height));
    if (const Decor* d = FindDecor(pic.name)) {
        drawDecor(p, *d);
        drawTitle(p, d->title);
    }
}

void drawDialogFrame(QPainter& p, const QSize& size, int band, const QString& title, int titleSize)
{
    p.fillRect(QRect(QPoint(0, 0), size), kPanel);
    p.save();
    p.setPen(QPen(kPanelBorder, kBorder));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, size.width() - 2, size.height() - 2));
    p.restore();
    if (band > 0) {
        p.fillRect(QRect(0, 0, size.width(), band), kWarning);
        text(p, QRectF(16, 0, size.width() - 32, band), title, titleSize, true, kTextOnLight,
             Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void drawDialog(QPainter& p, const Picture& pic)
{
    const Decor* d = FindDecor(pic.name);
    drawDialogFrame(p, QSize(pic.width, pic.height), d ? d->band : 0, d ? d->title : QString(), kLabelSize);
    if (d)
        drawDecor(p, *d);
}

void drawAlert(QPainter& p, const Picture& pic)
{
    const bool fullScreen = pic.width >= 800;
    const int band = fullScreen ? 96 : 50;
    drawDialogFrame(p, QSize(pic.width, pic.height), band, {}, kCaptionSize);
    const int iconSize = band - 16;
    DrawIcon(p, Icon::Warning, QRectF(14, 8, iconSize, iconSize), kTextOnLight);
    text(p, QRectF(iconSize + 28, 0, pic.width - iconSize - 44, band), pic.text, fullScreen ? kTitleSize : kCaptionSize,
         true, kTextOnLight, Qt::AlignLeft | Qt::AlignVCenter);
    if (fullScreen) {
        DrawIcon(p, Icon::Stopwatch, QRectF(pic.width / 2.0 - 90, 150, 180, 180), kWarning);
        paragraph(p, QRectF(120, 360, pic.width - 240, 180), pic.detail, 30, kText);
    } else {
        // Room above the OK button, which the alerts place at y 180.
        paragraph(p, QRectF(24, band + 14, pic.width - 48, 180 - band - 24), pic.detail, kCaptionSize, kText);
    }
}

QRectF inner(const Picture& pic, double margin) { return QRectF(0, 0, pic.width, pic.height).adjusted(margin, margin, -margin, -margin); }

void drawTile(QPainter& p, const Picture& pic)
{
    const Look look = lookOf(pic.state);
    const QRectF r = inner(pic, 6);
    face(p, r, look.fill, look.border);
    const double labelH = 40;
    const double iconSide = std::min(r.width() * 0.5, r.height() - labelH - 30);
    const QRectF iconBox(r.center().x() - iconSide / 2, r.top() + (r.height() - labelH - iconSide) / 2 + 4, iconSide, iconSide);
    DrawIcon(p, pic.icon, iconBox, isGrey(pic.state) ? look.icon : kAccent.lighter(125));
    text(p, QRectF(r.left() + 8, r.bottom() - labelH - 10, r.width() - 16, labelH), pic.text, kCaptionSize, true, look.text);
}

void drawWideTile(QPainter& p, const Picture& pic)
{
    Look look = lookOf(pic.state == State::Warning ? State::Normal : pic.state);
    const bool warning = pic.state == State::Warning;
    const QRectF r = inner(pic, 4);
    face(p, r, look.fill, warning ? kWarning : look.border);
    const double iconSide = r.height() - 30;
    const QRectF iconBox(r.left() + 16, r.center().y() - iconSide / 2, iconSide, iconSide);
    DrawIcon(p, pic.icon, iconBox, isGrey(pic.state) ? look.icon : (warning ? kWarning : kAccent.lighter(125)));
    const double x = iconBox.right() + 18;
    const double w = r.right() - x - 12;
    if (pic.detail.isEmpty()) {
        // The UPS tile: the page writes the charge below the name (picture y 50 on), so the name
        // keeps to the top.
        text(p, QRectF(x, r.top() + 8, w, 32), pic.text, kCaptionSize, true, look.text, Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    text(p, QRectF(x, r.top() + 12, w, 32), pic.text, kCaptionSize, true, look.text, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(x, r.top() + 46, w, 26), pic.detail, kMinTextSize, warning, warning ? kWarning : (isGrey(pic.state) ? look.text : kTextSecondary),
         Qt::AlignLeft | Qt::AlignVCenter);
}

void drawIconButton(QPainter& p, const Picture& pic)
{
    const Look look = lookOf(isGrey(pic.state) ? State::Grey : State::Normal);
    const QRectF r = inner(pic, 4);
    face(p, r, look.fill, look.border, std::min(kRadius, pic.height / 5));
    const QColor iconColour = isGrey(pic.state) ? look.icon : (pic.state == State::On ? kOn : kAccent.lighter(125));
    if (pic.text.isEmpty()) {
        const double side = std::min(r.width(), r.height()) * 0.62;
        DrawIcon(p, pic.icon, QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side), iconColour);
        return;
    }
    double top = r.top() + 8;
    if (!pic.detail.isEmpty()) {
        text(p, QRectF(r.left() + 6, top, r.width() - 12, 22), pic.detail, kMinTextSize, false, kTextSecondary);
        top += 24;
    }
    const double labelH = 30;
    const double room = r.bottom() - labelH - 8 - top;
    const double side = std::min(r.width() * 0.6, room);
    DrawIcon(p, pic.icon, QRectF(r.center().x() - side / 2, top + (room - side) / 2, side, side), iconColour);
    text(p, QRectF(r.left() + 6, r.bottom() - labelH - 6, r.width() - 12, labelH), pic.text, kLabelSize, true,
         pic.state == State::On ? kOn : look.text);
}

int pillWordSize(double height) { return std::max(kMinTextSize, static_cast<int>(height * 0.42)); }

// Wide enough for the knob and the longer of the two words beside it.
double pillWidth(double height)
{
    const double knob = height - 8;
    const double word = QFontMetricsF(font(pillWordSize(height), true)).horizontalAdvance("OFF");
    return std::max(height * 2.1, knob + word + 30);
}

// The pill of a switch: knob left, slate and OFF for state 0; knob right, green and ON for state 1.
void drawPill(QPainter& p, const QRectF& pill, bool isOn, bool grey)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double radius = pill.height() / 2;
    QColor track = grey ? kGreyFace.lighter(115) : (isOn ? kOn : kOff);
    QLinearGradient g(pill.topLeft(), pill.bottomLeft());
    g.setColorAt(0.0, grey ? track : (isOn ? kOnTop : track.lighter(115)));
    g.setColorAt(0.45, track);
    g.setColorAt(1.0, track.darker(110));
    p.setPen(QPen(grey ? kGreyText : track.darker(130), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(pill, radius, radius);
    const double knob = pill.height() - 8;
    const double knobX = isOn ? pill.right() - 4 - knob : pill.left() + 4;
    QRectF knobRect(knobX, pill.top() + 4, knob, knob);
    p.setPen(QPen(QColor(0, 0, 0, 60), 2));
    p.setBrush(grey ? kGreyText : kKnob);
    p.drawEllipse(knobRect);
    p.restore();
    const QRectF wordBox = isOn ? QRectF(pill.left() + 8, pill.top(), pill.width() - knob - 20, pill.height())
                                : QRectF(pill.left() + knob + 12, pill.top(), pill.width() - knob - 20, pill.height());
    text(p, wordBox, isOn ? "ON" : "OFF", pillWordSize(pill.height()), true,
         grey ? kGreyText.darker(130) : (isOn ? kTextOnLight : kText));
}

void drawSwitch(QPainter& p, const Picture& pic)
{
    const bool grey = isGrey(pic.state);
    const bool isOn = pic.state == State::On || pic.state == State::GreyOn;
    const QRectF r = inner(pic, 4);
    face(p, r, grey ? kGreyFace : kFace, grey ? kGreyFace.lighter(125) : kPanelBorder);
    const QColor labelColour = grey ? kGreyText : kText;
    if (pic.text.isEmpty()) {
        const double h = std::min(r.height() - 20, 56.0);
        const double w = std::min(pillWidth(h) * 1.1, r.width() - 24);
        drawPill(p, QRectF(r.center().x() - w / 2, r.center().y() - h / 2, w, h), isOn, grey);
        return;
    }
    if (r.width() >= 2.2 * r.height()) {
        const double h = std::min(r.height() - 22, 52.0);
        const double w = pillWidth(h);
        const QRectF pill(r.right() - 14 - w, r.center().y() - h / 2, w, h);
        text(p, QRectF(r.left() + 18, r.top(), pill.left() - r.left() - 30, r.height()), pic.text, kCaptionSize, true,
             labelColour, Qt::AlignLeft | Qt::AlignVCenter);
        drawPill(p, pill, isOn, grey);
    } else {
        text(p, QRectF(r.left() + 8, r.top() + 8, r.width() - 16, 30), pic.text, kCaptionSize, true, labelColour);
        const double h = std::min(r.height() - 58, 50.0);
        const double w = std::min(pillWidth(h), r.width() - 24);
        drawPill(p, QRectF(r.center().x() - w / 2, r.top() + 44 + (r.height() - 52 - h) / 2, w, h), isOn, grey);
    }
}

void drawSegmented(QPainter& p, const Picture& pic)
{
    const bool grey = isGrey(pic.state);
    const QRectF r = inner(pic, 4);
    face(p, r, grey ? kGreyFace : kFace, grey ? kGreyFace.lighter(125) : kPanelBorder);
    const QRectF halves[2] = {QRectF(r.left() + 6, r.top() + 6, r.width() / 2 - 9, r.height() - 12),
                              QRectF(r.center().x() + 3, r.top() + 6, r.width() / 2 - 9, r.height() - 12)};
    const int chosen = pic.state == State::Second ? 1 : 0;
    const QString words[2] = {pic.text, pic.detail};
    for (int i = 0; i < 2; ++i) {
        const bool active = i == chosen;
        Look look = lookOf(grey ? State::Grey : (active ? State::Checked : State::Unchecked));
        if (grey && active)
            look.fill = kGreyFace.lighter(135);
        face(p, halves[i], look.fill, look.border, 10);
        QRectF words_box = halves[i];
        if (active && !grey) {
            const double side = halves[i].height() * 0.4;
            DrawIcon(p, Icon::Check, QRectF(halves[i].left() + 8, halves[i].center().y() - side / 2, side, side), look.text);
            words_box.adjust(side + 6, 0, 0, 0);
        }
        text(p, words_box, words[i], kLabelSize, true, grey && active ? kText.darker(140) : look.text);
    }
}

void drawChoice(QPainter& p, const Picture& pic)
{
    const Look look = lookOf(pic.state);
    const bool checked = pic.state == State::Checked;
    const QRectF r = inner(pic, 3);
    face(p, r, look.fill, look.border, std::min(kRadius, pic.height / 4));
    QRectF box = r;
    if (checked) {
        // A check mark as well as the colour, so the choice reads in greyscale too.
        const double side = std::min(22.0, r.height() * 0.45);
        const QRectF mark = pic.detail.isEmpty() ? QRectF(r.left() + 10, r.center().y() - side / 2, side, side)
                                                 : QRectF(r.right() - side - 6, r.top() + 6, side, side);
        DrawIcon(p, Icon::Check, mark, look.text);
        if (pic.detail.isEmpty())
            box.adjust(side + 6, 0, 0, 0);
    }
    if (pic.detail.isEmpty()) {
        text(p, box, pic.text, pic.height >= 80 ? 26 : kLabelSize + 2, true, look.text);
        return;
    }
    text(p, QRectF(r.left() + 4, r.top() + 10, r.width() - 8, r.height() * 0.5), pic.text, 28, true, look.text);
    text(p, QRectF(r.left() + 4, r.top() + r.height() * 0.55, r.width() - 8, r.height() * 0.35), pic.detail,
         kMinTextSize, false, look.text);
}

void drawAction(QPainter& p, const Picture& pic)
{
    const Look look = lookOf(pic.state);
    const QRectF r = inner(pic, pic.height < 50 ? 2 : 4);
    face(p, r, look.fill, look.border, std::min(kRadius, pic.height / 4));
    if (pic.text.isEmpty()) {
        const double side = std::min(r.width(), r.height()) * 0.6;
        DrawIcon(p, pic.icon, QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side), look.icon);
        return;
    }
    const int size = pic.height >= 100 ? 32 : (pic.height >= 80 ? 26 : kCaptionSize + 2);
    const double iconSide = pic.icon == Icon::None ? 0 : std::min(r.height() * 0.5, 34.0);
    const double gap = iconSide > 0 ? 10 : 0;
    const QFont f = fitted(pic.text, r.width() - 16 - iconSide - gap, size, true);
    const double textW = QFontMetricsF(f).horizontalAdvance(pic.text);
    const double total = std::min(r.width() - 16, iconSide + gap + textW);
    const double x = r.center().x() - total / 2;
    if (iconSide > 0)
        DrawIcon(p, pic.icon, QRectF(x, r.center().y() - iconSide / 2, iconSide, iconSide), look.icon);
    text(p, QRectF(x + iconSide + gap, r.top(), total - iconSide - gap + 1, r.height()), pic.text, f.pixelSize(), true,
         look.text, Qt::AlignLeft | Qt::AlignVCenter);
}

void drawCaption(QPainter& p, const Picture& pic)
{
    const bool grey = isGrey(pic.state);
    const QColor main = grey ? kGreyText : kText;
    double x = 8;
    if (pic.icon != Icon::None) {
        const double side = std::min(34.0, pic.height * 0.5);
        DrawIcon(p, pic.icon, QRectF(x, pic.height / 2.0 - side / 2, side, side), grey ? kGreyText : kAccent.lighter(125));
        x += side + 10;
    }
    const double w = pic.width - x - 8;
    if (pic.detail.isEmpty()) {
        text(p, QRectF(x, 0, w, pic.height), pic.text, kCaptionSize, true, main, Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    text(p, QRectF(x, pic.height / 2.0 - 28, w, 30), pic.text, kCaptionSize, true, main, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(x, pic.height / 2.0 + 2, w, 24), pic.detail, kMinTextSize, false, grey ? kGreyText : kTextSecondary,
         Qt::AlignLeft | Qt::AlignVCenter);
}

void field(QPainter& p, const QRectF& r, bool grey)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(grey ? kGreyText : kAccent, 1.5));
    p.setBrush(grey ? kGreyFace : kField);
    p.drawRoundedRect(r, 4, 4);
    p.restore();
}

// The wake-up time: the page puts its hour, minute and second fields at picture x 306, 382, 457,
// y 28, each 25 x 20.
void drawTimeCaption(QPainter& p, const Picture& pic)
{
    const bool grey = isGrey(pic.state);
    Picture label = pic;
    label.width = 290;
    drawCaption(p, label);
    const int fieldX[] = {306, 382, 457};
    for (int x : fieldX)
        field(p, QRectF(x - 4, 24, 33, 28), grey);
    text(p, QRectF(335, 20, 44, 34), ":", kCaptionSize + 4, true, grey ? kGreyText : kText);
    text(p, QRectF(411, 20, 44, 34), ":", kCaptionSize + 4, true, grey ? kGreyText : kText);
}

// The wake code: the page puts the prefix at picture x 10 and the code at x 122, y 15, 20 high.
void drawCodeCaption(QPainter& p, const Picture& pic)
{
    field(p, QRectF(5, 10, 224, 30), isGrey(pic.state));
    text(p, QRectF(6, 42, 220, 22), "prefix + 8 hex digits", kMinTextSize, false, kTextSecondary,
         Qt::AlignLeft | Qt::AlignVCenter);
}

void drawIndicator(QPainter& p, const Picture& pic)
{
    const bool grey = isGrey(pic.state);
    const bool isOn = pic.state == State::On || pic.state == State::GreyOn;
    const QRectF r = inner(pic, 4);
    face(p, r, grey ? kGreyFace : kFace, grey ? kGreyFace.lighter(125) : kPanelBorder);
    const double lamp = r.height() - 30;
    const QRectF lampRect(r.left() + 16, r.center().y() - lamp / 2, lamp, lamp);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (isOn && !grey) {
        QColor glow = kOn;
        glow.setAlpha(90);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(lampRect.adjusted(-5, -5, 5, 5));
    }
    p.setPen(QPen(grey ? kGreyText : (isOn ? kOnTop : kOff.lighter(130)), 3));
    p.setBrush(isOn ? QBrush(grey ? kGreyText : kOn) : QBrush(Qt::NoBrush));
    p.drawEllipse(lampRect);
    p.restore();
    const double x = lampRect.right() + 16;
    text(p, QRectF(x, r.top(), r.right() - x - 80, r.height()), pic.text, kCaptionSize, true, grey ? kGreyText : kText,
         Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(r.right() - 76, r.top(), 64, r.height()), pic.detail, kCaptionSize, true,
         grey ? kGreyText : (isOn ? kOn : kTextSecondary), Qt::AlignRight | Qt::AlignVCenter);
}

void drawSliderChannel(QPainter& p, const Picture& pic)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF groove(3, pic.height / 2.0 - 6, pic.width - 6, 12);
    p.setPen(QPen(kPanelBorder, 1.5));
    p.setBrush(QColor(0x0B, 0x15, 0x24));
    p.drawRoundedRect(groove, 6, 6);
    QLinearGradient g(groove.topLeft(), groove.topRight());
    g.setColorAt(0.0, kAccent.darker(180));
    g.setColorAt(1.0, kAccent);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(groove.adjusted(3, 3, -3, -3), 3, 3);
    p.restore();
}

// Drawn on the transparent colour; the circle's edge is blended with the colour it will sit on, so
// no fringe of the transparent colour remains once the slider masks it out.
QImage drawSliderThumb(const Picture& pic, const QImage& under)
{
    QImage shape(pic.width, pic.height, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter p(&shape);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(1, 1, pic.width - 2, pic.height - 2);
        p.setPen(QPen(kAccent, 3));
        p.setBrush(kKnob);
        p.drawEllipse(r.adjusted(1.5, 1.5, -1.5, -1.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(r.center(), 4, 4);
    }
    QImage out(pic.width, pic.height, QImage::Format_RGB32);
    for (int y = 0; y < pic.height; ++y) {
        for (int x = 0; x < pic.width; ++x) {
            const QColor c = QColor::fromRgba(shape.pixel(x, y));
            if (c.alpha() == 0) {
                out.setPixel(x, y, kTransparentKey.rgb());
                continue;
            }
            const QColor b = under.isNull() ? kPanel : QColor(under.pixel(x, y));
            const double a = c.alphaF();
            out.setPixel(x, y, qRgb(static_cast<int>(c.red() * a + b.red() * (1 - a)),
                                    static_cast<int>(c.green() * a + b.green() * (1 - a)),
                                    static_cast<int>(c.blue() * a + b.blue() * (1 - a))));
        }
    }
    return out;
}

// A combo box face is drawn whole over its host, then cut: left cap, middle, right cap.
QImage drawComboFace(const ComboFace& f, const QImage& under)
{
    const int w = f.leftWidth + f.middleWidth + f.rightWidth;
    const int h = std::max({f.leftHeight, f.middleHeight, f.rightHeight});
    QImage out = under.isNull() ? QImage(w, h, QImage::Format_RGB32) : under.copy(0, 0, w, h);
    if (under.isNull())
        out.fill(kPanel);
    QPainter p(&out);
    // The closed combo box is the field plus its frame high (see CBitComboBox); the face keeps to it.
    const double faceH = f.caption ? h - 2 : 76;
    const QRectF r(0, 0, w, faceH);
    face(p, r, kFace, kAccent.darker(130), f.caption ? 10 : 12);
    const double chevron = std::min(30.0, faceH * 0.5);
    if (f.caption) {
        const double x = w - f.rightWidth - chevron - 14;
        p.fillRect(QRectF(x - 12, 8, 1.5, faceH - 16), kPanelBorder);
        DrawIcon(p, Icon::ChevronDown, QRectF(x, faceH / 2 - chevron / 2, chevron, chevron), kAccent.lighter(125));
    } else {
        DrawIcon(p, Icon::ChevronDown, QRectF(w / 2.0 - 20, faceH / 2 - 20, 40, 40), kAccent.lighter(125));
    }
    return out;
}

} // namespace

QImage SkinPainter::hostBackground(const Picture& pic)
{
    if (pic.host.isEmpty())
        return {};
    if (!m_drawn.contains(pic.host)) {
        const auto& all = AllPictures();
        const auto it = std::find_if(all.begin(), all.end(), [&](const Picture& p) { return p.name == pic.host; });
        if (it == all.end())
            return {};
        m_drawn.insert(pic.host, Render(*it));
    }
    return m_drawn.value(pic.host).copy(pic.x, pic.y, pic.width, pic.height);
}

QImage SkinPainter::Render(const Picture& pic)
{
    const QImage under = hostBackground(pic);
    if (pic.kind == Kind::SliderThumb)
        return drawSliderThumb(pic, under);
    if (pic.kind == Kind::ComboLeft || pic.kind == Kind::ComboMiddle || pic.kind == Kind::ComboRight) {
        for (const ComboFace& f : ComboFaces()) {
            const int number = pic.name.toInt();
            if (number != f.left && number != f.middle && number != f.right)
                continue;
            const QImage whole = drawComboFace(f, hostBackground({pic.name, f.leftWidth + f.middleWidth + f.rightWidth,
                                                                  std::max({f.leftHeight, f.middleHeight, f.rightHeight}),
                                                                  pic.kind, pic.icon, {}, {}, pic.state, pic.host, pic.x, pic.y}));
            if (number == f.left)
                return whole.copy(0, 0, f.leftWidth, f.leftHeight);
            if (number == f.middle)
                return whole.copy(f.leftWidth, 0, f.middleWidth, f.middleHeight);
            return whole.copy(f.leftWidth + f.middleWidth, 0, f.rightWidth, f.rightHeight);
        }
    }

    QImage image(pic.width, pic.height, QImage::Format_RGB32);
    if (!under.isNull())
        image = under.convertToFormat(QImage::Format_RGB32);
    else
        image.fill(kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    switch (pic.kind) {
    case Kind::Page: drawPage(p, pic); break;
    case Kind::Dialog: drawDialog(p, pic); break;
    case Kind::Alert: drawAlert(p, pic); break;
    case Kind::Tile: drawTile(p, pic); break;
    case Kind::WideTile: drawWideTile(p, pic); break;
    case Kind::IconButton: drawIconButton(p, pic); break;
    case Kind::Switch: drawSwitch(p, pic); break;
    case Kind::Segmented: drawSegmented(p, pic); break;
    case Kind::Choice: drawChoice(p, pic); break;
    case Kind::Action: drawAction(p, pic); break;
    case Kind::Caption: drawCaption(p, pic); break;
    case Kind::TimeCaption: drawTimeCaption(p, pic); break;
    case Kind::CodeCaption: drawCodeCaption(p, pic); break;
    case Kind::Indicator: drawIndicator(p, pic); break;
    case Kind::SliderChannel: drawSliderChannel(p, pic); break;
    default: break;
    }
    p.end();
    if (pic.kind == Kind::Page || pic.kind == Kind::Dialog || pic.kind == Kind::Alert)
        m_drawn.insert(pic.name, image);
    return image;
}

} // namespace skin
