#include "protocol/ProtocolFiles.h"

#include <QMimeDatabase>
#include <QTest>

class TestProtocolFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timestampFileName_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("name");
        QTest::newRow("morning") << QDateTime(QDate(2025, 5, 7), QTime(9, 5, 59))
                                 << QStringLiteral("2025-05-07-09-05");
        QTest::newRow("afternoon is 24-hour")
            << QDateTime(QDate(2024, 12, 31), QTime(23, 59)) << QStringLiteral("2024-12-31-23-59");
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 1), QTime(0, 0))
                                  << QStringLiteral("2026-01-01-00-00");
    }

    void timestampFileName()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, name);
        QCOMPARE(ProtocolFiles::timestampFileName(when), name);
    }

    void autosaveFileName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("/opt/tivano") << QStringLiteral("/opt/tivano/Tivano.txt");
        QTest::newRow("trailing separator")
            << QStringLiteral("/opt/tivano/") << QStringLiteral("/opt/tivano/Tivano.txt");
    }

    void autosaveFileName()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QCOMPARE(ProtocolFiles::autosaveFileName(folder, QStringLiteral("Tivano")), name);
    }

    void filtersWithFallbackNames()
    {
        const ProtocolFileFilters filters = ProtocolFiles::buildProtocolFileFilters(FileTypeNames());
        // Both workbook types the program reads for opening; the one it writes for saving.
        QCOMPARE(filters.openFilter(),
                 QStringLiteral(
                     "Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx|OpenDocument-Tabelle (*.ods)|*.ods"));
        QCOMPARE(filters.saveFilter(),
                 QStringLiteral("Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx|Webseite (*.html)|*.html"));
        QCOMPARE(filters.saveTypes.back().kind, ProtocolFileKind::WebPage);
        QCOMPARE(filters.saveTypes.back().extension(), QStringLiteral(".html"));
        QCOMPARE(filters.openTypes.front().kind, ProtocolFileKind::Text);
        QCOMPARE(filters.openTypes.at(2).kind, ProtocolFileKind::Spreadsheet);
    }

    void qtFilterKeepsPatternParseable()
    {
        const ProtocolFileType type{QStringLiteral("Text (plain)"), QStringLiteral("*.txt"),
                                    ProtocolFileKind::Text};
        QCOMPARE(type.qtFilter(), QStringLiteral("Text [plain] (*.txt)"));
        QCOMPARE(type.description(), QStringLiteral("Text (plain) (*.txt)"));
    }

    void filtersFromTheDesktopsNames()
    {
        const FileTypeNames names = loadFileTypeNames();
        const ProtocolFileFilters filters = ProtocolFiles::buildProtocolFileFilters(names);
        QCOMPARE(filters.openTypes.size(), 3);
        QVERIFY(filters.openTypes[2].qtFilter().startsWith(names.ods));
        QCOMPARE(filters.saveTypes.size(), 3);
        QVERIFY(filters.saveTypes[1].qtFilter().startsWith(names.excel));
        QVERIFY(filters.saveTypes[1].qtFilter().endsWith(QLatin1String(" (*.xlsx)")));
    }
};

QTEST_GUILESS_MAIN(TestProtocolFiles)
#include "tst_protocolfiles.moc"
