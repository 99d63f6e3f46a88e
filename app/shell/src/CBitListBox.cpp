#include "CBitListBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kTextInset = 10;

class ItemDelegate final : public QStyledItemDelegate {
public:
    ItemDelegate(const CBitListBox::Colours& colours, const QFont& font, int itemHeight, QObject* parent)
        : QStyledItemDelegate(parent), m_colours(colours), m_font(font), m_itemHeight(itemHeight)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!index.isValid())
            return;
        const bool selected = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
        CBitListBox::PaintItem(painter, option.rect, index.data(Qt::DisplayRole).toString(), selected, m_colours,
                               m_font);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_itemHeight};
    }

private:
    CBitListBox::Colours m_colours;
    QFont m_font;
    int m_itemHeight;
};

} // namespace

CBitListBox::CBitListBox(const Colours& colours, const QFont& font, int itemHeight, QWidget* parent)
    : QListView(parent), m_colours(colours), m_font(font), m_itemHeight(itemHeight)
{
    setItemDelegate(new ItemDelegate(colours, font, itemHeight, this));
    setUniformItemSizes(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, colours.itemBackground);
    palette.setColor(QPalette::Window, colours.itemBackground);
    palette.setColor(QPalette::Text, colours.itemText);
    setPalette(palette);
    setFont(font);
}

void CBitListBox::PaintItem(QPainter* painter, const QRect& rect, const QString& text, bool selected,
                            const Colours& colours, const QFont& font)
{
    painter->save();
    painter->fillRect(rect, selected ? colours.selectedBackground : colours.itemBackground);
    painter->setPen(selected ? colours.selectedText : colours.itemText);
    painter->setFont(font);
    painter->drawText(rect.adjusted(kTextInset, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
}
