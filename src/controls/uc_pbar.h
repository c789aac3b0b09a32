#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>

class DesignStore;

// The progress bar: a fill (lblPercent) growing from the left edge in
// proportion to Value / Max, and a caption (lblPercentText) chosen by
// DisplayStyle, both painted on the control's own surface.
//
// Lengths are pixels: the fill sits one pixel in from the surface's left and
// top edges and is two pixels lower than the surface. The caption is centred
// only when the control is resized; a later caption keeps its left edge and
// grows to the right. With BackStyle 0 the surface paints no background, so the
// host's background shows wherever neither fill nor caption is drawn.
//
// Input on the surface itself (not on the fill or the caption) is relayed as
// the control's own signals; positions are in pixels of the surface.
class UcPBar : public QWidget {
    Q_OBJECT
public:
    explicit UcPBar(QWidget* parent = nullptr);

    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    // Enabled and Font are the widget's own (setEnabled, setFont).
    int backStyle() const { return backStyle_; }     // 0 transparent, 1 opaque
    bool setBackStyle(int style);                    // false (and unchanged) unless 0 or 1
    int borderStyle() const { return borderStyle_; } // 0 none, 1 single line
    bool setBorderStyle(int style);
    void refresh() { repaint(); }
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool fontItalic() const { return font().italic(); }
    void setFontItalic(bool on);
    bool fontBold() const { return font().bold(); }
    void setFontBold(bool on);
    bool fontStrikethru() const { return font().strikeOut(); }
    void setFontStrikethru(bool on);
    bool fontTransparent() const { return fontTransparent_; }
    void setFontTransparent(bool on);
    bool fontUnderline() const { return font().underline(); }
    void setFontUnderline(bool on);
    qint32 min() const { return min_; }
    void setMin(qint32 value);
    QColor barBackColor() const { return barBackColor_; }
    void setBarBackColor(const QColor& color);
    int barBorder() const { return barBorder_; } // 0 none, 1 single line
    bool setBarBorder(int border);
    qint32 displayStyle() const { return displayStyle_; }
    void setDisplayStyle(qint32 style);
    qint32 max() const { return max_; }
    void setMax(qint32 value);
    qint32 value() const { return value_; }
    void setValue(qint32 value); // clamped to Max, then to Min

    // Writes the fill width and the caption for the current Value; leaves both
    // as they are while Max is 0 or below, or below Min.
    void updateBar();

    // Where fill and caption are drawn, in pixels of the control.
    QRect fillRect() const;
    QRect captionRect() const;

    // The stored settings: readProperties applies a design, writeProperties
    // stores this control's settings (only those that differ from the defaults).
    void readProperties(const DesignStore& store);
    void writeProperties(DesignStore& store) const;

Q_SIGNALS:
    void change(); // the caption's text was set, by setCaption or updateBar
    void click();
    void dblClick();
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyPress(const QString& text);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    void mouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                   const QPointF& position);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                   const QPointF& position);
    void mouseUp(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                 const QPointF& position);
    void resized(); // after every resize, once layout and updateBar have run
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QRect surfaceRect() const; // inside the border, when there is one
    QSize captionSize() const;
    void layoutSurface();
    void setCaptionText(const QString& text);
    void setFontAttribute(void (QFont::*set)(bool), bool on, const char* name);
    bool onSurface(const QPointF& position) const;

    qint32 min_ = 0;
    qint32 max_ = 100;
    qint32 value_ = 0;
    qint32 displayStyle_ = 0;
    float fillScale_ = 0;
    double fillWidth_ = 230; // until the first updateBar that passes its range test
    QString caption_ = QStringLiteral("100% Complete");
    QPoint captionPos_;
    QColor backColor_;
    QColor foreColor_;
    QColor barBackColor_;
    int backStyle_ = 1;
    int borderStyle_ = 0;
    int barBorder_ = 1;
    bool fontTransparent_ = true;
    bool laidOut_ = false;
    bool pressedOnSurface_ = false;
};
