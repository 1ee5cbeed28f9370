// The autosave: the protocol's text kept current a finish at a time, so that a finish
// does not encode the whole table again; the yellow warning line while a write fails.
#include "protocol/ProtocolPanel.h"

#include "platform/AtomicFileWriter.h"
#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolText.h"

#include <QDir>

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

bool ProtocolPanel::autosave()
{
    // A folder removed during the race is made again, as the journal beside it does;
    // one that cannot be made (a drive gone) fails the save, which is shown.
    QDir().mkpath(m_autosaveFolder);
    AtomicFileWriter writer;
    if (writer.write(autosaveFileName(), autosaveText())) {
        setAutosaveError(QString());
        return true;
    }
    setAutosaveError(writer.errorString().isEmpty() ? QStringLiteral("Schreibfehler") : writer.errorString());
    return false;
}
