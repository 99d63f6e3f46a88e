#pragma once

// What the tests of the communication pages share: the virtual board driven through its own tool,
// a sleeper that counts the libraries' hardware waits instead of waiting, the settings file, and a
// responder that answers the message boxes and alerts the pages open modally.

#include "QtTestEnvironment.h"

#include "AppPaths.h"
#include "GU_Alert_WwanPowerOff.h"
#include "GU_AlertSMSOnDlg.h"
#include "GU_MyMessageboxDlg.h"
#include "CMyBitmapButton.h"
#include "CPageDlg.h"
#include "PrivateProfile.h"
#include "Sleeper.h"

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <mutex>
#include <vector>

namespace commtest {

inline QString boardDir() { return tarvik::qtest::QtTestEnvironment::instance().boardDir(); }

// Runs tarvik-board on the test's board; its standard output, trimmed. ok is false when it fails.
inline QString board(const QStringList& arguments, bool* ok = nullptr)
{
    QProcess tool;
    QStringList all{"-d", boardDir()};
    all += arguments;
    tool.start(QStringLiteral(TARVIK_BOARD_TOOL), all);
    const bool done = tool.waitForFinished(10000);
    const bool good = done && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (!good)
        qWarning("tarvik-board %s failed: %s", qPrintable(arguments.join(' ')), tool.readAllStandardError().constData());
    if (ok)
        *ok = good;
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// A fresh board of the model (its power controller and wireless state at their factory values).
inline bool createBoard(const QString& model)
{
    QProcess tool;
    tool.start(QStringLiteral(TARVIK_BOARD_TOOL), {"create", boardDir(), "--model", model});
    return tool.waitForFinished(10000) && tool.exitCode() == 0;
}

// Several tool calls, each a list of arguments; false at the first that fails.
inline bool boardSetup(const QList<QStringList>& calls)
{
    for (const QStringList& call : calls) {
        bool ok = false;
        board(call, &ok);
        if (!ok)
            return false;
    }
    return true;
}

// An EC RAM byte or a CMOS byte as the board holds it.
inline int ecByte(const QString& address) { return board({"ec", address}).toInt(nullptr, 16); }
inline int cmosByte(const QString& index) { return board({"cmos", index}).toInt(nullptr, 16); }
// A value of the power controller as `tarvik-board show` lists it ("WakeOnSms", "SmsCode" ...).
inline QString powerValue(const QString& name)
{
    const QString shown = board({"show"});
    const QString section = shown.mid(shown.indexOf("Power controller"));
    const QRegularExpression line("^\\s+" + QRegularExpression::escape(name) + "\\s+(\\S+)",
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(section);
    return match.hasMatch() ? match.captured(1) : QString("<missing>");
}

inline QString setting(const wchar_t* key, const wchar_t* section = L"COMMUNICATION")
{
    return QString::fromStdWString(ReadSettingText(section, key, L"<none>"));
}
inline void setSetting(const wchar_t* key, const wchar_t* value, const wchar_t* section = L"COMMUNICATION")
{
    WritePrivateProfileStringW(section, key, value, SettingsFile());
}

// Counts every hardware wait of the libraries (settling times, the SMS store's initialisation)
// without waiting; a hook sees each wait as it happens.
class CountingSleeper final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned milliseconds) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_waits.push_back(milliseconds);
        }
        if (hook)
            hook(milliseconds);
    }
    int count(unsigned milliseconds)
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_waits.begin(), m_waits.end(), milliseconds));
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_waits.clear();
    }
    std::function<void(unsigned)> hook;

private:
    std::mutex m_mutex;
    std::vector<unsigned> m_waits;
};

// Answers what opens modally over the pages: message boxes and the two alerts are closed with their
// OK buttons (each recorded), any other window goes to `other`. Each answer is queued, so the
// dialogs' own nested runs never sit inside the responder's timer.
class ModalResponder : public QObject {
public:
    explicit ModalResponder(std::function<void(QWidget*)> other = {}) : m_other(std::move(other))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(5);
    }
    // "box:<text>", "alert:<title>" and "page:<title>" in the order they appeared.
    QStringList seen;
    // Windows that are not to be answered (the page under test).
    void ignore(QWidget* window) { m_handled.insert(window); }
    // Alerts go to `other` instead of being closed with OK.
    bool answerAlerts = true;

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
            clickLater(box->Button(GU_MyMessageboxDlg::kOkButtonId));
        } else if (auto* alert = qobject_cast<GU_Alert_WwanPowerOff*>(top); alert && answerAlerts) {
            seen << "alert:" + top->windowTitle();
            clickLater(alert->Button(GU_Alert_WwanPowerOff::kOkId));
        } else if (auto* alert = qobject_cast<GU_AlertSMSOnDlg*>(top); alert && answerAlerts) {
            seen << "alert:" + top->windowTitle();
            clickLater(alert->Button(GU_AlertSMSOnDlg::kOkId));
        } else {
            seen << (qobject_cast<GU_Alert_WwanPowerOff*>(top) || qobject_cast<GU_AlertSMSOnDlg*>(top) ? "alert:" : "page:") +
                        top->windowTitle();
            if (m_other)
                QTimer::singleShot(0, this, [this, window] {
                    if (window)
                        m_other(window);
                });
        }
    }
    void clickLater(CMyBitmapButton* button)
    {
        QPointer<CMyBitmapButton> guard(button);
        QPointer<QWidget> dialog(button ? button->window() : nullptr);
        QTimer::singleShot(0, this, [this, guard, dialog] {
            if (guard)
                QTest::mouseClick(guard, Qt::LeftButton);
            if (dialog)
                m_handled.remove(dialog); // answered: a later run of the same object is answered anew
        });
    }

    std::function<void(QWidget*)> m_other;
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

// A board of the model, the hardware type the pages read, and the extra tool calls.
inline bool prepare(const QString& model, const QString& hardType, const QList<QStringList>& setup = {})
{
    if (!createBoard(model))
        return false;
    setSetting(L"HARD_TYPE", hardType.toStdWString().c_str(), L"PROJECT");
    return boardSetup(setup);
}

} // namespace commtest
