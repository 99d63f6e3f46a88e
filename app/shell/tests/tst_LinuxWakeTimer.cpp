// The wake timer of a real machine: the alarm timer armed at the due time when it can be made, else
// the RTC wake alarm cleared and then set to the due second, else no timer; with the alarm timer
// made by the test (a CLOCK_REALTIME timerfd) and the RTC alarm a temporary file or FIFO.

#include "QtTestEnvironment.h"

#include "LinuxWakeTimer.h"
#include "WakeSchedule.h"

#include <QFile>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

using tarvik::qtest::QtTestEnvironment;

namespace {

constexpr std::int64_t kDueSeconds = 1'900'000'000; // 2030-03-17: ahead of any test run

std::int64_t nowUnits()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kTimerUnitsPerSecond + now.tv_nsec / 100;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

} // namespace

class tst_LinuxWakeTimer : public QObject {
    Q_OBJECT

    QString dir() const { return QtTestEnvironment::instance().makeDir("rtc"); }

private slots:
    void alarmTimerIsArmedAtTheDueTime()
    {
        const QString rtc = dir() + "/alarm-unused";
        QFile(rtc).open(QIODevice::WriteOnly);
        int made = 0;
        int timer = -1;
        LinuxWakeTimer wake(QFile::encodeName(rtc).toStdString(), [&] {
            ++made;
            timer = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
            return timer;
        });
        QVERIFY(wake.Create());
        QVERIFY(wake.Create()); // kept, not made again
        QCOMPARE(made, 1);
        const std::int64_t due = nowUnits() + 600 * kTimerUnitsPerSecond + kTimerUnitsPerSecond / 2;
        QVERIFY(wake.SetAbsolute(due));
        itimerspec left{};
        QCOMPARE(timerfd_gettime(timer, &left), 0);
        const double seconds = static_cast<double>(left.it_value.tv_sec) + left.it_value.tv_nsec / 1e9;
        QVERIFY2(seconds > 599.5 && seconds <= 600.5, qPrintable(QString::number(seconds)));
        QCOMPARE(left.it_interval.tv_sec, time_t(0)); // once
        QCOMPARE(readAll(rtc), QByteArray()); // the RTC alarm is left alone

        wake.Close();
        QCOMPARE(fcntl(timer, F_GETFD), -1);
        QVERIFY(wake.Create());
        QCOMPARE(made, 2);
    }

    void rtcWakeAlarmIsClearedThenSet()
    {
        // A FIFO shows every write in order: the kernel takes no new alarm while one is set.
        const QString fifo = dir() + "/wakealarm-fifo";
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        LinuxWakeTimer wake(QFile::encodeName(fifo).toStdString(), [] { return -1; });
        QVERIFY(wake.Create());
        QVERIFY(wake.SetAbsolute(kDueSeconds * kTimerUnitsPerSecond + 1234567));
        QByteArray written;
        char buffer[64];
        ssize_t n;
        while ((n = read(reader, buffer, sizeof buffer)) > 0)
            written.append(buffer, n);
        close(reader);
        QCOMPARE(written, QByteArray("0") + QByteArray::number(kDueSeconds));

        // As a file it holds the due second in the end.
        const QString file = dir() + "/wakealarm";
        QFile(file).open(QIODevice::WriteOnly);
        LinuxWakeTimer again(QFile::encodeName(file).toStdString(), [] { return -1; });
        QVERIFY(again.Create());
        QVERIFY(again.SetAbsolute((kDueSeconds + 60) * kTimerUnitsPerSecond));
        QCOMPARE(readAll(file), QByteArray::number(kDueSeconds + 60));
    }

    void withoutEitherThereIsNoTimer_data()
    {
        QTest::addColumn<QString>("rtc");
        QTest::addColumn<bool>("created");
        QTest::addColumn<bool>("armed");
        QTest::newRow("no RTC alarm") << "/nonexistent/rtc0/wakealarm" << false << false;
        QTest::newRow("RTC alarm that takes nothing") << "/dev/full" << true << false;
    }
    void withoutEitherThereIsNoTimer()
    {
        QFETCH(QString, rtc);
        QFETCH(bool, created);
        QFETCH(bool, armed);
        LinuxWakeTimer wake(QFile::encodeName(rtc).toStdString(), [] { return -1; });
        QCOMPARE(wake.Create(), created);
        QCOMPARE(wake.SetAbsolute(kDueSeconds * kTimerUnitsPerSecond), armed);
    }
};

TARVIK_QTEST_MAIN(tst_LinuxWakeTimer)
#include "tst_LinuxWakeTimer.moc"
