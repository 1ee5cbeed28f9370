// The autosave: the protocol's text kept current a finish at a time and written beside
// the race; the yellow warning line while a write fails.
#include "protocol/ProtocolPanel.h"

#include "protocol/AutosaveWriter.h"
#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolText.h"

bool ProtocolPanel::protocolTextCurrent() const
{
    return m_protocolText.rowCount == grid->rowCount() && m_protocolText.cellVersion == grid->cellVersion();
}

namespace {

// Lines are appended to a piece until it is this long; then a new piece begins.
constexpr qsizetype PieceBytes = 256 * 1024;

} // namespace

const QList<QByteArray> &ProtocolPanel::protocolText()
{
    if (!protocolTextCurrent())
        m_protocolText = {{ProtocolText::encode(*m_table)}, grid->cellVersion(), grid->rowCount()};
    return m_protocolText.pieces;
}

void ProtocolPanel::extendProtocolText(bool wasCurrent)
{
    // An empty protocol's text is empty, without the title line; and a row below the new
    // one would come after it.
    QList<QByteArray> &pieces = m_protocolText.pieces;
    if (!wasCurrent || pieces.isEmpty() || pieces.first().isEmpty() || grid->rowCount() != m_lastResultRow + 1)
        return;
    if (pieces.last().size() >= PieceBytes)
        pieces.append(QByteArray());
    ProtocolText::appendLine(pieces.last(), *m_table, m_lastResultRow);
    m_protocolText.cellVersion = grid->cellVersion();
    m_protocolText.rowCount = grid->rowCount();
}

void ProtocolPanel::saveInBackground()
{
    m_autosaveWriter->write(autosaveFileName(), protocolText());
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
