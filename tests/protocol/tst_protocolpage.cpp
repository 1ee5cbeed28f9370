#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolPage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProtocolPage : public QObject
{
    Q_OBJECT

private:
    static QByteArray readFile(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // The page's lines from the line after the header row to the end, split at CR LF.
    static QList<QByteArray> pageLines(const QByteArray &page)
    {
        QList<QByteArray> lines = page.split('\n');
        for (QByteArray &line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
        }
        return lines;
    }

private Q_SLOTS:
    void pageIsByteExact()
    {
        MemoryProtocolTable table(5, 3);
        const QStringList titles = ProtocolColumns::columnTitles();
        for (int c = 0; c < 5; ++c)
            table.setCells(c, 0, titles[c]);
        table.setCells(4, 0, QStringLiteral("St<a>t"));
        const QStringList row1{"00001", "1:02.03,04", QStringLiteral("\u00d6"), "18", ""};
        const QStringList row2{"00002", "1,2,3", "A&B", "\"7\"", "<b>"};
        for (int c = 0; c < 5; ++c) {
            table.setCells(c, 1, row1[c]);
            table.setCells(c, 2, row2[c]);
        }
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Tivano.html"));
        QVERIFY(ProtocolPage::writeProtocolPage(table, QStringLiteral("Ti&vano"), name));

        const QByteArray expected
            = "<HTML>\r\n"
              "<HEAD>\r\n"
              "<!--http://www.korvano-software.de software -->\r\n"
              "<TITLE>Zeitenprotokoll Ti&amp;vano</TITLE>\r\n"
              "<META name=description content=\"Korvano Software - Zeitmessung f\xfcr "
              "Laufveranstaltungen, Radrennen und Vereinssport\">\r\n"
              "<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\r\n"
              "<META name=\"Webdesign\" content=\"webdesign@korvano-software.de\">\r\n"
              "</HEAD>\r\n"
              "<STYLE type=text/css>\r\n"
              " body {font-family: Arial}\r\n"
              " pre  {padding-left: 36px}\r\n"
              ".kv   {line-height: 4px; width: 28px}\r\n"
              "</STYLE>\r\n"
              "<BODY bgcolor=#FFFFFF text=#000000>\r\n"
              "<DIV style=\"FILTER: Blur(direction=225, strength=6); WIDTH:100%\"><H2>&nbsp;"
              "Ti&amp;vano</H2>\r\n"
              "</div>\r\n"
              "<H4>Zeitenprotokoll</H4>\r\n"
              "<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF borderColor=#808080 "
              "border=1 cellpadding=4 width=100%>\r\n"
              "<colgroup valign=top> <col align=right> <col align=right> <col align=left> "
              "<col align=right> <col align=center>  <col align=center> </colgroup>\r\n"
              "<thead align=left bgcolor=#91B5FF>\r\n"
              "<tr>\r\n"
              "<th width=5%>Nr.\r\n"
              "<th width=10%>Stoppzeit\r\n"
              "<th width=10%>LKZ\r\n"
              "<th width=5%>StNr.\r\n"
              "<th width=5%>St&lt;a&gt;t\r\n"
              "<th width=60%>\r\n"
              "</tr></thead>\r\n"
              "<tr><td>00001<td>1:02.03.04<td>\xd6<td>18<td></tr>\r\n"
              "<tr><td>00002<td>1.2,3<td>A&amp;B<td>&quot;7&quot;<td>&lt;b&gt;</tr>\r\n"
              "</table>\r\n"
              "<P align=right><a href=\"http://www.korvano-software.de/sport/\" title=\"Ti&amp;vano\">"
              "<FONT color=#FF0000>Kor</FONT><FONT color=#009900>va</FONT><FONT color=#999999>no"
              "</FONT><FONT color=#666600>&nbsp; Sport Software </FONT>&gt;&gt;</A></P></body>"
              "</html>\r\n";
        QCOMPARE(readFile(name), expected);
    }

    void firstCommaBecomesDot_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("time") << QStringLiteral("1:02.03,04") << QByteArray("1:02.03.04");
        QTest::newRow("two commas") << QStringLiteral("a,b,c") << QByteArray("a.b,c");
        QTest::newRow("no comma") << QStringLiteral("9.5") << QByteArray("9.5");
        QTest::newRow("comma first") << QStringLiteral(",5") << QByteArray(".5");
        QTest::newRow("empty") << QString() << QByteArray("");
    }

    void firstCommaBecomesDot()
    {
        QFETCH(QString, cell);
        QFETCH(QByteArray, written);
        MemoryProtocolTable table(5, 2);
        table.setCells(1, 1, cell);
        const QList<QByteArray> lines = pageLines(ProtocolPage::build(table, QStringLiteral("T")));
        const qsizetype header = lines.indexOf("</tr></thead>");
        QVERIFY(header > 0);
        QCOMPARE(lines.at(header + 1), QByteArray("<tr><td><td>" + written + "<td><td><td></tr>"));
        // Header cells keep their commas.
        table.setCells(1, 0, QStringLiteral("Zeit,netto"));
        QVERIFY(ProtocolPage::build(table, QStringLiteral("T")).contains("<th width=10%>Zeit,netto\r\n"));
    }

    void onlyEmptyDataRow()
    {
        MemoryProtocolTable table(5, 2);
        const QList<QByteArray> lines = pageLines(ProtocolPage::build(table, QStringLiteral("T")));
        const qsizetype header = lines.indexOf("</tr></thead>");
        QCOMPARE(lines.at(header + 1), QByteArray("<tr><td><td><td><td><td></tr>"));
        QCOMPARE(lines.at(header + 2), QByteArray("</table>"));
        QCOMPARE(lines.count("<th width=5%>"), 3);
    }

    void everyDataRowIsWritten()
    {
        MemoryProtocolTable table(5, 6);
        table.setCells(0, 3, QStringLiteral("00003"));
        table.setCells(0, 9, QStringLiteral("beyond the row count"));
        const QByteArray page = ProtocolPage::build(table, QStringLiteral("T"));
        QCOMPARE(page.count("<tr><td>"), 5);
        QVERIFY(page.contains("<tr><td>00003<td><td><td><td></tr>"));
        QVERIFY(!page.contains("beyond"));
    }

    void unwritableFileReportsAndKeepsOldPage()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("missing/Tivano.html"));
        MemoryProtocolTable table;
        QString error;
        QVERIFY(!ProtocolPage::writeProtocolPage(table, QStringLiteral("T"), name, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(name));
    }
};

QTEST_GUILESS_MAIN(TestProtocolPage)
#include "tst_protocolpage.moc"
