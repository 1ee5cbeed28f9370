#pragma once

#include <QFlags>

#include <stdexcept>
#include <string>

// Options of the grid base, one bit each.
enum TGridOption : unsigned {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRangeSelect = 0x0010,
    goDrawFocusSelected = 0x0020,
    goRowSizing = 0x0040,
    goColSizing = 0x0080,
    goRowMoving = 0x0100,
    goColMoving = 0x0200,
    goEditing = 0x0400,
    goTabs = 0x0800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
    goThumbTracking = 0x4000,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

// How a cell is painted: selected, focused, fixed.
enum TGridDrawStateFlag : unsigned {
    gdSelected = 0x1,
    gdFocused = 0x2,
    gdFixed = 0x4,
};
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

// A rectangle of cells given by its column and row indexes, both corners inclusive.
struct TGridRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool Contains(int col, int row) const
    {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
    friend bool operator==(const TGridRect &, const TGridRect &) = default;
};

// A cell position; -1 in either field for a point outside the cells.
struct TGridCoord
{
    int X = -1;
    int Y = -1;
    friend bool operator==(const TGridCoord &, const TGridCoord &) = default;
};

// Raised for operations the grid refuses, such as inserting into a row view.
class EInvalidGridOperation : public std::runtime_error
{
public:
    explicit EInvalidGridOperation(const std::string &message)
        : std::runtime_error(message)
    {
    }
};
