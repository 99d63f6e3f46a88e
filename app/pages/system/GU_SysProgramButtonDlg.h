#pragma once

#include "CPageDlg.h"

#include "HardType.h"
#include "ProgramButtonKeyMap.h"

#include <memory>

class GU_SysProgButtonsOtherDlg;

// The program-button page: one combo box per front-panel key with the seventeen fixed functions and
// "User Defined Command". A choice is written into the key map at once and the tray window reloads
// it, so the key runs its new function while the page is still open. Five keys on a GX58; nine keys
// in two layers (the FnSet button) on RQ81 and RQ72. A key set to its user-defined command gets an
// Other button that opens the user-defined command page for that key.
class GU_SysProgramButtonDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kExitId = 1147;
    static constexpr int kOtherFirstId = 1148;     // five-key layout, ids 1148 ... 1152
    static constexpr int kComboFirstId = 1213;     // five-key layout, ids 1213 ... 1217
    static constexpr int kFnSetId = 1233;
    static constexpr int kComboRq81FirstId = 1237; // nine-key layout, ids 1237 ... 1245
    static constexpr int kOtherRq81FirstId = 1246; // nine-key layout, ids 1246 ... 1254
    static constexpr int kFiveKeys = 5;
    static constexpr int kNineKeys = 9;
    // Combo positions: 0 ... 16 are FunDef1 ... FunDef17, 17 the key's user-defined command.
    static constexpr int kUserDefinedPosition = 17;
    static constexpr int kEntryCount = 18;

    explicit GU_SysProgramButtonDlg(QWidget* parent = nullptr);
    ~GU_SysProgramButtonDlg() override;

    void SetHardType(HardType hardType) { m_hardType = hardType; }
    HardType GetHardType() const { return m_hardType; }
    bool NineKeyLayout() const;

    // The combo box and Other button of key k (1-based) of the page's layout.
    int ComboId(int k) const;
    int OtherId(int k) const;
    // The key number n of key k in the layer shown.
    int KeyNumber(int k) const;

    // The layer of the nine-key layout, kept for the whole program.
    static int Layer();
    static void SetLayer(int layer);
    // The user-defined command page opened last, or null.
    static GU_SysProgButtonsOtherDlg* OtherPage();

    // Ends the window; a user-defined command page still held goes with it.
    void DestroyWindow() override;
    void done(int result) override;

protected:
    bool OnInitDialog() override;
    void TraceInitDialog() override;

private:
    void InitFiveKeys();
    void InitNineKeys();
    void FillCombo(int k);
    // The selection and Other button of key k from its funid.
    void ShowKey(int k);
    void ShowOther(int k, bool show);
    void OnSelchangeKey(int k, int position);
    void OnClickedFnSet();
    void OnClickedOther(int k);

    HardType m_hardType = HARD_TYPE_GX58;
    ProgramButtonKeyMap m_keyMap;
};
