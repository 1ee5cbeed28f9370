#include "app/CountryCodeBox.h"
#include "app/StartNumberEdit.h"
#include "timing/CountryCodes.h"
#include "timing/StartNumbers.h"

#include <QTemporaryDir>
#include <QTest>

class TestStartNumbers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takeInTurn_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("rest");
        QTest::newRow("hint list") << "18,345,2,44" << QStringList{"18", "345", "2", "44", ""} << "";
        QTest::newRow("double comma") << "7,,8" << QStringList{"7", "8"} << "";
        QTest::newRow("leading comma") << ",5" << QStringList{""} << "5";
        QTest::newRow("leading zeros kept") << "007,3" << QStringList{"007"} << "3";
        QTest::newRow("any non-digit separates") << "12 a-7;x9" << QStringList{"12", "7", "9"} << "";
        QTest::newRow("empty list") << "" << QStringList{"", ""} << "";
    }

    void takeInTurn()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, taken);
        QFETCH(QString, rest);
        for (const QString &expected : taken)
            QCOMPARE(takeNextStartNumber(list), expected);
        QCOMPARE(list, rest);
    }

    void keyFilterThroughTyping()
    {
        StartNumberEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.setFocus();
        QCOMPARE(edit.text(), QStringLiteral("1,2,3,4,5"));
        edit.clear();
        QTest::keyClicks(&edit, "1a 2-,3x");
        QCOMPARE(edit.text(), QStringLiteral("12,3"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("12,"));
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, '9');
        QCOMPARE(edit.text(), QStringLiteral("129,"));
        // Shortcuts keep their meaning: select all, then typing replaces the list.
        QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&edit, '7');
        QCOMPARE(edit.text(), QStringLiteral("7"));
    }

    void doubleClickEmpties()
    {
        StartNumberEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QTest::mouseDClick(&edit, Qt::LeftButton);
        QVERIFY(edit.text().isEmpty());
    }

    void editTakesFromItsText()
    {
        StartNumberEdit edit;
        edit.setText(QStringLiteral("18,345"));
        QCOMPARE(edit.takeNextStartNumber(), QStringLiteral("18"));
        QCOMPARE(edit.text(), QStringLiteral("345"));
    }

    void parseCountryCodes_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("CR LF") << QByteArray("GER\r\nAUT\r\nSUI\r\n") << QStringList{"GER", "AUT", "SUI"};
        QTest::newRow("LF and CR mixed") << QByteArray("GER\nAUT\rSUI") << QStringList{"GER", "AUT", "SUI"};
        QTest::newRow("empty line is an entry")
            << QByteArray("GER\r\n\r\nAUT") << QStringList{"GER", "", "AUT"};
        QTest::newRow("untrimmed") << QByteArray(" GER \r\n") << QStringList{" GER "};
        QTest::newRow("Windows-1252") << QByteArray("\xC4GY\r\n") << QStringList{QStringLiteral("ÄGY")};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }

    void parseCountryCodes()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, entries);
        QCOMPARE(::parseCountryCodes(content), entries);
    }

    void boxBecomesPickListWhenLoaded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("LKZ.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("GER\r\nAUT\r\nSUI");
        file.close();

        CountryCodeBox box;
        QVERIFY(box.isEditable());
        box.loadCountryCodes(path);
        QVERIFY(!box.isEditable());
        QCOMPARE(box.entries(), (QStringList{"GER", "AUT", "SUI"}));
        QCOMPARE(box.currentText(), QStringLiteral("GER"));
    }

    void boxStaysFreeTextWithoutEntries()
    {
        QTemporaryDir dir;
        const QString empty = dir.filePath(QStringLiteral("empty.txt"));
        QFile file(empty);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        for (const QString &path : {empty, dir.filePath(QStringLiteral("missing.txt"))}) {
            CountryCodeBox box;
            box.loadCountryCodes(path);
            QVERIFY(box.isEditable());
            QVERIFY(box.currentText().isEmpty());
        }
    }
};

QTEST_MAIN(TestStartNumbers)
#include "tst_startnumbers.moc"
