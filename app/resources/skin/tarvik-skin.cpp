// tarvik-skin: draws every picture of the skin table into a folder as <name>.png.
//
//   tarvik-skin OUTDIR                 the skin (the build runs this)
//   tarvik-skin OUTDIR --preview DIR   also each page with its controls' first pictures placed on it
//   tarvik-skin --list                 name, width and height of every picture, one per line
//
// Exit status 0, 1 when a picture cannot be written, 2 on wrong arguments.

#include "SkinPainter.h"
#include "SkinTable.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSet>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tarvik-skin OUTDIR [--preview DIR] | tarvik-skin --list\n");
    return 2;
}

bool writePreviews(const QString& dir, const QMap<QString, QImage>& drawn)
{
    QDir().mkpath(dir);
    bool ok = true;
    for (const skin::Picture& host : skin::AllPictures()) {
        if (!host.host.isEmpty())
            continue;
        QImage page = drawn.value(host.name);
        QPainter p(&page);
        QSet<QString> placed;
        for (const skin::Picture& control : skin::AllPictures()) {
            // A combo box face is three pictures side by side.
            int x = control.x;
            if (control.kind == skin::Kind::ComboMiddle || control.kind == skin::Kind::ComboRight) {
                for (const skin::ComboFace& f : skin::ComboFaces()) {
                    if (control.name.toInt() == f.middle)
                        x += f.leftWidth;
                    if (control.name.toInt() == f.right)
                        x += f.leftWidth + f.middleWidth;
                }
            }
            const QString place = QString("%1,%2").arg(x).arg(control.y);
            if (control.host != host.name || placed.contains(place))
                continue;
            placed.insert(place);
            p.drawImage(x, control.y, drawn.value(control.name));
        }
        p.end();
        ok = page.save(QDir(dir).filePath(host.name + ".png")) && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    // Pictures need fonts, not a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    if (args == QStringList{"--list"}) {
        for (const skin::Picture& p : skin::AllPictures())
            std::printf("%s %d %d\n", qPrintable(p.name), p.width, p.height);
        return 0;
    }
    if (args.size() != 1 && !(args.size() == 3 && args[1] == "--preview"))
        return usage();

    const QString out = args[0];
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "tarvik-skin: cannot create %s\n", qPrintable(out));
        return 1;
    }
    skin::SkinPainter painter;
    QMap<QString, QImage> drawn;
    int failures = 0;
    for (const skin::Picture& picture : skin::AllPictures()) {
        const QImage image = painter.Render(picture);
        drawn.insert(picture.name, image);
        const QString path = QDir(out).filePath(picture.name + ".png");
        if (image.size() != QSize(picture.width, picture.height) || !image.save(path)) {
            std::fprintf(stderr, "tarvik-skin: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    if (args.size() == 3 && !writePreviews(args[2], drawn))
        ++failures;
    return failures ? 1 : 0;
}
