#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"

#include <cstddef>

// One value button of a threshold column: the value in tenths of a volt and the control id.
struct VoltageChoice {
    int tenths;
    int id;
};

// What tells the four start-up/shut-down voltage dialogs apart.
struct VoltageDialogTable {
    static constexpr std::size_t kMaxRows = 5;
    int nominal; // volts: 12, 24, 36, 48
    const wchar_t* className;
    const wchar_t* title;
    const char* background;
    int saveId;
    const char* saveImage;
    int cancelId;
    const char* cancelImage;
    int buttonsY; // Save and Cancel
    std::size_t rows;
    VoltageChoice startup[kMaxRows];
    VoltageChoice shutdown[kMaxRows];
    // The value both columns hold carries the word STARTUP / SHUTDOWN in its picture's name.
    bool startupSharedWord;
    bool shutdownSharedWord;
    // The 48 V dialog names itself in its shut-down line.
    bool shutdownSetLineNamesClass;
    int (CKestrom::*startupGet)(float*);
    int (CKestrom::*shutdownGet)(float*);
    int (CKestrom::*startupSet)(float);
    int (CKestrom::*shutdownSet)(float);
};

// A dialog that chooses the battery voltage at which the computer may start and the one at which
// it shuts down, for one nominal input voltage. The choices are read from the library at every
// opening (in single precision, truncated to tenths and kept within the column); a value between the
// steps selects no button and is written back as it was. Save writes both unless they are equal.
class GU_SysPowerMgtVoltageSetDlg : public CPageDlg {
    Q_OBJECT
public:
    GU_SysPowerMgtVoltageSetDlg(const VoltageDialogTable& table, QWidget* parent);

    const VoltageDialogTable& Table() const { return m_table; }
    // The current choices in tenths of a volt (process-wide per nominal voltage).
    int StartupChoice() const;
    int ShutdownChoice() const;

protected:
    bool OnInitDialog() override;

private:
    int ReadThreshold(bool startup);
    void ShowColumn(bool startup);
    void OnClickedValue(bool startup, int tenths);
    void OnClickedSave();
    void OnClickedCancel();
    int& Choice(bool startup) const;

    const VoltageDialogTable& m_table;
    CKestrom m_kestrom;
};
