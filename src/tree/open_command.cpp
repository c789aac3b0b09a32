#include "tree/open_command.h"

#include "log/formats.h"
#include "platform/desktop_opener.h"
#include "platform/path_resolver.h"

#include <QFileInfo>

#include <filesystem>

OpenTarget openTargetFor(const QString& nodeText)
{
    if (nodeText.startsWith(QLatin1String("URL")))
        return {OpenTarget::Kind::Url, trimSpaces(QStringView(nodeText).mid(4)).toString()};
    if (nodeText.startsWith(QLatin1String("FTP"), Qt::CaseInsensitive) ||
        nodeText.startsWith(QLatin1String("HTTP"), Qt::CaseInsensitive))
        return {OpenTarget::Kind::Url, nodeText};
    if (nodeText.startsWith(QLatin1String("Local Path")))
        return {OpenTarget::Kind::LocalFile, trimSpaces(QStringView(nodeText).mid(11)).toString()};
    return {};
}

bool isOpenableFile(const QString& localPath)
{
    std::error_code error;
    const auto status = std::filesystem::status(localPath.toStdString(), error);
    if (error || status.type() != std::filesystem::file_type::regular)
        return false;
    return !QFileInfo(localPath).fileName().startsWith(QLatin1Char('.'));
}

OpenResult openNodeTarget(const QString& nodeText, const PathResolver& resolver,
                          DesktopOpener& opener)
{
    const OpenTarget target = openTargetFor(nodeText);
    QUrl url;
    switch (target.kind) {
    case OpenTarget::Kind::Nothing:
        return {};
    case OpenTarget::Kind::Url: {
        // A log is not trusted: only web and FTP links go to the desktop.
        url = QUrl(target.target, QUrl::TolerantMode);
        const QString scheme = url.scheme().toLower();
        const bool webLink = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                             scheme == QLatin1String("ftp");
        if (!url.isValid() || !webLink || url.host().isEmpty())
            return {OpenResult::Outcome::Refused,
                    QStringLiteral("Tavrin opens only http, https and ftp links. "
                                   "This link was not opened:\n") +
                        target.target};
        break;
    }
    case OpenTarget::Kind::LocalFile: {
        const QString local = resolver.resolve(target.target);
        if (!isOpenableFile(local))
            return {OpenResult::Outcome::FileMissing, QStringLiteral("File has been moved or deleted.")};
        url = QUrl::fromLocalFile(local);
        break;
    }
    }
    if (!opener.openUrl(url))
        return {OpenResult::Outcome::OpenFailed,
                QStringLiteral("No program on this desktop could open:\n") + target.target};
    return {OpenResult::Outcome::Opened, QString()};
}
