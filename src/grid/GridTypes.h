#pragma once

#include <QFlags>

#include <stdexcept>
#include <string>

// Options of the grid base, one bit each.
enum class GridOption : unsigned {
    FixedVertLine = 0x0001,
    FixedHorzLine = 0x0002,
    VertLine = 0x0004,
    HorzLine = 0x0008,
    RangeSelect = 0x0010,
    DrawFocusSelected = 0x0020,
    RowSizing = 0x0040,
    ColSizing = 0x0080,
    RowMoving = 0x0100,
    ColMoving = 0x0200,
    Editing = 0x0400,
    Tabs = 0x0800,
    RowSelect = 0x1000,
    AlwaysShowEditor = 0x2000,
    ThumbTracking = 0x4000,
};
Q_DECLARE_FLAGS(GridOptions, GridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridOptions)

// How a cell is painted: selected, focused, fixed.
enum class GridDrawStateFlag : unsigned {
    Selected = 0x1,
    Focused = 0x2,
    Fixed = 0x4,
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
