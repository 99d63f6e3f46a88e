#include "GU_SysBrightnessDlg.h"

#include "AppPaths.h"
#include "CBitmapSlider.h"
#include "CMyBitmapButton.h"
#include "Trace.h"

#include <algorithm>
#include <string>

namespace {

constexpr wchar_t kDefaultHardType[] = L"GX58";
constexpr int kSliderX = 461;
constexpr int kSliderY = 365;
constexpr int kSliderWidth = 213;
constexpr int kSliderHeight = 30;
// The thumb's centre stops this far inside the channel's rounded ends.
constexpr int kSliderSideMargin = 10;

int clampBrightness(int value)
{
    return std::clamp(value, GU_SysBrightnessDlg::kMinimum, GU_SysBrightnessDlg::kMaximum);
}

} // namespace

GU_SysBrightnessDlg::GU_SysBrightnessDlg(QWidget* parent)
    : CPageDlg(L"GU_SysBrightnessDlg", "IDB_SYSBRIGHTNESS_BASE_L", parent)
{
}

GU_SysBrightnessDlg::~GU_SysBrightnessDlg() = default;

bool GU_SysBrightnessDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    CMyBitmapButton* dimming = AddButton(kAutoDimmingId, 357, 198, "IDB_SYSBRIGHTNESS_AUTODIMMING_OFF_L",
                                         "IDB_SYSBRIGHTNESS_AUTODIMMING_ON_L", [this] { OnClickedAutoDimming(); });
    int autoDimming = 0;
    m_kestrom.vBC_AutoDimmingStatusGet(&autoDimming);
    dimming->setState(autoDimming != 0 ? 1 : 0);

    AddHomeButton(kHomeId, 40, 445, "IDB_SYSBRIGHTNESS_HOME_L", L"OnClicked_SysBrightnessHome", IDCANCEL);
    AddButton(kStepDownId, 356, 313, "IDB_SYSBRIGHTNESS_DOWN", "IDB_SYSBRIGHTNESS_DOWN", [this] { OnClickedStep(-kStep); });
    AddButton(kStepUpId, 686, 313, "IDB_SYSBRIGHTNESS_UP", "IDB_SYSBRIGHTNESS_UP", [this] { OnClickedStep(kStep); });

    m_slider = new CBitmapSlider(this, kSliderId);
    m_slider->SetChannelBitmap(QStringLiteral("IDB_SYSBRIGHTNESS_SLIDERBAR"));
    m_slider->SetThumbBitmap(QStringLiteral("IDB_SYSBRIGHTNESS_SLIDERTHUMB"));
    m_slider->SetRange(kMinimum, kMaximum);
    m_slider->SetMargins(kSliderSideMargin, 0, kSliderSideMargin, 0);
    m_slider->SetNotifyMessages(WM_BITMAPSLIDER_MOVING, WM_BITMAPSLIDER_MOVED);

    int brightness = 0;
    m_kestrom.vBC_BrightnessValueGet(&brightness);
    m_slider->setGeometry(kSliderX, kSliderY, kSliderWidth, kSliderHeight);
    // A controller value beyond the range puts the thumb at that end.
    m_slider->SetPosition(clampBrightness(brightness));
    m_slider->update();
    m_slider->show();

    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", kDefaultHardType);
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    const bool rq63 = hardType == L"RQ63_L" || hardType == L"RQ63_H";
    ShowItem(kAutoDimmingId, !rq63);
    EnableItem(kAutoDimmingId, !rq63);
    SetTitle(L"SystemBrightness");
    return true;
}

LRESULT GU_SysBrightnessDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_BITMAPSLIDER_MOVING) {
        OnSliderMoving(static_cast<int>(lParam));
        return 0;
    }
    if (message == WM_BITMAPSLIDER_MOVED) {
        OnSliderMoved(static_cast<int>(lParam));
        return 0;
    }
    // The close-children message finds nothing to close here: the page opens no window.
    return CPageDlg::WindowProc(message, wParam, lParam);
}

void GU_SysBrightnessDlg::OnClickedAutoDimming()
{
    // The press has already flipped the switch's picture.
    const int state = Button(kAutoDimmingId)->state();
    TraceMessage(L"GU_SysBrightnessDlg:OnClicked_SysbrightnessAutoDimming <%d>", state);
    m_kestrom.vBC_AutoDimmingSwitch(state);
}

void GU_SysBrightnessDlg::OnClickedStep(int delta)
{
    const int value = clampBrightness(m_slider->GetPosition() + delta);
    // Sent also when it equals the old value (the end stops), as the hotkeys do.
    m_kestrom.vBC_BrightnessValueSet(value);
    m_slider->SetPosition(value);
    update();
}

void GU_SysBrightnessDlg::OnSliderMoving(int position)
{
    TraceMessage(L"Brightness Slider Moving Position=<%d>", position);
    m_kestrom.vBC_BrightnessValueSet(position);
}

void GU_SysBrightnessDlg::OnSliderMoved(int position)
{
    TraceMessage(L"OnSliderMoved:Brightness Slider Moved Position=<%d>", position);
    m_kestrom.vBC_BrightnessValueSet(position);
    m_slider->repaint();
}
