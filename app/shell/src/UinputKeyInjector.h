#pragma once

#include "KeyInjector.h"

#include <QObject>

// Key injection through a virtual keyboard of the kernel (/dev/uinput), made on the first
// injection and kept while the program runs. Each Windows virtual-key code becomes the Linux key of
// VirtualKeyTable(); a code without one is skipped and traced.
//
// A new input device is not seen at once: the desktop (libinput, the X server) opens it only after
// udev has announced it, and events sent before then are lost. So the events of the first injection
// wait kNewDeviceSettleMs on a single-shot timer; later ones go at once (after any still waiting,
// so the order holds).
//
// Writing /dev/uinput usually needs a udev rule (or the "input" group); without it the first failure
// is traced once and nothing is injected.
class UinputKeyInjector final : public QObject, public KeyInjector {
    Q_OBJECT
public:
    static constexpr int kNewDeviceSettleMs = 200;

    UinputKeyInjector();
    ~UinputKeyInjector() override;

    unsigned SendInput(const std::vector<KeyInput>& inputs) override;

private:
    bool MakeDevice();
    void Flush();

    int m_fd = -1;
    bool m_failureTraced = false;
    bool m_settling = false;
    std::vector<unsigned char> m_pending; // input_event records waiting for the new device
};
