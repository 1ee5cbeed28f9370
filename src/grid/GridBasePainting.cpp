#include "grid/GridBase.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

// ---- painting ----------------------------------------------------------------

GridDrawState GridBase::cellState(int col, int row) const
{
    GridDrawState state;
    if (col < fixedCols() || row < fixedRows()) {
        state |= GridDrawStateFlag::Fixed;
        return state;
    }
    if (hasFocus() && col == m_current.x && row == m_current.y)
        state |= GridDrawStateFlag::Focused;
    if (selection().contains(col, row))
        state |= GridDrawStateFlag::Selected;
    return state;
}

ColorValue GridBase::cellBrushColor(int, int, GridDrawState state) const
{
    if (state & GridDrawStateFlag::Fixed)
        return m_fixedColor;
    if ((state & GridDrawStateFlag::Selected)
        && (!(state & GridDrawStateFlag::Focused)
            || (m_options & (GridOption::DrawFocusSelected | GridOption::RowSelect))))
        return Colors::clHighlight;
    return m_color;
}

ColorValue GridBase::cellFontColor(GridDrawState state) const
{
    if (!(state & GridDrawStateFlag::Fixed) && (state & GridDrawStateFlag::Selected)
        && (!(state & GridDrawStateFlag::Focused)
            || (m_options & (GridOption::DrawFocusSelected | GridOption::RowSelect))))
        return Colors::clHighlightText;
    return Colors::clWindowText;
}

void GridBase::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const int width = viewport()->width();
    const int height = viewport()->height();
    painter.fillRect(exposed, toQColor(m_color));
    const QColor fixedLine = toQColor(Colors::clBtnShadow);
    const QColor normalLine = toQColor(Colors::clSilver);

    int y = 0;
    auto paintRow = [&](int row) {
        const int h = rowHeight(row);
        if (h < 0)
            return;
        const int rowLine = m_geometry.rowLine(row);
        int x = 0;
        auto paintCol = [&](int col) {
            const int w = columnWidth(col);
            if (w < 0)
                return;
            const int colLine = m_geometry.colLine(col);
            const QRect rect(x, y, w, h);
            if (rect.adjusted(0, 0, colLine, rowLine).intersects(exposed)) {
                paintCell(painter, col, row, rect);
                const bool fixed = col < fixedCols() || row < fixedRows();
                const QColor &line = fixed ? fixedLine : normalLine;
                if (colLine > 0)
                    painter.fillRect(QRect(x + w, y, colLine, h + rowLine), line);
                if (rowLine > 0)
                    painter.fillRect(QRect(x, y + h, w + colLine, rowLine), line);
            }
            x += w + colLine;
        };
        for (int c = 0; c < fixedCols() && x < width; ++c)
            paintCol(c);
        for (int c = leftCol(); c < colCount() && x < width; ++c)
            paintCol(c);
        y += h + rowLine;
    };
    for (int r = 0; r < fixedRows() && y < height; ++r)
        paintRow(r);
    for (int r = topRow(); r < rowCount() && y < height; ++r)
        paintRow(r);
}

void GridBase::paintCell(QPainter &painter, int col, int row, const QRect &rect)
{
    const GridDrawState state = cellState(col, row);
    painter.save();
    painter.setClipRect(rect);
    if (m_defaultDrawing)
        painter.fillRect(rect, toQColor(cellBrushColor(col, row, state)));
    painter.setPen(toQColor(cellFontColor(state)));
    painter.setFont(font());
    drawCell(painter, col, row, rect, state);
    if (m_defaultDrawing && (state & GridDrawStateFlag::Focused) && !(m_options & GridOption::RowSelect)) {
        QPen pen(toQColor(Colors::clWindowText), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

void GridBase::drawCell(QPainter &, int, int, const QRect &, GridDrawState)
{ }

void GridBase::invalidateCell(int col, int row)
{
    const QRect r = cellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r.adjusted(0, 0, gridLineWidth(), gridLineWidth()));
}

void GridBase::invalidateRow(int row)
{
    const int y = geometryInView().rowTop(row);
    if (y >= 0)
        viewport()->update(QRect(0, y, viewport()->width(), rowHeight(row) + gridLineWidth()));
}

void GridBase::invalidateCol(int col)
{
    const int x = geometryInView().colLeft(col);
    if (x >= 0)
        viewport()->update(QRect(x, 0, columnWidth(col) + gridLineWidth(), viewport()->height()));
}

void GridBase::invalidateGrid()
{
    viewport()->update();
}

void GridBase::invalidateRect(const GridRect &rect)
{
    // Rows outside the view cost nothing: only the rows in view are looked at.
    const int first = std::max(rect.top, topRow());
    const int last = std::min(rect.bottom, topRow() + visibleRowCount() + 1);
    for (int r = first; r <= last; ++r)
        invalidateRow(r);
    for (int r = rect.top; r <= rect.bottom && r < fixedRows(); ++r)
        invalidateRow(r);
}
