#pragma once

// What the tests of the location pages share: the virtual board (its library API and its own tool
// serving the simulated GPS receiver and the Quenmark service), a pacer that records the workers'
// pauses and waits only milliseconds, the settings file, a recording browser, and an answerer for
// the message boxes the pages open modally.

#include "QtTestEnvironment.h"

#include "AppPaths.h"
#include "Board.h"
#include "CMyBitmapButton.h"
#include "CPageDlg.h"
#include "GU_MyMessageboxDlg.h"
#include "PageWorker.h"
#include "RecordingPacer.h"
#include "PrivateProfile.h"
#include "ProcessLauncher.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace loctest {

inline QString boardDir() { return tarvik::qtest::QtTestEnvironment::instance().boardDir(); }

// A fresh board of the model (nothing served yet).
inline std::unique_ptr<tarvik::board::Board> createBoard(const std::string& model = "KTA")
{
    auto created = tarvik::board::Board::create(boardDir().toStdString(), model);
    return created ? std::move(*created) : nullptr;
}

// `tarvik-board serve PEERS...` on the test's board while the object lives.
class ServedPeers {
public:
    explicit ServedPeers(const QStringList& peers)
    {
        m_tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_tool.setStandardOutputFile(QProcess::nullDevice());
        m_tool.start(QStringLiteral(TARVIK_BOARD_TOOL), QStringList{"-d", boardDir(), "serve"} + peers);
        m_ok = m_tool.waitForStarted(5000);
        if (m_ok && peers.contains("gps"))
            m_ok = waitUntil([] { return QFileInfo::exists(boardDir() + "/COM3"); });
        if (m_ok && peers.contains("quenmark"))
            m_ok = waitUntil([] { return QFileInfo::exists(boardDir() + "/services/Quenmark.sock"); });
    }
    // True when the peers started and their port and socket are there.
    bool ok() const { return m_ok; }
    ~ServedPeers() { Stop(); }
    void Stop()
    {
        if (m_tool.state() == QProcess::NotRunning)
            return;
        m_tool.terminate();
        if (!m_tool.waitForFinished(5000))
            m_tool.kill();
        m_tool.waitForFinished(5000);
    }

private:
    static bool waitUntil(const std::function<bool()>& ready)
    {
        for (int i = 0; i < 500 && !ready(); ++i)
            QTest::qWait(10);
        return ready();
    }
    QProcess m_tool;
    bool m_ok = false;
};

inline QString setting(const wchar_t* key, const wchar_t* section = L"LOCATION_SENSOR")
{
    return QString::fromStdWString(ReadSettingText(section, key, L"<none>"));
}
inline void setSetting(const wchar_t* key, const wchar_t* value, const wchar_t* section = L"LOCATION_SENSOR")
{
    WritePrivateProfileStringW(section, key, value, SettingsFile());
}

// The browser: records the addresses it is asked to open.
class RecordingBrowser final : public ProcessLauncher {
public:
    RecordingBrowser() { overrideProcessLauncher(this); }
    ~RecordingBrowser() override { overrideProcessLauncher(nullptr); }
    std::vector<Process> RunningProcesses() override { return {}; }
    bool StartDetached(const std::wstring&, const std::vector<std::wstring>&) override { return false; }
    bool OpenUrl(const std::wstring& address) override
    {
        opened << QString::fromStdWString(address);
        return true;
    }
    QStringList opened;
};

// Answers what opens modally: message boxes are closed with OK after `boxDelayMs` (unless
// answerBoxes is false), any other window goes to `other`; each is recorded in `seen` as
// "box:<text>" or "page:<title>". Modal windows run inside the interface thread's event processing,
// so a timer (which runs inside their loops) is what sees them; each answer is queued, so a window's
// own nested run never sits inside the responder's timer.
class ModalResponder : public QObject {
public:
    explicit ModalResponder(std::function<void(QWidget*)> other = {}, int boxDelayMs = 0)
        : m_other(std::move(other)), m_boxDelayMs(boxDelayMs)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(5);
    }
    QStringList seen;
    bool answerBoxes = true;
    // Runs just before a box is answered.
    std::function<void()> beforeAnswer;
    // A window that is not to be answered (the page under test).
    void ignore(QWidget* window) { m_handled.insert(window); }
    QStringList boxes() const
    {
        QStringList texts;
        for (const QString& s : seen)
            if (s.startsWith("box:"))
                texts << s.mid(4);
        return texts;
    }

private:
    void poll()
    {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || !top->isVisible() || m_handled.contains(top))
            return;
        m_handled.insert(top);
        connect(top, &QObject::destroyed, this, [this, top] { m_handled.remove(top); });
        QPointer<QWidget> window(top);
        if (auto* box = qobject_cast<GU_MyMessageboxDlg*>(top)) {
            seen << "box:" + QString::fromStdWString(box->text());
            if (!answerBoxes)
                return;
            QTimer::singleShot(m_boxDelayMs, this, [this, window, box] {
                if (!window)
                    return;
                m_handled.remove(window.data()); // a later run of the same object is answered anew
                if (beforeAnswer)
                    beforeAnswer();
                QTest::mouseClick(box->Button(GU_MyMessageboxDlg::kOkButtonId), Qt::LeftButton);
            });
        } else {
            seen << "page:" + top->windowTitle();
            if (m_other)
                QTimer::singleShot(0, this, [this, window] {
                    if (window)
                        m_other(window);
                });
        }
    }

    std::function<void(QWidget*)> m_other;
    int m_boxDelayMs;
    QSet<QWidget*> m_handled;
    QTimer m_timer;
};

// Opens the page, lets `look` act on it while it runs, and closes it unless look did.
template <class Page>
int runPage(Page& page, ModalResponder& responder, const std::function<void()>& look)
{
    responder.ignore(&page);
    QTimer::singleShot(0, &page, [&] {
        look();
        if (page.isVisible())
            page.EndDialog(IDCANCEL);
    });
    return page.DoModal();
}

// Presses a picture button as a user can: it must be there, shown and enabled.
inline void click(CPageDlg& page, int id)
{
    CMyBitmapButton* button = page.Button(id);
    QVERIFY2(button, qPrintable(QString("no button %1").arg(id)));
    QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(QString("button %1 cannot be pressed").arg(id)));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace loctest
