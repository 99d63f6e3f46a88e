#pragma once

#include "CPageDlg.h"

#include "Idovan.h"

#include <array>

// The device information page: board, program, BIOS and EC versions and the hardware type, read
// once when the page opens. Its only control is Home.
class GU_DevInfoDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1006;
    static constexpr int kPcbValueId = 1012;
    static constexpr int kVersionValueId = 1013;
    static constexpr int kBiosValueId = 1014;
    static constexpr int kMcuValueId = 1015;
    static constexpr int kEcValueId = 1016;
    static constexpr int kModuleValueId = 1206;
    static constexpr int kMcuLabelId = 1010;

    explicit GU_DevInfoDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;

private:
    void GetAllDeviceInfo();

    CIdovan m_idovan;
    std::array<wchar_t, CIdovan::kTextBufferChars> m_buffer{};
};
