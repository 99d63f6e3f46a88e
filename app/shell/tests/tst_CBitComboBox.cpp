// The skinned combo box: the four skins of the table, the face painted from its three pictures, the
// caption, and the drop-down list's items.

#include "QtTestEnvironment.h"

#include "CBitComboBox.h"
#include "SkinStore.h"

#include <QFile>
#include <QPainter>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::writePicture;

class tst_CBitComboBox : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        qunsetenv("TARVIK_SKIN_DIR");
        SkinStore::ClearCache();
    }

    void skinsOfTheTable_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("middle");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("font");
        QTest::addColumn<bool>("caption");
        QTest::addColumn<QPoint>("inset");
        QTest::newRow("default") << 0 << 0 << 0 << 70 << 30 << 20 << false << QPoint(20, 0);
        QTest::newRow("471 470 472") << 471 << 470 << 472 << 60 << 30 << 20 << true << QPoint(20, 2);
        QTest::newRow("496 495 497") << 496 << 495 << 497 << 40 << 25 << 16 << true << QPoint(9, 3);
        QTest::newRow("any other") << 1 << 2 << 3 << 60 << 30 << 18 << true << QPoint(20, 2);
    }
    void skinsOfTheTable()
    {
        QFETCH(int, left);
        QFETCH(int, middle);
        QFETCH(int, right);
        QFETCH(int, field);
        QFETCH(int, item);
        QFETCH(int, font);
        QFETCH(bool, caption);
        QFETCH(QPoint, inset);
        CBitComboBox combo = left ? CBitComboBox(left, middle, right) : CBitComboBox();
        const CBitComboBox::Skin& skin = combo.skin();
        if (left) {
            QCOMPARE(skin.leftCap, left);
            QCOMPARE(skin.middle, middle);
            QCOMPARE(skin.rightCap, right);
        } else {
            QCOMPARE(skin.leftCap, 267);
            QCOMPARE(skin.middle, 266);
            QCOMPARE(skin.rightCap, 268);
        }
        QCOMPARE(skin.fieldHeight, field);
        QCOMPARE(skin.itemHeight, item);
        QCOMPARE(skin.fontHeight, font);
        QCOMPARE(skin.caption, caption);
        if (caption)
            QCOMPARE(QPoint(skin.textInsetX, skin.textInsetY), inset);
        QCOMPARE(combo.listBox()->itemHeight(), item);
        QCOMPARE(combo.font().family(), QString("Arial"));
    }

    // A page gives the width and the room it leaves for the open list; the closed combo box is the
    // field and its frame high.
    void placementUsesTheFieldHeightAndTheDropRoom()
    {
        QWidget page;
        CBitComboBox combo(471, 470, 472, &page);
        combo.PlaceAt(400, 101, 425, 350);
        QCOMPARE(combo.geometry(), QRect(400, 101, 425, 66));
        QCOMPARE(combo.maxVisibleItems(), 350 / 30);
    }

    void theFaceIsPaintedFromItsThreePictures()
    {
        const QString dir = QtTestEnvironment::instance().makeDir("combo");
        writePicture(dir, "471", QSize(4, 66), Qt::red);
        writePicture(dir, "470", QSize(50, 66), Qt::green);
        writePicture(dir, "472", QSize(4, 66), Qt::blue);
        qputenv("TARVIK_SKIN_DIR", QFile::encodeName(dir));
        SkinStore::ClearCache();
        CBitComboBox combo(471, 470, 472);
        combo.PlaceAt(0, 0, 200, 0);
        const QImage face = combo.grab().toImage();
        QCOMPARE(face.pixelColor(1, 10), QColor(Qt::red));
        QCOMPARE(face.pixelColor(199, 10), QColor(Qt::blue));
        QCOMPARE(face.pixelColor(150, 10), QColor(Qt::green)); // the middle is stretched to the cap
    }

    void theCaptionShowsTheCurrentTextOnlyWithCaptionSkins()
    {
        const QString dir = QtTestEnvironment::instance().makeDir("combo-dark");
        for (const char* name : {"471", "470", "472", "267", "266", "268"})
            writePicture(dir, name, QSize(4, 81), Qt::black);
        writePicture(dir, "470", QSize(300, 66), Qt::black);
        writePicture(dir, "266", QSize(300, 81), Qt::black);
        qputenv("TARVIK_SKIN_DIR", QFile::encodeName(dir));
        SkinStore::ClearCache();

        auto whitePixels = [](CBitComboBox& combo) {
            combo.PlaceAt(0, 0, 300, 0);
            combo.AddString("Brightness Up");
            combo.SetCurSel(0);
            const QImage face = combo.grab().toImage();
            int count = 0;
            for (int y = 0; y < face.height(); ++y)
                for (int x = 0; x < face.width(); ++x)
                    count += face.pixelColor(x, y).lightness() > 200;
            return count;
        };
        CBitComboBox withCaption(471, 470, 472);
        CBitComboBox withoutCaption;
        QVERIFY(whitePixels(withCaption) > 50);
        QCOMPARE(whitePixels(withoutCaption), 0);
        QCOMPARE(withCaption.GetCurSel(), 0);
    }

    void itemsArePaintedInTheListColours()
    {
        QImage image(100, 30, QImage::Format_RGB32);
        CBitComboBox combo;
        const CBitListBox::Colours& colours = combo.listBox()->colours();
        QPainter painter(&image);
        CBitListBox::PaintItem(&painter, QRect(0, 0, 100, 30), QString(), false, colours, combo.font());
        QCOMPARE(image.pixelColor(50, 15), QColor(58, 95, 205));
        CBitListBox::PaintItem(&painter, QRect(0, 0, 100, 30), QString(), true, colours, combo.font());
        QCOMPARE(image.pixelColor(50, 15), QColor(40, 50, 60));
        QCOMPARE(colours.itemText, QColor(Qt::white));
        QCOMPARE(colours.selectedText, QColor(Qt::white));
    }

    void theListItemsHaveTheSkinsHeight()
    {
        CBitComboBox combo(496, 495, 497);
        combo.AddString("Open explore");
        combo.AddString("Task Manager");
        combo.show();
        combo.showPopup();
        QTRY_VERIFY(combo.view()->isVisible());
        QCOMPARE(combo.view()->visualRect(combo.model()->index(1, 0)).height(), 25);
        combo.hidePopup();
    }
};

TARVIK_QTEST_MAIN(tst_CBitComboBox)
#include "tst_CBitComboBox.moc"
