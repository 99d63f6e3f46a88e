#pragma once

#include "EvdevKeyDecoder.h"
#include "InputDevices.h"
#include "KeyDevices.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QSocketNotifier;

// The low-level keyboard hook of the running instance: reads key events from the kernel's input
// devices (evdev) and, for each extended key event (see EvdevKeyDecoder.h for the scan codes),
// writes "scancode: 0X%X \n" to the debugger output and, for a press, posts 0x83E8 with the scan
// code to the window titled "TARVIK_TRAY_WND". Devices are only read, never grabbed: every key still
// reaches the desktop. No timer: each device wakes the program only when it has events.
//
// Only extended keys are written to the debugger output: the output ends up in the session's log,
// and the scan codes of every key typed (a password, say) do not belong there.
class CKeyboardHook : public QObject {
    Q_OBJECT
public:
    explicit CKeyboardHook(InputDevices& devices = inputDevices(), QObject* parent = nullptr);
    ~CKeyboardHook() override;

    // Reads the devices of the setting (KeyDevices.h): by default every keyboard and hotkey device
    // this user may read, or the devices named (whatever they are), or none. Returns how many are
    // read; without permission to read any, says so in one trace line (the tray socket still takes
    // keys).
    int Install(const KeyboardDeviceSetting& setting);

    // Reads an open device of the given kind and bus (the hook owns the descriptor from now on).
    void AddDevice(int fd, KeyDeviceKind kind, std::uint16_t bus, const QString& name);

    int DeviceCount() const { return static_cast<int>(m_devices.size()); }
    QStringList DeviceNames() const;

private:
    struct Device {
        int fd;
        QString name;
        EvdevKeyDecoder decoder;
        QSocketNotifier* notifier;
    };
    void OnReadable(Device* device);
    void Remove(Device* device);

    InputDevices& m_inputDevices;
    std::vector<std::unique_ptr<Device>> m_devices;
};
