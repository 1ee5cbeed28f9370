#include "MyStringGridStrings.h"

#include "MyStringGrid.h"

#include <algorithm>

namespace {
const char *const InsertDeleteError = "Cannot insert or delete rows from grid";
}

TMyStringGridStrings::TMyStringGridStrings(TMyStringGrid *grid, TKind kind, int index)
    : m_grid(grid)
    , m_kind(kind)
    , m_index(index)
{
}

int TMyStringGridStrings::Count() const
{
    return m_kind == vkRow ? m_grid->ColCount() : m_grid->RowCount();
}

QString TMyStringGridStrings::Strings(int index) const
{
    return m_grid->Cells(Col(index), RowOf(index));
}

void TMyStringGridStrings::setStrings(int index, const QString &text)
{
    m_grid->setCells(Col(index), RowOf(index), text);
}

QObject *TMyStringGridStrings::Objects(int index) const
{
    return m_grid->Objects(Col(index), RowOf(index));
}

void TMyStringGridStrings::setObjects(int index, QObject *object)
{
    m_grid->setObjects(Col(index), RowOf(index), object);
}

void TMyStringGridStrings::Assign(const QStringList &source)
{
    BeginUpdate();
    const int n = std::min(int(source.size()), Count());
    for (int i = 0; i < n; ++i) {
        setStrings(i, source.at(i));
        setObjects(i, nullptr);
    }
    EndUpdate();
}

void TMyStringGridStrings::Assign(const TMyStringGridStrings &source)
{
    if (source.m_grid == m_grid && source.m_kind == m_kind && source.m_index == m_index)
        return;
    // Read the source first: it may overlap this view (a column and a row).
    const QStringList texts = source.ToStringList();
    std::vector<QObject *> objects;
    for (int i = 0; i < source.Count(); ++i)
        objects.push_back(source.Objects(i));
    BeginUpdate();
    const int n = std::min(int(texts.size()), Count());
    for (int i = 0; i < n; ++i) {
        setStrings(i, texts.at(i));
        setObjects(i, objects[size_t(i)]);
    }
    EndUpdate();
}

TMyStringGridStrings &TMyStringGridStrings::operator=(const QStringList &source)
{
    Assign(source);
    return *this;
}

TMyStringGridStrings &TMyStringGridStrings::operator=(const TMyStringGridStrings &source)
{
    Assign(source);
    return *this;
}

int TMyStringGridStrings::Add(const QString &text)
{
    for (int i = 0; i < Count(); ++i) {
        if (Strings(i).isEmpty()) {
            setStrings(i, text.isEmpty() ? QStringLiteral(" ") : text);
            return i;
        }
    }
    return -1;
}

void TMyStringGridStrings::Clear()
{
    BeginUpdate();
    for (int i = 0; i < Count(); ++i) {
        setStrings(i, QString());
        setObjects(i, nullptr);
    }
    EndUpdate();
}

void TMyStringGridStrings::Insert(int, const QString &)
{
    throw EInvalidGridOperation(InsertDeleteError);
}

void TMyStringGridStrings::Delete(int)
{
    throw EInvalidGridOperation(InsertDeleteError);
}

QStringList TMyStringGridStrings::ToStringList() const
{
    QStringList list;
    const int n = Count();
    list.reserve(n);
    for (int i = 0; i < n; ++i)
        list.append(Strings(i));
    return list;
}

void TMyStringGridStrings::BeginUpdate()
{
    m_grid->BeginCellUpdate();
}

void TMyStringGridStrings::EndUpdate()
{
    m_grid->EndCellUpdate();
}
