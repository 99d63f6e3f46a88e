#include "InputDevices.h"

#include "LinuxInputDevices.h"

InputDevices& inputDevices()
{
    static LinuxInputDevices devices;
    return devices;
}
