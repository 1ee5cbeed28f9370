#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolText.h"
#include "platform/TextCodec.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using Rows = QList<QStringList>;

class TestProtocolText : public QObject
{
    Q_OBJECT

private:
    static void fill(ProtocolTable &table, const Rows &rows)
    {
        table.setRowCount(rows.size());
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                table.setCells(c, r, rows[r][c]);
    }

    static QStringList row(const ProtocolTable &table, int row)
    {
        QStringList cells;
        for (int c = 0; c < table.colCount(); ++c)
            cells.append(table.cells(c, row));
        return cells;
    }

    static QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
    {
        const QString name = dir.filePath(QStringLiteral("in.txt"));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(bytes);
        return name;
    }

    static QByteArray readFile(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;

private Q_SLOTS:
    void savedBytesAreExact()
    {
        MemoryProtocolTable table;
        fill(table,
             {ProtocolColumns::columnTitles(),
              {"00001", "9:05.12,34", "AT", "18", ""},
              {"", "lost", "row", "", ""},
              {"00002", "9:06.00,10", QStringLiteral("\u00d6S"), "", QStringLiteral("DNF\u20ac\t\u0101")}});
        const QString name = m_dir.filePath(QStringLiteral("exact.txt"));
        QVERIFY(ProtocolText::saveProtocolText(table, name));
        QCOMPARE(readFile(name),
                 QByteArray("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n"
                            "00001\t9:05.12,34\tAT\t18\t \t\r\n"
                            "00002\t9:06.00,10\t\xd6S\t \tDNF\x80 ?\t\r\n"));
    }

    // Random tables drawn from one alphabet each: the whole text and the lines appended one
    // by one must be the bytes the format's rules give cell by cell.
    void encodedBytesFollowTheRules_data()
    {
        QTest::addColumn<QString>("alphabet");
        QTest::newRow("printable ASCII") << QStringLiteral("09:,.AZaz ~");
        QTest::newRow("Latin-1 and DEL") << QStringLiteral("a\u00a0\u00d6\u00ff\u007f");
        QTest::newRow("Windows-1252 above 0x7F") << QStringLiteral("\u20ac\u0160\u0081\u009d\u0178x");
        QTest::newRow("breaks and controls") << QStringLiteral("\t\r\nx\u0001");
        QTest::newRow("outside the code page")
            << QStringLiteral("\u0101\u4e2d\U0001f600x\u0080\u009f") + QChar(0xDC00);
    }

    void encodedBytesFollowTheRules()
    {
        QFETCH(QString, alphabet);
        QRandomGenerator rng(20261209);
        MemoryProtocolTable table(5, 300);
        QByteArray expected;
        for (int r = 0; r < table.rowCount(); ++r) {
            QByteArray line;
            for (int c = 0; c < table.colCount(); ++c) {
                QString cell;
                for (int n = int(rng.bounded(r == 1 ? 1 : 0, 12)); n > 0; --n)
                    cell += alphabet.at(rng.bounded(alphabet.size()));
                table.setCells(c, r, cell);
                for (QChar &ch : cell)
                    if (ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n'))
                        ch = QLatin1Char(' ');
                line += (cell.isEmpty() ? QByteArray(" ") : TextCodec::encode(cell)) + '\t';
            }
            if (!table.cells(0, r).isEmpty())
                expected += line + "\r\n";
        }
        QCOMPARE(ProtocolText::encode(table), expected);
        QByteArray appended;
        for (int r = 0; r < table.rowCount(); ++r)
            ProtocolText::appendLine(appended, table, r);
        QCOMPARE(appended, expected);
    }

    void emptyFirstResultGivesEmptyFile_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::newRow("title and one empty row") << Rows{ProtocolColumns::columnTitles(), {}};
        QTest::newRow("later rows do not count")
            << Rows{ProtocolColumns::columnTitles(), {"", "x"}, {"00002", "1,00"}};
    }

    void emptyFirstResultGivesEmptyFile()
    {
        QFETCH(Rows, rows);
        MemoryProtocolTable table;
        fill(table, rows);
        const QString name = m_dir.filePath(QStringLiteral("empty.txt"));
        QVERIFY(ProtocolText::saveProtocolText(table, name));
        QVERIFY(QFile::exists(name));
        QCOMPARE(QFileInfo(name).size(), 0);
    }

    void cellSeparatorsInsideCellsDoNotSplitRows()
    {
        MemoryProtocolTable table;
        fill(table, {ProtocolColumns::columnTitles(), {"00001", "1,00", "A\tB", "x\r\ny", ""}});
        QCOMPARE(ProtocolText::encode(table).split('\n').size(), 3);
        MemoryProtocolTable back;
        ProtocolText::decode(back, ProtocolText::encode(table));
        QCOMPARE(row(back, 1), (QStringList{"00001", "1,00", "A B", "x  y", " "}));
    }

    void roundTripThroughFile()
    {
        MemoryProtocolTable table;
        Rows rows{ProtocolColumns::columnTitles()};
        for (int i = 1; i <= 250; ++i)
            rows.append({QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')),
                         QStringLiteral("1:%1.00,%2").arg(i % 60).arg(i % 100),
                         i % 3 ? QStringLiteral("D") : QStringLiteral("\u00c4G"), QString::number(i * 7),
                         i % 10 ? QString() : QStringLiteral("DSQ")});
        fill(table, rows);
        const QString name = m_dir.filePath(QStringLiteral("round.txt"));
        QVERIFY(ProtocolText::saveProtocolText(table, name));
        MemoryProtocolTable back;
        QVERIFY(ProtocolText::loadProtocolText(back, name));
        QCOMPARE(back.rowCount(), table.rowCount());
        for (int r = 0; r < table.rowCount(); ++r) {
            QStringList expected = rows[r];
            for (QString &cell : expected)
                if (cell.isEmpty())
                    cell = QStringLiteral(" ");
            QCOMPARE(row(back, r), expected);
        }
        QCOMPARE(back.lastResultRowFromTable(), 250);
        // Saving what was loaded gives the same bytes again.
        QCOMPARE(ProtocolText::encode(back), readFile(name));
    }

    void readerLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("tab run collapses") << QByteArray("a\t\tb") << QStringList{"a", "b", "", "", ""};
        QTest::newRow("semicolons keep empty parts")
            << QByteArray("a;;b") << QStringList{"a", " ", "b", "", ""};
        QTest::newRow("tab wins over semicolon")
            << QByteArray("x;y\tz") << QStringList{"x;y", "z", "", "", ""};
        QTest::newRow("seven fields")
            << QByteArray("1\t2\t3\t4\t5\t6\t7") << QStringList{"1", "2", "3", "4", "5"};
        QTest::newRow("trailing tab adds nothing")
            << QByteArray("a\tb\t") << QStringList{"a", "b", "", "", ""};
        QTest::newRow("blank cells") << QByteArray("00001\t \t \t \t \t")
                                     << QStringList{"00001", " ", " ", " ", " "};
        QTest::newRow("leading tab") << QByteArray("\ta") << QStringList{" ", "a", "", "", ""};
        QTest::newRow("lone semicolon") << QByteArray(";") << QStringList{" ", "", "", "", ""};
        QTest::newRow("empty line") << QByteArray("") << QStringList{"", "", "", "", ""};
        QTest::newRow("code page") << QByteArray("\x80;\xe4") << QStringList{"\u20ac", "\u00e4", "", "", ""};
    }

    void readerLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, cells);
        MemoryProtocolTable table;
        fill(table, {{"t0", "t1", "t2", "t3", "t4"}, {"old", "old", "old", "old", "old"}});
        ProtocolText::decode(table, QByteArray("T\tI\tT\tL\tE\r\n") + line + "\r\n");
        QCOMPARE(row(table, 1), cells);
        QCOMPARE(table.rowCount(), 2);
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\nc\r\n");
        QTest::newRow("LF") << QByteArray("a\nb\nc\n");
        QTest::newRow("CR") << QByteArray("a\rb\rc\r");
        QTest::newRow("no final line end") << QByteArray("a\r\nb\r\nc");
    }

    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        MemoryProtocolTable table;
        ProtocolText::decode(table, bytes);
        QCOMPARE(table.rowCount(), 3);
        QCOMPARE(table.cells(0, 0), QStringLiteral("a"));
        QCOMPARE(table.cells(0, 1), QStringLiteral("b"));
        QCOMPARE(table.cells(0, 2), QStringLiteral("c"));
    }

    void dataInTitleLineAndTitleRepair()
    {
        MemoryProtocolTable table;
        ProtocolText::decode(table, "00007\t \t\x01\t\tAB\r\n00008\t2,00\t\r\n");
        // The TAB run after the control character collapses, so "AB" lands in column 3.
        QCOMPARE(row(table, 0), (QStringList{"00007", "Stoppzeit", "LKZ", "AB", "Stat"}));
        QCOMPARE(row(table, 1), (QStringList{"00008", "2,00", "", "", ""}));
        QCOMPARE(table.lastResultRowFromTable(), 1);
    }

    void shortFileReplacesLongTable()
    {
        MemoryProtocolTable table(5, 10);
        for (int r = 0; r < 12; ++r)
            for (int c = 0; c < 5; ++c)
                table.setCells(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
        const QString name = writeFile(m_dir, "Nr.\tStoppzeit\r\n00001\t1,00\r\n00002\t2,00\r\n");
        QVERIFY(ProtocolText::loadProtocolText(table, name));
        QCOMPARE(table.rowCount(), 3);
        QCOMPARE(row(table, 0), (QStringList{"Nr.", "Stoppzeit", "LKZ", "StNr.", "Stat"}));
        QCOMPARE(row(table, 2), (QStringList{"00002", "2,00", "", "", ""}));
        QCOMPARE(table.lastResultRowFromTable(), 2);
        // Grown again, the table shows none of the rows it held before the load.
        table.setRowCount(12);
        for (int r = 3; r < 12; ++r)
            QCOMPARE(row(table, r), (QStringList{"", "", "", "", ""}));
    }

    void emptyFileEmptiesTheTable()
    {
        MemoryProtocolTable table(5, 3);
        table.setCells(0, 0, QStringLiteral("Nr."));
        table.setCells(0, 1, QStringLiteral("00001"));
        table.setCells(0, 2, QStringLiteral("00002"));
        const QString name = writeFile(m_dir, QByteArray());
        QVERIFY(ProtocolText::loadProtocolText(table, name));
        QCOMPARE(table.rowCount(), 2);
        QCOMPARE(row(table, 0), (QStringList{"Nr.", "Stoppzeit", "LKZ", "StNr.", "Stat"}));
        QCOMPARE(row(table, 1), (QStringList{"", "", "", "", ""}));
        QCOMPARE(table.cells(0, 2), QString());
        QCOMPARE(table.lastResultRowFromTable(), 0);
    }

    void missingFileIsIgnored()
    {
        MemoryProtocolTable table;
        table.setCells(0, 0, QStringLiteral("keep"));
        QVERIFY(!ProtocolText::loadProtocolText(table, m_dir.filePath(QStringLiteral("nope.txt"))));
        QCOMPARE(table.cells(0, 0), QStringLiteral("keep"));
        QCOMPARE(table.cells(1, 0), QString());
    }

    void randomInputNeverBreaksTheReader()
    {
        QRandomGenerator rng(20250507);
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes(rng.bounded(1, 4000), '\0');
            for (char &b : bytes) {
                const quint32 pick = rng.bounded(10);
                b = pick < 3 ? "\t;\r\n\0 ,"[rng.bounded(7)] : char(rng.bounded(256));
            }
            MemoryProtocolTable table;
            ProtocolText::decode(table, bytes);
            QVERIFY(table.rowCount() >= 2);
            for (int r = 0; r < table.rowCount(); ++r)
                for (int c = 0; c < 5; ++c)
                    QVERIFY(!table.cells(c, r).contains(QLatin1Char('\t')));
            // Whatever was read saves as a well-formed file.
            const QByteArray saved = ProtocolText::encode(table);
            QVERIFY(!saved.contains("\t\t"));
            QVERIFY(saved.isEmpty() || saved.endsWith("\t\r\n"));
        }
    }

    void nulBytesAreKeptAsText()
    {
        MemoryProtocolTable table;
        ProtocolText::decode(table, QByteArray("Nr.\r\n00\0001\tA\0B\r\n", 16));
        QCOMPARE(table.cells(0, 1), QString(QStringLiteral("00") + QChar(0) + QStringLiteral("1")));
        QCOMPARE(table.cells(1, 1), QString(QStringLiteral("A") + QChar(0) + QStringLiteral("B")));
    }

    void hugeLine()
    {
        QByteArray line(8 * 1024 * 1024, 'z');
        line[100] = '\t';
        MemoryProtocolTable table;
        ProtocolText::decode(table, line);
        QCOMPARE(table.cells(0, 0).size(), 100);
        QCOMPARE(table.cells(1, 0).size(), line.size() - 101);
    }

    void millionShortLines()
    {
        QByteArray bytes;
        bytes.reserve(6 * 1000000);
        for (int i = 0; i < 1000000; ++i)
            bytes.append(i % 2 ? "1;2\r\n" : "3\t4\r\n");
        MemoryProtocolTable table;
        ProtocolText::decode(table, bytes);
        QCOMPARE(table.rowCount(), 1000000);
        QCOMPARE(table.cells(1, 999999), QStringLiteral("2"));
        QCOMPARE(table.lastResultRowFromTable(), 999999);
    }
};

QTEST_GUILESS_MAIN(TestProtocolText)
#include "tst_protocoltext.moc"
