#pragma once

#include "CPageDlg.h"

// The full-screen notice of a forced watchdog expiry. It has no control and the keyboard cannot close
// it: it stays until the watchdog restarts the machine or the close-children cascade ends it.
class GU_WatchdogSimulateDlg : public CPageDlg {
    Q_OBJECT
public:
    explicit GU_WatchdogSimulateDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    bool event(QEvent* event) override;
};
