#include "RfkillWlanService.h"

#include "TextConvert.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tarvik {

namespace {

// {52464B4C-574C-414E-8000-0000iiiiiiii}: "RFKLWLAN" and the switch index. Switch indices are
// only stable while the driver stays loaded, which is all the GUID has to last here.
constexpr std::uint8_t kGuidHead[12] = {0x4C, 0x4B, 0x46, 0x52, 0x4C, 0x57, 0x4E, 0x41, 0x80, 0x00, 0x00, 0x00};

std::uint32_t errorCodeFor(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return kWlanServiceNotActive;
    case EACCES:
    case EPERM:
        return kWlanAccessDenied;
    default:
        return kWlanGenFailure;
    }
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string firstLine(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

} // namespace

RfkillWlanService::RfkillWlanService(std::string devicePath, std::string sysfsRoot)
    : devicePath_(std::move(devicePath)), sysfsRoot_(std::move(sysfsRoot))
{
}

InterfaceGuid RfkillWlanService::guidForSwitch(std::uint32_t idx)
{
    InterfaceGuid guid{};
    std::copy(std::begin(kGuidHead), std::end(kGuidHead), guid.begin());
    guid[12] = static_cast<std::uint8_t>(idx >> 24);
    guid[13] = static_cast<std::uint8_t>(idx >> 16);
    guid[14] = static_cast<std::uint8_t>(idx >> 8);
    guid[15] = static_cast<std::uint8_t>(idx);
    return guid;
}

std::uint32_t RfkillWlanService::failure(const char* what, int error)
{
    // One line per process: the library asks again on every page refresh.
    if (!reported_.exchange(true))
        std::fprintf(stderr, "WLAN: cannot %s %s: %s\n", what, devicePath_.c_str(), std::strerror(error));
    return errorCodeFor(error);
}

std::uint32_t RfkillWlanService::open()
{
    Fd fd(::open(devicePath_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    return fd.get() < 0 ? failure("open", errno) : kWlanSuccess;
}

std::uint32_t RfkillWlanService::readWlanSwitches(std::vector<RfkillSwitch>& switches)
{
    Fd fd(::open(devicePath_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return failure("open", errno);
    // The kernel queues one addition per switch for a new reader, then has nothing (EAGAIN). A plain
    // file of 8-byte records, as tests use, ends instead.
    std::vector<RfkillSwitch> all;
    for (;;) {
        std::uint8_t record[RfkillEvent::kSize];
        const ssize_t n = read(fd.get(), record, sizeof record);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return failure("read", errno);
        if (n <= 0)
            break;
        const auto event = RfkillEvent::decode(record, static_cast<std::size_t>(n));
        if (!event)
            break; // a cut record at the end of a file
        applyRfkillEvent(all, *event);
    }
    switches.clear();
    std::copy_if(all.begin(), all.end(), std::back_inserter(switches),
                 [](const RfkillSwitch& s) { return s.type == RfkillEvent::kTypeWlan; });
    return kWlanSuccess;
}

std::wstring RfkillWlanService::description(std::uint32_t idx) const
{
    const std::string name =
        firstLine(std::filesystem::path(sysfsRoot_) / "class/rfkill" / ("rfkill" + std::to_string(idx)) / "name");
    return utf8ToWide(name.empty() ? "rfkill" + std::to_string(idx) : name);
}

std::int32_t RfkillWlanService::connectionState(const RfkillSwitch& s) const
{
    if (s.soft || s.hard)
        return kWlanStateNotReady;
    // rfkillN/device is the wireless PHY, its device the adapter, whose net/ lists the interface.
    const std::filesystem::path net = std::filesystem::path(sysfsRoot_) / "class/rfkill" /
                                      ("rfkill" + std::to_string(s.idx)) / "device/device/net";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(net, ec)) {
        const std::string operstate = firstLine(entry.path() / "operstate");
        if (operstate == "up")
            return kWlanStateConnected;
        if (operstate == "dormant")
            return kWlanStateAuthenticating; // waiting for 802.1X
    }
    return kWlanStateDisconnected;
}

std::uint32_t RfkillWlanService::enumInterfaces(std::vector<WlanInterface>& interfaces)
{
    std::vector<RfkillSwitch> switches;
    if (const std::uint32_t error = readWlanSwitches(switches); error != kWlanSuccess)
        return error;
    interfaces.clear();
    for (const RfkillSwitch& s : switches)
        interfaces.push_back({guidForSwitch(s.idx), description(s.idx), connectionState(s)});
    return kWlanSuccess;
}

std::uint32_t RfkillWlanService::queryRadioState(const InterfaceGuid& interface, std::vector<WlanPhyRadio>& phys)
{
    std::vector<RfkillSwitch> switches;
    if (const std::uint32_t error = readWlanSwitches(switches); error != kWlanSuccess)
        return error;
    for (const RfkillSwitch& s : switches) {
        if (guidForSwitch(s.idx) != interface)
            continue;
        phys = {{0, s.soft ? kWlanRadioOff : kWlanRadioOn, s.hard ? kWlanRadioOff : kWlanRadioOn}};
        return kWlanSuccess;
    }
    return kWlanNotFound;
}

std::uint32_t RfkillWlanService::setSoftwareRadioState(const InterfaceGuid& interface, std::uint32_t phyIndex,
                                                       std::uint32_t state)
{
    if (phyIndex != 0 || (state != kWlanRadioOn && state != kWlanRadioOff))
        return kWlanInvalidParameter;
    std::vector<RfkillSwitch> switches;
    if (const std::uint32_t error = readWlanSwitches(switches); error != kWlanSuccess)
        return error;
    const auto it = std::find_if(switches.begin(), switches.end(),
                                 [&](const RfkillSwitch& s) { return guidForSwitch(s.idx) == interface; });
    if (it == switches.end())
        return kWlanNotFound;
    Fd fd(::open(devicePath_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (fd.get() < 0)
        return failure("write to", errno);
    RfkillEvent change;
    change.idx = it->idx;
    change.type = RfkillEvent::kTypeWlan;
    change.op = RfkillEvent::kOpChange;
    change.soft = state == kWlanRadioOff;
    change.hard = it->hard; // the kernel ignores it; a recorded stream stays truthful with it
    const auto record = change.encode();
    ssize_t n;
    do {
        n = write(fd.get(), record.data(), record.size());
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(record.size()))
        return n < 0 ? failure("write to", errno) : kWlanGenFailure;
    return kWlanSuccess;
}

} // namespace tarvik
