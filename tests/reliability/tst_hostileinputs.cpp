// The program started on outside data that is wrong in every way it can be: settings
// with extreme numbers, a country-code file and an autosave file of garbage. The window
// must come up, time a race and go down again without crashing.
#include "ManualClock.h"
#include "app/MainWindow.h"
#include "grid/SortGrid.h"
#include "protocol/ProtocolPanel.h"
#include "serial/SimulatedSerialBackend.h"
#include "widgets/StatusLed.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <random>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray garbage(unsigned seed, int size)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    static const char special[] = "\t\r\n;\x81\xff 0123456789";
    for (char &ch : bytes)
        ch = random() % 3 ? char(random() % 256) : special[random() % (sizeof special - 1)];
    return bytes;
}

} // namespace

class TestHostileInputs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowSurvivesOutsideData_data()
    {
        QTest::addColumn<int>("extreme");
        QTest::addColumn<unsigned>("garbageSeed");
        QTest::newRow("largest numbers") << INT_MAX << 1u;
        QTest::newRow("smallest numbers") << INT_MIN << 2u;
        QTest::newRow("minus one") << -1 << 3u;
        QTest::newRow("zero") << 0 << 4u;
        QTest::newRow("system colour beyond the table") << int(0xFF00FFFFu) << 5u;
        QTest::newRow("just past the ranges") << 256 << 6u;
    }

    void windowSurvivesOutsideData()
    {
        QFETCH(int, extreme);
        QFETCH(unsigned, garbageSeed);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString settingsPath = home.filePath(QStringLiteral("settings.ini"));
        {
            QSettings raw(settingsPath, QSettings::IniFormat);
            for (const char *name : {"Port", "Alg", "Left", "Top", "Width", "Height", "C1", "C2", "C3", "Acc",
                                     "C4", "FilterInd", "Wait", "ButtonLap"})
                raw.setValue(QLatin1String(name), extreme);
            raw.setValue(QStringLiteral("Sound"), extreme != 0);
        }
        writeFile(home.filePath(QStringLiteral("LKZ.txt")), garbage(garbageSeed, 3000));
        writeFile(home.filePath(QStringLiteral("Tivano.txt")), garbage(garbageSeed + 100, 20000));

        ManualClock clocks;
        clocks.timeOfDay = 23 * 3600 * 1000 + 59 * 60 * 1000;
        SimulatedSerialBackend serial;
        MainWindowEnvironment environment;
        environment.clocks = &clocks;
        environment.serialBackend = &serial;
        environment.settings = SettingsLocation::file(settingsPath);
        environment.programFolder = home.path();
        environment.autosaveFolder = home.path();
        {
            MainWindow window(environment);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            // A stored size beyond any backing store is cut to one that paints.
            QVERIFY(window.width() <= 4096 && window.height() <= 4096);
            QVERIFY(!window.grab().isNull());
            const int loaded = window.protocol().lastResultRow();
            window.clock().start();
            for (int i = 0; i < 5; ++i) {
                clocks.advance(30000);
                window.clock().recordFinish();
            }
            QCOMPARE(window.protocol().lastResultRow(), loaded + 5);
            window.clock().stop();
            QVERIFY(!window.protocol().autosaveFailed());
            window.hide();
        }
        // The window wrote its autosave and settings on the way out; they start it again.
        MainWindow again(environment);
        QVERIFY(again.protocol().lastResultRow() >= 5);
    }
};

QTEST_MAIN(TestHostileInputs)
#include "tst_hostileinputs.moc"
