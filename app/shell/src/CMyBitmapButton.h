#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QRect>

#include <array>

// A push or toggle button that shows one of four pictures. Slot 0 normal, 1 selected, 2 a third
// state, 3 a fourth state that is also shown while the button is disabled. Each press flips the state
// between 0 and 1 (states 2 and 3 are left alone), so a button meant to look the same after a press
// loads one picture into both slots 0 and 1.
class CMyBitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CMyBitmapButton(QWidget* parent = nullptr);

    // Releases all four pictures, then loads the ones given (null or empty: not requested). Traces a
    // picture that fails; true when every requested picture loaded.
    bool LoadBitmaps(const char* normal, const char* selected = nullptr, const char* third = nullptr,
                     const char* fourth = nullptr);

    int state() const { return m_state; }
    // Pages set the state directly and then call RedrawNow (or update()).
    void setState(int state) { m_state = state; }
    int mode() const { return m_mode; }

    // Draws the current state's picture at once, so a pressed look shows before a modal page opens.
    void RedrawNow();

    // Resizes the button to its slot-0 picture without moving it; unchanged when slot 0 is empty.
    void SizeToContent();
    // Moves the button to a page position and sizes it to its picture.
    void PlaceAt(int x, int y);

    const QPixmap& image(int slot) const { return m_images.at(static_cast<std::size_t>(slot)); }
    // Puts a picture in hand into a slot (for example a greyed copy into slot 3).
    void SetImage(int slot, const QPixmap& picture);
    QSize sizeHint() const override;

protected:
    // What an owner-drawn button is asked to draw.
    struct DrawItemStruct {
        bool selected = false; // drawn while held down
        bool disabled = false;
        QRect rect;
    };
    // Chooses the slot (flipping 0/1 when drawn selected), remembers the rectangle, paints.
    virtual void DrawItem(const DrawItemStruct& item, QPainter* painter);
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void onPressed();

    std::array<QPixmap, 4> m_images;
    int m_state = 0;
    int m_mode = 0;
    QRect m_lastRect;
};
