#include "GU_SysProgramButtonDlg.h"

#include "CBitComboBox.h"
#include "CMyBitmapButton.h"
#include "GU_SysProgButtonsOtherDlg.h"
#include "Trace.h"

namespace {

constexpr const wchar_t* kEntries[GU_SysProgramButtonDlg::kEntryCount] = {
    L"Open explore",     L"Open Tarvik home", L"Open Tarvik System setting", L"Open Tarvik Vehicle Status",
    L"Open browser with velmora", L"Task Manager", L"Brightness Up", L"Brightness Down", L"Volume Up",
    L"Volume Down",      L"Up Key",           L"Down Key",                   L"Left Key",
    L"Right Key",        L"Enter Key",        L"Tab Key",                    L"Delete Key",
    L"User Defined Command"};

// The user-defined slots: key n's own is function 17 + n; a key position k of the nine-key layout
// owns two, one per layer (17 + k and 26 + k).
constexpr int kUserSlotBase = 17;
constexpr int kLayerSlotBase = 26;
constexpr int kKeysPerLayer = 9;

// The combo boxes' extra height for the open list.
constexpr int kDropRoom = 350;

struct Place {
    int x;
    int y;
};
constexpr Place kFiveOther[] = {{850, 101}, {850, 183}, {850, 266}, {850, 348}, {850, 431}};
constexpr Place kFiveCombo[] = {{400, 101}, {400, 184}, {400, 267}, {400, 350}, {400, 437}};
constexpr int kFiveComboWidth = 425;
constexpr Place kNineOther[] = {{600, 108}, {600, 197}, {600, 285}, {600, 371}, {600, 459},
                                {930, 108}, {930, 197}, {930, 285}, {930, 371}};
constexpr Place kNineCombo[] = {{380, 103}, {380, 190}, {380, 279}, {380, 365}, {380, 452},
                                {710, 103}, {710, 190}, {710, 279}, {710, 365}};
constexpr int kNineComboWidth = 219;

int g_layer = 0;
std::unique_ptr<GU_SysProgButtonsOtherDlg> g_otherPage;

void releaseOtherPage()
{
    std::unique_ptr<GU_SysProgButtonsOtherDlg> page = std::move(g_otherPage);
    if (!page)
        return;
    page->DestroyWindow();
    // A page whose modal run is still on the stack goes once that run has unwound.
    if (page->IsRunningModal())
        page.release()->deleteLater();
}

} // namespace

GU_SysProgramButtonDlg::GU_SysProgramButtonDlg(QWidget* parent)
    : CPageDlg(L"GU_SysProgramButtonDlg", "IDB_SYSPROGRAM_BUTTON_BASE_L", parent)
{
}

GU_SysProgramButtonDlg::~GU_SysProgramButtonDlg() { DestroyWindow(); }

int GU_SysProgramButtonDlg::Layer() { return g_layer; }
void GU_SysProgramButtonDlg::SetLayer(int layer) { g_layer = layer ? 1 : 0; }
GU_SysProgButtonsOtherDlg* GU_SysProgramButtonDlg::OtherPage() { return g_otherPage.get(); }

bool GU_SysProgramButtonDlg::NineKeyLayout() const
{
    return m_hardType == HARD_TYPE_RQ81 || m_hardType == HARD_TYPE_RQ72;
}

int GU_SysProgramButtonDlg::ComboId(int k) const
{
    return (NineKeyLayout() ? kComboRq81FirstId : kComboFirstId) + k - 1;
}

int GU_SysProgramButtonDlg::OtherId(int k) const
{
    return (NineKeyLayout() ? kOtherRq81FirstId : kOtherFirstId) + k - 1;
}

int GU_SysProgramButtonDlg::KeyNumber(int k) const { return NineKeyLayout() ? k + kKeysPerLayer * g_layer : k; }

void GU_SysProgramButtonDlg::TraceInitDialog()
{
    TraceMessage(L"GU_SysProgramButtonDlg: OnInitDialog() hard_type=[%d]", static_cast<int>(m_hardType));
}

bool GU_SysProgramButtonDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    if (NineKeyLayout())
        SetBackground("IDB_SYSPROGRAM_BUTTON_RQ81_BASE_L");
    AddHomeButton(kExitId, 40, 445, "IDB_SYSPROGRAM_BUTTON_EXIT_L", L"OnClicked_SysProgramExit", IDOK);

    // Every control of both layouts exists, as in the dialog template; the layout not used is
    // hidden and disabled.
    // In portrait orientation the combo boxes keep the template's height: no room for the open list
    // below them.
    const int dropRoom = IsPortrait() ? 0 : kDropRoom;
    for (int k = 1; k <= kFiveKeys; ++k) {
        AddButton(kOtherFirstId + k - 1, kFiveOther[k - 1].x, kFiveOther[k - 1].y, "IDB_SYSPROGRAM_BUTTON_OTHER_L");
        AddCombo(kComboFirstId + k - 1, kFiveCombo[k - 1].x, kFiveCombo[k - 1].y, kFiveComboWidth, dropRoom, 471,
                 470, 472);
    }
    AddButton(kFnSetId, 700, 435, "IDB_SYSPROGRAM_BUTTON_FN_OFF_L", "IDB_SYSPROGRAM_BUTTON_FN_ON_L",
              [this] { OnClickedFnSet(); });
    for (int k = 1; k <= kNineKeys; ++k) {
        AddCombo(kComboRq81FirstId + k - 1, kNineCombo[k - 1].x, kNineCombo[k - 1].y, kNineComboWidth, dropRoom,
                 496, 495, 497);
        AddButton(kOtherRq81FirstId + k - 1, kNineOther[k - 1].x, kNineOther[k - 1].y,
                  "IDB_SYSPROGRAM_BUTTON_OTHER_RQ81_L");
    }
    if (NineKeyLayout())
        InitNineKeys();
    else
        InitFiveKeys();
    SetChildTitles({L"SystemProgramButtonOther"});
    SetTitle(L"SystemProgramButton");
    return true;
}

void GU_SysProgramButtonDlg::InitFiveKeys()
{
    ShowItem(kFnSetId, false);
    EnableItem(kFnSetId, false);
    for (int k = 1; k <= kNineKeys; ++k)
        for (int id : {kComboRq81FirstId + k - 1, kOtherRq81FirstId + k - 1}) {
            ShowItem(id, false);
            EnableItem(id, false);
        }
    for (int k = 1; k <= kFiveKeys; ++k)
        FillCombo(k);
}

void GU_SysProgramButtonDlg::InitNineKeys()
{
    for (int k = 1; k <= kFiveKeys; ++k)
        for (int id : {kComboFirstId + k - 1, kOtherFirstId + k - 1}) {
            ShowItem(id, false);
            EnableItem(id, false);
        }
    Button(kFnSetId)->setState(g_layer);
    for (int k = 1; k <= kNineKeys; ++k)
        FillCombo(k);
}

void GU_SysProgramButtonDlg::FillCombo(int k)
{
    CBitComboBox* combo = Combo(ComboId(k));
    for (const wchar_t* entry : kEntries)
        combo->AddString(QString::fromWCharArray(entry));
    connect(combo, &QComboBox::activated, this, [this, k](int position) { OnSelchangeKey(k, position); });
    const int otherId = OtherId(k);
    connect(Button(otherId), &QAbstractButton::clicked, this, [this, k] { OnClickedOther(k); });
    ShowKey(k);
}

void GU_SysProgramButtonDlg::ShowKey(int k)
{
    const int n = KeyNumber(k);
    const int funid = m_keyMap.Funid(n);
    const bool userDefined = NineKeyLayout() ? funid == kUserSlotBase + k || funid == kLayerSlotBase + k
                                             : funid == kUserSlotBase + k;
    CBitComboBox* combo = Combo(ComboId(k));
    if (userDefined)
        combo->SetCurSel(kUserDefinedPosition);
    else
        combo->SetCurSel(funid >= 1 && funid <= kUserDefinedPosition ? funid - 1 : -1);
    ShowOther(k, userDefined);
    combo->update();
}

void GU_SysProgramButtonDlg::ShowOther(int k, bool show)
{
    ShowItem(OtherId(k), show);
    EnableItem(OtherId(k), show);
}

void GU_SysProgramButtonDlg::OnSelchangeKey(int k, int position)
{
    const int n = KeyNumber(k);
    const bool userDefined = position == kUserDefinedPosition;
    ShowOther(k, userDefined);
    const int funid = userDefined ? kUserSlotBase + n : position + 1;
    const std::wstring section = ProgramButtonKeyMap::KeySection(n);
    const bool written = m_keyMap.Write(section, L"funid", std::to_wstring(funid));
    TraceMessage(L"OnSelchange_SysProgram: [%s] funid=%d: bRet = %d", section.c_str(), funid, written ? 1 : 0);
    m_keyMap.Reload();
}

void GU_SysProgramButtonDlg::OnClickedFnSet()
{
    g_layer = 1 - g_layer;
    TraceMessage(g_layer ? L"OnClicked_SysProgramFnsetRq81: RQ81 FnSet to Enable"
                         : L"OnClicked_SysProgramFnsetRq81: RQ81 FnSet to Disable");
    CMyBitmapButton* button = Button(kFnSetId);
    button->setState(g_layer);
    button->RedrawNow();
    for (int k = 1; k <= kNineKeys; ++k)
        ShowKey(k);
}

void GU_SysProgramButtonDlg::OnClickedOther(int k)
{
    TraceMessage(L"GU_SysProgramButtonDlg:OnClicked_SysProgramOther%d", k);
    releaseOtherPage();
    Button(OtherId(k))->RedrawNow();
    g_otherPage = std::make_unique<GU_SysProgButtonsOtherDlg>(this);
    g_otherPage->SetHardType(m_hardType);
    g_otherPage->SetKeyNumber(KeyNumber(k));
    g_otherPage->DoModal();
}

void GU_SysProgramButtonDlg::done(int result)
{
    CPageDlg::done(result);
    releaseOtherPage();
}

void GU_SysProgramButtonDlg::DestroyWindow()
{
    CPageDlg::DestroyWindow();
    releaseOtherPage();
}
