#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Values longer than this (in the file's bytes) are refused rather than decoded.
inline constexpr qsizetype kMaxWineRegValueBytes = qsizetype(1) << 20;

// Finds a string value (REG_SZ) in the text of a Wine registry file (user.reg,
// system.reg). keyPath is relative to the file's root, components separated by
// '\'; trailing backslashes are ignored. Key and value names match without
// regard to case; an empty value name is the key's default value ("@").
// The text is cut at its first NUL. Gives nullopt when the key or the value is
// missing, the value has another type, or its data is malformed, truncated or
// too long. When a value is written more than once, the last one counts, as
// when Wine loads the file.
std::optional<QString> findWineRegString(QByteArrayView regText, QStringView keyPath,
                                         QStringView valueName);
