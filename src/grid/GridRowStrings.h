#pragma once

#include <QStringList>

class QObject;
class StringGrid;

// A view of one row (its count is colCount) or one column (its count is rowCount)
// of a string grid. Reading and writing an entry reads and writes the cell.
class GridRowStrings
{
public:
    enum class Kind { Row, Column };

    GridRowStrings(StringGrid *grid, Kind kind, int index);

    int count() const;
    QString strings(int index) const;
    void setStrings(int index, const QString &text);
    QString operator[](int index) const { return strings(index); }
    QObject *objects(int index) const;
    void setObjects(int index, QObject *object);

    // Copies, from index 0, as many entries as both sides have: texts and objects.
    void assign(const QStringList &source);
    void assign(const GridRowStrings &source);
    GridRowStrings &operator=(const QStringList &source);
    GridRowStrings &operator=(const GridRowStrings &source);

    // Writes the text into the first empty cell (a single blank for an empty
    // text) and gives its index, or -1 when no cell is empty.
    int add(const QString &text);
    // Empties every cell and object reference of the view.
    void clear();
    // Refused: a grid view has a fixed count.
    [[noreturn]] void insert(int index, const QString &text);
    [[noreturn]] void removeAt(int index);

    QStringList toStringList() const;
    operator QStringList() const { return toStringList(); }

    void beginUpdate();
    void endUpdate();

private:
    int col(int index) const { return m_kind == Kind::Row ? index : m_index; }
    int rowOf(int index) const { return m_kind == Kind::Row ? m_index : index; }

    StringGrid *m_grid;
    Kind m_kind;
    int m_index;
};
