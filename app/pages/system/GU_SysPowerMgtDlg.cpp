#include "GU_SysPowerMgtDlg.h"

#include "AppPaths.h"
#include "CBitComboBox.h"
#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "GU_SysPowerMgt_12VSetDlg.h"
#include "GU_SysPowerMgt_24VSetDlg.h"
#include "GU_SysPowerMgt_RQ81_36VSetDlg.h"
#include "GU_SysPowerMgt_RQ81_48VSetDlg.h"
#include "Trace.h"

#include <QLabel>

#include <array>
#include <memory>
#include <span>
#include <string>

namespace {

constexpr wchar_t kDefaultHardType[] = L"GX58";
constexpr int kTextFontHeight = 30;
constexpr int kNormalWeight = 400;
constexpr int kListWidth = 89;
constexpr int kListDropRoom = 350; // the template height's extra for the open list
constexpr int kOff = 0;
constexpr int kOn = 1;

// Input voltage rows: text, value for vPM_InputVoltageSet, its name in the trace, inputVoltage after
// the row was chosen, and whether it is a fixed voltage (with thresholds of its own).
struct InputRow {
    const wchar_t* text;
    int value;
    const wchar_t* traceName;
    int inputVoltage;
    bool fixed;
};
constexpr InputRow kNarrowRows[] = {
    {L"12V", 12, L"12v", 12, true},
    {L"24V", 24, L"24v", 24, true},
    {L"9-36V", 9, L"9-36v", 36, false},
};
constexpr wchar_t kRQ63WideText[] = L"9-32V";
constexpr InputRow kWideRows[] = {
    {L"12V", 12, L"12v", 12, true},   {L"24V", 24, L"24v", 24, true},      {L"36V", 36, L"36v", 36, true},
    {L"48V", 48, L"48v", 48, true},   {L"9-60V", 9, L"9-60v", 60, false},
};

// Delay rows: the code given to and read from the library is the row + 1.
struct DelayRow {
    const wchar_t* text;
    int seconds;
};
constexpr std::size_t kDelayRowCount = 8;
constexpr DelayRow kPowerOnRows[kDelayRowCount] = {
    {L"10 sec", 10}, {L"30 sec", 30}, {L"1 min", 60},   {L"5 min", 300},
    {L"10 min", 600}, {L"30 min", 1800}, {L"60 min", 3600}, {L"6 hr", 21600},
};
constexpr DelayRow kPowerOffRows[kDelayRowCount] = {
    {L"10 sec", 10}, {L"30 sec", 30}, {L"1 min", 60},   {L"5 min", 300},
    {L"10 min", 600}, {L"15 min", 900}, {L"30 min", 1800}, {L"60 min", 3600},
};

// The page's state, process-wide (one copy for every instance).
struct PageState {
    int m_hard_type = GU_SysPowerMgtDlg::kGX58;
    int m_bAcc_Detect = 0;
    int m_bAcc_Sensor_mode = 0;
    int m_bPowerBtn = 0;
    int accStatus = 0;
    int powerOnDelaySwitch = 0;
    int powerOffDelaySwitch = 0;
    int inputVoltage = 0;
    int inputVoltageRow = 0;
    unsigned powerOnDelayCode = 1;
    unsigned powerOffDelayCode = 1;
};
PageState g_state;

// The voltage dialogs by nominal voltage, each the last one opened.
constexpr int kNominals[] = {12, 24, 36, 48};
std::array<std::unique_ptr<CPageDlg>, std::size(kNominals)> g_voltageDialogs;

std::size_t nominalIndex(int volts)
{
    for (std::size_t i = 0; i < std::size(kNominals); ++i)
        if (kNominals[i] == volts)
            return i;
    return std::size(kNominals);
}

std::unique_ptr<CPageDlg> makeVoltageDialog(std::size_t index, QWidget* parent)
{
    switch (index) {
    case 0: return std::make_unique<GU_SysPowerMgt_12VSetDlg>(parent);
    case 1: return std::make_unique<GU_SysPowerMgt_24VSetDlg>(parent);
    case 2: return std::make_unique<GU_SysPowerMgt_RQ81_36VSetDlg>(parent);
    case 3: return std::make_unique<GU_SysPowerMgt_RQ81_48VSetDlg>(parent);
    default: return nullptr;
    }
}

void releaseVoltageDialog(std::size_t index)
{
    std::unique_ptr<CPageDlg> dialog = std::move(g_voltageDialogs[index]);
    if (!dialog)
        return;
    dialog->DestroyWindow();
    // A dialog whose modal run is still on the stack goes once that run has unwound.
    if (dialog->IsRunningModal())
        dialog.release()->deleteLater();
}

int hardTypeIndex(const std::wstring& text)
{
    constexpr std::pair<const wchar_t*, int> kTypes[] = {{L"GX58", GU_SysPowerMgtDlg::kGX58},
                                                         {L"RQ63_L", GU_SysPowerMgtDlg::kRQ63_L},
                                                         {L"RQ63_H", GU_SysPowerMgtDlg::kRQ63_H},
                                                         {L"RQ81", GU_SysPowerMgtDlg::kRQ81},
                                                         {L"RQ72", GU_SysPowerMgtDlg::kRQ72}};
    for (const auto& [name, index] : kTypes)
        if (text == name)
            return index;
    return GU_SysPowerMgtDlg::kUnknown;
}

bool isRQ63() { return g_state.m_hard_type == GU_SysPowerMgtDlg::kRQ63_L || g_state.m_hard_type == GU_SysPowerMgtDlg::kRQ63_H; }

} // namespace

GU_SysPowerMgtDlg::GU_SysPowerMgtDlg(QWidget* parent) : CPageDlg(L"GU_SysPowerMgtDlg", "IDB_SYSPOWER_BASE_L", parent) {}

GU_SysPowerMgtDlg::~GU_SysPowerMgtDlg() { DestroyWindow(); }

int GU_SysPowerMgtDlg::InputVoltage() { return g_state.inputVoltage; }
int GU_SysPowerMgtDlg::CurrentHardType() { return g_state.m_hard_type; }

CPageDlg* GU_SysPowerMgtDlg::VoltageDialog(int nominal)
{
    const std::size_t index = nominalIndex(nominal);
    return index < g_voltageDialogs.size() ? g_voltageDialogs[index].get() : nullptr;
}

bool GU_SysPowerMgtDlg::WideFlavour() const
{
    return g_state.m_hard_type == kRQ81 || g_state.m_hard_type == kRQ72;
}

namespace {

int master(bool wide) { return wide ? g_state.m_bAcc_Sensor_mode : g_state.m_bAcc_Detect; }

std::span<const InputRow> inputRows(bool wide)
{
    return wide ? std::span<const InputRow>(kWideRows) : std::span<const InputRow>(kNarrowRows);
}

const wchar_t* inputRowText(bool wide, std::size_t row)
{
    if (!wide && row == 2 && isRQ63())
        return kRQ63WideText;
    return inputRows(wide)[row].text;
}

// Whether the voltage dialog button may be used for an input voltage: a voltage with a dialog of
// this flavour.
bool hasThresholds(bool wide, int volts)
{
    for (const InputRow& row : inputRows(wide))
        if (row.fixed && row.value == volts)
            return true;
    return false;
}

} // namespace

bool GU_SysPowerMgtDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    AddHomeButton(kHomeId, 40, 445, "IDB_SYSPOWER_HOME_L", L"OnClicked_SyspowerHome", IDCANCEL);
    AddButton(kAccSensorModeId, 322, 90, "IDB_SYSPOWER_ACC_SENSOR_MODE_DISABLE_L", "IDB_SYSPOWER_ACC_SENSOR_MODE_ENABLE_L",
              [this] { OnClickedSensorModeOrPowerButton(true); });
    AddButton(kPowerButtonId, 670, 90, "IDB_SYSPOWER_POWERBTN_DISABLE_L", "IDB_SYSPOWER_POWERBTN_ENABLE_L",
              [this] { OnClickedSensorModeOrPowerButton(false); });
    AddButton(kAccDetectId, 322, 90, "IDB_SYSPOWER_ACC_DETECT_DISABLE_L", "IDB_SYSPOWER_ACC_DETECT_ENABLE_L",
              [this] { OnClickedAccDetect(); });
    AddButton(kAccStatusId, 685, 90, "IDB_SYSPOWER_ACC_STATUS_OFF_L", "IDB_SYSPOWER_ACC_STATUS_ON_L");
    AddButton(kAccStatusGreyId, 685, 90, "IDB_SYSPOWER_ACC_STATUS_OFF_DISABLE_L", "IDB_SYSPOWER_ACC_STATUS_ON_DISABLE_L");
    AddButton(kInputVoltageCaptionId, 322, 175, "IDB_SYSPOWER_INPUTVOLTAGE_DISABLE_T_L", "IDB_SYSPOWER_INPUTVOLTAGE_ENABLE_T_L");
    AddButton(kVoltageCaptionId, 322, 260, "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_DISABLE_T_L",
              "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_ENABLE_T_L");
    AddButton(kVoltageSetId, 715, 265, "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_SET_DISABLE_L",
              "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_SET_ENABLE_L", [this] { OnClickedVoltageSet(); });
    AddButton(kPowerOnDelayId, 322, 350, "IDB_SYSPOWER_POWERON_DELAY_OFF_ENABLE_L", "IDB_SYSPOWER_POWERON_DELAY_ON_ENABLE_L",
              [this] { OnClickedDelaySwitch(true); });
    AddButton(kPowerOnDelayGreyId, 322, 350, "IDB_SYSPOWER_POWERON_DELAY_OFF_DISABLE_L",
              "IDB_SYSPOWER_POWERON_DELAY_ON_DISABLE_L");
    AddButton(kPowerOffDelayId, 322, 435, "IDB_SYSPOWER_POWEROFF_DELAY_OFF_ENABLE_L",
              "IDB_SYSPOWER_POWEROFF_DELAY_ON_ENABLE_L", [this] { OnClickedDelaySwitch(false); });
    AddButton(kPowerOffDelayGreyId, 322, 435, "IDB_SYSPOWER_POWEROFF_DELAY_OFF_DISABLE_L",
              "IDB_SYSPOWER_POWEROFF_DELAY_ON_DISABLE_L");

    const QFont textFont = MakeFont(kTextFontHeight, kNormalWeight);
    const struct {
        int list;
        int text;
        int y;
        int textY;
    } kLists[] = {{kInputVoltageListId, kInputVoltageTextId, 172, 200},
                  {kPowerOnListId, kPowerOnTextId, 345, 365},
                  {kPowerOffListId, kPowerOffTextId, 430, 450}};
    for (const auto& list : kLists) {
        AddCombo(list.list, 710, list.y, kListWidth, kListDropRoom);
        AddStaticText({list.text, L"", 810, list.textY, 170, 40}, textFont);
    }
    // The template's second list and text are never used.
    AddCombo(kSecondListId, 710, 172, kListWidth, kListDropRoom);
    AddStaticText({kSecondTextId, L"", 810, 200, 170, 40}, textFont);
    connect(Combo(kInputVoltageListId), &QComboBox::activated, this, [this](int row) { OnSelchangeInputVoltage(row); });
    connect(Combo(kPowerOnListId), &QComboBox::activated, this, [this](int row) { OnSelchangeDelay(true, row); });
    connect(Combo(kPowerOffListId), &QComboBox::activated, this, [this](int row) { OnSelchangeDelay(false, row); });

    // Every control but Home starts hidden and disabled; each flavour shows what it uses, so a
    // grayed twin and its active twin are never both on the page.
    for (int id : {kAccSensorModeId, kPowerButtonId, kAccDetectId, kAccStatusId, kAccStatusGreyId, kInputVoltageCaptionId,
                   kVoltageCaptionId, kVoltageSetId, kPowerOnDelayId, kPowerOnDelayGreyId, kPowerOffDelayId,
                   kPowerOffDelayGreyId, kInputVoltageListId, kInputVoltageTextId, kSecondListId, kSecondTextId,
                   kPowerOnListId, kPowerOnTextId, kPowerOffListId, kPowerOffTextId}) {
        ShowItem(id, false);
        EnableItem(id, false);
    }

    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", kDefaultHardType);
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    g_state.m_hard_type = hardTypeIndex(hardType);
    SetChildTitles({L"SystemPowerMgt12V", L"SystemPowerMgt24V", L"SystemPowerMgtRQ81_36V", L"SystemPowerMgtRQ81_48V"});
    if (g_state.m_hard_type == kUnknown) {
        SetTitle(L"SystemPowerMgt");
        return true;
    }
    // The captions only show a state.
    for (int id : {kInputVoltageCaptionId, kVoltageCaptionId})
        ShowItem(id, true);
    const bool wide = WideFlavour();
    if (wide) {
        for (int id : {kAccSensorModeId, kPowerButtonId}) {
            ShowItem(id, true);
            EnableItem(id, true);
        }
        ReadAccSensorMode();
        ReadPowerButton();
    } else {
        ShowItem(kAccDetectId, g_state.m_hard_type != kGX58);
        EnableItem(kAccDetectId, g_state.m_hard_type == kRQ63_L);
        if (g_state.m_hard_type == kGX58) {
            g_state.m_bAcc_Detect = kOn; // a GX58 always follows the ignition
        } else if (g_state.m_hard_type == kRQ63_H) {
            g_state.m_bAcc_Detect = kOff;
        } else {
            int enabled = 0;
            const int bRet = m_kestrom.WU_WakeOnACCStatus(&enabled);
            TraceMessage(L"getAccDetect: WU_WakeOnACCStatus: bRet = %d, m_bAcc_Detect = %d", bRet, enabled);
            g_state.m_bAcc_Detect = bRet && enabled ? kOn : kOff;
        }
        SetSwitch(kAccDetectId, g_state.m_bAcc_Detect);
        ShowAccStatus();
    }
    ShowInputVoltageSection();
    ShowVoltageSection();
    ShowDelaySwitch(true);
    ShowDelaySwitch(false);
    ReadInputVoltage();
    ShowVoltageButton();
    for (const auto& [id, rows] : {std::pair{kPowerOnListId, kPowerOnRows}, std::pair{kPowerOffListId, kPowerOffRows}}) {
        CBitComboBox* list = Combo(id);
        for (std::size_t i = 0; i < kDelayRowCount; ++i)
            list->addItem(QString::fromWCharArray(rows[i].text), rows[i].seconds);
    }
    ReadDelayCode(true);
    ReadDelayCode(false);
    SetTitle(L"SystemPowerMgt");
    return true;
}

void GU_SysPowerMgtDlg::SetSwitch(int id, int state)
{
    if (CMyBitmapButton* button = Button(id)) {
        button->setState(state);
        button->RedrawNow();
    }
}

void GU_SysPowerMgtDlg::ReadAccSensorMode()
{
    int mode = 0;
    const int bRet = m_kestrom.vPM_ACCSenseModeGetting(&mode);
    TraceMessage(L"vPM_ACCSenseModeGetting :vPM_ACCSenseModeGetting: bRet = %d, acc sensor mode = %d", bRet, mode);
    g_state.m_bAcc_Sensor_mode = bRet && mode ? kOn : kOff;
    SetSwitch(kAccSensorModeId, g_state.m_bAcc_Sensor_mode);
}

void GU_SysPowerMgtDlg::ReadPowerButton()
{
    int status = 0;
    const int bRet = m_kestrom.vPM_PowerButtonGetting(&status);
    TraceMessage(bRet ? L"getPowerButtonStatus success :vPM_PowerButtonGetting:bRet = %d status = %d"
                      : L"getPowerButtonStatus failed :vPM_PowerButtonGetting:bRet = %d status = %d",
                 bRet, status);
    g_state.m_bPowerBtn = bRet && status ? kOn : kOff;
    SetSwitch(kPowerButtonId, g_state.m_bPowerBtn);
}

void GU_SysPowerMgtDlg::ShowAccStatus()
{
    int status = 0;
    const int bRet = m_kestrom.vPM_ACCStatus(&status);
    TraceMessage(bRet ? L"getAccStatus success :vPM_ACCStatus: %d" : L"getAccStatus failed :vPM_ACCStatus: %d", status);
    g_state.accStatus = status != 0 ? kOn : kOff;
    const bool on = master(false);
    ShowItem(kAccStatusId, on);
    ShowItem(kAccStatusGreyId, !on);
    SetSwitch(on ? kAccStatusId : kAccStatusGreyId, g_state.accStatus);
}

void GU_SysPowerMgtDlg::ShowInputVoltageSection()
{
    const bool on = master(WideFlavour());
    SetSwitch(kInputVoltageCaptionId, on ? kOn : kOff);
    for (int id : {kInputVoltageListId, kInputVoltageTextId}) {
        ShowItem(id, on);
        EnableItem(id, on);
    }
}

void GU_SysPowerMgtDlg::ShowVoltageSection()
{
    const bool wide = WideFlavour();
    const bool on = master(wide);
    SetSwitch(kVoltageCaptionId, on ? kOn : kOff);
    ShowItem(kVoltageSetId, on);
    EnableItem(kVoltageSetId, on && hasThresholds(wide, g_state.inputVoltage));
}

void GU_SysPowerMgtDlg::ShowDelaySwitch(bool powerOn)
{
    const bool wide = WideFlavour();
    int enabled = 1; // a failed read counts as on
    const int bRet = powerOn ? m_kestrom.vPM_PowerOnTimerEnableStatus(&enabled)
                             : m_kestrom.vPM_PowerOffTimerEnableStatus(&enabled);
    const wchar_t* line = nullptr;
    if (wide) {
        line = powerOn ? (bRet ? L"getPowerOnDelayStatus_RQ81 success :vPM_PowerOnTimerEnableStatus: %d"
                               : L"getPowerOnDelayStatus_RQ81 failed :vPM_PowerOnTimerEnableStatus: %d")
                       : (bRet ? L"getPowerOffDelayStatus_RQ81 success :vPM_PowerOffTimerEnableStatus: %d"
                               : L"getPowerOffDelayStatus_RQ81 failed :vPM_PowerOffTimerEnableStatus: %d");
    } else {
        line = powerOn ? (bRet ? L"getPowerOnDelaySetting success :vPM_PowerOnTimerEnableStatus: %d"
                               : L"getPowerOnDelaySetting failed :vPM_PowerOnTimerEnableStatus: %d")
                       : (bRet ? L"getPowerOffDelayStatus success :vPM_PowerOffTimerEnableStatus: %d"
                               : L"getPowerOffDelayStatus failed :vPM_PowerOffTimerEnableStatus: %d");
    }
    TraceMessage(line, enabled);
    int& state = powerOn ? g_state.powerOnDelaySwitch : g_state.powerOffDelaySwitch;
    state = enabled == 1 ? kOn : kOff;

    const bool on = master(wide);
    const int active = powerOn ? kPowerOnDelayId : kPowerOffDelayId;
    const int grey = powerOn ? kPowerOnDelayGreyId : kPowerOffDelayGreyId;
    ShowItem(active, on);
    EnableItem(active, on);
    ShowItem(grey, !on);
    EnableItem(grey, false);
    SetSwitch(on ? active : grey, state);
    for (int id : powerOn ? std::array{kPowerOnListId, kPowerOnTextId} : std::array{kPowerOffListId, kPowerOffTextId}) {
        ShowItem(id, on && state);
        EnableItem(id, on && state);
    }
}

void GU_SysPowerMgtDlg::ReadInputVoltage()
{
    const bool wide = WideFlavour();
    CBitComboBox* list = Combo(kInputVoltageListId);
    list->clear();
    const std::span<const InputRow> rows = inputRows(wide);
    for (std::size_t i = 0; i < rows.size(); ++i)
        list->addItem(QString::fromWCharArray(inputRowText(wide, i)));

    int volts = 0;
    const int bRet = m_kestrom.vPM_InputVoltageGet(&volts);
    if (wide)
        TraceMessage(bRet ? L"getInputVoltage_RQ81 success :vPM_InputVoltageGet: %d"
                          : L"getInputVoltage_RQ81 failed :vPM_InputVoltageGet: %d",
                     volts);
    else
        TraceMessage(bRet ? L"getInputVoltage success :vPM_InputVoltageGet: %d" : L"getInputVoltage failed :vPM_InputVoltageGet: %d",
                     volts);
    if (!bRet)
        volts = 0;
    g_state.inputVoltage = volts;
    // A fixed voltage selects its row; anything else is the wide range, the last row.
    std::size_t row = rows.size() - 1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].fixed && rows[i].value == volts)
            row = i;
    g_state.inputVoltageRow = static_cast<int>(row);
    SetItemText(kInputVoltageTextId, QString::fromWCharArray(inputRowText(wide, row)));
    list->SetCurSel(static_cast<int>(row));
}

void GU_SysPowerMgtDlg::ShowVoltageButton()
{
    const bool usable = hasThresholds(WideFlavour(), g_state.inputVoltage);
    SetSwitch(kVoltageSetId, usable ? kOn : kOff);
    EnableItem(kVoltageSetId, usable);
}

void GU_SysPowerMgtDlg::ReadDelayCode(bool powerOn)
{
    const bool wide = WideFlavour();
    unsigned code = 0;
    const int bRet = powerOn ? m_kestrom.vPM_PowerOnDelayGet(&code) : m_kestrom.vPM_PowerOffDelayGet(&code);
    const wchar_t* name = powerOn ? (wide ? L"getPowerOnDelaySetting_RQ81" : L"getPowerOnDelaySetting")
                                  : (wide ? L"getPowerOffDelaySetting_RQ81" : L"getPowerOffDelaySetting");
    const std::wstring line = std::wstring(name) + (powerOn ? L": vPM_PowerOnDelayGet: bRet = %d, uSeconds = %d"
                                                            : L": vPM_PowerOffDelayGet: bRet = %d, uSeconds = %d");
    TraceMessage(line.c_str(), bRet, code);
    if (!bRet || code == 0) {
        code = 1;
    } else if (code > kDelayRowCount) {
        // The library gives codes 1 to 8; a controller reporting more gets the first row shown.
        TraceMessage(L"%s: delay code %u is not one of the %u rows; the first row is shown", name, code,
                     static_cast<unsigned>(kDelayRowCount));
        code = 1;
    }
    (powerOn ? g_state.powerOnDelayCode : g_state.powerOffDelayCode) = code;
    const DelayRow* rows = powerOn ? kPowerOnRows : kPowerOffRows;
    SetItemText(powerOn ? kPowerOnTextId : kPowerOffTextId, QString::fromWCharArray(rows[code - 1].text));
    Combo(powerOn ? kPowerOnListId : kPowerOffListId)->SetCurSel(static_cast<int>(code - 1));
}

void GU_SysPowerMgtDlg::OnSelchangeInputVoltage(int row)
{
    const bool wide = WideFlavour();
    const std::span<const InputRow> rows = inputRows(wide);
    TraceMessage(L"OnSelchange_SyspowerInputvoltageCombo :inputVoltageCur = %d, m_hard_type = %d", row, g_state.m_hard_type);
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return;
    const InputRow& chosen = rows[static_cast<std::size_t>(row)];
    SetItemText(kInputVoltageTextId, QString::fromWCharArray(inputRowText(wide, static_cast<std::size_t>(row))));
    Text(kInputVoltageTextId)->repaint();
    const int bRet = m_kestrom.vPM_InputVoltageSet(chosen.value);
    TraceMessage(L"OnSelchange_SyspowerInputvoltageCombo :vPM_InputVoltageSet: bRet = %d, %s", bRet, chosen.traceName);
    if (!bRet)
        return;
    g_state.inputVoltageRow = row;
    g_state.inputVoltage = chosen.inputVoltage;
    SetSwitch(kVoltageSetId, chosen.fixed ? kOn : kOff);
    EnableItem(kVoltageSetId, chosen.fixed);
}

void GU_SysPowerMgtDlg::OnSelchangeDelay(bool powerOn, int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= kDelayRowCount)
        return;
    const DelayRow* rows = powerOn ? kPowerOnRows : kPowerOffRows;
    const int textId = powerOn ? kPowerOnTextId : kPowerOffTextId;
    SetItemText(textId, QString::fromWCharArray(rows[row].text));
    Text(textId)->repaint();
    const unsigned code = static_cast<unsigned>(row) + 1;
    const int bRet = powerOn ? m_kestrom.vPM_PowerOnDelaySet(code) : m_kestrom.vPM_PowerOffDelaySet(code);
    TraceMessage(powerOn ? L"OnSelchange_SyspowerOnDelayCombo :vPM_PowerOnDelaySet: bRet = %d, powerOnDelayCur = %d"
                         : L"OnSelchange_SyspowerOffDelayCombo :vPM_PowerOffDelaySet: bRet = %d, powerOffDelayCur = %d",
                 bRet, code);
    if (bRet)
        (powerOn ? g_state.powerOnDelayCode : g_state.powerOffDelayCode) = code;
}

void GU_SysPowerMgtDlg::OnClickedDelaySwitch(bool powerOn)
{
    int& state = powerOn ? g_state.powerOnDelaySwitch : g_state.powerOffDelaySwitch;
    state = state ? kOff : kOn;
    if (powerOn)
        TraceMessage(state ? L"OnClicked_SyspowerPoweronDelay: Power on delay to ON" : L"OnClicked_SyspowerPoweronDelay: Power on delay to OFF");
    else
        TraceMessage(state ? L"OnClicked_SyspowerPoweroffDelay: Power off delay to ON"
                           : L"OnClicked_SyspowerPoweroffDelay: Power off delay to OFF");
    const int bRet = powerOn ? m_kestrom.vPM_PowerOnTimerEnable(state) : m_kestrom.vPM_PowerOffTimerEnable(state);
    TraceMessage(powerOn ? L"OnClicked_SyspowerPoweronDelay: vPM_PowerOnTimerEnable: bRet = %d, bEnable = %d"
                         : L"OnClicked_SyspowerPoweroffDelay: vPM_PowerOffTimerEnable: bRet = %d, bEnable = %d",
                 bRet, state);
    if (bRet) {
        for (int id : powerOn ? std::array{kPowerOnListId, kPowerOnTextId} : std::array{kPowerOffListId, kPowerOffTextId}) {
            ShowItem(id, state);
            EnableItem(id, state);
        }
    } else {
        ShowMessageBox(powerOn ? L"Set power on delay switch fail!" : L"Set power off delay switch fail!");
        state = state ? kOff : kOn;
    }
    SetSwitch(powerOn ? kPowerOnDelayId : kPowerOffDelayId, state);
}

void GU_SysPowerMgtDlg::OnClickedAccDetect()
{
    g_state.m_bAcc_Detect = g_state.m_bAcc_Detect ? kOff : kOn;
    TraceMessage(g_state.m_bAcc_Detect ? L"OnClicked_SyspowerAccDetect: ACC Detect to Enable"
                                       : L"OnClicked_SyspowerAccDetect: ACC Detect to Disable");
    const int bRet = m_kestrom.WU_WakeOnACCSwitch(g_state.m_bAcc_Detect);
    TraceMessage(L"OnClicked_SyspowerAccDetect: WU_WakeOnACCSwitch: bRet = %d, m_bAcc_Detect = %d", bRet,
                 g_state.m_bAcc_Detect);
    // The new state stays whatever the result.
    ShowAccStatus();
    ShowInputVoltageSection();
    ShowVoltageSection();
    ShowDelaySwitch(true);
    ShowDelaySwitch(false);
    SetSwitch(kAccDetectId, g_state.m_bAcc_Detect);
}

void GU_SysPowerMgtDlg::OnClickedSensorModeOrPowerButton(bool sensorMode)
{
    if (sensorMode) {
        g_state.m_bAcc_Sensor_mode = g_state.m_bAcc_Sensor_mode ? kOff : kOn;
        TraceMessage(g_state.m_bAcc_Sensor_mode ? L"OnClicked_SyspowerAccSensorMode: ACC Sensor Mode to Enable"
                                                : L"OnClicked_SyspowerAccSensorMode: ACC Sensor Mode to Disable");
    } else {
        g_state.m_bPowerBtn = g_state.m_bPowerBtn ? kOff : kOn;
        TraceMessage(g_state.m_bPowerBtn ? L"OnClicked_SyspowerPowerbtn: Power Button to Enable"
                                         : L"OnClicked_SyspowerPowerbtn: Power Button to Disable");
    }
    const int sensor = g_state.m_bAcc_Sensor_mode;
    const int button = g_state.m_bPowerBtn;
    // Sensor mode follows the ignition as ACC detection does; external power starts the computer
    // only when neither the ignition nor the power button does.
    const int bAccSenseRet = m_kestrom.vPM_ACCSenseModeSetting(sensor);
    const int bIgnitionRet = m_kestrom.WU_WakeOnACCSwitch(sensor);
    const int bPowerBtnRet = m_kestrom.vPM_PowerButtonSetting(button);
    m_kestrom.vPM_ExtennalPowerSetting(!sensor && !button ? kOn : kOff);
    TraceMessage(L"m_bAcc_Sensor_mode=%d m_bPowerBtn=%d (bAccSenseRet=%d bIgnitstionRet=%d bPowerBtnRet=%d bPowerBtnRet=%d)",
                 sensor, button, bAccSenseRet, bIgnitionRet, bPowerBtnRet, bPowerBtnRet);
    if (!sensorMode) {
        SetSwitch(kPowerButtonId, g_state.m_bPowerBtn);
        return;
    }
    ReadPowerButton();
    ShowInputVoltageSection();
    ShowVoltageSection();
    ShowDelaySwitch(true);
    ShowDelaySwitch(false);
    ReadDelayCode(true);
    ReadDelayCode(false);
    SetSwitch(kAccSensorModeId, g_state.m_bAcc_Sensor_mode);
}

void GU_SysPowerMgtDlg::OnClickedVoltageSet()
{
    TraceMessage(L"OnClicked_SyspowerSsvoltageSet: inputVoltage = %d", g_state.inputVoltage);
    CMyBitmapButton* button = Button(kVoltageSetId);
    button->setState(kOn);
    button->setEnabled(true);
    const std::size_t index = nominalIndex(g_state.inputVoltage);
    if (index >= g_voltageDialogs.size())
        return;
    releaseVoltageDialog(index);
    button->RedrawNow();
    g_voltageDialogs[index] = makeVoltageDialog(index, this);
    g_voltageDialogs[index]->DoModal();
}

void GU_SysPowerMgtDlg::done(int result)
{
    CPageDlg::done(result);
    WindowGone();
}

void GU_SysPowerMgtDlg::DestroyWindow()
{
    CPageDlg::DestroyWindow();
    WindowGone();
}

void GU_SysPowerMgtDlg::WindowGone()
{
    if (m_windowGone)
        return;
    m_windowGone = true;
    for (std::size_t i = 0; i < g_voltageDialogs.size(); ++i)
        releaseVoltageDialog(i);
}
