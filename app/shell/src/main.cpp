// Tarvik: the control panel's resident program. It reads no arguments; a second start hands the
// running instance its wake-up code and ends.

#include "CGX58_UtilityApp.h"
#include "PrivateProfile.h"
#include "Trace.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Qt's own options (-platform, -style, ...) are arguments too: Qt sees only the program's name.
    char programName[] = "Tarvik";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : programName, nullptr};
    QApplication app(qtArgc, qtArgv);
    // The home screen closes and opens again while the program runs on, windowless.
    QApplication::setQuitOnLastWindowClosed(false);
    tarvik::setPrivateProfileTrace([](const std::wstring& line) { TraceMessage(L"%s", line.c_str()); });
    CGX58_UtilityApp theApp;
    if (!theApp.InitInstance())
        return theApp.ExitCode();
    return app.exec();
}
