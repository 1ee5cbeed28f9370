#include "journal/RaceJournal.h"

#include "journal/JournalKinds.h"
#include "journal/ProtocolSnapshot.h"
#include "protocol/ProtocolTable.h"

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

QString inputName(FinishInput input)
{
    switch (input) {
    case FinishInput::Mouse:
        return QStringLiteral("maus");
    case FinishInput::LightBarrier:
        return QStringLiteral("lichtschranke");
    case FinishInput::Key:
        break;
    }
    return QStringLiteral("taste");
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
    entry.add(F::Rows, QString::number(m_protocol.lastResultRowFromTable()));
    entry.add(F::Table, ProtocolSnapshot::encode(m_protocol));
    return entry;
}

bool RaceJournal::finish(bool ok)
{
    if (ok)
        m_error.clear();
    else
        m_error = m_file.errorString().isEmpty() ? QStringLiteral("Schreibfehler") : m_file.errorString();
    return ok;
}

bool RaceJournal::openForToday(bool programStart)
{
    // Events lost to a failed write are in the protocol; the journal takes it up again.
    const bool recovering = failed();
    const JournalFile::Opening opening = m_file.openForToday();
    if (opening == JournalFile::Opening::Failed)
        return finish(false);
    // A file begun while the program runs holds the protocol first.
    if ((opening == JournalFile::Opening::Begun || recovering) && !programStart)
        return finish(m_file.append(snapshot(K::Continued)));
    return true;
}

bool RaceJournal::write(JournalEntry entry)
{
    // A file that could not be opened or written before is tried again.
    if ((!m_file.isOpen() || failed()) && !openForToday(false))
        return false;
    return finish(m_file.append(std::move(entry)));
}

bool RaceJournal::recordProgramStart(const QString &version)
{
    if (!openForToday(true))
        return false;
    JournalEntry entry = snapshot(K::ProgramStart);
    entry.fields.prepend({F::Version, version});
    return finish(m_file.append(std::move(entry)));
}

bool RaceJournal::recordProgramExit()
{
    const bool ok = write(event(K::ProgramExit));
    m_file.close();
    return ok;
}

bool RaceJournal::recordStart(qint32 timeOfDayMs, quint32 tick)
{
    // A race that starts on a new day starts the day's file; the race stays in it.
    if (!openForToday(false))
        return false;
    JournalEntry entry = event(K::Start);
    entry.add(F::TimeOfDay, timeOfDayText(timeOfDayMs)).add(F::Tick, QString::number(tick));
    return write(std::move(entry));
}

bool RaceJournal::recordFinish(const JournalFinish &finish)
{
    JournalEntry entry = event(K::Finish);
    entry.add(F::Number, QString::number(finish.row))
        .add(F::TimeText, finish.timeText)
        .add(F::Stamp, timeOfDayText(finish.timeOfDayMs))
        .add(F::Source, inputName(finish.input))
        .add(F::StartNumber, finish.startNumber)
        .add(F::CountryCode, finish.countryCode);
    return write(std::move(entry));
}

bool RaceJournal::recordStop(qint32 timeOfDayMs, quint32 tick, const QString &raceTime)
{
    JournalEntry entry = event(K::Stop);
    entry.add(F::TimeOfDay, timeOfDayText(timeOfDayMs))
        .add(F::Tick, QString::number(tick))
        .add(F::RaceTime, raceTime);
    return write(std::move(entry));
}

bool RaceJournal::recordReset()
{
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
