#include "HelpContext.h"
#include "HelpFiles.h"
#include "HelpTestSupport.h"
#include "SPHTMLHelp.h"

#include <QAction>
#include <QHelpIndexModel>
#include <QHelpIndexWidget>
#include <QLineEdit>
#include <QMainWindow>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

// The adapter with the real viewer module and the compiled manual.
class TestSPHTMLHelp : public QObject
{
    Q_OBJECT

private:
    // A main window whose F1 asks for the help contents, as the program's does.
    struct HelpMainWindow
    {
        explicit HelpMainWindow(SPHTMLHelp &help)
        {
            auto *f1 = new QAction(QStringLiteral("Hilfe"), &window);
            f1->setShortcut(Qt::Key_F1);
            window.addAction(f1);
            QObject::connect(f1, &QAction::triggered, &window, [&help] { help.ShowContents(); });
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

    static QString ModuleFolder() { return QStringLiteral(TIVANO_HELP_MODULE_DIR); }
    static QString HelpFile() { return QStringLiteral(TIVANO_HELP_FILE); }

    void StartWithModule(SPHTMLHelp &help)
    {
        help.setModuleFolders({ModuleFolder()});
        MessageBoxWatcher boxes;
        QVERIFY(help.Start());
        QVERIFY(boxes.Seen().isEmpty());
    }

private Q_SLOTS:
    void cleanup()
    {
        QTRY_VERIFY(VisibleHelpWindows().isEmpty());
    }

    void warningText()
    {
        QCOMPARE(SPHTMLHelp::WarningText(),
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
            QFile module(folder.filePath(HelpModuleFileName()));
            QVERIFY(module.open(QIODevice::WriteOnly));
            module.write(moduleContent);
        }

        SPHTMLHelp help;
        help.setModuleFolders({folder.path()});
        MessageBoxWatcher boxes;
        QVERIFY(!help.Start());
        QCOMPARE(boxes.Seen().size(), 1);
        const SeenMessageBox box = boxes.Seen().first();
        QCOMPARE(box.title, QStringLiteral("Warning!"));
        QCOMPARE(box.text, SPHTMLHelp::WarningText());
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        // A second start-up request of the same run does not warn again.
        QVERIFY(!help.Start());
        QVERIFY(!help.Loaded());

        // The program runs on: its window works, help requests do nothing.
        help.Register(nullptr, HelpFile());
        HelpMainWindow main(help);
        help.Register(&main.window, HelpFile());
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        QTest::keyClick(&main.window, Qt::Key_F1);
        QTest::keyClick(&main.window, Qt::Key_F5);
        QCOMPARE(main.otherCommands, 1);
        QVERIFY(!help.ShowContents());
        QVERIFY(!help.ShowKeyword(QStringLiteral("LKZ")));
        QVERIFY(!help.ShowContext(hcxRace));
        QVERIFY(VisibleHelpWindows().isEmpty());
        QCOMPARE(boxes.Seen().size(), 1);
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
        SPHTMLHelp help;
        StartWithModule(help);
        HelpMainWindow main(help);
        help.Register(&main.window, folder.filePath(QStringLiteral("tivano.hlp")));
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));

        MessageBoxWatcher boxes;
        QWidget *shown = nullptr;
        switch (request) {
        case 0: shown = help.ShowContents(); break;
        case 1: shown = help.ShowKeyword(QStringLiteral("LKZ")); break;
        case 2: shown = help.ShowTopic(QStringLiteral("ueberblick.html")); break;
        case 3: shown = help.ShowContext(hcxOverview); break;
        default: QTest::keyClick(&main.window, Qt::Key_F1); break;
        }
        QVERIFY(!shown);
        QCoreApplication::processEvents();
        QVERIFY(VisibleHelpWindows().isEmpty());
        QVERIFY(boxes.Seen().isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void f1OpensTheContents()
    {
        SPHTMLHelp help;
        StartWithModule(help);
        HelpMainWindow main(help);
        help.Register(&main.window, HelpFile());
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));

        QTest::keyClick(&main.window, Qt::Key_F1);
        QTRY_COMPARE(VisibleHelpWindows().size(), 1);
        QWidget *window = VisibleHelpWindows().first();
        QTRY_COMPARE(ShownPage(window), QStringLiteral("ueberblick.html"));
        QCOMPARE(window->findChild<QTabWidget *>()->currentIndex(), 0);
        QCOMPARE(window->windowTitle(), QStringLiteral("Überblick - Hilfe"));

        // The contents list the chapters of the manual.
        auto *browser = window->findChild<QTextBrowser *>();
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Lichtschranken anschließen")));

        // A second request reuses the window.
        QTest::keyClick(&main.window, Qt::Key_F1);
        QCOMPARE(VisibleHelpWindows().size(), 1);
    }

    void openHelpDoesNotKeepTheProgramRunning()
    {
        SPHTMLHelp help;
        StartWithModule(help);
        HelpMainWindow main(help);
        help.Register(&main.window, HelpFile());
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        QTest::keyClick(&main.window, Qt::Key_F1);
        QTRY_COMPARE(VisibleHelpWindows().size(), 1);

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
        QTest::newRow("LKZ") << "LKZ" << "startnummern.html";
        QTest::newRow("letter case ignored") << "lkz" << "startnummern.html";
        QTest::newRow("umlaut") << "Tastenkürzel" << "tastenkuerzel.html";
        QTest::newRow("pins") << "Pinbelegung" << "lichtschranken.html";
        QTest::newRow("cdc_acm devices") << "ttyACM" << "fehlerbehebung.html";
        QTest::newRow("web page") << "Webseite" << "protokoll.html";
    }

    void keywordOpensTheMatchingPage()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, page);
        SPHTMLHelp help;
        StartWithModule(help);
        help.setHelpFile(HelpFile());

        QWidget *window = help.ShowKeyword(keyword);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QTRY_COMPARE(ShownPage(window), page);
        QCOMPARE(window->findChild<QTabWidget *>()->currentIndex(), 1);
        QCOMPARE(window->findChild<QLineEdit *>()->text(), keyword);
    }

    void unknownKeywordShowsTheIndexOnly()
    {
        SPHTMLHelp help;
        StartWithModule(help);
        help.setHelpFile(HelpFile());
        QWidget *window = help.ShowKeyword(QStringLiteral("Zeitreise"));
        QVERIFY(window);
        QCOMPARE(window->findChild<QTabWidget *>()->currentIndex(), 1);
        // Once the index is built there is still no page.
        auto *indexView = window->findChild<QHelpIndexWidget *>();
        QVERIFY(indexView);
        auto *index = qobject_cast<QHelpIndexModel *>(indexView->model());
        QVERIFY(index);
        QTRY_VERIFY(!index->isCreatingIndex());
        QCoreApplication::processEvents();
        QCOMPARE(ShownPage(window), QString());
    }

    void contextOpensItsPage_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::newRow("overview") << int(hcxOverview) << "ueberblick.html";
        QTest::newRow("race") << int(hcxRace) << "rennablauf.html";
        QTest::newRow("start numbers") << int(hcxStartNumbers) << "startnummern.html";
        QTest::newRow("light barriers") << int(hcxLightBarriers) << "lichtschranken.html";
        QTest::newRow("settings") << int(hcxSettings) << "einstellungen.html";
        QTest::newRow("protocol") << int(hcxProtocol) << "protokoll.html";
        QTest::newRow("shortcuts") << int(hcxShortcuts) << "tastenkuerzel.html";
        QTest::newRow("troubleshooting") << int(hcxTroubleshooting) << "fehlerbehebung.html";
    }

    void contextOpensItsPage()
    {
        QFETCH(int, context);
        QFETCH(QString, page);
        SPHTMLHelp help;
        StartWithModule(help);
        help.setHelpFile(HelpFile());
        QWidget *window = help.ShowContext(context);
        QVERIFY(window);
        QCOMPARE(ShownPage(window), page);
    }

    void topicOpensThePage_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("text");
        QTest::newRow("page") << "lichtschranken.html" << "lichtschranken.html"
                              << "Pin 4 (DTR) und Pin 6 (DSR)";
        QTest::newRow("leading slash") << "/tastenkuerzel.html" << "tastenkuerzel.html" << "Alt+B";
        QTest::newRow("with anchor") << "protokoll.html#x" << "protokoll.html" << "Arbeitsmappe";
        QTest::newRow("missing page") << "gibtsnicht.html" << "" << "gibtsnicht.html";
        QTest::newRow("unknown context") << "" << "" << "nicht enthalten";
    }

    void topicOpensThePage()
    {
        QFETCH(QString, topic);
        QFETCH(QString, page);
        QFETCH(QString, text);
        SPHTMLHelp help;
        StartWithModule(help);
        help.setHelpFile(HelpFile());
        QWidget *window = topic.isEmpty() ? help.ShowContext(9999) : help.ShowTopic(topic);
        QVERIFY(window);
        QCOMPARE(ShownPage(window), page);
        QVERIFY2(window->findChild<QTextBrowser *>()->toPlainText().contains(text),
                 qPrintable(window->findChild<QTextBrowser *>()->toPlainText().left(200)));
    }

    void requestedFileComesFirst()
    {
        QTemporaryDir folder;
        SPHTMLHelp help;
        StartWithModule(help);
        // The application's help file is missing; a request naming the real
        // file still shows it, and the current help file overrides the
        // application's.
        help.setHelpFile(folder.filePath(QStringLiteral("tivano.hlp")));
        QVERIFY(!help.ShowContents());
        QVERIFY(help.ShowContext(hcxSettings, HelpFile()));
        help.SoftShutDown();
        help.setCurrentHelpFile(HelpFile());
        QVERIFY(help.ShowContext(hcxSettings));
    }

    void shutdownClosesTheWindowsAndUnloads()
    {
        SPHTMLHelp help;
        StartWithModule(help);
        QVERIFY(!help.ModulePath().isEmpty());
        help.setHelpFile(HelpFile());
        QPointer<QWidget> window = help.ShowContents();
        QVERIFY(window);
        help.SoftShutDown();
        QVERIFY(!window);
        QVERIFY(help.Loaded());

        window = help.ShowKeyword(QStringLiteral("STOPP"));
        QVERIFY(window);
        help.Shutdown();
        QVERIFY(!window);
        QVERIFY(!help.Loaded());
        QVERIFY(help.ModulePath().isEmpty());
        QVERIFY(!help.ShowContents());
    }

    void instanceIsTheStartedAdapter()
    {
        QVERIFY(!SPHTMLHelp::Instance());
        {
            SPHTMLHelp help;
            QVERIFY(!SPHTMLHelp::Instance());
            StartWithModule(help);
            QCOMPARE(SPHTMLHelp::Instance(), &help);
        }
        QVERIFY(!SPHTMLHelp::Instance());
    }
};

QTEST_MAIN(TestSPHTMLHelp)
#include "tst_sphtmlhelp.moc"
