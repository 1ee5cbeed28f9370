#pragma once

#include "ColorValue.h"

#include <QFont>

#include <vector>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVertAlignment { taTopJustify, taBottomJustify, taMiddle };
enum TCellBevelStyle { cbNone, cbRaised, cbLowered };

// The brush a cell is filled with.
struct TGridBrush
{
    TColor Color = Colors::clWindow;
};

// The font a cell's text is drawn with, and its colour.
struct TGridFont : QFont
{
    TColor Color = Colors::clWindowText;
};

// What the owner may change about the painting of one cell.
struct TFormatOptions
{
    TGridBrush Brush;
    TGridFont Font;
    TAlignment AlignmentHorz = taLeftJustify;
    TVertAlignment AlignmentVert = taTopJustify;
    TCellBevelStyle BevelStyle = cbNone;
    TColor HighlightColor = Colors::clWindow;
    TColor ShadowColor = Colors::clWindow;
    bool HideText = false;
};

// A per-column or per-row format; only an active one is applied.
struct TFontSetting
{
    TColor FontColor = Colors::clWindowText;
    TColor BrushColor = Colors::clWindow;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Active = false;
};

using TFontList = std::vector<TFontSetting>;
