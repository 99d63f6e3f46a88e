#include "GU_Alert_WwanPowerOff.h"

#include "Trace.h"

GU_Alert_WwanPowerOff::GU_Alert_WwanPowerOff(QWidget* parent)
    : CPageDlg(L"GU_Alert_WwanPowerOff", "IDB_ALERTWWANPOWEROFF_BASE_L", parent)
{
}

bool GU_Alert_WwanPowerOff::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    AddButton(kOkId, 200, 180, "IDB_ALERTWWANPOWEROFF_OK_L", nullptr, [this] {
        TraceDebug(L"GU_Alert_WwanPowerOff:OnClicked_AlertwwanpoweroffOk");
        EndDialog(IDCANCEL);
    });
    SetTitle(L"Wwan Poweroff Alert");
    return true;
}
