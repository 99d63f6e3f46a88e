#pragma once

#include "HardType.h"
#include "Idovan.h"
#include "Kestrom.h"

#include <memory>
#include <string>

class CKeyboardHook;
class CTraySocket;
class CTrayWnd;
class SessionEndWatcher;

// The application: start-up (InitInstance) identifies the hardware, makes sure the configuration
// exists, and then either becomes the running instance — the hidden tray window with its keyboard
// hook and socket — or hands the running instance the wake-up code and ends.
//
// One running instance per user session: an exclusive lock on $XDG_RUNTIME_DIR/tarvik/Tarvik.lock
// decides, so two starts at the same moment still give exactly one. The process count of
// Check_Process is traced, as ever, but decides nothing: it cannot tell two starting processes apart.
class CGX58_UtilityApp {
public:
    CGX58_UtilityApp();
    ~CGX58_UtilityApp();
    CGX58_UtilityApp(const CGX58_UtilityApp&) = delete;
    CGX58_UtilityApp& operator=(const CGX58_UtilityApp&) = delete;

    // The start-up sequence. True: the running instance, run the message loop. False: end now (the
    // wake-up code was handed over, or the tray window could not be made, or the runtime folder is
    // not a folder of this user only).
    bool InitInstance();
    // The process's exit status after InitInstance returned false: 0, or kExitRuntimeFolderRefused.
    int ExitCode() const { return m_exitCode; }
    static constexpr int kExitRuntimeFolderRefused = 1;

    // The running processes of this program, counted from /proc; 0 when the list cannot be read.
    int Check_Process();

    CTrayWnd* TrayWnd() const { return m_pTrayWnd.get(); }
    HardType GetHardType() const { return m_hardType; }

private:
    void TraceDiagnostics();
    HardType DetectHardType(int modelType);
    bool TakeInstanceLock();
    bool BecomeRunningInstance(unsigned long wakeupCode);

    // In the order of their meaning: folder, tray window, libraries.
    std::wstring m_keyMapFolder;
    std::unique_ptr<CTrayWnd> m_pTrayWnd;
    CIdovan m_idovan;
    HardType m_hardType = HARD_TYPE_GX58;
    CKestrom m_kestrom;

    int m_lockFd = -1;
    int m_exitCode = 0;
    std::unique_ptr<CTraySocket> m_traySocket;
    std::unique_ptr<CKeyboardHook> m_keyboardHook;
    std::unique_ptr<SessionEndWatcher> m_sessionEnd;
};
