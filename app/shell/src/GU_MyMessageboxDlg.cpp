#include "GU_MyMessageboxDlg.h"

#include "CMyBitmapButton.h"
#include "Trace.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <cwchar>
#include <memory>
#include <mutex>

namespace {

constexpr int kOkX = 193;
constexpr int kOkY = 170;
constexpr StaticTextDef kMessageText{GU_MyMessageboxDlg::kTextId, L"", 20, 30, 460, 100};
constexpr int kMessageFontHeight = 24;
constexpr int kMessageFontWeight = 400;
constexpr int kBoldFontHeight = 20;
constexpr int kBoldFontWeight = 700;

// The one box object, owned here; only touched on the interface thread.
QPointer<GU_MyMessageboxDlg> g_messageBox;
bool g_boxOpen = false;

// Serialises calls from worker threads among themselves; the interface thread never takes it.
std::mutex g_workerCalls;

void releasePreviousBox()
{
    if (!g_messageBox)
        return;
    GU_MyMessageboxDlg* previous = g_messageBox.data();
    g_messageBox.clear();
    // A box whose modal run is still on the stack (its caller has not returned yet) goes once that
    // run has unwound; any other goes now.
    if (previous->IsRunningModal())
        previous->deleteLater();
    else
        delete previous;
}

int showOnInterfaceThread(const std::wstring& text, bool isNull)
{
    // A box is open further down this thread's stack: wait for the user to close it first.
    while (g_boxOpen && g_messageBox) {
        QEventLoop wait;
        QObject::connect(g_messageBox.data(), &QDialog::finished, &wait, &QEventLoop::quit);
        QObject::connect(g_messageBox.data(), &QObject::destroyed, &wait, &QEventLoop::quit);
        wait.exec();
        g_boxOpen = false;
    }
    releasePreviousBox();
    auto* box = new GU_MyMessageboxDlg();
    g_messageBox = box;
    box->SetText(isNull ? nullptr : text.c_str());
    g_boxOpen = true;
    QObject::connect(box, &QDialog::finished, box, [] { g_boxOpen = false; });
    return box->DoModal();
}

} // namespace

GU_MyMessageboxDlg::GU_MyMessageboxDlg(QWidget* parent)
    : CPageDlg(L"GU_MyMessageboxDlg", "IDB_MYMESSAGEBASE_L", parent)
{
}

void GU_MyMessageboxDlg::SetText(const wchar_t* text)
{
    m_text.fill(L'\0');
    if (text)
        std::wcsncpy(m_text.data(), text, kTextChars - 1);
    SetItemText(kTextId, QString::fromWCharArray(m_text.data()));
}

bool GU_MyMessageboxDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const QFont messageFont = MakeFont(kMessageFontHeight, kMessageFontWeight);
    const QFont boldFont = MakeFont(kBoldFontHeight, kBoldFontWeight);
    setFont(boldFont);
    AddButton(kOkButtonId, kOkX, kOkY, "IDB_MYMESSAGE_OK_L", "IDB_MYMESSAGE_OK_L", [this] { EndDialog(IDCANCEL); });
    AddStaticText(kMessageText, messageFont)->setText(QString::fromWCharArray(m_text.data()));
    SetTitle(L"MyMessagebox");
    return true;
}

int ShowMessageBox(const wchar_t* text)
{
    const bool isNull = text == nullptr;
    const std::wstring copy = isNull ? std::wstring() : std::wstring(text);
    if (QThread::currentThread() == qApp->thread())
        return showOnInterfaceThread(copy, isNull);
    std::lock_guard lock(g_workerCalls);
    int result = 0;
    QMetaObject::invokeMethod(qApp, [&] { result = showOnInterfaceThread(copy, isNull); },
                              Qt::BlockingQueuedConnection);
    return result;
}

GU_MyMessageboxDlg* LastMessageBox() { return g_messageBox.data(); }
