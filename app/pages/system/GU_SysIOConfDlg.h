#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"

// The I/O configuration page: the supply voltage on a pin of COM1 (0, 5 or 12 V) and, on GX58, RQ81
// and RQ72, the line mode of COM2 (RS-232, RS-422 or RS-485), each a row of three exclusive
// buttons. A failed set leaves its row unselected; the COM2 type set last is kept in
// SYS_IOCONF/COM2_TYPE.
class GU_SysIOConfDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1103;
    static constexpr int kCom1Ids[3] = {1104, 1105, 1106}; // 0, 5, 12 V
    static constexpr int kCom2CaptionId = 1233;
    static constexpr int kCom2Ids[3] = {1107, 1108, 1109}; // RS-232, RS-422, RS-485

    explicit GU_SysIOConfDlg(QWidget* parent = nullptr);
    ~GU_SysIOConfDlg() override;

protected:
    bool OnInitDialog() override;

private:
    void SetCOM1_Voltage(int volts, bool write);
    void getCOM2_Type();
    void SetCOM2_Type(int type, bool write);
    // Exactly the button of `value` in a row selected (none when it is not one of the row's values).
    void ShowRow(const int (&ids)[3], const int (&values)[3], int value);

    CKestrom m_kestrom;
};
