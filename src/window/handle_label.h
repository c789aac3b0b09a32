#pragma once

#include <QLabel>

// A transparent label without text that reports the pointer: the drag handle
// over the painted title strip and the painted close mark.
class HandleLabel : public QLabel {
    Q_OBJECT
public:
    explicit HandleLabel(QWidget* parent = nullptr);

Q_SIGNALS:
    // Any mouse button went down over the label.
    void mouseDown(Qt::MouseButton button);
    // The left button went down and up again over the label.
    void click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool leftDown_ = false;
};
