#pragma once

#include "GU_SysPowerMgtVoltageSetDlg.h"

// The start-up and shut-down voltage dialog of the 48 V input.
class GU_SysPowerMgt_RQ81_48VSetDlg : public GU_SysPowerMgtVoltageSetDlg {
public:
    static const VoltageDialogTable kTable;
    explicit GU_SysPowerMgt_RQ81_48VSetDlg(QWidget* parent = nullptr) : GU_SysPowerMgtVoltageSetDlg(kTable, parent) {}
};
