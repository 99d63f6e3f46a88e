#include "CPageDlg.h"

#include "CBitComboBox.h"
#include "CMyBitmapButton.h"
#include "Fonts.h"
#include "ShellOperations.h"
#include "SkinStore.h"
#include "Trace.h"
#include "WindowStacking.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimerEvent>

CPageDlg::CPageDlg(const wchar_t* className, const char* background, QWidget* parent)
    : QDialog(parent), m_className(className ? className : L""), m_backgroundName(QString::fromUtf8(background))
{
    // Borderless pictures above the desktop's ordinary windows.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QSize screen = ScreenSize();
    m_bPortrait = screen.height() >= screen.width();
    tarvik::stacking::Track();
}

CPageDlg::~CPageDlg() = default;

QSize CPageDlg::ScreenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QFont CPageDlg::MakeFont(int height, int weight) { return MakeArialFont(height, weight); }

int CPageDlg::DoModal()
{
    if (!m_initialised) {
        m_initialised = true;
        if (!OnInitDialog())
            return -1;
    }
    QPointer<CPageDlg> guard(this);
    m_runningModal = true;
    const int result = exec();
    if (guard)
        m_runningModal = false;
    return result;
}

bool CPageDlg::CreateModeless()
{
    if (!m_initialised) {
        m_initialised = true;
        if (!OnInitDialog())
            return false;
    }
    show();
    return true;
}

void CPageDlg::EndDialog(int result) { done(result); }

void CPageDlg::DestroyWindow()
{
    if (isVisible())
        done(IDCANCEL);
}

void CPageDlg::TraceInitDialog() { TraceMessage(L"%s: OnInitDialog()", m_className.c_str()); }

bool CPageDlg::OnInitDialog()
{
    TraceInitDialog();
    const QSize screen = ScreenSize();
    m_bPortrait = screen.height() >= screen.width();
    if (!m_backgroundName.isEmpty())
        SetBackground(m_backgroundName.toUtf8().constData());
    return true;
}

void CPageDlg::SetBackground(const char* name)
{
    m_backgroundName = QString::fromUtf8(name);
    m_background = SkinStore::Load(m_backgroundName);
    if (m_background.isNull())
        TraceMessage(L"%s: cannot load background <%S>", m_className.c_str(), name);
    PlaceWindow();
}

void CPageDlg::PlaceWindow()
{
    const QSize screen = ScreenSize();
    const QSize size = m_background.isNull() ? this->size() : m_background.deviceIndependentSize().toSize();
    // Borderless: the frame width (window width minus client width) is 0.
    const int frameWidth = 0;
    m_placement = QRect((screen.width() - frameWidth - size.width()) / 2, (screen.height() - size.height()) / 2,
                        size.width() + frameWidth, size.height());
    setGeometry(m_placement);
    tarvik::stacking::BringForward(this, false);
}

void CPageDlg::SetTitle(const wchar_t* title) { setWindowTitle(QString::fromWCharArray(title)); }

void CPageDlg::SetChildTitles(std::initializer_list<const wchar_t*> titles)
{
    m_childTitles.assign(titles.begin(), titles.end());
}

void CPageDlg::RegisterItem(int id, QWidget* widget) { m_items.insert(id, widget); }

QWidget* CPageDlg::GetDlgItem(int id) const { return m_items.value(id, nullptr); }
CMyBitmapButton* CPageDlg::Button(int id) const { return qobject_cast<CMyBitmapButton*>(GetDlgItem(id)); }
QLabel* CPageDlg::Text(int id) const { return qobject_cast<QLabel*>(GetDlgItem(id)); }
CBitComboBox* CPageDlg::Combo(int id) const { return qobject_cast<CBitComboBox*>(GetDlgItem(id)); }

void CPageDlg::ShowItem(int id, bool show)
{
    if (QWidget* item = GetDlgItem(id))
        item->setVisible(show);
}

void CPageDlg::EnableItem(int id, bool enable)
{
    if (QWidget* item = GetDlgItem(id))
        item->setEnabled(enable);
}

void CPageDlg::SetItemText(int id, const QString& text)
{
    if (QLabel* label = Text(id))
        label->setText(text);
}

QString CPageDlg::ItemText(int id) const
{
    const QLabel* label = Text(id);
    return label ? label->text() : QString();
}

CMyBitmapButton* CPageDlg::AddButton(int id, int x, int y, const char* normal, const char* selected)
{
    auto* button = new CMyBitmapButton(this);
    // Most buttons show one picture in both states.
    button->LoadBitmaps(normal, selected ? selected : normal);
    button->PlaceAt(x, y);
    RegisterItem(id, button);
    return button;
}

void CPageDlg::connectClicked(CMyBitmapButton* button, std::function<void()> onClick)
{
    connect(button, &QAbstractButton::clicked, this, [onClick = std::move(onClick)] { onClick(); });
}

CMyBitmapButton* CPageDlg::AddHomeButton(int id, int x, int y, const char* picture, const wchar_t* handler, int result,
                                        TraceFunction trace)
{
    const std::wstring line = m_className + L":" + handler;
    TraceFunction traceLine = trace ? trace : &TraceMessage;
    CMyBitmapButton* button = AddButton(id, x, y, picture, picture, [this, line, traceLine, result] {
        traceLine(L"%s", line.c_str());
        EndDialog(result);
    });
    button->setProperty("tarvikHome", true); // the way back, for tools that walk the pages
    return button;
}

QLabel* CPageDlg::AddStaticText(const StaticTextDef& text, const QFont& font, const QColor& colour)
{
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromWCharArray(text.text ? text.text : L""));
    // A static text wraps at word boundaries and starts at its top-left corner.
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setGeometry(text.x, text.y, text.width, text.height);
    RegisterItem(text.id, label);
    return label;
}

void CPageDlg::AddStaticTexts(std::initializer_list<StaticTextDef> texts, const QFont& font, const QColor& colour)
{
    for (const StaticTextDef& text : texts)
        AddStaticText(text, font, colour);
}

CBitComboBox* CPageDlg::AddCombo(int id, int x, int y, int width, int dropRoom, int leftCap, int middle, int rightCap)
{
    auto* combo = leftCap ? new CBitComboBox(leftCap, middle, rightCap, this) : new CBitComboBox(this);
    combo->PlaceAt(x, y, width, dropRoom);
    RegisterItem(id, combo);
    return combo;
}

LRESULT CPageDlg::WindowProc(UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE_CHILDREN)
        return OnCloseChildren();
    return 0;
}

LRESULT CPageDlg::OnCloseChildren()
{
    for (const std::wstring& title : m_childTitles)
        CloseWindowsByTitle({title.c_str()});
    return 0;
}

void CPageDlg::OnCommand(int id, int code)
{
    // Only a click: a control numbered 1 or 2 sends other notifications too (a slider's double
    // click), which must not end the page.
    if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED)
        EndDialog(id);
}

void CPageDlg::OnTimer(int) {}

void CPageDlg::SetTimer(int id, int milliseconds)
{
    KillTimer(id);
    m_timers.insert(id, startTimer(milliseconds));
}

void CPageDlg::KillTimer(int id)
{
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    killTimer(it.value());
    m_timers.erase(it);
}

void CPageDlg::timerEvent(QTimerEvent* event)
{
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it.value() == event->timerId()) {
            OnTimer(it.key());
            return;
        }
    }
    QDialog::timerEvent(event);
}

bool CPageDlg::event(QEvent* event)
{
    if (CWndMessageEvent* message = AsWndMessage(event)) {
        if (message->message == WM_COMMAND_MSG)
            OnCommand(CommandId(message->wParam), CommandCode(message->wParam));
        else
            message->result = WindowProc(message->message, message->wParam, message->lParam);
        return true;
    }
    return QDialog::event(event);
}

void CPageDlg::keyPressEvent(QKeyEvent* event)
{
    // Keys a dialog turns into commands: Escape is IDCANCEL, Enter IDOK.
    switch (event->key()) {
    case Qt::Key_Escape: OnCommand(IDCANCEL, 0); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: OnCommand(IDOK, 0); return;
    default: QDialog::keyPressEvent(event);
    }
}

void CPageDlg::reject() { OnCommand(IDCANCEL, 0); }

void CPageDlg::paintEvent(QPaintEvent*)
{
    TraceMessage(L"%s::OnPaint()", m_className.c_str());
    ForceForeground(this);
    if (m_placement.isValid() && geometry() != m_placement)
        setGeometry(m_placement);
    QPainter painter(this);
    if (m_fillWhite)
        painter.fillRect(rect(), Qt::white);
    if (!m_background.isNull())
        painter.drawPixmap(0, 0, m_background);
    painter.end();
    // Every paint starts from a freshly loaded picture (a changed skin file shows at the next paint).
    if (!m_backgroundName.isEmpty())
        m_background = SkinStore::Load(m_backgroundName);
    emit painted();
}
