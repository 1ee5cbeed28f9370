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
            QVERIFY(soak.Begin());
            for (int i = 1; i <= finishes; ++i)
                QVERIFY2(soak.Cross(), qPrintable(QStringLiteral("finish %1").arg(i)));
            QCOMPARE(soak.host.ResultCount(), finishes);
            QCOMPARE(soak.host.saves, finishes);
            // A crossing while the lockout runs is one crossing: no second finish.
            soak.clock.setLockoutInterval(60000);
            soak.backend.SetCts(SerialSoak::Port, true);
            QVERIFY(soak.WaitFor([&] { return soak.host.ResultCount() == finishes + 1; }));
            for (int bounce = 0; bounce < 5; ++bounce) {
                soak.backend.SetCts(SerialSoak::Port, false);
                QVERIFY(soak.WaitFor([&] { return soak.triggers.LastModemStatus() == 0; }));
                soak.backend.SetCts(SerialSoak::Port, true);
                QVERIFY(soak.WaitFor([&] { return soak.triggers.LastModemStatus() != 0; }));
            }
            QCOMPARE(soak.host.ResultCount(), finishes + 1);
            finishes += 1;
        }

        TMemoryProtocolTable loaded;
        QVERIFY(TProtocolText::LoadProtocolText(loaded, file));
        QCOMPARE(loaded.ResultCountFromTable(), finishes);
        for (int r : {1, finishes / 2, finishes}) {
            QCOMPARE(loaded.Cells(0, r), RaceRows::Number(r));
            QCOMPARE(loaded.Cells(2, r), RaceRows::CountryCode(r));
            QCOMPARE(loaded.Cells(3, r), RaceRows::StartNumber(r));
        }
    }
};

QTEST_GUILESS_MAIN(TestSerialSoak)
#include "tst_serialsoak.moc"
