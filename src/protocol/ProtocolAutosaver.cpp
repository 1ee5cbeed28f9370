#include "protocol/ProtocolAutosaver.h"

#include "grid/StringGrid.h"
#include "protocol/AutosaveWriter.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ProtocolText.h"

namespace {

// Lines are appended to a piece until it is this long; then a new piece begins.
constexpr qsizetype PieceBytes = 256 * 1024;

} // namespace

ProtocolAutosaver::ProtocolAutosaver(const ProtocolTable &table, const StringGrid &grid, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_grid(grid)
    , m_folder(ProtocolFiles::defaultAutosaveFolder())
    , m_writer(new AutosaveWriter(this))
{
    connect(m_writer, &AutosaveWriter::written, this, &ProtocolAutosaver::takeOutcome);
}

QString ProtocolAutosaver::fileName() const
{
    return ProtocolFiles::autosaveFileName(m_folder, ProtocolColumns::applicationTitle());
}

void ProtocolAutosaver::saveInBackground()
{
    m_writer->write(fileName(), protocolText());
}

bool ProtocolAutosaver::autosave()
{
    saveInBackground();
    waitUntilWritten();
    return !failed();
}

void ProtocolAutosaver::waitUntilWritten()
{
    const AutosaveWriter::Outcome outcome = m_writer->waitUntilWritten();
    takeOutcome(outcome.number, outcome.error);
}

void ProtocolAutosaver::takeOutcome(quint64 number, const QString &error)
{
    // The outcome of an older write may arrive after a newer one's.
    if (number < m_outcomeTaken)
        return;
    m_outcomeTaken = number;
    if (error == m_error)
        return;
    const bool failedBefore = failed();
    m_error = error;
    Q_EMIT errorChanged();
    if (failed() != failedBefore)
        Q_EMIT failedChanged();
}

bool ProtocolAutosaver::textCurrent() const
{
    return m_text.rowCount == m_grid.rowCount() && m_text.cellVersion == m_grid.cellVersion();
}

const QList<QByteArray> &ProtocolAutosaver::protocolText()
{
    if (!textCurrent())
        adoptText(ProtocolText::encode(m_table));
    return m_text.pieces;
}

void ProtocolAutosaver::appendResultLine(int row, bool wasCurrent)
{
    // An empty protocol's text is empty, without the title line; and a row below the new
    // one would come after it.
    QList<QByteArray> &pieces = m_text.pieces;
    if (!wasCurrent || pieces.isEmpty() || pieces.first().isEmpty() || m_grid.rowCount() != row + 1)
        return;
    if (pieces.last().size() >= PieceBytes)
        pieces.append(QByteArray());
    ProtocolText::appendLine(pieces.last(), m_table, row);
    m_text.cellVersion = m_grid.cellVersion();
    m_text.rowCount = m_grid.rowCount();
}

void ProtocolAutosaver::adoptText(QByteArray text)
{
    m_text = {{std::move(text)}, m_grid.cellVersion(), m_grid.rowCount()};
}
