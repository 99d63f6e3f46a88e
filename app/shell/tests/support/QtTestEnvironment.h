#pragma once

// Everything a Qt test of the program needs before QApplication exists: offscreen windows on a
// 1024x600 screen (or the size given), a private runtime folder (so the trace socket and the board
// are the test's own), a fresh virtual board, a settings folder of its own, and no skin override.
//
//   TARVIK_QTEST_MAIN(tst_Foo)                 one test class per executable
//   TARVIK_QTEST_MAIN_SCREEN(tst_Foo, 1024, 768)
//   TARVIK_QTEST_MAIN_X11(tst_Foo)             on the X server of $DISPLAY (tests/support/with-xvfb)

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

namespace tarvik::qtest {

class QtTestEnvironment {
public:
    // Offscreen windows on a screen of the size given, or the real X server of $DISPLAY (whose
    // screen is what it is), where stacking and input go through the server as on a panel.
    enum class Display { Offscreen, X11 };
    QtTestEnvironment(int screenWidth, int screenHeight, Display display = Display::Offscreen);
    static QtTestEnvironment& instance();

    QString root() const { return m_root.path(); }
    QString boardDir() const { return m_root.filePath("board"); }
    QString dataDir() const { return m_root.filePath("data"); }
    // A fresh folder under the test's root.
    QString makeDir(const QString& name) const;

private:
    QTemporaryDir m_root;
};

// Writes a solid picture <dir>/<name>.png (a skin override for a test) and returns it.
QImage writePicture(const QString& dir, const QString& name, QSize size, QColor colour);

} // namespace tarvik::qtest

#define TARVIK_QTEST_MAIN_SCREEN(TestClass, width, height)                                                      \
    int main(int argc, char** argv)                                                                            \
    {                                                                                                          \
        tarvik::qtest::QtTestEnvironment environment(width, height);                                           \
        QApplication app(argc, argv);                                                                          \
        TestClass test;                                                                                        \
        return QTest::qExec(&test, argc, argv);                                                                \
    }
#define TARVIK_QTEST_MAIN(TestClass) TARVIK_QTEST_MAIN_SCREEN(TestClass, 1024, 600)
#define TARVIK_QTEST_MAIN_X11(TestClass)                                                                       \
    int main(int argc, char** argv)                                                                            \
    {                                                                                                          \
        tarvik::qtest::QtTestEnvironment environment(0, 0, tarvik::qtest::QtTestEnvironment::Display::X11);    \
        QApplication app(argc, argv);                                                                          \
        TestClass test;                                                                                        \
        return QTest::qExec(&test, argc, argv);                                                                \
    }
