#pragma once

#include "InputDevices.h"

// The devices under /dev/input, described through the evdev ioctls.
class LinuxInputDevices final : public InputDevices {
public:
    QStringList List() override;
    Opened Open(const QString& path) override;
};
