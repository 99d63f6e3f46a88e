#include "CBitComboBox.h"

#include "Fonts.h"
#include "SkinStore.h"
#include "Trace.h"

#include <QPainter>

#include <algorithm>

namespace {

// A drop-down list's selection field sits inside a 3-pixel frame above and below.
constexpr int kFieldFrame = 3;
constexpr int kFontWeight = 400;

const CBitListBox::Colours kColours{
    QColor(40, 50, 60),   // selected background
    QColor(255, 255, 255),
    QColor(58, 95, 205),  // item background
    QColor(255, 255, 255),
};
// The caption drawn on the face: white, like every text the skin puts on its dark panels.
const QColor kCaptionColour(255, 255, 255);

constexpr CBitComboBox::Skin kDefaultSkin{267, 266, 268, 70, 30, 20, false, 20, 0};
constexpr CBitComboBox::Skin kSkins[] = {
    {471, 470, 472, 60, 30, 20, true, 20, 2},
    {496, 495, 497, 40, 25, 16, true, 9, 3},
};
constexpr CBitComboBox::Skin kOtherSkin{0, 0, 0, 60, 30, 18, true, 20, 2};

QPixmap loadSkin(int number)
{
    QPixmap picture = SkinStore::Load(QString::number(number));
    if (picture.isNull())
        TraceMessage(L"CBitComboBox: cannot load bitmap <%d>", number);
    return picture;
}

} // namespace

CBitComboBox::Skin CBitComboBox::DefaultSkin() { return kDefaultSkin; }

CBitComboBox::Skin CBitComboBox::SkinFor(int leftCap, int middle, int rightCap)
{
    for (const Skin& skin : kSkins) {
        if (skin.leftCap == leftCap && skin.middle == middle && skin.rightCap == rightCap)
            return skin;
    }
    Skin skin = kOtherSkin;
    skin.leftCap = leftCap;
    skin.middle = middle;
    skin.rightCap = rightCap;
    return skin;
}

CBitComboBox::CBitComboBox(QWidget* parent) : QComboBox(parent), m_skin(kDefaultSkin) { init(); }

CBitComboBox::CBitComboBox(int leftCap, int middle, int rightCap, QWidget* parent)
    : QComboBox(parent), m_skin(SkinFor(leftCap, middle, rightCap))
{
    init();
}

void CBitComboBox::init()
{
    m_font = MakeArialFont(m_skin.fontHeight, kFontWeight);
    setFont(m_font);
    m_leftCap = loadSkin(m_skin.leftCap);
    m_middle = loadSkin(m_skin.middle);
    m_rightCap = loadSkin(m_skin.rightCap);
    m_listBox = new CBitListBox(kColours, m_font, m_skin.itemHeight);
    setView(m_listBox); // the combo box takes ownership
    setItemDelegate(m_listBox->itemDelegate());
    setFocusPolicy(Qt::NoFocus);
    resize(width(), FaceHeight());
}

int CBitComboBox::FaceHeight() const { return m_skin.fieldHeight + 2 * kFieldFrame; }

void CBitComboBox::PlaceAt(int x, int y, int width, int dropRoom)
{
    setGeometry(x, y, width, FaceHeight());
    setMaxVisibleItems(std::max(1, dropRoom / m_skin.itemHeight));
}

int CBitComboBox::AddString(const QString& text)
{
    addItem(text);
    return count() - 1;
}

void CBitComboBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int leftWidth = m_leftCap.isNull() ? 0 : m_leftCap.width();
    const int rightWidth = m_rightCap.isNull() ? 0 : m_rightCap.width();
    if (!m_leftCap.isNull())
        painter.drawPixmap(0, 0, m_leftCap);
    if (!m_rightCap.isNull())
        painter.drawPixmap(w - rightWidth, 0, m_rightCap);
    if (!m_middle.isNull() && w - leftWidth - rightWidth > 0)
        painter.drawPixmap(QRect(leftWidth, 0, w - leftWidth - rightWidth, m_middle.height()), m_middle);
    if (m_skin.caption) {
        painter.setFont(m_font);
        painter.setPen(kCaptionColour);
        painter.drawText(rect().translated(m_skin.textInsetX, m_skin.textInsetY),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, currentText());
    }
}
