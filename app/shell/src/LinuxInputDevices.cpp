#include "LinuxInputDevices.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr char kInputDir[] = "/dev/input";
constexpr std::size_t kNameBytes = 256;

template <std::size_t Bits>
constexpr std::size_t longsFor()
{
    return (Bits + LONG_BIT - 1) / LONG_BIT;
}

bool testBit(const unsigned long* bits, unsigned bit) { return (bits[bit / LONG_BIT] >> (bit % LONG_BIT)) & 1UL; }

} // namespace

QStringList LinuxInputDevices::List()
{
    QStringList paths;
    const QStringList entries = QDir(QLatin1String(kInputDir)).entryList({QStringLiteral("event*")}, QDir::System);
    for (const QString& entry : entries)
        paths << QLatin1String(kInputDir) + QLatin1Char('/') + entry;
    return paths;
}

InputDevices::Opened LinuxInputDevices::Open(const QString& path)
{
    Opened opened;
    opened.fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (opened.fd < 0) {
        opened.error = errno;
        return opened;
    }
    // A query that fails (not an evdev device) leaves its bits clear: such a device is "other".
    input_id id{};
    if (ioctl(opened.fd, EVIOCGID, &id) == 0)
        opened.description.bus = id.bustype;
    char name[kNameBytes] = {};
    if (ioctl(opened.fd, EVIOCGNAME(sizeof name - 1), name) >= 0)
        opened.name = QString::fromUtf8(name);

    unsigned long keys[longsFor<KEY_CNT>()] = {};
    if (ioctl(opened.fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) >= 0) {
        for (unsigned key = 0; key < KEY_CNT; ++key)
            opened.description.keys.set(key, testBit(keys, key));
    }
    unsigned long misc[longsFor<MSC_CNT>()] = {};
    if (ioctl(opened.fd, EVIOCGBIT(EV_MSC, sizeof misc), misc) >= 0)
        opened.description.scanReports = testBit(misc, MSC_SCAN);
    unsigned long rel[longsFor<REL_CNT>()] = {};
    unsigned long abs[longsFor<ABS_CNT>()] = {};
    const bool relative = ioctl(opened.fd, EVIOCGBIT(EV_REL, sizeof rel), rel) >= 0 && testBit(rel, REL_X) && testBit(rel, REL_Y);
    const bool absolute = ioctl(opened.fd, EVIOCGBIT(EV_ABS, sizeof abs), abs) >= 0 && testBit(abs, ABS_X) && testBit(abs, ABS_Y);
    opened.description.pointerAxes = relative || absolute;
    return opened;
}
