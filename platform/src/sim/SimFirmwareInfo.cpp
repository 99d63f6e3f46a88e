#include "SimFirmwareInfo.h"

#include "Board.h"
#include "TextConvert.h"

#include <cerrno>
#include <cstdlib>

namespace tarvik {

SimFirmwareInfo::SimFirmwareInfo(std::string boardDir) : boardDir_(std::move(boardDir)) {}

std::optional<std::string> SimFirmwareInfo::value(std::string_view name)
{
    auto profile = board::BoardProfile::load(boardDir_ + "/" + board::kProfileFile);
    if (!profile)
        return std::nullopt;
    return profile->get("firmware", std::string(name));
}

std::optional<std::wstring> SimFirmwareInfo::readString(std::string_view name)
{
    if (name != "BIOSVersion" && name != "SystemSKU" && name != "BaseBoardVersion")
        return std::nullopt;
    const auto v = value(name);
    if (!v)
        return std::nullopt;
    return utf8ToWide(*v);
}

std::optional<std::uint32_t> SimFirmwareInfo::readNumber(std::string_view name)
{
    if (name != "ECFirmwareMajorRelease" && name != "ECFirmwareMinorRelease")
        return std::nullopt;
    const auto v = value(name);
    if (!v || v->empty())
        return std::nullopt;
    // Decimal unless marked hexadecimal, as the board tool writes it.
    const bool hex = v->size() > 2 && (*v)[0] == '0' && ((*v)[1] == 'x' || (*v)[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(v->c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || n > 0xFFFFFFFFULL)
        return std::nullopt;
    return static_cast<std::uint32_t>(n);
}

} // namespace tarvik
