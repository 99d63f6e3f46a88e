#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"
#include "Telnira.h"

#include <memory>
#include <optional>

class GU_AlertSMSOnDlg;
class QLineEdit;

// The wake-up page: wake at a time of day (RTC) and wake on an SMS carrying an 8-character code. The
// SMS half is offered only with a SIM card; enabling it powers the WWAN radio when the settings say
// it is off. The system's on-screen keyboard starts when a time or code field gets the focus.
class GU_SysWakeupDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1139;
    static constexpr int kRtcSwitchId = 1141;
    static constexpr int kRtcCaptionId = 1160;
    static constexpr int kHourEditId = 1161;
    static constexpr int kMinuteEditId = 1162;
    static constexpr int kSecondEditId = 1163;
    static constexpr int kRtcSaveId = 1164;
    static constexpr int kSmsSwitchId = 1142;
    static constexpr int kSmsCaptionId = 1159;
    static constexpr int kSmsTextCaptionId = 1204;
    static constexpr int kPrefixEditId = 1207;
    static constexpr int kCodeEditId = 1200;
    static constexpr int kSmsSaveId = 1201;
    static constexpr int kNoSimTextId = 1235;
    static constexpr wchar_t kNoSimText[] = L"SIM card not existed, so no wake on SMS function.";

    explicit GU_SysWakeupDlg(QWidget* parent = nullptr);
    ~GU_SysWakeupDlg() override;

    // Ends the window and destroys the SMS-on alert it still holds.
    void DestroyWindow() override;

    // The process-wide switch states.
    static int RtcState();
    static int SmsState();
    bool simPresent() const { return m_bSimPresent; }
    QLineEdit* Edit(int id) const;
    GU_AlertSMSOnDlg* SmsOnAlert() const { return m_smsOnAlert.get(); }

    // A time field's text as RTC Save reads it: its leading decimal number (empty or no digits: 0),
    // as an unsigned number; nullopt when it does not fit one (a sign or more digits than it holds
    // make it out of range as well).
    static std::optional<unsigned> ParseTimeField(const QString& text);

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowRtc();
    void ReadRtcTime();
    void ShowSms();
    void OnClickedRtc();
    void OnClickedRtcSave();
    void OnClickedSms();
    void OnClickedSmsSave();
    void ReleaseSmsOnAlert();

    CKestrom m_kestrom;
    CTelnira m_telnira;
    bool m_bSimPresent = false;
    bool m_bWow64 = false;
    std::unique_ptr<GU_AlertSMSOnDlg> m_smsOnAlert;
};
