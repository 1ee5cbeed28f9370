#pragma once

#include <QColor>
#include <QtGlobal>

// A colour as the system stores it: $00BBGGRR with red in the low byte.
// A value whose top byte is $FF names a system colour by its index.
using ColorValue = quint32;

namespace Colors {
inline constexpr ColorValue clBlack = 0x000000;
inline constexpr ColorValue clMaroon = 0x000080;
inline constexpr ColorValue clGreen = 0x008000;
inline constexpr ColorValue clOlive = 0x008080;
inline constexpr ColorValue clNavy = 0x800000;
inline constexpr ColorValue clPurple = 0x800080;
inline constexpr ColorValue clTeal = 0x808000;
inline constexpr ColorValue clGray = 0x808080;
inline constexpr ColorValue clSilver = 0xC0C0C0;
inline constexpr ColorValue clRed = 0x0000FF;
inline constexpr ColorValue clLime = 0x00FF00;
inline constexpr ColorValue clYellow = 0x00FFFF;
inline constexpr ColorValue clBlue = 0xFF0000;
inline constexpr ColorValue clFuchsia = 0xFF00FF;
inline constexpr ColorValue clAqua = 0xFFFF00;
inline constexpr ColorValue clWhite = 0xFFFFFF;
inline constexpr ColorValue clDkGray = 0x404040;

// System colours: $FF000000 plus the index of the system colour.
inline constexpr ColorValue clScrollBar = 0xFF000000;
inline constexpr ColorValue clWindow = 0xFF000005;
inline constexpr ColorValue clWindowText = 0xFF000008;
inline constexpr ColorValue clHighlight = 0xFF00000D;
inline constexpr ColorValue clHighlightText = 0xFF00000E;
inline constexpr ColorValue clBtnFace = 0xFF00000F;
inline constexpr ColorValue clBtnShadow = 0xFF000010;
inline constexpr ColorValue clGrayText = 0xFF000011;
inline constexpr ColorValue clBtnText = 0xFF000012;
inline constexpr ColorValue clBtnHighlight = 0xFF000014;
inline constexpr ColorValue cl3DDkShadow = 0xFF000015;
inline constexpr ColorValue cl3DLight = 0xFF000016;
inline constexpr ColorValue clInfoBk = 0xFF000018;
} // namespace Colors

inline constexpr bool isSystemColor(ColorValue value)
{
    return (value >> 24) == 0xFF;
}

// The one place where colour values become QColor: plain values by their bytes,
// system colours through the application palette.
QColor toQColor(ColorValue value);

// The plain colour value of a QColor (alpha dropped).
ColorValue fromQColor(const QColor &color);
