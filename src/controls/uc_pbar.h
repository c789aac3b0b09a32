#pragma once

#include <QColor>
#include <QWidget>

// The progress bar: a fill growing from the left and a centred caption.
// (Stand-in look until the full control lands; the interface is the one the
// window relies on.)
class UcPBar : public QWidget {
    Q_OBJECT
public:
    explicit UcPBar(QWidget* parent = nullptr);

    qint32 min() const { return min_; }
    void setMin(qint32 value);
    qint32 max() const { return max_; }
    void setMax(qint32 value);
    qint32 value() const { return value_; }
    void setValue(qint32 value);
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    qint32 displayStyle() const { return displayStyle_; }
    void setDisplayStyle(qint32 style);
    int backStyle() const { return backStyle_; } // 0 transparent, 1 opaque
    void setBackStyle(int style);
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    QColor barBackColor() const { return barBackColor_; }
    void setBarBackColor(const QColor& color);

Q_SIGNALS:
    void change();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qint32 min_ = 0;
    qint32 max_ = 100;
    qint32 value_ = 0;
    qint32 displayStyle_ = 0;
    int backStyle_ = 1;
    QString caption_ = QStringLiteral("100% Complete");
    QColor backColor_{0xC0, 0xC0, 0xC0};
    QColor barBackColor_{0x80, 0x80, 0x80};
};
