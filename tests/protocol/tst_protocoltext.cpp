#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolText.h"

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
    static void Fill(TProtocolTable &table, const Rows &rows)
    {
        table.setRowCount(rows.size());
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                table.setCells(c, r, rows[r][c]);
    }

    static QStringList Row(const TProtocolTable &table, int row)
    {
        QStringList cells;
        for (int c = 0; c < table.ColCount(); ++c)
            cells.append(table.Cells(c, row));
        return cells;
    }

    static QString WriteFile(const QTemporaryDir &dir, const QByteArray &bytes)
    {
        const QString name = dir.filePath(QStringLiteral("in.txt"));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(bytes);
        return name;
    }

    static QByteArray ReadFile(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir FDir;

private Q_SLOTS:
    void savedBytesAreExact()
    {
        TMemoryProtocolTable table;
        Fill(table, {ProtocolColumns::ColumnTitles(),
                     {"00001", "9:05.12,34", "AT", "18", ""},
                     {"", "lost", "row", "", ""},
                     {"00002", "9:06.00,10", QStringLiteral("\u00d6S"), "", QStringLiteral("DNF\u20ac\t\u0101")}});
        const QString name = FDir.filePath(QStringLiteral("exact.txt"));
        QVERIFY(TProtocolText::SaveProtocolText(table, name));
        QCOMPARE(ReadFile(name),
                 QByteArray("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n"
                            "00001\t9:05.12,34\tAT\t18\t \t\r\n"
                            "00002\t9:06.00,10\t\xd6S\t \tDNF\x80 ?\t\r\n"));
    }

    void emptyFirstResultGivesEmptyFile_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::newRow("title and one empty row") << Rows{ProtocolColumns::ColumnTitles(), {}};
        QTest::newRow("later rows do not count")
            << Rows{ProtocolColumns::ColumnTitles(), {"", "x"}, {"00002", "1,00"}};
    }

    void emptyFirstResultGivesEmptyFile()
    {
        QFETCH(Rows, rows);
        TMemoryProtocolTable table;
        Fill(table, rows);
        const QString name = FDir.filePath(QStringLiteral("empty.txt"));
        QVERIFY(TProtocolText::SaveProtocolText(table, name));
        QVERIFY(QFile::exists(name));
        QCOMPARE(QFileInfo(name).size(), 0);
    }

    void cellSeparatorsInsideCellsDoNotSplitRows()
    {
        TMemoryProtocolTable table;
        Fill(table, {ProtocolColumns::ColumnTitles(), {"00001", "1,00", "A\tB", "x\r\ny", ""}});
        QCOMPARE(TProtocolText::Encode(table).split('\n').size(), 3);
        TMemoryProtocolTable back;
        TProtocolText::Decode(back, TProtocolText::Encode(table));
        QCOMPARE(Row(back, 1), (QStringList{"00001", "1,00", "A B", "x  y", " "}));
    }

    void roundTripThroughFile()
    {
        TMemoryProtocolTable table;
        Rows rows{ProtocolColumns::ColumnTitles()};
        for (int i = 1; i <= 250; ++i)
            rows.append({QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')),
                         QStringLiteral("1:%1.00,%2").arg(i % 60).arg(i % 100),
                         i % 3 ? QStringLiteral("D") : QStringLiteral("\u00c4G"),
                         QString::number(i * 7), i % 10 ? QString() : QStringLiteral("DSQ")});
        Fill(table, rows);
        const QString name = FDir.filePath(QStringLiteral("round.txt"));
        QVERIFY(TProtocolText::SaveProtocolText(table, name));
        TMemoryProtocolTable back;
        QVERIFY(TProtocolText::LoadProtocolText(back, name));
        QCOMPARE(back.RowCount(), table.RowCount());
        for (int r = 0; r < table.RowCount(); ++r) {
            QStringList expected = rows[r];
            for (QString &cell : expected)
                if (cell.isEmpty())
                    cell = QStringLiteral(" ");
            QCOMPARE(Row(back, r), expected);
        }
        QCOMPARE(back.ResultCountFromTable(), 250);
        // Saving what was loaded gives the same bytes again.
        QCOMPARE(TProtocolText::Encode(back), ReadFile(name));
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
        QTest::newRow("seven fields") << QByteArray("1\t2\t3\t4\t5\t6\t7")
                                      << QStringList{"1", "2", "3", "4", "5"};
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
        TMemoryProtocolTable table;
        Fill(table, {{"t0", "t1", "t2", "t3", "t4"}, {"old", "old", "old", "old", "old"}});
        TProtocolText::Decode(table, QByteArray("T\tI\tT\tL\tE\r\n") + line + "\r\n");
        QCOMPARE(Row(table, 1), cells);
        QCOMPARE(table.RowCount(), 2);
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
        TMemoryProtocolTable table;
        TProtocolText::Decode(table, bytes);
        QCOMPARE(table.RowCount(), 3);
        QCOMPARE(table.Cells(0, 0), QStringLiteral("a"));
        QCOMPARE(table.Cells(0, 1), QStringLiteral("b"));
        QCOMPARE(table.Cells(0, 2), QStringLiteral("c"));
    }

    void dataInTitleLineAndTitleRepair()
    {
        TMemoryProtocolTable table;
        TProtocolText::Decode(table, "00007\t \t\x01\t\tAB\r\n00008\t2,00\t\r\n");
        // The TAB run after the control character collapses, so "AB" lands in column 3.
        QCOMPARE(Row(table, 0), (QStringList{"00007", "Stoppzeit", "LKZ", "AB", "Stat"}));
        QCOMPARE(Row(table, 1), (QStringList{"00008", "2,00", "", "", ""}));
        QCOMPARE(table.ResultCountFromTable(), 1);
    }

    void shortFileReplacesLongTable()
    {
        TMemoryProtocolTable table(5, 10);
        for (int r = 0; r < 12; ++r)
            for (int c = 0; c < 5; ++c)
                table.setCells(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
        const QString name = WriteFile(FDir, "Nr.\tStoppzeit\r\n00001\t1,00\r\n00002\t2,00\r\n");
        QVERIFY(TProtocolText::LoadProtocolText(table, name));
        QCOMPARE(table.RowCount(), 3);
        QCOMPARE(Row(table, 0), (QStringList{"Nr.", "Stoppzeit", "LKZ", "StNr.", "Stat"}));
        QCOMPARE(Row(table, 2), (QStringList{"00002", "2,00", "", "", ""}));
        QCOMPARE(table.ResultCountFromTable(), 2);
        // Grown again, the table shows none of the rows it held before the load.
        table.setRowCount(12);
        for (int r = 3; r < 12; ++r)
            QCOMPARE(Row(table, r), (QStringList{"", "", "", "", ""}));
    }

    void emptyFileEmptiesTheTable()
    {
        TMemoryProtocolTable table(5, 3);
        table.setCells(0, 0, QStringLiteral("Nr."));
        table.setCells(0, 1, QStringLiteral("00001"));
        table.setCells(0, 2, QStringLiteral("00002"));
        const QString name = WriteFile(FDir, QByteArray());
        QVERIFY(TProtocolText::LoadProtocolText(table, name));
        QCOMPARE(table.RowCount(), 2);
        QCOMPARE(Row(table, 0), (QStringList{"Nr.", "Stoppzeit", "LKZ", "StNr.", "Stat"}));
        QCOMPARE(Row(table, 1), (QStringList{"", "", "", "", ""}));
        QCOMPARE(table.Cells(0, 2), QString());
        QCOMPARE(table.ResultCountFromTable(), 0);
    }

    void missingFileIsIgnored()
    {
        TMemoryProtocolTable table;
        table.setCells(0, 0, QStringLiteral("keep"));
        QVERIFY(!TProtocolText::LoadProtocolText(table, FDir.filePath(QStringLiteral("nope.txt"))));
        QCOMPARE(table.Cells(0, 0), QStringLiteral("keep"));
        QCOMPARE(table.Cells(1, 0), QString());
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
            TMemoryProtocolTable table;
            TProtocolText::Decode(table, bytes);
            QVERIFY(table.RowCount() >= 2);
            for (int r = 0; r < table.RowCount(); ++r)
                for (int c = 0; c < 5; ++c)
                    QVERIFY(!table.Cells(c, r).contains(QLatin1Char('\t')));
            // Whatever was read saves as a well-formed file.
            const QByteArray saved = TProtocolText::Encode(table);
            QVERIFY(!saved.contains("\t\t"));
            QVERIFY(saved.isEmpty() || saved.endsWith("\t\r\n"));
        }
    }

    void nulBytesAreKeptAsText()
    {
        TMemoryProtocolTable table;
        TProtocolText::Decode(table, QByteArray("Nr.\r\n00\0001\tA\0B\r\n", 16));
        QCOMPARE(table.Cells(0, 1), QString(QStringLiteral("00") + QChar(0) + QStringLiteral("1")));
        QCOMPARE(table.Cells(1, 1), QString(QStringLiteral("A") + QChar(0) + QStringLiteral("B")));
    }

    void hugeLine()
    {
        QByteArray line(8 * 1024 * 1024, 'z');
        line[100] = '\t';
        TMemoryProtocolTable table;
        TProtocolText::Decode(table, line);
        QCOMPARE(table.Cells(0, 0).size(), 100);
        QCOMPARE(table.Cells(1, 0).size(), line.size() - 101);
    }

    void millionShortLines()
    {
        QByteArray bytes;
        bytes.reserve(6 * 1000000);
        for (int i = 0; i < 1000000; ++i)
            bytes.append(i % 2 ? "1;2\r\n" : "3\t4\r\n");
        TMemoryProtocolTable table;
        TProtocolText::Decode(table, bytes);
        QCOMPARE(table.RowCount(), 1000000);
        QCOMPARE(table.Cells(1, 999999), QStringLiteral("2"));
        QCOMPARE(table.ResultCountFromTable(), 999999);
    }
};

QTEST_GUILESS_MAIN(TestProtocolText)
#include "tst_protocoltext.moc"
