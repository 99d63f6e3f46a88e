#pragma once

#include <QColor>
#include <QFont>
#include <QListView>

// The drop-down list of a CBitComboBox. Qt hands the combo box its list directly, so the list needs no
// discovery through colour requests; it paints its items as the combo box's skin says: item
// background and text, selected background and text, the combo font, 10 pixels from the left edge,
// one line vertically centred, each item itemHeight pixels high.
class CBitListBox : public QListView {
    Q_OBJECT
public:
    struct Colours {
        QColor selectedBackground;
        QColor selectedText;
        QColor itemBackground;
        QColor itemText;
    };

    CBitListBox(const Colours& colours, const QFont& font, int itemHeight, QWidget* parent = nullptr);

    int itemHeight() const { return m_itemHeight; }
    const Colours& colours() const { return m_colours; }

    // Draws one item; nothing for an invalid index (a record that names no item).
    static void PaintItem(QPainter* painter, const QRect& rect, const QString& text, bool selected,
                          const Colours& colours, const QFont& font);

private:
    Colours m_colours;
    QFont m_font;
    int m_itemHeight;
};
