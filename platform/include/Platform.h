#pragma once

#include "TarvikPlatformExport.h"

#include <string>

namespace tarvik {

// Which machine this process talks to, decided once from TARVIK_BOARD:
//   a directory  the virtual board kept there;
//   "hw"         the real hardware;
//   unset        the real hardware when the firmware names a supported model, else the default
//                virtual board ($XDG_RUNTIME_DIR/tarvik/board), created as a GX58 on first use.
// This is the only place that reads the variable; every seam asks it which back end to build.
class TARVIK_PLATFORM_EXPORT Platform {
public:
    static const Platform& instance();

    bool isVirtual() const { return !boardDir_.empty(); }

    // The virtual board's directory; empty on real hardware.
    const std::string& boardDir() const { return boardDir_; }

    // Why this choice was made, for start-up diagnostics.
    const std::string& reason() const { return reason_; }

    // TARVIK_COM_DIR: a folder of COMn links that overrides where serial ports are found.
    const std::string& comDir() const { return comDir_; }

    // The rule above, without side effects other than creating the default board when it is the
    // one chosen. Exposed for tests.
    static Platform choose(const char* tarvikBoard, const char* tarvikComDir,
                           const std::string& dmiBiosVersionPath, const std::string& defaultBoardDir);

    // $XDG_RUNTIME_DIR/tarvik (or /tmp/tarvik-<uid> without a runtime directory): where the
    // default board, sockets and other per-session files live. Only the path: makeRuntimeFolder()
    // (PrivateFolder.h) makes it and says whether it may be used.
    static std::string runtimeDir();

private:
    Platform(std::string boardDir, std::string reason, std::string comDir)
        : boardDir_(std::move(boardDir)), reason_(std::move(reason)), comDir_(std::move(comDir)) {}

    std::string boardDir_;
    std::string reason_;
    std::string comDir_;
};

// True when a BIOS version string starts with the prefix of one of the supported models.
TARVIK_PLATFORM_EXPORT bool isSupportedBiosVersion(const std::string& biosVersion);

// The device file behind serial port COMn: $TARVIK_COM_DIR/COMn when that is set, else on the
// virtual board the board directory's COMn link, else /dev/ttyS(n-1).
TARVIK_PLATFORM_EXPORT std::string comDevicePath(int comNumber);

} // namespace tarvik
