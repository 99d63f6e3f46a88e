#include "GU_SysIOConfDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "PrivateProfile.h"
#include "Trace.h"

#include <string>

namespace {

constexpr wchar_t kDefaultHardType[] = L"GX58";
constexpr int kNone = 0;
constexpr int kCom1Volts[3] = {0, 5, 12};
constexpr int kCom2Types[3] = {232, 422, 485};
// The library's CKestrom::ECOM2Type for each shown type, in the same order.
constexpr CKestrom::ECOM2Type kCom2Codes[3] = {CKestrom::COM2_RS232, CKestrom::COM2_RS422, CKestrom::COM2_RS485};
constexpr int kCom1X[3] = {485, 640, 795};
constexpr int kCom1Y = 180;
constexpr int kCom2Y = 350;

constexpr const char* kCom1Pictures[3][2] = {
    {"IDB_SYSIOCONF_COM1_0V_OFF_L", "IDB_SYSIOCONF_COM1_0V_ON_L"},
    {"IDB_SYSIOCONF_COM1_5V_OFF_L", "IDB_SYSIOCONF_COM1_5V_ON_L"},
    {"IDB_SYSIOCONF_COM1_12V_OFF_L", "IDB_SYSIOCONF_COM1_12V_ON_L"},
};
constexpr const char* kCom2Pictures[3][2] = {
    {"IDB_SYSIOCONF_COM2_232_OFF_L", "IDB_SYSIOCONF_COM2_232_ON_L"},
    {"IDB_SYSIOCONF_COM2_422_OFF_L", "IDB_SYSIOCONF_COM2_422_ON_L"},
    {"IDB_SYSIOCONF_COM2_485_OFF_L", "IDB_SYSIOCONF_COM2_485_ON_L"},
};

bool hasCom2(const std::wstring& hardType)
{
    return hardType == L"GX58" || hardType == L"RQ81" || hardType == L"RQ72";
}

} // namespace

GU_SysIOConfDlg::GU_SysIOConfDlg(QWidget* parent) : CPageDlg(L"GU_SysIOConfDlg", "IDB_SYSIOCONF_BASE_L", parent) {}

GU_SysIOConfDlg::~GU_SysIOConfDlg() = default;

bool GU_SysIOConfDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", kDefaultHardType);
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    AddHomeButton(kHomeId, 40, 445, "IDB_SYSIOCONF_HOME_L", L"OnClicked_SysioconfHome", IDCANCEL);
    AddButton(kCom2CaptionId, 318, 361, "IDB_SYSIOCONF_COM2_L", "IDB_SYSIOCONF_COM2_L");
    EnableItem(kCom2CaptionId, false);
    for (int i = 0; i < 3; ++i) {
        AddButton(kCom1Ids[i], kCom1X[i], kCom1Y, kCom1Pictures[i][0], kCom1Pictures[i][1],
                  [this, volts = kCom1Volts[i]] { SetCOM1_Voltage(volts, true); });
        AddButton(kCom2Ids[i], kCom1X[i], kCom2Y, kCom2Pictures[i][0], kCom2Pictures[i][1],
                  [this, type = kCom2Types[i]] { SetCOM2_Type(type, true); });
    }

    const bool com2 = hasCom2(hardType);
    ShowItem(kCom2CaptionId, com2);
    for (int id : kCom2Ids) {
        ShowItem(id, com2);
        EnableItem(id, com2);
    }

    unsigned char volts = 0;
    const int bRet = m_kestrom.vIO_COM1VoltageGet(&volts);
    TraceMessage(L"getCOM1_Voltage: vIO_COM1VoltageGet: bRet = %d, com1Voltage = %d", bRet, volts);
    SetCOM1_Voltage(volts, false);
    if (com2)
        getCOM2_Type();
    SetTitle(L"SystemIOConf");
    return true;
}

void GU_SysIOConfDlg::ShowRow(const int (&ids)[3], const int (&values)[3], int value)
{
    for (int i = 0; i < 3; ++i) {
        CMyBitmapButton* button = Button(ids[i]);
        button->setState(values[i] == value ? 1 : 0);
        button->RedrawNow();
    }
}

void GU_SysIOConfDlg::SetCOM1_Voltage(int volts, bool write)
{
    int shown = volts;
    if (write) {
        const unsigned char newVoltage = volts == 5 ? 5 : volts == 12 ? 12 : 0;
        const int bRet = m_kestrom.vIO_COM1VoltageSet(newVoltage);
        TraceMessage(L"SetCOM1_Voltage: vIO_COM1VoltageSet: bRet = %d, newVoltage = %d", bRet, newVoltage);
        if (!bRet) {
            ShowMessageBox(L"Set COM1 voltage fail!");
            // -1 is none of the row's values: the whole row unselected.
            shown = -1;
        }
    }
    ShowRow(kCom1Ids, kCom1Volts, shown);
}

void GU_SysIOConfDlg::getCOM2_Type()
{
    CKestrom::ECOM2Type code = CKestrom::ECOM2Type(0);
    const int bRet = m_kestrom.vIO_COM2TypeGet(&code);
    TraceMessage(L"getCOM2_Type: vIO_COM2TypeGet: bRet = %d, com2Type = %d", bRet, static_cast<int>(code));
    int type = kNone;
    if (bRet) {
        // A code the table does not know shows none.
        for (int i = 0; i < 3; ++i)
            if (kCom2Codes[i] == code)
                type = kCom2Types[i];
    } else {
        ShowMessageBox(L"Get COM2 type fail!");
    }
    SetCOM2_Type(type, false);
}

void GU_SysIOConfDlg::SetCOM2_Type(int type, bool write)
{
    int index = -1;
    for (int i = 0; i < 3; ++i)
        if (kCom2Types[i] == type)
            index = i;
    if (index >= 0)
        ShowRow(kCom2Ids, kCom2Types, type);
    if (write && index >= 0) {
        const int bRet = m_kestrom.vIO_COM2TypeSet(kCom2Codes[index]);
        TraceMessage(L"SetCOM2_Type: vIO_COM2TypeSet: bRet = %d, newVoltage = %d", bRet, static_cast<int>(kCom2Codes[index]));
        if (bRet) {
            const std::wstring text = std::to_wstring(type);
            WritePrivateProfileStringW(L"SYS_IOCONF", L"COM2_TYPE", text.c_str(), SettingsFile());
        } else {
            ShowMessageBox(L"Set COM2 type fail!");
            type = kNone;
        }
    }
    ShowRow(kCom2Ids, kCom2Types, type);
}
