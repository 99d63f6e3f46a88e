#include "CKeyboardHook.h"

#include "Trace.h"
#include "WindowMessages.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr char kInputDir[] = "/dev/input";
constexpr wchar_t kTrayTitle[] = L"TARVIK_TRAY_WND";
constexpr std::size_t kReadChunk = 64 * sizeof(input_event);
constexpr std::size_t kKeyBitsLongs = (KEY_MAX + 1 + LONG_BIT - 1) / LONG_BIT;

bool testBit(const unsigned long* bits, unsigned bit) { return (bits[bit / LONG_BIT] >> (bit % LONG_BIT)) & 1UL; }

// A keyboard as udev counts one (ID_INPUT_KEYBOARD): it has Escape, the digits and Q to D, key
// codes 1 to 31. Hotkey-only devices (a laptop's extra buttons) are read only when named.
bool isKeyboard(int fd)
{
    unsigned long keys[kKeyBitsLongs] = {};
    if (ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) < 0)
        return false;
    for (unsigned key = KEY_ESC; key <= KEY_D; ++key) {
        if (!testBit(keys, key))
            return false;
    }
    return true;
}

} // namespace

CKeyboardHook::CKeyboardHook(QObject* parent) : QObject(parent) {}

CKeyboardHook::~CKeyboardHook()
{
    for (const auto& device : m_devices) {
        delete device->notifier;
        close(device->fd);
    }
}

int CKeyboardHook::Install(const QStringList& devices)
{
    QStringList paths = devices;
    const bool named = !devices.isEmpty();
    if (!named) {
        const QStringList entries = QDir(QLatin1String(kInputDir)).entryList({QStringLiteral("event*")}, QDir::System);
        for (const QString& entry : entries)
            paths << QLatin1String(kInputDir) + QLatin1Char('/') + entry;
    }
    int denied = 0;
    for (const QString& path : paths) {
        const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM)
                ++denied;
            else if (named)
                TraceMessage(L"CKeyboardHook: cannot read <%s>: %S", path.toStdWString().c_str(), std::strerror(errno));
            continue;
        }
        if (!named && !isKeyboard(fd)) {
            close(fd);
            continue;
        }
        input_id id{};
        ioctl(fd, EVIOCGID, &id);
        char name[256] = {};
        ioctl(fd, EVIOCGNAME(sizeof name - 1), name);
        AddDevice(fd, id.bustype, path + QStringLiteral(" (") + QString::fromUtf8(name) + QLatin1Char(')'));
        TraceMessage(L"CKeyboardHook: reading <%s>", m_devices.back()->name.toStdWString().c_str());
    }
    if (m_devices.empty() && denied > 0)
        TraceMessage(L"CKeyboardHook: no permission to read the keyboards (%d of %s); front-panel keys reach the "
                     L"program only through its socket",
                     denied, named ? L"the named devices" : L"/dev/input/event*");
    else if (m_devices.empty())
        TraceMessage(L"CKeyboardHook: no keyboard to read; front-panel keys reach the program only through its socket");
    return static_cast<int>(m_devices.size());
}

void CKeyboardHook::AddDevice(int fd, std::uint16_t bus, const QString& name)
{
    auto device = std::make_unique<Device>(Device{fd, name, EvdevKeyDecoder(bus), nullptr});
    Device* raw = device.get();
    raw->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(raw->notifier, &QSocketNotifier::activated, this, [this, raw] { OnReadable(raw); });
    m_devices.push_back(std::move(device));
}

void CKeyboardHook::OnReadable(Device* device)
{
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t n = read(device->fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            // ENODEV: unplugged; 0: the writer of a test pipe has gone.
            TraceMessage(L"CKeyboardHook: <%s> is gone", device->name.toStdWString().c_str());
            Remove(device);
            return;
        }
        for (const PanelKeyEvent& key : device->decoder.Feed(buffer, static_cast<std::size_t>(n))) {
            wchar_t line[64];
            std::swprintf(line, sizeof line / sizeof line[0], L"scancode: 0X%X \n", key.scanCode);
            DebugOutput(line);
            if (key.press)
                PostMessage(FindWindowByTitle(QString::fromWCharArray(kTrayTitle)), WM_TRAY_KEY, key.scanCode, 0);
        }
    }
}

void CKeyboardHook::Remove(Device* device)
{
    for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
        if (it->get() != device)
            continue;
        // Deleting the notifier from its own signal is allowed only later.
        device->notifier->setEnabled(false);
        device->notifier->deleteLater();
        close(device->fd);
        m_devices.erase(it);
        return;
    }
}
