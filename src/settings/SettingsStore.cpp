#include "SettingsStore.h"

#include "SettingsKey.h"

const std::array<QString, 5> FinishButtonCaptions = {
    QStringLiteral("ZIEL"), QStringLiteral("LAP"), QStringLiteral("FINISH"),
    QStringLiteral("START"), QString()};

const std::array<const char *, 15> SettingsReadOrder = {
    "Port", "Alg", "Left", "Top", "Width", "Height", "Sound", "C1",
    "C2", "C3", "Acc", "C4", "FilterInd", "Wait", "ButtonLap"};

const std::array<const char *, 15> SettingsWriteOrder = {
    "Left", "Top", "Width", "Height", "Sound", "Port", "Alg", "C1",
    "C2", "C3", "Acc", "C4", "FilterInd", "Wait", "ButtonLap"};

namespace {

// Where each value lands in the struct, and how it is taken from the store.
void ApplyInteger(TivanoSettings &s, int index, qint32 v)
{
    switch (index) {
    case 0: s.Port = v & 0xFF; break;
    case 1: s.Alg = v; break;
    case 2: s.Left = v; break;
    case 3: s.Top = v; break;
    case 4: s.Width = v; break;
    case 5: s.Height = v; break;
    case 7: s.C1 = TColor(v); break;
    case 8: s.C2 = TColor(v); break;
    case 9: s.C3 = TColor(v); break;
    case 10: s.Acc = (v >= 0 && v <= 2) ? v : TivanoSettings::DefaultPrecision; break;
    case 11: s.C4 = TColor(v); break;
    case 12: s.FilterInd = v; break;
    case 13: s.Wait = v; break;
    case 14:
        s.ButtonLap = (v >= 0 && v < int(FinishButtonCaptions.size())) ? v
                                                                     : TivanoSettings::DefaultButtonLap;
        break;
    default: break;
    }
}

constexpr int SoundIndex = 6;

qint32 WrittenValue(const TivanoSettings &s, const char *name)
{
    const QLatin1String n(name);
    if (n == QLatin1String("Left")) return s.Left.value_or(0);
    if (n == QLatin1String("Top")) return s.Top.value_or(0);
    if (n == QLatin1String("Width")) return s.Width;
    if (n == QLatin1String("Height")) return s.Height;
    if (n == QLatin1String("Port")) return s.Port;
    if (n == QLatin1String("Alg")) return s.Alg;
    if (n == QLatin1String("C1")) return qint32(s.C1);
    if (n == QLatin1String("C2")) return qint32(s.C2);
    if (n == QLatin1String("C3")) return qint32(s.C3);
    if (n == QLatin1String("Acc")) return s.Acc;
    if (n == QLatin1String("C4")) return qint32(s.C4);
    if (n == QLatin1String("FilterInd")) return s.FilterInd;
    if (n == QLatin1String("Wait")) return s.Wait;
    return s.ButtonLap; // "ButtonLap"
}

} // namespace

int ReadSettings(const SettingsKey &key, TivanoSettings &settings)
{
    for (int i = 0; i < int(SettingsReadOrder.size()); ++i) {
        const QString name = QLatin1String(SettingsReadOrder[size_t(i)]);
        if (i == SoundIndex) {
            const std::optional<bool> sound = key.ReadBool(name);
            if (!sound)
                return i;
            settings.Sound = *sound;
            continue;
        }
        const std::optional<qint32> value = key.ReadInteger(name);
        if (!value)
            return i;
        ApplyInteger(settings, i, *value);
    }
    return int(SettingsReadOrder.size());
}

bool WriteSettings(SettingsKey &key, const TivanoSettings &settings)
{
    for (const char *name : SettingsWriteOrder) {
        const QString valueName = QLatin1String(name);
        const bool written = qstrcmp(name, "Sound") == 0
                                 ? key.WriteBool(valueName, settings.Sound)
                                 : key.WriteInteger(valueName, WrittenValue(settings, name));
        if (!written)
            return false;
    }
    return true;
}
