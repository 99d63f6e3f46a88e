#pragma once

class QWidget;

// What a page may ask of the tray window without linking the tray itself (the pages are built below
// it): the tray window implements this and publishes itself while it exists.
class CTrayLink {
public:
    // The system settings page registers itself here while its object exists, and clears it.
    virtual void SetSystemSettingPage(QWidget* page) = 0;
    virtual QWidget* SystemSettingPage() const = 0;

    // The tray window of this process, or null (no tray window: a page run on its own).
    static CTrayLink* Current();

protected:
    CTrayLink();
    virtual ~CTrayLink();
    CTrayLink(const CTrayLink&) = delete;
    CTrayLink& operator=(const CTrayLink&) = delete;
};
