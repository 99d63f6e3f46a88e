#pragma once

#include "CPageDlg.h"

// Tells the driver that enabling wake on SMS has switched the WWAN power on. The message is part of
// the picture; OK closes it. Shown by the WWAN settings page and by the wake-up page.
class GU_AlertSMSOnDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kOkId = 1212;

    explicit GU_AlertSMSOnDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
};
