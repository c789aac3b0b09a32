#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>

class QPalette;

// The stored design settings of one control: key -> value, kept in the order
// they were written. A control restores itself from a store and writes itself
// back into one; a missing key reads as the default the reader names, and a
// value equal to its default is not stored, so a store holds only what a design
// changed.
//
// Colours are kept in their stored 32-bit form: &H00BBGGRR& for a direct colour,
// &H800000nn& for the desktop's system colour nn (resolved against a palette when
// read). A QColor value is accepted as well.
class DesignStore {
public:
    DesignStore() = default;
    // A design table written by hand, e.g. {{"Caption", "Exit"}, {"BackColor", 0x00C0C0C0u}}.
    DesignStore(std::initializer_list<QPair<QString, QVariant>> values);

    QVariant read(const QString& key, const QVariant& defaultValue) const;
    // Stores the value, or drops the key when the value equals the default.
    void write(const QString& key, const QVariant& value, const QVariant& defaultValue);

    QColor readColor(const QString& key, quint32 defaultValue, const QPalette& palette) const;
    void writeColor(const QString& key, const QColor& value, quint32 defaultValue,
                    const QPalette& palette);

    // Raw access, for design tables and for checking what a control stored.
    bool contains(const QString& key) const;
    QVariant value(const QString& key) const; // invalid when the key is missing
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);
    QStringList keys() const; // in the order written
    bool isEmpty() const { return entries_.isEmpty(); }
    void clear() { entries_.clear(); }

    // A colour in its stored form, and back. Direct colours only: the desktop's
    // colours are written as the direct colour they showed.
    static QColor toColor(const QVariant& stored, const QPalette& palette);
    static quint32 storedColor(const QColor& color);

private:
    QList<QPair<QString, QVariant>> entries_;
};
