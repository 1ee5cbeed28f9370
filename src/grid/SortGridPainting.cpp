#include "grid/GridImages.h"
#include "grid/SortGrid.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

// ---- cell format and painting ------------------------------------------------------

void SortGrid::setAlignmentHorz(HorizontalAlignment value)
{
    if (value == m_alignmentHorz)
        return;
    m_alignmentHorz = value;
    invalidateGrid();
}

void SortGrid::setAlignmentVert(VerticalAlignment value)
{
    if (value == m_alignmentVert)
        return;
    m_alignmentVert = value;
    invalidateGrid();
}

void SortGrid::setBevelStyle(CellBevelStyle value)
{
    if (value == m_bevelStyle)
        return;
    m_bevelStyle = value;
    invalidateGrid();
}

void SortGrid::setProportionalScrollBars(bool value)
{
    if (value == m_proportionalScrollBars)
        return;
    m_proportionalScrollBars = value;
    if (value)
        updateProportionalScrollBars();
    else
        updateScrollRange();
}

void SortGrid::updateProportionalScrollBars()
{
    if (!m_proportionalScrollBars)
        return;
    QScrollBar *v = verticalScrollBar();
    if (scrollBars() == ScrollStyle::Vertical || scrollBars() == ScrollStyle::Both) {
        const double share = double(visibleRowCount() + 1) / double(std::max(1, rowCount()));
        const double page = std::nearbyint(share * double(v->maximum() - v->minimum() + 1));
        v->setPageStep(std::max(1, int(page)));
    }
    QScrollBar *h = horizontalScrollBar();
    if (scrollBars() == ScrollStyle::Horizontal || scrollBars() == ScrollStyle::Both) {
        const double share = double(visibleColCount()) / double(std::max(1, colCount()));
        const double page = std::nearbyint(share * double(h->maximum() - h->minimum() + 1));
        h->setPageStep(std::max(1, int(page)));
        h->update();
    }
}

CellFormat SortGrid::currentFormat(int col, int row) const
{
    GridDrawState state;
    if (hasFocus() && col == currentCol() && row == currentRow())
        state |= GridDrawStateFlag::Focused;
    if (selection().contains(col, row))
        state |= GridDrawStateFlag::Selected;
    return cellFormat(col, row, state);
}

CellFormat SortGrid::cellFormat(int col, int row, GridDrawState) const
{
    CellFormat formatOptions;
    const GridDrawState baseState = cellState(col, row);
    formatOptions.brush.color = cellBrushColor(col, row, baseState);
    static_cast<QFont &>(formatOptions.font) = font();
    formatOptions.font.color = cellFontColor(baseState);
    formatOptions.alignmentHorz = m_alignmentHorz;
    formatOptions.alignmentVert = m_alignmentVert;
    formatOptions.bevelStyle = m_bevelStyle;
    switch (m_bevelStyle) {
    case CellBevelStyle::Raised:
        formatOptions.highlightColor = Colors::clBtnHighlight;
        formatOptions.shadowColor = Colors::clBtnShadow;
        break;
    case CellBevelStyle::Lowered:
        formatOptions.highlightColor = Colors::clBtnShadow;
        formatOptions.shadowColor = Colors::clBtnHighlight;
        break;
    default:
        formatOptions.highlightColor = Colors::clWindow;
        formatOptions.shadowColor = Colors::clWindow;
    }
    return formatOptions;
}

FontSetting SortGrid::rowFormatFromCell(int row) const
{
    FontSetting s;
    s.active = true;
    const QStringList items = cells(colCount(), row).split(QLatin1Char(','));
    auto colour = [](const QString &text, ColorValue fallback) {
        const QString t = text.trimmed();
        bool ok = false;
        qint64 v = 0;
        if (t.startsWith(QLatin1Char('$')))
            v = t.mid(1).toLongLong(&ok, 16);
        else
            v = t.toLongLong(&ok, 10);
        if (ok)
            return ColorValue(quint32(v));
        const QColor named = QColor::fromString(t.startsWith(QLatin1String("cl")) ? t.mid(2) : t);
        return named.isValid() ? fromQColor(named) : fallback;
    };
    if (items.size() > 0)
        s.fontColor = colour(items.at(0), Colors::clWindowText);
    s.bold = items.size() > 1 && items.at(1) == QLatin1String("1");
    s.italic = items.size() > 2 && items.at(2) == QLatin1String("1");
    s.underline = items.size() > 3 && items.at(3) == QLatin1String("1");
    if (items.size() > 4)
        s.brushColor = colour(items.at(4), Colors::clWindow);
    return s;
}

void SortGrid::drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState)
{
    const int left = rect.left();
    const int top = rect.top();
    const int width = rect.width(); // Right - Left
    const int height = rect.height(); // Bottom - Top
    if (row > 0 && (nowUpdating() || m_hideRows)) {
        painter.fillRect(rect, toQColor(cellBrushColor(col, row, cellState(col, row))));
        return;
    }
    CellFormat fo = currentFormat(col, row);
    if (fo.checkBox)
        fo.hideText = true;

    const GridRect sel = selection();
    const bool rangeSelect = options() & GridOption::RangeSelect;
    const bool colActive = col < int(m_colFormats.size()) && m_colFormats[size_t(col)].active;
    const bool rowActive = row < int(m_rowFormats.size()) && m_rowFormats[size_t(row)].active;
    auto applyFormat = [&fo](const FontSetting &s) {
        fo.font.color = s.fontColor;
        fo.brush.color = s.brushColor;
        if (s.bold)
            fo.font.setBold(true);
        if (s.italic)
            fo.font.setItalic(true);
        if (s.underline)
            fo.font.setUnderline(true);
    };
    if (rangeSelect && row >= sel.top && row <= sel.bottom) {
        fo.font.color = Colors::clHighlightText;
        fo.brush.color = Colors::clHighlight;
    } else if (m_multiSelect && isRowSelected(row) && !(options() & GridOption::Editing)) {
        fo.font.color = Colors::clHighlightText;
        fo.brush.color = Colors::clHighlight;
    } else if (colActive && !rowActive) {
        applyFormat(m_colFormats[size_t(col)]);
    } else if (rowActive) {
        applyFormat(rowFormatFromCell(row));
    }
    painter.fillRect(rect, toQColor(fo.brush.color));
    painter.setFont(fo.font);
    painter.setPen(toQColor(fo.font.color));
    const QFontMetrics fm(fo.font);
    QString text = cells(col, row);

    const bool marker = col == m_sortOptions->sortCol() && m_sortOptions->canSort();
    if (row == 0) {
        const int avail = marker ? columnWidth(col) - 12 : columnWidth(col) - 1;
        if (fm.horizontalAdvance(text) > avail && text.size() > 1) {
            text.chop(2);
            text += QStringLiteral("..");
            while (fm.horizontalAdvance(text) > avail && text.size() > 3) {
                text.chop(1);
                text[text.size() - 2] = QLatin1Char('.');
            }
        }
    }
    const int textWidth = fm.horizontalAdvance(text);
    const int textHeight = fm.height();
    int dx = 2;
    if (fo.alignmentHorz == HorizontalAlignment::Right)
        dx = width - textWidth - 2;
    else if (fo.alignmentHorz == HorizontalAlignment::Center)
        dx = (width - textWidth) / 2;
    int dy = 2;
    if (fo.alignmentVert == VerticalAlignment::Bottom)
        dy = height - textHeight - 3;
    else if (fo.alignmentVert == VerticalAlignment::Middle)
        dy = (height - textHeight) / 2;

    if (marker) {
        if (row == 0)
            dx += 10;
        const QPixmap &image
            = m_sortOptions->sortDirection() == SortDirection::Ascending ? m_upImage : m_downImage;
        const int w = width <= 10 ? width - 3 : 8;
        const int y = rowHeight(0) / 2 - 4;
        if (w > 0 && row == 0)
            painter.drawPixmap(QPoint(left + 3, y), image, QRect(0, 0, w, 7));
    }
    if (!fo.hideText)
        painter.drawText(QPoint(left + dx, top + dy + fm.ascent()), text);

    if (fo.checkBox) {
        const QPixmap image = gridImage(isCheckedText(cells(col, row)) ? "CHECKED" : "UNCHECKED");
        const int w = width <= 16 ? width - 1 : 16;
        if (w > 0)
            painter.drawPixmap(QPoint(left + (width - w) / 2, top + height / 2 - 8), image,
                               QRect(0, 0, w, 16));
    }
    const bool onCurrentRow = row == currentRow();
    if (fo.comboBox && onCurrentRow && (col == currentCol() || editorShowing())) {
        const QPixmap image = gridImage("COMBOBOX");
        const int w = std::min(16, width);
        painter.drawPixmap(QRect(left + width - w, top, w, height), image, QRect(0, 0, w, 16));
    }
    if (fo.ellipsis && onCurrentRow && col != currentCol()) {
        const QPixmap image = gridImage("ELLIPSIS");
        const int w = std::min(16, width);
        painter.drawPixmap(QRect(left + width - w, top, w, height), image, QRect(0, 0, w, 16));
    }
    if (fo.bevelStyle != CellBevelStyle::None && col >= 0 && row >= 1) {
        const int right = left + width;
        const int bottom = top + height;
        const QColor shadow = toQColor(fo.shadowColor);
        const QColor highlight = toQColor(fo.highlightColor);
        const bool vert = options() & GridOption::FixedVertLine;
        const bool horz = options() & GridOption::FixedHorzLine;
        if (vert) {
            painter.setPen(shadow);
            painter.drawLine(right - 1, top, right - 1, bottom);
        }
        if (horz) {
            painter.setPen(shadow);
            painter.drawLine(left, bottom - 1, right, bottom - 1);
        }
        if (vert) {
            painter.setPen(highlight);
            painter.drawLine(left, top, left, bottom);
        }
        if (horz) {
            painter.setPen(highlight);
            painter.drawLine(left, top, right, top);
        }
    }
}

void SortGrid::autoSizeColumn(int col, bool force)
{
    if (col < 0 || col >= colCount())
        return;
    if (columnWidth(col) < 0 && !force)
        return;
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r) {
        const CellFormat fo = currentFormat(col, r);
        int w = QFontMetrics(fo.font).horizontalAdvance(cells(col, r));
        if (r == 0 && col == m_sortOptions->sortCol() && m_sortOptions->canSort())
            w += 12;
        widest = std::max(widest, w);
    }
    const QFontMetrics fm(font());
    setColumnWidth(col,
                   widest <= 0 ? fm.horizontalAdvance(QStringLiteral("xx"))
                               : widest + fm.horizontalAdvance(QStringLiteral("X")));
}

void SortGrid::autoSizeAllColumns(bool force)
{
    const bool wasUpdating = nowUpdating();
    if (!wasUpdating)
        beginUpdate();
    for (int c = 0; c < colCount(); ++c)
        autoSizeColumn(c, force);
    if (!wasUpdating)
        endUpdate();
}
