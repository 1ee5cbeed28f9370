#include "settings/SettingsStore.h"

#include "settings/SettingsKey.h"

const std::array<QString, 5> FinishButtonCaptions
    = {QStringLiteral("ZIEL"), QStringLiteral("LAP"), QStringLiteral("FINISH"), QStringLiteral("START"),
       QString()};

const std::array<const char *, 15> SettingsReadOrder
    = {"Port", "Alg", "Left", "Top", "Width",     "Height", "Sound",    "C1",
       "C2",   "C3",  "Acc",  "C4",  "FilterInd", "Wait",   "ButtonLap"};

const std::array<const char *, 15> SettingsWriteOrder
    = {"Left", "Top", "Width", "Height", "Sound",     "Port", "Alg",      "C1",
       "C2",   "C3",  "Acc",   "C4",     "FilterInd", "Wait", "ButtonLap"};

namespace {

bool is(const char *name, const char *wanted)
{
    return qstrcmp(name, wanted) == 0;
}

// Puts one integer value read from the store where it belongs.
void applyInteger(Settings &s, const char *name, qint32 v)
{
    if (is(name, "Port"))
        s.port = v & 0xFF;
    else if (is(name, "Alg"))
        s.polarity = v;
    else if (is(name, "Left"))
        s.left = v;
    else if (is(name, "Top"))
        s.top = v;
    else if (is(name, "Width"))
        s.width = v;
    else if (is(name, "Height"))
        s.height = v;
    else if (is(name, "C1"))
        s.backgroundColor = ColorValue(v);
    else if (is(name, "C2"))
        s.runningColor = ColorValue(v);
    else if (is(name, "C3"))
        s.dimColor = ColorValue(v);
    else if (is(name, "Acc"))
        s.precision = (v >= 0 && v <= 2) ? v : Settings::DefaultPrecision;
    else if (is(name, "C4"))
        s.finishColor = ColorValue(v);
    else if (is(name, "FilterInd"))
        s.saveTypeIndex = v;
    else if (is(name, "Wait"))
        s.lockoutMs = qBound(0, v, Settings::MaxWait);
    else if (is(name, "ButtonLap"))
        s.finishCaptionIndex
            = (v >= 0 && v < int(FinishButtonCaptions.size())) ? v : Settings::DefaultButtonLap;
}

// The integer written for one value.
qint32 integerOf(const Settings &s, const char *name)
{
    if (is(name, "Left"))
        return s.left.value_or(0);
    if (is(name, "Top"))
        return s.top.value_or(0);
    if (is(name, "Width"))
        return s.width;
    if (is(name, "Height"))
        return s.height;
    if (is(name, "Port"))
        return s.port;
    if (is(name, "Alg"))
        return s.polarity;
    if (is(name, "C1"))
        return qint32(s.backgroundColor);
    if (is(name, "C2"))
        return qint32(s.runningColor);
    if (is(name, "C3"))
        return qint32(s.dimColor);
    if (is(name, "Acc"))
        return s.precision;
    if (is(name, "C4"))
        return qint32(s.finishColor);
    if (is(name, "FilterInd"))
        return s.saveTypeIndex;
    if (is(name, "Wait"))
        return s.lockoutMs;
    return s.finishCaptionIndex; // "ButtonLAP"
}

} // namespace

int readSettings(const SettingsKey &key, Settings &settings)
{
    int read = 0;
    for (const char *name : SettingsReadOrder) {
        const QString valueName = QLatin1String(name);
        if (is(name, "Sound")) {
            const std::optional<bool> sound = key.readBool(valueName);
            if (!sound)
                break;
            settings.sound = *sound;
        } else {
            const std::optional<qint32> value = key.readInteger(valueName);
            if (!value)
                break;
            applyInteger(settings, name, *value);
        }
        ++read;
    }
    return read;
}

bool writeSettings(SettingsKey &key, const Settings &settings)
{
    for (const char *name : SettingsWriteOrder) {
        const QString valueName = QLatin1String(name);
        const bool written = is(name, "Sound") ? key.writeBool(valueName, settings.sound)
                                               : key.writeInteger(valueName, integerOf(settings, name));
        if (!written)
            return false;
    }
    return true;
}

int loadSettings(Settings &settings, const SettingsLocation &location)
{
    const std::unique_ptr<QtSettingsKey> key = QtSettingsKey::open(location, false);
    return key ? readSettings(*key, settings) : 0;
}

QMap<int, QString> loadDeviceMap(const SettingsLocation &location)
{
    QMap<int, QString> map;
    const std::unique_ptr<QtSettingsKey> key = QtSettingsKey::open(location, false);
    for (int port = 1; key && port <= 16; ++port) {
        const std::optional<QString> path = key->readString(QStringLiteral("Schnittstellen/COM%1").arg(port));
        if (path && !path->trimmed().isEmpty())
            map.insert(port, path->trimmed());
    }
    return map;
}

bool saveSettings(const Settings &settings, const SettingsLocation &location)
{
    const std::unique_ptr<QtSettingsKey> key = QtSettingsKey::open(location, true);
    if (!key)
        return false;
    const bool written = writeSettings(*key, settings);
    return key->close() && written;
}
