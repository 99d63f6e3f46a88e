#pragma once

#include "GU_SysPowerMgtVoltageSetDlg.h"

// The start-up and shut-down voltage dialog of the 12 V input.
class GU_SysPowerMgt_12VSetDlg : public GU_SysPowerMgtVoltageSetDlg {
public:
    static const VoltageDialogTable kTable;
    explicit GU_SysPowerMgt_12VSetDlg(QWidget* parent = nullptr) : GU_SysPowerMgtVoltageSetDlg(kTable, parent) {}
};
