// Where pictures come from: the generated skin beside the program, overridden by file name from
// TARVIK_SKIN_DIR (PNG or BMP), and decoded again only when a file changes.

#include "QtTestEnvironment.h"

#include "SkinStore.h"

#include <QDir>
#include <QFile>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::writePicture;

class tst_SkinStore : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        qunsetenv("TARVIK_SKIN_DIR");
        SkinStore::ClearCache();
    }

    void generatedSkinHasTheStatedSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("home screen") << "IDB_MAINBASE" << QSize(1024, 600);
        QTest::newRow("home screen 768") << "IDB_MAINBASE_768" << QSize(1024, 768);
        QTest::newRow("exit") << "IDB_EXIT_L" << QSize(190, 134);
        QTest::newRow("section") << "IDB_COMM_L" << QSize(190, 190);
        QTest::newRow("message box") << "IDB_MYMESSAGEBASE_L" << QSize(500, 300);
        QTest::newRow("message OK") << "IDB_MYMESSAGE_OK_L" << QSize(114, 114);
        QTest::newRow("combo 267") << "267" << QSize(4, 80);
        QTest::newRow("combo 470") << "470" << QSize(417, 66);
        QTest::newRow("combo 497") << "497" << QSize(3, 48);
        QTest::newRow("slider channel") << "IDB_SYSBRIGHTNESS_SLIDERBAR" << QSize(213, 30);
    }
    void generatedSkinHasTheStatedSizes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QCOMPARE(SkinStore::Locate(name), QDir(SkinStore::DefaultDir()).filePath(name + ".png"));
        QCOMPARE(SkinStore::Load(name).size(), size);
    }

    void overrideFolderWinsByFileName()
    {
        const QString dir = QtTestEnvironment::instance().makeDir("override-png");
        writePicture(dir, "IDB_EXIT_L", QSize(10, 20), Qt::red);
        qputenv("TARVIK_SKIN_DIR", QFile::encodeName(dir));
        QCOMPARE(SkinStore::Load("IDB_EXIT_L").size(), QSize(10, 20));
        // Other names still come from the generated skin.
        QCOMPARE(SkinStore::Load("IDB_COMM_L").size(), QSize(190, 190));
    }

    void overrideMayBeABitmap()
    {
        const QString dir = QtTestEnvironment::instance().makeDir("override-bmp");
        QImage image(7, 9, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(QDir(dir).filePath("IDB_COMM_L.bmp")));
        qputenv("TARVIK_SKIN_DIR", QFile::encodeName(dir));
        QCOMPARE(SkinStore::Load("IDB_COMM_L").size(), QSize(7, 9));
    }

    void missingOrUnsafeNamesGiveNothing()
    {
        QVERIFY(SkinStore::Load("IDB_NO_SUCH_PICTURE").isNull());
        QVERIFY(SkinStore::Load("").isNull());
        QVERIFY(SkinStore::Locate("../skin/IDB_EXIT_L").isEmpty());
    }

    void aChangedFileIsDecodedAgain()
    {
        const QString dir = QtTestEnvironment::instance().makeDir("override-change");
        qputenv("TARVIK_SKIN_DIR", QFile::encodeName(dir));
        writePicture(dir, "IDB_DEVINFOBASE_L", QSize(30, 30), Qt::red);
        QCOMPARE(SkinStore::Load("IDB_DEVINFOBASE_L").size(), QSize(30, 30));
        writePicture(dir, "IDB_DEVINFOBASE_L", QSize(40, 40), Qt::green); // a different size on disk
        QCOMPARE(SkinStore::Load("IDB_DEVINFOBASE_L").size(), QSize(40, 40));
    }
};

TARVIK_QTEST_MAIN(tst_SkinStore)
#include "tst_SkinStore.moc"
