#include "protocol/ProtocolPanel.h"

#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolResults.h"

// The protocol's result rows: a phantom or doubled finish taken out, a missed one put in
// (the next finish numbers on from the new last result), start numbers looked up.

QStringList ProtocolPanel::deleteResultRow(int row)
{
    m_grid->commitEditing();
    const QStringList cells = m_grid->rowStrings(row).toStringList();
    m_lastResultRow = ProtocolResults::deleteResult(*m_table, row, m_lastResultRow);
    m_grid->setModified(true);
    measureColumns();
    layoutProtocolColumns();
    updateProtocolCommands();
    selectResultRow(std::clamp(row, 1, m_grid->rowCount() - 1));
    Q_EMIT resultCountChanged(m_lastResultRow);
    return cells;
}

int ProtocolPanel::insertResultRow(int row)
{
    m_grid->commitEditing();
    const int inserted = ProtocolResults::insertResult(*m_table, row, m_lastResultRow);
    ++m_lastResultRow;
    m_grid->setModified(true);
    measureColumns();
    layoutProtocolColumns();
    updateProtocolCommands();
    selectResultRow(inserted);
    Q_EMIT resultCountChanged(m_lastResultRow);
    return inserted;
}

int ProtocolPanel::resultWithStartNumber(QStringView startNumber, int exceptRow) const
{
    for (int r = 1; r <= m_lastResultRow; ++r) {
        if (r != exceptRow && m_grid->cellView(ProtocolColumns::ColStartNumber, r) == startNumber)
            return r;
    }
    return 0;
}
