#pragma once

#include "ProcessLauncher.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace tarvik::qtest {

// Starts nothing: records the programs a page would start and lists each as running from then on,
// so a page that starts the on-screen keyboard only when none runs can be seen doing so once.
class KeyboardLauncher final : public ProcessLauncher {
public:
    std::vector<Process> RunningProcesses() override
    {
        std::vector<Process> list{{1, L"systemd"}};
        for (int i = 0; i < started.size(); ++i)
            list.push_back({100 + i, started[i].toStdWString()});
        return list;
    }
    bool StartDetached(const std::wstring& program, const std::vector<std::wstring>&) override
    {
        started << QString::fromStdWString(program);
        return true;
    }
    bool OpenUrl(const std::wstring&) override { return false; }
    QStringList started;
};

} // namespace tarvik::qtest
