// The stored settings, read from a key whose values have any type and any number, and
// from a settings file full of garbage: the values the program uses as indexes or
// ranges must come out usable, and what is read must write back and read the same.
#include "FuzzScratch.h"
#include "settings/SettingsKey.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QMap>

#include <climits>

namespace {

// A key whose values the input decides: missing, of another type, or any number.
class FuzzKey final : public SettingsKey
{
public:
    QMap<QString, std::optional<qint32>> integers;
    QMap<QString, std::optional<bool>> bools;

    std::optional<qint32> readInteger(const QString &name) const override { return integers.value(name); }
    std::optional<bool> readBool(const QString &name) const override { return bools.value(name); }
    std::optional<QString> readString(const QString &) const override { return std::nullopt; }
    bool writeInteger(const QString &name, qint32 value) override
    {
        integers[name] = value;
        return true;
    }
    bool writeBool(const QString &name, bool value) override
    {
        bools[name] = value;
        return true;
    }
    bool close() override { return true; }
};

qint32 extreme(FuzzBytes &in)
{
    static const qint32 values[] = {0,
                                    1,
                                    -1,
                                    2,
                                    3,
                                    4,
                                    5,
                                    16,
                                    255,
                                    256,
                                    65535,
                                    INT_MAX,
                                    INT_MIN,
                                    INT_MAX - 1,
                                    INT_MIN + 1,
                                    qint32(0xFF000000u),
                                    qint32(0xFF00001Fu),
                                    qint32(0x80000000u),
                                    0x00FFFFFF,
                                    -200,
                                    200,
                                    100000};
    const uint8_t pick = in.byte();
    if (pick < 2 * sizeof values / sizeof values[0])
        return values[pick % (sizeof values / sizeof values[0])];
    return qint32(in.word());
}

void checkUsable(const Settings &s)
{
    FUZZ_CHECK(s.precision >= 0 && s.precision <= 2, "precision outside 0..2");
    FUZZ_CHECK(s.finishCaptionIndex >= 0 && s.finishCaptionIndex < int(FinishButtonCaptions.size()),
               "finish caption index outside the captions");
    FUZZ_CHECK(s.port >= 0 && s.port <= 255, "port number outside a byte");
    (void)s.finishCaption();
}

} // namespace

std::vector<std::string> fuzzSeeds()
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

extern "C" int llvmFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzBytes in(data, size);

    // 1. A key giving every value missing, of another type, or any number.
    FuzzKey key;
    for (const char *name : SettingsReadOrder) {
        const QString valueName = QLatin1String(name);
        const uint8_t kind = in.byte() % 4;
        if (qstrcmp(name, "Sound") == 0) {
            if (kind != 0)
                key.bools[valueName] = kind == 1 ? std::optional<bool>() : std::optional<bool>(kind == 2);
        } else if (kind == 1) {
            key.integers[valueName] = std::nullopt; // present, but not a number
        } else if (kind >= 2) {
            key.integers[valueName] = extreme(in);
        }
    }
    Settings settings;
    const int read = readSettings(key, settings);
    FUZZ_CHECK(read >= 0 && read <= int(SettingsReadOrder.size()), "read count out of range");
    checkUsable(settings);

    // What was read writes back and reads the same.
    FuzzKey written;
    FUZZ_CHECK(writeSettings(written, settings), "writing to a fresh key failed");
    Settings back;
    FUZZ_CHECK(readSettings(written, back) == int(SettingsReadOrder.size()), "a written value is missing");
    if (settings.left && settings.top)
        FUZZ_CHECK(back == settings, "settings changed through the store");

    // 2. The rest of the input as a settings file.
    const QString path = FuzzScratch::writeFile(
        QStringLiteral("settings.ini"),
        QByteArrayView(reinterpret_cast<const char *>(in.rest()), qsizetype(in.restSize())));
    Settings fromFile;
    const int fileRead = loadSettings(fromFile, SettingsLocation::file(path));
    FUZZ_CHECK(fileRead >= 0 && fileRead <= int(SettingsReadOrder.size()), "read count out of range");
    checkUsable(fromFile);
    QFile::remove(path);
    return 0;
}
