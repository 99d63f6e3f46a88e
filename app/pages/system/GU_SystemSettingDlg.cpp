#include "GU_SystemSettingDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "GU_SysBrightnessDlg.h"
#include "GU_SysIOConfDlg.h"
#include "GU_SysPowerMgtDlg.h"
#include "GU_SysProgramButtonDlg.h"
#include "GU_SysWakeupDlg.h"
#include "GU_SysWatchdogDlg.h"
#include "HardType.h"
#include "GreyedPicture.h"
#include "PrivateProfile.h"
#include "Trace.h"
#include "TrayLink.h"

#include <QLabel>

#include <array>
#include <memory>

namespace {

constexpr wchar_t kDefaultHardType[] = L"GX58";
constexpr wchar_t kEmergencySection[] = L"SYS_EMERGENCY";
constexpr wchar_t kEmergencyKey[] = L"EMERGENCY_ISKEYDOWN";
// A missing key counts as latched: the tile then offers the reset.
constexpr int kDefaultEmergencyKeyDown = 1;

constexpr int kUpsFontHeight = 30;
constexpr int kNormalWeight = 400;

// Button states of the hub's tiles (the pictures loaded into slots 0, 1, 2).
constexpr int kStateGrey = 0;
constexpr int kStateNormal = 1;
constexpr int kStateLatched = 2;

// The sub-page kinds: the tile, its click handler, its name in traces, the page's title and how to
// make the page. A kind whose page is not built yet has no maker; its tile is disabled. A page that
// is added to the program fills in its maker here.
struct SubPageKind {
    int buttonId;
    const wchar_t* handler;
    const wchar_t* name;
    const wchar_t* title;
    std::unique_ptr<CPageDlg> (*make)(QWidget* hub);
};

template <class Page>
std::unique_ptr<CPageDlg> make(QWidget* hub)
{
    return std::make_unique<Page>(hub);
}

// The program-button page takes its layout from the hardware type the tray window runs with; a hub
// run without a tray window goes by the settings file.
std::unique_ptr<CPageDlg> makeProgramButtonPage(QWidget* hub)
{
    auto page = std::make_unique<GU_SysProgramButtonDlg>(hub);
    const CTrayLink* tray = CTrayLink::Current();
    page->SetHardType(tray ? tray->GetHardType()
                           : HardTypeFromName(ReadSettingText(L"PROJECT", L"HARD_TYPE", kDefaultHardType)));
    return page;
}

const SubPageKind kSubPages[] = {
    {GU_SystemSettingDlg::kPowerMgtId, L"OnClicked_SysPowermgt", L"power management", L"SystemPowerMgt",
     &make<GU_SysPowerMgtDlg>},
    {GU_SystemSettingDlg::kWatchdogId, L"OnClicked_SysWatchdog", L"watchdog", L"SystemWatchdog",
     &make<GU_SysWatchdogDlg>},
    {GU_SystemSettingDlg::kIoConfId, L"OnClicked_SysIoconf", L"I/O configuration", L"SystemIOConf",
     &make<GU_SysIOConfDlg>},
    {GU_SystemSettingDlg::kBrightnessId, L"OnClicked_SysBrightness", L"brightness", L"SystemBrightness",
     &make<GU_SysBrightnessDlg>},
    {GU_SystemSettingDlg::kProgButtonId, L"OnClicked_SysProgbutton", L"program button", L"SystemProgramButton",
     &makeProgramButtonPage},
    {GU_SystemSettingDlg::kWakeupId, L"OnClicked_SysWakeup", L"wake-up", L"SystemWakeup",
     &make<GU_SysWakeupDlg>},
};
constexpr std::size_t kSubPageCount = std::size(kSubPages);

// One object per kind, process-wide: the last one opened, until the next opening of that kind or the
// hub's destruction.
std::array<std::unique_ptr<CPageDlg>, kSubPageCount> g_subPages;

std::size_t kindOf(int buttonId)
{
    for (std::size_t i = 0; i < kSubPageCount; ++i)
        if (kSubPages[i].buttonId == buttonId)
            return i;
    return kSubPageCount;
}

void releaseSubPage(std::size_t kind)
{
    std::unique_ptr<CPageDlg> page = std::move(g_subPages[kind]);
    if (!page)
        return;
    page->DestroyWindow();
    // A page whose modal run is still on the stack goes once that run has unwound.
    if (page->IsRunningModal())
        page.release()->deleteLater();
}

// The tiles at their places: id, position, pictures for states 0, 1, 2 (one name: both states).
struct TileDef {
    int id;
    int x;
    int y;
    const char* state0;
    const char* state1;
    const char* state2;
};
constexpr TileDef kTiles[] = {
    {GU_SystemSettingDlg::kPowerMgtId, 318, 95, "IDB_SYS_POWERMGT_GRAY_L", "IDB_SYS_POWERMGT_L", nullptr},
    {GU_SystemSettingDlg::kUpsId, 318, 200, "IDB_SYS_UPS2_L", "IDB_SYS_UPS2_L", nullptr},
    {GU_SystemSettingDlg::kIoConfId, 318, 305, "IDB_SYS_IOCONF_L", "IDB_SYS_IOCONF_L", nullptr},
    {GU_SystemSettingDlg::kWatchdogId, 318, 410, "IDB_SYS_WATCHDOG_L", "IDB_SYS_WATCHDOG_L", nullptr},
    {GU_SystemSettingDlg::kWakeupId, 668, 95, "IDB_SYS_WAKEUP_L", "IDB_SYS_WAKEUP_L", nullptr},
    {GU_SystemSettingDlg::kEmergencyId, 668, 200, "IDB_SYS_EMERGBUTTON_GRAY_L", "IDB_SYS_EMERGBUTTON_EMPTY_L",
     "IDB_SYS_EMERGBUTTON_CLEAR_L"},
    {GU_SystemSettingDlg::kBrightnessId, 668, 305, "IDB_SYS_BRIGHTNESS_L", "IDB_SYS_BRIGHTNESS_L", nullptr},
    {GU_SystemSettingDlg::kProgButtonId, 668, 410, "IDB_SYS_PROGBUTTON_GRAY_L", "IDB_SYS_PROGBUTTON_L", nullptr},
};

} // namespace

GU_SystemSettingDlg::GU_SystemSettingDlg(QWidget* parent)
    : CPageDlg(L"GU_SystemSettingDlg", "IDB_SYSTEMSETTINGBASE_L", parent)
{
    if (CTrayLink* tray = CTrayLink::Current())
        tray->SetSystemSettingPage(this);
}

GU_SystemSettingDlg::~GU_SystemSettingDlg() { DestroyWindow(); }

CPageDlg* GU_SystemSettingDlg::SubPage(int buttonId)
{
    const std::size_t kind = kindOf(buttonId);
    return kind < kSubPageCount ? g_subPages[kind].get() : nullptr;
}

bool GU_SystemSettingDlg::HasSubPage(int buttonId)
{
    const std::size_t kind = kindOf(buttonId);
    return kind < kSubPageCount && kSubPages[kind].make;
}

bool GU_SystemSettingDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    AddHomeButton(kHomeId, 40, 445, "IDB_SYSTEMSETTING_HOME_L", L"OnClicked_SystemsettingHome", IDCANCEL);
    for (const TileDef& tile : kTiles) {
        CMyBitmapButton* button = AddButton(tile.id, tile.x, tile.y, tile.state0, tile.state1);
        if (tile.state2)
            button->LoadBitmaps(tile.state0, tile.state1, tile.state2);
        button->setState(kStateNormal);
        const int id = tile.id;
        if (id == kEmergencyId) {
            connect(button, &QAbstractButton::clicked, this, [this] { OnClickedEmergency(); });
        } else if (const std::size_t kind = kindOf(id); kind < kSubPageCount) {
            connect(button, &QAbstractButton::clicked, this, [this, kind] { OpenSubPage(kind); });
        }
    }
    // The UPS tile is a picture only.
    EnableItem(kUpsId, false);
    AddStaticText({kUpsTextId, L"", 468, 250, 140, 93}, MakeFont(kUpsFontHeight, kNormalWeight));

    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", kDefaultHardType);
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    SetModelButtons(hardType);
    DisableMissingSubPages();
    GetUPSStatus();
    SetChildTitles({L"SystemBrightness", L"SystemIOConf", L"SystemPowerMgt", L"SystemProgramButton",
                    L"SystemWakeup", L"SystemWatchdog"});
    SetTitle(L"SystemSetting");
    return true;
}

void GU_SystemSettingDlg::SetModelButtons(const std::wstring& hardType)
{
    struct Tile {
        int state;
        bool enabled;
    };
    Tile power{kStateNormal, true};
    Tile emergency{kStateGrey, false};
    Tile program{kStateGrey, false};
    bool emergencyShown = true;
    if (hardType == L"GX58") {
        program = {kStateNormal, true};
        const bool latched = ReadSettingInt(kEmergencySection, kEmergencyKey, kDefaultEmergencyKeyDown) == 1;
        emergency = latched ? Tile{kStateLatched, true} : Tile{kStateNormal, false};
    } else if (hardType == L"RQ63_H") {
        power = {kStateGrey, false};
    } else if (hardType == L"RQ81" || hardType == L"RQ72") {
        program = {kStateNormal, true};
        emergencyShown = false;
    }
    // Any other text is taken as an RQ63_L: the defaults above.
    const std::pair<int, Tile> tiles[] = {{kPowerMgtId, power}, {kEmergencyId, emergency}, {kProgButtonId, program}};
    for (const auto& [id, tile] : tiles) {
        Button(id)->setState(tile.state);
        EnableItem(id, tile.enabled);
    }
    ShowItem(kEmergencyId, emergencyShown);
}

void GU_SystemSettingDlg::DisableMissingSubPages()
{
    QImage behind; // the page picture, converted once when a tile needs greying
    for (const SubPageKind& kind : kSubPages) {
        if (kind.make)
            continue;
        CMyBitmapButton* button = Button(kind.buttonId);
        TraceMessage(L"GU_SystemSettingDlg: the %s page is not built yet; its button is disabled", kind.name);
        if (!button->isEnabled())
            continue; // the model has it greyed already
        if (behind.isNull())
            behind = Background().toImage().convertToFormat(QImage::Format_RGB32);
        button->SetImage(3, GreyedPicture(button->image(button->state()), behind, button->pos()));
        button->setEnabled(false);
    }
}

void GU_SystemSettingDlg::GetUPSStatus()
{
    int capacity = 0;
    const int bRet = m_kestrom.vUPSBatteryCapacity(&capacity);
    TraceMessage(L"getUPSStatus:vUPSBatteryCapacity: bRet = %d, bUPSCpacity = %d", bRet, capacity);
    SetItemText(kUpsTextId, bRet ? QStringLiteral("%1%").arg(capacity) : QStringLiteral("-"));
    if (QLabel* text = Text(kUpsTextId))
        text->update();
}

void GU_SystemSettingDlg::OnClickedEmergency()
{
    TraceMessage(L"GU_SystemSettingDlg:OnClicked_SysEmergencybutton");
    CMyBitmapButton* button = Button(kEmergencyId);
    const int bRet = m_kestrom.EB_EmergencyButtonReset();
    TraceMessage(L"OnClicked_SysEmergencybutton: EB_EmergencyButtonReset: bRet = %d", bRet);
    if (bRet) {
        WritePrivateProfileStringW(kEmergencySection, kEmergencyKey, L"0", SettingsFile());
        button->setState(kStateNormal);
        button->setEnabled(false);
    } else {
        // The latch is still set: the tile keeps offering the reset.
        button->setState(kStateLatched);
        ShowMessageBox(L"Clear emergency button fail!");
    }
    button->RedrawNow();
}

void GU_SystemSettingDlg::OpenSubPage(std::size_t kind)
{
    const SubPageKind& subPage = kSubPages[kind];
    TraceMessage(L"GU_SystemSettingDlg:%s", subPage.handler);
    if (!subPage.make) {
        TraceMessage(L"GU_SystemSettingDlg: the %s page is not built yet", subPage.name);
        return;
    }
    releaseSubPage(kind);
    if (subPage.buttonId == kPowerMgtId || subPage.buttonId == kProgButtonId) {
        // A press flips a tile's state; these two show their state-1 picture while the page runs.
        CMyBitmapButton* button = Button(subPage.buttonId);
        button->setState(kStateNormal);
        button->RedrawNow();
    }
    g_subPages[kind] = subPage.make(this);
    g_subPages[kind]->DoModal();
}

void GU_SystemSettingDlg::done(int result)
{
    CPageDlg::done(result);
    WindowGone();
}

void GU_SystemSettingDlg::DestroyWindow()
{
    CPageDlg::DestroyWindow();
    WindowGone();
}

void GU_SystemSettingDlg::WindowGone()
{
    if (m_windowGone)
        return;
    m_windowGone = true;
    for (std::size_t i = 0; i < kSubPageCount; ++i)
        releaseSubPage(i);
    if (CTrayLink* tray = CTrayLink::Current(); tray && tray->SystemSettingPage() == this)
        tray->SetSystemSettingPage(nullptr);
}
