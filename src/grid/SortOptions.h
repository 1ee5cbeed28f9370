#pragma once

#include <QString>

#include <functional>

enum TSortStyle { ssAutomatic, ssNormal, ssNumeric, ssNumericExtended, ssDateTime, ssTime, ssCustom };
enum TSortDirection { sdAscending, sdDescending };

// A comparison of two key texts: negative, zero or positive.
using TSortCompare = std::function<int(const QString &, const QString &)>;

// The sort settings of a sortable grid. Assigning one options object to another
// copies every field.
class TSortOptions
{
public:
    bool CanSort() const { return m_canSort; }
    void setCanSort(bool value) { m_canSort = value; }
    // Comma-separated column indexes used as further keys after SortCol.
    QString SecondaryIndex() const { return m_secondaryIndex; }
    void setSecondaryIndex(const QString &value) { m_secondaryIndex = value; }
    TSortStyle SortStyle() const { return m_sortStyle; }
    void setSortStyle(TSortStyle value) { m_sortStyle = value; }
    bool SortCaseSensitive() const { return m_sortCaseSensitive; }
    void setSortCaseSensitive(bool value) { m_sortCaseSensitive = value; }
    int SortCol() const { return m_sortCol; }
    void setSortCol(int value) { m_sortCol = value; }
    TSortDirection SortDirection() const { return m_sortDirection; }
    void setSortDirection(TSortDirection value) { m_sortDirection = value; }
    bool UpdateOnSizeChange() const { return m_updateOnSizeChange; }
    void setUpdateOnSizeChange(bool value) { m_updateOnSizeChange = value; }
    // The comparison used by ssCustom; the grid drops it at the end of every sort.
    const TSortCompare &SortCompare() const { return m_sortCompare; }
    void setSortCompare(TSortCompare value) { m_sortCompare = std::move(value); }

private:
    bool m_canSort = true;
    QString m_secondaryIndex;
    TSortStyle m_sortStyle = ssNormal;
    bool m_sortCaseSensitive = false;
    int m_sortCol = 0;
    TSortDirection m_sortDirection = sdAscending;
    bool m_updateOnSizeChange = false;
    TSortCompare m_sortCompare;
};
