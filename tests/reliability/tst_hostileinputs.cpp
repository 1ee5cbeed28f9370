// The program started on outside data that is wrong in every way it can be: settings
// with extreme numbers, a country-code file and an autosave file of garbage, special
// files in the place of its data files, links another user planted where it writes. The
// window must come up, time a race and go down again without crashing, and write
// nowhere but into its own files.
#include "FileBytes.h"
#include "ManualClock.h"
#include "ProgramFixture.h"
#include "app/CountryCodeBox.h"
#include "app/MainWindow.h"
#include "grid/SortGrid.h"
#include "journal/JournalFile.h"
#include "journal/JournalLine.h"
#include "journal/JournalReader.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "serial/SimulatedSerialBackend.h"
#include "settings/QtSettingsKey.h"
#include "timing/CountryCodes.h"
#include "widgets/StatusLed.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <random>
#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

enum class Special { Fifo, DeviceLink, Oversized };
enum class Write { Autosave, Journal, SaveAs, Page, Workbook };

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

// A pipe, a link to an endless device or a file past its format's size limit at `path`;
// false where this system cannot make it.
bool makeSpecial(Special kind, const QString &path, qint64 limit)
{
    switch (kind) {
    case Special::Fifo:
#ifdef Q_OS_UNIX
        return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
#else
        return false;
#endif
    case Special::DeviceLink:
#ifdef Q_OS_UNIX
        return QFile::link(QStringLiteral("/dev/zero"), path);
#else
        return false;
#endif
    case Special::Oversized: {
        // Sparse: it takes no room on the disk.
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(limit + 1);
    }
    }
    return false;
}

bool isRegularFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

// Runs the program's executable; its exit code, -1 when it hung or crashed.
int runProgram(const QStringList &arguments, QByteArray *out = nullptr, QByteArray *err = nullptr)
{
    QProcess process;
    process.start(QStringLiteral(TIVANO_EXECUTABLE), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (out)
        *out = process.readAllStandardOutput();
    if (err)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

#ifdef Q_OS_UNIX
// Runs a command as the user nobody, as another user on the machine would.
bool runAsNobody(const QStringList &command)
{
    QProcess process;
    process.start(QStringLiteral("setpriv"),
                  QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"} + command);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}
#endif

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
            QVERIFY(!window.protocol().autosaver().failed());
            window.hide();
        }
        // The window wrote its autosave and settings on the way out; they start it again.
        MainWindow again(environment);
        QVERIFY(again.protocol().lastResultRow() >= 5);
    }

    // A pipe or an endless device never holds up the start, and nothing past a format's
    // size limit is read: the file is reported and the program starts on defaults. The
    // same in the settings' place: the settings are the defaults and are not written.
    void specialFileInPlaceOfData_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Special>("kind");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("reason");
        const QString autosave = QStringLiteral("Tivano.txt");
        const QString codes = QStringLiteral("LKZ.txt");
        const QString journal = JournalFile::FileName;
        const qint64 protocolLimit = ProtocolText::MaxFileSize;
        QTest::newRow("autosave a pipe") << autosave << Special::Fifo << protocolLimit << "Pipe (FIFO)";
        QTest::newRow("autosave a link to /dev/zero")
            << autosave << Special::DeviceLink << protocolLimit << "Ger\u00e4t";
        QTest::newRow("autosave past 512 MB")
            << autosave << Special::Oversized << protocolLimit << "gr\u00f6\u00dfer als die erlaubten 512 MB";
        QTest::newRow("country codes a pipe")
            << codes << Special::Fifo << CountryCodesMaxFileSize << "Pipe (FIFO)";
        QTest::newRow("country codes a link to /dev/zero")
            << codes << Special::DeviceLink << CountryCodesMaxFileSize << "Ger\u00e4t";
        QTest::newRow("country codes past 1 MB") << codes << Special::Oversized << CountryCodesMaxFileSize
                                                 << "gr\u00f6\u00dfer als die erlaubten 1 MB";
        // Kept aside like a file that is no journal; a new journal begins, and a notice says so.
        const QString noJournal = QStringLiteral("ist keine Journaldatei");
        QTest::newRow("journal a pipe") << journal << Special::Fifo << qint64(0) << noJournal;
        QTest::newRow("journal a link to /dev/zero")
            << journal << Special::DeviceLink << qint64(0) << noJournal;
        // The defaults, without a word, as when there are no settings yet.
        const QString settings = QStringLiteral("settings.ini");
        QTest::newRow("settings a pipe")
            << settings << Special::Fifo << QtSettingsKey::MaxFileSize << QString();
        QTest::newRow("settings a link to /dev/zero")
            << settings << Special::DeviceLink << QtSettingsKey::MaxFileSize << QString();
        QTest::newRow("settings past 1 MB")
            << settings << Special::Oversized << QtSettingsKey::MaxFileSize << QString();
    }

    void specialFileInPlaceOfData()
    {
        QFETCH(QString, name);
        QFETCH(Special, kind);
        QFETCH(qint64, limit);
        QFETCH(QString, reason);
        const QString journal = JournalFile::FileName;
        Fixture fixture;
        const QString path = fixture.home.filePath(name);
        if (!makeSpecial(kind, path, limit))
            QSKIP("this kind of file cannot be made here");

        MessageBoxWatcher messages;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        if (reason.isEmpty()) {
            QTest::qWait(50);
            QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('\n'))));
        } else {
            // The journal's notice comes once the window is active.
            QTRY_COMPARE(messages.texts().size(), 1);
            const QString text = messages.texts().first();
            const QString prefix = name == journal ? QStringLiteral("Das Journal ")
                                                   : QStringLiteral("Die Datei kann nicht gelesen werden: ");
            QVERIFY2(text.startsWith(prefix + QDir::toNativeSeparators(path)) && text.contains(reason),
                     qPrintable(text));
        }
        if (name == QLatin1String("LKZ.txt"))
            QCOMPARE(window.countryCodeBox()->count(), 0);
        else
            QCOMPARE(window.protocol().lastResultRow(), 0);

        // The race goes on into regular files of the program's own, once a notice gave the
        // window back its keys.
        window.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QTest::keyClick(&window, Qt::Key_F5);
        fixture.clocks.advance(1000);
        QTest::keyClick(&window, Qt::Key_F4);
        QCOMPARE(window.protocol().lastResultRow(), 1);
        QVERIFY(fixture.autosave(window).contains("\r\n00001\t"));
        QVERIFY2(!window.protocol().autosaver().failed(),
                 qPrintable(window.protocol().autosaver().errorString()));
        QVERIFY2(window.protocol().journalError().isEmpty(), qPrintable(window.protocol().journalError()));
        QVERIFY(isRegularFile(window.journal().fileName()));
        // The autosave and the journal in the way are kept aside, untouched; the country
        // codes and the settings stay where they are.
        const bool staysInPlace = name == QLatin1String("LKZ.txt") || name == QLatin1String("settings.ini");
        const QStringList kept
            = QDir(fixture.home.path())
                  .entryList({name + QLatin1String(".unlesbar"), QLatin1String("Tivano-Journal-*")},
                             QDir::Files | QDir::System);
        QCOMPARE(kept.size(), staysInPlace ? 0 : 1);
        const QFileInfo special(staysInPlace ? path : fixture.home.filePath(kept.first()));
        QVERIFY(!isRegularFile(special.filePath()) || special.size() == limit + 1);
    }

    // "--replay" reads only a regular journal within its size limit and writes only a
    // regular file or a new one; "-o -" and no "-o" write to the standard output.
    void replayTouchesOnlyRegularFiles_data()
    {
        QTest::addColumn<QString>("journal");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString regular = QStringLiteral("journal.txt");
        QTest::newRow("journal a pipe") << "pipe" << QString() << 1 << "Pipe (FIFO)";
        QTest::newRow("journal a link to /dev/zero") << "zero" << QString() << 1 << "Ger\u00e4t";
        QTest::newRow("journal past 512 MB") << "huge" << QString() << 1 << "512 MB";
        QTest::newRow("output a device") << regular << "device" << 1 << "Ger\u00e4t";
        QTest::newRow("output a pipe") << regular << "pipe" << 1 << "Pipe (FIFO)";
        QTest::newRow("output a folder") << regular << "folder" << 1 << "Ordner";
        QTest::newRow("output a new file") << regular << "new.txt" << 0 << "1 Ergebnisse";
        QTest::newRow("output a regular file") << regular << "journal.txt" << 0 << "1 Ergebnisse";
        QTest::newRow("output dash") << regular << "-" << 0 << "1 Ergebnisse";
        QTest::newRow("no output") << regular << QString() << 0 << "1 Ergebnisse";
    }

    void replayTouchesOnlyRegularFiles()
    {
        QFETCH(QString, journal);
        QFETCH(QString, output);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Fixture fixture;
        {
            Program program(fixture.environment());
            QVERIFY(program.show());
            QTest::keyClick(program.window.get(), Qt::Key_F5);
            fixture.clocks.advance(1000);
            QTest::keyClick(program.window.get(), Qt::Key_F4);
        }
        QDir home(fixture.home.path());
        QVERIFY(
            QFile::copy(home.filePath(JournalFile::FileName), home.filePath(QStringLiteral("journal.txt"))));
        QVERIFY(makeSpecial(Special::Oversized, home.filePath(QStringLiteral("huge")),
                            JournalReader::MaxFileSize));
        QVERIFY(home.mkdir(QStringLiteral("folder")));
        bool specialsMade = makeSpecial(Special::Fifo, home.filePath(QStringLiteral("pipe")), 0)
            && makeSpecial(Special::DeviceLink, home.filePath(QStringLiteral("zero")), 0);
#ifdef Q_OS_UNIX
        // A device of its own, not the machine's, in case the command replaced it.
        specialsMade = specialsMade
            && ::mknod(QFile::encodeName(home.filePath(QStringLiteral("device"))).constData(), S_IFCHR | 0666,
                       makedev(1, 7))
                == 0;
#endif
        if (!specialsMade
            && (journal != QLatin1String("journal.txt") || output == QLatin1String("device")
                || output == QLatin1String("pipe")))
            QSKIP("pipes and devices cannot be made here");

        QStringList arguments{QStringLiteral("--replay"), home.filePath(journal)};
        if (!output.isEmpty())
            arguments << QStringLiteral("-o")
                      << (output == QLatin1String("-") ? output : home.filePath(output));
        QByteArray out;
        QByteArray err;
        QCOMPARE(runProgram(arguments, &out, &err), exitCode);
        QVERIFY2(QString::fromLocal8Bit(err).contains(message), err.constData());
        const bool toStandardOutput = output.isEmpty() || output == QLatin1String("-");
        QCOMPARE(out, toStandardOutput && exitCode == 0 ? fixture.autosave() : QByteArray());
        if (!toStandardOutput) {
            QCOMPARE(isRegularFile(home.filePath(output)), exitCode == 0);
            if (exitCode == 0)
                QCOMPARE(fileBytes(home.filePath(output)), fixture.autosave());
        }
#ifdef Q_OS_UNIX
        struct stat device
        {
        };
        QVERIFY(::lstat(QFile::encodeName(home.filePath(QStringLiteral("device"))).constData(), &device)
                == 0);
        QVERIFY(S_ISCHR(device.st_mode));
        QVERIFY(::lstat(QFile::encodeName(home.filePath(QStringLiteral("pipe"))).constData(), &device) == 0);
        QVERIFY(S_ISFIFO(device.st_mode));
#endif
        QVERIFY(QFileInfo(home.filePath(QStringLiteral("folder"))).isDir());
    }

    // Another user who can write to the program's folder plants links where the program
    // (run as root) writes. Only the operator's own links in the operator's own folders
    // are followed; anything else is refused with the reason and the file the link
    // points at stays as it was.
    void plantedLinksAreNotFollowed_data()
    {
        QTest::addColumn<Write>("write");
        QTest::addColumn<QString>("linkName");
        QTest::addColumn<bool>("linkByNobody");
        QTest::addColumn<bool>("folderOfNobody");
        QTest::addColumn<QString>("refusal");
        const QString byNobody = QStringLiteral("geh\u00f6rt dem Benutzer nobody");
        const QString inNobodysFolder = QStringLiteral("ihr Ordner geh\u00f6rt dem Benutzer nobody");
        const QString autosave = QStringLiteral("Tivano.txt");
        QTest::newRow("autosave") << Write::Autosave << autosave << true << false << byNobody;
        // Found at the start: not read, kept aside, and a new journal begins.
        QTest::newRow("journal") << Write::Journal << JournalFile::FileName << true << false << QString();
        QTest::newRow("save as") << Write::SaveAs << "Ergebnis.txt" << true << false << byNobody;
        QTest::newRow("web page") << Write::Page << "tivano.html" << true << false << byNobody;
        QTest::newRow("workbook") << Write::Workbook << "Ergebnis.xlsx" << true << false << byNobody;
        QTest::newRow("root's link in nobody's folder")
            << Write::Autosave << autosave << false << true << inNobodysFolder;
        QTest::newRow("the old temporary name")
            << Write::Autosave << ".Tivano.txt.tmp" << true << false << QString();
        // The operator's own link is followed, as ever.
        QTest::newRow("root's own link") << Write::Autosave << autosave << false << false << QString();
    }

    void plantedLinksAreNotFollowed()
    {
#ifndef Q_OS_UNIX
        QSKIP("file owners are checked on POSIX here");
#else
        QFETCH(Write, write);
        QFETCH(QString, linkName);
        QFETCH(bool, linkByNobody);
        QFETCH(bool, folderOfNobody);
        QFETCH(QString, refusal);
        if (::geteuid() != 0)
            QSKIP("a second user needs root");
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        Fixture fixture;
        // The folder others may write to, as /tmp: sticky, so no one removes another's file.
        QDir home(fixture.home.path());
        QVERIFY(QFile::setPermissions(home.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadOther | QFile::ExeOther));
        const QString race = home.filePath(QStringLiteral("race"));
        QVERIFY(home.mkdir(QStringLiteral("race")));
        QVERIFY(::chmod(QFile::encodeName(race).constData(), 01777) == 0);
        const QString victim = home.filePath(QStringLiteral("victim.txt"));
        // A journal of today for the journal, to be continued; protocol text for the others.
        const QByteArray victimBytes = write == Write::Journal
            ? JournalLine::header(QDateTime::currentDateTime())
            : QByteArray("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n");
        writeFile(victim, victimBytes);
        const QString link = QDir(race).filePath(linkName);
        auto plant = [&] {
            if (linkByNobody)
                return runAsNobody({QStringLiteral("ln"), QStringLiteral("-s"), victim, link});
            return QFile::link(victim, link)
                && (!folderOfNobody
                    || ::chown(QFile::encodeName(race).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
        };
        // The journal is taken up at the start; the others are written during the race.
        if (write == Write::Journal && !plant())
            QSKIP("setpriv cannot run a command as nobody here");

        MainWindowEnvironment environment = fixture.environment();
        environment.programFolder = race;
        environment.autosaveFolder = race;
        Program program(environment);
        QVERIFY(program.show());
        MainWindow &window = *program.window;
        ProtocolPanel &panel = window.protocol();
        QStringList errors;
        QObject::disconnect(&panel, &ProtocolPanel::errorOccurred, &window, nullptr);
        QObject::connect(&panel, &ProtocolPanel::errorOccurred, &panel,
                         [&](const QString &message) { errors << message; });
        QTest::keyClick(&window, Qt::Key_F5);
        if (write != Write::Journal && !plant())
            QSKIP("setpriv cannot run a command as nobody here");
        fixture.clocks.advance(1000);
        QTest::keyClick(&window, Qt::Key_F4);
        panel.autosaver().waitUntilWritten();
        switch (write) {
        case Write::Autosave:
            if (!refusal.isEmpty())
                errors << panel.autosaver().errorString();
            break;
        case Write::Journal:
            break;
        case Write::SaveAs:
            QCOMPARE(panel.files().saveProtocolText(link), refusal.isEmpty());
            break;
        case Write::Page:
            QCOMPARE(panel.files().writeProtocolPage(link), refusal.isEmpty());
            break;
        case Write::Workbook:
            QCOMPARE(panel.files().exportToSpreadsheet(link, false), refusal.isEmpty());
            break;
        }
        const bool followed = !linkByNobody && !folderOfNobody;
        if (refusal.isEmpty()) {
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
        } else {
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().contains(link) && errors.first().contains(refusal),
                     qPrintable(errors.first()));
        }
        const QByteArray victimNow = fileBytes(victim);
        QVERIFY2(followed ? victimNow.contains("\r\n00001\t") : victimNow == victimBytes,
                 victimNow.constData());
        QVERIFY(panel.journalError().isEmpty());
        QVERIFY(isRegularFile(window.journal().fileName()));
#endif
    }
};

QTEST_MAIN(TestHostileInputs)
#include "tst_hostileinputs.moc"
