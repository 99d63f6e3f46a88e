#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace skin {

// Line icons of the skin, drawn with paths in one stroke weight so they read alike at every size.
enum class Icon {
    None,
    Info,      // device information
    Car,       // vehicle
    Antenna,   // communication mast with waves
    Gear,      // settings
    Pin,       // location
    Exit,      // door with an arrow out
    Home,      // house
    Wifi,
    Bluetooth,
    Signal,    // mobile network bars
    Sim,
    Satellite,
    Map,       // folded map
    SunSmall,  // brightness down
    SunLarge,  // brightness up
    Power,
    Battery,
    Plug,      // serial ports
    Stopwatch, // watchdog
    Alarm,     // wake-up
    Warning,   // emergency
    Keypad,    // programmable keys
    Folder,
    Pencil,
    Check,
    ChevronDown,
    Key,       // ignition
    AntennaInt,
    AntennaExt,
};

// Draws the icon into the box (kept square, centred) in one colour.
void DrawIcon(QPainter& painter, Icon icon, const QRectF& box, const QColor& colour);

} // namespace skin
