#include "Platform.h"

#include "Board.h"
#include "ModelTable.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace tarvik {

namespace {
constexpr const char* kDmiBiosVersion = "/sys/class/dmi/id/bios_version";
// A machine with no supported firmware and no board named gets this one.
constexpr const char* kDefaultModel = "KTA";
} // namespace

bool isSupportedBiosVersion(const std::string& biosVersion)
{
    const std::wstring wide(biosVersion.begin(), biosVersion.end());
    return modelValueForBiosVersion(wide) != 0;
}

std::string Platform::runtimeDir()
{
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg)
        return std::string(xdg) + "/tarvik";
    return "/tmp/tarvik-" + std::to_string(getuid());
}

Platform Platform::choose(const char* tarvikBoard, const char* tarvikComDir,
                          const std::string& dmiBiosVersionPath, const std::string& defaultBoardDir)
{
    const std::string comDir = tarvikComDir ? tarvikComDir : "";
    std::string dir;
    std::string reason;
    if (tarvikBoard && *tarvikBoard) {
        if (std::string(tarvikBoard) == "hw")
            return Platform({}, "TARVIK_BOARD=hw: real hardware", comDir);
        dir = tarvikBoard;
        reason = "TARVIK_BOARD: virtual board " + dir;
    } else {
        std::string bios;
        std::ifstream in(dmiBiosVersionPath);
        std::getline(in, bios);
        if (isSupportedBiosVersion(bios))
            return Platform({}, "firmware reports supported model (BIOS " + bios + "): real hardware", comDir);
        dir = defaultBoardDir;
        reason = "no supported firmware (BIOS \"" + bios + "\"): default virtual board " + dir;
    }
    if (!board::Board::exists(dir)) {
        auto made = board::Board::create(dir, kDefaultModel);
        if (made)
            reason += " (created as GX58/" + std::string(kDefaultModel) + ")";
        else
            reason += " (cannot create it: " + made.error() + ")";
    }
    return Platform(dir, reason, comDir);
}

const Platform& Platform::instance()
{
    static const Platform platform =
        choose(std::getenv("TARVIK_BOARD"), std::getenv("TARVIK_COM_DIR"), kDmiBiosVersion, runtimeDir() + "/board");
    return platform;
}

std::string comDevicePath(int comNumber)
{
    const Platform& p = Platform::instance();
    const std::string name = "COM" + std::to_string(comNumber);
    if (!p.comDir().empty())
        return p.comDir() + "/" + name;
    if (p.isVirtual())
        return p.boardDir() + "/" + name;
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

} // namespace tarvik
