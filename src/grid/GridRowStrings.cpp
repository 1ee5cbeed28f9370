#include "grid/GridRowStrings.h"

#include "grid/StringGrid.h"

#include <algorithm>

namespace {
const char *const InsertDeleteError = "Cannot insert or delete rows from grid";
}

GridRowStrings::GridRowStrings(StringGrid *grid, Kind kind, int index)
    : m_grid(grid)
    , m_kind(kind)
    , m_index(index)
{ }

int GridRowStrings::count() const
{
    return m_kind == Kind::Row ? m_grid->colCount() : m_grid->rowCount();
}

QString GridRowStrings::strings(int index) const
{
    return m_grid->cells(col(index), rowOf(index));
}

void GridRowStrings::setStrings(int index, const QString &text)
{
    m_grid->setCells(col(index), rowOf(index), text);
}

QObject *GridRowStrings::objects(int index) const
{
    return m_grid->objects(col(index), rowOf(index));
}

void GridRowStrings::setObjects(int index, QObject *object)
{
    m_grid->setObjects(col(index), rowOf(index), object);
}

void GridRowStrings::assign(const QStringList &source)
{
    beginUpdate();
    const int n = std::min(int(source.size()), count());
    for (int i = 0; i < n; ++i) {
        setStrings(i, source.at(i));
        setObjects(i, nullptr);
    }
    endUpdate();
}

void GridRowStrings::assign(const GridRowStrings &source)
{
    if (source.m_grid == m_grid && source.m_kind == m_kind && source.m_index == m_index)
        return;
    // Read the source first: it may overlap this view (a column and a row).
    const QStringList texts = source.toStringList();
    std::vector<QObject *> objects;
    for (int i = 0; i < source.count(); ++i)
        objects.push_back(source.objects(i));
    beginUpdate();
    const int n = std::min(int(texts.size()), count());
    for (int i = 0; i < n; ++i) {
        setStrings(i, texts.at(i));
        setObjects(i, objects[size_t(i)]);
    }
    endUpdate();
}

GridRowStrings &GridRowStrings::operator=(const QStringList &source)
{
    assign(source);
    return *this;
}

GridRowStrings &GridRowStrings::operator=(const GridRowStrings &source)
{
    assign(source);
    return *this;
}

int GridRowStrings::add(const QString &text)
{
    for (int i = 0; i < count(); ++i) {
        if (strings(i).isEmpty()) {
            setStrings(i, text.isEmpty() ? QStringLiteral(" ") : text);
            return i;
        }
    }
    return -1;
}

void GridRowStrings::clear()
{
    beginUpdate();
    for (int i = 0; i < count(); ++i) {
        setStrings(i, QString());
        setObjects(i, nullptr);
    }
    endUpdate();
}

void GridRowStrings::insert(int, const QString &)
{
    throw InvalidGridOperation(InsertDeleteError);
}

void GridRowStrings::removeAt(int)
{
    throw InvalidGridOperation(InsertDeleteError);
}

QStringList GridRowStrings::toStringList() const
{
    QStringList list;
    const int n = count();
    list.reserve(n);
    for (int i = 0; i < n; ++i)
        list.append(strings(i));
    return list;
}

void GridRowStrings::beginUpdate()
{
    m_grid->beginCellUpdate();
}

void GridRowStrings::endUpdate()
{
    m_grid->endCellUpdate();
}
