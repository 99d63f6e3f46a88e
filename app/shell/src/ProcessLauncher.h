#pragma once

#include <string>
#include <vector>

// What the shell needs from the system to start and count programs: a seam, so that tests count and
// start nothing real. One back end per process (the system's, see LinuxProcessLauncher), which a test
// may put its own in front of.
class ProcessLauncher {
public:
    struct Process {
        int pid;
        std::wstring name; // executable name without folder
    };

    virtual ~ProcessLauncher() = default;
    // The running processes in process-id order; empty when the list cannot be read.
    virtual std::vector<Process> RunningProcesses() = 0;
    // Starts a program with its arguments, each handed over as it is (no shell); false on failure.
    virtual bool StartDetached(const std::wstring& program, const std::vector<std::wstring>& arguments) = 0;
    // Opens a web address with the desktop's handler for web pages; false on failure.
    virtual bool OpenUrl(const std::wstring& address) = 0;
};

ProcessLauncher& processLauncher();
// Puts a launcher in front of the process's own until called with nullptr (tests).
void overrideProcessLauncher(ProcessLauncher* launcher);
