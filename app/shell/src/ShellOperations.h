#pragma once

// Operations the main window and every page share.

#include <string>

class ProcessLauncher;
class QWidget;

// Brings a window to the front and gives it the focus; nothing for no window. The windows it owns
// come with it and the innermost open modal window stays on top with the focus (WindowStacking.h).
void ForceForeground(QWidget* window);

// Opens a web address (http or https) with the desktop's handler for web pages. The address is handed
// to the handler as one argument and never becomes part of a command line; anything that is not a
// well-formed web address is refused and traced. True when the handler was started.
bool OpenInBrowser(const std::wstring& address);

// The on-screen keyboard for a page's entry field: counts the running keyboard processes (tracing
// each) and starts the keyboard only when none runs. The keyboard program comes from the settings
// file (PROJECT/OSK_PROGRAM, default "onboard"). The 32-bit-on-64-bit flag has no meaning on Linux
// (there is no file-system redirection to turn off) and is accepted for the callers' sake.
// Returns the number of keyboard processes found.
int MyDoProcess(QWidget* owner, bool wow64);
inline constexpr wchar_t kDefaultKeyboardProgram[] = L"onboard";

// MyDoProcess's work with the launcher and program given: processes whose name contains the
// program's file name, without regard to case, are counted.
int StartKeyboardIfNotRunning(ProcessLauncher& launcher, const std::wstring& program);
