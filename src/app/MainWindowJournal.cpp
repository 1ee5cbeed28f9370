#include "app/MainWindow.h"
#include "app/StartNumberEdit.h"
#include "journal/JournalReplay.h"
#include "journal/JournalRestoreDialog.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "serial/SerialPort.h"
#include "widgets/ConfirmDialog.h"
#include "widgets/ProgressDialogRun.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

namespace {

constexpr qint32 DayMs = 24 * 60 * 60 * 1000;

} // namespace

void MainWindow::connectJournal()
{
    RaceClock &raceClock = m_session.clock();
    connect(&raceClock, &RaceClock::started, this, [this] {
        noteJournal(m_journal->recordStart(timeOfDayAt(clock().startTick()), clock().startTick(),
                                           startNumberEdit()->text()));
    });
    m_startNumbersTyped = new QTimer(this);
    m_startNumbersTyped->setSingleShot(true);
    m_startNumbersTyped->setInterval(1000);
    connect(m_startNumbersTyped, &QTimer::timeout, this, &MainWindow::recordStartNumbers);
    connect(startNumberEdit(), &QLineEdit::textEdited, this, [this] {
        if (clock().running())
            m_startNumbersTyped->start();
    });
    connect(&raceClock, &RaceClock::stopped, this, [this] {
        noteJournal(m_journal->recordStop(timeOfDayAt(clock().stopTick()), clock().stopTick(),
                                          clock().formatRaceTime(clock().elapsedMs())));
    });
    connect(&m_session, &RaceSession::portOpened, this,
            [this] { noteJournal(m_journal->recordPortOpened(m_session.portNumber())); });
    connect(&m_session, &RaceSession::portClosed, this, [this] {
        const SerialPort &port = m_session.port();
        noteJournal(m_journal->recordPortClosed(m_session.portNumber(), port.lastWaitDisconnected(),
                                                port.lastWaitError()));
    });
    connect(m_protocol, &ProtocolPanel::cellEdited, this,
            [this](int col, int row, const QString &oldText, const QString &newText) {
                noteJournal(m_journal->recordCellEdit(col, row, oldText, newText));
            });
    connect(&m_protocol->files(), &ProtocolFileCommands::protocolLoaded, this,
            [this](bool workbook, const QString &fileName, const ProtocolSnapshot::EncodedRows &journalRows) {
                noteJournal(m_journal->recordLoad(workbook, fileName, journalRows));
            });
    connect(m_journal.get(), &RaceJournal::protocolCopyWritten, this,
            [this] { noteJournal(!m_journal->failed()); });
    connect(m_protocol, &ProtocolPanel::restoreRequested, this, &MainWindow::restoreFromJournal);
}

qint32 MainWindow::timeOfDayAt(quint32 tick) const
{
    const ClockStamp now = m_clocks.now();
    const qint32 since = qint32(now.tick - tick);
    return ((now.timeOfDayMs - since) % DayMs + DayMs) % DayMs;
}

void MainWindow::noteJournal(bool written)
{
    m_protocol->setJournalError(m_journal->fileName(), written ? QString() : m_journal->errorString());
}

void MainWindow::recordSettingsChange(const Settings &before, const Settings &after)
{
    if (before.precision == after.precision && before.lockoutMs == after.lockoutMs
        && before.port == after.port && before.polarity == after.polarity)
        return;
    noteJournal(m_journal->recordSettings(after.precision, after.lockoutMs, after.port, after.polarity));
}

void MainWindow::restoreFromJournal()
{
    // Finishes taken from here on are no part of the point chosen: they stay.
    const int resultsBefore = m_protocol->lastResultRow();
    JournalRestoreDialog dialog(this);
    const std::optional<JournalRestoreDialog::Choice> choice
        = dialog.choose(m_protocol->autosaver().folder());
    if (!choice)
        return;
    const JournalEntry &event = choice->point.entry;
    // The question fits the confirmation dialog's three lines; the list said the rest.
    const QString point = choice->point.atEnd ? QStringLiteral("am Ende des Journals")
                                              : QStringLiteral("vor Ereignis %1").arg(event.sequence);
    if (!ask(QStringLiteral("Protokoll %1 (%2 Ergebnisse) wiederherstellen?")
                 .arg(point)
                 .arg(choice->point.resultsBefore)))
        return;
    // The replay reads the whole journal: on a thread of its own, so that finishes are
    // taken meanwhile.
    struct Result
    {
        std::optional<JournalReplay::Replayed> replayed;
        ProtocolPanel::Prepared prepared;
        QString error;
    };
    auto result = std::make_shared<Result>();
    const bool ended = runWithProgressDialog(
        this, QStringLiteral("Das Protokoll wird aus dem Journal wiederhergestellt \u2026"),
        [journal = choice->journal, before = event.sequence, result,
         columnFit = m_protocol->columnFitForWorker()](TaskProgress &task) mutable {
            result->replayed = JournalReplay::replayFile(journal, before, &result->error, &task);
            if (result->replayed)
                result->prepared = ProtocolPanel::Prepared::of(result->replayed->table, std::move(columnFit));
        });
    if (!ended)
        return;
    if (!result->replayed) {
        QMessageBox::critical(this, QApplication::applicationName(),
                              QStringLiteral("Das Journal kann nicht gelesen werden: ") + choice->journal
                                  + QLatin1Char('\n') + result->error);
        return;
    }
    ProtocolSnapshot::EncodedRows journalRows = std::move(result->prepared.journalRows);
    m_protocol->replaceTable(std::move(result->replayed->table), resultsBefore, std::move(result->prepared));
    noteJournal(m_journal->recordRestore(choice->journal, event.sequence, std::move(journalRows)));
}

void MainWindow::recordStartNumbers()
{
    noteJournal(m_journal->recordStartNumbers(startNumberEdit()->text()));
}
