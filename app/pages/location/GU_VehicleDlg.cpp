#include "GU_VehicleDlg.h"

#include "AppPaths.h"
#include "GpsPosition.h"
#include "Navorin.h"
#include "Rovanta.h"
#include "Trace.h"
#include "TrayLink.h"

#include <QLabel>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

namespace {

constexpr wchar_t kVehicleSection[] = L"VEHICLE_STATUS";
constexpr wchar_t kLocationSection[] = L"LOCATION_SENSOR";
constexpr int kDefaultVehiclePort = 2;
constexpr int kDefaultVehicleBaud = 115200;
constexpr int kDefaultIntervalMs = 50;
constexpr int kDefaultGpsPort = 3;
constexpr int kDefaultGpsBaud = 9600;

constexpr int kValueFontHeight = 30;
constexpr int kValueFontWeight = 400;
constexpr int kUnitFontHeight = 12;
constexpr int kUnitFontWeight = 700;
constexpr int kValueWidth = 100;
constexpr int kValueHeight = 40;
constexpr int kUnitWidth = 30;
constexpr int kUnitHeight = 20;
constexpr double kMillivoltsPerVolt = 1000.0;

// The values and their template texts, shown until a worker or the timer first writes them.
constexpr StaticTextDef kValueTexts[] = {
    {GU_VehicleDlg::kVoltageId, L"--- V", 478, 245, kValueWidth, kValueHeight},
    {GU_VehicleDlg::kTachographId, L"---", 673, 245, kValueWidth, kValueHeight},
    {GU_VehicleDlg::kEngineSpeedId, L"----", 870, 245, kValueWidth, kValueHeight},
    {GU_VehicleDlg::kFuelUsedId, L"--- L", 478, 430, kValueWidth, kValueHeight},
    {GU_VehicleDlg::kFuelTemperatureId, L"-- \u2103", 673, 430, kValueWidth, kValueHeight},
    {GU_VehicleDlg::kCoolantTemperatureId, L"-- \u2103", 870, 430, kValueWidth, kValueHeight},
};
constexpr StaticTextDef kUnitTexts[] = {
    {GU_VehicleDlg::kTachographUnitId, L"KM/H", 748, 265, kUnitWidth, kUnitHeight},
    {GU_VehicleDlg::kEngineSpeedUnitId, L"RPM", 945, 265, kUnitWidth, kUnitHeight},
};

// What a failed value call shows for that pass.
constexpr char kNoSpeed[] = "-";
constexpr char kNoLitres[] = "- L";
constexpr char kNoTemperature[] = "- \u2103";

// The program-wide position: written by the position worker, read by the map button.
std::atomic<double> g_longitude{kNoPosition};
std::atomic<double> g_latitude{kNoPosition};

// The vehicle library is one port for the whole program. A closed page's vehicle worker may still
// be inside a value call that runs into its time limit on the closed port (let go by the page's
// bounded stop); the next page's worker waits here for it before it opens the port again, so the
// two never share an exchange.
std::mutex g_vehicleLibrary;
constexpr unsigned kLibraryWaitStepMs = 50;

// The longest a value call can take once the port is closed: the answer exchange's 150 polls and
// the stop exchange's 150, 20 ms each, with room to spare.
constexpr std::chrono::milliseconds kLibraryCallBound{2 * 150 * 20 + 500};

// When the application object goes, a vehicle worker that was let go may still be inside its last
// value call; the library's state (its port object) must outlive that call, so the program's end
// waits for it, as long as such a call can take.
void waitForLetGoVehicleWorker()
{
    const auto deadline = std::chrono::steady_clock::now() + kLibraryCallBound;
    while (!g_vehicleLibrary.try_lock()) {
        if (std::chrono::steady_clock::now() > deadline)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    g_vehicleLibrary.unlock();
}

// A text result of the library as a number; the text is released either way.
std::optional<int> takeNumber(int result, char* text)
{
    std::optional<int> value;
    if (result && text)
        value = static_cast<int>(std::strtol(text, nullptr, 10));
    vVS_free(text);
    return value;
}

QString celsius(long value) { return QString::asprintf("%ld \u2103", value); }

} // namespace

GU_VehicleDlg::GU_VehicleDlg(QWidget* parent) : CPageDlg(L"GU_VehicleDlg", "IDB_VEHICLEBASE_L", parent)
{
    static const bool waitAtEnd = [] {
        qAddPostRoutine(&waitForLetGoVehicleWorker);
        return true;
    }();
    (void)waitAtEnd;
    if (CTrayLink* tray = CTrayLink::Current())
        tray->SetVehiclePage(this);
}

GU_VehicleDlg::~GU_VehicleDlg()
{
    WindowGone();
    ClearTrayPointer();
}

double GU_VehicleDlg::Longitude() { return g_longitude.load(); }
double GU_VehicleDlg::Latitude() { return g_latitude.load(); }

bool GU_VehicleDlg::WorkersRunning() const { return m_vehicleWorker.IsRunning() || m_positionWorker.IsRunning(); }

bool GU_VehicleDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const QFont valueFont = MakeFont(kValueFontHeight, kValueFontWeight);
    const QFont unitFont = MakeFont(kUnitFontHeight, kUnitFontWeight);
    AddHomeButton(kHomeId, 40, 445, "IDB_VEHICLE_HOME_L", L"OnClicked_VehicleHome", IDCANCEL);
    AddButton(kMapId, 249, 312, "IDB_VEHICLE_LOCATION_L", nullptr, [this] { OnClicked_VehicleLocation(); });
    for (const StaticTextDef& text : kValueTexts)
        AddStaticText(text, valueFont, Qt::black);
    for (const StaticTextDef& text : kUnitTexts)
        AddStaticText(text, unitFont, Qt::black);

    // The bodies use the page only inside the work they post, which runs while the page lives.
    if (!m_vehicleWorker.Start([this](CPageWorker::Context& w) { MonitorVehicle(w); }))
        TraceMessage(L"Can't create thread to monitor vehicle status");
    else if (!m_positionWorker.Start([this](CPageWorker::Context& w) { MonitorLocation(w); }))
        TraceMessage(L"Can't create thread to monitor location status");
    SetTimer(kVoltageTimerId, kVoltagePeriodMs);
    SetTitle(L"VehicleStatus");
    return true;
}

LRESULT GU_VehicleDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE_CHILDREN) {
        // The cancel command that follows closes the page.
        ClearTrayPointer();
        return 0;
    }
    return CPageDlg::WindowProc(message, wParam, lParam);
}

void GU_VehicleDlg::OnTimer(int id)
{
    if (id == kVoltageTimerId)
        OnVoltageTimer();
}

void GU_VehicleDlg::OnVoltageTimer()
{
    // A failed read leaves the pre-set 0: the page shows 0.00 V.
    int millivolts = 0;
    m_kestrom.vVehicleBatteryVoltage(&millivolts);
    m_batteryVoltage = millivolts / kMillivoltsPerVolt;
    SetItemText(kVoltageId, QString::asprintf("%.2f V", m_batteryVoltage));
}

// On the vehicle worker: the interpreter's port from the settings, then the four values of a pass
// handed to the page one by one, until the page closes. A stop is looked at between the calls,
// which each end within the library's own time limit once vVS_UnInit has closed the port.
void GU_VehicleDlg::MonitorVehicle(CPageWorker::Context& worker)
{
    std::unique_lock library(g_vehicleLibrary, std::try_to_lock);
    while (!library.owns_lock()) {
        if (!worker.Pause(kLibraryWaitStepMs))
            return;
        library.try_lock();
    }
    vVS_SetPortNumber(ReadSettingInt(kVehicleSection, L"COM_PORT", kDefaultVehiclePort));
    vVS_SetBaudRate(ReadSettingInt(kVehicleSection, L"BAUD_RATE", kDefaultVehicleBaud));
    const int initialised = vVS_Init();
    TraceMessage(L"vVS_Init: bRet = %d", initialised);
    if (worker.StopRequested()) {
        // The page closed while the port was being opened: its vVS_UnInit may have come first.
        vVS_UnInit();
        return;
    }
    if (!initialised) {
        worker.ShowMessageAndWait(L"Open COM port or initialize vehicle status fail!");
        return;
    }
    const int interval = ReadSettingInt(kVehicleSection, L"INTERVAL", kDefaultIntervalMs);
    for (;;) {
        char* text = nullptr;
        int bRet = vVS_VechicleTachographSpeed(&text);
        const auto tachograph = takeNumber(bRet, text);
        if (worker.StopRequested())
            return;
        worker.Post([this, tachograph] {
            if (tachograph)
                m_tachographSpeed = *tachograph;
            SetItemText(kTachographId, tachograph ? QString::number(*tachograph) : kNoSpeed);
        });
        if (worker.StopRequested())
            return;

        text = nullptr;
        bRet = vVS_VehicleEngineedSpeed(&text);
        const auto engine = takeNumber(bRet, text);
        if (worker.StopRequested())
            return;
        worker.Post([this, engine] {
            if (engine)
                m_engineSpeed = *engine;
            SetItemText(kEngineSpeedId, engine ? QString::number(*engine) : kNoSpeed);
        });
        if (worker.StopRequested())
            return;

        long litres = 0;
        const bool fuelRead = vVS_VehicleFuelLoad(&litres) == 1;
        if (worker.StopRequested())
            return;
        worker.Post([this, fuelRead, litres] {
            if (fuelRead)
                m_fuelUsed = litres;
            SetItemText(kFuelUsedId, fuelRead ? QString::asprintf("%ld L", litres) : kNoLitres);
        });
        if (worker.StopRequested())
            return;

        long coolant = 0;
        long fuel = 0;
        const bool temperaturesRead = vVS_VechicleEngineCoolantAndFuelTemperature(&coolant, &fuel) == 1;
        if (worker.StopRequested())
            return;
        worker.Post([this, temperaturesRead, coolant, fuel] {
            if (temperaturesRead) {
                m_coolantTemperature = coolant;
                m_fuelTemperature = fuel;
            }
            SetItemText(kFuelTemperatureId, temperaturesRead ? celsius(fuel) : kNoTemperature);
            SetItemText(kCoolantTemperatureId, temperaturesRead ? celsius(coolant) : kNoTemperature);
        });
        // An interval of 0 polls without pause, but the pause still looks at the stop request.
        if (!worker.Pause(interval))
            return;
    }
}

// On the position worker: the GPS library started once on the configured port, then the
// program-wide position every 3 seconds. The library is left started when the page closes.
void GU_VehicleDlg::MonitorLocation(CPageWorker::Context& worker)
{
    const int port = ReadSettingInt(kLocationSection, L"COM_PORT", kDefaultGpsPort);
    const int baud = ReadSettingInt(kLocationSection, L"BAUD_RATE", kDefaultGpsBaud);
    TraceMessage(L"LOCATION_SENSOR: COM_PORT=%d  BAUD_RATE = %d", port, baud);
    vS_GPSSerialPortSet(port);
    vS_GPSBaudRateSet(baud);
    if (!vS_GPSStart()) {
        worker.ShowMessageAndWait(L"GPS init COM port fail!");
        return;
    }
    do {
        // The library's decimal position has no sign; the reading takes it from the text position.
        const GpsReading reading = ReadGpsPosition();
        if (reading.hasPosition()) {
            g_longitude = reading.longitude;
            g_latitude = reading.latitude;
            TraceMessage(L"vS_GPSPositionDouble: dlongitude=%7f dlatitude=%7f", reading.decimalLongitude,
                         reading.decimalLatitude);
        } else {
            g_longitude = kNoPosition;
            g_latitude = kNoPosition;
        }
    } while (worker.Pause(kPositionPeriodMs));
}

void GU_VehicleDlg::OnClicked_VehicleLocation()
{
    TraceMessage(L"GU_VehicleDlg:OnClicked_VehicleLocation");
    // A missing position, the address, its trace, its length and the browser: as on the GPS
    // settings page.
    OpenPositionOnMap(L"OnClicked_VehicleLocation", g_latitude.load(), g_longitude.load());
}

void GU_VehicleDlg::done(int result)
{
    CPageDlg::done(result);
    WindowGone();
}

void GU_VehicleDlg::DestroyWindow()
{
    CPageDlg::DestroyWindow();
    WindowGone();
}

// The closing steps run when the page's run ends, not when its object is released (the home screen
// keeps the object until the section is opened again). Both workers are asked to stop first, so
// neither starts another call; then the port is closed, so that an exchange in progress runs into
// its time limit; then both are ended within the workers' bound. A vehicle worker still inside
// that value call is let go: it posts nothing more, holds the library until the call returns and
// then ends by itself. The GPS library stays started.
void GU_VehicleDlg::WindowGone()
{
    if (m_windowGone)
        return;
    m_windowGone = true;
    KillTimer(kVoltageTimerId);
    m_vehicleWorker.RequestStop();
    m_positionWorker.RequestStop();
    vVS_UnInit();
    m_vehicleWorker.Stop();
    m_positionWorker.Stop();
    ClearTrayPointer();
}

void GU_VehicleDlg::ClearTrayPointer()
{
    if (CTrayLink* tray = CTrayLink::Current(); tray && tray->VehiclePage() == this)
        tray->SetVehiclePage(nullptr);
}
