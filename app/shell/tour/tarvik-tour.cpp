// tarvik-tour: opens the home screen and every page reachable from it, and saves a picture of each.
//
//   tarvik-tour OUTDIR HARDTYPE
//   tarvik-tour OUTDIR HARDTYPE STATE [SECTION/KEY=VALUE...] [ID...]
//
// Runs the program's own windows on whatever board and display the environment names (scripts/tour
// starts it offscreen on a virtual board per hardware type). Start-up's part is done here: the
// templates of the board's model are copied to the settings folder when missing, HARD_TYPE is set
// to HARDTYPE, and the tray window is made, which opens the home screen on the wake-up key as in
// the program (without its socket and keyboard hook). Then the home screen is saved as <HARDTYPE>-00-MainDlg.png, each section button that
// is enabled is pressed, and on each page that opens every other picture button is pressed in turn
// (top to bottom) so that the pages and dialogs it opens are saved too, named after the window
// titles on the way: <HARDTYPE>-<nn>-<title>[-<title>...].png. A page is closed as the home screen
// closes its pages (close-down message, then the cancel command). Programs and web pages the pages
// would start are not started.
//
// After the sections, the communication page is shown in its states one by one (switches on and
// off, the WWAN settings page with and without a SIM, both alerts, the message boxes and the wait
// window of the SMS code store): <HARDTYPE>-<nn>-CommunicationStatus-<state>.png. Then the location
// page with a fix and its sensor readings, the GPS settings page with the module's radio on and off,
// and the location page without a fix: <HARDTYPE>-<nn>-LocationStatus-<state>.png.
//
// With a STATE (a name for what the board and settings hold, such as "latched" or "36V"), the
// settings given are written first; then the tray window opens the system settings directly (inner
// command 2; the vehicle page with inner command 3 for a state named vehicle-...), and only the buttons given by control id are pressed, one on each page in turn (the
// hub, then the page it opened, ...; a button that opens nothing saves its page again and the next
// one is pressed there), each page that opens saved on the way:
// <HARDTYPE>-<STATE>-<nn>-<title>[-<title>...].png. A setting "km:SECTION/KEY=VALUE" goes into the
// key map instead of the settings file. A button that is missing, hidden or disabled is
// reported and ends the walk (exit status 1).
//
// Exit status 0, 1 when a picture cannot be saved, 2 on wrong arguments.

#include "AppPaths.h"
#include "Board.h"
#include "CGX58_UtilityDlg.h"
#include "CMyBitmapButton.h"
#include "CPageDlg.h"
#include "CTrayWnd.h"
#include "GU_CommDlg.h"
#include "GU_CommSmsWaitWnd.h"
#include "GU_CommWwanDlg.h"
#include "GU_LocSensorDlg.h"
#include "GU_LocSensorGpsSetting.h"
#include "GU_MyMessageboxDlg.h"
#include "GU_VehicleDlg.h"
#include "HardType.h"
#include "Idovan.h"
#include "PortDiscovery.h"
#include "PrivateProfile.h"
#include "ProcessLauncher.h"
#include "SectionTable.h"
#include "Kestrom.h"
#include "Miravel.h"
#include "Sleeper.h"
#include "Telnira.h"
#include "TemplateCopy.h"
#include "Trace.h"
#include "WirelessBoard.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

// The front panel's wake-up key.
constexpr WPARAM kWakeUpKey = 0xA1;
// Time a page gets to fill in its values (timers, worker threads) before its picture is taken.
constexpr int kSettleMs = 600;
// The vehicle page's values come with the interpreter's broadcasts (the slowest once a second) and
// its voltage with its 3-second timer: the longest the tour waits for them.
constexpr int kVehicleValuesMs = 4500;
// Time after a press in which a page it opens counts as opened by it.
constexpr int kOpenWaitMs = 200;
constexpr int kMaxDepth = 4;
// A state's setting whose section starts so goes into the key map.
constexpr char kKeyMapPrefix[] = "km:";

// Nothing leaves the tour: programs and web pages are recorded in the trace only.
class NoLaunch final : public ProcessLauncher {
public:
    std::vector<Process> RunningProcesses() override { return {}; }
    bool StartDetached(const std::wstring& program, const std::vector<std::wstring>&) override
    {
        TraceMessage(L"tarvik-tour: not starting <%s>", program.c_str());
        return true;
    }
    bool OpenUrl(const std::wstring& address) override
    {
        TraceMessage(L"tarvik-tour: not opening <%s>", address.c_str());
        return true;
    }
};

// Sleeps as the hardware needs, and lets the tour look at the screen while a library waits (the
// SMS code store's initialisation blocks the interface thread with its wait window up).
class WatchingSleeper final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned milliseconds) override
    {
        if (hook)
            hook(milliseconds);
        m_real.sleepMs(milliseconds);
    }
    std::function<void(unsigned)> hook;

private:
    tarvik::RealSleeper m_real;
};

void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

class Tour {
public:
    Tour(QString outDir, QString prefix) : m_outDir(std::move(outDir)), m_hardType(std::move(prefix)) {}

    int failures() const { return m_failures; }

    void save(QWidget* window, const QString& path)
    {
        const QString safe = QString(path).replace(QRegularExpression("[^A-Za-z0-9_-]+"), "_");
        const QString file =
            QDir(m_outDir).filePath(QString("%1-%2-%3.png").arg(m_hardType).arg(m_count++, 2, 10, QChar('0')).arg(safe));
        if (!window->grab().save(file)) {
            std::fprintf(stderr, "tarvik-tour: cannot save %s\n", qPrintable(file));
            ++m_failures;
        } else {
            std::printf("%s\n", qPrintable(file));
            std::fflush(stdout);
        }
    }

    // Presses a button; a page that opens (modally, so the press returns only when it closes) is
    // visited from inside its own run.
    void press(CMyBitmapButton* button, const QString& path, int depth)
    {
        act([button] { button->click(); }, path, depth);
    }

    // Does what opens a page (a press, a tray command) and visits the page from inside its run.
    void act(const std::function<void()>& action, const QString& path, int depth)
    {
        QWidget* before = QApplication::activeModalWidget();
        QTimer watcher;
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            QWidget* top = QApplication::activeModalWidget();
            if (!top || top == before || m_visited.contains(top))
                return;
            watcher.stop();
            m_visited.insert(top);
            // A window object that goes may come back at the same address (the message box is
            // made anew for each message): only windows alive are visited ones.
            QObject::connect(top, &QObject::destroyed, [this, top] { m_visited.remove(top); });
            visit(top, path.isEmpty() ? top->windowTitle() : path + "-" + top->windowTitle(), depth + 1);
        });
        watcher.start();
        action();
        wait(kOpenWaitMs);
        watcher.stop();
    }

    void visit(QWidget* window, const QString& path, int depth)
    {
        QPointer<QWidget> page(window);
        wait(kSettleMs);
        if (m_waitForVehicleValues)
            if (auto* vehicle = qobject_cast<GU_VehicleDlg*>(window))
                waitForVehicleValues(vehicle);
        if (!page)
            return;
        save(page, path);
        if (m_walking) {
            walkOn(page, path, depth);
        } else if (depth < kMaxDepth) {
            QList<CMyBitmapButton*> buttons = page->findChildren<CMyBitmapButton*>(Qt::FindDirectChildrenOnly);
            std::sort(buttons.begin(), buttons.end(), [](const CMyBitmapButton* a, const CMyBitmapButton* b) {
                return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
            });
            for (CMyBitmapButton* button : buttons) {
                QPointer<CMyBitmapButton> guard(button);
                if (!page || !page->isVisible())
                    break;
                if (!guard || !button->isVisible() || !button->isEnabled() || button->property("tarvikHome").toBool())
                    continue;
                press(button, path, depth);
            }
        }
        close(page);
    }

    // Until the vehicle page shows every value (no template text left), or for kVehicleValuesMs.
    static void waitForVehicleValues(QPointer<GU_VehicleDlg> page)
    {
        const int ids[] = {GU_VehicleDlg::kVoltageId, GU_VehicleDlg::kTachographId, GU_VehicleDlg::kEngineSpeedId,
                           GU_VehicleDlg::kFuelUsedId, GU_VehicleDlg::kFuelTemperatureId,
                           GU_VehicleDlg::kCoolantTemperatureId};
        QElapsedTimer clock;
        clock.start();
        while (page && clock.elapsed() < kVehicleValuesMs) {
            if (std::none_of(std::begin(ids), std::end(ids), [&](int id) { return page->ItemText(id).startsWith('-'); }))
                return;
            wait(50);
        }
    }

    static void close(QWidget* window)
    {
        if (!window || !window->isVisible())
            return;
        QPointer<QWidget> page(window);
        SendMessage(page, WM_CLOSE_CHILDREN, 0, 0);
        if (page)
            SendCommand(page, IDCANCEL);
        if (page && page->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(page.data()))
                dialog->reject();
        }
    }

    // The home screen comes and goes as in the program: the tray window opens it on the wake-up
    // key and closes it on the next one.
    // Clicks the button; `inside` runs with the modal window the click opened, within its run, and
    // must close it. Nothing happens when no window opens.
    void openAndDo(QAbstractButton* button, const std::function<void(QWidget*)>& inside)
    {
        if (!button || !button->isVisible() || !button->isEnabled())
            return;
        QWidget* before = QApplication::activeModalWidget();
        bool opened = false;
        QTimer watcher;
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            QWidget* top = QApplication::activeModalWidget();
            if (opened || !top || top == before || !top->isVisible())
                return;
            opened = true;
            watcher.stop();
            QPointer<QWidget> window(top);
            wait(kSettleMs);
            if (window)
                inside(window);
            close(window);
        });
        watcher.start();
        button->click();
        watcher.stop();
    }

    // The communication page in each of its states (see the top of the file).
    void commStates(CGX58_UtilityDlg* home)
    {
        const bool rq63 = m_hardType.startsWith("RQ63");
        const QString base = "CommunicationStatus";
        // Every message box that comes up meanwhile is saved and closed.
        QString boxPath = base;
        QTimer boxes;
        boxes.setInterval(10);
        QObject::connect(&boxes, &QTimer::timeout, [&] {
            auto* box = qobject_cast<GU_MyMessageboxDlg*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            save(box, boxPath + "-MyMessagebox");
            SendCommand(box, IDCANCEL);
        });
        boxes.start();
        m_sleeper.hook = [&](unsigned) {
            // Library waits come from worker threads too; windows are only looked at from their own.
            if (QThread::currentThread() != qApp->thread())
                return;
            if (GU_CommSmsWaitWnd* wait = GU_CommSmsWaitWnd::Current(); wait && wait->isVisible())
                save(wait, base + "-WWAN Setting-SmsInitWait");
        };

        {
            // Everything on (and the external antenna) before the page reads it.
            CTelnira telnira;
            telnira.vCM_WWANPowerOnOff(1);
            telnira.vCM_WWANModuleSwitch(1);
            telnira.vCM_WLANPowerOnOff(1);
            telnira.vCM_WLANModuleSwitch(1);
            telnira.vCM_BluetoothModuleSwitch(1);
            telnira.vCM_WLANAntennaSwitch(rq63 ? 1 : 0);
        }
        const std::vector<int> switches = rq63 ? std::vector<int>{GU_CommDlg::kWlanModuleSwitchId,
                                                                  GU_CommDlg::kBtModuleSwitchId,
                                                                  GU_CommDlg::kAntennaSwitchId}
                                               : std::vector<int>{GU_CommDlg::kWlanBtSwitchId};
        const auto press = [](CPageDlg* page, int id) {
            if (CMyBitmapButton* button = page->Button(id); button && button->isVisible() && button->isEnabled())
                button->click();
        };
        openAndDo(home->Button(CGX58_UtilityDlg::kCommId), [&](QWidget* window) {
            auto* page = qobject_cast<GU_CommDlg*>(window);
            if (!page)
                return;
            save(page, base + "-switches on");
            for (int id : switches)
                press(page, id);
            press(page, GU_CommDlg::kWwanSwitchId);
            wait(kOpenWaitMs);
            save(page, base + "-switches off");
            press(page, GU_CommDlg::kWwanSwitchId);
            for (int id : switches)
                press(page, id);

            openAndDo(page->Button(GU_CommDlg::kWwanSettingId),
                      [&](QWidget* settings) { save(settings, base + "-WWAN Setting"); });

            // Switching the WWAN off while waking on SMS: the power-off alert.
            CKestrom().vWU_WakeOnSMSSwitch(1);
            openAndDo(page->Button(GU_CommDlg::kWwanSwitchId),
                      [&](QWidget* alert) { save(alert, base + "-" + alert->windowTitle()); });
            press(page, GU_CommDlg::kWwanSwitchId);

            // Enabling wake on SMS while the settings say the WWAN is off: the SMS-on alert, then
            // the notice.
            WritePrivateProfileStringW(L"COMMUNICATION", L"WWAN_POWER", L"0", SettingsFile());
            openAndDo(page->Button(GU_CommDlg::kWwanSettingId), [&](QWidget* window) {
                auto* settings = qobject_cast<GU_CommWwanDlg*>(window);
                if (!settings)
                    return;
                if (settings->Button(GU_CommWwanDlg::kWakeOnSmsId)->state() == 0)
                    press(settings, GU_CommWwanDlg::kWakeOnSmsId);
                save(settings, base + "-WWAN Setting-wake on SMS chosen");
                boxPath = base + "-WWAN Setting-SmsOn Alert";
                openAndDo(settings->Button(GU_CommWwanDlg::kWakeOnSmsOkId),
                          [&](QWidget* alert) { save(alert, base + "-WWAN Setting-" + alert->windowTitle()); });
            });

            // A code for a store that is not initialised yet: the wait window, then the result.
            openAndDo(page->Button(GU_CommDlg::kWwanSettingId), [&](QWidget* window) {
                auto* settings = qobject_cast<GU_CommWwanDlg*>(window);
                if (!settings)
                    return;
                settings->CodeEdit()->setText("0123ABCD");
                boxPath = base + "-WWAN Setting-code";
                press(settings, GU_CommWwanDlg::kWakeStringOkId);
            });

            // Without a SIM.
            setSim(false);
            openAndDo(page->Button(GU_CommDlg::kWwanSettingId),
                      [&](QWidget* settings) { save(settings, base + "-WWAN Setting-no SIM"); });
            SendMessage(page, WM_COMM_REFRESH);
            wait(kOpenWaitMs);
            save(page, base + "-no SIM");
            setSim(true);
        });
        m_sleeper.hook = nullptr;
        boxes.stop();
    }

    // The location page with live values (a fix, once the first sensor tick is in), the GPS settings
    // page in both radio states, and the location page while the receiver has no fix.
    void locationStates(CGX58_UtilityDlg* home)
    {
        const QString base = "LocationStatus";
        const auto waitFor = [](const std::function<bool()>& ready, int ms) {
            QElapsedTimer clock;
            clock.start();
            while (!ready() && clock.elapsed() < ms)
                wait(50);
        };
        std::unique_ptr<tarvik::board::Board> board;
        if (const char* dir = std::getenv("TARVIK_BOARD"))
            if (auto opened = tarvik::board::Board::open(dir))
                board = std::move(*opened);
        CMiravel().vSR_GPSModuleSwitch(1);
        openAndDo(home->Button(CGX58_UtilityDlg::kLocationId), [&](QWidget* window) {
            auto* page = qobject_cast<GU_LocSensorDlg*>(window);
            if (!page)
                return;
            // The timer's first tick comes after 3 s; the receiver sends once a second.
            waitFor([&] {
                return page->ItemText(GU_LocSensorDlg::kTemperatureValueId) != "-" &&
                       page->ItemText(GU_LocSensorDlg::kLocationValueId) != "-";
            }, 8000);
            save(page, base + "-fix");
            for (const char* state : {"RF on", "RF off"}) {
                openAndDo(page->Button(GU_LocSensorDlg::kGpsSettingId), [&](QWidget* settings) {
                    auto* dialog = qobject_cast<GU_LocSensorGpsSetting*>(settings);
                    if (!dialog)
                        return;
                    save(dialog, base + "-LocationSetting-" + state);
                    if (CMyBitmapButton* rf = dialog->Button(GU_LocSensorGpsSetting::kRfSwitchId))
                        rf->click();
                    wait(kOpenWaitMs);
                });
            }
            // The settings page left its radio on again; Home there restarts the worker (the
            // tour's close did not).
            PostMessage(page, WM_LOCATION_REFRESH);
            if (board)
                board->setFault("gps-no-fix", "");
            waitFor([&] { return page->ItemText(GU_LocSensorDlg::kLocationValueId) == "-"; }, 8000);
            save(page, base + "-no fix");
            if (board)
                board->clearFault("gps-no-fix");
        });
    }

    // The SIM of slot 1 present or not, on the board the tour runs on.
    static void setSim(bool present)
    {
        const char* dir = std::getenv("TARVIK_BOARD");
        if (!dir)
            return;
        auto board = tarvik::board::Board::open(dir);
        if (!board)
            return;
        auto wireless = tarvik::board::WirelessBoard::open(**board);
        if (wireless)
            (*wireless)->setSimReadyState(1, present ? 1 : 2);
    }

    void run(CTrayWnd& tray)
    {
        PostMessage(&tray, WM_TRAY_KEY, kWakeUpKey, 0);
        wait(kSettleMs);
        QPointer<CGX58_UtilityDlg> home = tray.MainDlg();
        if (!home) {
            std::fprintf(stderr, "tarvik-tour: the tray window opened no home screen\n");
            ++m_failures;
            return;
        }
        save(home, "MainDlg");
        for (const SectionEntry& section : SectionTable()) {
            CMyBitmapButton* button = home ? home->Button(section.commandId) : nullptr;
            if (button && button->isEnabled())
                press(button, "", 0);
        }
        if (home)
            commStates(home);
        if (home)
            locationStates(home);
        PostMessage(&tray, WM_TRAY_KEY, kWakeUpKey, 0);
        wait(kOpenWaitMs);
    }

    // The system settings opened by the tray's inner command 2, then the given buttons pressed one
    // page after the other.
    void walk(CTrayWnd& tray, const QList<int>& ids)
    {
        m_walking = true;
        m_walk = ids;
        act([&tray, this] { tray.ProcessInnerCmdEvent(m_innerCommand); }, "", 0);
        if (!m_walk.isEmpty()) {
            std::fprintf(stderr, "tarvik-tour: the walk ended before button %d\n", m_walk.first());
            ++m_failures;
        }
        // The home screen the command opened under the hub goes as it came.
        if (tray.MainDlg())
            tray.ShowPage(CTrayWnd::SHOWPAGE_TOGGLE);
        wait(kOpenWaitMs);
    }

private:
    void walkOn(QWidget* page, const QString& path, int depth)
    {
        if (m_walk.isEmpty())
            return;
        const int id = m_walk.first();
        auto* dialog = qobject_cast<CPageDlg*>(page);
        CMyBitmapButton* button = dialog ? dialog->Button(id) : nullptr;
        if (!button || !button->isVisible() || !button->isEnabled()) {
            std::fprintf(stderr, "tarvik-tour: %s has no button %d to press\n", qPrintable(page->windowTitle()), id);
            return;
        }
        m_walk.removeFirst();
        const int saved = m_count;
        press(button, path, depth);
        // A button that opens nothing (a layer switch) changed the page: it is saved again and the
        // walk goes on there.
        if (m_count == saved && page->isVisible()) {
            wait(kSettleMs);
            save(page, path);
            walkOn(page, path, depth);
        }
    }

    QString m_outDir;
    QString m_hardType;
    int m_count = 0;
    int m_failures = 0;
    QSet<QWidget*> m_visited;
    bool m_walking = false;
    QList<int> m_walk;

public:
    // What a state's walk opens (2 the system settings, 3 the vehicle page), and whether the
    // vehicle page is given time to fill in its values (not when its template texts are the point).
    int m_innerCommand = 2;
    bool m_waitForVehicleValues = true;
    WatchingSleeper m_sleeper;
};

// What start-up does before the home screen can open: the settings of the board's model, and the
// hardware type to show.
void prepareSettings(const QString& hardType)
{
    const DataPaths& paths = AppDataPaths();
    CIdovan idovan;
    CopyTemplates(paths, idovan.vDI_ModelType(), [](const std::wstring& line) { TraceDebug(L"%s", line.c_str()); });
    WritePrivateProfileStringW(L"PROJECT", L"HARD_TYPE", hardType.toStdWString().c_str(), paths.settingsFile.c_str());
    DiscoverPorts(paths.settingsFile,
                  [&idovan](const std::wstring& descriptor) { return idovan.vDI_ModuleSerialPortNumber(descriptor.c_str()); },
                  [](const std::wstring& line) { TraceDebug(L"%s", line.c_str()); });
    // The combined WLAN and Bluetooth switch waits this long after powering up; the tour need not.
    WritePrivateProfileStringW(L"COMMUNICATION", L"WLAN_POWER_DELAY", L"0", paths.settingsFile.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tarvik-tour OUTDIR HARDTYPE [STATE [SECTION/KEY=VALUE...] [ID...]]\n");
        return 2;
    }
    // A state's settings and the buttons of its walk.
    const QRegularExpression setting("^([^/=]+)/([^=]+)=(.*)$");
    QList<std::array<QString, 3>> settings;
    QList<int> walk;
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool number = false;
        const int id = args[i].toInt(&number);
        if (const QRegularExpressionMatch m = setting.match(args[i]); m.hasMatch()) {
            settings.append({m.captured(1), m.captured(2), m.captured(3)});
        } else if (number) {
            walk.append(id);
        } else {
            std::fprintf(stderr, "tarvik-tour: neither a setting nor a control id: %s\n", qPrintable(args[i]));
            return 2;
        }
    }
    QDir().mkpath(args[1]);
    tarvik::setPrivateProfileTrace([](const std::wstring& line) { TraceMessage(L"%s", line.c_str()); });
    NoLaunch noLaunch;
    overrideProcessLauncher(&noLaunch);
    prepareSettings(args[2]);
    for (const auto& [section, key, value] : settings) {
        // "km:" names a section of the key map instead of the settings file.
        const bool keyMap = section.startsWith(QLatin1String(kKeyMapPrefix));
        const std::wstring& file = keyMap ? AppDataPaths().keyMapFile : AppDataPaths().settingsFile;
        WritePrivateProfileStringW(section.mid(keyMap ? qsizetype(std::strlen(kKeyMapPrefix)) : 0).toStdWString().c_str(),
                                   key.toStdWString().c_str(), value.toStdWString().c_str(), file.c_str());
    }
    const bool state = args.size() > 3;
    Tour tour(args[1], state ? args[2] + "-" + args[3] : args[2]);
    if (state && args[3].startsWith("vehicle-"))
        tour.m_innerCommand = 3;
    tour.m_waitForVehicleValues = !(state && args[3].contains("template"));
    tarvik::overrideProcessSleeper(&tour.m_sleeper);
    {
        CTrayWnd tray;
        tray.SetHardType(HardTypeFromName(args[2].toStdWString()));
        tray.CreateEx();
        if (state)
            tour.walk(tray, walk);
        else
            tour.run(tray);
    }
    overrideProcessLauncher(nullptr);
    tarvik::overrideProcessSleeper(nullptr);
    return tour.failures() ? 1 : 0;
}
