// The stored settings, read from a key whose values have any type and any number, and
// from a settings file full of garbage: the values the program uses as indexes or
// ranges must come out usable, and what is read must write back and read the same.
#include "FuzzScratch.h"

#include "SettingsKey.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <climits>

namespace {

// A key whose values the input decides: missing, of another type, or any number.
class FuzzKey final : public SettingsKey
{
public:
    QMap<QString, std::optional<qint32>> integers;
    QMap<QString, std::optional<bool>> bools;

    std::optional<qint32> ReadInteger(const QString &name) const override { return integers.value(name); }
    std::optional<bool> ReadBool(const QString &name) const override { return bools.value(name); }
    std::optional<QString> ReadString(const QString &) const override { return std::nullopt; }
    bool WriteInteger(const QString &name, qint32 value) override
    {
        integers[name] = value;
        return true;
    }
    bool WriteBool(const QString &name, bool value) override
    {
        bools[name] = value;
        return true;
    }
    bool Close() override { return true; }
};

qint32 Extreme(FuzzBytes &in)
{
    static const qint32 values[] = {0, 1, -1, 2, 3, 4, 5, 16, 255, 256, 65535, INT_MAX, INT_MIN,
                                    INT_MAX - 1, INT_MIN + 1, qint32(0xFF000000u), qint32(0xFF00001Fu),
                                    qint32(0x80000000u), 0x00FFFFFF, -200, 200, 100000};
    const uint8_t pick = in.Byte();
    if (pick < 2 * sizeof values / sizeof values[0])
        return values[pick % (sizeof values / sizeof values[0])];
    return qint32(in.Word());
}

void CheckUsable(const TivanoSettings &s)
{
    FUZZ_CHECK(s.Acc >= 0 && s.Acc <= 2, "precision outside 0..2");
    FUZZ_CHECK(s.ButtonLap >= 0 && s.ButtonLap < int(FinishButtonCaptions.size()),
               "finish caption index outside the captions");
    FUZZ_CHECK(s.Port >= 0 && s.Port <= 255, "port number outside a byte");
    (void)s.FinishCaption();
}

using FuzzScratch::Folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    return FuzzScratch::Start(argc, argv);
}

void FuzzTeardown()
{
    FuzzScratch::Stop();
}

std::vector<std::string> FuzzSeeds()
{
    return {
        std::string(64, '\0'),
        std::string(64, '\x01'),
        "[General]\nPort=3\nAlg=1\nLeft=10\nTop=20\nWidth=822\nHeight=434\nSound=true\nC1=0\n"
        "C2=65535\nC3=8421504\nAcc=2\nC4=65280\nFilterInd=2\nWait=200\nButtonLap=4\n",
        "[General]\nAcc=-7\nButtonLap=2147483647\nPort=-1\nWait=-2147483648\nSound=maybe\n",
        "[General]\nWidth=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5)\nC1=\"\\xff\"\n[%General]\n=\n",
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzBytes in(data, size);

    // 1. A key giving every value missing, of another type, or any number.
    FuzzKey key;
    for (const char *name : SettingsReadOrder) {
        const QString valueName = QLatin1String(name);
        const uint8_t kind = in.Byte() % 4;
        if (qstrcmp(name, "Sound") == 0) {
            if (kind != 0)
                key.bools[valueName] = kind == 1 ? std::optional<bool>() : std::optional<bool>(kind == 2);
        } else if (kind == 1) {
            key.integers[valueName] = std::nullopt; // present, but not a number
        } else if (kind >= 2) {
            key.integers[valueName] = Extreme(in);
        }
    }
    TivanoSettings settings;
    const int read = ReadSettings(key, settings);
    FUZZ_CHECK(read >= 0 && read <= int(SettingsReadOrder.size()), "read count out of range");
    CheckUsable(settings);

    // What was read writes back and reads the same.
    FuzzKey written;
    FUZZ_CHECK(WriteSettings(written, settings), "writing to a fresh key failed");
    TivanoSettings back;
    FUZZ_CHECK(ReadSettings(written, back) == int(SettingsReadOrder.size()), "a written value is missing");
    if (settings.Left && settings.Top)
        FUZZ_CHECK(back == settings, "settings changed through the store");

    // 2. The rest of the input as a settings file.
    const QString path = Folder().filePath(QStringLiteral("settings.ini"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the file");
        file.write(reinterpret_cast<const char *>(in.Rest()), qint64(in.RestSize()));
    }
    TivanoSettings fromFile;
    const int fileRead = LoadSettings(fromFile, SettingsLocation::File(path));
    FUZZ_CHECK(fileRead >= 0 && fileRead <= int(SettingsReadOrder.size()), "read count out of range");
    CheckUsable(fromFile);
    QFile::remove(path);
    return 0;
}
