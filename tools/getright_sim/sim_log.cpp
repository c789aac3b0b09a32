#include "sim_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>

namespace {

// Registry files double every backslash and quote-escape quotes; characters
// beyond ASCII are written as \x and four hex digits.
QString regEscaped(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

bool ensureLink(const QString& link, const QString& target, QString* error)
{
    if (QFileInfo(link).isSymLink() || QFileInfo::exists(link))
        return true;
    if (QFile::link(target, link))
        return true;
    *error = QStringLiteral("cannot create the drive link %1").arg(link);
    return false;
}

} // namespace

QString simLogDateFormat(const QLocale& locale)
{
    // GetRight writes the short date of the user's locale with two-digit day
    // and month: 12/11/26 in the US, 11.12.26 in Germany, 11/12/2026 in Britain.
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    struct Field {
        qsizetype at;
        QString text;
    };
    QList<Field> fields = {{shortFormat.indexOf(u'd'), QStringLiteral("dd")},
                           {shortFormat.indexOf(u'M'), QStringLiteral("MM")},
                           {shortFormat.indexOf(u'y'), shortFormat.contains(QStringLiteral("yyyy"))
                                                           ? QStringLiteral("yyyy")
                                                           : QStringLiteral("yy")}};
    QChar separator = u'/';
    for (const QChar c : shortFormat)
        if (c == u'/' || c == u'.' || c == u'-') {
            separator = c;
            break;
        }
    if (fields[0].at < 0 || fields[1].at < 0 || fields[2].at < 0 || fields[2].at < fields[0].at ||
        fields[2].at < fields[1].at)
        return QStringLiteral("MM/dd/yy"); // no day/month/year order GetRight writes
    std::sort(fields.begin(), fields.end(),
              [](const Field& a, const Field& b) { return a.at < b.at; });
    return fields[0].text + separator + fields[1].text + separator + fields[2].text;
}

QByteArray simLogLine(const QDateTime& when, const QString& message, const QLocale& locale)
{
    return (when.toString(simLogDateFormat(locale) + QStringLiteral(" HH:mm:ss")) +
            QStringLiteral(" - ") + message)
               .toLatin1() +
           "\r\n";
}

bool appendToLog(const QString& logPath, const QStringList& messages, const QDateTime& when,
                 QString* error)
{
    QFile file(logPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("cannot append to %1: %2").arg(logPath, file.errorString());
        return false;
    }
    QByteArray data;
    for (const QString& message : messages)
        data += simLogLine(when, message);
    if (file.write(data) != data.size()) {
        *error = QStringLiteral("cannot append to %1: %2").arg(logPath, file.errorString());
        return false;
    }
    return true;
}

QString windowsPathInPrefix(const QString& prefix, const QString& localPath)
{
    const QString driveC = QDir(QFileInfo(prefix).absoluteFilePath()).filePath("drive_c");
    const QString absolute = QFileInfo(localPath).absoluteFilePath();
    QString path;
    if (absolute.startsWith(driveC + QLatin1Char('/')))
        path = QStringLiteral("C:") + absolute.mid(driveC.size());
    else
        path = QStringLiteral("Z:") + absolute;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path;
}

bool writeUserReg(const QString& prefix, const QString& logPath, bool overwrite, QString* error)
{
    const QDir dir(prefix);
    const QString regPath = dir.filePath(QStringLiteral("user.reg"));
    if (QFileInfo::exists(regPath) && !overwrite) {
        *error = QStringLiteral("%1 exists; not replacing it without --force").arg(regPath);
        return false;
    }
    if (!dir.mkpath(QStringLiteral("dosdevices")) || !dir.mkpath(QStringLiteral("drive_c"))) {
        *error = QStringLiteral("cannot make the prefix folders in %1").arg(prefix);
        return false;
    }
    const QString windowsLog = windowsPathInPrefix(prefix, logPath);
    if (!ensureLink(dir.filePath(QStringLiteral("dosdevices/c:")), QStringLiteral("../drive_c"),
                    error))
        return false;
    if (windowsLog.startsWith(QLatin1String("Z:")) &&
        !ensureLink(dir.filePath(QStringLiteral("dosdevices/z:")), QStringLiteral("/"), error))
        return false;

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    // Windows file time: 100 ns steps since 1601.
    const quint64 fileTime = quint64(now + 11644473600LL) * 10000000ULL;
    const QString text =
        QStringLiteral("WINE REGISTRY Version 2\n"
                       ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                       "#arch=win32\n\n"
                       "[Software\\\\Headlight\\\\GetRight\\\\Config] %1\n"
                       "#time=%2\n"
                       "\"LogFile\"=\"%3\"\n"
                       "\"SaveDir\"=\"C:\\\\Downloads\"\n")
            .arg(now)
            .arg(fileTime, 0, 16)
            .arg(regEscaped(windowsLog));

    QFile file(regPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.toLatin1()) != text.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(regPath, file.errorString());
        return false;
    }
    return true;
}
