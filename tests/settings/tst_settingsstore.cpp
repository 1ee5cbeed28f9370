#include "platform/FileTypeNames.h"
#include "settings/QtSettingsKey.h"
#include "settings/SettingsStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A key that records every access and can fail a chosen write.
class RecordingKey final : public SettingsKey
{
public:
    QVariantMap values;
    mutable QStringList reads;
    QStringList writes;
    QString failWriteAt;

    std::optional<qint32> readInteger(const QString &name) const override
    {
        reads << name;
        const QVariant v = values.value(name);
        if (v.typeId() != QMetaType::Int)
            return std::nullopt;
        return v.toInt();
    }
    std::optional<bool> readBool(const QString &name) const override
    {
        reads << name;
        const QVariant v = values.value(name);
        if (v.typeId() != QMetaType::Bool)
            return std::nullopt;
        return v.toBool();
    }
    std::optional<QString> readString(const QString &) const override { return std::nullopt; }
    bool writeInteger(const QString &name, qint32 value) override
    {
        if (name == failWriteAt)
            return false;
        writes << name;
        values[name] = value;
        return true;
    }
    bool writeBool(const QString &name, bool value) override
    {
        if (name == failWriteAt)
            return false;
        writes << name;
        values[name] = value;
        return true;
    }
    bool close() override { return true; }
};

const QStringList AllNames = {"Port", "Alg", "Left", "Top", "Width",     "Height", "Sound",    "C1",
                              "C2",   "C3",  "Acc",  "C4",  "FilterInd", "Wait",   "ButtonLap"};

// A complete store whose every value differs from the default.
QVariantMap fullStore()
{
    return {{"Port", 3},     {"Alg", 1},       {"Left", 10},     {"Top", 20},      {"Width", 900},
            {"Height", 500}, {"Sound", 0},     {"C1", 0x112233}, {"C2", 0x445566}, {"C3", 0x778899},
            {"Acc", 1},      {"C4", 0xAABBCC}, {"FilterInd", 3}, {"Wait", 1500},   {"ButtonLap", 2}};
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_file = 0;

    QString newStorePath() { return m_dir.filePath(QStringLiteral("store%1.conf").arg(++m_file)); }

    // Writes `values` as a program of another run would have left them.
    QString seed(const QVariantMap &values)
    {
        const QString path = newStorePath();
        QSettings raw(path, QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it)
            raw.setValue(it.key(), it.value());
        raw.sync();
        return path;
    }

private Q_SLOTS:
    void emptyStoreGivesDefaults()
    {
        const QString path = newStorePath();
        QVERIFY(!QtSettingsKey::open(SettingsLocation::file(path), false));
        Settings loaded;
        loaded.lockoutMs = 777; // a missing store leaves what was there
        QCOMPARE(loadSettings(loaded, SettingsLocation::file(path)), 0);
        QCOMPARE(loaded.lockoutMs, 777);

        const Settings s;
        QCOMPARE(s.port, 0);
        QCOMPARE(s.backgroundColor, ColorValue(0x000000));
        QCOMPARE(s.runningColor, ColorValue(0x00FFFF));
        QCOMPARE(s.dimColor, ColorValue(0x404040));
        QCOMPARE(s.finishColor, ColorValue(0x00FF00));
        QCOMPARE(s.precision, 2);
        QCOMPARE(s.lockoutMs, 200);
        QCOMPARE(s.finishCaption(), QStringLiteral("ZIEL"));
        QCOMPARE(s.width, 822);
        QCOMPARE(s.height, 434);
        QVERIFY(!s.left.has_value());
        QVERIFY(s.sound);
        QCOMPARE(s.saveTypeIndex, 2);
    }

    void readFromStore_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("readCount");
        QTest::addColumn<QVariantMap>("expected");

        QVariantMap noSound = fullStore();
        noSound.remove("Sound");
        QTest::newRow("every value but Sound")
            << noSound << 6
            << QVariantMap{{"Port", 3},      {"Alg", 1},       {"Left", 10},    {"Top", 20},
                           {"Width", 900},   {"Height", 500},  {"Sound", true}, {"C1", 0x000000},
                           {"C2", 0x00FFFF}, {"C3", 0x404040}, {"Acc", 2},      {"C4", 0x00FF00},
                           {"FilterInd", 2}, {"Wait", 200},    {"ButtonLap", 0}};

        QVariantMap port258 = fullStore();
        port258["Port"] = 258;
        QTest::newRow("Port 258 keeps the low byte") << port258 << 15 << QVariantMap{{"Port", 2}};

        QVariantMap lap4 = fullStore();
        lap4["ButtonLap"] = 4;
        QTest::newRow("ButtonLap 4") << lap4 << 15 << QVariantMap{{"ButtonLap", 4}, {"Caption", ""}};

        QVariantMap lap9 = fullStore();
        lap9["ButtonLap"] = 9;
        QTest::newRow("ButtonLap 9 falls back")
            << lap9 << 15 << QVariantMap{{"ButtonLap", 0}, {"Caption", "ZIEL"}};

        QVariantMap lapNegative = fullStore();
        lapNegative["ButtonLap"] = -1;
        QTest::newRow("ButtonLap -1 falls back") << lapNegative << 15 << QVariantMap{{"ButtonLap", 0}};

        QVariantMap accNegative = fullStore();
        accNegative["Acc"] = -1;
        QTest::newRow("Acc -1 falls back, later values still read")
            << accNegative << 15 << QVariantMap{{"Acc", 2}, {"C4", 0xAABBCC}, {"Wait", 1500}};

        QVariantMap acc3 = fullStore();
        acc3["Acc"] = 3;
        QTest::newRow("Acc 3 falls back") << acc3 << 15 << QVariantMap{{"Acc", 2}};

        QVariantMap acc0 = fullStore();
        acc0["Acc"] = 0;
        QTest::newRow("Acc 0 kept") << acc0 << 15 << QVariantMap{{"Acc", 0}};

        QVariantMap alg2 = fullStore();
        alg2["Alg"] = 2;
        QTest::newRow("Alg 2 unchanged") << alg2 << 15 << QVariantMap{{"Alg", 2}};

        QVariantMap mistypedAlg = fullStore();
        mistypedAlg["Alg"] = "Ein";
        QTest::newRow("mistyped Alg stops reading")
            << mistypedAlg << 1
            << QVariantMap{{"Port", 3}, {"Alg", 0}, {"Width", 822}, {"Sound", true}, {"C2", 0x00FFFF}};

        QVariantMap fractional = fullStore();
        fractional["Wait"] = "1.5";
        QTest::newRow("fractional Wait is mistyped")
            << fractional << 13 << QVariantMap{{"FilterInd", 3}, {"Wait", 200}, {"ButtonLap", 0}};

        QVariantMap tooWide = fullStore();
        tooWide["C2"] = QStringLiteral("4294967296");
        QTest::newRow("value wider than 32 bits is mistyped")
            << tooWide << 8 << QVariantMap{{"C1", 0x112233}, {"C2", 0x00FFFF}};

        QVariantMap systemColour = fullStore();
        systemColour["C1"] = QStringLiteral("4278190095"); // $FF00000F
        QTest::newRow("unsigned colour") << systemColour << 15 << QVariantMap{{"C1", 0xFF00000FU}};

        QVariantMap soundText = fullStore();
        soundText["Sound"] = "maybe";
        QTest::newRow("mistyped Sound stops reading")
            << soundText << 6 << QVariantMap{{"Height", 500}, {"Sound", true}, {"C1", 0x000000}};

        QVariantMap missingTop = fullStore();
        missingTop.remove("Top");
        QTest::newRow("missing Top") << missingTop << 3
                                     << QVariantMap{{"Left", 10}, {"Top", QVariant()}, {"Width", 822}};
    }

    void readFromStore()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(int, readCount);
        QFETCH(QVariantMap, expected);

        auto key = QtSettingsKey::open(SettingsLocation::file(seed(stored)), false);
        QVERIFY(key);
        Settings s;
        QCOMPARE(readSettings(*key, s), readCount);

        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QString name = it.key();
            const QVariant want = it.value();
            if (name == "Port")
                QCOMPARE(s.port, want.toInt());
            else if (name == "Alg")
                QCOMPARE(s.polarity, want.toInt());
            else if (name == "Left")
                QCOMPARE(s.left.value_or(-99999), want.toInt());
            else if (name == "Top")
                QCOMPARE(s.top.has_value() ? QVariant(*s.top) : QVariant(), want);
            else if (name == "Width")
                QCOMPARE(s.width, want.toInt());
            else if (name == "Height")
                QCOMPARE(s.height, want.toInt());
            else if (name == "Sound")
                QCOMPARE(s.sound, want.toBool());
            else if (name == "C1")
                QCOMPARE(s.backgroundColor, ColorValue(want.toUInt()));
            else if (name == "C2")
                QCOMPARE(s.runningColor, ColorValue(want.toUInt()));
            else if (name == "C3")
                QCOMPARE(s.dimColor, ColorValue(want.toUInt()));
            else if (name == "C4")
                QCOMPARE(s.finishColor, ColorValue(want.toUInt()));
            else if (name == "Acc")
                QCOMPARE(s.precision, want.toInt());
            else if (name == "FilterInd")
                QCOMPARE(s.saveTypeIndex, want.toInt());
            else if (name == "Wait")
                QCOMPARE(s.lockoutMs, want.toInt());
            else if (name == "ButtonLap")
                QCOMPARE(s.finishCaptionIndex, want.toInt());
            else if (name == "Caption")
                QCOMPARE(s.finishCaption(), want.toString());
            else
                QFAIL(qPrintable("unknown field " + name));
        }
    }

    void readStopsAtFirstMissingValue()
    {
        RecordingKey key;
        key.values = {{"Port", 1},     {"Alg", 0},       {"Left", 1}, {"Top", 2}, {"Width", 900},
                      {"Height", 450}, {"Sound", false}, {"C1", 5},   {"C3", 7},  {"Acc", 1}};
        Settings s;
        QCOMPARE(readSettings(key, s), 8);
        QCOMPARE(key.reads, AllNames.mid(0, 9)); // nothing is asked after "C2"
        QCOMPARE(s.backgroundColor, ColorValue(5));
        QCOMPARE(s.dimColor, ColorValue(0x404040));
        QCOMPARE(s.precision, 2);
        QVERIFY(!s.sound);
    }

    void writeOrderAndStop()
    {
        RecordingKey key;
        Settings s;
        s.left = 5;
        s.top = 6;
        QVERIFY(writeSettings(key, s));
        QCOMPARE(key.writes,
                 (QStringList{"Left", "Top", "Width", "Height", "Sound", "Port", "Alg", "C1", "C2", "C3",
                              "Acc", "C4", "FilterInd", "Wait", "ButtonLap"}));
        QCOMPARE(key.values.value("Sound").toBool(), true);

        RecordingKey failing;
        failing.failWriteAt = "Acc";
        QVERIFY(!writeSettings(failing, s));
        QCOMPARE(failing.writes.size(), 10);
        QVERIFY(!failing.values.contains("C4"));
        QVERIFY(!failing.values.contains("ButtonLap"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<bool>("defaults");
        QTest::newRow("unchanged defaults") << true;
        QTest::newRow("every value changed") << false;
    }

    void roundTrip()
    {
        QFETCH(bool, defaults);
        Settings written;
        written.left = 0;
        written.top = 0;
        if (!defaults) {
            written = {7,        -1,       12, -34,      1000, 600,   false, 0xFF00000F,
                       0x123456, 0x654321, 0,  0x00FF00, 3,    10000, 4};
        }
        const QString path = newStorePath();
        QVERIFY(saveSettings(written, SettingsLocation::file(path)));
        Settings read;
        QCOMPARE(loadSettings(read, SettingsLocation::file(path)), 15);
        QCOMPARE(read, written);
        auto key = QtSettingsKey::open(SettingsLocation::file(path), false);
        QVERIFY(key);
        // The boolean is kept as a number, as the registry keeps it.
        QCOMPARE(key->settings().value("Sound").toString(), written.sound ? QString("1") : QString("0"));
    }

    void writeToUnwritableStoreFails()
    {
        // A store below a plain file can never be created, whatever the rights.
        const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!saveSettings(Settings{}, SettingsLocation::file(blocker + "/store.conf")));
    }

    void userStoreIsNamedAfterTheExecutable()
    {
#ifdef Q_OS_WIN
        QSKIP("the store is the registry here: tst_registrysettings");
#endif
        const QString root = m_dir.filePath(QStringLiteral("config"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root);
        QVERIFY(!QtSettingsKey::open(SettingsLocation::userStore(), false)); // nothing stored yet
        {
            auto key = QtSettingsKey::open(SettingsLocation::userStore(), true);
            QVERIFY(key);
            Settings s;
            s.port = 4;
            QVERIFY(writeSettings(*key, s));
            QVERIFY(key->close());
        }
        QCOMPARE(executableBaseName(), QStringLiteral("tst_settingsstore"));
        QVERIFY(QFile::exists(root + QStringLiteral("/tst_settingsstore/tst_settingsstore.conf")));
        auto key = QtSettingsKey::open(SettingsLocation::userStore(), false);
        QVERIFY(key);
        Settings read;
        QCOMPARE(readSettings(*key, read), 15);
        QCOMPARE(read.port, 4);
    }

    void fileTypeNames_data()
    {
        QTest::addColumn<QStringList>("answers"); // "-" = the class is unknown
        QTest::addColumn<QStringList>("expected"); // Html, Text, Excel, Ods
        QTest::newRow("all known") << QStringList{
            "HTML-Dokument", "Textdokument", "Arbeitsmappe",
            "ODS-Tabelle"} << QStringList{"HTML-Dokument", "Textdokument", "Arbeitsmappe", "ODS-Tabelle"};
        QTest::newRow("none known") << QStringList{
            "-", "-", "-", "-"} << QStringList{"Webseite", "Textdatei", "MS Excel", "OpenDocument-Tabelle"};
        QTest::newRow("text unknown ends the asking")
            << QStringList{"HTML-Dokument", "-", "Arbeitsmappe", "ODS-Tabelle"}
            << QStringList{"HTML-Dokument", "Textdatei", "MS Excel", "OpenDocument-Tabelle"};
        QTest::newRow("empty description") << QStringList{"", "Text", "-", "ODS-Tabelle"}
                                           << QStringList{"", "Text", "MS Excel", "OpenDocument-Tabelle"};
        QTest::newRow("ods unknown") << QStringList{"HTML", "Text", "Excel", "-"}
                                     << QStringList{"HTML", "Text", "Excel", "OpenDocument-Tabelle"};
    }

    void fileTypeNames()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, expected);
        QStringList asked;
        const FileTypeNames names
            = loadFileTypeNames([&](const QString &fileClass) -> std::optional<QString> {
                  asked << fileClass;
                  const QString answer = answers.at(asked.size() - 1);
                  if (answer == "-")
                      return std::nullopt;
                  return answer;
              });
        QCOMPARE((QStringList{names.html, names.text, names.excel, names.ods}), expected);
        const qsizetype firstUnknown = answers.indexOf("-");
        QCOMPARE(asked,
                 (QStringList{"htmlfile", "txtfile", "MS Excel", "odsfile"}.mid(
                     0, firstUnknown < 0 ? 4 : firstUnknown + 1)));
    }

    void desktopDescriptionsAnswerEveryClass()
    {
        for (const char *fileClass : {"htmlfile", "txtfile", "MS Excel", "odsfile"}) {
            const std::optional<QString> description = desktopFileTypeDescription(QLatin1String(fileClass));
            QVERIFY2(description && !description->isEmpty(), fileClass);
        }
        QVERIFY(!desktopFileTypeDescription(QStringLiteral("dllfile")));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
