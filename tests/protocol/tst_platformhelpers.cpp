#include "TestMainServing.h"
#include "platform/AtomicFileWriter.h"
#include "platform/IsolatedCall.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <stdexcept>
#include <thread>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace {

// What the isolated work does with the payload that follows its first byte.
enum Behaviour : char {
    Returns,
    Aborts,
    WritesNowhere,
    Throws,
    NeverEnds,
    TakesTooMuchMemory,
    TakesSomeMemory
};

QByteArray behave(const QByteArray &input)
{
    switch (Behaviour(input.at(0))) {
    case Aborts:
        std::abort();
    case WritesNowhere: {
        // Not page zero: Wine, run as root, may have it mapped.
        int *volatile nowhere = reinterpret_cast<int *>(~quintptr(0xFFF));
        *nowhere = 1;
        return {};
    }
    case Throws:
        throw std::runtime_error("bad input");
    case NeverEnds:
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    case TakesTooMuchMemory:
    case TakesSomeMemory: {
        // Every page is used, so the limit holds whether a system refuses the allocation
        // or watches what is used.
        const size_t size = input.at(0) == TakesTooMuchMemory ? size_t(1) << 30 : size_t(64) << 20;
        char *volatile block = new char[size];
        for (size_t i = 0; i < size; i += 4096)
            block[i] = 1;
        delete[] block;
        break;
    }
    case Returns:
        break;
    }
    return input.mid(1);
}

// Writes the file named by the input and dies between the write and the rename.
QByteArray writeAndDie(const QByteArray &input)
{
    AtomicFileWriter writer;
    writer.beforeRename = [](const QString &) {
#ifdef Q_OS_WIN
        ::TerminateProcess(::GetCurrentProcess(), 9);
#else
        ::raise(SIGKILL);
#endif
        return true;
    };
    writer.write(QString::fromUtf8(input), QByteArray(4 * 1024 * 1024, 'x'));
    return {};
}

const IsolatedTask BehaviourTask{"behaviour", behave};
const IsolatedTask KilledWriterTask{"killed-writer", writeAndDie};

} // namespace

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

    // The program's table against the system's code page converter, where Qt has one
    // (ICU on Linux): every byte and every character of the basic plane.
    void tableAgreesWithSystemCodePage()
    {
        QStringDecoder decoder("windows-1252");
        if (!decoder.isValid())
            QSKIP("no system converter for Windows-1252 here");
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(TextCodec::decode(all), decoder.decode(all));
        for (char16_t u = 1; u < 0xD800; ++u) {
            QStringEncoder encoder("windows-1252");
            const QByteArray system = encoder.encode(QStringView(&u, 1));
            // The converter writes SUB (0x1a) for what it cannot hold.
            const bool unheld = encoder.hasError() || (system == "\x1a" && u != 0x1a);
            const QByteArray expected = unheld ? QByteArray("?") : system;
            if (TextCodec::encode(QStringView(&u, 1)) != expected)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(int(u), 4, 16, QLatin1Char('0'))));
        }
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
        const IsolatedResult killed = runIsolated(KilledWriterTask, name.toUtf8(), 30000, qint64(256) << 20);
        QCOMPARE(int(killed.status), int(IsolatedResult::Status::Crashed));
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
        QTest::newRow("returns") << int(Returns) << int(Status::Done);
        QTest::newRow("aborts") << int(Aborts) << int(Status::Crashed);
        QTest::newRow("segmentation fault") << int(WritesNowhere) << int(Status::Crashed);
        QTest::newRow("throws") << int(Throws) << int(Status::Crashed);
        QTest::newRow("never ends") << int(NeverEnds) << int(Status::TimedOut);
        QTest::newRow("more memory than allowed") << int(TakesTooMuchMemory) << int(Status::Crashed);
        QTest::newRow("memory within the limit") << int(TakesSomeMemory) << int(Status::Done);
    }

    void isolatedCallOutcomes()
    {
        QFETCH(int, behaviour);
        QFETCH(int, status);
        // More than a pipe holds, both ways, so neither side may wait for the other.
        QByteArray payload(3 * 1024 * 1024 + 17, '\0');
        for (qsizetype i = 0; i < payload.size(); ++i)
            payload[i] = char(i * 7);
        const IsolatedResult result = runIsolated(BehaviourTask, char(behaviour) + payload,
                                                  behaviour == NeverEnds ? 300 : 30000, qint64(256) << 20);
        QCOMPARE(int(result.status), status);
        QCOMPARE(result.output, status == int(IsolatedResult::Status::Done) ? payload : QByteArray());
#ifdef Q_OS_WIN
        if (behaviour == Aborts)
            QCOMPARE(result.detail, QStringLiteral("Exitcode 3"));
#else
        if (behaviour == Aborts)
            QCOMPARE(result.detail, QStringLiteral("Signal %1").arg(SIGABRT));
        // No child is left behind, finished or not.
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
#endif
        if (behaviour == Throws)
            QVERIFY(result.detail.startsWith(QStringLiteral("Exitcode ")));
    }
};

TIVANO_GUILESS_TEST_MAIN_SERVING(TestPlatformHelpers, BehaviourTask, KilledWriterTask)
#include "tst_platformhelpers.moc"
