#pragma once

#include <QString>

// Turns a path as stored by GetRight (a Windows path such as C:\Downloads\a.zip)
// into a path on this machine. Absolute Unix paths pass unchanged.
class PathResolver {
public:
    virtual ~PathResolver() = default;
    virtual QString resolve(const QString& storedPath) const = 0;
};
