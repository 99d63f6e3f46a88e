#pragma once

#include "CBitListBox.h"

#include <QComboBox>
#include <QPixmap>

// A drop-down list whose face is painted from three skin pictures: a left cap, a middle stretched
// between the caps and a right cap, named by number. The skin also fixes the selection field height,
// the list item height, the font and whether the current text is drawn on the face:
//
//   constructed with   caps/middle     field  item  font  caption  text inset
//   ()                 267 | 266 | 268   70    30    20    no       20, -
//   (471, 470, 472)    471 | 470 | 472   60    30    20    yes      20, 2
//   (496, 495, 497)    496 | 495 | 497   40    25    16    yes       9, 3
//   (a, b, c)          a   | b   | c     60    30    18    yes      20, 2
//
// Pages react to the user's choice through QComboBox::activated (programmatic selection stays quiet,
// as a selection-change notification does).
class CBitComboBox : public QComboBox {
    Q_OBJECT
public:
    struct Skin {
        int leftCap;
        int middle;
        int rightCap;
        int fieldHeight;
        int itemHeight;
        int fontHeight;
        bool caption;
        int textInsetX;
        int textInsetY;
    };

    explicit CBitComboBox(QWidget* parent = nullptr);
    CBitComboBox(int leftCap, int middle, int rightCap, QWidget* parent = nullptr);

    static Skin SkinFor(int leftCap, int middle, int rightCap);
    static Skin DefaultSkin();

    const Skin& skin() const { return m_skin; }
    CBitListBox* listBox() const { return m_listBox; }
    // Height of the closed combo box: the selection field and its frame.
    int FaceHeight() const;

    // Places the combo box at a page position with the given width; dropRoom is the height the page
    // leaves for the open list (the template height's extra), which sets how many items it shows.
    void PlaceAt(int x, int y, int width, int dropRoom);

    int AddString(const QString& text);
    void SetCurSel(int index) { setCurrentIndex(index); }
    int GetCurSel() const { return currentIndex(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void init();

    Skin m_skin;
    QFont m_font;
    QPixmap m_leftCap;
    QPixmap m_middle;
    QPixmap m_rightCap;
    CBitListBox* m_listBox = nullptr;
};
