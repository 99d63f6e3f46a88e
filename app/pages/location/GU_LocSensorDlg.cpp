#include "GU_LocSensorDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GU_LocSensorGpsSetting.h"
#include "GpsPosition.h"
#include "Navorin.h"
#include "Trace.h"

#include <QLabel>

#include <atomic>
#include <charconv>

namespace {

constexpr int kFontHeight = 20;
constexpr int kNormalWeight = 400;
constexpr wchar_t kPlaceholder[] = L"-";
constexpr wchar_t kSection[] = L"LOCATION_SENSOR";
constexpr int kDefaultRetryMax = 2;
constexpr int kDefaultComPort = 3;
constexpr int kDefaultBaudRate = 9600;
constexpr wchar_t kDefaultComPortText[] = L"3";
constexpr wchar_t kDefaultBaudRateText[] = L"9600";
constexpr std::uint32_t kSettingChars = 260;
constexpr int kLowestPort = 1;
constexpr int kHighestPort = 1024;
// The position text is cut to this many bytes, as the page's buffer holds.
constexpr std::size_t kPositionTextBytes = 260;

constexpr int kLabelX = 340;
constexpr int kGpsLabelX = 740;
constexpr int kValueX = 540;
constexpr int kGpsValueX = 890;
constexpr int kLabelWidth = 170;
constexpr int kSensorValueWidth = 370;
constexpr int kTextHeight = 40;

constexpr StaticTextDef kTexts[] = {
    {1053, L"G-Sensor :", kLabelX, 150, kLabelWidth, kTextHeight},
    {1054, L"Temperature :", kLabelX, 200, kLabelWidth, kTextHeight},
    {1055, L"Module RF :", kGpsLabelX, 300, kLabelWidth, kTextHeight},
    {1056, L"Serial Port :", kGpsLabelX, 330, kLabelWidth, kTextHeight},
    {1057, L"Baud Rate :", kGpsLabelX, 360, kLabelWidth, kTextHeight},
    {GU_LocSensorDlg::kAntennaLabelId, L"Antenna Monitor :", kGpsLabelX, 390, kLabelWidth, kTextHeight},
    {1059, L"Satellites :", kGpsLabelX, 420, kLabelWidth, kTextHeight},
    {1051, L"Location :", kGpsLabelX, 450, kLabelWidth, kTextHeight},
    {GU_LocSensorDlg::kGSensorValueId, kPlaceholder, kValueX, 150, kSensorValueWidth, kTextHeight},
    {GU_LocSensorDlg::kTemperatureValueId, kPlaceholder, kValueX, 200, kSensorValueWidth, kTextHeight},
    {GU_LocSensorDlg::kModuleRfValueId, kPlaceholder, kGpsValueX, 300, kLabelWidth, kTextHeight},
    {GU_LocSensorDlg::kSerialPortValueId, kPlaceholder, kGpsValueX, 330, kLabelWidth, kTextHeight},
    {GU_LocSensorDlg::kBaudRateValueId, kPlaceholder, kGpsValueX, 360, kLabelWidth, kTextHeight},
    {GU_LocSensorDlg::kAntennaValueId, kPlaceholder, kGpsValueX, 390, kLabelWidth, kTextHeight},
    {GU_LocSensorDlg::kSatellitesValueId, kPlaceholder, kGpsValueX, 420, kLabelWidth, kTextHeight},
    {GU_LocSensorDlg::kLocationValueId, kPlaceholder, kGpsValueX, 450, kLabelWidth, kTextHeight},
};

std::atomic<double> g_lastLatitude{kNoPosition};
std::atomic<double> g_lastLongitude{kNoPosition};
GU_LocSensorGpsSetting* g_gpsSettingPage = nullptr; // interface thread only

// "%f" and "%.2f" as the C library formats them in its default locale: the interface thread runs in
// the user's locale, whose decimal comma the page does not show.
std::wstring Fixed(double value, int decimals)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::wstring(text, result.ptr);
}

} // namespace

double GU_LocSensorDlg::LastLatitude() { return g_lastLatitude.load(); }
double GU_LocSensorDlg::LastLongitude() { return g_lastLongitude.load(); }
void GU_LocSensorDlg::SetLastPosition(double latitude, double longitude)
{
    g_lastLatitude.store(latitude);
    g_lastLongitude.store(longitude);
}
GU_LocSensorGpsSetting* GU_LocSensorDlg::GpsSettingPage() { return g_gpsSettingPage; }

GU_LocSensorDlg::GU_LocSensorDlg(QWidget* parent) : CPageDlg(L"GU_LocSensorDlg", "IDB_LOCSENSORBASE_L", parent)
{
    // The closing steps belong to the end of the modal run: this object lives on after it.
    connect(this, &QDialog::finished, this, [this] { OnClosing(); });
}

GU_LocSensorDlg::~GU_LocSensorDlg()
{
    ReleaseSettingPage();
    EndWorker();
}

bool GU_LocSensorDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const QFont font = MakeFont(kFontHeight, kNormalWeight);
    AddHomeButton(kHomeId, 40, 445, "IDB_LOCSENSOR_HOME_L", L"OnClicked_DevinfoHome", IDCANCEL);
    AddStaticTexts({kTexts[0], kTexts[1], kTexts[2], kTexts[3], kTexts[4], kTexts[5], kTexts[6], kTexts[7],
                    kTexts[8], kTexts[9], kTexts[10], kTexts[11], kTexts[12], kTexts[13], kTexts[14], kTexts[15]},
                   font);
    AddButton(kGpsSwitchId, 311, 290, "IDB_LOCSENSOR_GPS_ON_L", "IDB_LOCSENSOR_GPS_ON_L");
    AddButton(kGpsSettingId, 503, 290, "IDB_LOCSENSOR_GPS_SETTING_L", "IDB_LOCSENSOR_GPS_SETTING_L",
              [this] { OnClicked_LocsensorGpsSetting(); });
    for (int id : {kGpsSwitchId, kAntennaLabelId, kAntennaValueId}) {
        ShowItem(id, false);
        EnableItem(id, false);
    }
    SetTimer(kSensorTimerId, kSensorPeriodMs);
    // An open settings page goes first when the home screen closes this page.
    SetChildTitles({L"LocationSetting"});
    StartWorker();
    SetTitle(L"LocationStatus");
    return true;
}

void GU_LocSensorDlg::StartWorker()
{
    EndWorker(); // a worker of an earlier start is ended first, never run twice
    if (!m_gpsWorker.Start([this](CPageWorker::Context& worker) { GetAllLocSensorStatus(worker); }))
        TraceMessage(L"Can't create thread to monitor location status");
}

void GU_LocSensorDlg::EndWorker()
{
    if (!m_gpsWorker.IsRunning())
        return;
    // The worker ends before the library stops: a start attempt that is under way then cannot
    // reopen the port after the stop. A worker still inside that attempt after the bound is let go;
    // the stop waits for its attempt and closes the port after it.
    m_gpsWorker.Stop(CPageWorker::kStopBound);
    vS_GPSStop();
}

void GU_LocSensorDlg::ReleaseSettingPage()
{
    if (!m_gpsSettingDlg)
        return;
    m_gpsSettingDlg->DestroyWindow();
    if (g_gpsSettingPage == m_gpsSettingDlg.get())
        g_gpsSettingPage = nullptr;
    m_gpsSettingDlg.reset();
}

void GU_LocSensorDlg::DestroyWindow()
{
    ReleaseSettingPage();
    CPageDlg::DestroyWindow();
}

void GU_LocSensorDlg::OnClosing()
{
    KillTimer(kSensorTimerId);
    if (m_gpsSettingDlg) {
        m_gpsSettingDlg->DestroyWindow();
        if (g_gpsSettingPage == m_gpsSettingDlg.get())
            g_gpsSettingPage = nullptr;
    }
    EndWorker();
}

LRESULT GU_LocSensorDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LOCATION_REFRESH) {
        StartWorker();
        return 0;
    }
    return CPageDlg::WindowProc(message, wParam, lParam);
}

void GU_LocSensorDlg::OnTimer(int id)
{
    if (id != kSensorTimerId)
        return;
    CMiravel::GSensorData data{};
    int ret = m_miravel.vSR_GSensorValueGet(&data);
    std::wstring text = ret ? L"X=" + Fixed(data.x, 6) + L" Y=" + Fixed(data.y, 6) + L" Z=" + Fixed(data.z, 6)
                            : std::wstring(L"Get gsensor value failed.");
    ShowValue(kGSensorValueId, QString::fromStdWString(text));
    TraceMessage(L"OnTimer: vSR_GSensorValueGet: bRet = %d, buffer=%s", ret, text.c_str());

    float celsius = 0;
    ret = m_miravel.vSR_TempSensorValueGet(&celsius);
    text = ret ? Fixed(celsius, 2) + L" \u2103" : std::wstring(L"Get temperature sensor value failed.");
    ShowValue(kTemperatureValueId, QString::fromStdWString(text));
    TraceMessage(L"OnTimer: vSR_TempSensorValueGet: bRet = %d, buffer=%s", ret, text.c_str());
}

void GU_LocSensorDlg::ShowValue(int id, const QString& text)
{
    SetItemText(id, text);
    // The text is transparent: the page picture under it is drawn again.
    if (QWidget* item = GetDlgItem(id))
        update(item->geometry());
}

void GU_LocSensorDlg::OnClicked_LocsensorGpsSetting()
{
    ReleaseSettingPage();
    EndWorker();
    if (CMyBitmapButton* button = Button(kGpsSettingId))
        button->RedrawNow();
    m_gpsSettingDlg = std::make_unique<GU_LocSensorGpsSetting>(this);
    g_gpsSettingPage = m_gpsSettingDlg.get();
    m_gpsSettingDlg->SetPosition(LastLatitude(), LastLongitude());
    m_gpsSettingDlg->DoModal();
    // The worker stays stopped until the settings page asks for it with WM_LOCATION_REFRESH.
}

void GU_LocSensorDlg::GetAllLocSensorStatus(CPageWorker::Context& worker)
{
    // Only the worker and what it captured by value are used here; the page is reached through
    // posted work, which is dropped once the page or this worker is gone.
    const int rfRetryMax = ReadSettingInt(kSection, L"RF_RETRY_MAX", kDefaultRetryMax);
    TraceMessage(L"LOCATION_SENSOR: RF_RETRY_MAX=%d", rfRetryMax);
    const int comPort = ReadSettingInt(kSection, L"COM_PORT", kDefaultComPort);
    const int baudRate = ReadSettingInt(kSection, L"BAUD_RATE", kDefaultBaudRate);
    TraceMessage(L"LOCATION_SENSOR: COM_PORT=%d  BAUD_RATE = %d", comPort, baudRate);
    const QString comText = QString::fromStdWString(ReadSettingText(kSection, L"COM_PORT", kDefaultComPortText, kSettingChars));
    const QString baudText =
        QString::fromStdWString(ReadSettingText(kSection, L"BAUD_RATE", kDefaultBaudRateText, kSettingChars));
    worker.Post([this, comText, baudText] {
        ShowValue(kSerialPortValueId, comText);
        ShowValue(kBaudRateValueId, baudText);
    });
    if (comPort < kLowestPort || comPort > kHighestPort)
        TraceMessage(L"LOCATION_SENSOR: COM_PORT <%s> is no port number (%d..%d): the GPS cannot start",
                     comText.toStdWString().c_str(), kLowestPort, kHighestPort);

    // The sensor library is the interface thread's: the module status is read there.
    struct ModuleStatus {
        int ret = 0;
        int status = 0;
    };
    auto module = std::make_shared<ModuleStatus>();
    if (!worker.CallAndWait([this, module] {
            module->ret = m_miravel.vSR_GPSModuleStatus(&module->status);
            TraceMessage(L"GetAllLocSensorStatus: vSR_GPSModuleStatus: bRet = %d, b_gpsrf_module = %d", module->ret,
                         module->status);
            ShowValue(kModuleRfValueId, !module->ret ? QStringLiteral("-")
                                        : module->status == 1 ? QStringLiteral("Enable")
                                                              : QStringLiteral("Disable"));
        }))
        return;
    const bool moduleEnabled = module->ret && module->status == 1;

    vS_GPSSerialPortSet(comPort);
    vS_GPSBaudRateSet(baudRate);

    int count = 0;
    for (; count < rfRetryMax; ++count) {
        if (worker.StopRequested())
            return;
        const int ret = vS_GPSStart();
        TraceMessage(L"GetAllLocSensorStatus: vS_GPSStart: bRet = %d count=[%d] m_RfRetryMax=[%d]", ret, count,
                     rfRetryMax);
        if (ret)
            break;
        if (moduleEnabled && count == rfRetryMax - 1 && !worker.ShowMessageAndWait(L"GPS init COM port fail!"))
            return;
        if (!worker.Pause(kRetryPauseMs))
            return;
    }
    if (count < kPollAttemptLimit && !worker.StopRequested())
        PollGps(worker);
}

void GU_LocSensorDlg::PollGps(CPageWorker::Context& worker)
{
    do {
        int satellites = 0;
        const QString satellitesText = vS_GPSSatellites(&satellites) ? QString::number(satellites) : QStringLiteral("-");
        worker.Post([this, satellitesText] { ShowValue(kSatellitesValueId, satellitesText); });

        const GpsReading reading = ReadGpsPosition();
        QString positionText = QStringLiteral("-");
        if (reading.hasText) {
            std::string bytes = reading.latitudeText + " \n" + reading.longitudeText;
            if (bytes.size() > kPositionTextBytes - 1)
                bytes.resize(kPositionTextBytes - 1);
            positionText = QString::fromLocal8Bit(bytes.c_str());
        }
        if (reading.hasDecimal)
            TraceMessage(L"vS_GPSPositionDouble: dlongitude=%7f dlatitude=%7f", reading.decimalLongitude,
                         reading.decimalLatitude);
        // With its sign: the map must not open a southern or western fix in the north-east.
        SetLastPosition(reading.latitude, reading.longitude);
        worker.Post([this, positionText] { ShowValue(kLocationValueId, positionText); });
    } while (worker.Pause(kPollPeriodMs));
}
