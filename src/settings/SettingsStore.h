#pragma once

#include "platform/ColorValue.h"
#include "settings/QtSettingsKey.h"

#include <QMap>
#include <QString>

#include <array>
#include <optional>

class SettingsKey;

// The five words of the finish key, indexed by "ButtonLAP".
extern const std::array<QString, 5> FinishButtonCaptions;

// The user settings as they are loaded at start and saved at exit. The
// defaults are the values the program has before anything is loaded.
struct Settings
{
    static constexpr int DefaultWidth = 822;
    static constexpr int DefaultHeight = 434;
    static constexpr int DefaultPrecision = 2;
    static constexpr int DefaultSaveTypeIndex = 2;
    static constexpr int DefaultWait = 200;
    static constexpr int MaxWait = 10000; // the settings dialog's limit, 10 s
    static constexpr int DefaultButtonLap = 0;

    int port = 0; // "Port": 0 = no port, else COM n (low 8 bits)
    int polarity = 0; // "Alg": 0 "Ein", 1 "Aus", 2 finish only, < 0 locks the port
    std::optional<int> left; // "Left": none = the platform places the window
    std::optional<int> top; // "Top"
    int width = DefaultWidth; // "Width"
    int height = DefaultHeight; // "Height"
    bool sound = true; // "Sound": kept and written back only
    ColorValue backgroundColor = Colors::clBlack; // "C1": display background, unlit segments
    ColorValue runningColor = Colors::clYellow; // "C2": upper row lit, labels
    ColorValue dimColor = Colors::clDkGray; // "C3": leading zeros
    int precision = DefaultPrecision; // "Acc": 0 seconds, 1 tenths, 2 hundredths
    ColorValue finishColor = Colors::clLime; // "C4": lower row lit
    int saveTypeIndex = DefaultSaveTypeIndex; // "FilterInd": 1-based save dialog filter
    int lockoutMs = DefaultWait; // "Wait": lockout in milliseconds, 0 .. MaxWait
    int finishCaptionIndex = DefaultButtonLap; // "ButtonLAP": index into FinishButtonCaptions

    QString finishCaption() const { return FinishButtonCaptions[size_t(finishCaptionIndex)]; }

    bool operator==(const Settings &) const = default;
};

// The value names in the order they are read.
extern const std::array<const char *, 15> SettingsReadOrder;
// The value names in the order they are written.
extern const std::array<const char *, 15> SettingsWriteOrder;

// Reads the values in their order into `settings`; the first value that is
// missing or of another type ends the reading and it and all later values
// keep what `settings` held. A "ButtonLAP" outside 0..4 or an "Acc" outside
// 0..2 is taken as its default, a "Wait" outside 0..MaxWait as the nearest
// limit, and the reading goes on. Returns the number of
// values read.
int readSettings(const SettingsKey &key, Settings &settings);

// Writes all fifteen values in the save order. A position the window does not
// have is written as 0. Stops at the first value that cannot be written and
// returns false; Close() of the key is the caller's.
bool writeSettings(SettingsKey &key, const Settings &settings);

// The device paths the store puts behind COM numbers, group "Schnittstellen", values
// "COM1" to "COM16" (for example COM5=/dev/serial/by-id/usb-FTDI_...). Kept apart from
// the values above: the program only reads them.
QMap<int, QString> loadDeviceMap(const SettingsLocation &location = SettingsLocation::userStore());

// Load at start: a missing store leaves `settings` as it is.
int loadSettings(Settings &settings, const SettingsLocation &location = SettingsLocation::userStore());
// Save at exit: false when the store could not be opened or written.
bool saveSettings(const Settings &settings, const SettingsLocation &location = SettingsLocation::userStore());
