// The journal's line format, its reader and the protocol snapshot: what is written is
// read back unchanged, and what was torn or damaged is never read as an event.
#include "journal/JournalLine.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "journal/ProtocolSnapshot.h"
#include "protocol/MemoryProtocolTable.h"

#include <QtTest>

namespace {

JournalEntry entry(qint64 sequence, const QString &kind,
                   const QList<std::pair<QString, QString>> &fields = {})
{
    JournalEntry e;
    e.sequence = sequence;
    e.time = QStringLiteral("2026-12-08T10:00:00.000");
    e.kind = kind;
    e.fields = fields;
    return e;
}

QByteArray journal(const QList<JournalEntry> &entries)
{
    QByteArray bytes = JournalLine::header(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    for (const JournalEntry &e : entries)
        bytes += JournalLine::encode(e);
    return bytes;
}

// A line with a correct checksum over whatever body it is given.
QByteArray signedLine(const QByteArray &body)
{
    return body + "\t#" + QByteArray::number(JournalLine::crc32(body), 16).rightJustified(8, '0');
}

} // namespace

class TestJournalFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksumIsZlibsCrc32()
    {
        // The standard check value, so that any CRC-32 tool can verify a line.
        QCOMPARE(JournalLine::crc32("123456789"), 0xCBF43926u);
        QCOMPARE(JournalLine::crc32(""), 0u);
    }

    void entriesComeBackUnchanged_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "ZIEL"
                               << "zeit"
                               << "1:02,34";
        QTest::newRow("empty value") << "ZIEL"
                                     << "stnr"
                                     << "";
        QTest::newRow("tab, LF, CR") << "AENDERUNG"
                                     << "neu"
                                     << "a\tb\nc\rd";
        QTest::newRow("backslashes") << "AENDERUNG"
                                     << "neu"
                                     << "C:\\Rennen\\t.txt\\";
        QTest::newRow("escape look-alike") << "AENDERUNG"
                                           << "neu"
                                           << "\\t is not a tab";
        QTest::newRow("equals and hash") << "AENDERUNG"
                                         << "neu"
                                         << "a=b\t#deadbeef";
        QTest::newRow("umlauts and beyond") << "LADEN"
                                            << "datei"
                                            << "Zielprotokoll \u00e4\u00f6\u00fc\u00df \U0001F3C1";
        QTest::newRow("key with blanks") << "X Y"
                                         << "a key"
                                         << "v";
    }

    void entriesComeBackUnchanged()
    {
        QFETCH(QString, kind);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const JournalEntry written
            = entry(42, kind, {{key, value}, {QStringLiteral("nr"), QStringLiteral("7")}});
        const QByteArray line = JournalLine::encode(written);
        QVERIFY(line.endsWith('\n'));
        QCOMPARE(line.count('\n'), 1);
        const std::optional<JournalEntry> read = JournalLine::decode(QByteArrayView(line).chopped(1));
        QVERIFY(read);
        QCOMPARE(*read, written);
        QCOMPARE(read->field(QLatin1StringView("nr")), QStringLiteral("7"));
    }

    void everyTruncationOrFlippedByteIsRejected()
    {
        const QByteArray line
            = JournalLine::encode(entry(12, QStringLiteral("ZIEL"),
                                        {{QStringLiteral("nr"), QStringLiteral("12")},
                                         {QStringLiteral("zeit"), QStringLiteral("9:05.12,34")}}))
                  .chopped(1);
        for (qsizetype n = 0; n < line.size(); ++n)
            QVERIFY2(!JournalLine::decode(line.first(n)), qPrintable(QStringLiteral("cut at %1").arg(n)));
        for (qsizetype i = 0; i < line.size(); ++i) {
            for (const char flip : {char(0x01), char(0x20), char(0x80)}) {
                QByteArray damaged = line;
                damaged[i] = char(damaged[i] ^ flip);
                QVERIFY2(!JournalLine::decode(damaged), qPrintable(QStringLiteral("byte %1").arg(i)));
            }
        }
    }

    void signedButMalformedLinesAreRejected_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("no kind") << QByteArray("1\t2026-12-08T10:00:00.000");
        QTest::newRow("empty kind") << QByteArray("1\t2026-12-08T10:00:00.000\t");
        QTest::newRow("sequence not a number") << QByteArray("x\ttime\tZIEL");
        QTest::newRow("negative sequence") << QByteArray("-3\ttime\tZIEL");
        QTest::newRow("field without =") << QByteArray("1\ttime\tZIEL\tnr");
        QTest::newRow("unknown escape") << QByteArray("1\ttime\tZIEL\tnr=\\x");
        QTest::newRow("escape at the end") << QByteArray("1\ttime\tZIEL\tnr=1\\");
    }

    void signedButMalformedLinesAreRejected()
    {
        QFETCH(QByteArray, body);
        QVERIFY(!JournalLine::decode(signedLine(body)));
    }

    void headerNamesFormatVersionAndBeginning()
    {
        const QDateTime created(QDate(2026, 12, 8), QTime(16, 38, 11, 123));
        const QByteArray header = JournalLine::header(created);
        QCOMPARE(header, QByteArray("Tivano-Journal\t1\t2026-12-08T16:38:11.123\n"));
        const std::optional<JournalLine::Header> read
            = JournalLine::parseHeader(QByteArrayView(header).chopped(1));
        QVERIFY(read);
        QCOMPARE(read->version, 1);
        QCOMPARE(read->created, created);
    }

    void readerRefusesWhatIsNoJournalOfItsVersion_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << "kein Tivano-Journal";
        QTest::newRow("a protocol") << QByteArray("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n")
                                    << "kein Tivano-Journal";
        QTest::newRow("version 0") << QByteArray("Tivano-Journal\t0\t\n") << "kein Tivano-Journal";
        QTest::newRow("a later version")
            << QByteArray("Tivano-Journal\t2\t2027-01-01T00:00:00.000\n") << "Version 2";
    }

    void readerRefusesWhatIsNoJournalOfItsVersion()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QString why;
        QVERIFY(!JournalReader::read(bytes, &why));
        QVERIFY2(why.contains(error), qPrintable(why));
    }

    void tornAndDamagedLinesAreLeftOut_data()
    {
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("torn");
        QTest::addColumn<int>("damaged");
        const QByteArray third = JournalLine::encode(entry(3, QStringLiteral("STOPP")));
        QTest::newRow("complete") << third << 3 << 0 << 0;
        QTest::newRow("last line without LF") << third.chopped(1) << 2 << 1 << 0;
        QTest::newRow("last line cut in half") << third.first(9) << 2 << 1 << 0;
        QTest::newRow("torn line inside the file")
            << third.first(9) + "\n" + JournalLine::encode(entry(3, QStringLiteral("STOPP"))) << 3 << 0 << 1;
        QByteArray rotten = third;
        rotten[2] = 'Q';
        QTest::newRow("damaged line in the middle")
            << rotten + JournalLine::encode(entry(4, QStringLiteral("START"))) << 3 << 0 << 1;
        QTest::newRow("trailing empty lines") << third + "\n\n" << 3 << 0 << 0;
    }

    void tornAndDamagedLinesAreLeftOut()
    {
        QFETCH(QByteArray, tail);
        QFETCH(int, events);
        QFETCH(int, torn);
        QFETCH(int, damaged);
        const QByteArray bytes
            = journal({entry(1, QStringLiteral("PROGRAMMSTART")), entry(2, QStringLiteral("START"))}) + tail;
        const std::optional<JournalContents> contents = JournalReader::read(bytes);
        QVERIFY(contents);
        QCOMPARE(contents->entries.size(), events);
        QCOMPARE(contents->tornLines, torn);
        QCOMPARE(contents->damagedLines, damaged);
        for (qsizetype i = 1; i < contents->entries.size(); ++i)
            QVERIFY(contents->entries.at(i).sequence > contents->entries.at(i - 1).sequence);
    }

    // Events no race can have recorded (a hand edit with a fresh checksum) leave the
    // protocol as it was instead of growing it without bound.
    void replayIgnoresImpossibleRowsAndCells_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("largest finish number") << "ZIEL"
                                               << "nr"
                                               << "2147483647";
        QTest::newRow("finish far beyond the table") << "ZIEL"
                                                     << "nr"
                                                     << "300000000";
        QTest::newRow("finish number 0") << "ZIEL"
                                         << "nr"
                                         << "0";
        QTest::newRow("negative finish number") << "ZIEL"
                                                << "nr"
                                                << "-4";
        QTest::newRow("finish number not a number") << "ZIEL"
                                                    << "nr"
                                                    << "drei";
        QTest::newRow("edit below the table") << "AENDERUNG"
                                              << "zeile"
                                              << "3";
        QTest::newRow("edit above the title") << "AENDERUNG"
                                              << "zeile"
                                              << "-1";
    }

    void replayIgnoresImpossibleRowsAndCells()
    {
        QFETCH(QString, kind);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const JournalEntry first = entry(1, QStringLiteral("ZIEL"),
                                         {{"nr", "1"}, {"zeit", "0,50"}, {"lkz", "AUT"}, {"stnr", "7"}});
        const MemoryProtocolTable before = JournalReplay::replay({first});
        JournalEntry odd
            = entry(2, kind, {{"zeit", "1,00"}, {"spalte", "4"}, {"zeile", "1"}, {"neu", "DNF"}});
        odd.fields.prepend({key, value});
        QCOMPARE(JournalReplay::replay({first, odd}).rows(), before.rows());
        // The same event with a number the race can have written does change it.
        odd.fields.first().second = QStringLiteral("2");
        if (kind == QLatin1String("AENDERUNG"))
            odd.fields.first().second = QStringLiteral("1");
        QVERIFY(JournalReplay::replay({first, odd}).rows() != before.rows());
    }

    void snapshotKeepsEveryCell_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        const QStringList titles{"Nr.", "Stoppzeit", "LKZ", "StNr.", "Stat"};
        QTest::newRow("title and an empty row") << QList<QStringList>{titles, {"", "", "", "", ""}};
        QTest::newRow("results") << QList<QStringList>{
            titles, {"00001", "1:02,34", "AUT", "18", ""}, {"00002", "1:03,00", "", "", "DNF"}};
        QTest::newRow("separators inside cells")
            << QList<QStringList>{titles, {"00001", "a\tb", "c\nd", "e\\tf", "\\"}, {"", "", "", "", "\r"}};
        QTest::newRow("blank title") << QList<QStringList>{{"", "Zeit", "", "", ""},
                                                           {"00001", "", "", "", ""}};
    }

    void snapshotKeepsEveryCell()
    {
        QFETCH(QList<QStringList>, rows);
        MemoryProtocolTable table(5, int(rows.size()));
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 5; ++c)
                table.setCells(c, r, rows.at(r).at(c));
        // The table it is applied to holds more rows, some beyond its row count.
        MemoryProtocolTable target(5, 9);
        for (int r = 0; r < 9; ++r)
            target.setCells(1, r, QStringLiteral("old"));
        target.setRowCount(4);
        ProtocolSnapshot::apply(ProtocolSnapshot::encode(table), target);
        QCOMPARE(target.rows(), table.rows());
        target.setRowCount(9);
        for (int r = int(rows.size()); r < 9; ++r)
            QCOMPARE(target.cells(1, r), QString());
    }
};

QTEST_GUILESS_MAIN(TestJournalFormat)
#include "tst_journalformat.moc"
