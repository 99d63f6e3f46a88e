// Tarvik. Until the program's start-up and its tray window are in place, it makes the settings of
// the board's model when they are missing and shows the home screen; closing the home screen ends it.

#include "AppPaths.h"
#include "CGX58_UtilityDlg.h"
#include "Idovan.h"
#include "PrivateProfile.h"
#include "TemplateCopy.h"
#include "Trace.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tarvik::setPrivateProfileTrace([](const std::wstring& line) { TraceMessage(L"%s", line.c_str()); });
    TraceDebug(L"\nApp Starting...");
    CIdovan idovan;
    CopyTemplates(AppDataPaths(), idovan.vDI_ModelType(), [](const std::wstring& line) { TraceDebug(L"%s", line.c_str()); });
    CGX58_UtilityDlg home;
    home.CreateModeless();
    return app.exec();
}
