// A race with light barriers through the real main window under Wine, on the Win32
// backend and the COM port of the serial tests' modem-line rig: START on the DSR line
// and eight finishes on CTS (a 2 ms pulse and two crossings 120 ms apart among them)
// while the window is kept busy, each finish recorded at its edge's time; an unplugged
// adapter switches to Hand with the reason, and OK in the settings after plugging it
// back in to Auto.
#include "ProgramFixture.h"
#include "SettingsConfirmation.h"
#include "grid/SortGrid.h"
#include "protocol/ProtocolPanel.h"
#include "serial/SerialPort.h"
#include "wine/ModemLineDriver.h"
#include "widgets/StatusLed.h"

#include <QRegularExpression>
#include <QThread>

namespace {

// Hundredths are shown: a recorded time lies up to 9 ms before its stamp.
constexpr int ShownBeforeMs = 10;
constexpr int StampToleranceMs = 20;

// The time of day of a protocol time text, "H:MM.SS,hh".
int timeTextMs(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+):(\\d\\d)\\.(\\d\\d),(\\d\\d)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -1;
    return ((match.captured(1).toInt() * 60 + match.captured(2).toInt()) * 60 + match.captured(3).toInt()) * 1000
        + match.captured(4).toInt() * 10;
}

} // namespace

class TestWinBarrierRace : public QObject
{
    Q_OBJECT

private:
    ModemLineDriver m_lines;

    // One crossing: the line on for `holdMs`, then off; the time of day it went on.
    qint32 cross(quint32 line, int holdMs)
    {
        const qint32 at = defaultClockSource().timeOfDayMs();
        m_lines.setLines(line);
        QThread::msleep(holdMs);
        m_lines.setLines(0);
        return at;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_lines.open())
            QSKIP("runs under Wine in the modem-line rig only");
        QApplication::setApplicationName(QStringLiteral("Tivano"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void raceOnTheBarriers()
    {
        QTemporaryDir home;
        {
            QSettings raw(home.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
            raw.setValue(QStringLiteral("Port"), ModemLineDriver::Port);
            raw.setValue(QStringLiteral("Alg"), 0);
        }
        MainWindowEnvironment environment;
        environment.settings = SettingsLocation::file(home.filePath(QStringLiteral("settings.ini")));
        environment.programFolder = home.path();
        environment.autosaveFolder = home.path();
        Program program(environment);
        QVERIFY(program.show());
        MainWindow &window = *program.window;
        QVERIFY(window.serialPort().connected());
        QCOMPARE(window.modeLabel()->text(), QStringLiteral("&Auto"));
        // Every crossing counts; the lockout is not what is tested.
        window.clock().setLockoutInterval(0);

        cross(ModemLineDriver::Dsr, 30);
        QTRY_VERIFY(window.clock().running());

        // The interface thread sleeps through all crossings, as behind a slow autosave:
        // the finishes are recorded afterwards, at their edges' times.
        const QList<int> holdMs{30, 2, 30, 30, 30, 30, 30, 30};
        const QList<int> gapMs{40, 40, 120, 40, 40, 40, 40, 40};
        QList<qint32> edges;
        for (int i = 0; i < holdMs.size(); ++i) {
            edges.append(cross(ModemLineDriver::Cts, holdMs[i]));
            QThread::msleep(gapMs[i] - holdMs[i] > 0 ? gapMs[i] - holdMs[i] : 0);
        }
        QTRY_COMPARE(window.protocol().lastResultRow(), int(edges.size()));
        QTest::qWait(100); // and no more
        QCOMPARE(window.protocol().lastResultRow(), int(edges.size()));
        for (int row = 1; row <= edges.size(); ++row) {
            const int late = timeTextMs(window.protocol().grid()->cells(1, row)) - edges[row - 1];
            qInfo("finish %d recorded %d ms after its edge", row, late);
            QVERIFY2(late >= -ShownBeforeMs && late <= StampToleranceMs, qPrintable(QString::number(late)));
        }

        m_lines.setUnplugged(true);
        QTRY_COMPARE(window.modeLabel()->text(), QStringLiteral("&Hand"));
        QCOMPARE(window.modeLed()->kind(), StatusLed::LedKind::Red);
        QVERIFY(window.barrierWarningLabel()->text().contains(QStringLiteral("Gerät getrennt")));

        m_lines.setUnplugged(false);
        QCOMPARE(confirmSettings(window, *program.cfgDialog), QString());
        QVERIFY(window.serialPort().connected());
        QCOMPARE(window.modeLabel()->text(), QStringLiteral("&Auto"));
        QVERIFY(window.barrierWarningLabel()->isHidden());
    }
};

QTEST_MAIN(TestWinBarrierRace)
#include "tst_winbarrierrace.moc"
