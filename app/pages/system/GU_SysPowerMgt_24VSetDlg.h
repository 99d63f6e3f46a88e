#pragma once

#include "GU_SysPowerMgtVoltageSetDlg.h"

// The start-up and shut-down voltage dialog of the 24 V input.
class GU_SysPowerMgt_24VSetDlg : public GU_SysPowerMgtVoltageSetDlg {
public:
    static const VoltageDialogTable kTable;
    explicit GU_SysPowerMgt_24VSetDlg(QWidget* parent = nullptr) : GU_SysPowerMgtVoltageSetDlg(kTable, parent) {}
};
