// The protocol's integrity through the real main window: nothing of an earlier table comes
// back, a load replaces the table and counts as a change, a failed write or read is shown
// and does nothing else, the result number always fits its column, and writes keep
// symbolic links and say why a folder refuses them.
#include "ProgramFixture.h"
#include "ProtocolFakes.h"
#include "TestMainServing.h"
#include "grid/SortGrid.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "protocol/SpreadsheetBridge.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QToolButton>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const QString CloseQuestion = QStringLiteral("Wollen Sie Tivano wirklich beenden? ");
constexpr QFile::Permissions ReadAndLookIn = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A symbolic link, not the shortcut file QFile::link makes on Windows (where the user may
// lack the right to make links, and Wine 8 reports links made that are not: false then).
bool makeSymbolicLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    return ::CreateSymbolicLinkW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(link).utf16()),
                                 reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)
        && QFileInfo(link).isSymbolicLink();
#else
    return QFile::link(target, link);
#endif
}

// A protocol of two results with every cell filled, as another race left it.
MemoryProtocolTable otherProtocol()
{
    MemoryProtocolTable table(5, 3);
    const QList<QStringList> rows{{"Nr.", "Stoppzeit", "LKZ", "StNr.", "Stat"},
                                  {"00001", "9:00.01,00", "GER", "7", "DNF"},
                                  {"00002", "9:00.02,50", "AUT", "12", "DSQ"}};
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 5; ++c)
            table.setCells(c, r, rows[r][c]);
    return table;
}

// Takes permissions away from a file or folder while it lives. Permissions do not stop
// the superuser, so a test run as root meanwhile reaches files as an ordinary user (the
// file-system user id of this thread). Under Wine the program acts as the Unix user
// running Wine, root here, and nothing is withheld from it: tests skip there.
#ifdef Q_OS_WIN
#define TIVANO_SKIP_UNLESS_ACCESS_CAN_BE_WITHHELD()                                                          \
    QSKIP("access cannot be withheld from the user running these tests under Wine")
struct Withheld
{
    Withheld(const QString &, QFile::Permissions) { }
};
#else
#define TIVANO_SKIP_UNLESS_ACCESS_CAN_BE_WITHHELD()                                                          \
    do {                                                                                                     \
    } while (false)
class Withheld
{
public:
    Withheld(const QString &path, QFile::Permissions left)
        : m_path(path)
        , m_before(QFile::permissions(path))
    {
        QFile::setPermissions(m_path, left);
        // Root passes any permission; for a while it acts as an ordinary user, on every
        // thread (the autosave is written on one of its own).
        if (::geteuid() == 0 && ::seteuid(OrdinaryUser) == 0)
            m_actsAsOrdinaryUser = true;
    }
    ~Withheld()
    {
        if (m_actsAsOrdinaryUser && ::seteuid(0) != 0)
            qFatal("cannot act as root again");
        QFile::setPermissions(m_path, m_before);
    }
    Withheld(const Withheld &) = delete;
    Withheld &operator=(const Withheld &) = delete;

private:
    static constexpr uid_t OrdinaryUser = 65534;
    QString m_path;
    QFile::Permissions m_before;
    bool m_actsAsOrdinaryUser = false;
};
#endif

// The program with the protocol's file dialogs, desktop shell and error box replaced.
class Session
{
public:
    Fixture fixture;
    FakeShell shell;
    FakeDialogs dialogs;
    QStringList errors;
    std::unique_ptr<Program> program;

    bool start()
    {
        program = std::make_unique<Program>(fixture.environment());
        panel().files().setShell(&shell);
        panel().files().setFileDialogs(&dialogs);
        // The window's error box gives way to a list of the messages.
        QObject::disconnect(&panel(), &ProtocolPanel::errorOccurred, &window(), nullptr);
        QObject::connect(&panel(), &ProtocolPanel::errorOccurred, &panel(),
                         [this](const QString &message) { errors << message; });
        return program->show();
    }

    MainWindow &window() { return *program->window; }
    ProtocolPanel &panel() { return window().protocol(); }
    SortGrid &grid() { return *panel().grid(); }

    // Starts the clock when it stands, then records the finishes by F4.
    void finish(int finishes)
    {
        if (!window().clock().running())
            QTest::keyClick(&window(), Qt::Key_F5);
        for (int i = 0; i < finishes; ++i) {
            fixture.clocks.advance(1000);
            QTest::keyClick(&window(), Qt::Key_F4);
        }
        panel().autosaver().waitUntilWritten();
    }

    QStringList row(int row)
    {
        QStringList cells;
        for (int c = 0; c < grid().colCount(); ++c)
            cells << grid().cells(c, row);
        return cells;
    }

    // Closes the window, answering a question with yes, and ends the program (which
    // writes the autosave). Returns the questions asked.
    QStringList close()
    {
        QuestionAnswerer answerer;
        answerer.answerNext(true);
        window().close();
        program.reset();
        return answerer.questions;
    }

    // A folder inside the fixture's home that an ordinary user can look into.
    QString sharedFolder()
    {
        QFile::setPermissions(fixture.home.path(), ReadAndLookIn | QFile::WriteOwner);
        const QString folder = fixture.home.filePath(QStringLiteral("shared"));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, ReadAndLookIn | QFile::WriteOwner);
        return folder;
    }
};

} // namespace

class TestProtocolIntegrity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Tivano")); }

    void clearAndResetLeaveNothingBehind_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::newRow("clear") << false;
        QTest::newRow("reset") << true;
    }

    void clearAndResetLeaveNothingBehind()
    {
        QFETCH(bool, reset);
        Session s;
        QVERIFY(s.start());
        s.finish(3);
        const QStringList markers{"DNF", "DSQ", "DNS"};
        for (int r = 1; r <= 3; ++r)
            s.grid().setCells(4, r, markers[r - 1]);

        QuestionAnswerer answerer;
        answerer.answerNext(true);
        if (reset) {
            QTest::keyClick(&s.window(), Qt::Key_F9);
            pressButton(s.window(), RaceCommand::Reset);
        } else {
            QTest::mouseClick(s.panel().clearButton(), Qt::LeftButton);
        }
        QCOMPARE(answerer.questions.size(), 1);
        QCOMPARE(s.grid().rowCount(), 2);
        // Nothing stays behind, not even beyond the row count.
        for (int r = 1; r <= 4; ++r)
            QCOMPARE(s.row(r), (QStringList{"", "", "", "", ""}));

        s.finish(3);
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(s.grid().cells(4, r), QString());
        for (const QString &marker : markers)
            QVERIFY(!s.fixture.autosave().contains(marker.toLatin1()));
    }

    void loadReplacesTheTable_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("resultsBefore");
        QTest::newRow("text over five results") << 1 << "other.txt" << 5;
        QTest::newRow("workbook over five results") << 2 << "other.xlsx" << 5;
        QTest::newRow("text into an untouched program") << 1 << "other.txt" << 0;
        QTest::newRow("workbook into an untouched program") << 2 << "other.xlsx" << 0;
    }

    void loadReplacesTheTable()
    {
        QFETCH(int, type);
        QFETCH(QString, fileName);
        QFETCH(int, resultsBefore);
        Session s;
        QVERIFY(s.start());
        if (resultsBefore > 0) {
            s.finish(resultsBefore);
            QTest::keyClick(&s.window(), Qt::Key_F9);
        }
        const MemoryProtocolTable other = otherProtocol();
        const QString name = s.fixture.home.filePath(fileName);
        if (type == 1)
            QVERIFY(ProtocolText::saveProtocolText(other, name));
        else
            QVERIFY(SpreadsheetBridge::exportToSpreadsheet(other, name, QStringLiteral("Tivano")));

        s.dialogs.answer = name;
        s.dialogs.chosenIndex = type;
        QTest::mouseClick(s.panel().openButton(), Qt::LeftButton);
        QVERIFY2(s.errors.isEmpty(), qPrintable(s.errors.join(QLatin1Char('\n'))));
        QCOMPARE(s.grid().rowCount(), 3);
        QCOMPARE(s.panel().lastResultRow(), 2);
        for (int r = 0; r < 3; ++r)
            QCOMPARE(s.row(r), other.rows().at(r));
        for (int r = 3; r <= resultsBefore + 1; ++r)
            QCOMPARE(s.row(r), (QStringList{"", "", "", "", ""}));

        QCOMPARE(s.close(), QStringList{CloseQuestion});
        QCOMPARE(s.fixture.autosave(), ProtocolText::encode(other));
    }

    void startUpWithResultsAsksBeforeClosing_data()
    {
        QTest::addColumn<QByteArray>("autosave");
        QTest::addColumn<bool>("asks");
        QTest::newRow("autosave with results") << ProtocolText::encode(otherProtocol()) << true;
        QTest::newRow("empty autosave") << QByteArray("") << false;
        QTest::newRow("no autosave") << QByteArray() << false;
    }

    void startUpWithResultsAsksBeforeClosing()
    {
        QFETCH(QByteArray, autosave);
        QFETCH(bool, asks);
        Session s;
        if (!autosave.isNull())
            writeFile(s.fixture.autosavePath(), autosave);
        QVERIFY(s.start());
        QCOMPARE(s.close().size(), asks ? 1 : 0);
        QVERIFY(s.errors.isEmpty());
        if (!autosave.isNull())
            QCOMPARE(s.fixture.autosave(), autosave);
    }

    void failedPageWriteOnlyShowsTheError_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Protokoll drucken") << "printButton";
        QTest::newRow("Als Webseite") << "webPageButton";
    }

    void failedPageWriteOnlyShowsTheError()
    {
        QFETCH(QString, button);
        TIVANO_SKIP_UNLESS_ACCESS_CAN_BE_WITHHELD();
        Session s;
        QVERIFY(s.start());
        s.finish(2);
        const QString folder = s.sharedFolder();
        const QString pageName = ProtocolFiles::protocolPageFileName();
        const QByteArray yesterday("<HTML>yesterday's race</HTML>\r\n");
        writeFile(QDir(folder).filePath(pageName), yesterday);
        QDir::setCurrent(folder);
        {
            Withheld readOnly(folder, ReadAndLookIn);
            QTest::mouseClick(s.panel().findChild<QToolButton *>(button), Qt::LeftButton);
        }
        QDir::setCurrent(QDir::tempPath());

        // Yesterday's page stays where it is, unopened and unprinted.
        QVERIFY(s.shell.opened.isEmpty());
        QCOMPARE(s.shell.printerQuestions, 0);
        QCOMPARE(readFile(QDir(folder).filePath(pageName)), yesterday);
        QCOMPARE(s.errors.size(), 1);
        const QString prefix = QStringLiteral("Der Schreibfehler der Datei: ") + QDir::toNativeSeparators(pageName) + QLatin1Char('\n');
        QVERIFY2(s.errors[0].startsWith(prefix), qPrintable(s.errors[0]));
        QVERIFY2(s.errors[0].contains(QStringLiteral(" ist nicht beschreibbar: ")), qPrintable(s.errors[0]));
    }

    void numberColumnShowsTheWholeNumber_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("resultsBefore");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("number");
        QTest::newRow("first result") << false << 0 << 0 << "00001";
        QTest::newRow("100000th result") << false << 99999 << 0 << "100000";
        // A loaded table's columns are measured where it was read.
        QTest::newRow("loaded protocol") << true << 0 << 0 << "1234567";
        QTest::newRow("loaded start number") << true << 0 << 3 << "1234567890123";
    }

    void numberColumnShowsTheWholeNumber()
    {
        QFETCH(bool, loaded);
        QFETCH(int, resultsBefore);
        QFETCH(int, col);
        QFETCH(QString, number);
        Session s;
        QVERIFY(s.start());
        int row = resultsBefore + 1;
        if (loaded) {
            const QString name = s.fixture.home.filePath(QStringLiteral("long.txt"));
            // The text form writes an empty cell as a space.
            QByteArrayList second{"00002", "2,00", " ", " ", " "};
            second[col] = number.toLatin1();
            writeFile(name, "Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n00001\t1,00\t \t \t \t\r\n" + second.join('\t')
                          + "\t\r\n");
            s.dialogs.answer = name;
            QTest::mouseClick(s.panel().openButton(), Qt::LeftButton);
            row = 2;
        } else {
            QTest::keyClick(&s.window(), Qt::Key_F5);
            s.panel().setLastResultRow(resultsBefore);
            QTest::keyClick(&s.window(), Qt::Key_F4);
        }
        QCOMPARE(s.grid().cells(col, row), number);

        // The grid keeps 2 pixels between the text and each edge of the cell.
        const int needed = QFontMetrics(s.grid().font()).horizontalAdvance(number) + 4;
        QVERIFY2(s.grid().columnWidth(col) >= needed,
                 qPrintable(QStringLiteral("%1 < %2").arg(s.grid().columnWidth(col)).arg(needed)));
        QVERIFY(s.grid().columnWidth(0) >= 40);
        // The time column gives up the room: the columns still fill the grid.
        int total = s.grid().colCount();
        for (int c = 0; c < s.grid().colCount(); ++c)
            total += s.grid().columnWidth(c);
        QCOMPARE(total, s.grid().viewport()->width());
    }

    void writesFollowSymbolicLinks_data()
    {
        QTest::addColumn<bool>("autosave");
        QTest::addColumn<int>("links");
        QTest::newRow("save as onto a link") << false << 1;
        QTest::newRow("save as onto a link to a link") << false << 2;
        QTest::newRow("autosave onto a link") << true << 1;
    }

    void writesFollowSymbolicLinks()
    {
        QFETCH(bool, autosave);
        QFETCH(int, links);
        Session s;
        QVERIFY(s.start());
        s.finish(2);
        QDir home(s.fixture.home.path());
        QVERIFY(home.mkpath(QStringLiteral("elsewhere")));
        const QString target = home.filePath(QStringLiteral("elsewhere/protocol.txt"));
        writeFile(target, "old");
        const QFile::Permissions shared
            = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(target, shared));
        // The last link is the name written to; the first points at the target.
        QStringList chain{target};
        for (int i = 1; i < links; ++i)
            chain.prepend(home.filePath(QStringLiteral("hop%1.txt").arg(i)));
        chain.prepend(autosave ? s.fixture.autosavePath() : home.filePath(QStringLiteral("link.txt")));
        for (int i = chain.size() - 2; i >= 0; --i) {
            QFile::remove(chain[i]);
            if (!makeSymbolicLink(chain[i + 1], chain[i]))
                QSKIP("symbolic links cannot be made here");
        }

        if (autosave) {
            s.finish(1);
        } else {
            s.dialogs.answer = chain.first();
            s.dialogs.chosenIndex = 1;
            QTest::mouseClick(s.panel().saveButton(), Qt::LeftButton);
        }
        QVERIFY2(s.errors.isEmpty(), qPrintable(s.errors.join(QLatin1Char('\n'))));
        QVERIFY(!s.panel().autosaver().failed());
        for (int i = 0; i + 1 < chain.size(); ++i) {
            QVERIFY2(QFileInfo(chain[i]).isSymLink(), qPrintable(chain[i]));
            QCOMPARE(QFileInfo(chain[i]).symLinkTarget(), chain[i + 1]);
        }
        const QByteArray written = readFile(target);
        QVERIFY2(written.startsWith("Nr.\tStoppzeit\t") && written.contains("\r\n00002\t"),
                 written.constData());
#ifndef Q_OS_WIN // where files carry no group and other rights, only a read-only mark
        // The "user" permissions repeat the owner's or the others' for whoever asks.
        const QFile::Permissions asked = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        QCOMPARE(QFile::permissions(target) & ~asked, shared);
#endif
        QCOMPARE(QDir(home.filePath(QStringLiteral("elsewhere"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("protocol.txt")});
    }

    void refusingFolderIsNamedWithTheReason_data()
    {
        QTest::addColumn<bool>("autosave");
        QTest::newRow("save as") << false;
        QTest::newRow("autosave") << true;
    }

    void refusingFolderIsNamedWithTheReason()
    {
        QFETCH(bool, autosave);
        TIVANO_SKIP_UNLESS_ACCESS_CAN_BE_WITHHELD();
        Session s;
        QVERIFY(s.start());
        s.finish(2);
        const QString folder = s.sharedFolder();
        const QString name
            = QDir(folder).filePath(autosave ? QStringLiteral("Tivano.txt") : QStringLiteral("result.txt"));
        // The file itself may be written by anyone; the folder refuses new files.
        writeFile(name, "old");
        QFile::setPermissions(name,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup
                                  | QFile::ReadOther | QFile::WriteOther);
        if (autosave)
            s.panel().autosaver().setFolder(folder);
        {
            Withheld readOnly(folder, ReadAndLookIn);
            if (autosave) {
                s.finish(1);
            } else {
                s.dialogs.answer = name;
                s.dialogs.chosenIndex = 1;
                QTest::mouseClick(s.panel().saveButton(), Qt::LeftButton);
            }
        }
        const QString shown = autosave ? s.panel().autosaveWarningLabel()->text() : s.errors.value(0);
        QVERIFY2(shown.contains(QDir::toNativeSeparators(name)), qPrintable(shown));
        const QString reason = QStringLiteral("Der Ordner ") + QDir::toNativeSeparators(folder)
            + QStringLiteral(" ist nicht beschreibbar: ");
        QVERIFY2(shown.contains(reason), qPrintable(shown));
        QVERIFY2(!shown.endsWith(reason), qPrintable(shown));
        QCOMPARE(readFile(name), QByteArray("old"));
    }

    void unreadableFileIsReported_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a folder") << true;
        QTest::newRow("no permission to read") << false;
    }

    void unreadableFileIsReported()
    {
        QFETCH(bool, folder);
        Session s;
        QVERIFY(s.start());
        s.finish(3);
        QTest::keyClick(&s.window(), Qt::Key_F9);
        QList<QStringList> before;
        for (int r = 0; r < s.grid().rowCount(); ++r)
            before << s.row(r);
        const QString name = QDir(s.sharedFolder()).filePath(QStringLiteral("protocol.txt"));
        if (folder)
            QVERIFY(QDir().mkpath(name));
        else
            writeFile(name, ProtocolText::encode(otherProtocol()));

        s.dialogs.answer = name;
        s.dialogs.chosenIndex = 1;
        if (!folder)
            TIVANO_SKIP_UNLESS_ACCESS_CAN_BE_WITHHELD();
        {
            std::unique_ptr<Withheld> unreadable;
            if (!folder)
                unreadable = std::make_unique<Withheld>(name, QFile::Permissions());
            QTest::mouseClick(s.panel().openButton(), Qt::LeftButton);
        }
        QCOMPARE(s.errors.size(), 1);
        const QString prefix
            = QStringLiteral("Die Datei kann nicht gelesen werden: ") + QDir::toNativeSeparators(name) + QLatin1Char('\n');
        QVERIFY2(s.errors[0].startsWith(prefix) && s.errors[0].size() > prefix.size(),
                 qPrintable(s.errors[0]));
        QCOMPARE(s.grid().rowCount(), 4);
        QCOMPARE(s.panel().lastResultRow(), 3);
        for (int r = 0; r < before.size(); ++r)
            QCOMPARE(s.row(r), before[r]);
    }

    void unreadableAutosaveIsKeptAside_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("no permission to read") << false;
    }

    // An autosave that cannot be read is reported at start-up and moved aside, so that the
    // next autosave does not replace the earlier race.
    void unreadableAutosaveIsKeptAside()
    {
        QFETCH(bool, folder);
        Session s;
        const QString name = s.fixture.autosavePath();
        const QByteArray earlier = ProtocolText::encode(otherProtocol());
        if (folder)
            QVERIFY(QDir().mkpath(name));
        else
            writeFile(name, earlier);
        MessageBoxWatcher boxes;
        if (!folder)
            TIVANO_SKIP_UNLESS_ACCESS_CAN_BE_WITHHELD();
        {
            std::unique_ptr<Withheld> unreadable;
            if (!folder) {
                QFile::setPermissions(s.fixture.home.path(), QFile::Permissions(0x7777));
                unreadable = std::make_unique<Withheld>(name, QFile::Permissions());
            }
            QVERIFY(s.start());
        }
        QCOMPARE(boxes.texts().size(), 1);
        const QString text = boxes.texts().first();
        const QString aside = name + QStringLiteral(".unlesbar");
        QVERIFY2(text.startsWith(QStringLiteral("Die Datei kann nicht gelesen werden: ")
                                 + QDir::toNativeSeparators(name)),
                 qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("Sie bleibt erhalten als: ") + aside), qPrintable(text));
        QCOMPARE(s.grid().rowCount(), 2);
        QCOMPARE(s.panel().lastResultRow(), 0);

        s.finish(1);
        QVERIFY2(readFile(name).contains("00001"), readFile(name).constData());
        if (folder)
            QVERIFY(QFileInfo(aside).isDir());
        else
            QCOMPARE(readFile(aside), earlier);
    }
};

TIVANO_TEST_MAIN_SERVING(TestProtocolIntegrity, SpreadsheetBridge::workbookParseTask())
#include "tst_protocolintegrity.moc"
