#include "controls/uc_pbar.h"

#include "controls/design_store.h"
#include "controls/design.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Colours of a new control, in their stored form.
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 TitleBarText = 0x80000009;
constexpr quint32 TitleBar = 0x80000002;
const QColor WindowFrame(Qt::black); // the single-line borders

const QString InitialCaption = QStringLiteral("100% Complete");

// "##0": rounded half away from zero, no grouping, "0" for zero. "####" is the
// same except that zero gives empty text.
QString formatWhole(double number, bool emptyForZero)
{
    const double rounded = std::round(number);
    if (rounded == 0)
        return emptyForZero ? QString() : QStringLiteral("0");
    return QString::number(rounded, 'f', 0);
}

Qt::MouseButtons buttonsOf(const QMouseEvent* event)
{
    // A press or release names the button that moved, a move the buttons held.
    return event->type() == QEvent::MouseMove ? event->buttons()
                                              : Qt::MouseButtons(event->button());
}

} // namespace

UcPBar::UcPBar(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true); // pointer moves are relayed with no button held
    const QPalette colours = palette();
    backColor_ = Design::color(ButtonFace, colours);
    foreColor_ = Design::color(TitleBarText, colours);
    barBackColor_ = Design::color(TitleBar, colours);
    // A new control: range and value set directly, the display style through
    // its accessor, so the bar is written once.
    min_ = 0;
    max_ = 100;
    value_ = 0;
    setDisplayStyle(0);
}

void UcPBar::setBackColor(const QColor& color)
{
    backColor_ = color;
    update();
    Q_EMIT propertyChanged(QStringLiteral("BackColor"));
}

void UcPBar::setForeColor(const QColor& color)
{
    foreColor_ = color;
    update();
    Q_EMIT propertyChanged(QStringLiteral("ForeColor"));
}

bool UcPBar::setBackStyle(int style)
{
    if (style != 0 && style != 1)
        return false;
    backStyle_ = style;
    update();
    Q_EMIT propertyChanged(QStringLiteral("BackStyle"));
    return true;
}

bool UcPBar::setBorderStyle(int style)
{
    if (style != 0 && style != 1)
        return false;
    borderStyle_ = style;
    update();
    Q_EMIT propertyChanged(QStringLiteral("BorderStyle"));
    return true;
}

void UcPBar::setCaption(const QString& caption)
{
    setCaptionText(caption);
    Q_EMIT propertyChanged(QStringLiteral("Caption"));
}

void UcPBar::setFontAttribute(void (QFont::*set)(bool), bool on, const char* name)
{
    QFont f = font();
    (f.*set)(on);
    setFont(f);
    Q_EMIT propertyChanged(QString::fromLatin1(name));
}

void UcPBar::setFontItalic(bool on)
{
    setFontAttribute(&QFont::setItalic, on, "FontItalic");
}

void UcPBar::setFontBold(bool on)
{
    setFontAttribute(&QFont::setBold, on, "FontBold");
}

void UcPBar::setFontStrikethru(bool on)
{
    setFontAttribute(&QFont::setStrikeOut, on, "FontStrikethru");
}

void UcPBar::setFontUnderline(bool on)
{
    setFontAttribute(&QFont::setUnderline, on, "FontUnderline");
}

void UcPBar::setFontTransparent(bool on)
{
    // Only text printed on the surface itself would use it; the caption is
    // always drawn without a background.
    fontTransparent_ = on;
    Q_EMIT propertyChanged(QStringLiteral("FontTransparent"));
}

void UcPBar::setMin(qint32 value)
{
    min_ = value;
    Q_EMIT propertyChanged(QStringLiteral("Min"));
    updateBar();
}

void UcPBar::setBarBackColor(const QColor& color)
{
    barBackColor_ = color;
    update();
    Q_EMIT propertyChanged(QStringLiteral("BarBackColor"));
}

bool UcPBar::setBarBorder(int border)
{
    if (border != 0 && border != 1)
        return false;
    barBorder_ = border;
    update();
    Q_EMIT propertyChanged(QStringLiteral("BarBorder"));
    return true;
}

void UcPBar::setDisplayStyle(qint32 style)
{
    displayStyle_ = style;
    Q_EMIT propertyChanged(QStringLiteral("DisplayStyle"));
    updateBar();
}

void UcPBar::setMax(qint32 value)
{
    // Value is not clamped again: a Value above the new Max shows as more
    // than 100 % until the next assignment.
    max_ = value;
    Q_EMIT propertyChanged(QStringLiteral("Max"));
    updateBar();
}

void UcPBar::setValue(qint32 value)
{
    if (value > max_)
        value = max_;
    if (value < min_)
        value = min_;
    value_ = value;
    Q_EMIT propertyChanged(QStringLiteral("Value"));
    updateBar();
}

void UcPBar::updateBar()
{
    // An unusable range leaves the display as it is (and never divides by 0).
    if (max_ <= 0 || max_ < min_)
        return;
    fillScale_ = std::fabs(float(surfaceRect().width() - 2) / float(max_));
    fillWidth_ = std::fabs(double(fillScale_ * float(value_)));
    update();

    switch (displayStyle_) {
    case 0:
        setCaptionText(formatWhole(100.0 / max_ * value_, false) + QStringLiteral(" %"));
        break;
    case 1:
        setCaptionText(QString::number(value_));
        break;
    case 2:
        setCaptionText(formatWhole(value_ / 1024.0, true) + QStringLiteral(" Kb"));
        break;
    case 3:
        setCaptionText(formatWhole(value_ / 1048576.0, true) + QStringLiteral(" Mb"));
        break;
    case 4:
        setCaptionText(QStringLiteral("%1 of %2").arg(value_).arg(max_));
        break;
    case 5:
        // The host's caption, set again as it is.
        setCaptionText(caption_);
        break;
    default:
        break;
    }
}

void UcPBar::setCaptionText(const QString& text)
{
    caption_ = text;
    update();
    Q_EMIT change();
}

QRect UcPBar::surfaceRect() const
{
    return borderStyle_ == 1 ? rect().adjusted(1, 1, -1, -1) : rect();
}

QSize UcPBar::captionSize() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(caption_), metrics.height()};
}

QRect UcPBar::fillRect() const
{
    const QRect surface = surfaceRect();
    // A fill wider than the control is cut off at its right edge; the bound
    // only keeps huge values inside int.
    const double width = std::min(fillWidth_, double(1 << 24));
    return {surface.left() + 1, surface.top() + 1, int(std::lround(width)), surface.height() - 2};
}

QRect UcPBar::captionRect() const
{
    return {surfaceRect().topLeft() + captionPos_, captionSize()};
}

void UcPBar::layoutSurface()
{
    const QRect surface = surfaceRect();
    const QSize caption = captionSize();
    captionPos_ = QPoint(int(std::floor((surface.width() - caption.width()) / 2.0)),
                         int(std::floor((surface.height() - caption.height()) / 2.0)));
    updateBar();
    laidOut_ = true;
    update();
    Q_EMIT resized();
}

void UcPBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Transparent: nothing is laid down, the host's background stays.
    if (backStyle_ == 1)
        painter.fillRect(rect(), backColor_);

    const QRect fill = fillRect();
    if (fill.width() > 0 && fill.height() > 0) {
        painter.fillRect(fill, barBackColor_);
        if (barBorder_ == 1) {
            painter.setPen(WindowFrame);
            painter.drawRect(fill.adjusted(0, 0, -1, -1));
        }
    }

    if (!caption_.isEmpty()) {
        const QRect caption = captionRect();
        painter.setFont(font());
        painter.setPen(foreColor_);
        painter.drawText(caption.left(), caption.top() + QFontMetrics(font()).ascent(), caption_);
    }

    if (borderStyle_ == 1) {
        painter.setPen(WindowFrame);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void UcPBar::resizeEvent(QResizeEvent*)
{
    layoutSurface();
}

void UcPBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        update();
    QWidget::changeEvent(event);
}

bool UcPBar::onSurface(const QPointF& position) const
{
    const QPoint point = position.toPoint();
    return rect().contains(point) && !fillRect().contains(point) && !captionRect().contains(point);
}

void UcPBar::mousePressEvent(QMouseEvent* event)
{
    pressedOnSurface_ = onSurface(event->position());
    if (pressedOnSurface_)
        Q_EMIT mouseDown(buttonsOf(event), event->modifiers(), event->position());
}

void UcPBar::mouseMoveEvent(QMouseEvent* event)
{
    if (onSurface(event->position()))
        Q_EMIT mouseMove(buttonsOf(event), event->modifiers(), event->position());
}

void UcPBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressedOnSurface_)
        return;
    pressedOnSurface_ = event->buttons() != Qt::NoButton;
    Q_EMIT mouseUp(buttonsOf(event), event->modifiers(), event->position());
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT click();
}

void UcPBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is the double click itself.
    if (onSurface(event->position()))
        Q_EMIT dblClick();
}

void UcPBar::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyDown(event->key(), event->modifiers());
    if (!event->text().isEmpty())
        Q_EMIT keyPress(event->text());
    QWidget::keyPressEvent(event);
}

void UcPBar::keyReleaseEvent(QKeyEvent* event)
{
    Q_EMIT keyUp(event->key(), event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void UcPBar::readProperties(const DesignStore& store)
{
    const QPalette colours = palette();
    const QFont ambient = parentWidget() ? parentWidget()->font() : QApplication::font();

    backColor_ = store.readColor(QStringLiteral("BackColor"), ButtonFace, colours);
    foreColor_ = store.readColor(QStringLiteral("ForeColor"), TitleBarText, colours);
    setEnabled(store.read(QStringLiteral("Enabled"), true).toBool());
    setFont(store.read(QStringLiteral("Font"), QVariant::fromValue(ambient)).value<QFont>());
    const int backStyle = store.read(QStringLiteral("BackStyle"), 1).toInt();
    if (backStyle == 0 || backStyle == 1)
        backStyle_ = backStyle;
    const int borderStyle = store.read(QStringLiteral("BorderStyle"), 0).toInt();
    if (borderStyle == 0 || borderStyle == 1)
        borderStyle_ = borderStyle;
    setCaptionText(store.read(QStringLiteral("Caption"), InitialCaption).toString());
    // The attribute keys override the restored font's own.
    QFont f = font();
    f.setItalic(store.read(QStringLiteral("FontItalic"), false).toBool());
    f.setBold(store.read(QStringLiteral("FontBold"), false).toBool());
    f.setStrikeOut(store.read(QStringLiteral("FontStrikethru"), false).toBool());
    fontTransparent_ = store.read(QStringLiteral("FontTransparent"), true).toBool();
    f.setUnderline(store.read(QStringLiteral("FontUnderline"), false).toBool());
    setFont(f);
    min_ = store.read(QStringLiteral("Min"), 0).toInt();
    barBackColor_ = store.readColor(QStringLiteral("BarBackColor"), TitleBar, colours);
    const int barBorder = store.read(QStringLiteral("BarBorder"), 1).toInt();
    if (barBorder == 0 || barBorder == 1)
        barBorder_ = barBorder;
    max_ = store.read(QStringLiteral("Max"), 100).toInt();
    value_ = store.read(QStringLiteral("Value"), 0).toInt();
    displayStyle_ = store.read(QStringLiteral("DisplayStyle"), 0).toInt();

    // The bar is written by the layout that gives the control its size; a
    // control that already has its size is laid out again now.
    if (laidOut_)
        layoutSurface();
    update();
}

void UcPBar::writeProperties(DesignStore& store) const
{
    const QPalette colours = palette();
    const QFont ambient = parentWidget() ? parentWidget()->font() : QApplication::font();
    const QFont f = font();
    float points = float(f.pointSizeF());
    if (points <= 0)
        points = float(f.pixelSize() * 72.0 / logicalDpiY());

    store.writeColor(QStringLiteral("BackColor"), backColor_, ButtonFace, colours);
    store.writeColor(QStringLiteral("ForeColor"), foreColor_, TitleBarText, colours);
    store.write(QStringLiteral("Enabled"), !testAttribute(Qt::WA_ForceDisabled), true);
    store.write(QStringLiteral("Font"), QVariant::fromValue(f), QVariant::fromValue(ambient));
    store.write(QStringLiteral("BackStyle"), backStyle_, 1);
    store.write(QStringLiteral("BorderStyle"), borderStyle_, 0);
    store.write(QStringLiteral("Caption"), caption_, InitialCaption);
    store.write(QStringLiteral("FontItalic"), f.italic(), false);
    store.write(QStringLiteral("FontBold"), f.bold(), false);
    store.write(QStringLiteral("FontName"), f.family(), QString());
    store.write(QStringLiteral("FontSize"), points, 0.0f);
    store.write(QStringLiteral("FontStrikethru"), f.strikeOut(), false);
    store.write(QStringLiteral("FontTransparent"), fontTransparent_, true);
    store.write(QStringLiteral("FontUnderline"), f.underline(), false);
    store.write(QStringLiteral("Min"), min_, 0);
    store.writeColor(QStringLiteral("BarBackColor"), barBackColor_, TitleBar, colours);
    store.write(QStringLiteral("BarBorder"), barBorder_, 1);
    store.write(QStringLiteral("Max"), max_, 100);
    store.write(QStringLiteral("Value"), value_, 0);
    store.write(QStringLiteral("DisplayStyle"), displayStyle_, 0);
}
