#include "LinuxProcessLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fstream>
#include <string>

namespace {

std::wstring readCommandName(const std::string& pid)
{
    std::ifstream in("/proc/" + pid + "/comm");
    std::string name;
    std::getline(in, name);
    return QString::fromStdString(name).toStdWString();
}

} // namespace

std::vector<ProcessLauncher::Process> LinuxProcessLauncher::RunningProcesses()
{
    std::vector<Process> processes;
    DIR* proc = opendir("/proc");
    if (!proc)
        return processes;
    while (const dirent* entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        std::wstring name = readCommandName(pid);
        if (!name.empty())
            processes.push_back({std::stoi(pid), std::move(name)});
    }
    closedir(proc);
    std::sort(processes.begin(), processes.end(), [](const Process& a, const Process& b) { return a.pid < b.pid; });
    return processes;
}

bool LinuxProcessLauncher::StartDetached(const std::wstring& program, const std::vector<std::wstring>& arguments)
{
    QStringList args;
    for (const std::wstring& argument : arguments)
        args << QString::fromStdWString(argument);
    return QProcess::startDetached(QString::fromStdWString(program), args);
}

bool LinuxProcessLauncher::OpenUrl(const std::wstring& address)
{
    return QDesktopServices::openUrl(QUrl(QString::fromStdWString(address), QUrl::StrictMode));
}

