#include "help/HelpFiles.h"
#include "help/HelpLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Help file name, help file and module locations, and the resolution of the
// help file of a request.
class TestHelpFiles : public QObject
{
    Q_OBJECT

private:
    static bool touch(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    }

private Q_SLOTS:
    void helpFileName_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("helpFile");
        QTest::newRow("no extension") << "/opt/tivano/bin/tivano"
                                      << "/opt/tivano/bin/tivano.hlp";
        QTest::newRow("Windows program") << "C:/Tivano/Tivano.exe"
                                         << "C:/Tivano/Tivano.hlp";
        QTest::newRow("dot in a folder") << "/home/a.b/bin/tivano"
                                         << "/home/a.b/bin/tivano.hlp";
        QTest::newRow("last extension only") << "/x/tivano.1.1"
                                             << "/x/tivano.1.hlp";
        QTest::newRow("relative") << "build/tivano"
                                  << "build/tivano.hlp";
        QTest::newRow("empty") << ""
                               << "";
    }

    void helpFileName()
    {
        QFETCH(QString, executable);
        QFETCH(QString, helpFile);
        QCOMPARE(::helpFileName(executable), helpFile);
    }

    void locateHelpFile_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside the executable") << true << false << "bin/tivano.hlp";
        QTest::newRow("beside wins over installed") << true << true << "bin/tivano.hlp";
        QTest::newRow("installed data folder") << false << true << "share/tivano/tivano.hlp";
        QTest::newRow("none: the name beside") << false << false << "bin/tivano.hlp";
    }

    void locateHelpFile()
    {
        QFETCH(bool, beside);
        QFETCH(bool, installed);
        QFETCH(QString, expected);
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const QDir root(prefix.path());
        QVERIFY(touch(root.filePath(QStringLiteral("bin/tivano"))));
        if (beside)
            QVERIFY(touch(root.filePath(QStringLiteral("bin/tivano.hlp"))));
        if (installed)
            QVERIFY(touch(root.filePath(QStringLiteral("share/tivano/tivano.hlp"))));
        QCOMPARE(QDir::cleanPath(::locateHelpFile(root.filePath(QStringLiteral("bin/tivano")))),
                 root.filePath(expected));
    }

    void moduleFolders()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows loads HHCTRL.OCX from the system folder; tst_htmlhelpcontrol checks that");
#endif
        const QStringList folders = helpModuleFolders(QStringLiteral("/opt/t/bin"));
        QVERIFY(folders.size() == 2);
        QCOMPARE(folders.first(), QStringLiteral("/opt/t/bin"));
        QVERIFY2(folders.last().startsWith(QStringLiteral("/opt/t/lib")), qPrintable(folders.last()));
        QVERIFY(folders.last().endsWith(QStringLiteral("/tivano")));
        QCOMPARE(installedDataFolder(QStringLiteral("/opt/t/bin/")), QStringLiteral("/opt/t/share/tivano"));
    }

    void moduleFileNameIsTheBuiltModule()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows' viewer is the system's HHCTRL.OCX; tst_htmlhelpcontrol checks that");
#endif
        QVERIFY(
            QFileInfo::exists(QDir(QStringLiteral(TIVANO_HELP_MODULE_DIR)).filePath(helpModuleFileName())));
    }

    void resolveHelpFile_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("expected");
        QTest::newRow("requested file") << "a.hlp"
                                        << "b.hlp"
                                        << "c.hlp"
                                        << "a.hlp";
        QTest::newRow("current help file") << ""
                                           << "b.hlp"
                                           << "c.hlp"
                                           << "b.hlp";
        QTest::newRow("application's help file") << ""
                                                 << ""
                                                 << "c.hlp"
                                                 << "c.hlp";
        QTest::newRow("requested file missing") << "x.hlp"
                                                << "b.hlp"
                                                << "c.hlp"
                                                << "";
        QTest::newRow("current file missing") << ""
                                              << "x.hlp"
                                              << "c.hlp"
                                              << "";
        QTest::newRow("application's file missing") << ""
                                                    << ""
                                                    << "x.hlp"
                                                    << "";
        QTest::newRow("no file at all") << ""
                                        << ""
                                        << ""
                                        << "";
    }

    void resolveHelpFile()
    {
        QFETCH(QString, requested);
        QFETCH(QString, current);
        QFETCH(QString, application);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        const QDir dir(folder.path());
        for (const char *name : {"a.hlp", "b.hlp", "c.hlp"})
            QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));
        const auto inFolder
            = [&dir](const QString &name) { return name.isEmpty() ? QString() : dir.filePath(name); };

        HelpLauncher help;
        help.setCurrentHelpFile(inFolder(current));
        help.setHelpFile(inFolder(application));
        QCOMPARE(help.resolveHelpFile(inFolder(requested)), inFolder(expected));
    }
};

QTEST_MAIN(TestHelpFiles)
#include "tst_helpfiles.moc"
