#pragma once

#include "CPageDlg.h"

#include "HardType.h"
#include "ProgramButtonKeyMap.h"

#include <string>

class QFileDialog;
class QLineEdit;

// The user-defined command page of one key: the program the key starts (chosen with a file dialog)
// and a remark, both saved into the key's own function slot, which the key is then bound to.
class GU_SysProgButtonsOtherDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kExitId = 1225;
    static constexpr int kSaveId = 1226;
    static constexpr int kCancelId = 1227;
    static constexpr int kFolderId = 1228;
    static constexpr int kRemarkButtonId = 1229;
    static constexpr int kRemarkEditId = 1231;
    static constexpr int kProgramTextId = 1232;

    // Where the file dialog opens, and its extra places.
    static constexpr wchar_t kProgramFolder[] = L"/usr/bin";
    static constexpr wchar_t kApplicationsFolder[] = L"/usr/share/applications";

    explicit GU_SysProgButtonsOtherDlg(QWidget* parent = nullptr);
    ~GU_SysProgButtonsOtherDlg() override;

    void SetHardType(HardType hardType) { m_hardType = hardType; }
    void SetKeyNumber(int n) { m_keyNumber = n; }
    int KeyNumber() const { return m_keyNumber; }
    // The function slot the page edits (FunDef<number>), known once the page has initialised.
    int FunctionNumber() const { return m_functionNumber; }

    QLineEdit* RemarkEdit() const { return m_remark; }

    // The file dialog the Folder button runs, set up for programs and desktop entries.
    static void SetUpProgramDialog(QFileDialog& dialog);

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnClickedFolder();
    void OnClickedSave();
    void OnSetfocusRemark();

    HardType m_hardType = HARD_TYPE_GX58;
    int m_keyNumber = 0;
    int m_functionNumber = 0;
    ProgramButtonKeyMap m_keyMap;
    QLineEdit* m_remark = nullptr;
    bool m_bWow64 = false;
};
