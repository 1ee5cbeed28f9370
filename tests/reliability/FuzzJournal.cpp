// The race journal's reader and replay on any bytes: reading must not crash, every event
// read must come back unchanged through the line writer, and the replay must leave a
// protocol of at least two rows whose title row only a snapshot or an edit of a title
// cell changes. The first input byte picks whether the lines' checksums are made right
// first, so that mutated events reach the replay and not only the checksum test; the
// second byte picks the event a partial replay stops before.
#include "FuzzScratch.h"
#include "journal/JournalKinds.h"
#include "journal/JournalLine.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "journal/ProtocolSnapshot.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolResults.h"

#include <QDateTime>
#include <QStringList>

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

namespace {

// ThroughFile: the bytes are also read as a file, streaming; only when bits 1-5 hold just
// it, one random input in 32, since a file per input is slow to write on some systems.
enum Flags : uint8_t { FixChecksums = 1, ThroughFile = 2, FileBits = 0x3E };

QByteArray line(qint64 sequence, QLatin1StringView kind, const QList<std::pair<QString, QString>> &fields)
{
    JournalEntry entry;
    entry.sequence = sequence;
    entry.time = QStringLiteral("2026-12-08T09:%1:00.000").arg(sequence % 60, 2, 10, QLatin1Char('0'));
    entry.kind = kind;
    entry.fields = fields;
    return JournalLine::encode(entry);
}

QString snapshotOf(int results, const QString &oddCell)
{
    MemoryProtocolTable table = JournalReplay::emptyProtocol();
    for (int r = 1; r <= results; ++r)
        ProtocolResults::writeResult(table, r, QStringLiteral("1:0%1,25").arg(r), QStringLiteral("AUT"),
                                     QString::number(r * 7));
    table.setCells(4, 1, oddCell);
    return ProtocolSnapshot::encode(table);
}

QByteArray finish(qint64 sequence, int row)
{
    return line(sequence, K::Finish,
                {{F::Number, QString::number(row)},
                 {F::TimeText, QStringLiteral("0:1%1,37").arg(row)},
                 {F::Stamp, QStringLiteral("09:00:1%1.370").arg(row)},
                 {F::Source, QStringLiteral("lichtschranke")},
                 {F::StartNumber, QString::number(100 + row)},
                 {F::CountryCode, QStringLiteral("\u00d6ST")}});
}

// A race as the program journals it: opened on a protocol, started, finishes, edits
// (one of a title), a clear, a load and a restore, each with its snapshot.
QByteArray raceJournal()
{
    QByteArray bytes = JournalLine::header(QDateTime(QDate(2026, 12, 8), QTime(8, 59)));
    bytes += line(1, K::ProgramStart,
                  {{F::Version, QStringLiteral("1.1")},
                   {F::Rows, QStringLiteral("2")},
                   {F::Table, snapshotOf(2, QStringLiteral("DNF\tmit\\Tab\nund Zeile"))}});
    bytes += line(2, K::Start,
                  {{F::TimeOfDay, QStringLiteral("09:00:00.000")}, {F::Tick, QStringLiteral("12345")}});
    bytes += finish(3, 3);
    bytes += finish(4, 4);
    bytes += line(5, K::CellEdit,
                  {{F::Row, QStringLiteral("3")},
                   {F::Column, QStringLiteral("3")},
                   {F::OldText, QStringLiteral("103")},
                   {F::NewText, QStringLiteral("42")}});
    bytes += line(6, K::CellEdit,
                  {{F::Row, QStringLiteral("0")},
                   {F::Column, QStringLiteral("1")},
                   {F::OldText, ProtocolColumns::columnTitles().at(1)},
                   {F::NewText, QStringLiteral("Zeit")}});
    bytes += line(7, K::Stop,
                  {{F::TimeOfDay, QStringLiteral("09:12:00.000")},
                   {F::Tick, QStringLiteral("732345")},
                   {F::RaceTime, QStringLiteral("12:00,00")}});
    bytes += line(8, K::Clear, {});
    bytes += line(9, K::Load,
                  {{F::File, QStringLiteral("C:\\Rennen\\Lauf 2.txt")},
                   {F::Rows, QStringLiteral("3")},
                   {F::Table, snapshotOf(3, QStringLiteral(" "))}});
    bytes += finish(10, 4);
    bytes += line(11, K::Restore,
                  {{F::File, QStringLiteral("Tivano-Journal.txt")},
                   {F::Before, QStringLiteral("8")},
                   {F::Rows, QStringLiteral("4")},
                   {F::Table, snapshotOf(4, QString())}});
    bytes += line(12, K::Reset, {});
    bytes
        += line(13, K::PortClosed, {{F::Port, QStringLiteral("3")}, {F::Reason, QStringLiteral("weg\r\n")}});
    bytes += line(14, K::ProgramExit, {});
    return bytes;
}

// Every line's checksum made to match its text, so that the replay sees what it holds.
QByteArray withFixedChecksums(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView text = bytes.sliced(start, end - start);
        const qsizetype mark = text.lastIndexOf(QByteArrayView("\t#"));
        if (mark > 0) {
            const QByteArrayView body = text.first(mark);
            out += body;
            out += "\t#" + QByteArray::number(JournalLine::crc32(body), 16).rightJustified(8, '0');
        } else {
            out += text;
        }
        if (end < bytes.size())
            out += '\n';
        start = end + 1;
    }
    return out;
}

QStringList titleRow(const ProtocolTable &table)
{
    QStringList titles;
    for (int c = 0; c < table.colCount(); ++c)
        titles << table.cells(c, 0);
    return titles;
}

// The title row may change only through a snapshot, or in the one cell a title edit names.
bool titlesKept(const JournalEntry &entry, const QStringList &before, const QStringList &after)
{
    if (entry.hasField(F::Table))
        return true;
    bool rowOk = false;
    const bool titleEdit = entry.kind == K::CellEdit && entry.field(F::Row).toInt(&rowOk) == 0 && rowOk;
    const int editedColumn = titleEdit ? entry.field(F::Column).toInt() : -1;
    for (int c = 0; c < before.size(); ++c) {
        if (c != editedColumn && before.at(c) != after.at(c))
            return false;
    }
    return true;
}

} // namespace

std::vector<std::string> fuzzSeeds()
{
    const QByteArray race = raceJournal();
    const QByteArray header = JournalLine::header(QDateTime(QDate(2026, 12, 8), QTime(7, 0)));
    // Torn at the end, and torn in the middle with the next event after an LF, as the
    // writer goes on after a failed write.
    const QByteArray tornEnd = race.left(race.size() - 9);
    const QByteArray tornMiddle = race.left(race.size() / 2) + '\n' + finish(99, 5);
    std::vector<std::string> seeds;
    for (const char flags : {char(0), char(FixChecksums)}) {
        for (const QByteArray &journal : {race, tornEnd, tornMiddle, header})
            seeds.push_back(std::string{flags, char(7)} + journal.toStdString());
    }
    seeds.push_back(std::string{char(ThroughFile), char(7)} + tornEnd.toStdString());
    // Lines written by hand, every escape among them; their checksums are made right.
    seeds.push_back(
        std::string("\x01\x00", 2) + header.toStdString()
        + "1\t\tX\t#00000000\n"
          "2\t2026-12-08T09:00:00.000\tPORT-ZU\tport=3\tgrund=a\\tb\\nc\\\\d\\re=f\t#00000000\n"
          "3\t2026-12-08T09:00:01.000\tAENDERUNG\tzeile=0\tspalte=2\talt=LKZ\tneu=L\\tK\\\\Z\t#0\n");
    seeds.push_back("\x01\x03Tivano-Journal\t2\t2026-12-08T07:00:00.000\n");
    return seeds;
}

extern "C" int llvmFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzBytes in(data, size);
    const uint8_t flags = in.byte();
    const qint64 before = in.byte();
    const QByteArrayView rest(reinterpret_cast<const char *>(in.rest()), qsizetype(in.restSize()));
    const QByteArray bytes = flags & FixChecksums ? withFixedChecksums(rest) : rest.toByteArray();

    const std::optional<JournalContents> contents = JournalReader::read(bytes);
    if ((flags & FileBits) == ThroughFile) {
        // The streaming read of the same bytes as a file gives the same events and counts.
        const QString path = FuzzScratch::writeFile(QStringLiteral("Tivano-Journal.txt"), bytes);
        QList<JournalEntry> streamed;
        const std::optional<JournalContents> streamedContents = JournalReader::readEach(
            path, [&streamed](JournalEntry &&entry) { streamed.append(std::move(entry)); });
        FUZZ_CHECK(contents.has_value() == streamedContents.has_value(), "the streaming read decides otherwise");
        FUZZ_CHECK(!contents
                       || (streamed == contents->entries && streamedContents->tornLines == contents->tornLines
                           && streamedContents->damagedLines == contents->damagedLines),
                   "the streaming read gives other events");
    }
    if (!contents)
        return 0;
    for (const JournalEntry &entry : contents->entries) {
        const QByteArray encoded = JournalLine::encode(entry);
        FUZZ_CHECK(encoded.endsWith('\n') && encoded.count('\n') == 1,
                   "an event written on more than one line");
        const std::optional<JournalEntry> again = JournalLine::decode(QByteArrayView(encoded).chopped(1));
        FUZZ_CHECK(again.has_value(), "a written event does not read back");
        FUZZ_CHECK(*again == entry, "an event changed on its way through its line");
    }

    // Event by event, as the restore dialog's points see it.
    MemoryProtocolTable table = JournalReplay::emptyProtocol();
    for (const JournalEntry &entry : contents->entries) {
        const QStringList titlesBefore = titleRow(table);
        JournalReplay::apply(entry, table);
        FUZZ_CHECK(table.rowCount() >= 2, "the replay left fewer than two rows");
        FUZZ_CHECK(titlesKept(entry, titlesBefore, titleRow(table)), "an event changed the title row");
        if (entry.hasField(F::Table)) {
            // What a snapshot restored, a snapshot of it restores again.
            const QString snapshot = ProtocolSnapshot::encode(table);
            MemoryProtocolTable copy = JournalReplay::emptyProtocol();
            ProtocolSnapshot::apply(snapshot, copy);
            FUZZ_CHECK(ProtocolSnapshot::encode(copy) == snapshot, "a snapshot of a snapshot differs");
        }
    }
    const MemoryProtocolTable replayed = JournalReplay::replay(contents->entries);
    FUZZ_CHECK(ProtocolSnapshot::encode(replayed) == ProtocolSnapshot::encode(table),
               "the replay differs from its events applied one by one");

    const MemoryProtocolTable partial = JournalReplay::replay(contents->entries, before);
    FUZZ_CHECK(partial.rowCount() >= 2, "a partial replay left fewer than two rows");
    for (const JournalReplay::RestorePoint &point : JournalReplay::restorePoints(contents->entries))
        FUZZ_CHECK(point.resultsBefore >= 0, "a restore point before a negative count of results");
    return 0;
}
