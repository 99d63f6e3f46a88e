#include "LinuxSensorService.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace tarvik {

namespace {

constexpr double kStandardGravity = 9.80665; // m/s² per g
constexpr double kMilliPerUnit = 1000.0;
constexpr const char* kDevicePrefix = "iio:device";
constexpr const char* kAccelSuffix = "/accel";
constexpr const char* kTempSuffix = "/temp";
// sysfs attributes are a page at most.
constexpr std::size_t kAttributeBytes = 4096;

enum class Channel { Accel, Temp };

struct Id {
    std::string device; // "iio:device0"
    Channel channel;
};

std::optional<Id> parseId(const std::string& id)
{
    const auto slash = id.find('/');
    if (slash == std::string::npos || id.rfind(kDevicePrefix, 0) != 0)
        return std::nullopt;
    const std::string device = id.substr(0, slash);
    const std::string rest = id.substr(slash);
    if (device.find("..") != std::string::npos)
        return std::nullopt;
    if (rest == kAccelSuffix)
        return Id{device, Channel::Accel};
    if (rest == kTempSuffix)
        return Id{device, Channel::Temp};
    return std::nullopt;
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Reads a sysfs attribute; 0 or the errno of the failure.
int readAttribute(const std::string& path, std::string& out)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char buffer[kAttributeBytes];
    ssize_t n;
    do {
        n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    const int error = n < 0 ? errno : 0;
    close(fd);
    if (error != 0)
        return error;
    out.assign(buffer, static_cast<std::size_t>(n));
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return 0;
}

SensorError errorOf(int error)
{
    switch (error) {
    case 0:
        return SensorError::None;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return SensorError::Gone;
    case EACCES:
    case EPERM:
        return SensorError::AccessDenied;
    default:
        return SensorError::ReadFailed;
    }
}

// A decimal number as sysfs prints it ("-123", "0.009576"), independent of the C locale.
SensorError readNumber(const std::string& path, double& out)
{
    std::string text;
    if (const int error = readAttribute(path, text); error != 0)
        return errorOf(error);
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && !text.empty() ? SensorError::None : SensorError::ReadFailed;
}

// The first of the attributes that exists, or "".
std::string firstExisting(std::initializer_list<std::string> paths)
{
    for (const std::string& p : paths) {
        if (exists(p))
            return p;
    }
    return {};
}

// raw, offset and scale of one channel: (raw + offset) × scale.
SensorError readScaled(const std::string& dir, const std::string& channel, const std::string& shared, double& out)
{
    double raw = 0;
    if (SensorError e = readNumber(dir + "/in_" + channel + "_raw", raw); e != SensorError::None)
        return e;
    double offset = 0;
    if (const std::string p = firstExisting({dir + "/in_" + channel + "_offset", dir + "/in_" + shared + "_offset"}); !p.empty()) {
        if (SensorError e = readNumber(p, offset); e != SensorError::None)
            return e;
    }
    double scale = 1;
    if (const std::string p = firstExisting({dir + "/in_" + channel + "_scale", dir + "/in_" + shared + "_scale"}); !p.empty()) {
        if (SensorError e = readNumber(p, scale); e != SensorError::None)
            return e;
    }
    out = (raw + offset) * scale;
    return SensorError::None;
}

bool hasAccel(const std::string& dir) { return exists(dir + "/in_accel_x_raw") && exists(dir + "/in_accel_y_raw"); }
bool hasAccelZ(const std::string& dir) { return exists(dir + "/in_accel_z_raw"); }
bool hasTemp(const std::string& dir) { return exists(dir + "/in_temp_input") || exists(dir + "/in_temp_raw"); }

// The attribute whose readability decides whether the user may use the sensor.
std::string probeFile(const std::string& dir, Channel channel)
{
    if (channel == Channel::Accel)
        return dir + "/in_accel_x_raw";
    return exists(dir + "/in_temp_input") ? dir + "/in_temp_input" : dir + "/in_temp_raw";
}

// Device directories in index order (iio:device2 before iio:device10).
int listDevices(const std::string& root, std::vector<std::string>& out)
{
    DIR* dir = opendir(root.c_str());
    if (!dir)
        return errno;
    std::vector<std::pair<long, std::string>> found;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.rfind(kDevicePrefix, 0) != 0)
            continue;
        const std::string digits = name.substr(std::char_traits<char>::length(kDevicePrefix));
        long index = 0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (ec != std::errc() || ptr != digits.data() + digits.size())
            continue;
        found.emplace_back(index, name);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    for (auto& f : found)
        out.push_back(std::move(f.second));
    return 0;
}

std::string deviceName(const std::string& dir)
{
    std::string name;
    return readAttribute(dir + "/name", name) == 0 ? name : std::string();
}

} // namespace

LinuxSensorService::LinuxSensorService(std::string iioRoot) : root_(std::move(iioRoot)) {}

SensorError LinuxSensorService::connect() { return SensorError::None; }

SensorError LinuxSensorService::sensors(SensorCategory category, std::vector<SensorInfo>& out)
{
    out.clear();
    std::vector<std::string> devices;
    if (const int error = listDevices(root_, devices); error != 0) {
        // A kernel without IIO has no such folder: no sensors, not a failure.
        return error == ENOENT ? SensorError::None : SensorError::ReadFailed;
    }
    for (const std::string& device : devices) {
        const std::string dir = root_ + "/" + device;
        if (category == SensorCategory::Motion && hasAccel(dir)) {
            out.push_back({device + kAccelSuffix, category,
                           hasAccelZ(dir) ? SensorKind::Accelerometer3D : SensorKind::Accelerometer2D, deviceName(dir)});
        }
        if (category == SensorCategory::Environmental && hasTemp(dir))
            out.push_back({device + kTempSuffix, category, SensorKind::Temperature, deviceName(dir)});
    }
    return SensorError::None;
}

SensorError LinuxSensorService::state(const std::string& id, SensorState& out)
{
    const auto parsed = parseId(id);
    if (!parsed)
        return SensorError::NotFound;
    const std::string dir = root_ + "/" + parsed->device;
    if (parsed->channel == Channel::Accel ? !hasAccel(dir) : !hasTemp(dir))
        return SensorError::Gone;
    std::string text;
    const int error = readAttribute(probeFile(dir, parsed->channel), text);
    if (error == ENOENT)
        return SensorError::Gone;
    if (error == EACCES || error == EPERM)
        out = SensorState::AccessDenied;
    else
        out = error == 0 ? SensorState::Ready : SensorState::Error;
    return SensorError::None;
}

SensorError LinuxSensorService::requestPermission(const std::string& id, bool modal)
{
    SensorState s{};
    if (SensorError e = state(id, s); e != SensorError::None)
        return e;
    // Nobody can be asked on Linux: file permissions decide, and a modal request is refused at once.
    return modal && s == SensorState::AccessDenied ? SensorError::AccessDenied : SensorError::None;
}

SensorError LinuxSensorService::read(const std::string& id, SensorReport& out)
{
    out.values.clear();
    const auto parsed = parseId(id);
    if (!parsed)
        return SensorError::NotFound;
    const std::string dir = root_ + "/" + parsed->device;
    SensorReport report;
    if (parsed->channel == Channel::Accel) {
        if (!hasAccel(dir))
            return SensorError::Gone;
        const std::pair<const char*, SensorField> axes[] = {
            {"accel_x", SensorField::AccelerationX}, {"accel_y", SensorField::AccelerationY}, {"accel_z", SensorField::AccelerationZ}};
        for (const auto& [channel, field] : axes) {
            if (field == SensorField::AccelerationZ && !hasAccelZ(dir))
                continue;
            double metresPerSecond2 = 0;
            if (SensorError e = readScaled(dir, channel, "accel", metresPerSecond2); e != SensorError::None)
                return e;
            report.values.emplace_back(field, metresPerSecond2 / kStandardGravity);
        }
    } else {
        double milliCelsius = 0;
        if (exists(dir + "/in_temp_input")) {
            if (SensorError e = readNumber(dir + "/in_temp_input", milliCelsius); e != SensorError::None)
                return e;
        } else if (SensorError e = readScaled(dir, "temp", "temp", milliCelsius); e != SensorError::None) {
            return e;
        }
        report.values.emplace_back(SensorField::TemperatureCelsius, milliCelsius / kMilliPerUnit);
    }
    out = std::move(report);
    return SensorError::None;
}

SensorPropertyResult LinuxSensorService::setReportInterval(const std::string& id, std::uint32_t milliseconds)
{
    const auto parsed = parseId(id);
    if (!parsed)
        return {SensorError::NotFound, SensorError::None};
    const std::string dir = root_ + "/" + parsed->device;
    if (parsed->channel == Channel::Accel ? !hasAccel(dir) : !hasTemp(dir))
        return {SensorError::Gone, SensorError::None};
    const std::string channel = parsed->channel == Channel::Accel ? "accel" : "temp";
    const std::string file = firstExisting({dir + "/in_" + channel + "_sampling_frequency", dir + "/sampling_frequency"});
    // IIO knows no "default rate" to go back to, and a device without the attribute has one rate.
    if (file.empty() || milliseconds == 0)
        return {SensorError::None, SensorError::NotSupported};

    // The attribute is in Hz; to_chars keeps the decimal point whatever the locale.
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, kMilliPerUnit / milliseconds, std::chars_format::fixed, 3);
    if (ec != std::errc())
        return {SensorError::None, SensorError::InvalidValue};
    const int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return {SensorError::None, errno == ENOENT ? SensorError::NotSupported : errorOf(errno)};
    const std::size_t length = static_cast<std::size_t>(end - text);
    const ssize_t written = write(fd, text, length);
    const int error = written < 0 ? errno : 0;
    close(fd);
    if (error == EINVAL || error == ERANGE)
        return {SensorError::None, SensorError::InvalidValue};
    if (error != 0 || static_cast<std::size_t>(written) != length)
        return {SensorError::None, error != 0 ? errorOf(error) : SensorError::ReadFailed};
    return {};
}

} // namespace tarvik
