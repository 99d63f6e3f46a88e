#include "LinuxDeviceList.h"

#include "TextConvert.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace tarvik {

namespace {

std::string readAttr(const fs::path& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

// Sierra Wireless (USB vendor 0x1199) modems are listed under this name by their Windows driver,
// and the program looks the modem up by it.
constexpr const char* kSierraModemDescription = "Sierra Wireless WWAN Modem";
constexpr const char* kSierraVendor = "1199";

bool isModemDriver(const std::string& driver)
{
    return driver == "qcserial" || driver == "sierra" || driver == "option";
}

struct TtyInfo {
    std::string description;
    bool modem = false;
};

// Walks up from the tty's device to the USB device (the folder holding idVendor), if any.
std::optional<fs::path> usbDeviceOf(const fs::path& device)
{
    std::error_code ec;
    fs::path p = fs::canonical(device, ec);
    if (ec)
        return std::nullopt;
    for (int depth = 0; depth < 4 && p.has_parent_path(); ++depth, p = p.parent_path()) {
        if (fs::exists(p / "idVendor", ec))
            return p;
    }
    return std::nullopt;
}

std::optional<TtyInfo> describe(const fs::path& ttyDir, const std::string& name)
{
    std::error_code ec;
    const fs::path device = ttyDir / "device";
    if (!fs::exists(device, ec))
        return std::nullopt; // virtual terminals and ptys have no device
    TtyInfo info;
    if (name.rfind("ttyS", 0) == 0) {
        // Legacy 8250 ports are listed whether or not the UART exists; type 0 means it does not.
        const std::string type = readAttr(ttyDir / "type");
        if (type.empty() || type == "0")
            return std::nullopt;
        info.description = "Communications Port";
        return info;
    }
    std::string driver;
    for (fs::path p = device; driver.empty() && !p.empty(); p = p.parent_path()) {
        if (fs::is_symlink(p / "driver", ec))
            driver = fs::read_symlink(p / "driver", ec).filename().string();
        if (p == device.parent_path().parent_path())
            break;
    }
    const auto usb = usbDeviceOf(device);
    const std::string vendor = usb ? readAttr(*usb / "idVendor") : "";
    std::string product = usb ? readAttr(*usb / "product") : "";
    const std::string maker = usb ? readAttr(*usb / "manufacturer") : "";
    if (!maker.empty() && product.rfind(maker, 0) != 0)
        product = maker + " " + product;
    info.modem = isModemDriver(driver) || vendor == kSierraVendor;
    if (info.modem && vendor == kSierraVendor)
        info.description = kSierraModemDescription;
    else if (!product.empty())
        info.description = product;
    else
        info.description = "USB Serial Port";
    return info;
}

} // namespace

LinuxDeviceList::LinuxDeviceList(std::string sysRoot, std::string comDir)
    : sysRoot_(std::move(sysRoot)), comDir_(std::move(comDir))
{
}

std::optional<std::vector<DeviceEntry>> LinuxDeviceList::presentDevices(DeviceClass deviceClass, bool)
{
    std::error_code ec;
    const fs::path classDir = fs::path(sysRoot_) / "class" / "tty";
    if (!fs::is_directory(classDir, ec))
        return std::nullopt;

    // COM numbers given by links in the COM folder, by the device they point at.
    std::map<std::string, int> linked;
    if (!comDir_.empty()) {
        for (const auto& entry : fs::directory_iterator(comDir_, ec)) {
            const std::string n = entry.path().filename().string();
            if (n.size() < 4 || n.rfind("COM", 0) != 0 ||
                !std::all_of(n.begin() + 3, n.end(), [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            const fs::path target = fs::canonical(entry.path(), ec);
            if (!ec)
                linked[target.filename().string()] = std::stoi(n.substr(3));
        }
    }

    std::vector<std::pair<int, DeviceEntry>> found;
    for (const auto& entry : fs::directory_iterator(classDir, ec)) {
        const std::string name = entry.path().filename().string();
        int com = 0;
        if (auto it = linked.find(name); it != linked.end())
            com = it->second;
        else if (comDir_.empty() && name.rfind("ttyS", 0) == 0 && name.size() > 4 &&
                 std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            com = std::stoi(name.substr(4)) + 1;
        if (com <= 0)
            continue;
        const auto info = describe(entry.path(), name);
        if (!info || info->modem != (deviceClass == DeviceClass::Modem))
            continue;
        const std::string port = "COM" + std::to_string(com);
        DeviceEntry e;
        e.classGuid = classGuidOf(deviceClass);
        e.description = utf8ToWide(info->description);
        e.friendlyName = utf8ToWide(info->modem ? info->description : info->description + " (" + port + ")");
        e.portName = utf8ToWide(port);
        found.emplace_back(com, std::move(e));
    }
    // sysfs order is arbitrary; list by COM number like the system's device manager does.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<DeviceEntry> devices;
    for (auto& f : found)
        devices.push_back(std::move(f.second));
    return devices;
}

} // namespace tarvik
