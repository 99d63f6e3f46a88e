// The GPS position as the pages use it: the sign from the hemisphere letters, read from the GPS
// library on the virtual board's simulated receiver, and the map address with the map button's
// action (no position, an address too long for its buffer).

#include "LocationTestSupport.h"
#include "TraceCapture.h"

#include "GpsPosition.h"
#include "Navorin.h"

#include <QElapsedTimer>

using namespace loctest;
using tarvik::qtest::TraceCapture;

namespace {

constexpr wchar_t kPrefix[] = L"https://maps.example.org/place/";
constexpr int kFastBaud = 115200; // with 10 fixes a second the first fix takes no seconds

// The position the library reads, once it has a fix at about the expected latitude.
GpsReading waitForReading(double expectedLatitude)
{
    GpsReading reading;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        reading = ReadGpsPosition();
        if (reading.hasPosition() && std::abs(std::abs(reading.latitude) - std::abs(expectedLatitude)) < 1e-4)
            break;
        QTest::qWait(20);
    }
    return reading;
}

} // namespace

class tst_GpsPosition : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { vS_GPSStop(); }

    void theHemisphereGivesTheSign_data()
    {
        QTest::addColumn<double>("magnitude");
        QTest::addColumn<char>("hemisphere");
        QTest::addColumn<double>("expected");
        QTest::newRow("N") << 25.052083 << 'N' << 25.052083;
        QTest::newRow("S") << 33.68 << 'S' << -33.68;
        QTest::newRow("E") << 121.529722 << 'E' << 121.529722;
        QTest::newRow("W") << 70.6 << 'W' << -70.6;
        // An empty hemisphere field leaves the text empty: no letter, no sign.
        QTest::newRow("none") << 70.6 << '\0' << 70.6;
        QTest::newRow("lower case is no letter of NMEA") << 70.6 << 'w' << 70.6;
    }
    void theHemisphereGivesTheSign()
    {
        QFETCH(double, magnitude);
        QFETCH(char, hemisphere);
        QFETCH(double, expected);
        QCOMPARE(SignedCoordinate(magnitude, hemisphere), expected);
    }

    void theMapAddress_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<QString>("expected"); // empty: refused
        const QString prefix = QString::fromWCharArray(kPrefix);
        QTest::newRow("north-east") << prefix << 25.052083 << 121.529722 << prefix + "25.052083,121.529722";
        QTest::newRow("south-west") << prefix << -33.68 << -70.6 << prefix + "-33.680000,-70.600000";
        QTest::newRow("zero") << prefix << 0.0 << 0.0 << prefix + "0.000000,0.000000";
        // "-33.680000,-70.600000" is 21 characters: a prefix of 238 makes exactly 259.
        const QString fits = "https://" + QString(230, 'a');
        QTest::newRow("259 characters") << fits << -33.68 << -70.6 << fits + "-33.680000,-70.600000";
        QTest::newRow("260 characters") << fits + "b" << -33.68 << -70.6 << QString();
    }
    void theMapAddress()
    {
        QFETCH(QString, prefix);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(QString, expected);
        const std::optional<std::wstring> address = BuildMapAddress(prefix.toStdWString(), latitude, longitude);
        if (expected.isEmpty()) {
            QVERIFY(!address);
        } else {
            QVERIFY(address);
            QCOMPARE(QString::fromStdWString(*address), expected);
            QVERIFY(address->size() <= kMapAddressMaxChars);
        }
    }

    // From the receiver through the library: the texts name the hemisphere, the decimal position
    // gets its sign from them.
    void readsTheSignedPositionFromTheReceiver_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::addColumn<double>("expectedLatitude");
        QTest::addColumn<double>("expectedLongitude");
        QTest::addColumn<QString>("latitudeText");  // how the text begins
        QTest::addColumn<QString>("longitudeText");
        QTest::newRow("north-east") << "25.052083" << "121.529722" << 25.052083 << 121.529722 << "N25'3'7'"
                                    << "E121'31'46'";
        QTest::newRow("south-west") << "33.68S" << "70.6 W" << -33.68 << -70.6 << "S33'40'" << "W70'36'";
    }
    void readsTheSignedPositionFromTheReceiver()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        QFETCH(double, expectedLatitude);
        QFETCH(double, expectedLongitude);
        QFETCH(QString, latitudeText);
        QFETCH(QString, longitudeText);
        auto board = createBoard();
        QVERIFY(board);
        for (const auto& [name, value] : std::vector<std::pair<std::string, QString>>{
                 {"GPSBaudRate", QString::number(kFastBaud)}, {"GPSUpdateRate", "10"}, {"GPSSpeed", "0"},
                 {"GPSLatitude", latitude}, {"GPSLongitude", longitude}})
            QVERIFY2(board->setValue(name, value.toStdString()), name.c_str());
        ServedPeers peers({"gps"});
        QVERIFY(peers.ok());
        vS_GPSSerialPortSet(3);
        vS_GPSBaudRateSet(kFastBaud);
        QCOMPARE(vS_GPSStart(), 1);
        const GpsReading reading = waitForReading(expectedLatitude);
        QVERIFY(reading.hasPosition());
        QVERIFY2(QString::fromStdString(reading.latitudeText).startsWith(latitudeText), reading.latitudeText.c_str());
        QVERIFY2(QString::fromStdString(reading.longitudeText).startsWith(longitudeText), reading.longitudeText.c_str());
        QVERIFY2(std::abs(reading.latitude - expectedLatitude) < 1e-4, qPrintable(QString::number(reading.latitude)));
        QVERIFY2(std::abs(reading.longitude - expectedLongitude) < 1e-4, qPrintable(QString::number(reading.longitude)));
        // The library's own decimal position stays without sign.
        QVERIFY(reading.decimalLatitude > 0 && reading.decimalLongitude > 0);
    }

    void noFixGivesNoPosition()
    {
        auto board = createBoard();
        QVERIFY(board);
        QVERIFY(board->setValue("GPSBaudRate", std::to_string(kFastBaud)));
        QVERIFY(board->setValue("GPSUpdateRate", "10"));
        QVERIFY(board->setFault("gps-no-fix", ""));
        ServedPeers peers({"gps"});
        QVERIFY(peers.ok());
        vS_GPSSerialPortSet(3);
        vS_GPSBaudRateSet(kFastBaud);
        QCOMPARE(vS_GPSStart(), 1);
        // A sentence without fix clears the fix of an earlier test.
        QTRY_VERIFY_WITH_TIMEOUT(!ReadGpsPosition().hasText, 5000);
        const GpsReading reading = ReadGpsPosition();
        QVERIFY(!reading.hasPosition());
        QCOMPARE(reading.latitude, kNoPosition);
        QCOMPARE(reading.longitude, kNoPosition);
    }

    // The map button of both pages: what the user sees, what is traced and what the browser opens.
    void theMapButton_data()
    {
        QTest::addColumn<QString>("prefix"); // empty: none in the settings file
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("box");    // empty: none
        QTest::addColumn<QString>("opened"); // empty: nothing
        const QString prefix = QString::fromWCharArray(kPrefix);
        QTest::newRow("no position") << prefix << 255.0 << 255.0 << "OnClicked_GpssettingLocationSet"
                                     << "Can't get GPS postion now!" << "";
        QTest::newRow("no latitude only") << prefix << 255.0 << 121.5 << "OnClicked_VehicleLocation"
                                          << "Can't get GPS postion now!" << "";
        QTest::newRow("north-east") << prefix << 25.052083 << 121.529722 << "OnClicked_GpssettingLocationSet" << ""
                                    << prefix + "25.052083,121.529722";
        QTest::newRow("south-west") << prefix << -33.68 << -70.6 << "OnClicked_VehicleLocation" << ""
                                    << prefix + "-33.680000,-70.600000";
        QTest::newRow("default prefix") << "" << 25.052083 << 121.529722 << "OnClicked_GpssettingLocationSet" << ""
                                        << "https://www.openstreetmap.org/search?query=25.052083,121.529722";
        QTest::newRow("too long") << "https://" + QString(240, 'a') + "/" << -33.68 << -70.6
                                  << "OnClicked_GpssettingLocationSet" << "Map address too long!" << "";
    }
    void theMapButton()
    {
        QFETCH(QString, prefix);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(QString, handler);
        QFETCH(QString, box);
        QFETCH(QString, opened);
        setSetting(L"MAP_URL_PREFIX", prefix.isEmpty() ? nullptr : prefix.toStdWString().c_str(), L"VEHICLE_STATUS");
        RecordingBrowser browser;
        ModalResponder answerer;
        TraceCapture capture;
        const bool asked = OpenPositionOnMap(handler.toStdWString().c_str(), latitude, longitude);
        QCOMPARE(asked, !opened.isEmpty());
        QCOMPARE(answerer.boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(browser.opened, opened.isEmpty() ? QStringList() : QStringList{opened});
        if (!opened.isEmpty())
            QVERIFY(capture.contains(handler + ": url=" + opened));
        const bool tracedTooLong = capture.lines().filter(handler + ": url too long").size() == 1;
        QCOMPARE(tracedTooLong, box == "Map address too long!");
    }
};

TARVIK_QTEST_MAIN(tst_GpsPosition)
#include "tst_GpsPosition.moc"
