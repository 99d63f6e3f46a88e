#pragma once

#include "KeyDevices.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

// A device as the kernel would describe it: its bus, the key codes it has (as inclusive ranges),
// whether it reports scan codes and whether it has pointer axes.
inline KeyDeviceDescription keyDevice(std::uint16_t bus, std::initializer_list<std::pair<unsigned, unsigned>> keyRanges,
                                      bool scanReports, bool pointerAxes = false)
{
    KeyDeviceDescription d;
    d.bus = bus;
    for (const auto& [first, last] : keyRanges) {
        for (unsigned key = first; key <= last; ++key)
            d.keys.set(key);
    }
    d.scanReports = scanReports;
    d.pointerAxes = pointerAxes;
    return d;
}
