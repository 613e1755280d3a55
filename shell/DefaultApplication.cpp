#include "DefaultApplication.h"

#include "LaunchCommand.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <set>

namespace {

// A key file larger than this is none we need to read.
constexpr qint64 kMaxKeyFileBytes = 1 << 20;

struct Level {
    QString folder;
    bool applications;  // an applications/ folder, which holds desktop entries too
};

std::vector<Level> Levels()
{
    std::vector<Level> levels;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        levels.push_back({folder, false});
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        levels.push_back({folder, true});
    return levels;
}

QStringList CurrentDesktops()
{
    QStringList names;
    for (const QString& name : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        names << name.toLower();
    return names;
}

std::optional<std::string> ReadKeyFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(kMaxKeyFileBytes).toStdString();
}

std::vector<std::string> ListOf(const std::optional<std::string>& text, const char* group, const std::string& key)
{
    if (!text)
        return {};
    const std::optional<std::string> value = KeyFileValue(*text, group, key);
    return value ? KeyFileList(*value) : std::vector<std::string>{};
}

QString Join(const QString& folder, const std::string& name)
{
    return QDir(folder).filePath(QString::fromStdString(name));
}

// Every mimeapps.list that may apply, most important first; in each folder
// the current desktops' own files before the plain one.
std::vector<QString> MimeAppsListFiles(const std::vector<Level>& levels)
{
    const QStringList desktops = CurrentDesktops();
    std::vector<QString> files;
    for (const Level& level : levels) {
        for (const QString& desktop : desktops)
            files.push_back(QDir(level.folder).filePath(desktop + QStringLiteral("-mimeapps.list")));
        files.push_back(QDir(level.folder).filePath(QStringLiteral("mimeapps.list")));
    }
    return files;
}

std::optional<DesktopEntryFile> DefaultFor(const std::string& mimeType, const std::vector<QString>& files)
{
    for (const QString& file : files) {
        for (const std::string& id : ListOf(ReadKeyFile(file), "Default Applications", mimeType)) {
            if (auto entry = FindDesktopEntry(id))
                return entry;
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntryFile> AssociatedWith(const std::string& mimeType, const std::vector<Level>& levels)
{
    std::set<std::string> removed;
    const auto firstKept = [&](const std::vector<std::string>& ids) -> std::optional<DesktopEntryFile> {
        for (const std::string& id : ids) {
            if (removed.count(id) == 0) {
                if (auto entry = FindDesktopEntry(id))
                    return entry;
            }
        }
        return std::nullopt;
    };
    for (const Level& level : levels) {
        const auto list = ReadKeyFile(QDir(level.folder).filePath(QStringLiteral("mimeapps.list")));
        if (auto entry = firstKept(ListOf(list, "Added Associations", mimeType)))
            return entry;
        for (const std::string& id : ListOf(list, "Removed Associations", mimeType))
            removed.insert(id);
        if (!level.applications)
            continue;
        const auto cache = ReadKeyFile(QDir(level.folder).filePath(QStringLiteral("mimeinfo.cache")));
        if (auto entry = firstKept(ListOf(cache, "MIME Cache", mimeType)))
            return entry;
    }
    return std::nullopt;
}

}  // namespace

std::optional<DesktopEntryFile> FindDesktopEntry(const std::string& desktopId)
{
    const std::vector<std::string> candidates = DesktopFileCandidates(desktopId);
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        for (const std::string& candidate : candidates) {
            const QString path = Join(folder, candidate);
            std::optional<std::string> text = ReadKeyFile(path);
            if (!text)
                continue;
            // The first file found is the entry, also when it says it is gone.
            if (KeyFileValue(*text, "Desktop Entry", "Hidden") == std::optional<std::string>("true")
                || !DesktopEntryExec(*text))
                return std::nullopt;
            return DesktopEntryFile{path.toStdString(), std::move(*text)};
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntryFile> DefaultApplicationEntry(const std::vector<std::string>& mimeTypes)
{
    const std::vector<Level> levels = Levels();
    const std::vector<QString> files = MimeAppsListFiles(levels);
    for (const std::string& mimeType : mimeTypes) {
        if (auto entry = DefaultFor(mimeType, files))
            return entry;
        if (auto entry = AssociatedWith(mimeType, levels))
            return entry;
    }
    return std::nullopt;
}
