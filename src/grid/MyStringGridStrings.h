#pragma once

#include <QStringList>

class QObject;
class TMyStringGrid;

// A view of one row (its count is ColCount) or one column (its count is RowCount)
// of a string grid. Reading and writing an entry reads and writes the cell.
class TMyStringGridStrings
{
public:
    enum TKind { vkRow, vkCol };

    TMyStringGridStrings(TMyStringGrid *grid, TKind kind, int index);

    int Count() const;
    QString Strings(int index) const;
    void setStrings(int index, const QString &text);
    QString operator[](int index) const { return Strings(index); }
    QObject *Objects(int index) const;
    void setObjects(int index, QObject *object);

    // Copies, from index 0, as many entries as both sides have: texts and objects.
    void Assign(const QStringList &source);
    void Assign(const TMyStringGridStrings &source);
    TMyStringGridStrings &operator=(const QStringList &source);
    TMyStringGridStrings &operator=(const TMyStringGridStrings &source);

    // Writes the text into the first empty cell (a single blank for an empty
    // text) and gives its index, or -1 when no cell is empty.
    int Add(const QString &text);
    // Empties every cell and object reference of the view.
    void Clear();
    // Refused: a grid view has a fixed count.
    [[noreturn]] void Insert(int index, const QString &text);
    [[noreturn]] void Delete(int index);

    QStringList ToStringList() const;
    operator QStringList() const { return ToStringList(); }

    void BeginUpdate();
    void EndUpdate();

private:
    int Col(int index) const { return m_kind == vkRow ? index : m_index; }
    int RowOf(int index) const { return m_kind == vkRow ? m_index : index; }

    TMyStringGrid *m_grid;
    TKind m_kind;
    int m_index;
};
