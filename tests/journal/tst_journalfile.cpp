// The journal's file: numbering across restarts, a new file per day with the old one
// kept, a file begun mid-session starting with the protocol, and failures that never
// spoil the records written after them.
#include "FileBytes.h"
#include "JournalEventKinds.h"
#include "journal/JournalKinds.h"
#include "journal/JournalLine.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "journal/ProtocolSnapshot.h"
#include "journal/RaceJournal.h"
#include "platform/AppendOnlyFile.h"
#include "protocol/ProtocolResults.h"
#include "protocol/ProtocolText.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace {

// A folder for journals, the protocol they record and their clock, set by the test.
struct JournalFolder
{
    QTemporaryDir dir;
    QDateTime now{QDate(2026, 12, 8), QTime(10, 0)};
    MemoryProtocolTable table = JournalReplay::emptyProtocol();

    // A journal as one run of the program keeps it.
    std::unique_ptr<RaceJournal> open()
    {
        auto journal = std::make_unique<RaceJournal>(table, [this] { return now; });
        journal->setFolder(dir.path());
        return journal;
    }
};

JournalContents readJournal(const QString &fileName)
{
    QString error;
    const std::optional<JournalContents> contents = JournalReader::readFile(fileName, &error);
    if (!contents)
        qWarning("%s: %s", qPrintable(fileName), qPrintable(error));
    return contents.value_or(JournalContents{});
}

} // namespace

class TestJournalFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eventsAreNumberedOnAcrossRestarts()
    {
        JournalFolder folder;
        {
            const std::unique_ptr<RaceJournal> journal = folder.open();
            QVERIFY(journal->recordProgramStart(QStringLiteral("1.1")));
            QVERIFY(journal->recordStart(TenAm, 5000, {}));
            QVERIFY(journal->recordProgramExit());
        }
        const std::unique_ptr<RaceJournal> again = folder.open();
        QVERIFY(again->recordProgramStart(QStringLiteral("1.1")));
        QVERIFY(again->recordClear());
        const JournalContents contents = readJournal(folder.dir.filePath(JournalFile::FileName));
        QCOMPARE(kindsOf(contents),
                 (QStringList{"PROGRAMMSTART", "START", "PROGRAMMENDE", "PROGRAMMSTART", "LOESCHEN"}));
        for (int i = 0; i < contents.entries.size(); ++i)
            QCOMPARE(contents.entries.at(i).sequence, i + 1);
        QCOMPARE(contents.entries.at(1).field(JournalKinds::Field::TimeOfDay),
                 QStringLiteral("10:00:00.000"));
        QCOMPARE(contents.entries.at(1).field(JournalKinds::Field::Tick), QStringLiteral("5000"));
    }

    void aNewDayKeepsTheOldJournalAndTheRaceInOneFile()
    {
        JournalFolder folder;
        const std::unique_ptr<RaceJournal> journal = folder.open();
        QVERIFY(journal->recordProgramStart(QStringLiteral("1.1")));
        ProtocolResults::writeResult(folder.table, 1, QStringLiteral("1:00,00"), QStringLiteral("AUT"),
                                     QStringLiteral("7"));
        QVERIFY(
            journal->recordFinish({1, QStringLiteral("1:00,00"), TenAm, FinishSource::Key, "7", "AUT", {}}));

        // Past midnight the running session goes on in the same file ...
        folder.now = QDateTime(QDate(2026, 12, 9), QTime(0, 5));
        QVERIFY(journal->recordStop(TenAm, 9000, QStringLiteral("1:00,00")));
        QCOMPARE(QDir(folder.dir.path()).entryList({"Tivano-Journal*"}).size(), 1);
        // ... until the next race starts: yesterday's journal is kept under its date.
        QVERIFY(journal->recordStart(TenAm, 10000, {}));
        const QString kept = folder.dir.filePath(QStringLiteral("Tivano-Journal-2026-12-08.txt"));
        QCOMPARE(kindsOf(readJournal(kept)), (QStringList{"PROGRAMMSTART", "ZIEL", "STOPP"}));
        const JournalContents today = readJournal(folder.dir.filePath(JournalFile::FileName));
        QCOMPARE(kindsOf(today), (QStringList{"FORTSETZUNG", "START"}));
        QCOMPARE(today.created.date(), QDate(2026, 12, 9));
        // The new file replays on its own to the protocol it continues.
        QCOMPARE(JournalReplay::replay(today.entries).rows(), folder.table.rows());
        QCOMPARE(JournalFile::journalsIn(folder.dir.path()),
                 (QStringList{folder.dir.filePath(JournalFile::FileName), kept}));

        // A second file of the same day is kept beside the first.
        folder.now = QDateTime(QDate(2026, 12, 10), QTime(8, 0));
        QFile::copy(kept, folder.dir.filePath(QStringLiteral("Tivano-Journal-2026-12-09.txt")));
        QVERIFY(journal->recordProgramStart(QStringLiteral("1.1")));
        QVERIFY(QFileInfo::exists(folder.dir.filePath(QStringLiteral("Tivano-Journal-2026-12-09-2.txt"))));
    }

    void whatIsNoJournalIsKeptAsideNotAppendedTo()
    {
        JournalFolder folder;
        const QByteArray foreign("Nr.\tStoppzeit\r\n00001\t1,00\r\n");
        {
            QFile file(folder.dir.filePath(JournalFile::FileName));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(foreign);
        }
        const std::unique_ptr<RaceJournal> journal = folder.open();
        QVERIFY(journal->recordProgramStart(QStringLiteral("1.1")));
        QCOMPARE(kindsOf(readJournal(folder.dir.filePath(JournalFile::FileName))),
                 QStringList{"PROGRAMMSTART"});
        const QStringList kept = QDir(folder.dir.path()).entryList({"Tivano-Journal-*"});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(fileBytes(folder.dir.filePath(kept.first())), foreign);
    }

    void aJournalThatCannotBeWrittenIsTriedAgain()
    {
        JournalFolder folder;
        const std::unique_ptr<RaceJournal> journal = folder.open();
        // Something that is no file stands where the journal goes.
        QVERIFY(QDir(folder.dir.path()).mkdir(JournalFile::FileName));
        QVERIFY(!journal->recordProgramStart(QStringLiteral("1.1")));
        QVERIFY(journal->failed());
        QVERIFY(!journal->errorString().isEmpty());
        ProtocolResults::writeResult(folder.table, 1, QStringLiteral("0,50"), QString(), QString());
        QVERIFY(!journal->recordFinish({1, QStringLiteral("0,50"), TenAm, FinishSource::Mouse, {}, {}, {}}));

        QVERIFY(QDir(folder.dir.path()).rmdir(JournalFile::FileName));
        ProtocolResults::writeResult(folder.table, 2, QStringLiteral("0,70"), QString(), QString());
        QVERIFY(journal->recordFinish(
            {2, QStringLiteral("0,70"), TenAm, FinishSource::LightBarrier, {}, {}, {}}));
        QVERIFY(!journal->failed());
        // What the lost events did is in the protocol the new file begins with.
        const JournalContents contents = readJournal(folder.dir.filePath(JournalFile::FileName));
        QCOMPARE(kindsOf(contents), (QStringList{"FORTSETZUNG", "ZIEL"}));
        QCOMPARE(contents.entries.at(1).field(JournalKinds::Field::Source), QStringLiteral("lichtschranke"));
        QCOMPARE(JournalReplay::replay(contents.entries).rows(), folder.table.rows());
    }

    // The disk fills in the middle of a line: the events after it are read, and the
    // replay is the protocol again, the lost events included. The line torn is a finish's,
    // or the copy of a long protocol loaded, written on the journal's own thread.
    void aDiskThatFillsMidLineLosesNothingShown_data()
    {
        QTest::addColumn<bool>("longLoad");
        QTest::newRow("a finish") << false;
        QTest::newRow("a long protocol loaded") << true;
    }

    void aDiskThatFillsMidLineLosesNothingShown()
    {
#ifdef Q_OS_WIN
        QSKIP("the disk is filled by a file size limit, which Windows does not have");
#else
        QFETCH(bool, longLoad);
        JournalFolder folder;
        const std::unique_ptr<RaceJournal> journal = folder.open();
        QVERIFY(journal->recordProgramStart(QStringLiteral("1.1")));
        auto finish = [&](int row) {
            ProtocolResults::writeResult(folder.table, row, QStringLiteral("0:%1,00").arg(row),
                                         QStringLiteral("AUT"), QString::number(row));
            return journal->recordFinish({row,
                                          QStringLiteral("0:%1,00").arg(row),
                                          TenAm,
                                          FinishSource::Key,
                                          QString::number(row),
                                          QStringLiteral("AUT"),
                                          {}});
        };
        QVERIFY(finish(1));

        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = old;
        full.rlim_cur = rlim_t(QFileInfo(journal->fileName()).size() + 20);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
        bool accepted = false;
        bool reported = true;
        int row = 2;
        if (longLoad) {
            for (; row <= RaceJournal::LongCopyRows; ++row)
                ProtocolResults::writeResult(folder.table, row, QStringLiteral("1,00"), QString(), QString());
            QSignalSpy written(journal.get(), &RaceJournal::protocolCopyWritten);
            accepted = journal->recordLoad(false, QStringLiteral("Lauf.txt"),
                                           ProtocolSnapshot::encodeResults(folder.table));
            reported = written.wait(30000);
        } else {
            accepted = finish(row++);
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        // A copy handed to the journal's thread is taken; its failure comes with the signal.
        QCOMPARE(accepted, longLoad);
        QVERIFY(reported);
        QVERIFY(journal->failed());

        QVERIFY(finish(row));
        QVERIFY(!journal->failed());
        const JournalContents contents = readJournal(journal->fileName());
        QCOMPARE(kindsOf(contents), (QStringList{"PROGRAMMSTART", "ZIEL", "FORTSETZUNG", "ZIEL"}));
        QCOMPARE(contents.tornLines, 0);
        QCOMPARE(contents.damagedLines, 0);
        QCOMPARE(JournalReplay::replay(contents.entries).rows(), folder.table.rows());
#endif
    }

    void aFailedAppendIsReported()
    {
#ifdef Q_OS_WIN
        QSKIP("needs a file size limit (RLIMIT_FSIZE)");
#else
        // Only a regular file is appended to: a device in the journal's place is refused.
        AppendOnlyFile device;
        QVERIFY(!device.open(QStringLiteral("/dev/full")));
        QCOMPARE(device.errorString(),
                 QStringLiteral("Keine gew\u00f6hnliche Datei, sondern ein Ger\u00e4t"));

        JournalFolder folder;
        const QString name = folder.dir.filePath(JournalFile::FileName);
        {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Tivano-Journal\t1\n");
        }
        AppendOnlyFile full;
        QVERIFY(full.open(name));
        // The disk is full as far as this process is concerned.
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old;
        limit.rlim_cur = rlim_t(QFileInfo(name).size());
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        const bool appended = full.append("1\tx\tZIEL\t#00000000\n");
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!appended);
        QCOMPARE(full.errorString(), QStringLiteral("Datei zu gro\u00df"));
#endif
    }

    // What a crash left after the last complete line never counted; the next event takes
    // its place and its number, even when the torn line lacks only its line feed.
    void aTornEndIsCutAwayBeforeTheNextEvent_data()
    {
        QTest::addColumn<QByteArray>("tornEnd");
        QTest::newRow("a few bytes") << QByteArray("2\t2026-12-08T10:00");
        JournalEntry finish;
        finish.sequence = 2;
        finish.time = QStringLiteral("2026-12-08T10:00:01.000");
        finish.kind = QStringLiteral("ZIEL");
        finish.add(QStringLiteral("nr"), QStringLiteral("1"));
        QTest::newRow("all but the line feed") << JournalLine::encode(finish).chopped(1);
    }

    void aTornEndIsCutAwayBeforeTheNextEvent()
    {
        QFETCH(QByteArray, tornEnd);
        JournalFolder folder;
        QVERIFY(folder.open()->recordProgramStart(QStringLiteral("1.1")));
        const QString name = folder.dir.filePath(JournalFile::FileName);
        const QByteArray complete = fileBytes(name);
        {
            QFile file(name);
            QVERIFY(file.open(QIODevice::Append));
            file.write(tornEnd);
        }
        QCOMPARE(readJournal(name).tornLines, 1);

        const std::unique_ptr<RaceJournal> journal = folder.open();
        QVERIFY(journal->recordProgramStart(QStringLiteral("1.1")));
        QVERIFY(journal->recordClear());
        const QByteArray bytes = fileBytes(name);
        QVERIFY(bytes.startsWith(complete));
        const JournalContents contents = readJournal(name);
        QCOMPARE(kindsOf(contents), (QStringList{"PROGRAMMSTART", "PROGRAMMSTART", "LOESCHEN"}));
        QCOMPARE(contents.entries.at(1).sequence, 2);
        QCOMPARE(contents.entries.at(2).sequence, 3);
        QCOMPARE(contents.tornLines + contents.damagedLines, 0);
    }

    // The streaming read gives what the whole-file read gives, point for point and cell
    // for cell, at every cut; a cancelled read gives nothing.
    void aStreamingReadGivesWhatTheWholeFileGives()
    {
        JournalFolder folder;
        const std::unique_ptr<RaceJournal> journal = folder.open();
        QVERIFY(journal->recordProgramStart(QStringLiteral("1.1")));
        QVERIFY(journal->recordStart(TenAm, 1000, QStringLiteral("7,8")));
        for (int row = 1; row <= 5000; ++row) {
            ProtocolResults::writeResult(folder.table, row, QStringLiteral("10:00.%1,00").arg(row % 60), {},
                                         {});
            QVERIFY(journal->recordFinish(
                {row, folder.table.cells(1, row), TenAm, FinishSource::Key, {}, {}, {}}));
            if (row == 2500)
                QVERIFY(journal->recordClear());
        }
        QVERIFY(journal->recordStop(TenAm, 2000, QStringLiteral("1,00")));
        const QString name = journal->fileName();
        const JournalContents whole = readJournal(name);

        QString error;
        const std::optional<JournalReplay::Scan> scan = JournalReplay::scanFile(name, &error);
        QVERIFY2(scan, qPrintable(error));
        const QList<JournalReplay::RestorePoint> expected = JournalReplay::restorePoints(whole.entries);
        QCOMPARE(scan->points.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(scan->points.at(i).entry.sequence, expected.at(i).entry.sequence);
            QCOMPARE(scan->points.at(i).resultsBefore, expected.at(i).resultsBefore);
            QVERIFY(!scan->points.at(i).entry.hasField(JournalKinds::Field::Table));
        }
        for (const qint64 before : {qint64(0), qint64(3), qint64(2600), scan->points.last().entry.sequence}) {
            const std::optional<JournalReplay::Replayed> replayed = JournalReplay::replayFile(name, before);
            QVERIFY(replayed);
            QCOMPARE(ProtocolText::encode(replayed->table),
                     ProtocolText::encode(JournalReplay::replay(whole.entries, before)));
        }

        TaskProgress cancelled;
        cancelled.cancelled = true;
        QVERIFY(!JournalReplay::scanFile(name, &error, &cancelled));
        QCOMPARE(error, JournalReader::cancelledText());
        TaskProgress done;
        QVERIFY(JournalReplay::replayFile(name, 0, &error, &done));
        QCOMPARE(done.permille.load(), 1000);

        // The race goes on while the journal is read: the read ends where the file ended
        // when it began.
        int visited = 0;
        const std::optional<JournalContents> growing = JournalReader::readEach(
            name,
            [&](JournalEntry &&) {
                if (visited++ % 1000 == 0)
                    QVERIFY(journal->recordFinish(
                        {1, QStringLiteral("0:01,00"), TenAm, FinishSource::Key, {}, {}, {}}));
            },
            &error);
        QVERIFY2(growing, qPrintable(error));
        QCOMPARE(visited, whole.entries.size());
        QCOMPARE(growing->tornLines + growing->damagedLines, 0);
    }

private:
    static constexpr qint32 TenAm = 10 * 3600 * 1000;
};

QTEST_GUILESS_MAIN(TestJournalFile)
#include "tst_journalfile.moc"
