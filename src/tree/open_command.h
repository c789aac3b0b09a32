#pragma once

#include <QString>
#include <QUrl>

class DesktopOpener;
class PathResolver;

// What a node's text leads to: a URL after "URL: ", a text that itself begins
// with http or ftp, or the file after "Local Path: ".
struct OpenTarget {
    enum class Kind { Nothing, Url, LocalFile };
    Kind kind = Kind::Nothing;
    QString target;
};

OpenTarget openTargetFor(const QString& nodeText);

// Opens what the selected node stands for and says what the user must be told.
struct OpenResult {
    enum class Outcome {
        Nothing,     // the node leads nowhere
        Opened,
        Refused,     // a link whose scheme is not http, https or ftp
        FileMissing, // "File has been moved or deleted."
        OpenFailed,  // the desktop had no program for it
    };
    Outcome outcome = Outcome::Nothing;
    QString message; // empty when there is nothing to tell
};

OpenResult openNodeTarget(const QString& nodeText, const PathResolver& resolver,
                          DesktopOpener& opener);

// True for a regular file whose name does not start with "." (hidden).
bool isOpenableFile(const QString& localPath);
