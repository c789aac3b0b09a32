#include "controls/hot_command.h"

#include "controls/design_store.h"
#include "controls/design.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace {

// Colours in their stored form.
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 ButtonText = 0x80000012;
constexpr quint32 ButtonShadow = 0x80000010;
constexpr quint32 ButtonHighlight = 0x80000014;
// Defaults of a restored button where the design stores nothing.
constexpr quint32 StoredBackColor = 0x8000000C;
constexpr quint32 StoredForeColor = 0x80000008;

// The caption a design gets when it stores none; a caption equal to it is not
// stored. Reading and writing use this one default, so every caption survives
// storing and restoring.
const QString DefaultCaption = QStringLiteral("HotCommand");

const QPointF Away(-1, -1); // a point outside every button

bool outside(const QPointF& point, const QSize& size)
{
    return point.x() > size.width() || point.y() > size.height() || point.x() < 0 || point.y() < 0;
}

Qt::MouseButtons buttonsOf(const QMouseEvent* event)
{
    return event->type() == QEvent::MouseMove ? event->buttons()
                                              : Qt::MouseButtons(event->button());
}

} // namespace

HotCommand::HotCommand(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true); // the hot look needs moves with no button held
    const QPalette colours = palette();
    normalBackColor_ = Design::color(ButtonFace, colours);
    foreColor_ = Design::color(ButtonText, colours);
    backColorHi_ = Design::color(ButtonFace, colours);
    backColorDown_ = Design::color(ButtonFace, colours);
    foreColorHi_ = Design::color(ButtonText, colours);
    foreColorDown_ = Design::color(ButtonText, colours);
    face_ = normalBackColor_;
    captionColor_ = foreColor_;
}

HotCommand::~HotCommand()
{
    releasePointer();
}

void HotCommand::setBackColor(const QColor& color)
{
    // Writing the surface's background clears it to that colour.
    normalBackColor_ = color;
    face_ = color;
    redrawCaption();
    Q_EMIT propertyChanged(QStringLiteral("BackColor"));
}

void HotCommand::setForeColor(const QColor& color)
{
    foreColor_ = color;
    redrawCaption();
    Q_EMIT propertyChanged(QStringLiteral("ForeColor"));
}

bool HotCommand::setAlign(int align)
{
    if (align < 0 || align > 4)
        return false;
    // The button always covers its whole area; the value is kept for the design.
    align_ = align;
    Q_EMIT propertyChanged(QStringLiteral("Align"));
    return true;
}

void HotCommand::setCaption(const QString& caption)
{
    caption_ = caption;
    redrawCaption();
    Q_EMIT propertyChanged(QStringLiteral("Caption"));
}

void HotCommand::setToolTipText(const QString& text)
{
    toolTipText_ = text;
    Q_EMIT propertyChanged(QStringLiteral("ToolTipText"));
}

void HotCommand::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    redrawCaption();
    Q_EMIT propertyChanged(QStringLiteral("Picture"));
}

void HotCommand::setBackColorHi(const QColor& color)
{
    backColorHi_ = color;
    Q_EMIT propertyChanged(QStringLiteral("BackColorHi"));
}

void HotCommand::setForeColorHi(const QColor& color)
{
    foreColorHi_ = color;
    Q_EMIT propertyChanged(QStringLiteral("ForeColorHi"));
}

void HotCommand::setBackColorDown(const QColor& color)
{
    backColorDown_ = color;
    Q_EMIT propertyChanged(QStringLiteral("BackColorDown"));
}

void HotCommand::setForeColorDown(const QColor& color)
{
    foreColorDown_ = color;
    Q_EMIT propertyChanged(QStringLiteral("ForeColorDown"));
}

void HotCommand::setCancel(bool cancel)
{
    cancel_ = cancel;
    Q_EMIT propertyChanged(QStringLiteral("Cancel"));
}

bool HotCommand::holdsPointer() const
{
    return QWidget::mouseGrabber() == this;
}

// DrawButtonState: the normal look when the point is outside, else the down
// look when a button is pressed and the hot look when none is.
void HotCommand::drawButtonState(const QPointF& point, Qt::MouseButtons pressed,
                                 const QColor& inside)
{
    if (outside(point, size())) {
        // While a button is held the grab stays until it goes up, so that the
        // release is still seen and no press is left dangling.
        if (pressed == Qt::NoButton)
            releasePointer();
        face_ = normalBackColor_;
        look_ = Look::Normal;
        captionColor_ = foreColor_;
        captionShift_ = QPoint();
    } else if (pressed != Qt::NoButton) {
        takePointer();
        face_ = inside;
        look_ = Look::Down;
        captionColor_ = foreColorDown_;
        captionShift_ = QPoint(2, 1);
    } else {
        takePointer();
        face_ = inside;
        look_ = Look::Hot;
        captionColor_ = foreColorHi_;
        captionShift_ = QPoint();
    }
    update();
}

// RedrawCaption: the caption alone, centred on the present background, in the
// text colour (button shadow while disabled); no edge.
void HotCommand::redrawCaption()
{
    look_ = Look::Normal;
    captionColor_ = isEnabled() ? foreColor_ : Design::color(ButtonShadow, palette());
    captionShift_ = QPoint();
    update();
}

void HotCommand::clickNow()
{
    drawButtonState(Away, Qt::NoButton, backColorDown_);
    Q_EMIT click();
}

void HotCommand::takePointer()
{
    if (holdsPointer())
        return;
    // Never from a hidden or disabled button, and never away from another grab
    // (an open popup, a drag elsewhere).
    if (!isVisible() || !isEnabled() || QWidget::mouseGrabber() != nullptr ||
        QApplication::activePopupWidget() != nullptr)
        return;
    grabMouse();
    // A modal dialog, another window taking over or the window going away end
    // the hot look, so the grab never outlives what the user sees.
    watchedWindow_ = window();
    watchedWindow_->installEventFilter(this);
}

void HotCommand::releasePointer()
{
    if (holdsPointer())
        releaseMouse();
    if (watchedWindow_) {
        watchedWindow_->removeEventFilter(this);
        watchedWindow_ = nullptr;
    }
}

bool HotCommand::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // The window's tooltip, else the button's own. Tied to the button's
        // area: the grab keeps the pointer's leaving from the tip otherwise.
        const QString text = toolTip().isEmpty() ? toolTipText_ : toolTip();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this, rect(),
                               toolTipDuration());
        }
        return true;
    }
    return QWidget::event(event);
}

bool HotCommand::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watchedWindow_) {
        switch (event->type()) {
        case QEvent::WindowBlocked:
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            drawButtonState(Away, Qt::NoButton, backColorDown_);
            break;
        case QEvent::Leave:
            // Where the grab brings no moves from outside the window (Wayland,
            // or XWayland beside native windows), leaving the window is the
            // last the button hears of the pointer. A held button keeps its
            // press: the release still comes to the grab.
            if (QApplication::mouseButtons() == Qt::NoButton)
                drawButtonState(Away, Qt::NoButton, backColorDown_);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HotCommand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), face_);
    if (!picture_.isNull())
        painter.drawPixmap(0, 0, picture_);

    const int w = width();
    const int h = height();
    if (look_ != Look::Normal) {
        const QColor highlight = Design::color(ButtonHighlight, palette());
        const QColor shadow = Design::color(ButtonShadow, palette());
        // Raised: light top and left, dark bottom and right; sunken the reverse.
        // The outline's top-right and bottom-left corners keep its colour.
        painter.setPen(look_ == Look::Down ? highlight : shadow);
        painter.drawRect(0, 0, w - 1, h - 1);
        painter.setPen(look_ == Look::Down ? shadow : highlight);
        painter.drawLine(0, 0, w - 2, 0);
        painter.drawLine(0, 0, 0, h - 2);
    }

    if (!caption_.isEmpty()) {
        const QFontMetrics metrics(font());
        const int x = int(std::floor((w - metrics.horizontalAdvance(caption_)) / 2.0));
        const int y = int(std::floor((h - metrics.height()) / 2.0));
        painter.setFont(font());
        painter.setPen(captionColor_);
        painter.drawText(QPoint(x, y + metrics.ascent()) + captionShift_, caption_);
    }

    // The focus mark, for keyboard users: shown once focus moved by keyboard.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(captionColor_, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void HotCommand::resizeEvent(QResizeEvent*)
{
    redrawCaption();
}

void HotCommand::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled())
            drawButtonState(Away, Qt::NoButton, QColor());
        redrawCaption();
        break;
    case QEvent::FontChange:
        redrawCaption();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void HotCommand::hideEvent(QHideEvent* event)
{
    drawButtonState(Away, Qt::NoButton, backColorDown_);
    clickPending_ = false;
    QWidget::hideEvent(event);
}

void HotCommand::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void HotCommand::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void HotCommand::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled())
        return;
    drawButtonState(event->position(), event->buttons(), backColorDown_);
    if (event->button() == Qt::LeftButton)
        clickPending_ = true;
    Q_EMIT mouseDown(buttonsOf(event), event->modifiers(), event->position());
}

void HotCommand::mouseMoveEvent(QMouseEvent* event)
{
    drawButtonState(event->position(), event->buttons(),
                    event->buttons() != Qt::NoButton ? backColorDown_ : backColorHi_);
    Q_EMIT mouseMove(buttonsOf(event), event->modifiers(), event->position());
}

void HotCommand::mouseReleaseEvent(QMouseEvent* event)
{
    // The look stays as it is: a click redraws it, anything else waits for
    // the next move.
    if (event->buttons() == Qt::NoButton)
        releasePointer();
    Q_EMIT mouseUp(buttonsOf(event), event->modifiers(), event->position());
    const bool click = clickPending_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        clickPending_ = false;
    if (click)
        clickNow();
}

void HotCommand::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click gives the double click, not a click.
    clickPending_ = false;
    Q_EMIT dblClick();
    event->accept();
}

void HotCommand::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        clickNow();
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void HotCommand::readProperties(const DesignStore& store)
{
    const QPalette colours = palette();
    const QFont ambient = parentWidget() ? parentWidget()->font() : QApplication::font();

    normalBackColor_ = store.readColor(QStringLiteral("BackColor"), StoredBackColor, colours);
    face_ = normalBackColor_;
    foreColor_ = store.readColor(QStringLiteral("ForeColor"), StoredForeColor, colours);
    setEnabled(store.read(QStringLiteral("Enabled"), true).toBool());
    setFont(store.read(QStringLiteral("Font"), QVariant::fromValue(ambient)).value<QFont>());
    const int align = store.read(QStringLiteral("Align"), 0).toInt();
    if (align >= 0 && align <= 4)
        align_ = align;
    cancel_ = store.read(QStringLiteral("Cancel"), false).toBool();
    caption_ = store.read(QStringLiteral("Caption"), DefaultCaption).toString();
    toolTipText_ = store.read(QStringLiteral("ToolTipText"), QString()).toString();
    picture_ = store.read(QStringLiteral("Picture"), QVariant()).value<QPixmap>();
    backColorHi_ = store.readColor(QStringLiteral("BackColorHi"), ButtonFace, colours);
    foreColorHi_ = store.readColor(QStringLiteral("ForeColorHi"), ButtonText, colours);
    backColorDown_ = store.readColor(QStringLiteral("BackColorDown"), ButtonFace, colours);
    foreColorDown_ = store.readColor(QStringLiteral("ForeColorDown"), ButtonText, colours);
    redrawCaption();
}

void HotCommand::writeProperties(DesignStore& store) const
{
    const QPalette colours = palette();
    const QFont ambient = parentWidget() ? parentWidget()->font() : QApplication::font();

    store.writeColor(QStringLiteral("BackColor"), normalBackColor_, StoredBackColor, colours);
    store.writeColor(QStringLiteral("ForeColor"), foreColor_, StoredForeColor, colours);
    store.write(QStringLiteral("Enabled"), !testAttribute(Qt::WA_ForceDisabled), true);
    store.write(QStringLiteral("Font"), QVariant::fromValue(font()), QVariant::fromValue(ambient));
    store.write(QStringLiteral("Align"), align_, 0);
    store.write(QStringLiteral("Cancel"), cancel_, false);
    store.write(QStringLiteral("Caption"), caption_, DefaultCaption);
    store.write(QStringLiteral("ToolTipText"), toolTipText_, QString());
    store.write(QStringLiteral("Picture"),
                picture_.isNull() ? QVariant() : QVariant::fromValue(picture_), QVariant());
    store.writeColor(QStringLiteral("BackColorHi"), backColorHi_, ButtonFace, colours);
    store.writeColor(QStringLiteral("ForeColorHi"), foreColorHi_, ButtonText, colours);
    store.writeColor(QStringLiteral("BackColorDown"), backColorDown_, ButtonFace, colours);
    store.writeColor(QStringLiteral("ForeColorDown"), foreColorDown_, ButtonText, colours);
}
