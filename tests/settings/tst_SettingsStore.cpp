#include "FileTypeNames.h"
#include "QtSettingsKey.h"
#include "SettingsStore.h"

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

    std::optional<qint32> ReadInteger(const QString &name) const override
    {
        reads << name;
        const QVariant v = values.value(name);
        if (v.typeId() != QMetaType::Int)
            return std::nullopt;
        return v.toInt();
    }
    std::optional<bool> ReadBool(const QString &name) const override
    {
        reads << name;
        const QVariant v = values.value(name);
        if (v.typeId() != QMetaType::Bool)
            return std::nullopt;
        return v.toBool();
    }
    std::optional<QString> ReadString(const QString &) const override { return std::nullopt; }
    bool WriteInteger(const QString &name, qint32 value) override
    {
        if (name == failWriteAt)
            return false;
        writes << name;
        values[name] = value;
        return true;
    }
    bool WriteBool(const QString &name, bool value) override
    {
        if (name == failWriteAt)
            return false;
        writes << name;
        values[name] = value;
        return true;
    }
    bool Close() override { return true; }
};

const QStringList AllNames = {"Port", "Alg", "Left", "Top", "Width", "Height", "Sound", "C1",
                              "C2", "C3", "Acc", "C4", "FilterInd", "Wait", "ButtonLap"};

// A complete store whose every value differs from the default.
QVariantMap FullStore()
{
    return {{"Port", 3},      {"Alg", 1},        {"Left", 10},   {"Top", 20},
            {"Width", 900},   {"Height", 500},   {"Sound", 0},   {"C1", 0x112233},
            {"C2", 0x445566}, {"C3", 0x778899},  {"Acc", 1},     {"C4", 0xAABBCC},
            {"FilterInd", 3}, {"Wait", 1500},    {"ButtonLap", 2}};
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_file = 0;

    QString NewStorePath() { return m_dir.filePath(QStringLiteral("store%1.conf").arg(++m_file)); }

    // Writes `values` as a program of another run would have left them.
    QString Seed(const QVariantMap &values)
    {
        const QString path = NewStorePath();
        QSettings raw(path, QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it)
            raw.setValue(it.key(), it.value());
        raw.sync();
        return path;
    }

private Q_SLOTS:
    void emptyStoreGivesDefaults()
    {
        const QString path = NewStorePath();
        QVERIFY(!QtSettingsKey::Open(SettingsLocation::File(path), false));
        TivanoSettings loaded;
        loaded.Wait = 777; // a missing store leaves what was there
        QCOMPARE(LoadSettings(loaded, SettingsLocation::File(path)), 0);
        QCOMPARE(loaded.Wait, 777);

        const TivanoSettings s;
        QCOMPARE(s.Port, 0);
        QCOMPARE(s.C1, TColor(0x000000));
        QCOMPARE(s.C2, TColor(0x00FFFF));
        QCOMPARE(s.C3, TColor(0x404040));
        QCOMPARE(s.C4, TColor(0x00FF00));
        QCOMPARE(s.Acc, 2);
        QCOMPARE(s.Wait, 200);
        QCOMPARE(s.FinishCaption(), QStringLiteral("ZIEL"));
        QCOMPARE(s.Width, 822);
        QCOMPARE(s.Height, 434);
        QVERIFY(!s.Left.has_value());
        QVERIFY(s.Sound);
        QCOMPARE(s.FilterInd, 2);
    }

    void readFromStore_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("readCount");
        QTest::addColumn<QVariantMap>("expected");

        QVariantMap noSound = FullStore();
        noSound.remove("Sound");
        QTest::newRow("every value but Sound")
            << noSound << 6
            << QVariantMap{{"Port", 3}, {"Alg", 1}, {"Left", 10}, {"Top", 20}, {"Width", 900},
                           {"Height", 500}, {"Sound", true}, {"C1", 0x000000}, {"C2", 0x00FFFF},
                           {"C3", 0x404040}, {"Acc", 2}, {"C4", 0x00FF00}, {"FilterInd", 2},
                           {"Wait", 200}, {"ButtonLap", 0}};

        QVariantMap port258 = FullStore();
        port258["Port"] = 258;
        QTest::newRow("Port 258 keeps the low byte") << port258 << 15 << QVariantMap{{"Port", 2}};

        QVariantMap lap4 = FullStore();
        lap4["ButtonLap"] = 4;
        QTest::newRow("ButtonLap 4") << lap4 << 15 << QVariantMap{{"ButtonLap", 4}, {"Caption", ""}};

        QVariantMap lap9 = FullStore();
        lap9["ButtonLap"] = 9;
        QTest::newRow("ButtonLap 9 falls back") << lap9 << 15
                                                << QVariantMap{{"ButtonLap", 0}, {"Caption", "ZIEL"}};

        QVariantMap lapNegative = FullStore();
        lapNegative["ButtonLap"] = -1;
        QTest::newRow("ButtonLap -1 falls back") << lapNegative << 15 << QVariantMap{{"ButtonLap", 0}};

        QVariantMap accNegative = FullStore();
        accNegative["Acc"] = -1;
        QTest::newRow("Acc -1 falls back, later values still read")
            << accNegative << 15 << QVariantMap{{"Acc", 2}, {"C4", 0xAABBCC}, {"Wait", 1500}};

        QVariantMap acc3 = FullStore();
        acc3["Acc"] = 3;
        QTest::newRow("Acc 3 falls back") << acc3 << 15 << QVariantMap{{"Acc", 2}};

        QVariantMap acc0 = FullStore();
        acc0["Acc"] = 0;
        QTest::newRow("Acc 0 kept") << acc0 << 15 << QVariantMap{{"Acc", 0}};

        QVariantMap alg2 = FullStore();
        alg2["Alg"] = 2;
        QTest::newRow("Alg 2 unchanged") << alg2 << 15 << QVariantMap{{"Alg", 2}};

        QVariantMap mistypedAlg = FullStore();
        mistypedAlg["Alg"] = "Ein";
        QTest::newRow("mistyped Alg stops reading")
            << mistypedAlg << 1
            << QVariantMap{{"Port", 3}, {"Alg", 0}, {"Width", 822}, {"Sound", true}, {"C2", 0x00FFFF}};

        QVariantMap fractional = FullStore();
        fractional["Wait"] = "1.5";
        QTest::newRow("fractional Wait is mistyped")
            << fractional << 13 << QVariantMap{{"FilterInd", 3}, {"Wait", 200}, {"ButtonLap", 0}};

        QVariantMap tooWide = FullStore();
        tooWide["C2"] = QStringLiteral("4294967296");
        QTest::newRow("value wider than 32 bits is mistyped")
            << tooWide << 8 << QVariantMap{{"C1", 0x112233}, {"C2", 0x00FFFF}};

        QVariantMap systemColour = FullStore();
        systemColour["C1"] = QStringLiteral("4278190095"); // $FF00000F
        QTest::newRow("unsigned colour") << systemColour << 15 << QVariantMap{{"C1", 0xFF00000FU}};

        QVariantMap soundText = FullStore();
        soundText["Sound"] = "maybe";
        QTest::newRow("mistyped Sound stops reading")
            << soundText << 6 << QVariantMap{{"Height", 500}, {"Sound", true}, {"C1", 0x000000}};

        QVariantMap missingTop = FullStore();
        missingTop.remove("Top");
        QTest::newRow("missing Top") << missingTop << 3
                                     << QVariantMap{{"Left", 10}, {"Top", QVariant()}, {"Width", 822}};
    }

    void readFromStore()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(int, readCount);
        QFETCH(QVariantMap, expected);

        auto key = QtSettingsKey::Open(SettingsLocation::File(Seed(stored)), false);
        QVERIFY(key);
        TivanoSettings s;
        QCOMPARE(ReadSettings(*key, s), readCount);

        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QString name = it.key();
            const QVariant want = it.value();
            if (name == "Port") QCOMPARE(s.Port, want.toInt());
            else if (name == "Alg") QCOMPARE(s.Alg, want.toInt());
            else if (name == "Left") QCOMPARE(s.Left.value_or(-99999), want.toInt());
            else if (name == "Top") QCOMPARE(s.Top.has_value() ? QVariant(*s.Top) : QVariant(), want);
            else if (name == "Width") QCOMPARE(s.Width, want.toInt());
            else if (name == "Height") QCOMPARE(s.Height, want.toInt());
            else if (name == "Sound") QCOMPARE(s.Sound, want.toBool());
            else if (name == "C1") QCOMPARE(s.C1, TColor(want.toUInt()));
            else if (name == "C2") QCOMPARE(s.C2, TColor(want.toUInt()));
            else if (name == "C3") QCOMPARE(s.C3, TColor(want.toUInt()));
            else if (name == "C4") QCOMPARE(s.C4, TColor(want.toUInt()));
            else if (name == "Acc") QCOMPARE(s.Acc, want.toInt());
            else if (name == "FilterInd") QCOMPARE(s.FilterInd, want.toInt());
            else if (name == "Wait") QCOMPARE(s.Wait, want.toInt());
            else if (name == "ButtonLap") QCOMPARE(s.ButtonLap, want.toInt());
            else if (name == "Caption") QCOMPARE(s.FinishCaption(), want.toString());
            else QFAIL(qPrintable("unknown field " + name));
        }
    }

    void readStopsAtFirstMissingValue()
    {
        RecordingKey key;
        key.values = {{"Port", 1}, {"Alg", 0}, {"Left", 1}, {"Top", 2}, {"Width", 900},
                      {"Height", 450}, {"Sound", false}, {"C1", 5}, {"C3", 7}, {"Acc", 1}};
        TivanoSettings s;
        QCOMPARE(ReadSettings(key, s), 8);
        QCOMPARE(key.reads, AllNames.mid(0, 9)); // nothing is asked after "C2"
        QCOMPARE(s.C1, TColor(5));
        QCOMPARE(s.C3, TColor(0x404040));
        QCOMPARE(s.Acc, 2);
        QVERIFY(!s.Sound);
    }

    void writeOrderAndStop()
    {
        RecordingKey key;
        TivanoSettings s;
        s.Left = 5;
        s.Top = 6;
        QVERIFY(WriteSettings(key, s));
        QCOMPARE(key.writes, (QStringList{"Left", "Top", "Width", "Height", "Sound", "Port", "Alg",
                                          "C1", "C2", "C3", "Acc", "C4", "FilterInd", "Wait",
                                          "ButtonLap"}));
        QCOMPARE(key.values.value("Sound").toBool(), true);

        RecordingKey failing;
        failing.failWriteAt = "Acc";
        QVERIFY(!WriteSettings(failing, s));
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
        TivanoSettings written;
        written.Left = 0;
        written.Top = 0;
        if (!defaults) {
            written = {7, -1, 12, -34, 1000, 600, false, 0xFF00000F, 0x123456, 0x654321,
                       0, 0x00FF00, 3, 10000, 4};
        }
        const QString path = NewStorePath();
        QVERIFY(SaveSettings(written, SettingsLocation::File(path)));
        TivanoSettings read;
        QCOMPARE(LoadSettings(read, SettingsLocation::File(path)), 15);
        QCOMPARE(read, written);
        auto key = QtSettingsKey::Open(SettingsLocation::File(path), false);
        QVERIFY(key);
        // The boolean is kept as a number, as the registry keeps it.
        QCOMPARE(key->Settings().value("Sound").toString(), written.Sound ? QString("1") : QString("0"));
    }

    void writeToUnwritableStoreFails()
    {
        // A store below a plain file can never be created, whatever the rights.
        const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!SaveSettings(TivanoSettings{}, SettingsLocation::File(blocker + "/store.conf")));
    }

    void userStoreIsNamedAfterTheExecutable()
    {
        const QString root = m_dir.filePath(QStringLiteral("config"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root);
        QVERIFY(!QtSettingsKey::Open(SettingsLocation::UserStore(), false)); // nothing stored yet
        {
            auto key = QtSettingsKey::Open(SettingsLocation::UserStore(), true);
            QVERIFY(key);
            TivanoSettings s;
            s.Port = 4;
            QVERIFY(WriteSettings(*key, s));
            QVERIFY(key->Close());
        }
        QCOMPARE(ExecutableBaseName(), QStringLiteral("tst_SettingsStore"));
        QVERIFY(QFile::exists(root + QStringLiteral("/tst_SettingsStore/tst_SettingsStore.conf")));
        auto key = QtSettingsKey::Open(SettingsLocation::UserStore(), false);
        QVERIFY(key);
        TivanoSettings read;
        QCOMPARE(ReadSettings(*key, read), 15);
        QCOMPARE(read.Port, 4);
    }

    void fileTypeNames_data()
    {
        QTest::addColumn<QStringList>("answers"); // "-" = the class is unknown
        QTest::addColumn<QStringList>("expected"); // Html, Text, Excel, Ods
        QTest::newRow("all known") << QStringList{"HTML-Dokument", "Textdokument", "Arbeitsmappe", "ODS-Tabelle"}
                                   << QStringList{"HTML-Dokument", "Textdokument", "Arbeitsmappe", "ODS-Tabelle"};
        QTest::newRow("none known") << QStringList{"-", "-", "-", "-"}
                                    << QStringList{"Webseite", "Textdatei", "MS Excel", "OpenDocument-Tabelle"};
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
        const FileTypeNames names = LoadFileTypeNames([&](const QString &fileClass) -> std::optional<QString> {
            asked << fileClass;
            const QString answer = answers.at(asked.size() - 1);
            if (answer == "-")
                return std::nullopt;
            return answer;
        });
        QCOMPARE((QStringList{names.Html, names.Text, names.Excel, names.Ods}), expected);
        const qsizetype firstUnknown = answers.indexOf("-");
        QCOMPARE(asked, (QStringList{"htmlfile", "txtfile", "MS Excel", "odsfile"}.mid(0, firstUnknown < 0 ? 4 : firstUnknown + 1)));
    }

    void mimeDescriptionsAnswerEveryClass()
    {
        for (const char *fileClass : {"htmlfile", "txtfile", "MS Excel", "odsfile"}) {
            const std::optional<QString> description = MimeFileTypeDescription(QLatin1String(fileClass));
            QVERIFY2(description && !description->isEmpty(), fileClass);
        }
        QVERIFY(!MimeFileTypeDescription(QStringLiteral("dllfile")));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_SettingsStore.moc"
