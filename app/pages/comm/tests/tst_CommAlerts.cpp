// The two alerts of the WWAN flows: picture, title, the OK button and its trace, and the close-down
// message, which they leave to the window that sent it.

#include "CommTestSupport.h"
#include "TraceCapture.h"

#include "GU_AlertSMSOnDlg.h"
#include "GU_Alert_WwanPowerOff.h"

#include <memory>

using tarvik::qtest::TraceCapture;

namespace {

std::unique_ptr<CPageDlg> makeAlert(const QString& kind)
{
    if (kind == "power off")
        return std::make_unique<GU_Alert_WwanPowerOff>();
    return std::make_unique<GU_AlertSMSOnDlg>();
}

} // namespace

class tst_CommAlerts : public QObject {
    Q_OBJECT
private slots:
    void alert_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("background");
        QTest::addColumn<int>("okId");
        QTest::addColumn<QString>("openTrace");
        QTest::addColumn<QString>("okTrace");
        QTest::newRow("WWAN power off") << "power off" << "Wwan Poweroff Alert" << "IDB_ALERTWWANPOWEROFF_BASE_L"
                                        << GU_Alert_WwanPowerOff::kOkId << "GU_Alert_WwanPowerOff: OnInitDialog()"
                                        << "GU_Alert_WwanPowerOff:OnClicked_AlertwwanpoweroffOk";
        QTest::newRow("SMS on") << "sms on" << "SmsOn Alert" << "IDB_ALERTSMSON_BASE_L" << GU_AlertSMSOnDlg::kOkId
                                << "GU_AlertSMSOnDlg: OnInitDialog()" << "GU_AlertSMSOnDlg:OnClicked_AlertSmsonOk";
    }
    void alert()
    {
        QFETCH(QString, kind);
        QFETCH(QString, title);
        QFETCH(QString, background);
        QFETCH(int, okId);
        QFETCH(QString, openTrace);
        QFETCH(QString, okTrace);
        TraceCapture capture;
        std::unique_ptr<CPageDlg> alert = makeAlert(kind);
        QTimer::singleShot(0, alert.get(), [&] {
            QCOMPARE(alert->windowTitle(), title);
            QCOMPARE(alert->BackgroundName(), background);
            QCOMPARE(alert->size(), alert->Background().size());
            QCOMPARE(alert->pos(), QPoint((1024 - alert->width()) / 2, (600 - alert->height()) / 2));
            CMyBitmapButton* ok = alert->Button(okId);
            QVERIFY(ok);
            QCOMPARE(ok->pos(), QPoint(200, 180));
            QVERIFY(!ok->image(0).isNull());
            QCOMPARE(ok->size(), ok->image(0).size());
            // The close-down message does nothing here: whoever sent it closes the alert next.
            QCOMPARE(SendMessage(alert.get(), WM_CLOSE_CHILDREN), LRESULT(0));
            QVERIFY(alert->isVisible());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QCOMPARE(alert->DoModal(), IDCANCEL);
        QCOMPARE(capture.lines().filter(QRegularExpression("^GU_Alert\\w*(: OnInitDialog|:OnClicked_)")),
                 (QStringList{openTrace, okTrace}));
    }
};

TARVIK_QTEST_MAIN(tst_CommAlerts)
#include "tst_CommAlerts.moc"
