#include "controls/design_store.h"

#include "controls/design.h"

#include <QPalette>

DesignStore::DesignStore(std::initializer_list<QPair<QString, QVariant>> values)
{
    for (const auto& [key, value] : values)
        setValue(key, value);
}

QVariant DesignStore::read(const QString& key, const QVariant& defaultValue) const
{
    for (const auto& entry : entries_) {
        if (entry.first == key)
            return entry.second;
    }
    return defaultValue;
}

void DesignStore::write(const QString& key, const QVariant& value, const QVariant& defaultValue)
{
    if (value == defaultValue)
        remove(key);
    else
        setValue(key, value);
}

QColor DesignStore::readColor(const QString& key, quint32 defaultValue,
                              const QPalette& palette) const
{
    return toColor(read(key, defaultValue), palette);
}

void DesignStore::writeColor(const QString& key, const QColor& value, quint32 defaultValue,
                             const QPalette& palette)
{
    if (value == Design::color(defaultValue, palette))
        remove(key);
    else
        setValue(key, storedColor(value));
}

bool DesignStore::contains(const QString& key) const
{
    for (const auto& entry : entries_) {
        if (entry.first == key)
            return true;
    }
    return false;
}

QVariant DesignStore::value(const QString& key) const
{
    return read(key, QVariant());
}

void DesignStore::setValue(const QString& key, const QVariant& value)
{
    for (auto& entry : entries_) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    entries_.append({key, value});
}

void DesignStore::remove(const QString& key)
{
    entries_.removeIf([&key](const auto& entry) { return entry.first == key; });
}

QStringList DesignStore::keys() const
{
    QStringList keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_)
        keys.append(entry.first);
    return keys;
}

QColor DesignStore::toColor(const QVariant& stored, const QPalette& palette)
{
    if (stored.metaType().id() == QMetaType::QColor)
        return stored.value<QColor>();
    return Design::color(stored.toUInt(), palette);
}

quint32 DesignStore::storedColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}
