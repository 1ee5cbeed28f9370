// A shorter long race (the benchmark runs 100,000 finishes): every crossing of the
// simulated finish barrier becomes one finish, the autosave after each finish holds
// them all, and (in the sanitizer build) nothing leaks or touches freed memory.
#include "SerialSoak.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSerialSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyCrossingIsOneFinishOnDisk()
    {
        bool ok = false;
        int finishes = qEnvironmentVariableIntValue("TIVANO_SOAK_FINISHES", &ok);
        if (!ok || finishes <= 0)
            finishes = 2000;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("Tivano.txt"));
        {
            SerialSoak soak(file, 1);
            QVERIFY(soak.begin());
            for (int i = 1; i <= finishes; ++i)
                QVERIFY2(soak.cross(), qPrintable(QStringLiteral("finish %1").arg(i)));
            QCOMPARE(soak.protocol.lastResultRow(), finishes);
            QCOMPARE(soak.protocol.saves, finishes);
            // A crossing while the lockout runs is one crossing: no second finish.
            soak.clock.setLockoutInterval(60000);
            soak.backend.setCts(SerialSoak::Port, true);
            QVERIFY(processUntil([&] { return soak.protocol.lastResultRow() == finishes + 1; }, 10000));
            for (int bounce = 0; bounce < 5; ++bounce) {
                soak.backend.setCts(SerialSoak::Port, false);
                QVERIFY(processUntil([&] { return soak.triggers.lastModemStatus() == 0; }, 10000));
                soak.backend.setCts(SerialSoak::Port, true);
                QVERIFY(processUntil([&] { return soak.triggers.lastModemStatus() != 0; }, 10000));
            }
            QCOMPARE(soak.protocol.lastResultRow(), finishes + 1);
            finishes += 1;
        }

        MemoryProtocolTable loaded;
        QVERIFY(ProtocolText::loadProtocolText(loaded, file));
        QCOMPARE(loaded.lastResultRowFromTable(), finishes);
        for (int r : {1, finishes / 2, finishes}) {
            QCOMPARE(loaded.cells(0, r), RaceRows::number(r));
            QCOMPARE(loaded.cells(2, r), RaceRows::countryCode(r));
            QCOMPARE(loaded.cells(3, r), RaceRows::startNumber(r));
        }
    }
};

QTEST_GUILESS_MAIN(TestSerialSoak)
#include "tst_serialsoak.moc"
