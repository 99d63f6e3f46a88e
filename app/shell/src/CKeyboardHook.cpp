#include "CKeyboardHook.h"

#include "Trace.h"
#include "WindowMessages.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <linux/input.h>
#include <unistd.h>

namespace {

constexpr wchar_t kTrayTitle[] = L"TARVIK_TRAY_WND";
constexpr std::size_t kReadChunk = 64 * sizeof(input_event);
constexpr wchar_t kSocketOnly[] = L"front-panel keys reach the program only through its socket";

const wchar_t* kindName(KeyDeviceKind kind)
{
    switch (kind) {
    case KeyDeviceKind::Keyboard: return L"keyboard";
    case KeyDeviceKind::Hotkeys: return L"hotkeys";
    case KeyDeviceKind::Other: break;
    }
    return L"other";
}

} // namespace

CKeyboardHook::CKeyboardHook(InputDevices& devices, QObject* parent) : QObject(parent), m_inputDevices(devices) {}

CKeyboardHook::~CKeyboardHook()
{
    for (const auto& device : m_devices) {
        delete device->notifier;
        close(device->fd);
    }
}

QStringList CKeyboardHook::DeviceNames() const
{
    QStringList names;
    for (const auto& device : m_devices)
        names << device->name;
    return names;
}

int CKeyboardHook::Install(const KeyboardDeviceSetting& setting)
{
    using Choice = KeyboardDeviceSetting::Choice;
    if (setting.choice == Choice::None) {
        TraceMessage(L"CKeyboardHook: no device is read (KEYBOARD_DEVICES=none); %s", kSocketOnly);
        return 0;
    }
    const bool named = setting.choice == Choice::Named;
    QStringList paths;
    if (named) {
        for (const std::wstring& path : setting.paths)
            paths << QString::fromStdWString(path);
    } else {
        paths = m_inputDevices.List();
    }
    int denied = 0;
    for (const QString& path : paths) {
        const InputDevices::Opened device = m_inputDevices.Open(path);
        if (device.fd < 0) {
            if (device.error == EACCES || device.error == EPERM)
                ++denied;
            else if (named)
                TraceMessage(L"CKeyboardHook: cannot read <%s>: %S", path.toStdWString().c_str(), std::strerror(device.error));
            continue;
        }
        const KeyDeviceKind kind = ClassifyKeyDevice(device.description);
        if (!named && !ReadByDefault(kind)) {
            close(device.fd);
            continue;
        }
        AddDevice(device.fd, kind, device.description.bus, path + QStringLiteral(" (") + device.name + QLatin1Char(')'));
        TraceMessage(L"CKeyboardHook: reading <%s> as %s", m_devices.back()->name.toStdWString().c_str(), kindName(kind));
    }
    if (m_devices.empty() && denied > 0)
        TraceMessage(L"CKeyboardHook: no permission to read the keyboards (%d of %s); %s", denied,
                     named ? L"the named devices" : L"/dev/input/event*", kSocketOnly);
    else if (m_devices.empty())
        TraceMessage(L"CKeyboardHook: no keyboard to read; %s", kSocketOnly);
    return static_cast<int>(m_devices.size());
}

void CKeyboardHook::AddDevice(int fd, KeyDeviceKind kind, std::uint16_t bus, const QString& name)
{
    auto device = std::make_unique<Device>(Device{fd, name, EvdevKeyDecoder(kind, bus), nullptr});
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
