#pragma once

// Where the program's pictures come from: the generated skin, installed in <prefix>/share/tarvik/skin/
// (found from the program's folder) or, in the build folder, beside the executable
// (<program folder>/skin/<name>.png), unless the folder named by TARVIK_SKIN_DIR holds a picture of
// the same name (<name>.png or <name>.bmp), so artwork can be replaced without a rebuild. Names are
// the pictures' resource names ("IDB_EXIT_L") or, for the combo box skins, their numbers ("266").
//
// Pages load their background again at every paint; decoded pictures are therefore kept and decoded
// again only when their file changes (size or modification time), so that a repaint costs a stat, not
// a decode. Interface thread only.

#include <QPixmap>
#include <QString>

class SkinStore {
public:
    // The picture, or a null pixmap when no file of that name exists or it cannot be decoded.
    static QPixmap Load(const QString& name);
    // The file a name resolves to, or an empty string.
    static QString Locate(const QString& name);
    static QString DefaultDir();
    // Forgets every decoded picture (tests that rewrite files within one clock tick).
    static void ClearCache();
};
