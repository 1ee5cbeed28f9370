#include "HelpTestSupport.h"
#include "help/HelpContext.h"
#include "help/HelpFiles.h"
#include "help/HelpLauncher.h"

#include <QAction>
#include <QDir>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>

// The adapter on Windows: the system's HTML help control, here a substitute library under
// its name that writes down every call (FakeHtmlHelp.cpp), and the real one once.
class TestHtmlHelpControl : public QObject
{
    Q_OBJECT

private:
    static constexpr const char *CloseAll = "none|(null)|18|0";

    // A folder with the substitute under the name HHCTRL.OCX and a help file beside it.
    struct Viewer
    {
        explicit Viewer(const QString &library = QStringLiteral(TIVANO_FAKE_HTMLHELP))
        {
            if (folder.isValid() && !library.isEmpty())
                installed = QFile::copy(library, folder.filePath(helpModuleFileName()));
            QFile help(helpFile());
            created = help.open(QIODevice::WriteOnly);
        }
        QString helpFile() const { return folder.filePath(QStringLiteral("tivano.hlp")); }
        QStringList calls() const
        {
            QFile log(folder.filePath(QStringLiteral("calls.log")));
            if (!log.open(QIODevice::ReadOnly))
                return {};
            return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        QTemporaryDir folder;
        bool installed = false;
        bool created = false;
    };

    // A shown main window whose F1 asks for the contents, as the program's does.
    struct MainWindow
    {
        explicit MainWindow(HelpLauncher &help)
        {
            auto *f1 = new QAction(QStringLiteral("Hilfe"), &window);
            f1->setShortcut(Qt::Key_F1);
            window.addAction(f1);
            QObject::connect(f1, &QAction::triggered, &window, [&help] { help.showContents(); });
            window.show();
        }
        QMainWindow window;
    };

    static void request(HelpLauncher &help, QWidget *window, const QString &kind, const QString &argument)
    {
        if (kind == QLatin1String("contents"))
            QVERIFY(!help.showContents());
        else if (kind == QLatin1String("keyword"))
            QVERIFY(!help.showKeyword(argument));
        else if (kind == QLatin1String("topic"))
            QVERIFY(!help.showTopic(argument));
        else if (kind == QLatin1String("context"))
            QVERIFY(!help.showContext(argument.toInt()));
        else
            QTest::keyClick(window, Qt::Key_F1);
    }

    static QString systemFolder()
    {
        return QDir::fromNativeSeparators(qEnvironmentVariable("SystemRoot")) + QStringLiteral("/system32");
    }

private Q_SLOTS:
    void viewerIsTheSystemsHtmlHelp()
    {
        QCOMPARE(helpModuleFileName(), QStringLiteral("HHCTRL.OCX"));
        const QStringList folders = helpModuleFolders(QCoreApplication::applicationDirPath());
        QCOMPARE(folders.size(), 1);
        QVERIFY2(folders.first().compare(systemFolder(), Qt::CaseInsensitive) == 0,
                 qPrintable(folders.first()));
        QCOMPARE(HelpLauncher::warningText(),
                 QStringLiteral("Unable to view HTML help (*.chm). Update windows help system. "
                                "Get new \"HHCTRL.OCX\" library."));
    }

    void requestsReachTheViewer_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("call"); // %1: the help file
        QTest::newRow("contents") << "contents"
                                  << ""
                                  << "owner|%1|1|0";
        QTest::newRow("F1") << "F1"
                            << ""
                            << "owner|%1|1|0";
        QTest::newRow("keyword") << "keyword"
                                 << "Tastenkürzel"
                                 << "owner|%1|2|Tastenkürzel";
        QTest::newRow("topic") << "topic"
                               << "lichtschranken.html"
                               << "owner|%1::/lichtschranken.html|0|0";
        QTest::newRow("topic with a leading slash") << "topic"
                                                    << "/tastenkuerzel.html"
                                                    << "owner|%1::/tastenkuerzel.html|0|0";
        QTest::newRow("topic with an anchor") << "topic"
                                              << "protokoll.html#x"
                                              << "owner|%1::/protokoll.html#x|0|0";
        QTest::newRow("context") << "context" << QString::number(hcxLightBarriers) << "owner|%1|15|4";
    }

    void requestsReachTheViewer()
    {
        QFETCH(QString, kind);
        QFETCH(QString, argument);
        QFETCH(QString, call);
        Viewer viewer;
        QVERIFY(viewer.installed && viewer.created);
        MessageBoxWatcher boxes;
        {
            HelpLauncher help;
            help.setModuleFolders({viewer.folder.path()});
            QVERIFY(help.start());
            QCOMPARE(QDir::cleanPath(help.modulePath()),
                     viewer.folder.filePath(QStringLiteral("HHCTRL.OCX")));
            MainWindow main(help);
            QVERIFY(QTest::qWaitForWindowExposed(&main.window));
            help.registerHelpFile(&main.window, viewer.helpFile());
            request(help, &main.window, kind, argument);
            QCOMPARE(viewer.calls(), QStringList{call.arg(QDir::toNativeSeparators(viewer.helpFile()))});
            help.shutdown();
            QVERIFY(!help.loaded());
        }
        // Closing at shutdown, with no window and no file; the adapter's end adds nothing.
        QCOMPARE(viewer.calls().size(), 2);
        QCOMPARE(viewer.calls().last(), QLatin1String(CloseAll));
        QVERIFY(boxes.seen().isEmpty());
    }

    void missingHelpFileCallsNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("argument");
        QTest::newRow("contents") << "contents"
                                  << "";
        QTest::newRow("F1") << "F1"
                            << "";
        QTest::newRow("keyword") << "keyword"
                                 << "LKZ";
        QTest::newRow("topic") << "topic"
                               << "ueberblick.html";
        QTest::newRow("context") << "context" << QString::number(hcxOverview);
    }

    void missingHelpFileCallsNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, argument);
        Viewer viewer;
        QVERIFY(viewer.installed);
        QVERIFY(QFile::remove(viewer.helpFile()));
        HelpLauncher help;
        help.setModuleFolders({viewer.folder.path()});
        QVERIFY(help.start());
        MainWindow main(help);
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        help.registerHelpFile(&main.window, viewer.helpFile());
        MessageBoxWatcher boxes;
        request(help, &main.window, kind, argument);
        QCoreApplication::processEvents();
        QVERIFY(viewer.calls().isEmpty());
        QVERIFY(boxes.seen().isEmpty());
        help.shutdown();
        QCOMPARE(viewer.calls(), QStringList{QLatin1String(CloseAll)});
    }

    void helpFileOfTheRequest_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("expected");
        QTest::newRow("requested file first") << "a.hlp"
                                              << "b.hlp"
                                              << "a.hlp";
        QTest::newRow("current before the application's") << ""
                                                          << "b.hlp"
                                                          << "b.hlp";
        QTest::newRow("the application's") << ""
                                           << ""
                                           << "tivano.hlp";
        QTest::newRow("requested file missing") << "x.hlp"
                                                << "b.hlp"
                                                << "";
    }

    void helpFileOfTheRequest()
    {
        QFETCH(QString, requested);
        QFETCH(QString, current);
        QFETCH(QString, expected);
        Viewer viewer;
        QVERIFY(viewer.installed && viewer.created);
        const QDir folder(viewer.folder.path());
        for (const char *name : {"a.hlp", "b.hlp"}) {
            QFile file(folder.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const auto inFolder
            = [&folder](const QString &name) { return name.isEmpty() ? name : folder.filePath(name); };
        HelpLauncher help;
        help.setModuleFolders({viewer.folder.path()});
        QVERIFY(help.start());
        help.registerHelpFile(nullptr, viewer.helpFile());
        help.setCurrentHelpFile(inFolder(current));
        help.showContext(hcxSettings, inFolder(requested));
        const QStringList expectedCalls = expected.isEmpty()
            ? QStringList()
            : QStringList{QStringLiteral("none|%1|15|5").arg(QDir::toNativeSeparators(inFolder(expected)))};
        QCOMPARE(viewer.calls(), expectedCalls);
    }

    void missingViewerWarnsOnce_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no library") << "" << QByteArray();
        QTest::newRow("a file that is no library") << "" << QByteArray("MZ, but not a library");
        QTest::newRow("a library without HtmlHelpW") << TIVANO_FAKE_HTMLHELP_NOENTRY << QByteArray();
    }

    void missingViewerWarnsOnce()
    {
        QFETCH(QString, library);
        QFETCH(QByteArray, content);
        Viewer viewer(library);
        QVERIFY(viewer.created);
        if (!content.isEmpty()) {
            QFile file(viewer.folder.filePath(helpModuleFileName()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        HelpLauncher help;
        help.setModuleFolders({viewer.folder.path()});
        MessageBoxWatcher boxes;
        QVERIFY(!help.start());
        QCOMPARE(boxes.seen().size(), 1);
        const SeenMessageBox box = boxes.seen().first();
        QCOMPARE(box.title, QStringLiteral("Warning!"));
        QCOMPARE(box.text, HelpLauncher::warningText());
        QVERIFY(box.text.contains(QLatin1String("\"HHCTRL.OCX\"")));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        // Once per run; the program runs on and help requests do nothing.
        QVERIFY(!help.start());
        QVERIFY(!help.loaded());
        QVERIFY(help.modulePath().isEmpty());
        MainWindow main(help);
        help.registerHelpFile(&main.window, viewer.helpFile());
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        QTest::keyClick(&main.window, Qt::Key_F1);
        QVERIFY(!help.showKeyword(QStringLiteral("LKZ")));
        QVERIFY(!help.showContext(hcxRace));
        help.shutdown();
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(viewer.calls().isEmpty());
    }

    void systemViewerLoads()
    {
        // Wine's own hhctrl.ocx; its window is not asked for (it needs an HTML engine).
        HelpLauncher help;
        MessageBoxWatcher boxes;
        QVERIFY(help.start());
        QVERIFY(boxes.seen().isEmpty());
        QVERIFY2(QDir::cleanPath(help.modulePath())
                         .compare(systemFolder() + QStringLiteral("/HHCTRL.OCX"), Qt::CaseInsensitive)
                     == 0,
                 qPrintable(help.modulePath()));
        help.shutdown();
        QVERIFY(!help.loaded());
    }
};

QTEST_MAIN(TestHtmlHelpControl)
#include "tst_htmlhelpcontrol.moc"
