// The Windows shell behind the protocol commands: whether the registry names an
// application for workbooks, and the open action's failure coming back to the window.
#include "protocol/DesktopShell.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <windows.h>

namespace {

const QString WorkbookType
    = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
const wchar_t *const TestClass = L"Tivano.TestWorkbook";

bool keyExists(const wchar_t *key)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

bool setDefault(const std::wstring &key, const std::wstring &value)
{
    return ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                             DWORD((value.size() + 1) * sizeof(wchar_t)))
        == ERROR_SUCCESS;
}

// The shell's answer, which arrives later on the interface thread.
std::optional<bool> askForApplication(DesktopShell &shell)
{
    std::optional<bool> found;
    shell.findApplication(WorkbookType, [&found](bool answer) { found = answer; });
    if (!QTest::qWaitFor([&] { return found.has_value(); }, 10000))
        return std::nullopt;
    return found;
}

} // namespace

class TestDesktopShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, TestClass);
        if (m_registeredExtension)
            ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".xlsx");
        m_registeredExtension = false;
    }

    void workbookApplicationIsFoundInTheRegistry()
    {
        if (keyExists(L".xlsx"))
            QSKIP("an application for workbooks is registered here already");
        DesktopShell shell;
        QCOMPARE(askForApplication(shell), std::optional<bool>(false));

        if (!setDefault(L".xlsx", TestClass))
            QSKIP("no file type can be registered without administrator rights");
        m_registeredExtension = true;
        QVERIFY(setDefault(std::wstring(TestClass) + L"\\shell\\open\\command", L"notepad.exe \"%1\""));
        QCOMPARE(askForApplication(shell), std::optional<bool>(true));
    }

    void failedOpenIsReportedWithTheSystemsReason()
    {
        QTemporaryDir dir;
        DesktopShell shell;
        QString reason;
        bool failed = false;
        shell.openDocumentOrReport(dir.filePath(QStringLiteral("fehlt.xlsx")), [&](const QString &why) {
            failed = true;
            reason = why;
        });
        QTRY_VERIFY_WITH_TIMEOUT(failed, 10000);
        QVERIFY(!reason.isEmpty());
    }

    void answersForAShellThatIsGoneAreDropped()
    {
        bool answered = false;
        {
            DesktopShell shell;
            shell.findApplication(WorkbookType, [&answered](bool) { answered = true; });
        }
        QTest::qWait(500);
        QVERIFY(!answered);
    }

private:
    bool m_registeredExtension = false;
};

QTEST_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
