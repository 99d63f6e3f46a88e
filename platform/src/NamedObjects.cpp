#include "NamedObjects.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/PosixNamedObjects.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tarvik {

namespace {

constexpr const char* kMachineScope = "tarvik";

SeamSlot<NamedObjects> slot;

// "tarvik-" and a 64-bit FNV-1a hash of the board folder's real path: short enough for any name
// limit, the same in every process that names the folder in any way.
std::string boardScope(const std::string& dir)
{
    char resolved[PATH_MAX];
    const std::string path = realpath(dir.c_str(), resolved) ? std::string(resolved) : dir;
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : path) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    char text[32];
    std::snprintf(text, sizeof text, "tarvik-%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace

NamedObjects& processNamedObjects()
{
    return slot.get([]() -> std::unique_ptr<NamedObjects> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return namedObjectsForBoard(p.boardDir());
        return std::make_unique<PosixNamedObjects>(kMachineScope);
    });
}

void overrideProcessNamedObjects(NamedObjects* objects) { slot.setOverride(objects); }

std::unique_ptr<NamedObjects> namedObjectsForBoard(const std::string& dir)
{
    return std::make_unique<PosixNamedObjects>(boardScope(dir));
}

} // namespace tarvik
