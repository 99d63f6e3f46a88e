#include "LinuxBacklight.h"

#include "SysfsAttribute.h"
#include "SysfsValues.h"

#include <filesystem>
#include <tuple>

namespace fs = std::filesystem;

namespace tarvik::kestrom {

namespace {

// The kernel's advice for choosing among backlights (Documentation/ABI/stable/sysfs-class-backlight).
int typeRank(const std::optional<std::string>& type)
{
    if (type == "firmware")
        return 0;
    if (type == "platform")
        return 1;
    if (type == "raw")
        return 2;
    return 3;
}

} // namespace

LinuxBacklight::LinuxBacklight(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

std::optional<LinuxBacklight::Device> LinuxBacklight::device() const
{
    std::optional<Device> best;
    std::tuple<int, std::string> bestKey;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysRoot_ + "/class/backlight", ec)) {
        const std::string dir = entry.path().string();
        const auto max = sysfs::parseInteger(sysfs::readAttribute(dir + "/max_brightness").value_or(""));
        if (!max || *max <= 0)
            continue;
        const std::tuple<int, std::string> key{typeRank(sysfs::readWord(dir + "/type")), entry.path().filename().string()};
        if (!best || key < bestKey) {
            best = Device{dir, *max};
            bestKey = key;
        }
    }
    return best;
}

std::optional<int> LinuxBacklight::percent()
{
    const auto d = device();
    if (!d)
        return std::nullopt;
    const auto level = sysfs::parseInteger(sysfs::readAttribute(d->dir + "/brightness").value_or(""));
    if (!level)
        return std::nullopt;
    if (d->dir == lastDir_ && *level == lastLevel_)
        return lastPercent_;
    return sysfs::percentFromLevel(*level, d->maxLevel);
}

bool LinuxBacklight::setPercent(int percent)
{
    const auto d = device();
    if (!d)
        return false;
    const long long level = sysfs::levelFromPercent(percent, d->maxLevel);
    if (!sysfs::writeAttribute(d->dir + "/brightness", std::to_string(level)))
        return false;
    lastDir_ = d->dir;
    lastPercent_ = percent;
    lastLevel_ = level;
    return true;
}

} // namespace tarvik::kestrom
