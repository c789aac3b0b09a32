#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class DesignStore;

// A flat command button that tracks the pointer. At rest it shows its caption
// on its background with no edge; while the pointer is over it, it is "hot":
// raised by a one-pixel light and dark edge, in BackColorHi / ForeColorHi; while
// a mouse button is held over it, it is "down": sunken, in BackColorDown /
// ForeColorDown, with the caption two pixels right and one down.
//
// The button notices the pointer leaving by holding the mouse grab while it is
// hot or down, so no timer is involved. A point on its right or bottom edge
// (x == width, y == height) still counts as over it.
//
// The button keeps what it last drew: a repaint shows the last look again.
// Clicks, Enter and space draw the normal look first and then emit click().
class HotCommand : public QWidget {
    Q_OBJECT
public:
    enum class Look { Normal, Hot, Down };

    explicit HotCommand(QWidget* parent = nullptr);
    ~HotCommand() override;

    // BackColor is the background of the normal look.
    QColor backColor() const { return normalBackColor_; }
    void setBackColor(const QColor& color);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    // Enabled and Font are the widget's own (setEnabled, setFont).
    void refresh() { repaint(); }
    int align() const { return align_; }
    bool setAlign(int align); // 0 to 4; false (and unchanged) otherwise
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    // The button's own tooltip, shown when the window gives it none (setToolTip).
    QString toolTipText() const { return toolTipText_; }
    void setToolTipText(const QString& text);
    QPixmap picture() const { return picture_; }
    void setPicture(const QPixmap& picture);
    // Used at the next drawing of the hot and down looks.
    QColor backColorHi() const { return backColorHi_; }
    void setBackColorHi(const QColor& color);
    QColor foreColorHi() const { return foreColorHi_; }
    void setForeColorHi(const QColor& color);
    QColor backColorDown() const { return backColorDown_; }
    void setBackColorDown(const QColor& color);
    QColor foreColorDown() const { return foreColorDown_; }
    void setForeColorDown(const QColor& color);
    // Stored and restored; it has no other effect.
    bool cancel() const { return cancel_; }
    void setCancel(bool cancel);

    // What was drawn last: Normal is flat (no edge), also after a caption redraw.
    Look look() const { return look_; }
    bool holdsPointer() const;

    // The stored settings: readProperties applies a design, writeProperties
    // stores this button's settings (only those that differ from the defaults).
    void readProperties(const DesignStore& store);
    void writeProperties(DesignStore& store) const;

Q_SIGNALS:
    void click();
    void dblClick();
    void mouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                   const QPointF& position);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                   const QPointF& position);
    void mouseUp(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                 const QPointF& position);
    void propertyChanged(const QString& name);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void drawButtonState(const QPointF& point, Qt::MouseButtons pressed, const QColor& inside);
    void redrawCaption();
    void clickNow();
    void takePointer();
    void releasePointer();

    QString caption_ = QStringLiteral("Command1");
    QColor normalBackColor_;
    QColor foreColor_;
    QColor backColorHi_;
    QColor foreColorHi_;
    QColor backColorDown_;
    QColor foreColorDown_;
    QPixmap picture_;
    QString toolTipText_;
    int align_ = 0;
    bool cancel_ = false;

    // The last drawing: face, edge and caption colour and shift.
    QColor face_;
    Look look_ = Look::Normal;
    QColor captionColor_;
    QPoint captionShift_;

    bool clickPending_ = false; // a left press began on the button
    QPointer<QWidget> watchedWindow_;
};
