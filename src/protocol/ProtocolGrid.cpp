#include "protocol/ProtocolGrid.h"

#include "protocol/ProtocolColumns.h"

ProtocolGrid::ProtocolGrid(QWidget *parent)
    : SortGrid(parent)
{ }

CellFormat ProtocolGrid::cellFormat(int col, int row, GridDrawState state) const
{
    CellFormat format = SortGrid::cellFormat(col, row, state);
    format.comboBox = col == ProtocolColumns::ColCountry;
    if (col == ProtocolColumns::ColStatus)
        format.alignmentHorz = HorizontalAlignment::Center;
    else if (row == 0 || col == ProtocolColumns::ColCountry)
        format.alignmentHorz = HorizontalAlignment::Left;
    return format;
}

ComboChoices ProtocolGrid::comboChoices(int, int) const
{
    if (!options().testFlag(GridOption::Editing))
        return {};
    ComboChoices choices;
    choices.items = m_countryCodes;
    choices.sorted = false;
    return choices;
}

bool ProtocolGrid::canSelectCell(int col, int row)
{
    if (col >= 2)
        return true;
    // The row shows as selected; the cell cursor stays where it was.
    highlightCells(GridRect{1, row, colCount() - 1, row});
    return false;
}
