#include "HelpContextPages.h"
#include "HelpTestSupport.h"
#include "help/HelpContext.h"
#include "help/HelpFiles.h"
#include "help/HelpLauncher.h"
#include "platform/ScratchFolder.h"

#include <QAction>
#include <QHelpIndexModel>
#include <QHelpIndexWidget>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

// The user's runtime folder is a temporary one while this lives.
class RuntimeFolder
{
public:
    RuntimeFolder()
        : m_previous(qgetenv("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder.path()));
    }
    ~RuntimeFolder()
    {
        if (m_previous.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_previous);
    }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

private:
    QTemporaryDir m_folder;
    QByteArray m_previous;
};

// The adapter with the real viewer module and the compiled manual.
class TestSPHTMLHelp : public QObject
{
    Q_OBJECT

private:
    // A main window whose F1 asks for the help contents, as the program's does.
    struct HelpMainWindow
    {
        explicit HelpMainWindow(HelpLauncher &help)
        {
            auto *f1 = new QAction(QStringLiteral("Hilfe"), &window);
            f1->setShortcut(Qt::Key_F1);
            window.addAction(f1);
            QObject::connect(f1, &QAction::triggered, &window, [&help] { help.showContents(); });
            auto *other = new QAction(QStringLiteral("Start"), &window);
            other->setShortcut(Qt::Key_F5);
            window.addAction(other);
            QObject::connect(other, &QAction::triggered, &window, [this] { ++otherCommands; });
            window.resize(400, 300);
            window.show();
        }
        QMainWindow window;
        int otherCommands = 0;
    };

    static QString moduleFolder() { return QStringLiteral(TIVANO_HELP_MODULE_DIR); }
    static QString helpFile() { return QStringLiteral(TIVANO_HELP_FILE); }

    void startWithModule(HelpLauncher &help)
    {
        help.setModuleFolders({moduleFolder()});
        MessageBoxWatcher boxes;
        QVERIFY(help.start());
        QVERIFY(boxes.seen().isEmpty());
    }

private Q_SLOTS:
    void cleanup() { QTRY_VERIFY(visibleHelpWindows().isEmpty()); }

    void warningText()
    {
        QCOMPARE(HelpLauncher::warningText(),
                 QStringLiteral("Unable to view HTML help (*.chm). Update windows help system. "
                                "Get new \"libtivanohelpviewer.so\" library."));
    }

    void missingModuleWarnsOnceAndTheProgramRunsOn_data()
    {
        QTest::addColumn<QByteArray>("moduleContent");
        QTest::newRow("no module file") << QByteArray();
        QTest::newRow("module file that is no library") << QByteArray("not a shared object");
    }

    void missingModuleWarnsOnceAndTheProgramRunsOn()
    {
        QFETCH(QByteArray, moduleContent);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        if (!moduleContent.isEmpty()) {
            QFile module(folder.filePath(helpModuleFileName()));
            QVERIFY(module.open(QIODevice::WriteOnly));
            module.write(moduleContent);
        }

        HelpLauncher help;
        help.setModuleFolders({folder.path()});
        MessageBoxWatcher boxes;
        QVERIFY(!help.start());
        QCOMPARE(boxes.seen().size(), 1);
        const SeenMessageBox box = boxes.seen().first();
        QCOMPARE(box.title, QStringLiteral("Warning!"));
        QCOMPARE(box.text, HelpLauncher::warningText());
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        // A second start-up request of the same run does not warn again.
        QVERIFY(!help.start());
        QVERIFY(!help.loaded());

        // The program runs on: its window works, help requests do nothing.
        help.registerHelpFile(nullptr, helpFile());
        HelpMainWindow main(help);
        help.registerHelpFile(&main.window, helpFile());
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        QTest::keyClick(&main.window, Qt::Key_F1);
        QTest::keyClick(&main.window, Qt::Key_F5);
        QCOMPARE(main.otherCommands, 1);
        QVERIFY(!help.showContents());
        QVERIFY(!help.showKeyword(QStringLiteral("LKZ")));
        QVERIFY(!help.showContext(hcxRace));
        QVERIFY(visibleHelpWindows().isEmpty());
        QCOMPARE(boxes.seen().size(), 1);
    }

    void moduleWithoutHelpFileDoesNothing_data()
    {
        QTest::addColumn<int>("request");
        QTest::newRow("contents") << 0;
        QTest::newRow("keyword") << 1;
        QTest::newRow("topic") << 2;
        QTest::newRow("context") << 3;
        QTest::newRow("F1") << 4;
    }

    void moduleWithoutHelpFileDoesNothing()
    {
        QFETCH(int, request);
        QTemporaryDir folder;
        HelpLauncher help;
        startWithModule(help);
        HelpMainWindow main(help);
        help.registerHelpFile(&main.window, folder.filePath(QStringLiteral("tivano.hlp")));
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));

        MessageBoxWatcher boxes;
        QWidget *shown = nullptr;
        switch (request) {
        case 0:
            shown = help.showContents();
            break;
        case 1:
            shown = help.showKeyword(QStringLiteral("LKZ"));
            break;
        case 2:
            shown = help.showTopic(QStringLiteral("ueberblick.html"));
            break;
        case 3:
            shown = help.showContext(hcxOverview);
            break;
        default:
            QTest::keyClick(&main.window, Qt::Key_F1);
            break;
        }
        QVERIFY(!shown);
        QCoreApplication::processEvents();
        QVERIFY(visibleHelpWindows().isEmpty());
        QVERIFY(boxes.seen().isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void f1OpensTheContents()
    {
        HelpLauncher help;
        startWithModule(help);
        HelpMainWindow main(help);
        help.registerHelpFile(&main.window, helpFile());
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));

        QTest::keyClick(&main.window, Qt::Key_F1);
        QTRY_COMPARE(visibleHelpWindows().size(), 1);
        QWidget *window = visibleHelpWindows().first();
        QTRY_COMPARE(shownPage(window), QStringLiteral("ueberblick.html"));
        QCOMPARE(window->findChild<QTabWidget *>()->currentIndex(), 0);
        QCOMPARE(window->windowTitle(), QStringLiteral("Überblick - Hilfe"));

        // The contents list the chapters of the manual.
        auto *browser = window->findChild<QTextBrowser *>();
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Lichtschranken anschließen")));

        // A second request reuses the window.
        QTest::keyClick(&main.window, Qt::Key_F1);
        QCOMPARE(visibleHelpWindows().size(), 1);
    }

    void openHelpDoesNotKeepTheProgramRunning()
    {
        HelpLauncher help;
        startWithModule(help);
        HelpMainWindow main(help);
        help.registerHelpFile(&main.window, helpFile());
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        QTest::keyClick(&main.window, Qt::Key_F1);
        QTRY_COMPARE(visibleHelpWindows().size(), 1);

        // Closing the main window ends the event loop as the program's does;
        // the guard only stops a loop that would otherwise run on.
        bool stillRunning = false;
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, [&stillRunning] {
            stillRunning = true;
            QCoreApplication::quit();
        });
        guard.start(10000);
        QTimer::singleShot(0, &main.window, [&main] { main.window.close(); });
        QApplication::exec();
        QVERIFY(!stillRunning);
    }

    void keywordOpensTheMatchingPage_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("page");
        QTest::newRow("LKZ") << "LKZ"
                             << "startnummern.html";
        QTest::newRow("letter case ignored") << "lkz"
                                             << "startnummern.html";
        QTest::newRow("umlaut") << "Tastenkürzel"
                                << "tastenkuerzel.html";
        QTest::newRow("pins") << "Pinbelegung"
                              << "lichtschranken.html";
        QTest::newRow("cdc_acm devices") << "ttyACM"
                                         << "fehlerbehebung.html";
        QTest::newRow("web page") << "Webseite"
                                  << "protokoll.html";
        QTest::newRow("journal") << "Wiederherstellen"
                                 << "journal.html";
    }

    void keywordOpensTheMatchingPage()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, page);
        HelpLauncher help;
        startWithModule(help);
        help.setHelpFile(helpFile());

        QWidget *window = help.showKeyword(keyword);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QTRY_COMPARE(shownPage(window), page);
        QCOMPARE(window->findChild<QTabWidget *>()->currentIndex(), 1);
        QCOMPARE(window->findChild<QLineEdit *>()->text(), keyword);
    }

    void unknownKeywordShowsTheIndexOnly()
    {
        HelpLauncher help;
        startWithModule(help);
        help.setHelpFile(helpFile());
        QWidget *window = help.showKeyword(QStringLiteral("Zeitreise"));
        QVERIFY(window);
        QCOMPARE(window->findChild<QTabWidget *>()->currentIndex(), 1);
        // Once the index is built there is still no page.
        auto *indexView = window->findChild<QHelpIndexWidget *>();
        QVERIFY(indexView);
        auto *index = qobject_cast<QHelpIndexModel *>(indexView->model());
        QVERIFY(index);
        QTRY_VERIFY(!index->isCreatingIndex());
        QCoreApplication::processEvents();
        QCOMPARE(shownPage(window), QString());
    }

    void contextOpensItsPage_data() { addContextPageRows(); }

    void contextOpensItsPage()
    {
        QFETCH(int, context);
        QFETCH(QString, page);
        HelpLauncher help;
        startWithModule(help);
        help.setHelpFile(helpFile());
        QWidget *window = help.showContext(context);
        QVERIFY(window);
        QCOMPARE(shownPage(window), page);
    }

    void topicOpensThePage_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("text");
        QTest::newRow("page") << "lichtschranken.html"
                              << "lichtschranken.html"
                              << "Pin 4 (DTR) und Pin 6 (DSR)";
        QTest::newRow("leading slash") << "/tastenkuerzel.html"
                                       << "tastenkuerzel.html"
                                       << "Alt+B";
        QTest::newRow("with anchor") << "protokoll.html#x"
                                     << "protokoll.html"
                                     << "Arbeitsmappe";
        QTest::newRow("missing page") << "gibtsnicht.html"
                                      << ""
                                      << "gibtsnicht.html";
        QTest::newRow("unknown context") << ""
                                         << ""
                                         << "nicht enthalten";
    }

    void topicOpensThePage()
    {
        QFETCH(QString, topic);
        QFETCH(QString, page);
        QFETCH(QString, text);
        HelpLauncher help;
        startWithModule(help);
        help.setHelpFile(helpFile());
        QWidget *window = topic.isEmpty() ? help.showContext(9999) : help.showTopic(topic);
        QVERIFY(window);
        QCOMPARE(shownPage(window), page);
        QVERIFY2(window->findChild<QTextBrowser *>()->toPlainText().contains(text),
                 qPrintable(window->findChild<QTextBrowser *>()->toPlainText().left(200)));
    }

    void requestedFileComesFirst()
    {
        QTemporaryDir folder;
        HelpLauncher help;
        startWithModule(help);
        // The application's help file is missing; a request naming the real
        // file still shows it, and the current help file overrides the
        // application's.
        help.setHelpFile(folder.filePath(QStringLiteral("tivano.hlp")));
        QVERIFY(!help.showContents());
        QVERIFY(help.showContext(hcxSettings, helpFile()));
        help.softShutDown();
        help.setCurrentHelpFile(helpFile());
        QVERIFY(help.showContext(hcxSettings));
    }

    void shutdownClosesTheWindowsAndUnloads()
    {
        HelpLauncher help;
        startWithModule(help);
        QVERIFY(!help.modulePath().isEmpty());
        help.setHelpFile(helpFile());
        QPointer<QWidget> window = help.showContents();
        QVERIFY(window);
        help.softShutDown();
        QVERIFY(!window);
        QVERIFY(help.loaded());

        window = help.showKeyword(QStringLiteral("STOPP"));
        QVERIFY(window);
        help.shutdown();
        QVERIFY(!window);
        QVERIFY(!help.loaded());
        QVERIFY(help.modulePath().isEmpty());
        QVERIFY(!help.showContents());
    }

    // A run that crashed leaves its scratch folder; the next start removes it, and only
    // folders of this program's naming whose process no longer runs.
    void staleScratchFoldersAreRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("removed");
        QTest::newRow("a crashed run's") << "Tivano-%dead-Ab12cd" << true << true;
        QTest::newRow("this run's") << "Tivano-%own-Ab12cd" << true << false;
        QTest::newRow("a running process's") << "Tivano-1-Ab12cd" << true << false;
        QTest::newRow("another program's") << "Tivano2-%dead-Ab12cd" << true << false;
        QTest::newRow("a file of that name") << "Tivano-%dead-Ab12cd" << false << false;
        QTest::newRow("a name of another form") << "Tivano-%dead-Ab12cd-x" << true << false;
    }

    void staleScratchFoldersAreRemoved()
    {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        QFETCH(bool, removed);
        QProcess ended;
        ended.start(QStringLiteral("true"), QStringList());
        QVERIFY(ended.waitForStarted());
        const qint64 dead = ended.processId();
        QVERIFY(ended.waitForFinished());
        name.replace(QLatin1String("%dead"), QString::number(dead))
            .replace(QLatin1String("%own"), QString::number(QCoreApplication::applicationPid()));

        const RuntimeFolder runtime;
        QCOMPARE(ScratchFolder::location(), runtime.path());
        const QString path = runtime.filePath(name);
        if (folder) {
            QVERIFY(QDir().mkpath(path + QStringLiteral("/inner")));
            QFile inside(path + QStringLiteral("/inner/help1.qhc"));
            QVERIFY(inside.open(QIODevice::WriteOnly));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        ScratchFolder::removeStale();
        QCOMPARE(QFileInfo::exists(path), !removed);
    }

    // The viewer keeps its help collection in a scratch folder of the run, in the user's
    // runtime folder, and leaves nothing behind.
    void helpCollectionLivesInAScratchFolder()
    {
        const RuntimeFolder runtime;
        const QString scratch = QStringLiteral("Tivano-%1-*").arg(QCoreApplication::applicationPid());
        {
            HelpLauncher help;
            startWithModule(help);
            HelpMainWindow main(help);
            help.registerHelpFile(&main.window, helpFile());
            QVERIFY(QTest::qWaitForWindowExposed(&main.window));
            // Nothing is made before help is asked for.
            QCOMPARE(QDir(runtime.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
            QTest::keyClick(&main.window, Qt::Key_F1);
            QTRY_COMPARE(visibleHelpWindows().size(), 1);
            const QStringList folders = QDir(runtime.path()).entryList({scratch}, QDir::Dirs);
            QCOMPARE(folders.size(), 1);
            QVERIFY(QFileInfo::exists(runtime.filePath(folders.first() + QStringLiteral("/help1.qhc"))));
            help.shutdown();
        }
        QCOMPARE(QDir(runtime.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void instanceIsTheStartedAdapter()
    {
        QVERIFY(!HelpLauncher::instance());
        {
            HelpLauncher help;
            QVERIFY(!HelpLauncher::instance());
            startWithModule(help);
            QCOMPARE(HelpLauncher::instance(), &help);
        }
        QVERIFY(!HelpLauncher::instance());
    }
};

QTEST_MAIN(TestSPHTMLHelp)
#include "tst_helplauncher.moc"
