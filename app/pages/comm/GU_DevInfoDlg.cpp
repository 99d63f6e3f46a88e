#include "GU_DevInfoDlg.h"

#include "AppPaths.h"
#include "Trace.h"

#include <QLabel>

namespace {

constexpr int kFontHeight = 20;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;
// What a value shows until its source has been read.
constexpr wchar_t kPlaceholder[] = L"XXXXXX";
constexpr wchar_t kDefaultVersion[] = L"-.-.-";
constexpr wchar_t kDefaultModuleName[] = L"----";
constexpr std::uint32_t kVersionChars = 260;

constexpr int kLabelX = 300;
constexpr int kValueX = 600;
constexpr int kTextWidth = 250;
constexpr int kTextHeight = 50;

constexpr StaticTextDef kLabels[] = {
    {1007, L"System Hardware (MB PCBA) :", kLabelX, 200, kTextWidth, kTextHeight},
    {1008, L"Utility Version :", kLabelX, 250, kTextWidth, kTextHeight},
    {1009, L"BIOS Version :", kLabelX, 300, kTextWidth, kTextHeight},
    {1011, L"EC Version :", kLabelX, 350, kTextWidth, kTextHeight},
    {1205, L"Module Name:", kLabelX, 400, kTextWidth, kTextHeight},
    {GU_DevInfoDlg::kMcuLabelId, L"MCU FW Version :", kLabelX, 450, kTextWidth, kTextHeight},
};
constexpr StaticTextDef kValues[] = {
    {GU_DevInfoDlg::kPcbValueId, kPlaceholder, kValueX, 200, kTextWidth, kTextHeight},
    {GU_DevInfoDlg::kVersionValueId, kPlaceholder, kValueX, 250, kTextWidth, kTextHeight},
    {GU_DevInfoDlg::kBiosValueId, kPlaceholder, kValueX, 300, kTextWidth, kTextHeight},
    {GU_DevInfoDlg::kEcValueId, kPlaceholder, kValueX, 350, kTextWidth, kTextHeight},
    {GU_DevInfoDlg::kModuleValueId, kPlaceholder, kValueX, 400, kTextWidth, kTextHeight},
    {GU_DevInfoDlg::kMcuValueId, kPlaceholder, kValueX, 450, kTextWidth, kTextHeight},
};

} // namespace

GU_DevInfoDlg::GU_DevInfoDlg(QWidget* parent) : CPageDlg(L"GU_DevInfoDlg", "IDB_DEVINFOBASE_L", parent) {}

bool GU_DevInfoDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const QFont normal = MakeFont(kFontHeight, kNormalWeight);
    const QFont bold = MakeFont(kFontHeight, kBoldWeight);
    AddHomeButton(kHomeId, 40, 445, "IDB_DEVINFO_HOME_L", L"OnClicked_DevinfoHome", IDCANCEL);
    AddStaticTexts({kLabels[0], kLabels[1], kLabels[2], kLabels[3], kLabels[4], kLabels[5]}, normal);
    AddStaticTexts({kValues[0], kValues[1], kValues[2], kValues[3], kValues[4], kValues[5]}, bold);
    for (int id : {kMcuLabelId, kMcuValueId}) {
        ShowItem(id, false);
        EnableItem(id, false);
    }
    GetAllDeviceInfo();
    SetTitle(L"DeviceInfomation");
    return true;
}

void GU_DevInfoDlg::GetAllDeviceInfo()
{
    wchar_t* buffer = m_buffer.data();
    if (m_idovan.vDI_BIOSVersion(buffer))
        SetItemText(kBiosValueId, QString::fromWCharArray(buffer));
    if (m_idovan.vDI_ECVersion(buffer))
        SetItemText(kEcValueId, QString::fromWCharArray(buffer));
    if (m_idovan.vDI_SystemPCBVersion(buffer))
        SetItemText(kPcbValueId, QString::fromWCharArray(buffer));

    const std::wstring version = ReadSettingText(L"DEV_INFO", L"VERSION", kDefaultVersion, kVersionChars);
    TraceMessage(L"GetAllDeviceInfo version = <%s>", version.c_str());
    SetItemText(kVersionValueId, QString::fromStdWString(version));

    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", kDefaultModuleName);
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    SetItemText(kModuleValueId, QString::fromStdWString(hardType));
}
