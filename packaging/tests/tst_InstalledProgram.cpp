// The installed program: `cmake --install` into a temporary prefix, the prefix then moved elsewhere
// (as a relocated installation is), and the installed Tarvik started from there, offscreen on a
// virtual board. Its libraries, pictures and templates must come from the moved prefix, never from
// the build folder, and the installed tools must work beside it.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <csignal>

using namespace tarvik::qtest;

namespace {

constexpr int kStartMs = 15000; // generous for a loaded machine; a start takes well under a second
constexpr int kInstallMs = 120000;

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The files the process has mapped (its libraries), from /proc/<pid>/maps.
QStringList mappedFiles(qint64 pid)
{
    QStringList files;
    for (const QString& line : readAll(QString("/proc/%1/maps").arg(pid)).split('\n')) {
        const int slash = line.indexOf('/');
        if (slash >= 0 && !files.contains(line.mid(slash)))
            files << line.mid(slash);
    }
    return files;
}

} // namespace

class tst_InstalledProgram : public QObject {
    Q_OBJECT

    QString m_prefix;    // where the installed tree now is (moved after the install)
    int m_runs = 0;

    QString installed(const QString& relative) const { return m_prefix + '/' + relative; }

    // A run of the installed program with a data folder of its own.
    struct Run {
        std::unique_ptr<QProcess> process;
        QString dataDir;
    };
    Run start()
    {
        Run run;
        run.dataDir = QtTestEnvironment::instance().makeDir(QString("data%1").arg(++m_runs));
        run.process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PUBLIC", run.dataDir + '/');
        env.insert("XDG_CONFIG_HOME", QtTestEnvironment::instance().makeDir("config"));
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + QtTestEnvironment::instance().root() + "/no-bus");
        // Nothing may lead the program back to the build folder.
        env.remove("LD_LIBRARY_PATH");
        env.remove("TARVIK_SKIN_DIR");
        run.process->setProcessEnvironment(env);
        run.process->setWorkingDirectory(QtTestEnvironment::instance().root());
        run.process->start(installed("bin/Tarvik"), {});
        run.process->waitForStarted(kStartMs);
        return run;
    }

    static bool stop(QProcess& process)
    {
        kill(static_cast<pid_t>(process.processId()), SIGTERM);
        return process.waitForFinished(kStartMs) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    // An installed tool's output and exit code.
    QPair<int, QString> tool(const QString& name, const QStringList& args) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LD_LIBRARY_PATH");
        process.setProcessEnvironment(env);
        process.start(installed("bin/" + name), args);
        process.waitForFinished(kStartMs);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        const QString first = QtTestEnvironment::instance().makeDir("installed-here");
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(TARVIK_CMAKE, {"--install", TARVIK_BUILD_DIR, "--prefix", first});
        QVERIFY(install.waitForFinished(kInstallMs));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());

        // A relocated prefix: nothing in the tree may name the folder it was installed into.
        m_prefix = QtTestEnvironment::instance().root() + "/moved/elsewhere";
        QVERIFY(QDir().mkpath(QFileInfo(m_prefix).path()));
        QVERIFY(QDir().rename(first, m_prefix));
    }

    void installedProgramPaintsItsHomeScreenFromThePrefix()
    {
        TraceCapture capture;
        Run run = start();
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()") ||
                                     run.process->state() != QProcess::Running,
                                 kStartMs);
        QVERIFY2(capture.contains("CGX58_UtilityDlg::OnPaint()"), run.process->readAllStandardError().constData());

        // Every picture of the home screen was found.
        for (const QString& line : capture.lines()) {
            QVERIFY2(!line.contains("cannot load background") && !line.contains("Failed to load bitmap"),
                     qPrintable(line));
        }
        // The templates: read from the prefix's data folder, copied into the new data folder.
        const QString settingsTemplate = installed(TARVIK_INSTALL_DATADIR "/templates/GX58_default.INI");
        QVERIFY2(capture.contains("\nApp source ini file =[" + settingsTemplate + "]"), qPrintable(capture.lines().join('|')));
        QVERIFY(capture.contains("\nApp copy ini file firstly."));
        QVERIFY(capture.contains("\nApp kmconfig source ini file =[" +
                                 installed(TARVIK_INSTALL_DATADIR "/templates/km_config_GX58.ini") + "]"));
        QCOMPARE(readAll(run.dataDir + "/km_config.ini"),
                 readAll(installed(TARVIK_INSTALL_DATADIR "/templates/km_config_GX58.ini")));

        // The libraries: ours come from the prefix (the program's run path), nothing from the build
        // folder. The program links only those it uses, the platform and device information always.
        const QStringList mapped = mappedFiles(run.process->processId());
        const QStringList libraries = QDir(installed(TARVIK_INSTALL_LIBDIR)).entryList({"lib*.so*"}, QDir::Files);
        for (const QString& file : mapped) {
            QVERIFY2(!file.startsWith(TARVIK_BUILD_DIR "/"), qPrintable(file));
            if (libraries.contains(QFileInfo(file).fileName()))
                QCOMPARE(file, installed(TARVIK_INSTALL_LIBDIR "/" + QFileInfo(file).fileName()));
        }
        for (const char* library : {"libTarvikPlatform.so", "libIdovan.so"})
            QVERIFY2(mapped.contains(installed(TARVIK_INSTALL_LIBDIR "/") + library), library);

        // The installed tools reach the same program and board: the wake-up key closes the home
        // screen, and the board and device information read from the test's board.
        const auto post = tool("tarvik-post", {"A1"});
        QVERIFY2(post.first == 0, qPrintable(post.second));
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::DestroyWindow()"), kStartMs);
        const auto board = tool("tarvik-board", {"show"});
        QVERIFY2(board.first == 0 && board.second.contains("KTA"), qPrintable(board.second));
        const auto devinfo = tool("tarvik-devinfo", {});
        QVERIFY2(devinfo.first == 0, qPrintable(devinfo.second));

        QVERIFY2(stop(*run.process), run.process->readAllStandardError().constData());
    }

    // Without the prefix's pictures the program has none: it does not fall back on the build
    // folder's skin (which is still there).
    void withoutThePrefixsSkinNoPictureIsFound()
    {
        QVERIFY(!QDir(TARVIK_BUILD_DIR "/bin/skin").isEmpty());
        const QString skin = installed(TARVIK_INSTALL_DATADIR "/skin");
        QVERIFY(QDir().rename(skin, skin + ".away"));
        TraceCapture capture;
        Run run = start();
        QTRY_VERIFY_WITH_TIMEOUT(capture.contains("CGX58_UtilityDlg::OnPaint()") ||
                                     run.process->state() != QProcess::Running,
                                 kStartMs);
        const bool missing = !capture.lines().filter("cannot load background").isEmpty();
        const bool stopped = stop(*run.process);
        QVERIFY(QDir().rename(skin + ".away", skin));
        QVERIFY2(missing, qPrintable(capture.lines().join('|')));
        QVERIFY(stopped);
    }
};

TARVIK_QTEST_MAIN(tst_InstalledProgram)
#include "tst_InstalledProgram.moc"
