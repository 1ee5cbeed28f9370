// The autosave: the protocol's text kept current a finish at a time and written beside
// the race; the yellow warning line while a write fails.
#include "protocol/ProtocolPanel.h"

#include "protocol/AutosaveWriter.h"
#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolText.h"

bool ProtocolPanel::autosaveTextCurrent() const
{
    return m_autosaveText.rowCount == grid->rowCount() && m_autosaveText.cellVersion == grid->cellVersion();
}

const QByteArray &ProtocolPanel::autosaveText()
{
    if (!autosaveTextCurrent())
        m_autosaveText = {ProtocolText::encode(*m_table), grid->cellVersion(), grid->rowCount()};
    return m_autosaveText.bytes;
}

void ProtocolPanel::extendAutosaveText(bool wasCurrent)
{
    // An empty text has no title line yet, and a row below the new one would come after it.
    if (!wasCurrent || m_autosaveText.bytes.isEmpty() || grid->rowCount() != m_lastResultRow + 1)
        return;
    ProtocolText::appendLine(m_autosaveText.bytes, *m_table, m_lastResultRow);
    m_autosaveText.cellVersion = grid->cellVersion();
    m_autosaveText.rowCount = grid->rowCount();
}

void ProtocolPanel::saveInBackground()
{
    m_autosaveWriter->write(autosaveFileName(), autosaveText());
}

bool ProtocolPanel::autosave()
{
    saveInBackground();
    waitForAutosave();
    return !autosaveFailed();
}

void ProtocolPanel::waitForAutosave()
{
    const AutosaveWriter::Outcome outcome = m_autosaveWriter->waitUntilWritten();
    showAutosaveOutcome(outcome.number, outcome.error);
}

void ProtocolPanel::showAutosaveOutcome(quint64 number, const QString &error)
{
    // The outcome of an older write may arrive after a newer one's.
    if (number < m_autosaveShown)
        return;
    m_autosaveShown = number;
    setAutosaveError(error);
}
