#pragma once

#include "TarvikPlatformExport.h"

#include <optional>
#include <string>

namespace tarvik {

// A folder only this user may enter: the runtime folder that holds the instance lock, the tray
// socket and the trace socket. Without XDG_RUNTIME_DIR it lies in /tmp, where any local user may
// have made it first to read the trace, hold the lock or stand in for the tray socket; so a folder
// found there is used only when it is a real folder (not a symbolic link) of this user, and one of
// ours that others may enter is closed to them first.
//
// Makes the folder (mode 0700, its parent must exist) or checks the one there. Returns nullopt when
// it may be used, else why not, as text for one trace line.
TARVIK_PLATFORM_EXPORT std::optional<std::string> makePrivateFolder(const std::string& path);

// makePrivateFolder(Platform::runtimeDir()).
TARVIK_PLATFORM_EXPORT std::optional<std::string> makeRuntimeFolder();

} // namespace tarvik
