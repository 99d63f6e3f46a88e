// The skin table and the pictures the build drew from it: every picture the pages name is there at
// its size, controls sit inside their host pictures, the slider thumb carries its transparent colour,
// and two states of a control can be told apart in greyscale.

#include "QtTestEnvironment.h"

#include "SkinPainter.h"
#include "SkinTable.h"

#include <QDir>
#include <QSet>

using skin::AllPictures;
using skin::Kind;
using skin::Picture;

namespace {

// Every picture name the pages load, as they spell them.
const char* const kNamedByThePages[] = {
        "IDB_12VSET_115_SHUTDOWN_CHECK_L", "IDB_12VSET_115_SHUTDOWN_UNCHECK_L",
        "IDB_24VSET_230_STARTUP_CHECK_L", "IDB_24VSET_230_STARTUP_UNCHECK_L", "IDB_24VSET_235_CHECK_L",
        "IDB_24VSET_235_UNCHECK_L", "IDB_36VSET_350_SHUTDOWN_CHECK_L", "IDB_36VSET_350_SHUTDOWN_UNCHECK_L",
        "IDB_36VSET_350_STARTUP_CHECK_L", "IDB_36VSET_350_STARTUP_UNCHECK_L", "IDB_48VSET_465_SHUTDOWN_CHECK_L",
        "IDB_48VSET_465_SHUTDOWN_UNCHECK_L", "IDB_48VSET_465_STARTUP_CHECK_L",
        "IDB_48VSET_465_STARTUP_UNCHECK_L", "IDB_ALERTSMSON_BASE_L", "IDB_ALERTSMSON_OK_L",
        "IDB_ALERTWWANPOWEROFF_BASE_L", "IDB_ALERTWWANPOWEROFF_OK_L", "IDB_COMMBASE_L", "IDB_COMM_BT_L",
        "IDB_COMM_BT_MODULE_OFF_L", "IDB_COMM_BT_MODULE_ON_L", "IDB_COMM_HOME_L", "IDB_COMM_L",
        "IDB_COMM_MODULE_DISABLE_L", "IDB_COMM_MODULE_ENABLE_L", "IDB_COMM_SETTING_OK_L",
        "IDB_COMM_SLOT1_GRAY_L", "IDB_COMM_SLOT1_L", "IDB_COMM_SLOT2_L", "IDB_COMM_WLANBT_MODULE_OFF_L",
        "IDB_COMM_WLANBT_MODULE_ON_L", "IDB_COMM_WLAN_ANT_EXT_L", "IDB_COMM_WLAN_ANT_INT_L", "IDB_COMM_WLAN_L",
        "IDB_COMM_WLAN_MODULE_OFF_L", "IDB_COMM_WLAN_MODULE_ON_L", "IDB_COMM_WWAN_OFF_L", "IDB_COMM_WWAN_ON_L",
        "IDB_COMM_WWAN_SETTINGBASE_L", "IDB_COMM_WWAN_SETTING_L", "IDB_DEVINFOBASE_L", "IDB_DEVINFO_HOME_L",
        "IDB_DEVINFO_L", "IDB_EXIT_L", "IDB_LOCATION_L", "IDB_LOCSENSORBASE_L",
        "IDB_LOCSENSOR_GPSSETTING_ANTENNA_SET_L", "IDB_LOCSENSOR_GPSSETTING_BASE_L",
        "IDB_LOCSENSOR_GPSSETTING_HOME_L", "IDB_LOCSENSOR_GPSSETTING_LOCATION_SET_L",
        "IDB_LOCSENSOR_GPSSETTING_RF_OFF_L", "IDB_LOCSENSOR_GPSSETTING_RF_ON_L",
        "IDB_LOCSENSOR_GPSSETTING_SATELLITES_SET_DISABLE_L", "IDB_LOCSENSOR_GPSSETTING_SATELLITES_SET_L",
        "IDB_LOCSENSOR_GPS_ON_L", "IDB_LOCSENSOR_GPS_SETTING_L", "IDB_LOCSENSOR_HOME_L", "IDB_MAINBASE",
        "IDB_MAINBASE_768", "IDB_MYMESSAGEBASE_L", "IDB_MYMESSAGE_OK_L", "IDB_SYSBRIGHTNESS_AUTODIMMING_OFF_L",
        "IDB_SYSBRIGHTNESS_AUTODIMMING_ON_L", "IDB_SYSBRIGHTNESS_BASE_L", "IDB_SYSBRIGHTNESS_DOWN",
        "IDB_SYSBRIGHTNESS_HOME_L", "IDB_SYSBRIGHTNESS_SLIDERBAR", "IDB_SYSBRIGHTNESS_SLIDERTHUMB",
        "IDB_SYSBRIGHTNESS_UP", "IDB_SYSIOCONF_BASE_L", "IDB_SYSIOCONF_COM1_0V_OFF_L",
        "IDB_SYSIOCONF_COM1_0V_ON_L", "IDB_SYSIOCONF_COM1_12V_OFF_L", "IDB_SYSIOCONF_COM1_12V_ON_L",
        "IDB_SYSIOCONF_COM1_5V_OFF_L", "IDB_SYSIOCONF_COM1_5V_ON_L", "IDB_SYSIOCONF_COM2_232_OFF_L",
        "IDB_SYSIOCONF_COM2_232_ON_L", "IDB_SYSIOCONF_COM2_422_OFF_L", "IDB_SYSIOCONF_COM2_422_ON_L",
        "IDB_SYSIOCONF_COM2_485_OFF_L", "IDB_SYSIOCONF_COM2_485_ON_L", "IDB_SYSIOCONF_COM2_L",
        "IDB_SYSIOCONF_HOME_L", "IDB_SYSPOWERMGT_12VSET_BASE_L", "IDB_SYSPOWERMGT_24VSET_BASE_L",
        "IDB_SYSPOWERMGT_24VSET_CANCEL_L", "IDB_SYSPOWERMGT_24VSET_SAVE_L", "IDB_SYSPOWERMGT_36VSET_CANCEL_L",
        "IDB_SYSPOWERMGT_36VSET_SAVE_L", "IDB_SYSPOWERMGT_48VSET_CANCEL_L", "IDB_SYSPOWERMGT_48VSET_SAVE_L",
        "IDB_SYSPOWERMGT_RQ81_36VSET_BASE_L", "IDB_SYSPOWERMGT_RQ81_48VSET_BASE_L",
        "IDB_SYSPOWERMGT_SET_CANCEL_L", "IDB_SYSPOWERMGT_SET_SAVE_L", "IDB_SYSPOWER_ACC_DETECT_DISABLE_L",
        "IDB_SYSPOWER_ACC_DETECT_ENABLE_L", "IDB_SYSPOWER_ACC_SENSOR_MODE_DISABLE_L",
        "IDB_SYSPOWER_ACC_SENSOR_MODE_ENABLE_L", "IDB_SYSPOWER_ACC_STATUS_OFF_DISABLE_L",
        "IDB_SYSPOWER_ACC_STATUS_OFF_L", "IDB_SYSPOWER_ACC_STATUS_ON_DISABLE_L", "IDB_SYSPOWER_ACC_STATUS_ON_L",
        "IDB_SYSPOWER_BASE_L", "IDB_SYSPOWER_HOME_L", "IDB_SYSPOWER_INPUTVOLTAGE_DISABLE_T_L",
        "IDB_SYSPOWER_INPUTVOLTAGE_ENABLE_T_L", "IDB_SYSPOWER_POWERBTN_DISABLE_L",
        "IDB_SYSPOWER_POWERBTN_ENABLE_L", "IDB_SYSPOWER_POWEROFF_DELAY_OFF_DISABLE_L",
        "IDB_SYSPOWER_POWEROFF_DELAY_OFF_ENABLE_L", "IDB_SYSPOWER_POWEROFF_DELAY_ON_DISABLE_L",
        "IDB_SYSPOWER_POWEROFF_DELAY_ON_ENABLE_L", "IDB_SYSPOWER_POWERON_DELAY_OFF_DISABLE_L",
        "IDB_SYSPOWER_POWERON_DELAY_OFF_ENABLE_L", "IDB_SYSPOWER_POWERON_DELAY_ON_DISABLE_L",
        "IDB_SYSPOWER_POWERON_DELAY_ON_ENABLE_L", "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_DISABLE_T_L",
        "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_ENABLE_T_L", "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_SET_DISABLE_L",
        "IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_SET_ENABLE_L", "IDB_SYSPROGRAM_BUTTON_BASE_L",
        "IDB_SYSPROGRAM_BUTTON_EXIT_L", "IDB_SYSPROGRAM_BUTTON_FN_OFF_L", "IDB_SYSPROGRAM_BUTTON_FN_ON_L",
        "IDB_SYSPROGRAM_BUTTON_OTHER_BASE_L", "IDB_SYSPROGRAM_BUTTON_OTHER_CANCEL_L",
        "IDB_SYSPROGRAM_BUTTON_OTHER_EXIT_L", "IDB_SYSPROGRAM_BUTTON_OTHER_FOLDER_L",
        "IDB_SYSPROGRAM_BUTTON_OTHER_L", "IDB_SYSPROGRAM_BUTTON_OTHER_REMARK_L",
        "IDB_SYSPROGRAM_BUTTON_OTHER_RQ81_L", "IDB_SYSPROGRAM_BUTTON_OTHER_SAVE_L",
        "IDB_SYSPROGRAM_BUTTON_RQ81_BASE_L", "IDB_SYSSETTING_L", "IDB_SYSTEMSETTINGBASE_L",
        "IDB_SYSTEMSETTING_HOME_L", "IDB_SYSWAKEUP_BASE_L", "IDB_SYSWAKEUP_HOME_L",
        "IDB_SYSWAKEUP_RTC_CONTENT_OFF_L", "IDB_SYSWAKEUP_RTC_CONTENT_ON_L", "IDB_SYSWAKEUP_RTC_OFF_L",
        "IDB_SYSWAKEUP_RTC_ON_L", "IDB_SYSWAKEUP_RTC_ON_SAVE_L", "IDB_SYSWAKEUP_SMS_CONTENT_OFF_L",
        "IDB_SYSWAKEUP_SMS_CONTENT_ON_L", "IDB_SYSWAKEUP_SMS_OFF_L", "IDB_SYSWAKEUP_SMS_ON_L",
        "IDB_SYSWAKEUP_SMS_TEXT_L", "IDB_SYSWAKEUP_SMS_TEXT_SAVE_L", "IDB_SYSWATCHDOG_128SEC_OFF_L",
        "IDB_SYSWATCHDOG_128SEC_ON_L", "IDB_SYSWATCHDOG_16SEC_OFF_L", "IDB_SYSWATCHDOG_16SEC_ON_L",
        "IDB_SYSWATCHDOG_1SEC_OFF_L", "IDB_SYSWATCHDOG_1SEC_ON_L", "IDB_SYSWATCHDOG_256SEC_OFF_L",
        "IDB_SYSWATCHDOG_256SEC_ON_L", "IDB_SYSWATCHDOG_2SEC_OFF_L", "IDB_SYSWATCHDOG_2SEC_ON_L",
        "IDB_SYSWATCHDOG_32SEC_OFF_L", "IDB_SYSWATCHDOG_32SEC_ON_L", "IDB_SYSWATCHDOG_4SEC_OFF_L",
        "IDB_SYSWATCHDOG_4SEC_ON_L", "IDB_SYSWATCHDOG_64SEC_OFF_L", "IDB_SYSWATCHDOG_64SEC_ON_L",
        "IDB_SYSWATCHDOG_8SEC_OFF_L", "IDB_SYSWATCHDOG_8SEC_ON_L", "IDB_SYSWATCHDOG_BASE_L",
        "IDB_SYSWATCHDOG_HOME_L", "IDB_SYSWATCHDOG_SIMULATE_ALERT_L", "IDB_SYSWATCHDOG_SIMULATE_L",
        "IDB_SYSWATCHDOG_TIMER_OFF_L", "IDB_SYSWATCHDOG_TIMER_ON_L", "IDB_SYS_BRIGHTNESS_L",
        "IDB_SYS_EMERGBUTTON_CLEAR_L", "IDB_SYS_EMERGBUTTON_EMPTY_L", "IDB_SYS_EMERGBUTTON_GRAY_L",
        "IDB_SYS_IOCONF_L", "IDB_SYS_POWERMGT_GRAY_L", "IDB_SYS_POWERMGT_L", "IDB_SYS_PROGBUTTON_GRAY_L",
        "IDB_SYS_PROGBUTTON_L", "IDB_SYS_UPS2_L", "IDB_SYS_WAKEUP_L", "IDB_SYS_WATCHDOG_L", "IDB_VEHICLEBASE_L",
        "IDB_VEHICLE_HOME_L", "IDB_VEHICLE_L", "IDB_VEHICLE_LOCATION_L",
};

// Pictures whose size the pages state.
const struct {
    const char* name;
    int width;
    int height;
} kStatedSizes[] = {
    {"IDB_MAINBASE", 1024, 600}, {"IDB_MAINBASE_768", 1024, 768}, {"IDB_EXIT_L", 190, 134},
    {"IDB_DEVINFO_L", 190, 190}, {"IDB_VEHICLE_L", 190, 190}, {"IDB_COMM_L", 190, 190},
    {"IDB_SYSSETTING_L", 190, 190}, {"IDB_LOCATION_L", 190, 190}, {"IDB_MYMESSAGEBASE_L", 500, 300},
    {"IDB_MYMESSAGE_OK_L", 114, 114}, {"IDB_SYSPROGRAM_BUTTON_EXIT_L", 190, 134},
    {"IDB_SYSPROGRAM_BUTTON_OTHER_L", 140, 68}, {"IDB_SYSPROGRAM_BUTTON_OTHER_RQ81_L", 44, 38},
    {"IDB_SYSPROGRAM_BUTTON_FN_OFF_L", 260, 77}, {"IDB_SYSPROGRAM_BUTTON_FN_ON_L", 260, 77},
    {"IDB_SYSPROGRAM_BUTTON_BASE_L", 1024, 600}, {"IDB_SYSPROGRAM_BUTTON_RQ81_BASE_L", 1024, 600},
    {"IDB_SYSBRIGHTNESS_SLIDERBAR", 213, 30}, {"267", 4, 80}, {"266", 82, 81}, {"268", 3, 81},
    {"471", 4, 66}, {"470", 417, 66}, {"472", 4, 66}, {"496", 5, 48}, {"495", 211, 48}, {"497", 3, 48},
};

// The voltage dialogs' value pictures, named from the nominal voltage and the value in tenths.
QStringList voltageNames()
{
    const struct {
        int nominal;
        QList<int> startup;
        QList<int> shutdown;
        const char* startWord; // the word the shared value's start-up picture carries, if any
        const char* shutWord;
    } dialogs[] = {
        {12, {115, 120, 125}, {105, 110, 115}, "", "_SHUTDOWN"},
        {24, {230, 235, 240, 245, 250}, {210, 215, 220, 225, 230}, "_STARTUP", ""},
        {36, {350, 355, 360, 365, 370}, {330, 335, 340, 345, 350}, "_STARTUP", "_SHUTDOWN"},
        {48, {465, 470, 475, 480, 485}, {445, 450, 455, 460, 465}, "_STARTUP", "_SHUTDOWN"},
    };
    QStringList names;
    for (const auto& d : dialogs) {
        const int shared = d.startup.first();
        for (int v : d.startup) {
            const QString stem = QString("IDB_%1VSET_%2%3").arg(d.nominal).arg(v).arg(v == shared ? d.startWord : "");
            names << stem + "_UNCHECK_L" << stem + "_CHECK_L";
        }
        for (int v : d.shutdown) {
            const QString stem = QString("IDB_%1VSET_%2%3").arg(d.nominal).arg(v).arg(v == shared ? d.shutWord : "");
            names << stem + "_UNCHECK_L" << stem + "_CHECK_L";
        }
    }
    return names;
}

const Picture* find(const QString& name)
{
    for (const Picture& p : AllPictures())
        if (p.name == name)
            return &p;
    return nullptr;
}

// Share of the pixels whose grey levels differ clearly between two pictures of one size.
double greyDifference(const QImage& a, const QImage& b)
{
    constexpr int kClearly = 40;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > kClearly;
    return double(differing) / (a.width() * a.height());
}

} // namespace

class tst_SkinTable : public QObject {
    Q_OBJECT
private slots:
    void namesAreUnique()
    {
        QSet<QString> seen;
        for (const Picture& p : AllPictures()) {
            QVERIFY2(!seen.contains(p.name), qPrintable(p.name));
            seen.insert(p.name);
        }
    }

    void everyPictureThePagesNameIsInTheTable()
    {
        QStringList wanted = voltageNames();
        for (const char* name : kNamedByThePages)
            wanted << name;
        for (const char* name : {"266", "267", "268", "470", "471", "472", "495", "496", "497"})
            wanted << name;
        for (const QString& name : wanted)
            QVERIFY2(find(name), qPrintable(name));
    }

    void statedSizesAreKept()
    {
        for (const auto& s : kStatedSizes) {
            const Picture* p = find(s.name);
            QVERIFY2(p, s.name);
            QCOMPARE(QSize(p->width, p->height), QSize(s.width, s.height));
        }
    }

    // A control is drawn over the part of its host it covers, so it must lie inside it.
    void controlsLieInsideTheirHosts()
    {
        for (const Picture& p : AllPictures()) {
            if (p.host.isEmpty())
                continue;
            const Picture* host = find(p.host);
            QVERIFY2(host && host->host.isEmpty(), qPrintable(p.name));
            QVERIFY2(QRect(0, 0, host->width, host->height).contains(QRect(p.x, p.y, p.width, p.height)),
                     qPrintable(p.name));
        }
    }

    void theBuildDrewEveryPictureAtItsSize()
    {
        const QDir skinDir(QCoreApplication::applicationDirPath() + "/skin");
        for (const Picture& p : AllPictures()) {
            const QImage image(skinDir.filePath(p.name + ".png"));
            QVERIFY2(!image.isNull(), qPrintable(p.name));
            QCOMPARE(image.size(), QSize(p.width, p.height));
        }
    }

    void theSliderThumbsCornerIsItsTransparentColour()
    {
        skin::SkinPainter painter;
        const QImage thumb = painter.Render(*find("IDB_SYSBRIGHTNESS_SLIDERTHUMB"));
        const QRgb key = thumb.pixel(0, 0);
        QCOMPARE(QColor(key), QColor(255, 0, 255));
        QVERIFY(thumb.pixel(15, 15) != key);
        // No half-transparent fringe of the key colour: every pixel is the key or clearly not it.
        for (int y = 0; y < thumb.height(); ++y)
            for (int x = 0; x < thumb.width(); ++x) {
                const QColor c = thumb.pixelColor(x, y);
                QVERIFY(c == QColor(key) || !(c.red() > 200 && c.blue() > 200 && c.green() < 60));
            }
    }

    // State 0 and state 1 of every two-state control must differ in greyscale as well as in colour.
    void twoStatesDifferInGreyscale()
    {
        skin::SkinPainter painter;
        const QList<QPair<QString, QString>> suffixes = {{"_OFF_L", "_ON_L"},
                                                         {"_DISABLE_L", "_ENABLE_L"},
                                                         {"_UNCHECK_L", "_CHECK_L"},
                                                         {"_OFF_ENABLE_L", "_ON_ENABLE_L"}};
        int pairs = 0;
        for (const Picture& off : AllPictures()) {
            for (const auto& [offSuffix, onSuffix] : suffixes) {
                if (!off.name.endsWith(offSuffix))
                    continue;
                const Picture* on = find(off.name.chopped(offSuffix.size()) + onSuffix);
                if (!on)
                    continue;
                ++pairs;
                const double difference = greyDifference(painter.Render(off), painter.Render(*on));
                QVERIFY2(difference > 0.03, qPrintable(off.name + " " + QString::number(difference)));
            }
        }
        QVERIFY(pairs > 40);
    }
};

TARVIK_QTEST_MAIN(tst_SkinTable)
#include "tst_SkinTable.moc"
