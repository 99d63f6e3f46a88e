#pragma once

// What the tests of the system settings pages share: a virtual board of a model, values and faults
// given to it through the real `tarvik-board` tool, the power controller's state read back, the
// settings file, pages run modally while a test looks at them, and message boxes answered.

#include "QtTestEnvironment.h"

#include "AppPaths.h"
#include "Board.h"
#include "CPageDlg.h"
#include "GU_MyMessageboxDlg.h"
#include "PowerBoard.h"
#include "PrivateProfile.h"
#include "WindowMessages.h"

#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <initializer_list>
#include <memory>

namespace tarvik::qtest {

inline QString boardDir() { return QtTestEnvironment::instance().boardDir(); }

// A fresh board of a preset model (power.mem back at its factory values).
inline bool createBoard(const QString& model)
{
    return bool(tarvik::board::Board::create(boardDir().toStdString(), model.toStdString()));
}

// `tarvik-board -d <board> ARGS...`; true on exit status 0.
inline bool boardTool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral(TARVIK_BOARD_TOOL), QStringList{"-d", boardDir()} + args);
    if (!tool.waitForFinished(10000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        qWarning() << "tarvik-board" << args << "failed:" << tool.readAllStandardError();
        return false;
    }
    return true;
}
inline bool powerSet(const QString& name, const QString& value) { return boardTool({"power", "set", name, value}); }
inline bool kestromFail(const QString& methods) { return boardTool({"fault", "kestrom-fail", methods}); }

inline std::unique_ptr<tarvik::board::PowerBoard> powerBoard()
{
    auto power = tarvik::board::PowerBoard::open(boardDir().toStdString());
    return power ? std::move(*power) : nullptr;
}
inline std::int32_t powerValue(tarvik::board::PowerValue v)
{
    return powerBoard()->memory().locked([&](tarvik::board::PowerState& s) { return valueOf(s, v); });
}
inline float threshold(tarvik::board::Nominal n, tarvik::board::Threshold t)
{
    return powerBoard()->memory().locked([&](tarvik::board::PowerState& s) { return thresholdOf(s, n, t); });
}

inline void setSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    WritePrivateProfileStringW(section, key, value, SettingsFile());
}
inline void setHardType(const QString& hardType)
{
    setSetting(L"PROJECT", L"HARD_TYPE", hardType.isEmpty() ? nullptr : hardType.toStdWString().c_str());
}

// Runs the page modally; `look` runs inside the run, then the page is ended (if it still runs).
inline int runPage(CPageDlg& page, const std::function<void()>& look)
{
    QPointer<CPageDlg> guard(&page);
    QTimer::singleShot(0, &page, [&, guard] {
        look();
        if (guard && guard->isVisible()) // not ended by `look`
            guard->EndDialog(IDCANCEL);
    });
    return page.DoModal();
}

// A shown window with a title that records the window messages and commands it gets, in one log
// ("<title> <message in hex> <command id>"), as the close-down cascade reaches it.
class TitledWindow : public QWidget {
public:
    TitledWindow(const QString& title, QStringList& log) : m_log(log)
    {
        setWindowTitle(title);
        show();
    }

protected:
    bool event(QEvent* event) override
    {
        if (CWndMessageEvent* m = AsWndMessage(event)) {
            m_log << QStringLiteral("%1 %2 %3").arg(windowTitle()).arg(m->message, 0, 16).arg(CommandId(m->wParam));
            return true;
        }
        return QWidget::event(event);
    }

private:
    QStringList& m_log;
};

// What the cascade sends to each title, in order: 0x7E9, then the IDCANCEL command.
inline QStringList cascadeLog(std::initializer_list<const char*> titles)
{
    QStringList log;
    for (const char* title : titles)
        log << QStringLiteral("%1 7e9 0").arg(title)
            << QStringLiteral("%1 %2 %3").arg(title).arg(WM_COMMAND_MSG, 0, 16).arg(IDCANCEL);
    return log;
}

// Answers every message box that opens while it exists (OK) and keeps the texts, in order.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            GU_MyMessageboxDlg* box = LastMessageBox();
            if (box && box->IsRunningModal() && box->isVisible() && box != m_answered) {
                m_answered = box;
                texts << QString::fromStdWString(box->text());
                box->EndDialog(IDCANCEL);
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QTimer m_timer;
    QPointer<GU_MyMessageboxDlg> m_answered;
};

} // namespace tarvik::qtest
