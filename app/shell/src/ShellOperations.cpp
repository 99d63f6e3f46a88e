#include "ShellOperations.h"

#include "AppPaths.h"
#include "ProcessLauncher.h"
#include "Trace.h"
#include "WindowStacking.h"

#include <QString>
#include <QUrl>
#include <QWidget>

void ForceForeground(QWidget* window)
{
    // Every paint asks for this; windows already in front are left alone, so asking costs nothing.
    tarvik::stacking::BringForward(window, true);
}

bool OpenInBrowser(const std::wstring& address)
{
    const QUrl url(QString::fromStdWString(address), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        TraceMessage(L"OpenInBrowser: not a web address <%s>", address.c_str());
        return false;
    }
    const bool opened = processLauncher().OpenUrl(url.toString(QUrl::FullyEncoded).toStdWString());
    TraceMessage(L"OpenInBrowser: <%s> bRet = %d", address.c_str(), opened ? 1 : 0);
    return opened;
}

int StartKeyboardIfNotRunning(ProcessLauncher& launcher, const std::wstring& program)
{
    // The kernel keeps 15 characters of a command name (TASK_COMM_LEN).
    constexpr int kCommandNameChars = 15;
    const QString fileName = QString::fromStdWString(program).section(QLatin1Char('/'), -1).left(kCommandNameChars);
    int count = 0;
    if (!fileName.isEmpty()) {
        for (const ProcessLauncher::Process& process : launcher.RunningProcesses()) {
            if (QString::fromStdWString(process.name).contains(fileName, Qt::CaseInsensitive)) {
                TraceMessage(L"=====<%d><%s> found !!!", process.pid, fileName.toStdWString().c_str());
                ++count;
            }
        }
    }
    if (count == 0 && !program.empty() && !launcher.StartDetached(program, {}))
        TraceMessage(L"MyDoProcess: cannot start <%s>", program.c_str());
    return count;
}

int MyDoProcess(QWidget*, bool)
{
    // No file-system redirection and no owner window on Linux: the flag and the owner change nothing.
    const std::wstring program = ReadSettingText(L"PROJECT", L"OSK_PROGRAM", kDefaultKeyboardProgram);
    return StartKeyboardIfNotRunning(processLauncher(), program);
}
