#include "journal/JournalFile.h"

#include "journal/JournalLine.h"
#include "platform/AtomicFileWriter.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

const QString JournalFile::FileName = QStringLiteral("Tivano-Journal.txt");

namespace {

const QString KeptPrefix = QStringLiteral("Tivano-Journal-");

// The first line of the file, read without the rest.
QByteArray firstLine(QFile &file)
{
    return file.readLine(4096).trimmed();
}

// The number the next event continues from: that of the file's last complete line, or 0
// when the header is its only one. Nothing when that line is damaged or its number is
// the last a journal may use; such a file cannot be continued. A torn end after the last
// line feed never counted and is cut away before the next event.
std::optional<qint64> continuableSequence(QFile &file)
{
    const qint64 size = file.size();
    for (qint64 window = 64 * 1024;; window *= 2) {
        const qint64 from = std::max<qint64>(0, size - window);
        if (!file.seek(from))
            return std::nullopt;
        const QByteArray tail = file.read(size - from);
        const qsizetype end = tail.lastIndexOf('\n');
        const qsizetype start = end > 0 ? tail.lastIndexOf('\n', end - 1) + 1 : 0;
        // A line cut by the window's start is not read as a whole.
        if (from > 0 && start == 0)
            continue;
        if (start == 0)
            return 0;
        const std::optional<JournalEntry> entry = JournalLine::decode(QByteArrayView(tail).sliced(start, end - start));
        if (entry && entry->sequence < JournalLine::MaxSequence)
            return entry->sequence;
        return std::nullopt;
    }
}

} // namespace

JournalFile::JournalFile(Clock now)
    : m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTime(); }))
{ }

void JournalFile::setFolder(const QString &folder)
{
    if (folder == m_folder)
        return;
    m_file.close();
    m_folder = folder;
}

QString JournalFile::fileName() const
{
    return QDir(m_folder).filePath(FileName);
}

QString JournalFile::keepAside(const QDateTime &begun)
{
    const QString base
        = QDir(m_folder).filePath(KeptPrefix + begun.date().toString(QStringLiteral("yyyy-MM-dd")));
    QString kept = base + QLatin1String(".txt");
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = base + QLatin1Char('-') + QString::number(n) + QLatin1String(".txt");
    return QDir().rename(fileName(), kept) ? kept : QString();
}

bool JournalFile::begin()
{
    QDir().mkpath(m_folder);
    AtomicFileWriter writer;
    if (!writer.write(fileName(), JournalLine::header(m_now()))) {
        m_error = writer.errorString();
        return false;
    }
    m_sequence = 0;
    return true;
}

JournalFile::Opening JournalFile::openForToday()
{
    m_file.close();
    m_keptAside = {};
    const QString name = fileName();
    Opening opening = Opening::Continued;
    // When set, the file in the journal's place is kept aside under the date it was begun.
    std::optional<QDateTime> keepSince;
    QDate begunOn = m_now().date();
    KeptAside::Reason reason = KeptAside::Reason::NewDay;
    qint64 sequence = 0;
    QFile existing;
    QString unreadable;
    if (openRegularFile(existing, name, &unreadable)) {
        const std::optional<JournalLine::Header> header = JournalLine::parseHeader(firstLine(existing));
        const QDateTime begunAt
            = header && header->created.isValid() ? header->created : QFileInfo(existing).lastModified();
        const std::optional<qint64> last = continuableSequence(existing);
        existing.close();
        if (!header || header->version != JournalLine::FormatVersion)
            reason = KeptAside::Reason::Foreign;
        else if (!last)
            reason = KeptAside::Reason::Damaged;
        if (reason != KeptAside::Reason::NewDay || begunAt.date() != begunOn)
            keepSince = begunAt;
        sequence = last.value_or(0);
    } else if ((QFileInfo(name).isFile() && !QFileInfo(name).isSymLink()) || QFileInfo(name).isDir()) {
        // Unreadable for want of rights, or a folder: not to be moved aside.
        m_error = unreadable;
        return Opening::Failed;
    } else if (QFileInfo::exists(name)) {
        // A pipe, a device or a link that may not be followed in the journal's place is no
        // journal either: the race is journaled all the same.
        keepSince = QFileInfo(name).lastModified();
        reason = KeptAside::Reason::Foreign;
    } else {
        opening = Opening::Begun;
    }
    if (keepSince) {
        const QString kept = keepAside(*keepSince);
        if (kept.isEmpty()) {
            m_error = QStringLiteral("%1 kann nicht umbenannt werden").arg(QDir::toNativeSeparators(name));
            return Opening::Failed;
        }
        m_keptAside = {kept, reason};
        opening = reason == KeptAside::Reason::NewDay ? Opening::NewDay : Opening::Begun;
    }
    if (opening != Opening::Continued && !begin())
        return Opening::Failed;
    if (!m_file.open(name)) {
        m_error = m_file.errorString();
        return Opening::Failed;
    }
    if (opening == Opening::Continued)
        m_sequence = sequence;
    m_begunOn = begunOn;
    m_error.clear();
    return opening;
}

bool JournalFile::isFull() const
{
    return m_sequence >= JournalLine::MaxSequence;
}

bool JournalFile::append(JournalEntry entry)
{
    if (isFull()) {
        m_error = QStringLiteral("Das Journal hat die h\u00f6chste Ereignisnummer erreicht");
        return false;
    }
    entry.sequence = m_sequence + 1;
    entry.time = m_now().toString(QLatin1String(JournalLine::TimeFormat));
    if (!m_file.append(JournalLine::encode(entry))) {
        m_error = m_file.errorString();
        return false;
    }
    m_sequence = entry.sequence;
    m_error.clear();
    return true;
}

QStringList JournalFile::journalsIn(const QString &folder)
{
    QStringList names;
    const QDir dir(folder);
    if (dir.exists(FileName))
        names << dir.filePath(FileName);
    // The last written first: a second file of one day ("-2") is newer than the first.
    const QStringList kept = dir.entryList({KeptPrefix + QLatin1String("*.txt")}, QDir::Files, QDir::Time);
    for (const QString &name : kept)
        names << dir.filePath(name);
    return names;
}
