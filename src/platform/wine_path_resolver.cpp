#include "platform/wine_path_resolver.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace {

bool startsWithDrive(const QString& path)
{
    return path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter() &&
           path.at(0).unicode() < 0x80;
}

// The components after "X:", split at either separator. Repeated separators
// collapse; "." and ".." are applied as Windows does, never above the drive's
// root. A drive-relative "C:foo" is taken from the root, the best guess without
// a current directory.
QStringList components(QString afterDrive)
{
    QStringList parts;
    const QStringList names = afterDrive.replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (name == u".")
            continue;
        if (name == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(name);
    }
    return parts;
}

// The entry of dir that name means on Windows: name itself when it exists,
// else the first entry in sorted order that differs from it only in case;
// empty when there is none.
QString matchEntry(const QString& dir, const QString& name)
{
    const QFileInfo exact(dir + u'/' + name);
    if (exact.exists() || exact.isSymLink())
        return name;
    QStringList entries = QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(entries.begin(), entries.end());
    for (const QString& entry : std::as_const(entries)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

QString joined(const QString& dir, const QString& name)
{
    return dir.endsWith(u'/') ? dir + name : dir + u'/' + name;
}

} // namespace

WinePathResolver::WinePathResolver(QString prefixDir) : m_prefixDir(std::move(prefixDir)) {}

// dosdevices/c: is usually a link to ../drive_c, z: to /; the link is followed
// wherever it points.
QString WinePathResolver::driveRoot(QChar letter) const
{
    const QFileInfo link(m_prefixDir + QStringLiteral("/dosdevices/") + letter.toLower() + u':');
    const QString target = link.canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isDir())
        return {};
    return target;
}

QString WinePathResolver::resolve(const QString& storedPath) const
{
    if (!startsWithDrive(storedPath))
        return storedPath;
    QString path = driveRoot(storedPath.at(0));
    if (path.isEmpty())
        return storedPath;
    bool onDisk = true;
    for (const QString& name : components(storedPath.mid(2))) {
        const QString entry = onDisk ? matchEntry(path, name) : QString();
        onDisk = !entry.isEmpty();
        path = joined(path, onDisk ? entry : name);
    }
    return path;
}
