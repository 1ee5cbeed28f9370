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

bool Is(const char *name, const char *wanted)
{
    return qstrcmp(name, wanted) == 0;
}

// Puts one integer value read from the store where it belongs.
void ApplyInteger(TivanoSettings &s, const char *name, qint32 v)
{
    if (Is(name, "Port")) s.Port = v & 0xFF;
    else if (Is(name, "Alg")) s.Alg = v;
    else if (Is(name, "Left")) s.Left = v;
    else if (Is(name, "Top")) s.Top = v;
    else if (Is(name, "Width")) s.Width = v;
    else if (Is(name, "Height")) s.Height = v;
    else if (Is(name, "C1")) s.C1 = TColor(v);
    else if (Is(name, "C2")) s.C2 = TColor(v);
    else if (Is(name, "C3")) s.C3 = TColor(v);
    else if (Is(name, "Acc")) s.Acc = (v >= 0 && v <= 2) ? v : TivanoSettings::DefaultPrecision;
    else if (Is(name, "C4")) s.C4 = TColor(v);
    else if (Is(name, "FilterInd")) s.FilterInd = v;
    else if (Is(name, "Wait")) s.Wait = qBound(0, v, TivanoSettings::MaxWait);
    else if (Is(name, "ButtonLap"))
        s.ButtonLap = (v >= 0 && v < int(FinishButtonCaptions.size())) ? v : TivanoSettings::DefaultButtonLap;
}

// The integer written for one value.
qint32 IntegerOf(const TivanoSettings &s, const char *name)
{
    if (Is(name, "Left")) return s.Left.value_or(0);
    if (Is(name, "Top")) return s.Top.value_or(0);
    if (Is(name, "Width")) return s.Width;
    if (Is(name, "Height")) return s.Height;
    if (Is(name, "Port")) return s.Port;
    if (Is(name, "Alg")) return s.Alg;
    if (Is(name, "C1")) return qint32(s.C1);
    if (Is(name, "C2")) return qint32(s.C2);
    if (Is(name, "C3")) return qint32(s.C3);
    if (Is(name, "Acc")) return s.Acc;
    if (Is(name, "C4")) return qint32(s.C4);
    if (Is(name, "FilterInd")) return s.FilterInd;
    if (Is(name, "Wait")) return s.Wait;
    return s.ButtonLap; // "ButtonLap"
}

} // namespace

int ReadSettings(const SettingsKey &key, TivanoSettings &settings)
{
    int read = 0;
    for (const char *name : SettingsReadOrder) {
        const QString valueName = QLatin1String(name);
        if (Is(name, "Sound")) {
            const std::optional<bool> sound = key.ReadBool(valueName);
            if (!sound)
                break;
            settings.Sound = *sound;
        } else {
            const std::optional<qint32> value = key.ReadInteger(valueName);
            if (!value)
                break;
            ApplyInteger(settings, name, *value);
        }
        ++read;
    }
    return read;
}

bool WriteSettings(SettingsKey &key, const TivanoSettings &settings)
{
    for (const char *name : SettingsWriteOrder) {
        const QString valueName = QLatin1String(name);
        const bool written = Is(name, "Sound") ? key.WriteBool(valueName, settings.Sound)
                                               : key.WriteInteger(valueName, IntegerOf(settings, name));
        if (!written)
            return false;
    }
    return true;
}

int LoadSettings(TivanoSettings &settings, const SettingsLocation &location)
{
    const std::unique_ptr<QtSettingsKey> key = QtSettingsKey::Open(location, false);
    return key ? ReadSettings(*key, settings) : 0;
}

bool SaveSettings(const TivanoSettings &settings, const SettingsLocation &location)
{
    const std::unique_ptr<QtSettingsKey> key = QtSettingsKey::Open(location, true);
    if (!key)
        return false;
    const bool written = WriteSettings(*key, settings);
    return key->Close() && written;
}
