#pragma once

#include "KeyInjector.h"

#include <QObject>

#include <functional>
#include <string>

// Key injection through a virtual keyboard of the kernel (/dev/uinput), made on the first
// injection and kept while the program runs. Each Windows virtual-key code becomes the Linux key of
// VirtualKeyTable(); a code without one is skipped and traced.
//
// A new input device is not seen at once: the desktop (libinput, the X server) opens it only after
// udev has announced it, and events sent before then are lost. So the events of the first injection
// wait kNewDeviceSettleMs (without blocking the thread); later ones go at once, or behind any still
// waiting, so the order holds.
//
// Writing /dev/uinput usually needs a udev rule (or the "input" group); without it the first failure
// is traced once and nothing is injected.
class UinputKeyInjector final : public QObject, public KeyInjector {
    Q_OBJECT
public:
    static constexpr int kNewDeviceSettleMs = 200;

    // Makes the virtual keyboard: a descriptor that takes struct input_event records, or -1 with the
    // reason in `problem`.
    using DeviceMaker = std::function<int(std::string& problem)>;
    // Runs `then` on this thread after `milliseconds`, without blocking it.
    using Deferral = std::function<void(int milliseconds, std::function<void()> then)>;

    // The kernel's virtual keyboard (MakeUinputDevice) and a timer of this object.
    UinputKeyInjector();
    UinputKeyInjector(DeviceMaker makeDevice, Deferral defer);
    ~UinputKeyInjector() override;

    unsigned SendInput(const std::vector<KeyInput>& inputs) override;

    // Opens /dev/uinput and creates a keyboard with every key of VirtualKeyTable().
    static int MakeUinputDevice(std::string& problem);

private:
    void Flush();

    DeviceMaker m_makeDevice;
    Deferral m_defer;
    int m_fd = -1;
    bool m_failureTraced = false;
    bool m_settling = false;
    std::vector<unsigned char> m_pending; // input_event records waiting for the new device
};
