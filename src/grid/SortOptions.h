#pragma once

#include <QString>

#include <functional>

enum class SortStyle { Automatic, Normal, Numeric, NumericExtended, DateTime, Time, Custom };
enum class SortDirection { Ascending, Descending };

// A comparison of two key texts: negative, zero or positive.
using SortCompareFunction = std::function<int(const QString &, const QString &)>;

// The sort settings of a sortable grid. Assigning one options object to another
// copies every field.
class SortOptions
{
public:
    bool canSort() const { return m_canSort; }
    void setCanSort(bool value) { m_canSort = value; }
    // Comma-separated column indexes used as further keys after sortCol.
    QString secondaryIndex() const { return m_secondaryIndex; }
    void setSecondaryIndex(const QString &value) { m_secondaryIndex = value; }
    SortStyle sortStyle() const { return m_sortStyle; }
    void setSortStyle(SortStyle value) { m_sortStyle = value; }
    bool sortCaseSensitive() const { return m_sortCaseSensitive; }
    void setSortCaseSensitive(bool value) { m_sortCaseSensitive = value; }
    int sortCol() const { return m_sortCol; }
    void setSortCol(int value) { m_sortCol = value; }
    SortDirection sortDirection() const { return m_sortDirection; }
    void setSortDirection(SortDirection value) { m_sortDirection = value; }
    bool updateOnSizeChange() const { return m_updateOnSizeChange; }
    void setUpdateOnSizeChange(bool value) { m_updateOnSizeChange = value; }
    // The comparison used by SortStyle::Custom; the grid drops it at the end of every sort.
    const SortCompareFunction &sortCompare() const { return m_sortCompare; }
    void setSortCompare(SortCompareFunction value) { m_sortCompare = std::move(value); }

private:
    bool m_canSort = true;
    QString m_secondaryIndex;
    SortStyle m_sortStyle = SortStyle::Normal;
    bool m_sortCaseSensitive = false;
    int m_sortCol = 0;
    SortDirection m_sortDirection = SortDirection::Ascending;
    bool m_updateOnSizeChange = false;
    SortCompareFunction m_sortCompare;
};
