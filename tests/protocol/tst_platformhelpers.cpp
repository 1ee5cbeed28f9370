#include "platform/AtomicFileWriter.h"
#include "platform/IsolatedCall.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

class TestPlatformHelpers : public QObject
{
    Q_OBJECT

private:
    static QByteArray readFile(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("Nr.\t00001\r\n") << QByteArray("Nr.\t00001\r\n");
        QTest::newRow("umlauts") << QStringLiteral("\u00c4\u00f6\u00fc\u00df")
                                 << QByteArray("\xc4\xf6\xfc\xdf");
        QTest::newRow("euro and quotes")
            << QStringLiteral("\u20ac\u201e\u201c") << QByteArray("\x80\x84\x93");
        QTest::newRow("not in code page") << QStringLiteral("a\u0101b") << QByteArray("a?b");
        QTest::newRow("outside basic plane is one ?") << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
        QTest::newRow("cyrillic word") << QStringLiteral("\u041c\u0438\u0440") << QByteArray("???");
        QTest::newRow("SUB itself survives") << QStringLiteral("\u001a\u0101") << QByteArray("\x1a?");
    }

    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TextCodec::encode(text), bytes);
    }

    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = TextCodec::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0x80), QChar(0x20AC));
        QCOMPARE(text.at(0xE4), QChar(0xE4));
        QCOMPARE(TextCodec::encode(text), all);
    }

    void writerReplacesTarget()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Tivano.txt"));
        AtomicFileWriter writer;
        QVERIFY(writer.write(name, "first"));
        QVERIFY(writer.write(name, "second, longer"));
        QCOMPARE(readFile(name), QByteArray("second, longer"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void injectedFailureKeepsPrevious()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Tivano.txt"));
        AtomicFileWriter writer;
        QVERIFY(writer.write(name, "previous"));
        QString seenTemp;
        writer.beforeRename = [&](const QString &temp) {
            seenTemp = temp;
            return readFile(temp) == QByteArray("next") ? false : true;
        };
        QVERIFY(!writer.write(name, "next"));
        QVERIFY(!writer.errorString().isEmpty());
        QCOMPARE(readFile(name), QByteArray("previous"));
        QVERIFY(!seenTemp.isEmpty());
        QVERIFY(!QFile::exists(seenTemp));
    }

    void killedBetweenWriteAndRenameKeepsPrevious()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Tivano.txt"));
        AtomicFileWriter first;
        QVERIFY(first.write(name, "00001\t1:00,00\t \t \t \t\r\n"));
        const QByteArray big(4 * 1024 * 1024, 'x');
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            AtomicFileWriter writer;
            writer.beforeRename = [](const QString &) {
                ::raise(SIGKILL);
                return true;
            };
            writer.write(name, big);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGKILL);
        QCOMPARE(readFile(name), QByteArray("00001\t1:00,00\t \t \t \t\r\n"));

        // The next write after the crash succeeds over the stale temporary file.
        AtomicFileWriter after;
        QVERIFY(after.write(name, "fresh"));
        QCOMPARE(readFile(name), QByteArray("fresh"));
    }

    void renameFailureIsReported()
    {
        // A folder of the target's name makes the final rename fail, also for root.
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Tivano.txt"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Tivano.txt/inner")));
        AtomicFileWriter writer;
        QVERIFY(!writer.write(name, "data"));
        QVERIFY(!writer.errorString().isEmpty());
        QVERIFY(QFileInfo(name).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void missingFolderIsReported()
    {
        QTemporaryDir dir;
        AtomicFileWriter writer;
        QVERIFY(!writer.write(dir.filePath(QStringLiteral("no/such/folder/x.txt")), "data"));
        QVERIFY(!writer.errorString().isEmpty());
    }

    void isolatedCallOutcomes_data()
    {
        using Status = IsolatedResult::Status;
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("status");
        QTest::newRow("returns") << 0 << int(Status::Done);
        QTest::newRow("aborts") << 1 << int(Status::Crashed);
        QTest::newRow("segmentation fault") << 2 << int(Status::Crashed);
        QTest::newRow("throws") << 3 << int(Status::Crashed);
        QTest::newRow("never ends") << 4 << int(Status::TimedOut);
        QTest::newRow("more memory than allowed") << 5 << int(Status::Crashed);
        QTest::newRow("memory within the limit") << 6 << int(Status::Done);
    }

    void isolatedCallOutcomes()
    {
        QFETCH(int, behaviour);
        QFETCH(int, status);
        // More than a pipe holds, so the parent must read while the child writes.
        QByteArray big(3 * 1024 * 1024 + 17, '\0');
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = char(i * 7);
        const IsolatedResult result = runIsolated(
            [&]() -> QByteArray {
                switch (behaviour) {
                case 1:
                    std::abort();
                case 2:
                    ::raise(SIGSEGV);
                    return {};
                case 3:
                    throw std::runtime_error("bad input");
                case 4:
                    for (;;)
                        ::pause();
                case 5:
                case 6: {
                    // Untouched, so it costs no real memory where the limit allows it.
                    char *volatile block = new char[behaviour == 5 ? size_t(1) << 30 : size_t(64) << 20];
                    block[0] = 1;
                    delete[] block;
                    return big;
                }
                default:
                    return big;
                }
            },
            behaviour == 4 ? 300 : 30000, qint64(256) << 20);
        QCOMPARE(int(result.status), status);
        QCOMPARE(result.output, status == int(IsolatedResult::Status::Done) ? big : QByteArray());
        if (behaviour == 1)
            QCOMPARE(result.detail, QStringLiteral("Signal %1").arg(SIGABRT));
        if (behaviour == 3)
            QVERIFY(result.detail.startsWith(QStringLiteral("Exitcode ")));
        // No child is left behind, finished or not.
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    }
};

QTEST_GUILESS_MAIN(TestPlatformHelpers)
#include "tst_platformhelpers.moc"
