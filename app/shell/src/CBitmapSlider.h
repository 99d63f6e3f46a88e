#pragma once

#include "WindowMessages.h"

#include <QImage>
#include <QWidget>

// A horizontal or vertical slider drawn from a channel picture and a thumb picture. The thumb (and a
// transparent channel) is drawn through a mask made from the picture's top-left pixel colour. While
// the thumb is dragged the slider posts its moving message to the parent, when a move ends (mouse
// release or a key) its moved message; both carry (control id, position).
//
// There is no CMMemDC here: Qt composes every paint of a widget off-screen in the window's backing
// store and shows it in one step, and paints the parent's background under a non-opaque widget
// before the widget paints. So dragging does not flicker, and the thumb's background needs neither
// saving nor restoring.
class CBitmapSlider : public QWidget {
    Q_OBJECT
public:
    explicit CBitmapSlider(QWidget* parent = nullptr, int controlId = 0);

    int controlId() const { return m_controlId; }

    // By picture name (SkinStore); a missing picture is traced and leaves the slider without it.
    bool SetChannelBitmap(const QString& channel, const QString& activeChannel = {}, bool transparent = false);
    bool SetThumbBitmap(const QString& thumb, const QString& activeThumb = {});
    // The same with pictures in hand (null image: none).
    void SetChannelImage(const QImage& channel, const QImage& activeChannel = {}, bool transparent = false);
    void SetThumbImage(const QImage& thumb, const QImage& activeThumb = {});

    void SetRange(int minimum, int maximum);
    void SetPosition(int position);
    int GetPosition() const { return m_nPos; }
    void SetPageSize(int page);
    void SetMargins(int left, int top, int right, int bottom);
    void SetVertical(bool vertical);
    void EnableSlider(bool enable);
    void SetDrawFocusRect(bool draw);
    void SetNotifyMessages(UINT moving, UINT moved);

    int GetRangeMin() const { return m_nMin; }
    int GetRangeMax() const { return m_nMax; }
    bool IsDragging() const { return m_bLButtonDown; }

    // The pixel of the thumb centre for a position, and the position for a thumb-centre pixel, along
    // the slider. A slider with no room for the thumb or an empty range has no geometry of its own:
    // every position maps to the first pixel and every pixel to the minimum.
    int Pos2Pixel(int position) const;
    int Pixel2Pos(int pixel) const;

    // The picture with its transparent colour (its top-left pixel) made transparent; drawing it over
    // something keeps what is underneath where the picture had that colour.
    static QImage MakeMasked(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int along(const QPoint& point) const { return m_bVertical ? point.y() : point.x(); }
    int length() const { return m_bVertical ? m_nHeight : m_nWidth; }
    int thumbSize() const { return m_bVertical ? m_nThumbHeight : m_nThumbWidth; }
    int startMargin() const { return m_bVertical ? m_nMarginTop : m_nMarginLeft; }
    int endMargin() const { return m_bVertical ? m_nMarginBottom : m_nMarginRight; }
    int clampPosition(int position) const;
    void moveStep(const QPoint& point);
    void postToParent(UINT message, WPARAM wParam, LPARAM lParam);

    int m_controlId;
    UINT m_nMovingMsg = WM_BITMAPSLIDER_MOVING;
    UINT m_nMovedMsg = WM_BITMAPSLIDER_MOVED;
    int m_nMax = 100;
    int m_nMin = 0;
    int m_nPos = 0;
    int m_nPage = 20;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nThumbWidth = 0;
    int m_nThumbHeight = 0;
    int m_nChannelWidth = 0;
    int m_nChannelHeight = 0;
    int m_nMarginLeft = 0;
    int m_nMarginRight = 0;
    int m_nMarginTop = 0;
    int m_nMarginBottom = 0;
    int m_nMouseOffset = 0;
    bool m_bVertical = false;
    bool m_bChannelActive = false;
    bool m_bThumbActive = false;
    bool m_bTransparentChannel = false;
    bool m_bTransparentThumb = false;
    bool m_bThumb = false;
    bool m_bChannel = false;
    bool m_bLButtonDown = false;
    bool m_bFocus = false;
    bool m_bDrawFocusRect = true;
    bool m_bEnable = true;
    QImage m_channel;
    QImage m_channelActive;
    QImage m_thumb;
    QImage m_thumbActive;
};
