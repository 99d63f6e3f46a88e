#include "SectionTable.h"

#include "CGX58_UtilityDlg.h"
#include "GU_CommDlg.h"
#include "GU_DevInfoDlg.h"
#include "GU_LocSensorDlg.h"
#include "GU_SystemSettingDlg.h"
#include "GU_VehicleDlg.h"

namespace {

template <class Page>
std::unique_ptr<CPageDlg> make(QWidget* mainWindow)
{
    return std::make_unique<Page>(mainWindow);
}

} // namespace

const std::array<SectionEntry, kSectionCount>& SectionTable()
{
    static const std::array<SectionEntry, kSectionCount> table = {{
        {CGX58_UtilityDlg::kDevInfoId, L"device information", L"DeviceInfomation", &make<GU_DevInfoDlg>},
        {CGX58_UtilityDlg::kVehicleId, L"vehicle status", L"VehicleStatus", &make<GU_VehicleDlg>},
        {CGX58_UtilityDlg::kCommId, L"communication", L"CommunicationStatus", &make<GU_CommDlg>},
        {CGX58_UtilityDlg::kSettingsId, L"system settings", L"SystemSetting", &make<GU_SystemSettingDlg>},
        {CGX58_UtilityDlg::kLocationId, L"location and sensor", L"LocationStatus", &make<GU_LocSensorDlg>},
    }};
    return table;
}
