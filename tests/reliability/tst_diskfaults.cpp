// Disk faults under the autosave: a read-only folder, a full disk, an autosave path that
// is a folder, a folder that vanished. The panel shows its warning, the protocol in
// memory is intact, the previous autosave file is intact, and the next autosave after
// the fault is gone writes everything. A read-only program folder sends the operator's
// files to the per-user folder.
#include "FileBytes.h"
#include "grid/SortGrid.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"

#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

enum class Fault { ReadOnlyFolder, FileSizeLimit, FullFileSystem, PathIsFolder, FolderGone };

QString number(int row)
{
    return QStringLiteral("%1").arg(row, 5, 10, QLatin1Char('0'));
}

// One finish as the race clock records it: counter, row, autosave.
bool finish(ProtocolPanel &panel)
{
    const int row = panel.lastResultRow() + 1;
    panel.setLastResultRow(row);
    panel.addResultRow(QStringLiteral("1:%1,%2").arg(row % 60).arg(row % 100), QStringLiteral("AUT"));
    return panel.autosaver().autosave();
}

bool canCreateFileIn(const QString &folder)
{
    QFile probe(QDir(folder).filePath(QStringLiteral("probe")));
    const bool created = probe.open(QIODevice::WriteOnly);
    probe.remove();
    return created;
}

// Sets up and takes away one fault. Fault kinds that this machine cannot produce skip.
class FaultInjector
{
public:
    FaultInjector(Fault fault, QString folder)
        : m_fault(fault)
        , m_folder(std::move(folder))
    { }
    ~FaultInjector()
    {
        remove();
        unmount();
    }

    // Prepares what has to exist before the first autosave (a small file system).
    QString prepare()
    {
        if (m_fault != Fault::FullFileSystem)
            return {};
        const QByteArray path = QFile::encodeName(m_folder);
        if (::mount("tivano-test", path.constData(), "tmpfs", 0, "size=64k") != 0)
            return QStringLiteral("cannot mount a small file system here");
        m_mounted = true;
        return {};
    }

    // Returns why the fault cannot be produced here, or an empty text.
    QString inject(const QString &autosaveFile)
    {
        const QByteArray path = QFile::encodeName(m_folder);
        switch (m_fault) {
        case Fault::ReadOnlyFolder:
            // Permissions do not stop the superuser; a read-only bind mount does.
            if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0) {
                m_mounted = true;
                if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr)
                    != 0)
                    return QStringLiteral("cannot remount read-only");
            } else {
                QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner);
                m_chmod = true;
            }
            return canCreateFileIn(m_folder) ? QStringLiteral("the folder stays writable here") : QString();
        case Fault::FileSizeLimit: {
            // The disk is full as far as this process is concerned.
            ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
            m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit = m_oldLimit;
            limit.rlim_cur = rlim_t(QFileInfo(autosaveFile).size() + 8);
            m_limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
            return m_limited ? QString() : QStringLiteral("cannot limit the file size");
        }
        case Fault::FullFileSystem: {
            QFile filler(QDir(m_folder).filePath(QStringLiteral("filler")));
            if (!filler.open(QIODevice::WriteOnly))
                return QStringLiteral("cannot fill the file system");
            const QByteArray block(512, 'x');
            while (filler.write(block) == block.size() && filler.flush()) { }
            return QString();
        }
        case Fault::PathIsFolder:
            QFile::remove(autosaveFile);
            QDir().mkpath(QDir(autosaveFile).filePath(QStringLiteral("kept")));
            return QString();
        case Fault::FolderGone: {
            // A removed folder is made again; a file in its place keeps it away.
            QDir(m_folder).removeRecursively();
            QFile blocker(m_folder);
            return blocker.open(QIODevice::WriteOnly) ? QString() : QStringLiteral("cannot block the folder");
        }
        }
        return QString();
    }

    void remove()
    {
        const QByteArray path = QFile::encodeName(m_folder);
        if (m_limited) {
            ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
            std::signal(SIGXFSZ, m_oldHandler);
            m_limited = false;
        }
        if (m_chmod) {
            QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            m_chmod = false;
        }
        if (m_fault == Fault::FullFileSystem)
            QFile::remove(QDir(m_folder).filePath(QStringLiteral("filler")));
        if (m_mounted && m_fault == Fault::ReadOnlyFolder) {
            ::umount2(path.constData(), MNT_DETACH);
            m_mounted = false;
        }
        if (m_fault == Fault::PathIsFolder)
            QDir(QDir(m_folder).filePath(QStringLiteral("Tivano.txt"))).removeRecursively();
        // The next autosave makes the folder again.
        if (m_fault == Fault::FolderGone)
            QFile::remove(m_folder);
    }

    void unmount()
    {
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
            m_mounted = false;
        }
    }

private:
    Fault m_fault;
    QString m_folder;
    bool m_mounted = false;
    bool m_chmod = false;
    bool m_limited = false;
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

} // namespace

class TestDiskFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void autosaveSurvivesFault_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("previousFileKept");
        // The warning gives the system's reason in German, whatever the system's language.
        QTest::addColumn<QStringList>("reasons");
        QTest::newRow("read-only folder")
            << Fault::ReadOnlyFolder << true
            << QStringList{"Das Dateisystem ist schreibgesch\u00fctzt", "Zugriff verweigert"};
        QTest::newRow("file size limit") << Fault::FileSizeLimit << true << QStringList{"Datei zu gro\u00df"};
        QTest::newRow("full file system")
            << Fault::FullFileSystem << true << QStringList{"Kein Platz mehr auf dem Datentr\u00e4ger"};
        QTest::newRow("autosave path is a folder")
            << Fault::PathIsFolder << false
            << QStringList{"Keine gew\u00f6hnliche Datei, sondern ein Ordner"};
        QTest::newRow("folder removed, a file in its place")
            << Fault::FolderGone << false << QStringList{"Ein Teil des Pfades ist kein Ordner"};
    }

    void autosaveSurvivesFault()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, previousFileKept);
        QFETCH(QStringList, reasons);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString folder = home.filePath(QStringLiteral("race"));
        QVERIFY(QDir().mkpath(folder));
        FaultInjector injector(fault, folder);
        const QString prepared = injector.prepare();
        if (!prepared.isEmpty())
            QSKIP(qPrintable(prepared));

        ProtocolPanel panel;
        panel.autosaver().setFolder(folder);
        panel.initProtocolTable();
        int warnings = 0;
        QObject::connect(&panel.autosaver(), &ProtocolAutosaver::failedChanged, &panel, [&] { ++warnings; });
        const QString file = panel.autosaver().fileName();
        for (int i = 0; i < 3; ++i)
            QVERIFY(finish(panel));
        QVERIFY(!panel.autosaver().failed());
        const QByteArray before = fileBytes(file);
        QVERIFY(!before.isEmpty());

        // The file each autosave replaced is freed by a pool thread; freed after the disk
        // is filled, its blocks would make room for the next autosave.
        QThreadPool::globalInstance()->waitForDone();
        const QString why = injector.inject(file);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(!finish(panel));
        QVERIFY(!finish(panel));
        injector.remove();

        QVERIFY(panel.autosaver().failed());
        QCOMPARE(warnings, 1);
        QVERIFY(panel.autosaveWarningLabel()->isVisibleTo(&panel));
        const QString warning = panel.autosaveWarningLabel()->text();
        QVERIFY(warning.contains(QDir::toNativeSeparators(file)));
        QVERIFY2(std::any_of(reasons.cbegin(), reasons.cend(),
                             [&](const QString &reason) { return warning.contains(reason); }),
                 qPrintable(warning));
        // The protocol in memory holds every finish.
        QCOMPARE(panel.lastResultRow(), 5);
        for (int r = 1; r <= 5; ++r)
            QCOMPARE(panel.grid()->cells(0, r), number(r));
        if (previousFileKept)
            QCOMPARE(fileBytes(file), before);
        // No temporary file is left behind.
        QCOMPARE(QDir(folder).entryList({QStringLiteral(".Tivano.txt.*")}, QDir::Files | QDir::Hidden),
                 QStringList());

        // The fault gone, the next finish writes them all and the warning goes away.
        QVERIFY(finish(panel));
        QVERIFY(!panel.autosaver().failed());
        QCOMPARE(warnings, 2);
        QVERIFY(!panel.autosaveWarningLabel()->isVisibleTo(&panel));
        MemoryProtocolTable saved;
        QVERIFY(ProtocolText::loadProtocolText(saved, file));
        QCOMPARE(saved.lastResultRowFromTable(), 6);
        for (int r = 1; r <= 6; ++r)
            QCOMPARE(saved.cells(0, r), number(r));
        injector.unmount();
    }

    // An installed program's folder is read-only for the operator: the autosave and the
    // file dialogs go to the per-user data folder instead.
    void readOnlyProgramFolderFallsBackToUserFolder()
    {
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(ProtocolFiles::writableProgramFolder(folder), folder);

        FaultInjector injector(Fault::ReadOnlyFolder, folder);
        const QString why = injector.inject(QString());
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        const QString user = ProtocolFiles::writableProgramFolder(folder);
        QCOMPARE(user, QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
        QVERIFY(canCreateFileIn(user));
        QCOMPARE(ProtocolFiles::writableProgramFolder(home.filePath(QStringLiteral("missing"))), user);
        injector.remove();
        injector.unmount();
        QStandardPaths::setTestModeEnabled(false);
    }
};

QTEST_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
