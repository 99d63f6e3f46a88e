#pragma once

#include "CPageDlg.h"

#include "HardType.h"
#include "Kestrom.h"
#include "Telnira.h"

#include <QPointer>

#include <memory>

class GU_AlertSMSOnDlg;
class GU_CommSmsWaitWnd;
class QLineEdit;

// The WWAN settings page, opened from the communication page: the WWAN module enable (RF), the SIM
// slot, and wake on SMS with its 8-character code. Each OK button applies its own choice, tells the
// communication page to refresh and closes the page.
class GU_CommWwanDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kRfSwitchId = 1032;
    static constexpr int kSimSlotId = 1033;
    static constexpr int kWakeOnSmsId = 1035;
    static constexpr int kRfSwitchOkId = 1037;
    static constexpr int kSimSlotOkId = 1039;
    static constexpr int kWakeStringOkId = 1042;
    static constexpr int kCodeEditId = 1045;
    static constexpr int kWakeOnSmsOkId = 1046;
    static constexpr int kPrefixEditId = 1208;
    static constexpr int kNoSimTextId = 1234;
    // The button state that shows the SIM slot greyed (RQ63, one slot).
    static constexpr int kSlotGreyState = 2;

    // What the wake-up SMS carries in front of the code; the wake-up page shows the same.
    static constexpr wchar_t kWakeMessagePrefix[] = L"#^& ?= %!WZ;";
    static constexpr wchar_t kWaitText[] = L"Initializing SMS string. Please wait...";

    // The choices, kept for the whole process: one toggled but not applied stays until the next
    // reading of the state replaces it.
    struct Choices {
        bool rf = false;
        bool simSlot2 = true;
        bool wakeOnSms = false;
    };
    static Choices& Selection();

    explicit GU_CommWwanDlg(QWidget* parent = nullptr);
    ~GU_CommWwanDlg() override;

    // The communication page that refreshes after an applied change.
    void SetParentPage(CPageDlg* page) { m_parentPage = page; }
    bool simPresent() const { return m_bSimPresent; }
    QLineEdit* CodeEdit() const { return m_codeEdit; }
    QLineEdit* PrefixEdit() const { return m_prefixEdit; }
    GU_AlertSMSOnDlg* SmsOnAlert() const { return m_smsOnAlert.get(); }

    void DestroyWindow() override;

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isRq63() const { return m_hardType == HARD_TYPE_RQ63_L || m_hardType == HARD_TYPE_RQ63_H; }
    void GetAllCommWWanStatus();
    void ShowChoice(int id, bool on);
    void RefreshParent();

    void OnClicked_RfSwitch();
    void OnClicked_CommSimSlot();
    void OnClicked_CommWakeonSms();
    void OnClicked_RfSwitchOk();
    void OnClicked_SimSlotOk();
    void OnClicked_WakeOnSmsOk();
    void OnClicked_WakeStringOk();
    void OnSetfocus_CodeEdit();
    void ReleaseSmsOnAlert();

    HardType m_hardType = HARD_TYPE_GX58;
    bool m_bSimPresent = false;
    bool m_bWow64 = false;
    QPointer<CPageDlg> m_parentPage;
    CTelnira m_telnira;
    CKestrom m_kestrom;
    QLineEdit* m_prefixEdit = nullptr;
    QLineEdit* m_codeEdit = nullptr;
    std::unique_ptr<GU_AlertSMSOnDlg> m_smsOnAlert;
};
