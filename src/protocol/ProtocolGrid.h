#pragma once

#include "grid/SortGrid.h"

#include <QStringList>

// The grid of the results protocol: the status column centred, the title row and the
// country column left-aligned, the country column a drop-down of the country codes
// while editing, and the columns left of the time taking no cursor: a click there
// highlights the result row instead.
class ProtocolGrid : public SortGrid
{
    Q_OBJECT

public:
    explicit ProtocolGrid(QWidget *parent = nullptr);

    // The entries of the country column's drop-down list, in their own order.
    QStringList countryCodes() const { return m_countryCodes; }
    void setCountryCodes(const QStringList &value) { m_countryCodes = value; }

    CellFormat cellFormat(int col, int row, GridDrawState state) const override;
    ComboChoices comboChoices(int col, int row) const override;
    bool canSelectCell(int col, int row) override;

private:
    QStringList m_countryCodes;
};
