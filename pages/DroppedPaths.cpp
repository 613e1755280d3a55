#include "DroppedPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

std::string LocalPath(const QFileInfo& info)
{
    return QFile::encodeName(QDir::toNativeSeparators(info.absoluteFilePath())).toStdString();
}

}  // namespace

DroppedPaths DroppedPaths::Of(const QMimeData* mime)
{
    DroppedPaths paths;
    if (!mime || !mime->hasUrls())
        return paths;
    const char separator = QDir::separator().toLatin1();
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (paths.Empty())
            paths.firstIsFolder = info.isDir();
        if (info.isDir()) {
            std::string folder = LocalPath(info);
            while (folder.size() > 1 && folder.back() == separator)
                folder.pop_back();
            paths.folders.push_back(folder);
        } else if (info.isFile()) {
            paths.files.push_back(LocalPath(info));
        }
    }
    return paths;
}
