#pragma once

#include "ConfigTrace.h"

#include <string>
#include <vector>

// The kernel keeps this many characters of a process's command name (TASK_COMM_LEN - 1).
inline constexpr std::size_t kCommandNameChars = 15;

// How many of the running processes (their command names, in process-list order) are the program:
// those whose name equals the program's file name (cut as the kernel cuts it), without regard to
// case. Each is traced as "=====<program> found !!!".
//
// Windows counts every name that contains "Tarvik.exe"; Linux names carry no ".exe", and a
// "contains" test on "Tarvik" would also count the program's own tools (tarvik-board, tarvik-trace),
// so the name must match whole.
int CountProgramProcesses(const std::vector<std::wstring>& commandNames, const std::wstring& program,
                          const ConfigTrace& trace);
