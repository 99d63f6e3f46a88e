// tarvik-post: posts a scan code to the running Tarvik, as a front-panel key or another program does.
//
//   tarvik-post CODE [SECOND]     CODE and SECOND in hexadecimal (0x optional); SECOND defaults to 0
//
// Sends "0x83E8 CODE SECOND" on the tray socket ($XDG_RUNTIME_DIR/tarvik/TARVIK_TRAY_WND).
// Exit status 0 when delivered, 1 when no Tarvik listens, 2 on wrong arguments.

#include "CTraySocket.h"
#include "TrayLine.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
constexpr int kWaitMs = 2000;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: tarvik-post CODE [SECOND]   (hexadecimal, e.g. tarvik-post A1)\n");
        return 2;
    }
    const std::string line = "0x83E8 " + args[1].toStdString() + " " + (args.size() == 3 ? args[2].toStdString() : "0");
    const TrayLineResult parsed = ParseTrayLine(line);
    if (!parsed.message) {
        std::fprintf(stderr, "tarvik-post: %s\n", parsed.problem.c_str());
        return 2;
    }
    QString error;
    if (!CTraySocket::PostToTray(static_cast<WPARAM>(parsed.message->wParam), static_cast<LPARAM>(parsed.message->lParam),
                                 kWaitMs, &error)) {
        std::fprintf(stderr, "tarvik-post: no Tarvik at %s: %s\n", qPrintable(CTraySocket::SocketPath()),
                     qPrintable(error));
        return 1;
    }
    return 0;
}
