#include "HelpPlatformText.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

// The page sources of the manual: the help project names every page, every
// reference and link leads to a page of the project, and the pages cover what
// the operator needs at the finish line.
class TestHelpPages : public QObject
{
    Q_OBJECT

private:
    struct Project
    {
        QStringList files;
        QStringList refs; // of contents entries and keywords
        QStringList identifiers; // of keywords
        QStringList keywords;
    };

    static QDir sources() { return QDir(QStringLiteral(TIVANO_HELP_SOURCE_DIR)); }
    // The pages as this build laid them out for its help compiler.
    static QDir laidOut() { return QDir(QStringLiteral(TIVANO_HELP_STAGE_DIR)); }

    static QString readPage(const QString &name, const QDir &folder = sources())
    {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(file.readAll());
    }

    static Project readProject()
    {
        Project project;
        QFile file(sources().filePath(QStringLiteral("tivano.qhp")));
        if (!file.open(QIODevice::ReadOnly))
            return project;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto attributes = xml.attributes();
            if (xml.name() == QLatin1String("file"))
                project.files.append(xml.readElementText());
            else if (xml.name() == QLatin1String("section") || xml.name() == QLatin1String("keyword"))
                project.refs.append(attributes.value(QLatin1String("ref")).toString());
            if (xml.name() == QLatin1String("keyword")) {
                project.keywords.append(attributes.value(QLatin1String("name")).toString());
                if (attributes.hasAttribute(QLatin1String("id")))
                    project.identifiers.append(attributes.value(QLatin1String("id")).toString());
            }
        }
        if (xml.hasError())
            project.files.append(QStringLiteral("<parse error: %1>").arg(xml.errorString()));
        return project;
    }

private Q_SLOTS:
    void projectNamesEveryPageAndEveryFileExists()
    {
        const Project project = readProject();
        QVERIFY(!project.files.isEmpty());
        for (const QString &name : project.files)
            QVERIFY2(QFileInfo(sources().filePath(name)).isFile(), qPrintable(name));
        const QStringList pages
            = sources().entryList({QStringLiteral("*.html"), QStringLiteral("*.css")}, QDir::Files);
        for (const QString &page : pages)
            QVERIFY2(project.files.contains(page), qPrintable(page + " is not in tivano.qhp"));
    }

    void referencesLeadToPagesOfTheProject()
    {
        const Project project = readProject();
        QVERIFY(!project.refs.isEmpty());
        for (const QString &ref : project.refs) {
            const QString page = ref.section(QLatin1Char('#'), 0, 0);
            QVERIFY2(project.files.contains(page), qPrintable(ref));
        }
    }

    void keywordsAndIdentifiersAreUnique()
    {
        const Project project = readProject();
        QCOMPARE(QSet<QString>(project.keywords.begin(), project.keywords.end()).size(),
                 project.keywords.size());
        QCOMPARE(QSet<QString>(project.identifiers.begin(), project.identifiers.end()).size(),
                 project.identifiers.size());
    }

    void linksBetweenPagesResolve()
    {
        const Project project = readProject();
        static const QRegularExpression link(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""));
        int checked = 0;
        for (const QString &page : project.files) {
            if (!page.endsWith(QLatin1String(".html")))
                continue;
            const QString text = readPage(page);
            QVERIFY2(!text.isEmpty(), qPrintable(page));
            auto matches = link.globalMatch(text);
            while (matches.hasNext()) {
                const QUrl target(matches.next().captured(1));
                if (!target.scheme().isEmpty())
                    continue; // a web address, shown by the desktop's browser
                const QString path = target.path();
                if (path.isEmpty())
                    continue; // an anchor on the same page
                QVERIFY2(project.files.contains(path), qPrintable(page + " links to " + path));
                ++checked;
            }
        }
        QVERIFY(checked > 0);
    }

    void pagesCarryTheirTitleAndEncoding()
    {
        const Project project = readProject();
        for (const QString &page : project.files) {
            if (!page.endsWith(QLatin1String(".html")))
                continue;
            const QString text = readPage(page);
            QVERIFY2(text.contains(QLatin1String("<meta charset=\"utf-8\">")), qPrintable(page));
            QVERIFY2(QRegularExpression(QStringLiteral("<title>[^<]+</title>")).match(text).hasMatch(),
                     qPrintable(page));
            QVERIFY2(!text.contains(QChar::ReplacementCharacter), qPrintable(page));
        }
    }

    void laidOutPagesAreThisPlatformsText_data()
    {
        QTest::addColumn<QString>("name");
        const Project project = readProject();
        for (const QString &name : project.files) {
            if (name.endsWith(QLatin1String(".html")))
                QTest::newRow(qPrintable(name)) << name;
        }
        if (helpPlatform() == QLatin1String("linux"))
            QTest::newRow("tivano.qhp") << "tivano.qhp";
    }

    void laidOutPagesAreThisPlatformsText()
    {
        QFETCH(QString, name);
        const QString source = readPage(name);
        const QString page = readPage(name, laidOut());
        QVERIFY2(!page.isEmpty(), qPrintable(laidOut().filePath(name)));
        QCOMPARE(page, platformText(source, helpPlatform()));
        QVERIFY(!page.contains(QLatin1String("nur-linux")));
        QVERIFY(!page.contains(QLatin1String("nur-windows")));
    }

    void platformsNameTheirOwnThings_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        if (helpPlatform() == QLatin1String("windows")) {
            QTest::newRow("settings in the registry")
                << "einstellungen.html" << QStringList{"HKEY_CURRENT_USER\\Software\\tivano"}
                << QStringList{};
            QTest::newRow("autosave folder")
                << "protokoll.html" << QStringList{"%LOCALAPPDATA%\\Tivano", "„Programme“"}
                << QStringList{"~/.local"};
            QTest::newRow("journal") << "journal.html"
                                     << QStringList{"<pre>tivano.exe --replay", "%LOCALAPPDATA%\\Tivano"}
                                     << QStringList{"~/.local", "<pre>tivano --replay"};
            QTest::newRow("light barriers on COM ports")
                << "lichtschranken.html"
                << QStringList{"COM1 bis COM16", "Geräte-Manager", "Pin 4 (DTR) und Pin 6 (DSR)"}
                << QStringList{"/dev/tty", "noch nicht"};
            QTest::newRow("troubleshooting")
                << "fehlerbehebung.html"
                << QStringList{"HHCTRL.OCX", "Netzlaufwerk", "%LOCALAPPDATA%\\Tivano", "LKZ.txt",
                               "Zugriff verweigert"}
                << QStringList{"dialout", "/dev/tty", "sudo", "libqt6sql6-sqlite", "~/.local"};
            QTest::newRow("country codes beside the program") << "startnummern.html" << QStringList{"LKZ.txt"}
                                                              << QStringList{"Datenordner der Installation"};
        } else {
            QTest::newRow("settings") << "einstellungen.html" << QStringList{"Alt+E"}
                                      << QStringList{"HKEY_CURRENT_USER", "Registrierung"};
            QTest::newRow("devices") << "lichtschranken.html" << QStringList{"/dev/ttyUSB0 – /dev/ttyUSB7"}
                                     << QStringList{"noch nicht", "Geräte-Manager"};
            QTest::newRow("journal") << "journal.html"
                                     << QStringList{"<pre>tivano --replay", "~/.local/share/Tivano"}
                                     << QStringList{"tivano.exe", "%LOCALAPPDATA%"};
            QTest::newRow("troubleshooting")
                << "fehlerbehebung.html"
                << QStringList{"dialout", "~/.local/share/Tivano", "libqt6sql6-sqlite"}
                << QStringList{"HHCTRL.OCX", "%LOCALAPPDATA%", "Netzlaufwerk"};
            QTest::newRow("keywords") << "tivano.qhp" << QStringList{"\"dialout\"", "\"ttyACM\""}
                                      << QStringList{"HHCTRL.OCX", "Registrierung", "COM-Schnittstelle"};
        }
    }

    void platformsNameTheirOwnThings()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const QString text = readPage(page, laidOut());
        QVERIFY2(!text.isEmpty(), qPrintable(page));
        for (const QString &expected : present)
            QVERIFY2(text.contains(expected), qPrintable(page + ": " + expected));
        for (const QString &other : absent)
            QVERIFY2(!text.contains(other), qPrintable(page + " names " + other));
    }

    void manualCovers_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("race") << "rennablauf.html"
                              << QStringList{"START (F5)", "ZIEL (F4)", "STOPP (F9)",
                                             "Protokoll wird gelöscht!"};
        QTest::newRow("start numbers")
            << "startnummern.html" << QStringList{"18,345,2,44", "LKZ.txt", "Doppelklick"};
        QTest::newRow("wiring") << "lichtschranken.html"
                                << QStringList{"Pin 4 (DTR) und Pin 6 (DSR)",
                                               "Pin 7 (RTS) und Pin 8 (CTS)",
                                               "START (4-6), FINISH (7-8)",
                                               "<b>Ein</b>",
                                               "<b>Aus</b>",
                                               "nur Ziel",
                                               "LS-Sperrzeit"};
        QTest::newRow("settings") << "einstellungen.html"
                                  << QStringList{"HH:MM.SS,ms", "HH:MM.SS,s", "Taste Ziel", "Alt+E"};
        QTest::newRow("protocol") << "protokoll.html"
                                  << QStringList{"Speichern unter", "Öffnen",       "Drucken",
                                                 "Webseite",        "Arbeitsmappe", "Tivano.txt"};
        QTest::newRow("journal") << "journal.html"
                                 << QStringList{"Tivano-Journal.txt",
                                                "Protokoll wiederherstellen …",
                                                "--replay",
                                                "--until",
                                                "CRC-32",
                                                "Journal kann nicht geschrieben werden:"};
        QTest::newRow("keys") << "tastenkuerzel.html"
                              << QStringList{">F5<", ">F4<", ">F9<", ">F1<", ">Alt+E<", ">Alt+D<", ">Alt+B<",
                                             "Wo die Tasten wirken", "LKZ-Liste"};
        QTest::newRow("troubleshooting")
            << "fehlerbehebung.html"
            << QStringList{"FTDI", "pl2303", "ch341", "cp210x", "cdc_acm", "kein CTS", "dialout"};
    }

    void manualCovers()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, texts);
        const QString text = readPage(page);
        for (const QString &expected : texts)
            QVERIFY2(text.contains(expected), qPrintable(page + ": " + expected));
    }
};

QTEST_MAIN(TestHelpPages)
#include "tst_helppages.moc"
