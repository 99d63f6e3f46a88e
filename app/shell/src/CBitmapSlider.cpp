#include "CBitmapSlider.h"

#include "SkinStore.h"
#include "Trace.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// The high word of the command a double click posts (BN_DOUBLECLICKED's number).
constexpr int kDoubleClickCode = 5;

QImage loadPicture(const QString& name)
{
    if (name.isEmpty())
        return {};
    QImage image = SkinStore::Load(name).toImage();
    if (image.isNull())
        TraceMessage(L"CBitmapSlider: cannot load bitmap <%s>", name.toStdWString().c_str());
    return image;
}

} // namespace

CBitmapSlider::CBitmapSlider(QWidget* parent, int controlId) : QWidget(parent), m_controlId(controlId)
{
    // Arrow keys belong to the slider; Tab still moves the focus on.
    setFocusPolicy(Qt::StrongFocus);
    m_nWidth = width();
    m_nHeight = height();
}

QImage CBitmapSlider::MakeMasked(const QImage& image)
{
    if (image.isNull())
        return image;
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = masked.pixel(0, 0);
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if (line[x] == key)
                line[x] = 0; // transparent, and black as the mask-building step leaves it
        }
    }
    return masked;
}

bool CBitmapSlider::SetChannelBitmap(const QString& channel, const QString& activeChannel, bool transparent)
{
    const QImage image = loadPicture(channel);
    const QImage active = loadPicture(activeChannel);
    if (image.isNull())
        return false;
    SetChannelImage(image, active, transparent);
    return activeChannel.isEmpty() || !active.isNull();
}

bool CBitmapSlider::SetThumbBitmap(const QString& thumb, const QString& activeThumb)
{
    const QImage image = loadPicture(thumb);
    const QImage active = loadPicture(activeThumb);
    if (image.isNull())
        return false;
    SetThumbImage(image, active);
    return activeThumb.isEmpty() || !active.isNull();
}

void CBitmapSlider::SetChannelImage(const QImage& channel, const QImage& activeChannel, bool transparent)
{
    m_bTransparentChannel = transparent;
    m_channel = transparent ? MakeMasked(channel) : channel;
    m_bChannelActive = !activeChannel.isNull();
    m_channelActive = transparent ? MakeMasked(activeChannel) : activeChannel;
    m_nChannelWidth = channel.width();
    m_nChannelHeight = channel.height();
    m_nWidth = m_nChannelWidth;
    m_nHeight = m_nChannelHeight;
    resize(m_nWidth, m_nHeight);
    m_bChannel = !channel.isNull();
    update();
}

void CBitmapSlider::SetThumbImage(const QImage& thumb, const QImage& activeThumb)
{
    m_thumb = MakeMasked(thumb);
    m_bThumbActive = !activeThumb.isNull();
    m_thumbActive = MakeMasked(activeThumb);
    m_nThumbWidth = thumb.width();
    m_nThumbHeight = thumb.height();
    if (!m_bChannel) {
        m_nWidth = width();
        m_nHeight = height();
    }
    // A thumb that sticks out across the slider makes the slider that much thicker.
    if (m_bVertical && m_nThumbWidth > m_nWidth)
        m_nWidth = m_nThumbWidth;
    if (!m_bVertical && m_nThumbHeight > m_nHeight)
        m_nHeight = m_nThumbHeight;
    resize(m_nWidth, m_nHeight);
    m_bThumb = !thumb.isNull();
    m_bTransparentThumb = true;
    update();
}

void CBitmapSlider::SetRange(int minimum, int maximum)
{
    m_nMin = minimum;
    m_nMax = maximum;
    update();
}

void CBitmapSlider::SetPosition(int position)
{
    m_nPos = position;
    update();
}

void CBitmapSlider::SetPageSize(int page)
{
    m_nPage = page;
    update();
}

void CBitmapSlider::SetMargins(int left, int top, int right, int bottom)
{
    m_nMarginLeft = left;
    m_nMarginTop = top;
    m_nMarginRight = right;
    m_nMarginBottom = bottom;
    update();
}

void CBitmapSlider::SetVertical(bool vertical)
{
    m_bVertical = vertical;
    update();
}

void CBitmapSlider::EnableSlider(bool enable)
{
    m_bEnable = enable;
    update();
}

void CBitmapSlider::SetDrawFocusRect(bool draw)
{
    m_bDrawFocusRect = draw;
    update();
}

void CBitmapSlider::SetNotifyMessages(UINT moving, UINT moved)
{
    m_nMovingMsg = moving;
    m_nMovedMsg = moved;
}

int CBitmapSlider::Pos2Pixel(int position) const
{
    const int room = length() - endMargin() - thumbSize() - startMargin();
    const int range = m_nMax - m_nMin;
    if (room <= 0 || range == 0)
        return thumbSize() / 2 + startMargin();
    return thumbSize() / 2 + startMargin() + static_cast<int>((position - m_nMin) / static_cast<double>(range) * room);
}

int CBitmapSlider::Pixel2Pos(int pixel) const
{
    const int room = length() - endMargin() - startMargin() - thumbSize();
    if (room <= 0 || m_nMax == m_nMin)
        return m_nMin;
    return static_cast<int>((pixel - thumbSize() / 2 - startMargin()) / static_cast<double>(room) * (m_nMax - m_nMin) +
                            m_nMin);
}

int CBitmapSlider::clampPosition(int position) const
{
    return std::clamp(position, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
}

void CBitmapSlider::postToParent(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessage(parentWidget(), message, wParam, lParam);
}

void CBitmapSlider::moveStep(const QPoint& point)
{
    const int lowest = startMargin() + thumbSize() / 2;
    const int highest = length() - endMargin() - thumbSize() / 2;
    const int target = std::max(lowest, std::min(along(point) - m_nMouseOffset, highest));
    if (target == Pos2Pixel(m_nPos))
        return;
    m_nPos = clampPosition(Pixel2Pos(target));
    update();
    postToParent(m_nMovingMsg, static_cast<WPARAM>(m_controlId), m_nPos);
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event)
{
    if (!m_bEnable || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_bLButtonDown = true;
    const int centre = Pos2Pixel(m_nPos);
    const int press = along(event->position().toPoint());
    m_nMouseOffset = std::abs(press - centre) <= thumbSize() / 2 ? press - centre : 0;
    moveStep(event->position().toPoint());
    update();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bEnable || !m_bLButtonDown)
        return;
    moveStep(event->position().toPoint());
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bEnable || event->button() != Qt::LeftButton)
        return;
    m_bLButtonDown = false;
    update();
    postToParent(m_nMovedMsg, static_cast<WPARAM>(m_controlId), m_nPos);
}

void CBitmapSlider::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_bEnable || event->button() != Qt::LeftButton)
        return;
    postToParent(WM_COMMAND_MSG, MakeCommandWParam(m_controlId, kDoubleClickCode), reinterpret_cast<LPARAM>(this));
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event)
{
    if (!m_bEnable) {
        QWidget::keyPressEvent(event);
        return;
    }
    int position = m_nPos;
    switch (event->key()) {
    case Qt::Key_PageUp: position -= m_nPage; break;
    case Qt::Key_PageDown: position += m_nPage; break;
    case Qt::Key_End: position = m_nMax; break;
    case Qt::Key_Home: position = m_nMin; break;
    case Qt::Key_Left:
    case Qt::Key_Up: position -= 1; break;
    case Qt::Key_Right:
    case Qt::Key_Down: position += 1; break;
    default: QWidget::keyPressEvent(event); return;
    }
    m_nPos = clampPosition(position);
    update();
    postToParent(m_nMovedMsg, static_cast<WPARAM>(m_controlId), m_nPos);
}

void CBitmapSlider::resizeEvent(QResizeEvent*)
{
    m_nWidth = width();
    m_nHeight = height();
}

void CBitmapSlider::focusInEvent(QFocusEvent*)
{
    m_bFocus = true;
    update();
}

void CBitmapSlider::focusOutEvent(QFocusEvent*)
{
    m_bFocus = false;
    update();
}

void CBitmapSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int centre = Pos2Pixel(m_nPos);

    if (m_bChannel) {
        QPoint at(0, 0);
        if (!m_bVertical && m_nChannelHeight < m_nHeight)
            at.setY((m_nHeight - m_nChannelHeight) / 2);
        if (m_bVertical && m_nChannelWidth < m_nWidth)
            at.setX((m_nWidth - m_nChannelWidth) / 2);
        if (m_bChannelActive && m_bEnable) {
            const QRect nearPart = m_bVertical ? QRect(0, 0, m_nWidth, centre) : QRect(0, 0, centre, m_nHeight);
            const QRect farPart = m_bVertical ? QRect(0, centre, m_nWidth, m_nHeight - centre)
                                              : QRect(centre, 0, m_nWidth - centre, m_nHeight);
            painter.save();
            painter.setClipRect(farPart);
            painter.drawImage(at, m_channel);
            painter.setClipRect(nearPart);
            painter.drawImage(at, m_channelActive);
            painter.restore();
        } else {
            painter.drawImage(at, m_channel);
        }
    }

    if (m_bThumb) {
        const QImage& thumb = (m_bLButtonDown && m_bThumbActive) ? m_thumbActive : m_thumb;
        const QPoint topLeft = m_bVertical ? QPoint(m_nMarginLeft, centre - m_nThumbHeight / 2)
                                           : QPoint(centre - m_nThumbWidth / 2, m_nMarginTop);
        painter.drawImage(topLeft, thumb);
    }

    if (m_bDrawFocusRect && m_bFocus && m_bEnable) {
        QPen pen(Qt::white);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
