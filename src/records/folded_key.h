#pragma once

#include "records/record_text.h"

#include <QAnyStringView>
#include <QString>
#include <QVarLengthArray>

// A key in the form the collections compare keys in: upper-cased as
// QString::toUpper() does, held as Latin-1 bytes when every character fits and
// as UTF-16 otherwise, so equal keys have equal forms. ASCII keys, the usual
// ones, are folded on the stack without allocating.
class FoldedKey {
public:
    // Folds a key as given.
    explicit FoldedKey(QLatin1StringView key);
    explicit FoldedKey(QStringView key);
    explicit FoldedKey(const QString& key) : FoldedKey(QStringView(key)) {}
    explicit FoldedKey(QAnyStringView key);
    // Takes a key that is folded already (as a collection keeps it).
    explicit FoldedKey(const RecordText& folded);

    bool isEmpty() const { return wide_ ? wideText_.isEmpty() : bytes_.isEmpty(); }
    quint32 hash() const { return hash_; }
    bool wide() const { return wide_; }
    // Whether the key was plain ASCII (and so its folding was ASCII's).
    bool ascii() const { return ascii_; }
    QLatin1StringView bytes() const { return {bytes_.constData(), bytes_.size()}; }
    const QString& wideText() const { return wideText_; }

    // Whether a key kept folded is this key.
    bool matches(const RecordText& folded) const;

    // The folded form of a text kept in store: the same view when it is folded
    // already (an upper-cased ASCII view), else a view of the folded copy.
    static RecordText fold(const RecordText& text, TextStore& store);

private:
    void init(QLatin1StringView key);
    void init(QStringView key);
    void setFolded(const QString& upper);

    QVarLengthArray<char, 256> bytes_;
    QString wideText_;
    bool wide_ = false;
    bool ascii_ = false;
    quint32 hash_ = 0;
};
