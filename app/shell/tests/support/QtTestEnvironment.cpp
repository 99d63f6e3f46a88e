#include "QtTestEnvironment.h"

#include "Board.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>

namespace tarvik::qtest {

namespace {
QtTestEnvironment* g_instance = nullptr;
}

QtTestEnvironment::QtTestEnvironment(int screenWidth, int screenHeight, Display display)
{
    if (!m_root.isValid())
        throw std::runtime_error("cannot create the test's temporary folder");
    g_instance = this;

    const QString runtime = makeDir("runtime");
    chmod(QFile::encodeName(runtime).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    if (display == Display::X11) {
        if (qgetenv("DISPLAY").isEmpty())
            throw std::runtime_error("this test needs an X display (run it through tests/support/with-xvfb)");
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        const QString screen = m_root.filePath("screen.json");
        QFile json(screen);
        json.open(QIODevice::WriteOnly);
        json.write(QString(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
            "screens": [{"name": "panel", "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96, "dpr": 1}]})")
                       .arg(screenWidth)
                       .arg(screenHeight)
                       .toUtf8());
        json.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    }

    auto board = tarvik::board::Board::create(QFile::encodeName(boardDir()).toStdString(), "KTA");
    if (!board)
        throw std::runtime_error("cannot create the test board: " + board.error());
    qputenv("TARVIK_BOARD", QFile::encodeName(boardDir()));
    qunsetenv("TARVIK_COM_DIR");
    qunsetenv("TARVIK_SKIN_DIR");
    // The settings folder of the program (its Windows name is kept by the configuration code).
    qputenv("PUBLIC", QFile::encodeName(makeDir("data") + "/"));
}

QtTestEnvironment& QtTestEnvironment::instance() { return *g_instance; }

QString QtTestEnvironment::makeDir(const QString& name) const
{
    const QString path = m_root.filePath(name);
    QDir().mkpath(path);
    return path;
}

QImage writePicture(const QString& dir, const QString& name, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QDir().mkpath(dir);
    image.save(QDir(dir).filePath(name + ".png"));
    return image;
}

} // namespace tarvik::qtest
