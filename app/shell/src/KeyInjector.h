#pragma once

#include "KeyInput.h"

#include <vector>

// What the tray window needs to type a key combination into the desktop: a seam, so that tests see
// the events without a virtual keyboard. One back end per process (UinputKeyInjector), which a test
// may put its own in front of.
class KeyInjector {
public:
    virtual ~KeyInjector() = default;
    // Injects the events in order, as one sequence. Returns how many were injected; 0 when the
    // system takes none (no virtual keyboard can be made).
    virtual unsigned SendInput(const std::vector<KeyInput>& inputs) = 0;
};

KeyInjector& keyInjector();
// Puts an injector in front of the process's own until called with nullptr (tests).
void overrideKeyInjector(KeyInjector* injector);
