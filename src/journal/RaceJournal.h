#pragma once

#include "journal/BackgroundJournalAppend.h"
#include "journal/JournalFile.h"
#include "journal/ProtocolSnapshot.h"
#include "journal/RunningRace.h"
#include "timing/RaceFinish.h"

#include <QObject>
#include <QString>

class ProtocolTable;

// What the journal records of one finish.
struct JournalFinish
{
    int row = 0; // the result number
    QString timeText;
    qint32 timeOfDayMs = 0; // when it happened, to the millisecond
    FinishSource source = FinishSource::Key;
    QString startNumber;
    QString countryCode;
    QString startNumbersLeft; // the start-number list after this finish took its number
};

// The race journal: every event of the race appended to the journal file and on the
// disk before the call returns. The protocol table it is given is the one the program
// shows; a file begun while the program runs (a new day, a journal that could not be
// written before, a file no longer at the journal's name) starts with a snapshot of it
// and the race running, so that every file replays on its own.
// The copy of a long protocol that a program start, a load or a restore journals (33 MB
// at a million rows) is written on a thread of its own instead, so that the window is
// free meanwhile; an event recorded before it is written waits for it.
// A failed write leaves the race going on; errorString() says why until a write
// succeeds again.
class RaceJournal : public QObject
{
    Q_OBJECT

public:
    // A copy of a protocol of this many rows or more is written on the journal's own
    // thread. For a load or restore, the rows the reader encoded count.
    static constexpr int LongCopyRows = 10000;

    explicit RaceJournal(const ProtocolTable &protocol, JournalFile::Clock now = {});

    void setFolder(const QString &folder);
    QString fileName() const { return m_file.fileName(); }
    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Returns once a copy of the protocol written on the journal's own thread is on the disk.
    void waitForProtocolCopy();
    // The file the latest opening of the journal kept aside, and why.
    JournalFile::KeptAside keptAside() const { return m_file.keptAside(); }

    // The program's start, with the protocol it opened with; the current day's file.
    // `protocolAsJournalEnds`: the protocol is what the file read at start ends with, so
    // that, when it goes on, it needs no copy of the protocol.
    bool recordProgramStart(const QString &version, bool protocolAsJournalEnds = false);
    bool recordProgramExit();
    // START at a time of day and a monotonic tick, with the start-number list; the
    // current day's file.
    bool recordStart(qint32 timeOfDayMs, quint32 tick, const QString &startNumbers);
    // A race that ran when the program ended, taken up again: its START at `start`, the
    // clock counting from `tick` now, the start-number list and the protocol.
    bool recordRaceContinued(const QDateTime &start, quint32 tick, const QString &startNumbers);
    bool recordRaceNotContinued(const QDateTime &start);
    bool recordFinish(const JournalFinish &finish);
    // The start-number list as the operator edited it during the race.
    bool recordStartNumbers(const QString &list);
    bool recordStop(qint32 timeOfDayMs, quint32 tick, const QString &raceTime);
    bool recordReset();
    bool recordClear();
    // A protocol text file loaded or a workbook imported: the protocol afterwards. `read`:
    // its rows up to the last result as the worker that read the table encoded them.
    bool recordLoad(bool workbook, const QString &fileName, ProtocolSnapshot::EncodedRows read = {});
    bool recordCellEdit(int col, int row, const QString &oldText, const QString &newText);
    // Result `row` deleted, or an empty result inserted at `row`, with the row's old cells.
    bool recordRowDeleted(int row, const QStringList &cells);
    bool recordRowInserted(int row);
    bool recordSettings(int precision, int lockoutMs, int port, int polarity);
    bool recordPortOpened(int port);
    // `lost`: the port's adapter went away; `reason` what the monitor saw.
    bool recordPortClosed(int port, bool lost, const QString &reason);
    // The protocol rebuilt from `journal` as it stood before event `before`; `read` as
    // for recordLoad().
    bool recordRestore(const QString &journal, qint64 before, ProtocolSnapshot::EncodedRows read = {});

    static QString timeOfDayText(qint32 timeOfDayMs);
    // The journal's clock: the local date and time its events are stamped with.
    QDateTime now() const { return m_file.now(); }

Q_SIGNALS:
    // A copy of the protocol written on the journal's own thread is on the disk, or its
    // write failed: failed() says which.
    void protocolCopyWritten();

private:
    bool openForToday();
    bool needsOpening() const;
    // The outcome of the copy written on the journal's own thread, once it has ended.
    void takeCopyOutcome();
    bool write(JournalEntry entry);
    // `onOwnThread`: appended on the journal's own thread.
    bool write(BackgroundJournalAppend::Make make, bool onOwnThread);
    // The protocol as it stands after a load or restore, with the `leading` fields.
    bool writeProtocolCopy(const QString &kind, QList<std::pair<QString, QString>> leading,
                           ProtocolSnapshot::EncodedRows read);
    // Adds the protocol's result count and table.
    JournalEntry &addSnapshot(JournalEntry &entry) const;
    bool finish(bool ok);

    const ProtocolTable &m_protocol;
    JournalFile m_file;
    BackgroundJournalAppend m_copyAppend;
    QString m_error;
    // The race between its START and its STOPP or reset, which a file taken up meanwhile
    // names, so that the race can be continued from that file alone.
    std::optional<RunningRace> m_race;
};
