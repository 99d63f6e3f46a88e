#include "GU_CommSmsWaitWnd.h"

#include "Fonts.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kFontHeight = 20;
constexpr int kNormalWeight = 400;
constexpr int kRadius = 16;
constexpr int kBorder = 2;
const QColor kFace(0x1C, 0x31, 0x50);
const QColor kEdge(0x2F, 0x4D, 0x73);
const QColor kBand(0xF2, 0xA5, 0x41);
constexpr int kBandHeight = 8;

GU_CommSmsWaitWnd* g_current = nullptr;

} // namespace

GU_CommSmsWaitWnd::GU_CommSmsWaitWnd(const QString& text, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_text(text)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(text);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->geometry().size() : QSize(kWidth, kHeight);
    setGeometry((area.width() - kWidth) / 2, (area.height() - kHeight) / 2, kWidth, kHeight);
    g_current = this;
}

GU_CommSmsWaitWnd::~GU_CommSmsWaitWnd()
{
    if (g_current == this)
        g_current = nullptr;
}

GU_CommSmsWaitWnd* GU_CommSmsWaitWnd::Current() { return g_current; }

void GU_CommSmsWaitWnd::ShowNow()
{
    show();
    raise();
    repaint();
    if (m_paints > 0)
        return;
    // Not exposed yet: let the window system show it, without taking the user's input meanwhile.
    QEventLoop loop;
    connect(this, &GU_CommSmsWaitWnd::painted, &loop, &QEventLoop::quit);
    QTimer::singleShot(kExposeWaitMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void GU_CommSmsWaitWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect()).adjusted(kBorder / 2.0, kBorder / 2.0, -kBorder / 2.0, -kBorder / 2.0);
    QPainterPath path;
    path.addRoundedRect(panel, kRadius, kRadius);
    painter.fillPath(path, kFace);
    painter.save();
    painter.setClipPath(path);
    painter.fillRect(QRectF(panel.left(), panel.top(), panel.width(), kBandHeight), kBand);
    painter.restore();
    painter.setPen(QPen(kEdge, kBorder));
    painter.drawPath(path);
    painter.setPen(Qt::white);
    painter.setFont(MakeArialFont(kFontHeight, kNormalWeight));
    painter.drawText(rect().adjusted(16, kBandHeight, -16, 0), Qt::AlignCenter | Qt::TextWordWrap, m_text);
    painter.end();
    ++m_paints;
    emit painted();
}
