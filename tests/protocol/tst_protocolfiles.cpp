#include "ProtocolFiles.h"

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
        QTest::newRow("afternoon is 24-hour") << QDateTime(QDate(2024, 12, 31), QTime(23, 59))
                                              << QStringLiteral("2024-12-31-23-59");
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 1), QTime(0, 0))
                                  << QStringLiteral("2026-01-01-00-00");
    }

    void timestampFileName()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, name);
        QCOMPARE(TProtocolFiles::TimestampFileName(when), name);
    }

    void autosaveFileName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("/opt/tivano") << QStringLiteral("/opt/tivano/Tivano.txt");
        QTest::newRow("trailing separator") << QStringLiteral("/opt/tivano/")
                                            << QStringLiteral("/opt/tivano/Tivano.txt");
    }

    void autosaveFileName()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QCOMPARE(TProtocolFiles::AutosaveFileName(folder, QStringLiteral("Tivano")), name);
    }

    void filtersWithFallbackNames()
    {
        const TProtocolFileFilters filters = TProtocolFiles::BuildProtocolFileFilters(FileTypeNames());
        // Both workbook types the program reads for opening; the one it writes for saving.
        QCOMPARE(filters.OpenFilter(),
                 QStringLiteral("Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx|OpenDocument-Tabelle (*.ods)|*.ods"));
        QCOMPARE(filters.SaveFilter(),
                 QStringLiteral("Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx|Webseite (*.html)|*.html"));
        QCOMPARE(filters.SaveTypes.back().Kind, TProtocolFileKind::pkWebPage);
        QCOMPARE(filters.SaveTypes.back().Extension(), QStringLiteral(".html"));
        QCOMPARE(filters.OpenTypes.front().Kind, TProtocolFileKind::pkText);
        QCOMPARE(filters.OpenTypes.at(2).Kind, TProtocolFileKind::pkSpreadsheet);
    }


    void qtFilterKeepsPatternParseable()
    {
        const TProtocolFileType type{QStringLiteral("Text (plain)"), QStringLiteral("*.txt"),
                                     TProtocolFileKind::pkText};
        QCOMPARE(type.QtFilter(), QStringLiteral("Text [plain] (*.txt)"));
        QCOMPARE(type.Description(), QStringLiteral("Text (plain) (*.txt)"));
    }

    void filtersFromTheDesktopsNames()
    {
        const FileTypeNames names = LoadFileTypeNames();
        const TProtocolFileFilters filters = TProtocolFiles::BuildProtocolFileFilters(names);
        QCOMPARE(filters.OpenTypes.size(), 3);
        QVERIFY(filters.OpenTypes[2].QtFilter().startsWith(names.Ods));
        QCOMPARE(filters.SaveTypes.size(), 3);
        QVERIFY(filters.SaveTypes[1].QtFilter().startsWith(names.Excel));
        QVERIFY(filters.SaveTypes[1].QtFilter().endsWith(QLatin1String(" (*.xlsx)")));
    }
};

QTEST_GUILESS_MAIN(TestProtocolFiles)
#include "tst_protocolfiles.moc"
