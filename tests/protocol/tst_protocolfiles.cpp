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

    void filtersWithFallbackNames_data()
    {
        QTest::addColumn<bool>("spreadsheet");
        QTest::addColumn<QString>("openFilter");
        QTest::addColumn<QString>("saveFilter");
        QTest::newRow("with workbooks")
            << true << QStringLiteral("Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx")
            << QStringLiteral("Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx|Webseite (*.html)|*.html");
        QTest::newRow("without workbooks")
            << false << QStringLiteral("Textdatei (*.txt)|*.txt")
            << QStringLiteral("Textdatei (*.txt)|*.txt|Webseite (*.html)|*.html");
    }

    void filtersWithFallbackNames()
    {
        QFETCH(bool, spreadsheet);
        QFETCH(QString, openFilter);
        QFETCH(QString, saveFilter);
        const TProtocolFileFilters filters =
            TProtocolFiles::BuildProtocolFileFilters(FileTypeNames(), spreadsheet);
        QCOMPARE(filters.OpenFilter(), openFilter);
        QCOMPARE(filters.SaveFilter(), saveFilter);
        QCOMPARE(filters.SaveTypes.back().Kind, TProtocolFileKind::pkWebPage);
        QCOMPARE(filters.SaveTypes.back().Extension(), QStringLiteral(".html"));
        QCOMPARE(filters.OpenTypes.front().Kind, TProtocolFileKind::pkText);
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
        const TProtocolFileFilters filters = TProtocolFiles::BuildProtocolFileFilters(names, true);
        QCOMPARE(filters.OpenTypes.size(), 2);
        QCOMPARE(filters.SaveTypes.size(), 3);
        QVERIFY(filters.SaveTypes[1].QtFilter().startsWith(names.Excel));
        QVERIFY(filters.SaveTypes[1].QtFilter().endsWith(QLatin1String(" (*.xlsx)")));
    }
};

QTEST_GUILESS_MAIN(TestProtocolFiles)
#include "tst_protocolfiles.moc"
