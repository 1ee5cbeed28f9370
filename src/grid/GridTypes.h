#pragma once

#include <QFlags>

#include <stdexcept>
#include <string>

// Options of the grid base, one bit each.
enum GridOption : unsigned {
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
Q_DECLARE_FLAGS(GridOptions, GridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridOptions)

// How a cell is painted: selected, focused, fixed.
enum GridDrawStateFlag : unsigned {
    gdSelected = 0x1,
    gdFocused = 0x2,
    gdFixed = 0x4,
};
Q_DECLARE_FLAGS(GridDrawState, GridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridDrawState)

// A rectangle of cells given by its column and row indexes, both corners inclusive.
struct GridRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool contains(int col, int row) const
    {
        return col >= left && col <= right && row >= top && row <= bottom;
    }
    friend bool operator==(const GridRect &, const GridRect &) = default;
};

// A cell position; -1 in either field for a point outside the cells.
struct GridCoord
{
    int x = -1;
    int y = -1;
    friend bool operator==(const GridCoord &, const GridCoord &) = default;
};

// Raised for operations the grid refuses, such as inserting into a row view.
class InvalidGridOperation : public std::runtime_error
{
public:
    explicit InvalidGridOperation(const std::string &message)
        : std::runtime_error(message)
    { }
};
