#include "GU_SysPowerMgtVoltageSetDlg.h"

#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "GU_SysPowerMgt_12VSetDlg.h"
#include "GU_SysPowerMgt_24VSetDlg.h"
#include "GU_SysPowerMgt_RQ81_36VSetDlg.h"
#include "GU_SysPowerMgt_RQ81_48VSetDlg.h"
#include "Trace.h"

#include <algorithm>
#include <array>
#include <string>

const VoltageDialogTable GU_SysPowerMgt_12VSetDlg::kTable = {
    12, L"GU_SysPowerMgt_12VSetDlg", L"SystemPowerMgt12V", "IDB_SYSPOWERMGT_12VSET_BASE_L",
    1171, "IDB_SYSPOWERMGT_SET_SAVE_L", 1172, "IDB_SYSPOWERMGT_SET_CANCEL_L", 200, 3,
    {{115, 1174}, {120, 1173}, {125, 1178}},
    {{105, 1179}, {110, 1184}, {115, 1180}},
    false, true, false,
    &CKestrom::vPM_12VStartupGet, &CKestrom::vPM_12VShutdownGet, &CKestrom::vPM_12VStartupSet, &CKestrom::vPM_12VShutdownSet,
};
const VoltageDialogTable GU_SysPowerMgt_24VSetDlg::kTable = {
    24, L"GU_SysPowerMgt_24VSetDlg", L"SystemPowerMgt24V", "IDB_SYSPOWERMGT_24VSET_BASE_L",
    1185, "IDB_SYSPOWERMGT_24VSET_SAVE_L", 1186, "IDB_SYSPOWERMGT_24VSET_CANCEL_L", 290, 5,
    {{230, 1188}, {235, 1189}, {240, 1187}, {245, 1190}, {250, 1192}},
    {{210, 1194}, {215, 1195}, {220, 1193}, {225, 1196}, {230, 1198}},
    true, false, false,
    &CKestrom::vPM_24VStartupGet, &CKestrom::vPM_24VShutdownGet, &CKestrom::vPM_24VStartupSet, &CKestrom::vPM_24VShutdownSet,
};
const VoltageDialogTable GU_SysPowerMgt_RQ81_36VSetDlg::kTable = {
    36, L"GU_SysPowerMgt_RQ81_36VSetDlg", L"SystemPowerMgtRQ81_36V", "IDB_SYSPOWERMGT_RQ81_36VSET_BASE_L",
    1233, "IDB_SYSPOWERMGT_36VSET_SAVE_L", 1255, "IDB_SYSPOWERMGT_36VSET_CANCEL_L", 290, 5,
    {{350, 1257}, {355, 1258}, {360, 1259}, {365, 1260}, {370, 1261}},
    {{330, 1262}, {335, 1263}, {340, 1264}, {345, 1265}, {350, 1266}},
    true, true, false,
    &CKestrom::vPM_36VStartupGet, &CKestrom::vPM_36VShutdownGet, &CKestrom::vPM_36VStartupSet, &CKestrom::vPM_36VShutdownSet,
};
const VoltageDialogTable GU_SysPowerMgt_RQ81_48VSetDlg::kTable = {
    48, L"GU_SysPowerMgt_RQ81_48VSetDlg", L"SystemPowerMgtRQ81_48V", "IDB_SYSPOWERMGT_RQ81_48VSET_BASE_L",
    1233, "IDB_SYSPOWERMGT_48VSET_SAVE_L", 1256, "IDB_SYSPOWERMGT_48VSET_CANCEL_L", 285, 5,
    {{465, 1267}, {470, 1268}, {475, 1269}, {480, 1270}, {485, 1271}},
    {{445, 1272}, {450, 1273}, {455, 1274}, {460, 1275}, {465, 1276}},
    true, true, true,
    &CKestrom::vPM_48VStartupGet, &CKestrom::vPM_48VShutdownGet, &CKestrom::vPM_48VStartupSet, &CKestrom::vPM_48VShutdownSet,
};

namespace {

constexpr int kStartupX = 8;
constexpr int kShutdownX = 236;
constexpr int kStartupRowsY[] = {62, 103, 144, 184, 225};
constexpr int kShutdownRowsY[] = {62, 103, 144, 185, 225};
constexpr int kSaveX = 50;
constexpr int kCancelX = 270;
constexpr int kUnchecked = 0;
constexpr int kChecked = 1;

// The choices of each dialog kind, process-wide, in tenths: start-up, shut-down.
struct Choices {
    int startup = 0;
    int shutdown = 0;
};
std::array<Choices, 4> g_choices;

std::size_t kindOf(int nominal)
{
    switch (nominal) {
    case 12: return 0;
    case 24: return 1;
    case 36: return 2;
    default: return 3;
    }
}

std::string pictureName(const VoltageDialogTable& table, bool startup, int tenths, bool checked)
{
    std::string name = "IDB_" + std::to_string(table.nominal) + "VSET_" + std::to_string(tenths);
    const VoltageChoice* other = startup ? table.shutdown : table.startup;
    const bool shared = std::any_of(other, other + table.rows, [&](const VoltageChoice& c) { return c.tenths == tenths; });
    if (shared && (startup ? table.startupSharedWord : table.shutdownSharedWord))
        name += startup ? "_STARTUP" : "_SHUTDOWN";
    return name + (checked ? "_CHECK_L" : "_UNCHECK_L");
}

} // namespace

GU_SysPowerMgtVoltageSetDlg::GU_SysPowerMgtVoltageSetDlg(const VoltageDialogTable& table, QWidget* parent)
    : CPageDlg(table.className, table.background, parent), m_table(table)
{
}

int& GU_SysPowerMgtVoltageSetDlg::Choice(bool startup) const
{
    Choices& choices = g_choices[kindOf(m_table.nominal)];
    return startup ? choices.startup : choices.shutdown;
}

int GU_SysPowerMgtVoltageSetDlg::StartupChoice() const { return Choice(true); }
int GU_SysPowerMgtVoltageSetDlg::ShutdownChoice() const { return Choice(false); }

bool GU_SysPowerMgtVoltageSetDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    for (const bool startup : {true, false}) {
        const VoltageChoice* column = startup ? m_table.startup : m_table.shutdown;
        for (std::size_t row = 0; row < m_table.rows; ++row) {
            const int tenths = column[row].tenths;
            const std::string unchecked = pictureName(m_table, startup, tenths, false);
            const std::string checked = pictureName(m_table, startup, tenths, true);
            AddButton(column[row].id, startup ? kStartupX : kShutdownX, startup ? kStartupRowsY[row] : kShutdownRowsY[row],
                      unchecked.c_str(), checked.c_str(), [this, startup, tenths] { OnClickedValue(startup, tenths); });
        }
    }
    AddButton(m_table.saveId, kSaveX, m_table.buttonsY, m_table.saveImage, m_table.saveImage, [this] { OnClickedSave(); });
    AddButton(m_table.cancelId, kCancelX, m_table.buttonsY, m_table.cancelImage, m_table.cancelImage,
              [this] { OnClickedCancel(); });
    Choice(true) = ReadThreshold(true);
    Choice(false) = ReadThreshold(false);
    ShowColumn(true);
    ShowColumn(false);
    SetTitle(m_table.title);
    return true;
}

int GU_SysPowerMgtVoltageSetDlg::ReadThreshold(bool startup)
{
    float volts = 0.0f;
    const int bRet = (m_kestrom.*(startup ? m_table.startupGet : m_table.shutdownGet))(&volts);
    const std::wstring n = std::to_wstring(m_table.nominal);
    const std::wstring what = startup ? L"Startup" : L"Shutdown";
    const std::wstring line = L"get" + n + L"V" + what + L"Voltage: vPM_" + n + L"V" + what +
                              L"Get: bRet = %d, voltage = %.1f";
    TraceMessage(line.c_str(), bRet, static_cast<double>(volts));
    // Tenths in single precision, truncated toward zero, as the controller's own tools count them.
    const float scaled = volts * 10.0f;
    const VoltageChoice* column = startup ? m_table.startup : m_table.shutdown;
    const int low = column[0].tenths;
    const int high = column[m_table.rows - 1].tenths;
    // A damaged or odd value (NaN, far out of range) must not overflow the conversion.
    if (!(scaled >= static_cast<float>(low)))
        return low;
    if (scaled >= static_cast<float>(high))
        return high;
    return static_cast<int>(scaled);
}

void GU_SysPowerMgtVoltageSetDlg::ShowColumn(bool startup)
{
    const VoltageChoice* column = startup ? m_table.startup : m_table.shutdown;
    const int choice = Choice(startup);
    for (std::size_t row = 0; row < m_table.rows; ++row) {
        CMyBitmapButton* button = Button(column[row].id);
        button->setState(column[row].tenths == choice ? kChecked : kUnchecked);
        button->RedrawNow();
    }
}

void GU_SysPowerMgtVoltageSetDlg::OnClickedValue(bool startup, int tenths)
{
    Choice(startup) = tenths;
    ShowColumn(startup);
}

void GU_SysPowerMgtVoltageSetDlg::OnClickedSave()
{
    const std::wstring n = std::to_wstring(m_table.nominal);
    const int startupChoice = Choice(true);
    const int shutdownChoice = Choice(false);
    const std::wstring saveLine = L"%s:OnClicked_Syspowermgt" + n + L"vsetSave startV=[%d], shutdownV=[%d]";
    TraceMessage(saveLine.c_str(), m_table.className, startupChoice, shutdownChoice);
    if (startupChoice == shutdownChoice) {
        ShowMessageBox(L"The Startup and Shutdown voltage conflict,please change the setting!");
        return;
    }
    const float startupVolts = static_cast<float>(startupChoice * 0.1);
    int bRet = (m_kestrom.*m_table.startupSet)(startupVolts);
    const std::wstring startupLine = L"set" + n + L"VStartupVoltage: vPM_" + n + L"VStartupSet: bRet = %d, fval = %.1f";
    TraceMessage(startupLine.c_str(), bRet, static_cast<double>(startupVolts));
    const float shutdownVolts = static_cast<float>(shutdownChoice * 0.1);
    bRet = (m_kestrom.*m_table.shutdownSet)(shutdownVolts);
    std::wstring shutdownLine = L"set" + n + L"VShutdownVoltage: vPM_" + n + L"VShutdownSet: bRet = %d, fval = %.1f";
    if (m_table.shutdownSetLineNamesClass)
        shutdownLine = std::wstring(m_table.className) + L": " + shutdownLine;
    TraceMessage(shutdownLine.c_str(), bRet, static_cast<double>(shutdownVolts));
    // A failed write is only logged: the dialog closes as after success.
    EndDialog(IDOK);
}

void GU_SysPowerMgtVoltageSetDlg::OnClickedCancel()
{
    const std::wstring line = L"%s:OnClicked_Syspowermgt" + std::to_wstring(m_table.nominal) + L"vsetCancel";
    TraceMessage(line.c_str(), m_table.className);
    EndDialog(IDCANCEL);
}
