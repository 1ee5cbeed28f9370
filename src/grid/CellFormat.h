#pragma once

#include "platform/ColorValue.h"

#include <QFont>

#include <vector>

enum class HorizontalAlignment { Left, Right, Center };
enum class VerticalAlignment { Top, Bottom, Middle };
enum class CellBevelStyle { None, Raised, Lowered };

// The brush a cell is filled with.
struct GridBrush
{
    ColorValue color = Colors::clWindow;
};

// The font a cell's text is drawn with, and its colour.
struct GridFont : QFont
{
    ColorValue color = Colors::clWindowText;
};

// How one cell is painted, and the control it has.
struct CellFormat
{
    GridBrush brush;
    GridFont font;
    HorizontalAlignment alignmentHorz = HorizontalAlignment::Left;
    VerticalAlignment alignmentVert = VerticalAlignment::Top;
    CellBevelStyle bevelStyle = CellBevelStyle::None;
    ColorValue highlightColor = Colors::clWindow;
    ColorValue shadowColor = Colors::clWindow;
    bool hideText = false;
    // A check box showing the cell's text as checked or not, a drop-down list, or an
    // ellipsis button.
    bool checkBox = false;
    bool comboBox = false;
    bool ellipsis = false;
};

// A per-column or per-row format; only an active one is applied.
struct FontSetting
{
    ColorValue fontColor = Colors::clWindowText;
    ColorValue brushColor = Colors::clWindow;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool active = false;
};

using FontList = std::vector<FontSetting>;
