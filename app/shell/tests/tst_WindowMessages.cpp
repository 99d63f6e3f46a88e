// Window messages: sent and posted custom events with the system's numbers, lookup by title among
// the program's top-level windows, and the close-down of pages by title.

#include "QtTestEnvironment.h"

#include "CPageDlg.h"
#include "WindowMessages.h"

#include <QThread>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool onGuiThread;
};

class RecordingWindow : public QWidget {
public:
    std::vector<Received> received;
    LRESULT answer = 0;

protected:
    bool event(QEvent* event) override
    {
        if (CWndMessageEvent* m = AsWndMessage(event)) {
            received.push_back({m->message, m->wParam, m->lParam, QThread::currentThread() == qApp->thread()});
            m->result = answer;
            return true;
        }
        return QWidget::event(event);
    }
};

// A page that records the messages it handles.
class RecordingPage : public CPageDlg {
public:
    explicit RecordingPage(const wchar_t* title, QWidget* parent = nullptr)
        : CPageDlg(L"RecordingPage", "IDB_MYMESSAGEBASE_L", parent), m_title(title)
    {
    }
    std::vector<UINT> messages;
    std::vector<int> commands;
    using CPageDlg::SetChildTitles;

protected:
    bool OnInitDialog() override
    {
        CPageDlg::OnInitDialog();
        SetTitle(m_title);
        return true;
    }
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override
    {
        messages.push_back(message);
        return CPageDlg::WindowProc(message, w, l);
    }
    void OnCommand(int id, int code) override
    {
        commands.push_back(id);
        CPageDlg::OnCommand(id, code);
    }

private:
    const wchar_t* m_title;
};

} // namespace

class tst_WindowMessages : public QObject {
    Q_OBJECT
private slots:
    void messagesAreEventsWithTheSystemNumbers()
    {
        QCOMPARE(static_cast<int>(CWndMessageEvent(WM_TRAY_KEY, 0, 0).type()), 0x83E8);
        QCOMPARE(static_cast<int>(CWndMessageEvent(WM_CLOSE_CHILDREN, 0, 0).type()), 0x7E9);
        // The slider's release and the command message are numbers of their own.
        for (UINT own : {WM_BITMAPSLIDER_MOVED, WM_COMMAND_MSG}) {
            for (UINT system : {0x7E8u, 0x7E9u, 0x7EAu, 0x7EBu, 0x7ECu, 0x7EDu, 0x83E8u})
                QVERIFY(own != system);
        }
    }

    void sendIsHandledAtOnceAndReturnsTheAnswer()
    {
        RecordingWindow window;
        window.answer = 77;
        QCOMPARE(SendMessage(&window, WM_OPEN_VEHICLE, 3, -4), LRESULT(77));
        QCOMPARE(window.received.size(), std::size_t(1));
        QCOMPARE(window.received[0].message, WM_OPEN_VEHICLE);
        QCOMPARE(window.received[0].wParam, WPARAM(3));
        QCOMPARE(window.received[0].lParam, LPARAM(-4));
        QCOMPARE(SendMessage(nullptr, WM_OPEN_VEHICLE), LRESULT(0));
    }

    void postIsQueued()
    {
        RecordingWindow window;
        QVERIFY(PostMessage(&window, WM_TRAY_KEY, 0xA1, 0));
        QVERIFY(window.received.empty());
        QTRY_COMPARE(window.received.size(), std::size_t(1));
        QCOMPARE(window.received[0].wParam, WPARAM(0xA1));
        QVERIFY(!PostMessage(nullptr, WM_TRAY_KEY, 0xA1, 0));
    }

    void sendFromAWorkerRunsOnTheWindowsThread()
    {
        RecordingWindow window;
        window.answer = 5;
        LRESULT result = 0;
        QThread* worker = QThread::create([&] { result = SendMessage(&window, WM_COMM_REFRESH, 1, 2); });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        delete worker;
        QCOMPARE(result, LRESULT(5));
        QCOMPARE(window.received.size(), std::size_t(1));
        QVERIFY(window.received[0].onGuiThread);
    }

    void findsShownWindowsAndMarkedHiddenOnesByTitle()
    {
        RecordingWindow shown;
        shown.setWindowTitle("MainDlg");
        shown.show();
        RecordingWindow hidden;
        hidden.setWindowTitle("DeviceInfomation");
        RecordingWindow tray;
        tray.setWindowTitle("TARVIK_TRAY_WND");
        MarkHiddenWindow(&tray);

        QCOMPARE(FindWindowByTitle("MainDlg"), &shown);
        QCOMPARE(FindWindowByTitle("DeviceInfomation"), nullptr); // a page whose run has ended
        QCOMPARE(FindWindowByTitle("TARVIK_TRAY_WND"), &tray);
        QCOMPARE(FindWindowByTitle("Nobody"), nullptr);

        QWidget* fromWorker = nullptr;
        QThread* worker = QThread::create([&] { fromWorker = FindWindowByTitle("MainDlg"); });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        delete worker;
        QCOMPARE(fromWorker, &shown);
    }

    // The close-down: each window found by title gets 0x7E9, then IDCANCEL, which ends a modal page
    // with the cancel result; a page passes the close-down on to its own children first.
    void closeDownEndsModalPagesWithCancel()
    {
        RecordingPage parent(L"SystemSetting");
        RecordingPage child(L"SystemWatchdog", &parent);
        parent.SetChildTitles({L"SystemWatchdog"});
        int childResult = -1;
        int parentResult = -1;
        QTimer::singleShot(0, &parent, [&] {
            QTimer::singleShot(0, &child, [&] { CloseWindowsByTitle({L"SystemSetting", L"NotOpen"}); });
            childResult = child.DoModal();
        });
        parentResult = parent.DoModal();

        QCOMPARE(childResult, IDCANCEL);
        QCOMPARE(parentResult, IDCANCEL);
        QCOMPARE(child.messages, std::vector<UINT>{WM_CLOSE_CHILDREN});
        QCOMPARE(child.commands, std::vector<int>{IDCANCEL});
        QCOMPARE(parent.messages, std::vector<UINT>{WM_CLOSE_CHILDREN});
        QCOMPARE(parent.commands, std::vector<int>{IDCANCEL});
    }

    void commandWordCarriesIdAndCode()
    {
        const WPARAM w = MakeCommandWParam(1234, 5);
        QCOMPARE(CommandId(w), 1234);
        QCOMPARE(CommandCode(w), 5);
    }
};

TARVIK_QTEST_MAIN(tst_WindowMessages)
#include "tst_WindowMessages.moc"
