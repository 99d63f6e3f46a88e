#include "LinuxFirmwareInfo.h"

#include "TextConvert.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace tarvik {

namespace {

std::optional<std::string> readLine(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// SMBIOS BIOS information (type 0): byte 1 is the structure length; the embedded controller
// firmware major and minor releases are at offsets 0x16 and 0x17 (SMBIOS 2.4 and later), 0xFF
// meaning "not an upgradeable EC".
constexpr std::size_t kEcMajorOffset = 0x16;
constexpr std::size_t kEcMinorOffset = 0x17;

} // namespace

LinuxFirmwareInfo::LinuxFirmwareInfo(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

std::optional<std::wstring> LinuxFirmwareInfo::readString(std::string_view name)
{
    const char* file = nullptr;
    if (name == "BIOSVersion")
        file = "bios_version";
    else if (name == "SystemSKU")
        file = "product_sku";
    else if (name == "BaseBoardVersion")
        file = "board_version";
    if (!file)
        return std::nullopt;
    const auto line = readLine(sysRoot_ + "/class/dmi/id/" + file);
    if (!line)
        return std::nullopt;
    return utf8ToWide(*line);
}

std::optional<std::uint32_t> LinuxFirmwareInfo::readNumber(std::string_view name)
{
    std::size_t offset = 0;
    if (name == "ECFirmwareMajorRelease")
        offset = kEcMajorOffset;
    else if (name == "ECFirmwareMinorRelease")
        offset = kEcMinorOffset;
    else
        return std::nullopt;
    std::ifstream in(sysRoot_ + "/firmware/dmi/entries/0-0/raw", std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::vector<unsigned char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (raw.size() < 2 || raw[0] != 0 || raw[1] <= offset || raw.size() <= offset || raw[offset] == 0xFF)
        return std::nullopt;
    return raw[offset];
}

} // namespace tarvik
