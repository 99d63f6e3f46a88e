#pragma once

#include "CPageDlg.h"

// Tells the driver that switching the WWAN power off has also turned wake on SMS off. The message
// is part of the picture; OK closes it.
class GU_Alert_WwanPowerOff : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kOkId = 1211;

    explicit GU_Alert_WwanPowerOff(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
};
