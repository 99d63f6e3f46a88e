#include "CGX58_UtilityDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GreyedPicture.h"
#include "HexText.h"
#include "SectionTable.h"
#include "ShellOperations.h"
#include "SkinStore.h"
#include "Trace.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPointer>
#include <QScreen>


namespace {

constexpr wchar_t kProject[] = L"PROJECT";
constexpr int kDefaultTopRetryMax = 2;
constexpr wchar_t kDefaultHardType[] = L"GX58";
constexpr wchar_t kDefaultExitWakeupCode[] = L"3E";
constexpr wchar_t kTrayTitle[] = L"TARVIK_TRAY_WND";

// The home screen's buttons, client positions for the 1024x600 picture and for the 1024x768 one of
// the RQ81 and RQ72 (whose Exit buttons differ by two pixels).
struct ButtonPlace {
    int id;
    const char* picture;
    int x;
    int y600;
    int yRQ81;
    int yRQ72;
};
constexpr ButtonPlace kButtons[] = {
    {CGX58_UtilityDlg::kExitId, "IDB_EXIT_L", 417, 445, 531, 529},
    {CGX58_UtilityDlg::kDevInfoId, "IDB_DEVINFO_L", 37, 208, 292, 292},
    {CGX58_UtilityDlg::kVehicleId, "IDB_VEHICLE_L", 227, 208, 292, 292},
    {CGX58_UtilityDlg::kCommId, "IDB_COMM_L", 417, 208, 292, 292},
    {CGX58_UtilityDlg::kSettingsId, "IDB_SYSSETTING_L", 607, 208, 292, 292},
    {CGX58_UtilityDlg::kLocationId, "IDB_LOCATION_L", 797, 208, 292, 292},
};

// Windows the close-down reaches, in this order.
constexpr const wchar_t* kSectionTitles[] = {L"DeviceInfomation", L"VehicleStatus", L"CommunicationStatus",
                                             L"LocationStatus", L"SystemSetting"};

bool g_portrait = false;
CGX58_UtilityDlg* g_mainDlg = nullptr;

std::size_t sectionIndex(int commandId)
{
    const auto& table = SectionTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].commandId == commandId)
            return i;
    return table.size();
}

} // namespace

CGX58_UtilityDlg::CGX58_UtilityDlg(QWidget* parent) : CPageDlg(L"CGX58_UtilityDlg", "", parent)
{
    SetFillWhite(false); // the home screen paints its picture straight over the window
    setWindowIcon(QIcon(SkinStore::Load(QStringLiteral("IDR_MAINFRAME"))));
    Portrait();
    g_mainDlg = this;
}

CGX58_UtilityDlg::~CGX58_UtilityDlg()
{
    DestroyWindow();
    if (g_mainDlg == this)
        g_mainDlg = nullptr;
}

CGX58_UtilityDlg* CGX58_UtilityDlg::Current() { return g_mainDlg; }

bool CGX58_UtilityDlg::Portrait()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->geometry().size();
        if (size.height() > size.width())
            g_portrait = true;
        else if (size.width() > size.height())
            g_portrait = false;
    }
    return g_portrait;
}

void CGX58_UtilityDlg::TraceInitDialog() { TraceMessage(L"OnInitDialog()"); }

bool CGX58_UtilityDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    m_topRetryMax = ReadSettingInt(kProject, L"TOP_RETRY_MAX", kDefaultTopRetryMax);
    TraceMessage(L"OnInitDialog(): m_topRetryMax=[%d]", m_topRetryMax);
    m_topRetryCount = 0;
    m_hardType = ReadSettingText(kProject, L"HARD_TYPE", kDefaultHardType);
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", m_hardType.c_str());
    Portrait();

    const bool rq81 = m_hardType == L"RQ81";
    const bool rq72 = m_hardType == L"RQ72";
    SetBackground(rq81 || rq72 ? "IDB_MAINBASE_768" : "IDB_MAINBASE");

    const auto& sections = SectionTable();
    QImage behind; // the picture behind the buttons, converted once when a button needs greying
    for (const ButtonPlace& place : kButtons) {
        const int y = rq81 ? place.yRQ81 : (rq72 ? place.yRQ72 : place.y600);
        const int id = place.id;
        CMyBitmapButton* button = AddButton(id, place.x, y, place.picture, place.picture, [this, id] { OnCommand(id, 0); });
        const std::size_t index = sectionIndex(id);
        if (index < sections.size() && !sections[index].make) {
            if (behind.isNull())
                behind = Background().toImage().convertToFormat(QImage::Format_RGB32);
            button->SetImage(3, GreyedPicture(button->image(0), behind, QPoint(place.x, y)));
            button->setEnabled(false);
            TraceMessage(L"CGX58_UtilityDlg: the %s page is not built yet; its button is disabled",
                         sections[index].name);
        }
    }
    SetTimer(kTopTimerId, m_topRetryPeriodMs);
    SetTitle(L"MainDlg");
    return true;
}

void CGX58_UtilityDlg::OnTimer(int id)
{
    if (id != kTopTimerId || m_topRetryCount >= m_topRetryMax)
        return;
    // In front, but under the pages and boxes it has open (ForceForeground keeps them above it).
    ForceForeground(this);
    ++m_topRetryCount;
    TraceMessage(L"CGX58_UtilityDlg::OnTimer() m_topRetryCount=[%d] m_topRetryMax=[%d]", m_topRetryCount,
                 m_topRetryMax);
}

LRESULT CGX58_UtilityDlg::WindowProc(UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_CLOSE_CHILDREN:
        for (const wchar_t* title : kSectionTitles)
            CloseWindowsByTitle({title});
        return 0;
    case WM_OPEN_VEHICLE: OnCommand(kVehicleId, 0); return 0;
    case WM_OPEN_SYSTEM_SETTING: OnCommand(kSettingsId, 0); return 0;
    default: return 0;
    }
}

void CGX58_UtilityDlg::OnCommand(int id, int)
{
    // Enter and Escape do not end the home screen: only the tray window opens and closes it.
    if (id == kExitId) {
        OnClickedExit();
        return;
    }
    const std::size_t index = sectionIndex(id);
    if (index < SectionTable().size())
        OpenSection(index);
}

void CGX58_UtilityDlg::OnClickedExit()
{
    const std::wstring code = ReadSettingText(kProject, L"WAKEUP_CODE", kDefaultExitWakeupCode);
    TraceMessage(L"\nApp tstrWakeupCode = <%s>", code.c_str());
    PostMessage(FindWindowByTitle(QString::fromWCharArray(kTrayTitle)), WM_TRAY_KEY, ParseHex(code), 0);
}

void CGX58_UtilityDlg::ReleasePage(std::size_t index)
{
    std::unique_ptr<CPageDlg> page = std::move(m_pages[index]);
    if (!page)
        return;
    page->DestroyWindow();
    // A page whose modal run is still on the stack goes once that run has unwound.
    if (page->IsRunningModal())
        page.release()->deleteLater();
}

void CGX58_UtilityDlg::OpenSection(std::size_t index)
{
    const SectionEntry& section = SectionTable()[index];
    if (!section.make) {
        TraceMessage(L"CGX58_UtilityDlg: the %s page is not built yet", section.name);
        return;
    }
    ReleasePage(index);
    if (CMyBitmapButton* button = Button(section.commandId))
        button->RedrawNow();
    m_pages[index] = section.make(this);
    QPointer<CGX58_UtilityDlg> self(this);
    CPageDlg* page = m_pages[index].get();
    ++m_pageRuns;
    page->DoModal();
    // The home screen may have been destroyed while its page ran; then there is nothing left to do.
    if (!self)
        return;
    --m_pageRuns;
    if (m_deletePending && m_pageRuns == 0)
        deleteLater();
}

void CGX58_UtilityDlg::DeleteWhenPagesReturn()
{
    if (m_pageRuns == 0)
        deleteLater();
    else
        m_deletePending = true;
}

CPageDlg* CGX58_UtilityDlg::SectionPage(int commandId) const
{
    const std::size_t index = sectionIndex(commandId);
    return index < m_pages.size() ? m_pages[index].get() : nullptr;
}

bool CGX58_UtilityDlg::IsRunningPage() const
{
    for (const auto& page : m_pages)
        if (page && page->IsRunningModal())
            return true;
    return false;
}

void CGX58_UtilityDlg::DestroyWindow()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    TraceMessage(L"CGX58_UtilityDlg::DestroyWindow()");
    KillTimer(kTopTimerId);
    for (std::size_t i = 0; i < m_pages.size(); ++i)
        ReleasePage(i);
    hide();
}
