#pragma once

#include "ProcessLauncher.h"

// Processes from /proc (the name is the kernel's command name, which for a script is the script's
// file name), programs started with QProcess (arguments as given, no shell), web addresses through
// QDesktopServices (the desktop's URL handler, given the address as one argument).
class LinuxProcessLauncher final : public ProcessLauncher {
public:
    std::vector<Process> RunningProcesses() override;
    bool StartDetached(const std::wstring& program, const std::vector<std::wstring>& arguments) override;
    bool OpenUrl(const std::wstring& address) override;
};
