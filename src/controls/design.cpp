#include "controls/design.h"

#include <QStringList>
#include <QWidget>

namespace Design {

QColor color(quint32 stored, const QPalette& palette)
{
    if (stored & 0x80000000u) {
        switch (stored & 0xFFu) {
        case 0x02: // active title bar
            return palette.color(QPalette::Active, QPalette::Highlight);
        case 0x05: // window background
            return palette.color(QPalette::Base);
        case 0x08: // window text
            return palette.color(QPalette::Text);
        case 0x09: // active title-bar text
            return palette.color(QPalette::Active, QPalette::HighlightedText);
        case 0x0C: // application workspace
            return palette.color(QPalette::Mid);
        case 0x0F: // button face
            return palette.color(QPalette::Button);
        case 0x10: // button shadow
            return palette.color(QPalette::Dark);
        case 0x12: // button text
            return palette.color(QPalette::ButtonText);
        case 0x14: // button highlight
            return palette.color(QPalette::Light);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(int(stored & 0xFFu), int((stored >> 8) & 0xFFu), int((stored >> 16) & 0xFFu));
}

namespace {

QFont sans(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

QFont msSansSerif(bool bold)
{
    return sans(11, bold);
}

QFont tahoma(bool bold)
{
    return sans(11, bold);
}

QFont arial(int pixelSize, bool bold, bool italic)
{
    QFont font = sans(pixelSize, bold);
    font.setItalic(italic);
    return font;
}

void place(QWidget* control, QWidget* container, int left, int top, int width, int height)
{
    if (control->parentWidget() != container) {
        const bool hidden = control->isHidden();
        control->setParent(container);
        control->setHidden(hidden);
    }
    control->setGeometry(left, top, width, height);
}

} // namespace Design
