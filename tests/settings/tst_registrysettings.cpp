// The Windows settings store and file-type names in the real registry: the fifteen values
// as DWORDs directly under HKEY_CURRENT_USER\Software\<executable name>, a value of
// another type ending the reading, and the file classes' descriptions.
#include "platform/FileTypeNames.h"
#include "settings/SettingsStore.h"

#include <QTest>

#include <cstring>
#include <optional>
#include <windows.h>

namespace {

const QString StoreKey = QStringLiteral("Software\\tst_registrysettings");
const QString ClassKey = QStringLiteral("Tivano.TestClass");

std::wstring wide(const QString &text)
{
    return text.toStdWString();
}

struct RegistryValue
{
    DWORD type = REG_NONE;
    QByteArray data;
};

std::optional<RegistryValue> readValue(const QString &key, const QString &name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, wide(key).c_str(), wide(name).c_str(), RRF_RT_ANY, &type, nullptr,
                       &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value{type, QByteArray(int(size), '\0')};
    if (::RegGetValueW(HKEY_CURRENT_USER, wide(key).c_str(), wide(name).c_str(), RRF_RT_ANY, &type,
                       value.data.data(), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

LONG writeValue(HKEY root, const QString &key, const QString &name, DWORD type, const QByteArray &data)
{
    return ::RegSetKeyValueW(root, wide(key).c_str(), name.isEmpty() ? nullptr : wide(name).c_str(), type,
                             data.constData(), DWORD(data.size()));
}

QByteArray wideText(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), (text.size() + 1) * 2);
}

} // namespace

class TestRegistrySettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { ::RegDeleteTreeW(HKEY_CURRENT_USER, wide(StoreKey).c_str()); }
    void cleanup()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, wide(StoreKey).c_str());
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, wide(ClassKey).c_str());
    }

    void everyValueIsADwordOfTheExecutablesKey()
    {
        Settings written;
        written.port = 3;
        written.polarity = -1;
        written.left = -20;
        written.top = 40;
        written.width = 900;
        written.height = 500;
        written.sound = false;
        written.backgroundColor = 0x00102030;
        written.runningColor = 0xFF00000F; // a system colour: the top byte set
        written.dimColor = 0x00404040;
        written.precision = 1;
        written.finishColor = 0x0000FF00;
        written.saveTypeIndex = 3;
        written.lockoutMs = 1500;
        written.finishCaptionIndex = 4;
        QVERIFY(saveSettings(written));

        for (const char *name : SettingsWriteOrder) {
            const std::optional<RegistryValue> value = readValue(StoreKey, QLatin1String(name));
            QVERIFY2(value, name);
            QCOMPARE(value->type, DWORD(REG_DWORD));
            QCOMPARE(value->data.size(), 4);
        }
        quint32 colour = 0;
        std::memcpy(&colour, readValue(StoreKey, QStringLiteral("C2"))->data.constData(), 4);
        QCOMPARE(colour, 0xFF00000Fu);
        qint32 left = 0;
        std::memcpy(&left, readValue(StoreKey, QStringLiteral("Left"))->data.constData(), 4);
        QCOMPARE(left, -20);
        // No key of the same name one level deeper.
        QVERIFY(!readValue(StoreKey + QStringLiteral("\\tst_registrysettings"), QStringLiteral("Port")));

        Settings read;
        QCOMPARE(loadSettings(read), 15);
        QCOMPARE(read, written);
    }

    void aValueOfAnotherTypeEndsTheReading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("valuesRead");
        QTest::newRow("Alg as text") << "Alg" << int(REG_SZ) << wideText(QStringLiteral("1")) << 1;
        QTest::newRow("Sound as text") << "Sound" << int(REG_SZ) << wideText(QStringLiteral("true")) << 6;
        QTest::newRow("Acc as bytes") << "Acc" << int(REG_BINARY) << QByteArray("\x01\x00\x00\x00", 4) << 10;
        QTest::newRow("Wait as a QWORD")
            << "Wait" << int(REG_QWORD) << QByteArray("\xe8\x03\x00\x00\x00\x00\x00\x00", 8) << 13;
    }

    void aValueOfAnotherTypeEndsTheReading()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        QFETCH(int, valuesRead);
        Settings stored;
        stored.port = 2;
        stored.polarity = 1;
        stored.precision = 0;
        QVERIFY(saveSettings(stored));
        QCOMPARE(writeValue(HKEY_CURRENT_USER, StoreKey, name, DWORD(type), data), LONG(ERROR_SUCCESS));

        Settings read;
        QCOMPARE(loadSettings(read), valuesRead);
        QCOMPARE(read.port, 2);
        QCOMPARE(read.polarity, valuesRead > 1 ? 1 : 0);
    }

    void aMissingKeyLeavesTheDefaults()
    {
        Settings read;
        QCOMPARE(loadSettings(read), 0);
        QCOMPARE(read, Settings{});
    }

    void fileClassDescriptions_data()
    {
        QTest::addColumn<bool>("keyExists");
        QTest::addColumn<QByteArray>("defaultValue"); // empty: the key has none
        QTest::addColumn<QString>("expected"); // "-": no answer
        QTest::newRow("described") << true << wideText(QStringLiteral("Textdokument")) << "Textdokument";
        QTest::newRow("without a description") << true << QByteArray() << "";
        QTest::newRow("unknown class") << false << QByteArray() << "-";
    }

    void fileClassDescriptions()
    {
        QFETCH(bool, keyExists);
        QFETCH(QByteArray, defaultValue);
        QFETCH(QString, expected);
        // A class of the test's own, under the classes root itself (the user's own classes
        // show there on Windows, not under Wine).
        if (keyExists
            && writeValue(HKEY_CLASSES_ROOT, ClassKey, QStringLiteral("Marker"), REG_DWORD,
                          QByteArray(4, '\0'))
                != ERROR_SUCCESS)
            QSKIP("no file class can be registered without administrator rights");
        if (!defaultValue.isEmpty())
            QCOMPARE(writeValue(HKEY_CLASSES_ROOT, ClassKey, QString(), REG_SZ, defaultValue),
                     LONG(ERROR_SUCCESS));
        const std::optional<QString> description
            = desktopFileTypeDescription(QStringLiteral("Tivano.TestClass"));
        QCOMPARE(description.value_or(QStringLiteral("-")), expected);
    }

    void unregisteredKnownClassesKeepTheirFallback()
    {
        // "MS Excel" is a class of the spreadsheet application; without it the name stays.
        HKEY excel = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"MS Excel", 0, KEY_READ, &excel) == ERROR_SUCCESS) {
            ::RegCloseKey(excel);
            QSKIP("a spreadsheet application registered \"MS Excel\" here");
        }
        QCOMPARE(desktopFileTypeDescription(QStringLiteral("MS Excel")), std::optional<QString>("MS Excel"));
        const FileTypeNames names = loadFileTypeNames();
        QCOMPARE(names.excel, QStringLiteral("MS Excel"));
        QVERIFY(!names.text.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRegistrySettings)
#include "tst_registrysettings.moc"
