#include "CGX58_UtilityApp.h"

#include "AppPaths.h"
#include "CKeyboardHook.h"
#include "CTraySocket.h"
#include "CTrayWnd.h"
#include "HexText.h"
#include "Platform.h"
#include "PortDiscovery.h"
#include "PrivateFolder.h"
#include "PrivateProfile.h"
#include "ProcessCount.h"
#include "ProcessLauncher.h"
#include "SessionEndWatcher.h"
#include "TemplateCopy.h"
#include "Trace.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

constexpr wchar_t kProject[] = L"PROJECT";
constexpr wchar_t kDefaultWakeupCode[] = L"3F";
constexpr char kLockName[] = "Tarvik.lock";
// How long a second start waits for a starting first instance to listen on its socket.
constexpr int kHandOverWaitMs = 5000;

void traceDebugLine(const std::wstring& line) { TraceDebug(L"%s", line.c_str()); }

std::wstring wide(const QString& text) { return text.toStdWString(); }

std::wstring environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value).toStdWString() : std::wstring();
}

// The distribution's name from os-release, e.g. "Debian GNU/Linux 12 (bookworm)".
std::wstring distributionName()
{
    std::ifstream in("/etc/os-release");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("PRETTY_NAME=", 0) != 0)
            continue;
        std::string value = line.substr(12);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return QString::fromStdString(value).toStdWString();
    }
    return L"unknown";
}

} // namespace

CGX58_UtilityApp::CGX58_UtilityApp() = default;

CGX58_UtilityApp::~CGX58_UtilityApp()
{
    m_sessionEnd.reset();
    m_keyboardHook.reset();
    m_traySocket.reset();
    m_pTrayWnd.reset();
    // Last: while the lock is held no other start takes over the socket's name.
    if (m_lockFd >= 0)
        close(m_lockFd);
}

bool CGX58_UtilityApp::InitInstance()
{
    // 1. Nothing to register: Qt's controls need no class registration.
    TraceDebug(L"\nApp Starting...");
    // The lock, the sockets and the default board live in the runtime folder; one that is not this
    // user's alone (another user may make /tmp/tarvik-<uid> first) would let that user block the
    // start, read the traces or stand in for the tray socket. Checked before anything is put there.
    if (const auto problem = tarvik::makeRuntimeFolder()) {
        TraceDebug(L"\nApp the runtime folder %S; Tarvik ends", problem->c_str());
        m_exitCode = kExitRuntimeFolderRefused;
        return false;
    }
    TraceDiagnostics();

    const DataPaths paths = ResolveDataPaths(ProcessDataPathSources(), traceDebugLine);
    SetAppDataPaths(paths);

    const int modelType = m_idovan.vDI_ModelType();
    TraceDebug(L"\nApp vDI_ModelType = <%d>", modelType);
    CopyTemplates(paths, modelType, traceDebugLine);

    m_hardType = DetectHardType(modelType);
    WritePrivateProfileStringW(kProject, L"HARD_TYPE", HardTypeName(m_hardType), paths.settingsFile.c_str());

    DiscoverPorts(paths.settingsFile,
                  [this](const std::wstring& descriptor) {
                      return m_idovan.vDI_ModuleSerialPortNumber(descriptor.c_str());
                  },
                  traceDebugLine);

    const std::wstring wakeupText = ReadSettingText(kProject, L"WAKEUP_CODE", kDefaultWakeupCode);
    TraceDebug(L"\nApp tstrWakeupCode = <%s>", wakeupText.c_str());
    const unsigned long wakeupCode = ParseHex(wakeupText);

    const int count = Check_Process();
    TraceDebug(L"\nApp Process Count = <%d>", count);

    if (TakeInstanceLock())
        return BecomeRunningInstance(wakeupCode);

    // Another instance runs (or is starting): it gets the wake-up code; this one shows nothing.
    QString error;
    if (!CTraySocket::PostToTray(wakeupCode, 0, kHandOverWaitMs, &error))
        TraceDebug(L"\nApp the running instance cannot be reached: %s", error.toStdWString().c_str());
    return false;
}

void CGX58_UtilityApp::TraceDiagnostics()
{
    // What Windows gives as computer, user, folders and variables, in their Linux form; only traced.
    const passwd* user = getpwuid(getuid());
    TraceDebug(L"ComputerName=<%s>", wide(QSysInfo::machineHostName()).c_str());
    TraceDebug(L"UserName=<%S>", user ? user->pw_name : "?");
    TraceDebug(L"HomeFolder=<%s>", environmentValue("HOME").c_str());
    TraceDebug(L"RuntimeFolder=<%s>", environmentValue("XDG_RUNTIME_DIR").c_str());
    TraceDebug(L"TempFolder=<%s>", environmentValue("TMPDIR").empty() ? L"/tmp" : environmentValue("TMPDIR").c_str());
    TraceDebug(L"PATH=<%s>", environmentValue("PATH").c_str());
    TraceDebug(L"WindowsVersion()");
    utsname system{};
    uname(&system);
    TraceDebug(L"OS=<%S %S %S; %s>", system.sysname, system.release, system.version, distributionName().c_str());
    // A 32-bit build on a 64-bit kernel is what Windows calls WOW64.
    const bool is64BitProcess = sizeof(void*) == 8;
    const bool wow64 = !is64BitProcess && QSysInfo::currentCpuArchitecture() != QSysInfo::buildCpuArchitecture();
    TraceDebug(L"bIsWow64=<%d>", wow64 ? 1 : 0);
    TraceDebug(is64BitProcess ? L"64-bit" : L"32-bit");
    TraceDebug(L"Board=<%S>", tarvik::Platform::instance().reason().c_str());
}

HardType CGX58_UtilityApp::DetectHardType(int modelType)
{
    int powerBoard = 0;
    if (modelType == kModelTypeRQ63) {
        const int bRet = m_kestrom.vPM_RQ63PowerBoard(&powerBoard);
        TraceDebug(L"\nApp vPM_RQ63PowerBoard: bRet = %d, value = %d", bRet, powerBoard);
    }
    const HardType type = HardTypeOfModel(modelType, powerBoard);
    TraceDebug(L"\nApp HARD_TYPE = <%s>", HardTypeName(type));
    return type;
}

int CGX58_UtilityApp::Check_Process()
{
    TraceDebug(L"CGX58_UtilityApp::Check_Process()");
    std::vector<std::wstring> names;
    for (const ProcessLauncher::Process& process : processLauncher().RunningProcesses())
        names.push_back(process.name);
    const std::wstring program = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdWString();
    return CountProgramProcesses(names, program, traceDebugLine);
}

bool CGX58_UtilityApp::TakeInstanceLock()
{
    const QString socketPath = CTraySocket::SocketPath();
    const std::string path = tarvik::Platform::runtimeDir() + "/" + kLockName;
    // Close-on-exec: a program started from a key must not inherit (and keep) the lock. No link is
    // followed: the lock is a file of this folder, never one a link points to.
    m_lockFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        TraceDebug(L"\nApp cannot open the instance lock <%S>: %S", path.c_str(), std::strerror(errno));
        return false;
    }
    if (flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
        return true;
    close(m_lockFd);
    m_lockFd = -1;
    TraceDebug(L"\nApp another instance holds <%S>: handing the wake-up code to <%s>", path.c_str(),
               socketPath.toStdWString().c_str());
    return false;
}

bool CGX58_UtilityApp::BecomeRunningInstance(unsigned long wakeupCode)
{
    m_keyMapFolder = QFileInfo(QString::fromStdWString(AppDataPaths().keyMapFile)).path().toStdWString() + L"/";

    m_pTrayWnd = std::make_unique<CTrayWnd>();
    m_pTrayWnd->SetHardType(m_hardType);
    if (!m_pTrayWnd->CreateEx()) {
        m_pTrayWnd.reset();
        return false;
    }
    QObject::connect(m_pTrayWnd.get(), &CTrayWnd::windowDestroyed, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);

    m_traySocket = std::make_unique<CTraySocket>(m_pTrayWnd.get());
    m_traySocket->Listen();
    m_keyboardHook = std::make_unique<CKeyboardHook>();
    m_keyboardHook->Install(ParseKeyboardDevices(ReadSettingText(kProject, L"KEYBOARD_DEVICES", L"")));
    m_sessionEnd = std::make_unique<SessionEndWatcher>(m_pTrayWnd.get());
    m_sessionEnd->Install();

    PostMessage(FindWindowByTitle(QStringLiteral("TARVIK_TRAY_WND")), WM_TRAY_KEY, wakeupCode, 0);
    return true;
}
