#include "GU_SysProgButtonsOtherDlg.h"

#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "ShellOperations.h"
#include "Trace.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

namespace {

// The slots: key n (1 ... 18) edits FunDef<17 + n>; any other key number the last slot of its
// layout (FunDef36 on the nine-key layout, FunDef23 on the five-key one).
constexpr int kSlotBase = 16;
constexpr int kMaxKey = 18;
constexpr int kNineKeyLastSlot = 35;
constexpr int kFiveKeyLastSlot = 22;

constexpr int kBoldFontHeight = 20;
constexpr int kBoldWeight = 700;

const QString kProgramsFilter = QStringLiteral("Programs (*)");
const QString kDesktopEntriesFilter = QStringLiteral("Desktop entries (*.desktop)");
const QString kAllFilesFilter = QStringLiteral("All files (*)");

} // namespace

GU_SysProgButtonsOtherDlg::GU_SysProgButtonsOtherDlg(QWidget* parent)
    : CPageDlg(L"GU_SysProgButtonsOtherDlg", "IDB_SYSPROGRAM_BUTTON_OTHER_BASE_L", parent)
{
}

GU_SysProgButtonsOtherDlg::~GU_SysProgButtonsOtherDlg() { DestroyWindow(); }

bool GU_SysProgButtonsOtherDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const std::vector<FunDef>& functions = m_keyMap.Functions();
    for (std::size_t i = 0; i < functions.size(); ++i)
        TraceMessage(L"OnInitDialog:kFunDefs[%d] - strName[%s] strDesc[%s]", static_cast<int>(i),
                     functions[i].name.c_str(), functions[i].descpt.c_str());

    const bool nineKeys = m_hardType == HARD_TYPE_RQ81 || m_hardType == HARD_TYPE_RQ72;
    const int slot = m_keyNumber >= 1 && m_keyNumber <= kMaxKey ? kSlotBase + m_keyNumber
                                                               : (nineKeys ? kNineKeyLastSlot : kFiveKeyLastSlot);
    m_functionNumber = slot + 1;
    std::wstring strCmd;
    std::wstring strDescpt;
    if (const FunDef* function = m_keyMap.Function(m_functionNumber)) {
        strCmd = function->cmd;
        strDescpt = function->descpt;
    }
    TraceMessage(L"OnInitDialog:kFunDefs[%d] - strCmd[%s] strDescpt[%s]", slot, strCmd.c_str(), strDescpt.c_str());

    const QFont bold = MakeFont(kBoldFontHeight, kBoldWeight);
    AddHomeButton(kExitId, 40, 445, "IDB_SYSPROGRAM_BUTTON_OTHER_EXIT_L", L"OnClicked_SysProgramOtherExit", IDOK);
    AddButton(kSaveId, 700, 385, "IDB_SYSPROGRAM_BUTTON_OTHER_SAVE_L", nullptr, [this] { OnClickedSave(); });
    AddHomeButton(kCancelId, 840, 385, "IDB_SYSPROGRAM_BUTTON_OTHER_CANCEL_L", L"OnClicked_SysProgramOtherCancel", IDOK);
    AddButton(kFolderId, 337, 213, "IDB_SYSPROGRAM_BUTTON_OTHER_FOLDER_L", nullptr, [this] { OnClickedFolder(); });
    // The Remark button has no action of its own.
    AddButton(kRemarkButtonId, 337, 305, "IDB_SYSPROGRAM_BUTTON_OTHER_REMARK_L");
    EnableItem(kRemarkButtonId, false);

    m_remark = new QLineEdit(this);
    m_remark->setGeometry(500, 332, 440, 20);
    m_remark->setFont(bold);
    m_remark->setText(QString::fromStdWString(strDescpt));
    m_remark->installEventFilter(this);
    RegisterItem(kRemarkEditId, m_remark);
    // The text keeps the system's text colour (the picture gives it a light field, as to the remark).
    QLabel* program = AddStaticText({kProgramTextId, L"", 500, 250, 440, 20}, bold, Qt::black);
    // A path is shown as it is, never read as markup.
    program->setTextFormat(Qt::PlainText);
    program->setText(QString::fromStdWString(strCmd));

    SetTitle(L"SystemProgramButtonOther");
    return true;
}

bool GU_SysProgButtonsOtherDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_remark && event->type() == QEvent::FocusIn)
        OnSetfocusRemark();
    return CPageDlg::eventFilter(watched, event);
}

void GU_SysProgButtonsOtherDlg::OnSetfocusRemark()
{
    const int count = MyDoProcess(this, m_bWow64);
    TraceMessage(L"OnSetfocus_SysProgramOtherRemarkEdit: MyDoProcess: iRet = %d", count);
}

void GU_SysProgButtonsOtherDlg::SetUpProgramDialog(QFileDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Browse for Program Files"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({kProgramsFilter, kDesktopEntriesFilter, kAllFilesFilter});
    dialog.setDirectory(QString::fromWCharArray(kProgramFolder));
    dialog.setSidebarUrls({QUrl::fromLocalFile(QString::fromWCharArray(kProgramFolder)),
                           QUrl::fromLocalFile(QString::fromWCharArray(kApplicationsFolder)),
                           QUrl::fromLocalFile(QDir::homePath())});
    // "Programs" lists the files one may run; the other filters every file their pattern matches.
    auto listFor = [&dialog](const QString& filter) {
        const QDir::Filters folders = QDir::AllDirs | QDir::NoDot;
        dialog.setFilter(filter == kProgramsFilter ? folders | QDir::Files | QDir::Executable : folders | QDir::Files);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, listFor);
    dialog.selectNameFilter(kProgramsFilter);
    listFor(kProgramsFilter);
}

void GU_SysProgButtonsOtherDlg::OnClickedFolder()
{
    TraceMessage(L"GU_SysProgButtonsOtherDlg:OnClicked_SysProgramOtherFolder");
    QFileDialog dialog(this);
    SetUpProgramDialog(dialog);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QFileInfo chosen(dialog.selectedFiles().constFirst());
        // The file may have gone while the dialog was open.
        if (chosen.isFile())
            SetItemText(kProgramTextId, chosen.absoluteFilePath());
    }
    if (QLabel* text = Text(kProgramTextId))
        text->update();
}

void GU_SysProgButtonsOtherDlg::OnClickedSave()
{
    TraceMessage(L"GU_SysProgButtonsOtherDlg:OnClicked_SysProgramOtherSave");
    const std::wstring strCmd = ItemText(kProgramTextId).toStdWString();
    const std::wstring strRemark = m_remark->text().toStdWString();
    const std::wstring keySection = ProgramButtonKeyMap::KeySection(m_keyNumber);
    const std::wstring functionSection = ProgramButtonKeyMap::FunctionSection(m_functionNumber);
    TraceMessage(L"keysec=[%s]:funcsec=[%s]:strCmd=[%s]:strRemark=[%s]", keySection.c_str(), functionSection.c_str(),
                 strCmd.c_str(), strRemark.c_str());
    // Refused before anything is written: the key and its slot change together or not at all.
    for (const std::wstring* text : {&strCmd, &strRemark}) {
        if (const std::wstring why = ProgramButtonKeyMap::Unstorable(*text); !why.empty()) {
            TraceMessage(L"OnClicked_SysProgramOtherSave: not saved: %s", why.c_str());
            ShowMessageBox(why.c_str());
            return;
        }
    }
    if (!m_keyMap.Path().empty()) {
        const bool written = m_keyMap.Write(keySection, L"funid", std::to_wstring(m_functionNumber)) &&
                             m_keyMap.Write(functionSection, L"cmd", ProgramButtonKeyMap::StoredValue(strCmd)) &&
                             m_keyMap.Write(functionSection, L"descpt", ProgramButtonKeyMap::StoredValue(strRemark));
        m_keyMap.Reload();
        if (!written) {
            ShowMessageBox(L"Save user defined command fail!");
            return;
        }
    } else {
        TraceMessage(L"OnClicked_SysProgramOtherSave: no key-map file; nothing is saved");
    }
    EndDialog(IDOK);
}
