#include "platform/wine_prefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtGlobal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether another process holds a lock on the file.
bool lockedByAnother(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

// The folders where Wine keeps the servers of this user: upstream Wine uses
// /tmp/.wine-<uid>; Debian's names its folder in the prefix's file "wineserver".
QStringList serverRoots(const QString& prefix)
{
    QStringList roots;
    const QString temp = QDir::tempPath();
    for (const QString& tmp : {QStringLiteral("/tmp"), temp}) {
        const QString upstream = tmp + QStringLiteral("/.wine-%1").arg(::getuid());
        if (!roots.contains(upstream))
            roots << upstream;
    }
    QFile named(prefix + QStringLiteral("/wineserver"));
    if (named.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromLocal8Bit(named.read(256)).trimmed();
        if (!name.isEmpty() && !name.contains(u'/') && name != QStringLiteral("..")) {
            for (const QString& tmp : {QStringLiteral("/tmp"), temp})
                if (!roots.contains(tmp + u'/' + name))
                    roots << tmp + u'/' + name;
        }
    }
    return roots;
}

} // namespace

QString winePrefix()
{
    const QString fromEnvironment = qEnvironmentVariable("WINEPREFIX");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir::homePath() + QStringLiteral("/.wine");
}

bool winePrefixReady(const QString& prefix)
{
    return QFileInfo(prefix + QStringLiteral("/system.reg")).isFile();
}

bool wineServerRunning(const QString& prefix)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(prefix).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    const QString folder = QStringLiteral("/server-%1-%2")
                               .arg(qulonglong(info.st_dev), 0, 16)
                               .arg(qulonglong(info.st_ino), 0, 16);
    for (const QString& root : serverRoots(prefix))
        if (lockedByAnother(root + folder + QStringLiteral("/lock")))
            return true;
    return false;
}
