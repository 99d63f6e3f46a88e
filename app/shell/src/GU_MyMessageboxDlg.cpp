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
#include <deque>
#include <future>
#include <memory>

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

// Calls from worker threads, waiting on the interface thread for their turn. A worker's box is
// shown from the interface thread's own loop once no box is open, so it never nests inside another
// box and its caller is released as soon as the user closes it.
struct WorkerCall {
    std::wstring text;
    bool isNull = false;
    std::promise<int> result;
};
std::deque<std::shared_ptr<WorkerCall>> g_workerCalls;

void serveWorkerCalls();

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

bool ownerGone(const QPointer<QDialog>& owner, bool owned) { return owned && (!owner || !owner->isVisible()); }

// owned: the box belongs to owner's page and must not outlive it. The box runs nested inside that
// page's own modal run, so the page could not return to its caller until someone pressed OK.
int showOnInterfaceThread(const std::wstring& text, bool isNull, QPointer<QDialog> owner = {}, bool owned = false)
{
    // A box is open further down this thread's stack: wait for the user to close it first.
    while (g_boxOpen && g_messageBox && !ownerGone(owner, owned)) {
        QEventLoop wait;
        QObject::connect(g_messageBox.data(), &QDialog::finished, &wait, &QEventLoop::quit);
        QObject::connect(g_messageBox.data(), &QObject::destroyed, &wait, &QEventLoop::quit);
        if (owner) {
            QObject::connect(owner.data(), &QDialog::finished, &wait, &QEventLoop::quit);
            QObject::connect(owner.data(), &QObject::destroyed, &wait, &QEventLoop::quit);
        }
        wait.exec();
        if (!g_messageBox || !g_messageBox->isVisible())
            g_boxOpen = false;
    }
    if (ownerGone(owner, owned))
        return kMessageBoxOwnerGone;
    releasePreviousBox();
    auto* box = new GU_MyMessageboxDlg();
    g_messageBox = box;
    box->SetText(isNull ? nullptr : text.c_str());
    g_boxOpen = true;
    QObject::connect(box, &QDialog::finished, box, [] {
        g_boxOpen = false;
        // Queued: the next worker's box opens once this box's run has unwound.
        QMetaObject::invokeMethod(qApp, &serveWorkerCalls, Qt::QueuedConnection);
    });
    if (owner) {
        const auto closeWithOwner = [box] {
            if (box->isVisible())
                box->EndDialog(kMessageBoxOwnerGone);
        };
        QObject::connect(owner.data(), &QDialog::finished, box, closeWithOwner);
        QObject::connect(owner.data(), &QObject::destroyed, box, closeWithOwner);
    }
    return box->DoModal();
}

void serveWorkerCalls()
{
    while (!g_boxOpen && !g_workerCalls.empty()) {
        const std::shared_ptr<WorkerCall> call = g_workerCalls.front();
        g_workerCalls.pop_front();
        call->result.set_value(showOnInterfaceThread(call->text, call->isNull));
    }
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
    auto call = std::make_shared<WorkerCall>();
    call->text = copy;
    call->isNull = isNull;
    std::future<int> result = call->result.get_future();
    QMetaObject::invokeMethod(
        qApp,
        [call] {
            g_workerCalls.push_back(call);
            serveWorkerCalls();
        },
        Qt::QueuedConnection);
    return result.get();
}

int ShowMessageBoxFor(QDialog* owner, const wchar_t* text)
{
    const bool isNull = text == nullptr;
    return showOnInterfaceThread(isNull ? std::wstring() : std::wstring(text), isNull, owner, true);
}

GU_MyMessageboxDlg* LastMessageBox() { return g_messageBox.data(); }
