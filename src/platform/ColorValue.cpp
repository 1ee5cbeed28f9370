#include "platform/ColorValue.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QPalette::ColorRole systemColorRole(quint32 index)
{
    switch (index) {
    case 5:
        return QPalette::Base; // window background
    case 8:
        return QPalette::Text; // window text
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 15:
        return QPalette::Button; // button face
    case 16:
        return QPalette::Mid; // button shadow
    case 17:
        return QPalette::PlaceholderText; // grey text
    case 18:
        return QPalette::ButtonText;
    case 20:
        return QPalette::Light; // button highlight
    case 21:
        return QPalette::Shadow; // dark 3D shadow
    case 22:
        return QPalette::Midlight; // 3D light
    case 24:
        return QPalette::ToolTipBase; // info background
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor toQColor(ColorValue value)
{
    if (isSystemColor(value)) {
        const QPalette palette = QGuiApplication::palette();
        return palette.color(QPalette::Active, systemColorRole(value & 0xFFFFFF));
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

ColorValue fromQColor(const QColor &color)
{
    return ColorValue(color.red()) | (ColorValue(color.green()) << 8) | (ColorValue(color.blue()) << 16);
}
