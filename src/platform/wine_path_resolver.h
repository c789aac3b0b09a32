#pragma once

#include "platform/path_resolver.h"

#include <QString>

// Maps the Windows paths that GetRight stores (C:\Downloads\setup.exe) to the
// files of the Wine prefix it runs in. The drive is found through the prefix's
// dosdevices/ links; each further component is matched without regard to case,
// as on Windows. Components that do not exist are kept as written, so the
// caller's existence test fails. Only stats and lists directories.
class WinePathResolver : public PathResolver {
public:
    explicit WinePathResolver(QString prefixDir);

    // Absolute Unix paths, relative paths, UNC paths (\\server\share) and drives
    // without a dosdevices entry come back unchanged: none of them names a
    // place in the prefix that could be found without guessing.
    QString resolve(const QString& storedPath) const override;

private:
    QString driveRoot(QChar letter) const;

    QString m_prefixDir;
};
