#include "CMyBitmapButton.h"

#include "SkinStore.h"
#include "Trace.h"

#include <QPainter>
#include <QPaintEvent>

namespace {

constexpr int kSlotNormal = 0;
constexpr int kSlotSelected = 1;
constexpr int kSlotThird = 2;
constexpr int kSlotFourth = 3;

bool requested(const char* name) { return name && *name; }

} // namespace

CMyBitmapButton::CMyBitmapButton(QWidget* parent) : QAbstractButton(parent)
{
    // Touch panel buttons: no focus frame, no keyboard focus taken from the page's fields.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    connect(this, &QAbstractButton::pressed, this, &CMyBitmapButton::onPressed);
}

bool CMyBitmapButton::LoadBitmaps(const char* normal, const char* selected, const char* third, const char* fourth)
{
    for (QPixmap& image : m_images)
        image = QPixmap();

    m_images[kSlotNormal] = SkinStore::Load(QString::fromUtf8(normal ? normal : ""));
    if (m_images[kSlotNormal].isNull()) {
        TraceMessage(L"Failed to load bitmap for normal image.");
        TraceMessage(L"lpszBitmapResource=<%S>", normal ? normal : "");
        return false;
    }
    bool allLoaded = true;
    if (requested(selected)) {
        m_images[kSlotSelected] = SkinStore::Load(QString::fromUtf8(selected));
        if (m_images[kSlotSelected].isNull()) {
            TraceMessage(L"Failed to load bitmap for selected image.\n");
            allLoaded = false;
        }
    }
    if (requested(third)) {
        m_images[kSlotThird] = SkinStore::Load(QString::fromUtf8(third));
        allLoaded = allLoaded && !m_images[kSlotThird].isNull();
    }
    if (requested(fourth)) {
        m_images[kSlotFourth] = SkinStore::Load(QString::fromUtf8(fourth));
        allLoaded = allLoaded && !m_images[kSlotFourth].isNull();
    }
    update();
    return allLoaded;
}

void CMyBitmapButton::SetImage(int slot, const QPixmap& picture)
{
    if (slot >= 0 && slot < static_cast<int>(m_images.size()))
        m_images[static_cast<std::size_t>(slot)] = picture;
    update();
}

void CMyBitmapButton::RedrawNow() { repaint(m_lastRect.isValid() ? m_lastRect : rect()); }

void CMyBitmapButton::SizeToContent()
{
    if (!m_images[kSlotNormal].isNull())
        resize(m_images[kSlotNormal].deviceIndependentSize().toSize());
}

void CMyBitmapButton::PlaceAt(int x, int y)
{
    move(x, y);
    SizeToContent();
}

QSize CMyBitmapButton::sizeHint() const
{
    return m_images[kSlotNormal].isNull() ? QSize() : m_images[kSlotNormal].deviceIndependentSize().toSize();
}

void CMyBitmapButton::DrawItem(const DrawItemStruct& item, QPainter* painter)
{
    int slot = m_state;
    if (item.disabled && !m_images[kSlotFourth].isNull()) {
        slot = kSlotFourth;
    } else {
        if (item.selected && (m_state == 0 || m_state == 1))
            m_state = 1 - m_state;
        slot = m_state;
    }
    m_lastRect = item.rect;
    if (!painter || slot < 0 || slot >= static_cast<int>(m_images.size()))
        return;
    const QPixmap& image = m_images[static_cast<std::size_t>(slot)];
    if (!image.isNull())
        painter->drawPixmap(item.rect.topLeft(), image, QRect(QPoint(0, 0), item.rect.size()));
}

void CMyBitmapButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem({false, !isEnabled(), rect()}, &painter);
}

bool CMyBitmapButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

// The button draws itself in the selected state once per press, at the press, as an owner-drawn
// button is drawn when it goes down; the flip happens there and the new look shows at once.
void CMyBitmapButton::onPressed()
{
    DrawItem({true, !isEnabled(), rect()}, nullptr);
    RedrawNow();
}
