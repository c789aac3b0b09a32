#pragma once

#include <QLabel>

// A label for a value that can be long (a 64-bit count, a path): it keeps its
// place and grows to the right into the room it is given, and where the text
// is wider still it is cut with "…" and its whole text is its tooltip.
// text() is always the whole text.
class FittingLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // How wide the label may grow from its left edge; its width when placed
    // is the least it has. Call once it is placed.
    void setRoom(int widest);
    // Sets the text and fits the label to it.
    void setText(const QString& text);
    // Whether the text is cut for want of room.
    bool isCut() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fit();
    int textWidth() const;

    int least_ = -1;
    int widest_ = -1;
};
