#include "SkinStore.h"

#include "InstalledResources.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>

namespace {

constexpr const char* kOverrideVariable = "TARVIK_SKIN_DIR";
constexpr const char* kSkinFolder = "skin";

struct CachedPicture {
    QDateTime modified;
    qint64 size = -1;
    QPixmap pixmap;
};

QHash<QString, CachedPicture>& cache()
{
    static QHash<QString, CachedPicture> pictures;
    return pictures;
}

QString existing(const QString& dir, const QString& name, std::initializer_list<const char*> suffixes)
{
    if (dir.isEmpty())
        return {};
    for (const char* suffix : suffixes) {
        const QString path = QDir(dir).filePath(name + QLatin1String(suffix));
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace

QString SkinStore::DefaultDir()
{
    // The program does not move while it runs: one look for the installed folder, not one a paint.
    static const QString dir = [] {
        const QString programFolder = QCoreApplication::applicationDirPath();
        if (const auto installed = InstalledResourceFolder(QFile::encodeName(programFolder + '/').toStdString(), kSkinFolder))
            return QFile::decodeName(QByteArray::fromStdString(*installed)).chopped(1);
        return QDir(programFolder).filePath(QLatin1String(kSkinFolder));
    }();
    return dir;
}

QString SkinStore::Locate(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    const QString overrideDir = qEnvironmentVariable(kOverrideVariable);
    QString path = existing(overrideDir, name, {".png", ".bmp"});
    if (path.isEmpty())
        path = existing(DefaultDir(), name, {".png", ".bmp"});
    return path;
}

QPixmap SkinStore::Load(const QString& name)
{
    const QString path = Locate(name);
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    CachedPicture& entry = cache()[path];
    if (entry.pixmap.isNull() || entry.size != info.size() || entry.modified != info.lastModified()) {
        entry.pixmap = QPixmap::fromImage(QImageReader(path).read());
        entry.size = info.size();
        entry.modified = info.lastModified();
    }
    return entry.pixmap;
}

void SkinStore::ClearCache() { cache().clear(); }
