#include "GU_AlertSMSOnDlg.h"

#include "Trace.h"

GU_AlertSMSOnDlg::GU_AlertSMSOnDlg(QWidget* parent) : CPageDlg(L"GU_AlertSMSOnDlg", "IDB_ALERTSMSON_BASE_L", parent) {}

bool GU_AlertSMSOnDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    AddButton(kOkId, 200, 180, "IDB_ALERTSMSON_OK_L", nullptr, [this] {
        TraceDebug(L"GU_AlertSMSOnDlg:OnClicked_AlertSmsonOk");
        EndDialog(IDCANCEL);
    });
    SetTitle(L"SmsOn Alert");
    return true;
}
