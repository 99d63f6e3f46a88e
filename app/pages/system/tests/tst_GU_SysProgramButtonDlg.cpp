// The program-button pages on the real key-map templates, with a real tray window: what each key's
// combo box shows and writes, the layers of the nine-key layout, the user-defined command page with
// its file dialog and Save, hostile texts, a missing key map, and a changed key running at once.

#include "KeyboardLauncher.h"
#include "SystemPageTest.h"
#include "TraceCapture.h"
#include "TrayFakes.h"

#include "CBitComboBox.h"
#include "CMyBitmapButton.h"
#include "CTrayWnd.h"
#include "GU_SysProgButtonsOtherDlg.h"
#include "GU_SysProgramButtonDlg.h"
#include "GU_SystemSettingDlg.h"
#include "KeyInput.h"
#include "KeyMap.h"
#include "PrivateProfileDocument.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace tarvik::qtest;
using Page = GU_SysProgramButtonDlg;
using Other = GU_SysProgButtonsOtherDlg;

namespace {

QString keyMapFile() { return QString::fromStdWString(AppDataPaths().keyMapFile); }

// The model's key-map template as this machine's key map.
void installKeyMap(const QString& model)
{
    QFile::remove(keyMapFile());
    QDir().mkpath(QFileInfo(keyMapFile()).absolutePath());
    QVERIFY(QFile::copy(QStringLiteral(TARVIK_TEMPLATE_DIR "/km_config_%1.ini").arg(model), keyMapFile()));
    QFile::setPermissions(keyMapFile(), QFile::ReadOwner | QFile::WriteOwner);
}

QByteArray fileBytes()
{
    QFile file(keyMapFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

tarvik::PrivateProfileDocument document() { return tarvik::PrivateProfileDocument::parse(fileBytes().toStdString()); }

// A value as the file holds it (the raw value, before any reading rule).
bool hasValue(const QString& section, const QString& key)
{
    return document().hasValue(section.toStdWString(), key.toStdWString());
}

// The key map as the tray window reads it from the file.
KeyMap readKeyMap()
{
    KeyMap map;
    LoadKeyMap(map, AppDataPaths().keyMapFile);
    return map;
}
int funid(int n) { return readKeyMap().kKeySets.at(0).at(n - 1).funid; }

void choose(CBitComboBox* combo, int position)
{
    combo->setCurrentIndex(position);
    emit combo->activated(position);
}

// Runs the user-defined command page of key k of an open program-button page; `look` runs inside.
void runOther(Page& page, int k, const std::function<void(Other&)>& look)
{
    QTimer::singleShot(0, &page, [&] {
        Other* other = Page::OtherPage();
        QVERIFY(other && other->IsRunningModal());
        look(*other);
        if (other->isVisible())
            other->EndDialog(IDCANCEL);
    });
    QTest::mouseClick(page.Button(page.OtherId(k)), Qt::LeftButton);
}

void makeExecutable(const QString& path, const QByteArray& text = "#!/bin/sh\n")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class tst_GU_SysProgramButtonDlg : public QObject {
    Q_OBJECT

    RecordingInjector injector;
    FakeLoginSession session;
    FakeWakeTimer timer;
    RecordingLauncher launcher;
    std::unique_ptr<CTrayWnd> tray;

    void openTray(HardType type)
    {
        tray = std::make_unique<CTrayWnd>(CTrayWnd::Services{&injector, &session, &timer, &launcher});
        tray->SetHardType(type);
        QVERIFY(tray->CreateEx());
    }

private slots:
    void init()
    {
        QVERIFY(createBoard("KTA"));
        Page::SetLayer(0);
        launcher.starts.clear();
        injector.calls.clear();
    }
    void cleanup()
    {
        tray.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The hub's tile opens the page with the tray window's hardware type (not the settings file's).
    void theHubOpensItWithTheTraysHardType()
    {
        installKeyMap("RQ72");
        setHardType("RQ81");
        openTray(HARD_TYPE_RQ72);
        GU_SystemSettingDlg hub;
        runPage(hub, [&] {
            QTimer::singleShot(0, &hub, [&] {
                auto* page = qobject_cast<Page*>(GU_SystemSettingDlg::SubPage(GU_SystemSettingDlg::kProgButtonId));
                QVERIFY(page && page->IsRunningModal());
                QCOMPARE(page->GetHardType(), HARD_TYPE_RQ72);
                QVERIFY(page->Combo(page->ComboId(9))->isVisible());
                page->EndDialog(IDOK);
            });
            QTest::mouseClick(hub.Button(GU_SystemSettingDlg::kProgButtonId), Qt::LeftButton);
        });
        setHardType({});
    }

    void fiveKeyLayout()
    {
        installKeyMap("GX58");
        openTray(HARD_TYPE_GX58);
        TraceCapture capture;
        Page page;
        page.SetHardType(HARD_TYPE_GX58);
        runPage(page, [&] {
            QCOMPARE(page.BackgroundName(), QString("IDB_SYSPROGRAM_BUTTON_BASE_L"));
            QCOMPARE(page.windowTitle(), QString("SystemProgramButton"));
            QCOMPARE(page.Button(Page::kExitId)->geometry(), QRect(40, 445, 190, 134));
            QVERIFY(!page.Button(Page::kFnSetId)->isVisible());
            for (int k = 1; k <= 9; ++k)
                QVERIFY(!page.Combo(Page::kComboRq81FirstId + k - 1)->isVisible());
            const int ys[] = {101, 184, 267, 350, 437};
            const int templateFunids[] = {2, 7, 8, 3, 4}; // the GX58 template's keys
            for (int k = 1; k <= 5; ++k) {
                CBitComboBox* combo = page.Combo(page.ComboId(k));
                QCOMPARE(combo->count(), 18);
                QCOMPARE(combo->pos(), QPoint(400, ys[k - 1]));
                QCOMPARE(combo->width(), 425);
                QCOMPARE(combo->skin().leftCap, 471);
                QCOMPARE(combo->currentIndex(), templateFunids[k - 1] - 1);
                QVERIFY(!page.Button(page.OtherId(k))->isVisible());
            }
            CBitComboBox* combo = page.Combo(page.ComboId(1));
            QCOMPARE(combo->itemText(0), QString("Open explore"));
            QCOMPARE(combo->itemText(6), QString("Brightness Up"));
            QCOMPARE(combo->itemText(17), QString("User Defined Command"));
        });
        QVERIFY(capture.contains("GU_SysProgramButtonDlg: OnInitDialog() hard_type=[0]"));
    }

    // Key 3 to its user-defined command, key 2 back to Brightness Up; reopened, the page shows both.
    void fiveKeyChangesAreWrittenAndShownAgain()
    {
        installKeyMap("GX58");
        openTray(HARD_TYPE_GX58);
        {
            Page page;
            page.SetHardType(HARD_TYPE_GX58);
            runPage(page, [&] {
                choose(page.Combo(page.ComboId(3)), Page::kUserDefinedPosition);
                QCOMPARE(funid(3), 20);
                QVERIFY(page.Button(page.OtherId(3))->isVisible());
                QVERIFY(page.Button(page.OtherId(3))->isEnabled());
                QCOMPARE(tray->kKeySets()[0][2].funid, 20); // reloaded at once
                choose(page.Combo(page.ComboId(2)), Page::kUserDefinedPosition);
                QCOMPARE(funid(2), 19);
                QVERIFY(page.Button(page.OtherId(2))->isVisible());
                choose(page.Combo(page.ComboId(2)), 6);
                QCOMPARE(funid(2), 7);
                QVERIFY(!page.Button(page.OtherId(2))->isVisible());
            });
        }
        Page again;
        again.SetHardType(HARD_TYPE_GX58);
        runPage(again, [&] {
            QCOMPARE(again.Combo(again.ComboId(3))->currentText(), QString("User Defined Command"));
            QVERIFY(again.Button(again.OtherId(3))->isVisible());
            QCOMPARE(again.Combo(again.ComboId(2))->currentText(), QString("Brightness Up"));
        });
    }

    // A key changed on the open page runs its new function at the next press, nothing reopened.
    void aChangedKeyRunsAtOnce()
    {
        installKeyMap("GX58");
        openTray(HARD_TYPE_GX58);
        Page page;
        page.SetHardType(HARD_TYPE_GX58);
        runPage(page, [&] {
            choose(page.Combo(page.ComboId(1)), 14); // "Enter Key": FunDef15 sends Enter
            tray->OnHotKeyEvent(0x55, 0);            // key 1's scan code
            QCOMPARE(injector.calls.size(), std::size_t(1));
            QCOMPARE(injector.calls[0].front().virtualKey, 0x0D);
        });
    }

    void nineKeyLayersAndTheirSlots()
    {
        installKeyMap("RQ81");
        // KeyDef1-11 holds 19, the other slot of key position 2.
        QVERIFY(WritePrivateProfileStringW(L"KeyDef1-11", L"funid", L"19", AppDataPaths().keyMapFile.c_str()));
        openTray(HARD_TYPE_RQ81);
        TraceCapture capture;
        {
            Page page;
            page.SetHardType(HARD_TYPE_RQ81);
            runPage(page, [&] {
                QCOMPARE(page.BackgroundName(), QString("IDB_SYSPROGRAM_BUTTON_RQ81_BASE_L"));
                QCOMPARE(page.Button(Page::kFnSetId)->pos(), QPoint(700, 435));
                QCOMPARE(page.Button(Page::kFnSetId)->state(), 0);
                QCOMPARE(page.Combo(page.ComboId(6))->pos(), QPoint(710, 103));
                QCOMPARE(page.Combo(page.ComboId(6))->skin().leftCap, 496);
                QCOMPARE(page.Button(page.OtherId(9))->pos(), QPoint(930, 371));
                QVERIFY(!page.Combo(Page::kComboFirstId)->isVisible());
                QVERIFY(!page.Button(page.OtherId(2))->isVisible()); // KeyDef1-2 is no slot of its own

                QTest::mouseClick(page.Button(Page::kFnSetId), Qt::LeftButton);
                QCOMPARE(Page::Layer(), 1);
                QCOMPARE(page.Button(Page::kFnSetId)->state(), 1);
                QCOMPARE(page.Combo(page.ComboId(2))->currentText(), QString("User Defined Command"));
                QVERIFY(page.Button(page.OtherId(2))->isVisible());
                runOther(page, 2, [](Other& other) {
                    QCOMPARE(other.KeyNumber(), 11);
                    QCOMPARE(other.FunctionNumber(), 28);
                });

                choose(page.Combo(page.ComboId(4)), Page::kUserDefinedPosition);
                QCOMPARE(funid(13), 30);
                runOther(page, 4, [](Other& other) {
                    QCOMPARE(other.KeyNumber(), 13);
                    QCOMPARE(other.FunctionNumber(), 30);
                });
            });
        }
        QVERIFY(capture.contains("OnClicked_SysProgramFnsetRq81: RQ81 FnSet to Enable"));
        // The layer stays for the next opening; switching back says so.
        Page again;
        again.SetHardType(HARD_TYPE_RQ72);
        runPage(again, [&] {
            QCOMPARE(again.Button(Page::kFnSetId)->state(), 1);
            QCOMPARE(again.Combo(again.ComboId(4))->currentText(), QString("User Defined Command"));
            QTest::mouseClick(again.Button(Page::kFnSetId), Qt::LeftButton);
            QCOMPARE(Page::Layer(), 0);
            QVERIFY(!again.Button(again.OtherId(4))->isVisible());
        });
        QVERIFY(capture.contains("OnClicked_SysProgramFnsetRq81: RQ81 FnSet to Disable"));
    }

    void exitEndsWithOk()
    {
        installKeyMap("GX58");
        Page page;
        QTimer::singleShot(0, &page, [&] { QTest::mouseClick(page.Button(Page::kExitId), Qt::LeftButton); });
        QCOMPARE(page.DoModal(), IDOK);
    }

    void closeChildrenReachesTheUserDefinedCommandPage()
    {
        installKeyMap("GX58");
        Page page;
        runPage(page, [&] {
            QStringList log;
            TitledWindow other("SystemProgramButtonOther", log);
            QCOMPARE(SendMessage(&page, WM_CLOSE_CHILDREN), LRESULT(0));
            QCOMPARE(log, cascadeLog({"SystemProgramButtonOther"}));
        });
    }

    // Save for key 1 through the file dialog: funid=18, cmd and descpt in FunDef18; the key then
    // starts the program, with para as its arguments.
    void saveAProgramAndRemark()
    {
        installKeyMap("GX58");
        QVERIFY(WritePrivateProfileStringW(L"FunDef18", L"para", L"--flag \"two words\"",
                                           AppDataPaths().keyMapFile.c_str()));
        openTray(HARD_TYPE_GX58);
        QTemporaryDir dir;
        const QString program = dir.filePath("app");
        makeExecutable(program);
        Page page;
        page.SetHardType(HARD_TYPE_GX58);
        runPage(page, [&] {
            choose(page.Combo(page.ComboId(1)), Page::kUserDefinedPosition);
            runOther(page, 1, [&](Other& other) {
                QCOMPARE(other.windowTitle(), QString("SystemProgramButtonOther"));
                QVERIFY(!other.Button(Other::kRemarkButtonId)->isEnabled());
                QTimer::singleShot(0, [&] {
                    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    QVERIFY(dialog);
                    QCOMPARE(dialog->windowTitle(), QString("Browse for Program Files"));
                    QCOMPARE(dialog->directory().absolutePath(), QString("/usr/bin"));
                    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
                    QCOMPARE(dialog->sidebarUrls(),
                             (QList<QUrl>{QUrl::fromLocalFile("/usr/bin"), QUrl::fromLocalFile("/usr/share/applications"),
                                          QUrl::fromLocalFile(QDir::homePath())}));
                    QVERIFY(dialog->nameFilters().contains("Desktop entries (*.desktop)"));
                    dialog->setDirectory(dir.path());
                    dialog->selectFile(program);
                    static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
                });
                QTest::mouseClick(other.Button(Other::kFolderId), Qt::LeftButton);
                QCOMPARE(other.ItemText(Other::kProgramTextId), program);
                other.RemarkEdit()->setText("Tools");
                QTest::mouseClick(other.Button(Other::kSaveId), Qt::LeftButton);
                QVERIFY(!other.isVisible());
            });
        });
        const KeyMap map = readKeyMap();
        QCOMPARE(map.kKeySets[0][0].funid, 18);
        QCOMPARE(QString::fromStdWString(map.kFunDefs[17].cmd), program);
        QCOMPARE(QString::fromStdWString(map.kFunDefs[17].descpt), QString("Tools"));
        QCOMPARE(map.kFunDefs[17].type, FunDef::TYPE_START_PROGRAM);
        tray->OnHotKeyEvent(0x55, 0);
        QCOMPARE(launcher.starts.size(), std::size_t(1));
        QCOMPARE(QString::fromStdWString(launcher.starts[0].program), program);
        QCOMPARE(launcher.starts[0].arguments, (std::vector<std::wstring>{L"--flag", L"two words"}));
    }

    // A saved desktop entry starts its Exec line, split by the entry format's quoting, field codes
    // dropped, no shell.
    void aDesktopEntryStartsItsExecLine_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("field codes dropped") << "%PROGRAM% --new-window %U" << QStringList{"--new-window"};
        QTest::newRow("quoted argument") << "%PROGRAM% \"a b\" c%%d" << QStringList{"a b", "c%d"};
        QTest::newRow("shell text stays text") << "%PROGRAM% \"$(rm -rf ~);x\" `id`" << QStringList{"$(rm -rf ~);x", "`id`"};
        QTest::newRow("escaped quote") << "%PROGRAM% \"say \\\\\"hi\\\\\"\"" << QStringList{"say \"hi\""};
    }
    void aDesktopEntryStartsItsExecLine()
    {
        QFETCH(QString, exec);
        QFETCH(QStringList, arguments);
        installKeyMap("GX58");
        QTemporaryDir dir;
        const QString program = dir.filePath("viewer");
        makeExecutable(program);
        const QString entry = dir.filePath("viewer.desktop");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Viewer\nExec=%1\n[Desktop Action x]\nExec=wrong\n")
                       .arg(exec.replace("%PROGRAM%", program))
                       .toUtf8());
        file.close();
        WritePrivateProfileStringW(L"FunDef18", L"cmd", entry.toStdWString().c_str(), AppDataPaths().keyMapFile.c_str());
        WritePrivateProfileStringW(L"FunDef18", L"para", L"ignored", AppDataPaths().keyMapFile.c_str());
        WritePrivateProfileStringW(L"KeyDef1-1", L"funid", L"18", AppDataPaths().keyMapFile.c_str());
        openTray(HARD_TYPE_GX58);
        tray->OnHotKeyEvent(0x55, 0);
        QCOMPARE(launcher.starts.size(), std::size_t(1));
        QCOMPARE(QString::fromStdWString(launcher.starts[0].program), program);
        QStringList got;
        for (const std::wstring& argument : launcher.starts[0].arguments)
            got << QString::fromStdWString(argument);
        QCOMPARE(got, arguments);
    }

    void fileDialogCancelledChangesNothing()
    {
        installKeyMap("GX58");
        Other other;
        other.SetKeyNumber(1);
        runPage(other, [&] {
            other.SetItemText(Other::kProgramTextId, "/bin/true");
            QTimer::singleShot(0, [] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->reject();
            });
            QTest::mouseClick(other.Button(Other::kFolderId), Qt::LeftButton);
            QCOMPARE(other.ItemText(Other::kProgramTextId), QString("/bin/true"));
        });
    }

    // Texts a user may give the page: each reads back from the key map exactly, or is refused with a
    // message and leaves the file as it was.
    void hostileTexts_data()
    {
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<QString>("remark");
        QTest::addColumn<QString>("refusal"); // the message, empty when saved
        const QString tooLong(600, QLatin1Char('x'));
        QTest::newRow("quotes") << "/opt/a \"b\"/run" << "\"quoted\"" << "";
        QTest::newRow("single quotes around") << "'/opt/x'" << "'it'" << "";
        QTest::newRow("semicolon and command") << "/opt/x;rm -rf ~" << "$(reboot); `id` & |" << "";
        QTest::newRow("blanks at the ends") << " /opt/x " << "\tremark " << "";
        QTest::newRow("non-ASCII letters") << "/opt/Grüße/программа" << "Überprüfung 測試" << "";
        QTest::newRow("ini syntax") << "/opt/[FunDef1]/x=y" << "; not a comment" << "";
        QTest::newRow("511 characters") << QString(511, QLatin1Char('p')) << QString(511, QLatin1Char('r')) << "";
        QTest::newRow("line break in the path") << "/opt/a\nb" << "ok"
                                                << "A line break cannot be saved.";
        QTest::newRow("line break in the remark") << "/opt/a" << "one\r\ntwo"
                                                  << "A line break cannot be saved.";
        QTest::newRow("519 characters") << QString(519, QLatin1Char('p')) << "ok"
                                        << "The text is too long to be saved (at most 511 characters).";
        QTest::newRow("long remark") << "/opt/a" << tooLong
                                     << "The text is too long to be saved (at most 511 characters).";
    }
    void hostileTexts()
    {
        QFETCH(QString, cmd);
        QFETCH(QString, remark);
        QFETCH(QString, refusal);
        installKeyMap("GX58");
        openTray(HARD_TYPE_GX58);
        const QByteArray before = fileBytes();
        MessageBoxAnswerer answerer;
        Other other;
        other.SetHardType(HARD_TYPE_GX58);
        other.SetKeyNumber(2);
        runPage(other, [&] {
            other.SetItemText(Other::kProgramTextId, cmd);
            other.RemarkEdit()->setText(remark);
            QTest::mouseClick(other.Button(Other::kSaveId), Qt::LeftButton);
            QCOMPARE(other.isVisible(), !refusal.isEmpty());
        });
        if (!refusal.isEmpty()) {
            QCOMPARE(answerer.texts, QStringList{refusal});
            QCOMPARE(fileBytes(), before);
            return;
        }
        QVERIFY(answerer.texts.isEmpty());
        for (const KeyMap& map : {readKeyMap(), KeyMap{tray->kFunDefs(), tray->kKeySets()}}) {
            QCOMPARE(map.kKeySets[0][1].funid, 19);
            QCOMPARE(QString::fromStdWString(map.kFunDefs[18].cmd), cmd);
            QCOMPARE(QString::fromStdWString(map.kFunDefs[18].descpt), remark);
        }
        // Every other function and key is as it was.
        KeyMap was;
        LoadKeyMapFrom(was, tarvik::PrivateProfileDocument::parse(before.toStdString()));
        KeyMap now = readKeyMap();
        now.kFunDefs[18] = was.kFunDefs[18];
        now.kKeySets[0][1] = was.kKeySets[0][1];
        QVERIFY(now == was);
    }

    void exitAndCancelWriteNothing_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("Exit") << Other::kExitId;
        QTest::newRow("Cancel") << Other::kCancelId;
    }
    void exitAndCancelWriteNothing()
    {
        QFETCH(int, button);
        installKeyMap("GX58");
        const QByteArray before = fileBytes();
        Other other;
        other.SetKeyNumber(1);
        QTimer::singleShot(0, &other, [&] {
            other.SetItemText(Other::kProgramTextId, "/bin/true");
            other.RemarkEdit()->setText("changed");
            QTest::mouseClick(other.Button(button), Qt::LeftButton);
        });
        QCOMPARE(other.DoModal(), IDOK);
        QCOMPARE(fileBytes(), before);
    }

    // A slot the key map does not define: the page starts empty; Save creates it with cmd and
    // descpt only (and binds the key to it).
    void aMissingSlotIsCreatedBySave()
    {
        installKeyMap("GX58");
        Other other;
        other.SetHardType(HARD_TYPE_GX58);
        other.SetKeyNumber(19); // no key of this number: the layout's last slot, FunDef23
        runPage(other, [&] {
            QCOMPARE(other.FunctionNumber(), 23);
            QCOMPARE(other.ItemText(Other::kProgramTextId), QString());
            QCOMPARE(other.RemarkEdit()->text(), QString());
            other.SetItemText(Other::kProgramTextId, "/bin/true");
            other.RemarkEdit()->setText("new");
            QTest::mouseClick(other.Button(Other::kSaveId), Qt::LeftButton);
        });
        const tarvik::PrivateProfileDocument file = document();
        QCOMPARE(file.readString(L"FunDef23", L"cmd", L"", 512), std::wstring(L"/bin/true"));
        QCOMPARE(file.readString(L"FunDef23", L"descpt", L"", 512), std::wstring(L"new"));
        QCOMPARE(file.readString(L"KeyDef1-19", L"funid", L"", 512), std::wstring(L"23"));
        for (const char* key : {"name", "type", "para", "avl"})
            QVERIFY2(!hasValue("FunDef23", key), key);
    }

    // No key-map file: both pages open and react; nothing is written anywhere.
    void noKeyMapFile()
    {
        QFile::remove(keyMapFile());
        openTray(HARD_TYPE_GX58);
        Page page;
        page.SetHardType(HARD_TYPE_GX58);
        runPage(page, [&] {
            QCOMPARE(page.Combo(page.ComboId(1))->currentIndex(), -1);
            choose(page.Combo(page.ComboId(1)), Page::kUserDefinedPosition);
            QVERIFY(page.Button(page.OtherId(1))->isVisible());
            runOther(page, 1, [](Other& other) {
                other.SetItemText(Other::kProgramTextId, "/bin/true");
                QTest::mouseClick(other.Button(Other::kSaveId), Qt::LeftButton);
                QVERIFY(!other.isVisible());
            });
        });
        QVERIFY(!QFile::exists(keyMapFile()));
    }

    void remarkStartsTheKeyboardOnce()
    {
        installKeyMap("GX58");
        tarvik::qtest::KeyboardLauncher keyboard;
        overrideProcessLauncher(&keyboard);
        TraceCapture capture;
        Other other;
        other.SetKeyNumber(1);
        runPage(other, [&] {
            other.activateWindow();
            for (int i = 0; i < 2; ++i) {
                other.RemarkEdit()->clearFocus();
                other.RemarkEdit()->setFocus(Qt::MouseFocusReason);
                QTRY_COMPARE(capture.count("OnSetfocus_SysProgramOtherRemarkEdit: MyDoProcess: iRet = " +
                                           QString::number(i)), 1);
            }
        });
        overrideProcessLauncher(nullptr);
        QCOMPARE(keyboard.started, QStringList{"onboard"});
    }
};

TARVIK_QTEST_MAIN(tst_GU_SysProgramButtonDlg)
#include "tst_GU_SysProgramButtonDlg.moc"
