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

JournalEntry event(const QString &kind)
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
{ }

QString RaceJournal::timeOfDayText(qint32 timeOfDayMs)
{
    return QTime::fromMSecsSinceStartOfDay(timeOfDayMs).toString(QStringLiteral("HH:mm:ss.zzz"));
}

JournalEntry RaceJournal::snapshot(const QString &kind) const
{
    JournalEntry entry = event(kind);
    return addSnapshot(entry);
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
    JournalEntry entry = event(K::Continued);
    entry.add(F::Reason, continuedReason(opening));
    if (m_race)
        addRaceStart(entry, m_race->start).add(F::StartNumberList, m_race->startNumbers.value_or(QString()));
    return finish(m_file.append(std::move(addSnapshot(entry))));
}

bool RaceJournal::write(JournalEntry entry)
{
    // A file that could not be opened or written before is tried again; one that is no
    // longer at the journal's name (deleted, moved, replaced) or that no further number
    // fits is taken up anew there.
    if ((!m_file.isOpen() || failed() || m_file.isLost() || m_file.isFull()) && !openForToday())
        return false;
    return finish(m_file.append(std::move(entry)));
}

bool RaceJournal::recordProgramStart(const QString &version, bool protocolAsJournalEnds)
{
    const JournalFile::Opening opening = m_file.openForToday();
    if (opening == JournalFile::Opening::Failed)
        return finish(false);
    JournalEntry entry = event(K::ProgramStart);
    entry.add(F::Version, version);
    // A new file replays on its own; one taken up replays to the protocol already.
    if (opening != JournalFile::Opening::Continued || !protocolAsJournalEnds)
        addSnapshot(entry);
    return finish(m_file.append(std::move(entry)));
}

bool RaceJournal::recordProgramExit()
{
    const bool ok = write(event(K::ProgramExit));
    m_file.close();
    return ok;
}

bool RaceJournal::recordStart(qint32 timeOfDayMs, quint32 tick, const QString &startNumbers)
{
    // A race that starts on a new day starts the day's file; the race stays in it.
    if (!openForToday())
        return false;
    m_race = RunningRace{nearestWithTimeOfDay(now(), timeOfDayMs), startNumbers};
    JournalEntry entry = event(K::Start);
    entry.add(F::TimeOfDay, timeOfDayText(timeOfDayMs))
        .add(F::Tick, QString::number(tick))
        .add(F::StartNumberList, startNumbers);
    return write(std::move(entry));
}

bool RaceJournal::recordRaceContinued(const QDateTime &start, quint32 tick, const QString &startNumbers)
{
    m_race = RunningRace{start, startNumbers};
    JournalEntry entry = event(K::RaceContinued);
    addRaceStart(entry, start).add(F::Tick, QString::number(tick)).add(F::StartNumberList, startNumbers);
    return write(std::move(addSnapshot(entry)));
}

bool RaceJournal::recordRaceNotContinued(const QDateTime &start)
{
    m_race.reset();
    JournalEntry entry = event(K::RaceNotContinued);
    return write(addRaceStart(entry, start));
}

bool RaceJournal::recordStartNumbers(const QString &list)
{
    if (m_race)
        m_race->startNumbers = list;
    JournalEntry entry = event(K::StartNumbers);
    entry.add(F::StartNumberList, list);
    return write(std::move(entry));
}

bool RaceJournal::recordFinish(const JournalFinish &finish)
{
    if (m_race)
        m_race->startNumbers = finish.startNumbersLeft;
    JournalEntry entry = event(K::Finish);
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
    JournalEntry entry = event(K::Stop);
    entry.add(F::TimeOfDay, timeOfDayText(timeOfDayMs))
        .add(F::Tick, QString::number(tick))
        .add(F::RaceTime, raceTime);
    return write(std::move(entry));
}

bool RaceJournal::recordReset()
{
    m_race.reset();
    return write(event(K::Reset));
}

bool RaceJournal::recordClear()
{
    return write(event(K::Clear));
}

bool RaceJournal::recordLoad(bool workbook, const QString &fileName)
{
    JournalEntry entry = snapshot(workbook ? K::Import : K::Load);
    entry.fields.prepend({F::File, QDir::toNativeSeparators(fileName)});
    return write(std::move(entry));
}

bool RaceJournal::recordCellEdit(int col, int row, const QString &oldText, const QString &newText)
{
    JournalEntry entry = event(K::CellEdit);
    entry.add(F::Row, QString::number(row))
        .add(F::Column, QString::number(col))
        .add(F::OldText, oldText)
        .add(F::NewText, newText);
    return write(std::move(entry));
}

bool RaceJournal::recordRowDeleted(int row, const QStringList &cells)
{
    JournalEntry entry = event(K::RowDeleted);
    entry.add(F::Row, QString::number(row)).add(F::OldText, cells.join(QLatin1Char('\t')));
    return write(std::move(entry));
}

bool RaceJournal::recordRowInserted(int row)
{
    JournalEntry entry = event(K::RowInserted);
    entry.add(F::Row, QString::number(row));
    return write(std::move(entry));
}

bool RaceJournal::recordSettings(int precision, int lockoutMs, int port, int polarity)
{
    JournalEntry entry = event(K::Settings);
    entry.add(F::Precision, QString::number(precision))
        .add(F::Lockout, QString::number(lockoutMs))
        .add(F::Port, QString::number(port))
        .add(F::Polarity, QString::number(polarity));
    return write(std::move(entry));
}

bool RaceJournal::recordPortOpened(int port)
{
    JournalEntry entry = event(K::PortOpened);
    entry.add(F::Port, QString::number(port));
    return write(std::move(entry));
}

bool RaceJournal::recordPortClosed(int port, bool lost, const QString &reason)
{
    JournalEntry entry = event(lost ? QString(K::PortLost) : QString(K::PortClosed));
    entry.add(F::Port, QString::number(port));
    if (!reason.isEmpty())
        entry.add(F::Reason, reason);
    return write(std::move(entry));
}

bool RaceJournal::recordRestore(const QString &journal, qint64 before)
{
    JournalEntry entry = snapshot(K::Restore);
    entry.fields.prepend({F::Before, QString::number(before)});
    entry.fields.prepend({F::File, QDir::toNativeSeparators(journal)});
    return write(std::move(entry));
}
