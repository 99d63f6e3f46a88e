#include "LinuxUpsBattery.h"

#include "SysfsAttribute.h"
#include "SysfsValues.h"

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace tarvik::kestrom {

namespace {

std::optional<long long> number(const std::string& path)
{
    return sysfs::parseInteger(sysfs::readAttribute(path).value_or(""));
}

std::optional<int> chargeOf(const std::string& dir)
{
    if (const auto capacity = number(dir + "/capacity"))
        return static_cast<int>(std::clamp(*capacity, 0LL, 100LL));
    for (const char* kind : {"charge", "energy"}) {
        const auto now = number(dir + "/" + kind + "_now");
        const auto full = number(dir + "/" + kind + "_full");
        if (now && full && *full > 0)
            return static_cast<int>(std::clamp((*now * 100 + *full / 2) / *full, 0LL, 100LL));
    }
    return std::nullopt;
}

} // namespace

LinuxUpsBattery::LinuxUpsBattery(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

std::optional<int> LinuxUpsBattery::capacity() const
{
    std::vector<std::tuple<int, std::string>> supplies;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysRoot_ + "/class/power_supply", ec)) {
        const std::string dir = entry.path().string();
        const auto type = sysfs::readWord(dir + "/type");
        const int rank = type == "UPS" ? 0 : type == "Battery" ? 1 : -1;
        if (rank < 0 || sysfs::readWord(dir + "/scope") == "Device" || sysfs::readWord(dir + "/present") == "0")
            continue;
        supplies.emplace_back(rank, dir);
    }
    std::sort(supplies.begin(), supplies.end());
    for (const auto& [rank, dir] : supplies) {
        if (const auto charge = chargeOf(dir))
            return charge;
    }
    return std::nullopt;
}

} // namespace tarvik::kestrom
