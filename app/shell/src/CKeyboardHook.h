#pragma once

#include "EvdevKeyDecoder.h"

#include <QObject>
#include <QString>
#include <QStringList>

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
    explicit CKeyboardHook(QObject* parent = nullptr);
    ~CKeyboardHook() override;

    // Reads the devices named (paths such as /dev/input/by-path/...-event-kbd), or when none are
    // named every keyboard under /dev/input this user may read. Returns how many are read; without
    // permission to read any, says so in one trace line (the tray socket still takes keys).
    int Install(const QStringList& devices = {});

    // Reads an open device of the given bus (the hook owns the descriptor from now on).
    void AddDevice(int fd, std::uint16_t bus, const QString& name);

    int DeviceCount() const { return static_cast<int>(m_devices.size()); }

private:
    struct Device {
        int fd;
        QString name;
        EvdevKeyDecoder decoder;
        QSocketNotifier* notifier;
    };
    void OnReadable(Device* device);
    void Remove(Device* device);

    std::vector<std::unique_ptr<Device>> m_devices;
};
