#pragma once

#include <QColor>
#include <QWidget>

// A flat command button that lights up while the pointer is over it.
// (Stand-in look until the full control lands; the interface is the one the
// window relies on.)
class HotCommand : public QWidget {
    Q_OBJECT
public:
    explicit HotCommand(QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    QColor backColorHi() const { return backColorHi_; }
    void setBackColorHi(const QColor& color) { backColorHi_ = color; }
    QColor foreColorHi() const { return foreColorHi_; }
    void setForeColorHi(const QColor& color) { foreColorHi_ = color; }
    QColor backColorDown() const { return backColorDown_; }
    void setBackColorDown(const QColor& color) { backColorDown_ = color; }
    QColor foreColorDown() const { return foreColorDown_; }
    void setForeColorDown(const QColor& color) { foreColorDown_ = color; }

Q_SIGNALS:
    void click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString caption_;
    QColor backColor_{0xC0, 0xC0, 0xC0};
    QColor foreColor_{0x40, 0x40, 0x40};
    QColor backColorHi_{0xC0, 0xC0, 0xC0};
    QColor foreColorHi_{Qt::black};
    QColor backColorDown_{0xE0, 0xE0, 0xE0};
    QColor foreColorDown_{Qt::black};
    bool hot_ = false;
    bool down_ = false;
};
