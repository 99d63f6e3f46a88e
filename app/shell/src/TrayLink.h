#pragma once

#include "FunDef.h"
#include "HardType.h"
#include "KeyDef.h"

#include <vector>

class QWidget;

// What a page may ask of the tray window without linking the tray itself (the pages are built below
// it): the tray window implements this and publishes itself while it exists.
class CTrayLink {
public:
    // The system settings page registers itself here while its object exists, and clears it.
    virtual void SetSystemSettingPage(QWidget* page) = 0;
    virtual QWidget* SystemSettingPage() const = 0;
    // The vehicle status page likewise: the tray window's vehicle function closes it when it is open.
    virtual void SetVehiclePage(QWidget* page) = 0;
    virtual QWidget* VehiclePage() const = 0;

    // The hardware type the tray window runs with (the program-button pages take their layout from it).
    virtual HardType GetHardType() const = 0;
    // The key map the keys run by, and its reload after a page has written the file.
    virtual void LoadKeyMap() = 0;
    virtual const std::vector<FunDef>& kFunDefs() const = 0;
    virtual const std::vector<std::vector<KeyDef>>& kKeySets() const = 0;

    // The tray window of this process, or null (no tray window: a page run on its own).
    static CTrayLink* Current();

protected:
    CTrayLink();
    virtual ~CTrayLink();
    CTrayLink(const CTrayLink&) = delete;
    CTrayLink& operator=(const CTrayLink&) = delete;
};
