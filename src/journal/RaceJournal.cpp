#include "journal/RaceJournal.h"

#include "journal/JournalKinds.h"
#include "journal/ProtocolSnapshot.h"
#include "protocol/ProtocolTable.h"

#include <QDateTime>
#include <QDir>
#include <QTime>

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

namespace {

JournalEntry entryOf(const QString &kind)
{
    JournalEntry entry;
    entry.kind = kind;
    return entry;
}

QString sourceName(FinishSource source)
{
    switch (source) {
    case FinishSource::Mouse:
        return QStringLiteral("maus");
    case FinishSource::LightBarrier:
        return QStringLiteral("lichtschranke");
    case FinishSource::Key:
        break;
    }
    return QStringLiteral("taste");
}

QString continuedReason(JournalFile::Opening opening)
{
    switch (opening) {
    case JournalFile::Opening::NewDay:
        return K::ContinuedReason::NewDay;
    case JournalFile::Opening::Begun:
        return K::ContinuedReason::Recreated;
    case JournalFile::Opening::Continued:
    case JournalFile::Opening::Failed:
        break;
    }
    return K::ContinuedReason::Resumed;
}

// The START of a race: its date and time of day.
JournalEntry &addRaceStart(JournalEntry &entry, const QDateTime &start)
{
    return entry.add(F::Date, start.date().toString(Qt::ISODate))
        .add(F::TimeOfDay, RaceJournal::timeOfDayText(start.time().msecsSinceStartOfDay()));
}

} // namespace

RaceJournal::RaceJournal(const ProtocolTable &protocol, JournalFile::Clock now)
    : m_protocol(protocol)
    , m_file(std::move(now))
    , m_copyAppend(m_file, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                takeCopyOutcome();
                Q_EMIT protocolCopyWritten();
            },
            Qt::QueuedConnection);
    })
{ }

void RaceJournal::setFolder(const QString &folder)
{
    waitForProtocolCopy();
    m_file.setFolder(folder);
}

void RaceJournal::waitForProtocolCopy()
{
    m_copyAppend.waitUntilDone();
    takeCopyOutcome();
}

void RaceJournal::takeCopyOutcome()
{
    if (const std::optional<bool> written = m_copyAppend.takeOutcome())
        finish(*written);
}

QString RaceJournal::timeOfDayText(qint32 timeOfDayMs)
{
    return QTime::fromMSecsSinceStartOfDay(timeOfDayMs).toString(QStringLiteral("HH:mm:ss.zzz"));
}

JournalEntry &RaceJournal::addSnapshot(JournalEntry &entry) const
{
    return entry.add(F::Rows, QString::number(m_protocol.lastResultRowFromTable()))
        .add(F::Table, ProtocolSnapshot::encode(m_protocol));
}

bool RaceJournal::finish(bool ok)
{
    if (ok)
        m_error.clear();
    else
        m_error = m_file.errorString().isEmpty() ? QStringLiteral("Schreibfehler") : m_file.errorString();
    return ok;
}

bool RaceJournal::needsOpening() const
{
    // A file that could not be opened or written before is tried again; one that is no
    // longer at the journal's name (deleted, moved, replaced) or that no further number
    // fits is taken up anew there.
    return !m_file.isOpen() || failed() || m_file.isLost() || m_file.isFull();
}

bool RaceJournal::openForToday()
{
    // Events lost to a failed write or with a lost file are in the protocol; the journal
    // takes it up again.
    const bool recovering = failed() || m_file.isLost() || m_file.isFull();
    const JournalFile::Opening opening = m_file.openForToday();
    if (opening == JournalFile::Opening::Failed)
        return finish(false);
    if (opening == JournalFile::Opening::Continued && !recovering)
        return true;
    // A file taken up while the program runs holds the protocol and the race first.
    JournalEntry entry = entryOf(K::Continued);
    entry.add(F::Reason, continuedReason(opening));
    if (m_race)
        addRaceStart(entry, m_race->start).add(F::StartNumberList, m_race->startNumbers.value_or(QString()));
    return finish(m_file.append(std::move(addSnapshot(entry))));
}

bool RaceJournal::write(JournalEntry entry)
{
    return write([entry = std::move(entry)]() mutable { return std::move(entry); }, false);
}

bool RaceJournal::write(BackgroundJournalAppend::Make make, bool onOwnThread)
{
    // An event that comes while a copy is written waits for it, so that it is on the disk,
    // after the copy, when the call returns.
    waitForProtocolCopy();
    if (needsOpening() && !openForToday())
        return false;
    if (!onOwnThread)
        return finish(m_file.append(make()));
    m_copyAppend.start(std::move(make));
    return true;
}

bool RaceJournal::writeProtocolCopy(const QString &kind, QList<std::pair<QString, QString>> leading,
                                    ProtocolSnapshot::EncodedRows read)
{
    // The rows that followed the read ones (finishes taken while the table was read) are
    // encoded here, from the protocol as it stands.
    if (read.rows > m_protocol.rowCount())
        read = {};
    const bool onOwnThread = read.rows >= LongCopyRows;
    auto make
        = [kind, leading = std::move(leading), results = m_protocol.lastResultRowFromTable(),
           table = std::move(read.text),
           rest = ProtocolSnapshot::encodeRows(m_protocol, read.rows, m_protocol.rowCount())]() mutable {
              JournalEntry entry = entryOf(kind);
              entry.fields = std::move(leading);
              table += rest;
              entry.add(F::Rows, QString::number(results)).add(F::Table, table);
              return entry;
          };
    return write(std::move(make), onOwnThread);
}

bool RaceJournal::recordProgramStart(const QString &version, bool protocolAsJournalEnds)
{
    waitForProtocolCopy();
    const JournalFile::Opening opening = m_file.openForToday();
    if (opening == JournalFile::Opening::Failed)
        return finish(false);
    JournalEntry entry = entryOf(K::ProgramStart);
    entry.add(F::Version, version);
    // A new file replays on its own; one taken up replays to the protocol already.
    if (opening == JournalFile::Opening::Continued && protocolAsJournalEnds)
        return finish(m_file.append(std::move(entry)));
    addSnapshot(entry);
    if (m_protocol.rowCount() < LongCopyRows)
        return finish(m_file.append(std::move(entry)));
    m_copyAppend.start([entry = std::move(entry)]() mutable { return std::move(entry); });
    return true;
}

bool RaceJournal::recordProgramExit()
{
    const bool ok = write(entryOf(K::ProgramExit));
    m_file.close();
    return ok;
}

bool RaceJournal::recordStart(qint32 timeOfDayMs, quint32 tick, const QString &startNumbers)
{
    // A race that starts on a new day starts the day's file; the race stays in it. The
    // day's file open already is not read again (its last event may be a long copy).
    waitForProtocolCopy();
    if ((!m_file.isOpenForToday() || needsOpening()) && !openForToday())
        return false;
    m_race = RunningRace{nearestWithTimeOfDay(now(), timeOfDayMs), startNumbers};
    JournalEntry entry = entryOf(K::Start);
    entry.add(F::TimeOfDay, timeOfDayText(timeOfDayMs))
        .add(F::Tick, QString::number(tick))
        .add(F::StartNumberList, startNumbers);
    return write(std::move(entry));
}

bool RaceJournal::recordRaceContinued(const QDateTime &start, quint32 tick, const QString &startNumbers)
{
    m_race = RunningRace{start, startNumbers};
    JournalEntry entry = entryOf(K::RaceContinued);
    addRaceStart(entry, start).add(F::Tick, QString::number(tick)).add(F::StartNumberList, startNumbers);
    return write(std::move(addSnapshot(entry)));
}

bool RaceJournal::recordRaceNotContinued(const QDateTime &start)
{
    m_race.reset();
    JournalEntry entry = entryOf(K::RaceNotContinued);
    return write(addRaceStart(entry, start));
}

bool RaceJournal::recordStartNumbers(const QString &list)
{
    if (m_race)
        m_race->startNumbers = list;
    JournalEntry entry = entryOf(K::StartNumbers);
    entry.add(F::StartNumberList, list);
    return write(std::move(entry));
}

bool RaceJournal::recordFinish(const JournalFinish &finish)
{
    if (m_race)
        m_race->startNumbers = finish.startNumbersLeft;
    JournalEntry entry = entryOf(K::Finish);
    entry.add(F::Number, QString::number(finish.row))
        .add(F::TimeText, finish.timeText)
        .add(F::Stamp, timeOfDayText(finish.timeOfDayMs))
        .add(F::Source, sourceName(finish.source))
        .add(F::StartNumber, finish.startNumber)
        .add(F::CountryCode, finish.countryCode)
        .add(F::StartNumberList, finish.startNumbersLeft);
    return write(std::move(entry));
}

bool RaceJournal::recordStop(qint32 timeOfDayMs, quint32 tick, const QString &raceTime)
{
    m_race.reset();
    JournalEntry entry = entryOf(K::Stop);
    entry.add(F::TimeOfDay, timeOfDayText(timeOfDayMs))
        .add(F::Tick, QString::number(tick))
        .add(F::RaceTime, raceTime);
    return write(std::move(entry));
}

bool RaceJournal::recordReset()
{
    m_race.reset();
    return write(entryOf(K::Reset));
}

bool RaceJournal::recordClear()
{
    return write(entryOf(K::Clear));
}

bool RaceJournal::recordLoad(bool workbook, const QString &fileName, ProtocolSnapshot::EncodedRows read)
{
    return writeProtocolCopy(workbook ? K::Import : K::Load, {{F::File, QDir::toNativeSeparators(fileName)}},
                             std::move(read));
}

bool RaceJournal::recordCellEdit(int col, int row, const QString &oldText, const QString &newText)
{
    JournalEntry entry = entryOf(K::CellEdit);
    entry.add(F::Row, QString::number(row))
        .add(F::Column, QString::number(col))
        .add(F::OldText, oldText)
        .add(F::NewText, newText);
    return write(std::move(entry));
}

bool RaceJournal::recordRowDeleted(int row, const QStringList &cells)
{
    JournalEntry entry = entryOf(K::RowDeleted);
    entry.add(F::Row, QString::number(row)).add(F::OldText, cells.join(QLatin1Char('\t')));
    return write(std::move(entry));
}

bool RaceJournal::recordRowInserted(int row)
{
    JournalEntry entry = entryOf(K::RowInserted);
    entry.add(F::Row, QString::number(row));
    return write(std::move(entry));
}

bool RaceJournal::recordSettings(int precision, int lockoutMs, int port, int polarity)
{
    JournalEntry entry = entryOf(K::Settings);
    entry.add(F::Precision, QString::number(precision))
        .add(F::Lockout, QString::number(lockoutMs))
        .add(F::Port, QString::number(port))
        .add(F::Polarity, QString::number(polarity));
    return write(std::move(entry));
}

bool RaceJournal::recordPortOpened(int port)
{
    JournalEntry entry = entryOf(K::PortOpened);
    entry.add(F::Port, QString::number(port));
    return write(std::move(entry));
}

bool RaceJournal::recordPortClosed(int port, bool lost, const QString &reason)
{
    JournalEntry entry = entryOf(lost ? QString(K::PortLost) : QString(K::PortClosed));
    entry.add(F::Port, QString::number(port));
    if (!reason.isEmpty())
        entry.add(F::Reason, reason);
    return write(std::move(entry));
}

bool RaceJournal::recordRestore(const QString &journal, qint64 before, ProtocolSnapshot::EncodedRows read)
{
    return writeProtocolCopy(
        K::Restore, {{F::File, QDir::toNativeSeparators(journal)}, {F::Before, QString::number(before)}},
        std::move(read));
}
