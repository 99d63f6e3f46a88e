#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"

class CBitmapSlider;

// The brightness page: the display backlight from 0 to 100 with a skinned slider and two step buttons
// of 10, and automatic dimming (not on RQ63). Every change goes straight to the library; its results
// are not checked, the slider stays where the user put it.
class GU_SysBrightnessDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1143;
    static constexpr int kStepDownId = 1138;
    static constexpr int kStepUpId = 1140;
    static constexpr int kAutoDimmingId = 1145;
    static constexpr int kSliderId = 0;
    static constexpr int kStep = 10;
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 100;

    explicit GU_SysBrightnessDlg(QWidget* parent = nullptr);
    ~GU_SysBrightnessDlg() override;

    CBitmapSlider* Slider() const { return m_slider; }

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnClickedAutoDimming();
    void OnClickedStep(int delta);
    void OnSliderMoving(int position);
    void OnSliderMoved(int position);

    CKestrom m_kestrom;
    CBitmapSlider* m_slider = nullptr;
};
