// A port another program holds is refused with the reason, whether that
// program announced itself with a UUCP lock file or just has the device open;
// while Tivano has the port it holds a lock file of its own. On pseudo-
// terminals and a lock folder of the test's own.
#include "PseudoTerminal.h"
#include "SerialTestSupport.h"
#include "serial/PosixSerialBackend.h"
#include "serial/SerialPort.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int PortNo = 6;

// Another program with the device open that took no lock: a process that is
// not a child of the test (a child would count as the program's own).
class Squatter
{
public:
    explicit Squatter(const QString &device)
        : m_device(device)
    {
        QProcess shell;
        shell.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("sleep 60 < \"$0\" > /dev/null 2>&1 & echo $!"), device});
        if (shell.waitForFinished(5000))
            m_pid = shell.readAllStandardOutput().trimmed().toInt();
    }
    ~Squatter() { end(); }

    int pid() const { return m_pid; }
    bool holdsOpen() const
    {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/fd/0").arg(m_pid)) == m_device;
    }
    // The background shell opens the device before it becomes `sleep`: the
    // program named in a busy message is only sure once that has happened.
    bool isSleeping() const
    {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(m_pid));
        return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "sleep";
    }
    // Not our child, so nothing here reaps it: it has let go once its open
    // files are gone.
    bool end()
    {
        if (m_pid > 0)
            kill(m_pid, SIGKILL);
        const bool ended = QTest::qWaitFor([this] { return m_pid <= 0 || !holdsOpen(); });
        m_pid = 0;
        return ended;
    }

private:
    QString m_device;
    int m_pid = 0;
};

// A PID no process has: a child that has ended and been reaped.
int endedPid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

} // namespace

class TestPortLock : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Pty> m_pty;
    std::unique_ptr<QTemporaryDir> m_locks;
    std::unique_ptr<PosixSerialBackend> m_backend;

    QString lockFile() const
    {
        // /dev/pts/N locks as LCK..pts_N.
        const QString name = m_pty->slave().mid(5).replace(QLatin1Char('/'), QLatin1Char('_'));
        return m_locks->filePath(QStringLiteral("LCK..") + name);
    }

    void writeLock(const QByteArray &content)
    {
        QFile lock(lockFile());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(content);
    }

private Q_SLOTS:
    void init()
    {
        m_pty = std::make_unique<Pty>();
        QVERIFY(m_pty->valid());
        m_locks = std::make_unique<QTemporaryDir>();
        SerialDeviceMap map;
        map.setPath(PortNo, m_pty->slave());
        m_backend = std::make_unique<PosixSerialBackend>(map);
        m_backend->setLockFolder(m_locks->path());
    }

    void cleanup()
    {
        m_backend.reset();
        m_locks.reset();
        m_pty.reset();
    }

    void openPortHoldsItsLockFile()
    {
        SerialPort port(nullptr, m_backend.get());
        port.setPort(PortNo);
        QCOMPARE(openError(port), QString());
        QFile lock(lockFile());
        QVERIFY(lock.open(QIODevice::ReadOnly));
        // HDB UUCP format: the PID in ten characters and a line break.
        QCOMPARE(lock.readAll(), QByteArray::number(getpid()).rightJustified(10, ' ') + '\n');
        port.close();
        QVERIFY(!QFile::exists(lockFile()));
    }

    void lockFileOfAnotherProgram_data()
    {
        QTest::addColumn<bool>("living");
        QTest::addColumn<bool>("binary");
        QTest::newRow("living owner") << true << false;
        QTest::newRow("living owner, binary PID") << true << true;
        QTest::newRow("owner has ended") << false << false;
    }

    void lockFileOfAnotherProgram()
    {
        QFETCH(bool, living);
        QFETCH(bool, binary);
        // PID 1 always runs and is never this test.
        const int owner = living ? 1 : endedPid();
        if (binary)
            writeLock(QByteArray(reinterpret_cast<const char *>(&owner), sizeof owner));
        else
            writeLock(QByteArray::number(owner).rightJustified(10, ' ') + '\n');

        SerialPort port(nullptr, m_backend.get());
        port.setPort(PortNo);
        const QString error = openError(port);
        if (living) {
            QVERIFY2(error.startsWith(QLatin1String("Unable to open com port: ")), qPrintable(error));
            QVERIFY2(error.contains(QLatin1String("PID 1)")), qPrintable(error));
            QVERIFY(!port.connected());
            QVERIFY(QFile::exists(lockFile())); // another program's lock stays
        } else {
            // A stale lock is taken over.
            QCOMPARE(error, QString());
            QVERIFY(port.connected());
            QFile lock(lockFile());
            QVERIFY(lock.open(QIODevice::ReadOnly));
            QCOMPARE(lock.readAll().trimmed().toInt(), int(getpid()));
        }
    }

    void deviceOpenInAnotherProgram()
    {
        Squatter squatter(m_pty->slave());
        QVERIFY(squatter.pid() > 0);
        QTRY_VERIFY(squatter.holdsOpen() && squatter.isSleeping());

        SerialPort port(nullptr, m_backend.get());
        port.setPort(PortNo);
        const QString error = openError(port);
        QCOMPARE(error,
                 QStringLiteral("Unable to open com port: Ger\u00e4t oder Ressource belegt (sleep, PID %1)")
                     .arg(squatter.pid()));
        QVERIFY(!port.connected());
        QVERIFY(!QFile::exists(lockFile()));

        // Once the other program has let go, the port opens.
        QVERIFY(squatter.end());
        QCOMPARE(openError(port), QString());
        QVERIFY(port.connected());
    }
};

QTEST_MAIN(TestPortLock)
#include "tst_portlock.moc"
