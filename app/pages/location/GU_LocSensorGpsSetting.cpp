#include "GU_LocSensorGpsSetting.h"

#include "AppPaths.h"
#include "CBitComboBox.h"
#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "GpsPosition.h"
#include "PrivateProfile.h"
#include "Trace.h"

#include <string>

namespace {

constexpr int kFontHeight = 25;
constexpr int kNormalWeight = 400;
constexpr wchar_t kSection[] = L"LOCATION_SENSOR";
constexpr int kDefaultPortIndex = 2;
constexpr int kDefaultBaudIndex = 1;
// What Home writes when a list has no selection.
constexpr wchar_t kFallbackPort[] = L"3";
constexpr wchar_t kFallbackPortIndex[] = L"2";
constexpr wchar_t kFallbackBaudRate[] = L"9600";
constexpr wchar_t kFallbackBaudIndex[] = L"1";

constexpr int kLabelWidth = 250;
constexpr int kLabelHeight = 40;
constexpr StaticTextDef kLabels[] = {
    {1072, L"Serial Port Setting :", 360, 235, kLabelWidth, kLabelHeight},
    {1073, L"Baud Rate Setting :", 360, 340, kLabelWidth, kLabelHeight},
    {GU_LocSensorGpsSetting::kAntennaLabelId, L"Antenna Monitor :", 360, 445, kLabelWidth, kLabelHeight},
    {1075, L"Satellites :", 760, 340, kLabelWidth, kLabelHeight},
    {1076, L"Location :", 760, 445, kLabelWidth, kLabelHeight},
};

// The two lists: where they stand and how much room their open list has below them.
constexpr int kListX = 630;
constexpr int kListWidth = 89;
constexpr int kPortListY = 210;
constexpr int kBaudListY = 315;
constexpr int kPortDropRoom = 350;
constexpr int kBaudDropRoom = 200;

int g_rfSwitchState = 0; // interface thread only

} // namespace

int GU_LocSensorGpsSetting::RfSwitchState() { return g_rfSwitchState; }

GU_LocSensorGpsSetting::GU_LocSensorGpsSetting(QWidget* parent)
    : CPageDlg(L"GU_LocSensorGpsSetting", "IDB_LOCSENSOR_GPSSETTING_BASE_L", parent), m_latitude(kNoPosition),
      m_longitude(kNoPosition)
{
}

void GU_LocSensorGpsSetting::SetPosition(double latitude, double longitude)
{
    m_latitude = latitude;
    m_longitude = longitude;
}

bool GU_LocSensorGpsSetting::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const QFont font = MakeFont(kFontHeight, kNormalWeight);
    AddButton(kHomeId, 40, 445, "IDB_LOCSENSOR_GPSSETTING_HOME_L", "IDB_LOCSENSOR_GPSSETTING_HOME_L",
              [this] { OnClicked_GpssettingHome(); })
        ->setProperty("tarvikHome", true); // the way back, for tools that walk the pages
    AddButton(kRfSwitchId, 350, 100, "IDB_LOCSENSOR_GPSSETTING_RF_OFF_L", "IDB_LOCSENSOR_GPSSETTING_RF_ON_L",
              [this] { OnClicked_GpssettingRfSwitch(); });
    AddStaticTexts({kLabels[0], kLabels[1], kLabels[2], kLabels[3], kLabels[4]}, font);
    AddButton(kAntennaSetId, 630, 410, "IDB_LOCSENSOR_GPSSETTING_ANTENNA_SET_L");
    CMyBitmapButton* satellites = AddButton(kSatellitesSetId, 920, 305, "IDB_LOCSENSOR_GPSSETTING_SATELLITES_SET_L",
                                            "IDB_LOCSENSOR_GPSSETTING_SATELLITES_SET_DISABLE_L");
    satellites->setState(1);
    AddButton(kLocationSetId, 920, 410, "IDB_LOCSENSOR_GPSSETTING_LOCATION_SET_L", nullptr,
              [this] { OnClicked_GpssettingLocationSet(); });

    for (int id : {static_cast<int>(kAntennaLabelId), static_cast<int>(kAntennaSetId)}) {
        ShowItem(id, false);
        EnableItem(id, false);
    }
    EnableItem(kSatellitesSetId, false);

    FillList(kSerialPortListId, kListX, kPortListY, kPortDropRoom, kPorts, std::size(kPorts),
             ReadSettingInt(kSection, L"COM_PORT_INDEX", kDefaultPortIndex));
    FillList(kBaudRateListId, kListX, kBaudListY, kBaudDropRoom, kBaudRates, std::size(kBaudRates),
             ReadSettingInt(kSection, L"BAUD_RATE_INDEX", kDefaultBaudIndex));

    GetAllGpsSettingStatus();
    SetTitle(L"LocationSetting");
    return true;
}

void GU_LocSensorGpsSetting::FillList(int id, int x, int y, int dropRoom, const Row* rows, std::size_t count,
                                      int selected)
{
    // A landscape screen gets the list at its place with room for the open list below it; on a
    // portrait screen the list keeps the layout's own place and height, with no room added.
    const bool landscape = ScreenSize().width() > ScreenSize().height();
    CBitComboBox* list = AddCombo(id, x, y, kListWidth, landscape ? dropRoom : 0);
    for (std::size_t i = 0; i < count; ++i)
        list->AddString(QString::fromWCharArray(rows[i].text));
    // An index outside the list selects nothing.
    list->SetCurSel(selected >= 0 && selected < static_cast<int>(count) ? selected : -1);
}

void GU_LocSensorGpsSetting::GetAllGpsSettingStatus()
{
    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", L"GX58");
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    int status = 0;
    const int ret = m_miravel.vSR_GPSModuleStatus(&status);
    TraceMessage(L"GetAllGpsSettingStatus: vSR_GPSModuleStatus: bRet = %d, bRFModuleStatus = %d", ret, status);
    // Unreadable: the state of the previous opening stays.
    if (ret)
        g_rfSwitchState = status != 0 ? 1 : 0;
    ShowRfSwitch();
}

void GU_LocSensorGpsSetting::ShowRfSwitch()
{
    if (CMyBitmapButton* button = Button(kRfSwitchId)) {
        button->setState(g_rfSwitchState);
        button->RedrawNow();
    }
}

void GU_LocSensorGpsSetting::OnClicked_GpssettingRfSwitch()
{
    const int on = g_rfSwitchState ? 0 : 1;
    TraceMessage(L"OnClicked_GpssettingRfSwitch: RF to %s", on ? L"ON" : L"OFF");
    const int ret = m_miravel.vSR_GPSModuleSwitch(on);
    TraceMessage(L"OnClicked_GpssettingRfSwitch: vSR_GPSModuleSwitch: bRet = %d, m_bGpsRF_Switch = %d", ret, on);
    if (ret)
        g_rfSwitchState = on;
    else
        ShowMessageBox(L"Set GPS module fail!");
    ShowRfSwitch();
    WritePrivateProfileStringW(kSection, L"RF_MODULE", std::to_wstring(g_rfSwitchState).c_str(), SettingsFile());
}

void GU_LocSensorGpsSetting::OnClicked_GpssettingLocationSet()
{
    OpenPositionOnMap(L"OnClicked_GpssettingLocationSet", m_latitude, m_longitude);
}

void GU_LocSensorGpsSetting::OnClicked_GpssettingHome()
{
    TraceMessage(L"OnClicked_GpssettingHome: setWlan.");
    const wchar_t* file = SettingsFile();

    const int port = Combo(kSerialPortListId) ? Combo(kSerialPortListId)->GetCurSel() : -1;
    const bool havePort = port >= 0 && port < static_cast<int>(std::size(kPorts));
    TraceMessage(L"m_serialport_combox<%d>:<com%d>", port, havePort ? kPorts[port].value : 0);
    WritePrivateProfileStringW(kSection, L"COM_PORT", havePort ? std::to_wstring(kPorts[port].value).c_str() : kFallbackPort,
                               file);
    WritePrivateProfileStringW(kSection, L"COM_PORT_INDEX", havePort ? std::to_wstring(port).c_str() : kFallbackPortIndex,
                               file);

    const int baud = Combo(kBaudRateListId) ? Combo(kBaudRateListId)->GetCurSel() : -1;
    const bool haveBaud = baud >= 0 && baud < static_cast<int>(std::size(kBaudRates));
    TraceMessage(L"m_baudrate_combo<%d>:<%s>", baud, haveBaud ? kBaudRates[baud].text : L"");
    WritePrivateProfileStringW(kSection, L"BAUD_RATE", haveBaud ? kBaudRates[baud].text : kFallbackBaudRate, file);
    WritePrivateProfileStringW(kSection, L"BAUD_RATE_INDEX", haveBaud ? std::to_wstring(baud).c_str() : kFallbackBaudIndex,
                               file);

    SendMessage(parentWidget(), WM_LOCATION_REFRESH);
    EndDialog(IDCANCEL);
}
