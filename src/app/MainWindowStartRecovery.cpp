#include "app/MainWindow.h"
#include "app/StartNumberEdit.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "widgets/ProgressDialogRun.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

// What the program finds at start beside the autosave: a race left running, a journal
// that holds more than the autosave, a journal that could not be continued. The
// questions come once the window is active, one after the other.

namespace {

// Whether the autosave would hold the same for both: its text form keeps no difference
// between an empty cell and a blank, nor rows without a first cell.
bool savedAlike(const ProtocolTable &a, const ProtocolTable &b)
{
    return ProtocolText::encode(a) == ProtocolText::encode(b);
}

} // namespace

MainWindow::JournalAtStart MainWindow::readJournalBeside(const QString &journal,
                                                         const ProtocolTable &autosave)
{
    // Read before the program's start is journaled, which may keep the file aside.
    JournalAtStart read;
    const std::optional<JournalContents> contents = JournalReader::readFile(journal);
    if (!contents || contents->entries.isEmpty())
        return read;
    read.unfinishedRace = findUnfinishedRace(contents->entries);
    read.end = JournalReplay::replayFrom(contents->entries, autosave);
    read.endSavedAlike = savedAlike(read.end->table, autosave);
    read.endSequence = contents->entries.last().sequence + 1;
    return read;
}

bool MainWindow::takeJournalAtStart(JournalAtStart read)
{
    if (!read.end)
        return false;
    m_unfinishedRace = std::move(read.unfinishedRace);
    JournalReplay::Ending &end = *read.end;
    const int journalResults = end.table.lastResultRowFromTable();
    if (end.addsFinishesToSaved && journalResults == m_protocol->lastResultRow())
        return true;
    // Each finish is journaled before its autosave is asked for, so an autosave that a
    // crash left behind lacks the last finishes the operator saw: they come back as they
    // were. An autosave gone or unreadable is no such point.
    if (end.addsFinishesToSaved && QFileInfo::exists(m_protocol->autosaver().fileName())) {
        m_protocol->replaceTable(std::move(end.table));
        return true;
    }
    // A journal that went on while the autosave could not be written holds what the
    // autosave lacks; one that could not be written while the autosave went on does not.
    if (!read.endSavedAlike && journalResults >= m_protocol->lastResultRow())
        m_journalAhead = JournalAhead{std::move(end.table), read.endSequence};
    return false;
}

void MainWindow::readProtocolAfterShowing()
{
    // The window takes no command until the protocol is in place and the start journaled.
    QList<QAction *> enabled;
    for (QAction *action : actions()) {
        if (action->isEnabled())
            enabled << action;
        action->setEnabled(false);
    }
    centralWidget()->setEnabled(false);
    struct Read
    {
        std::optional<MemoryProtocolTable> autosave;
        ProtocolPanel::Prepared prepared;
        QString error;
        JournalAtStart journal;
    };
    auto read = std::make_shared<Read>();
    const bool ended = runWithProgressDialog(
        this, QStringLiteral("Das Protokoll wird geladen \u2026"),
        [read, autosave = m_protocol->autosaver().fileName(), journal = m_journal->fileName(),
         cols = m_protocol->table().colCount(),
         columnFit = m_protocol->columnFitForWorker()](TaskProgress &progress) mutable {
            MemoryProtocolTable table(cols);
            if (!ProtocolText::loadProtocolText(table, autosave, &read->error, &progress))
                return;
            read->prepared = ProtocolPanel::Prepared::of(table, std::move(columnFit));
            read->journal = readJournalBeside(journal, table);
            read->autosave = std::move(table);
        });
    if (!ended) {
        // The program ends as it began: nothing written, nothing journaled.
        m_startRead = StartRead::Cancelled;
        close();
        return;
    }
    const bool readWhole = read->autosave.has_value();
    m_protocol->showReadAutosave(std::move(read->autosave), std::move(read->prepared), read->error);
    m_startRead = StartRead::Done;
    // An autosave that could not be read is aside now; the journal is set beside the
    // empty protocol, as at a start without one.
    finishStart(takeJournalAtStart(readWhole
                                       ? std::move(read->journal)
                                       : readJournalBeside(m_journal->fileName(), m_protocol->table())));
    centralWidget()->setEnabled(true);
    for (QAction *action : std::as_const(enabled))
        action->setEnabled(true);
    showCommandStates();
    m_protocol->grid()->setFocus();
    if (isActiveWindow() && (m_unfinishedRace || m_journalAhead || m_journalKeptAside))
        QTimer::singleShot(0, this, &MainWindow::askStartQuestions);
}

void MainWindow::noteJournalKeptAside()
{
    const JournalFile::KeptAside kept = m_journal->keptAside();
    if (kept.fileName.isEmpty() || kept.reason == JournalFile::KeptAside::Reason::NewDay)
        return;
    m_journalKeptAside = kept;
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // The questions come once the window is placed and active, centred over it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()
        && (m_unfinishedRace || m_journalAhead || m_journalKeptAside))
        QTimer::singleShot(0, this, &MainWindow::askStartQuestions);
}

void MainWindow::askStartQuestions()
{
    if (const std::optional<JournalFile::KeptAside> kept = std::exchange(m_journalKeptAside, std::nullopt)) {
        const QString why = kept->reason == JournalFile::KeptAside::Reason::Damaged
            ? QStringLiteral("endet mit einem besch\u00e4digten Ereignis und kann nicht fortgesetzt werden")
            : QStringLiteral("ist keine Journaldatei");
        QMessageBox::warning(this, QApplication::applicationName(),
                             QStringLiteral("Das Journal %1 %2. Es wurde als %3 beiseitegelegt; ein neues "
                                            "Journal beginnt mit dem ganzen Protokoll.")
                                 .arg(QDir::toNativeSeparators(m_journal->fileName()), why,
                                      QDir::toNativeSeparators(kept->fileName)));
    }
    // Going on with the race comes first: it also brings back the journal's results.
    if (std::optional<UnfinishedRace> unfinished = std::exchange(m_unfinishedRace, std::nullopt))
        offerToContinueRace(*unfinished);
    if (std::optional<JournalAhead> ahead = std::exchange(m_journalAhead, std::nullopt))
        offerJournalEnd(*ahead);
}

void MainWindow::offerJournalEnd(const JournalAhead &ahead)
{
    // Continuing the race may have brought the journal's results back already.
    if (savedAlike(ahead.protocol, m_protocol->table()))
        return;
    // Finishes taken while the question is open stay.
    const int resultsBefore = m_protocol->lastResultRow();
    // The question fits the confirmation dialog's three lines.
    if (!ask(QStringLiteral("Das Journal hat %1 Ergebnisse, die Sicherung %2. Journal wiederherstellen?")
                 .arg(ahead.protocol.lastResultRowFromTable())
                 .arg(m_protocol->lastResultRow())))
        return;
    // The journal read at start is this one, unless the start kept it aside.
    const JournalFile::KeptAside kept = m_journal->keptAside();
    m_protocol->replaceTable(ahead.protocol, resultsBefore);
    noteJournal(m_journal->recordRestore(kept.fileName.isEmpty() ? m_journal->fileName() : kept.fileName,
                                         ahead.endSequence));
}

void MainWindow::offerToContinueRace(const UnfinishedRace &unfinished)
{
    // A START meanwhile (a light barrier) began a race of its own.
    if (!clock().enabled(RaceCommand::Start))
        return;
    const QDateTime start = unfinished.race.start;
    const QString when
        = start.toString(start.date() == m_journal->now().date() ? QStringLiteral("HH:mm:ss")
                                                                 : QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (ask(QStringLiteral("Das Rennen mit START %1 wurde nicht gestoppt. Fortsetzen?").arg(when)))
        continueRace(unfinished);
    else
        noteJournal(m_journal->recordRaceNotContinued(start));
}

void MainWindow::continueRace(const UnfinishedRace &unfinished)
{
    // The autosave and the journal both record every finish: the one holding more
    // results missed fewer writes.
    if (unfinished.protocol.lastResultRowFromTable() > m_protocol->lastResultRow())
        m_protocol->replaceTable(unfinished.protocol);
    if (unfinished.race.startNumbers)
        startNumberEdit()->setText(*unfinished.race.startNumbers);
    // The ticks of the run that ended count nothing now (the machine may have restarted
    // since): the time since the START is reckoned from the local dates and times of day,
    // and the clock counts from the tick that lies that far back. Across midnight the
    // date carries the count; a change to or from summer time counts as the real time
    // that passed.
    const ClockStamp now = m_clocks.now();
    const QDateTime nowAt = nearestWithTimeOfDay(m_journal->now(), now.timeOfDayMs);
    const qint64 sinceStart
        = std::clamp<qint64>(unfinished.race.start.msecsTo(nowAt), 0, std::numeric_limits<qint32>::max());
    clock().continueAt(now.tick - quint32(sinceStart));
    noteJournal(m_journal->recordRaceContinued(unfinished.race.start, clock().startTick(),
                                               startNumberEdit()->text()));
    startNumberEdit()->setFocus();
}
