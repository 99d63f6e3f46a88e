#pragma once

#include "KeyDevices.h"

#include <QString>
#include <QStringList>

// The kernel's input devices as the keyboard hook finds them: a seam, so that tests describe
// devices without /dev/input. One back end per process (LinuxInputDevices).
class InputDevices {
public:
    struct Opened {
        int fd = -1;    // open for reading without blocking, close-on-exec; -1: not opened
        int error = 0;  // errno when not opened
        QString name;   // the device's own name ("AT Translated Set 2 keyboard")
        KeyDeviceDescription description;
    };

    virtual ~InputDevices() = default;
    // The event devices there are (/dev/input/event*), in order; none when the folder is missing.
    virtual QStringList List() = 0;
    // Opens one and says what it is. The caller owns the descriptor.
    virtual Opened Open(const QString& path) = 0;
};

InputDevices& inputDevices();
