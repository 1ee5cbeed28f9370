#pragma once

#include "ColorValue.h"
#include "QtSettingsKey.h"

#include <QString>

#include <array>
#include <optional>

class SettingsKey;

// The five words of the finish key, indexed by "ButtonLap".
extern const std::array<QString, 5> FinishButtonCaptions;

// The user settings as they are loaded at start and saved at exit. The
// defaults are the values the program has before anything is loaded.
struct TivanoSettings
{
    static constexpr int DefaultWidth = 822;
    static constexpr int DefaultHeight = 434;
    static constexpr int DefaultPrecision = 2;
    static constexpr int DefaultFilterIndex = 2;
    static constexpr int DefaultWait = 200;
    static constexpr int MaxWait = 10000; // the settings dialog's limit, 10 s
    static constexpr int DefaultButtonLap = 0;

    int Port = 0;                       // "Port": 0 = no port, else COM n (low 8 bits)
    int Alg = 0;                        // "Alg": 0 "Ein", 1 "Aus", 2 finish only, < 0 locks the port
    std::optional<int> Left;            // "Left": none = the platform places the window
    std::optional<int> Top;             // "Top"
    int Width = DefaultWidth;           // "Width"
    int Height = DefaultHeight;         // "Height"
    bool Sound = true;                  // "Sound": kept and written back only
    TColor C1 = Colors::clBlack;        // "C1": display background, unlit segments
    TColor C2 = Colors::clYellow;       // "C2": upper row lit, labels
    TColor C3 = Colors::clDkGray;       // "C3": leading zeros
    int Acc = DefaultPrecision;         // "Acc": 0 seconds, 1 tenths, 2 hundredths
    TColor C4 = Colors::clLime;         // "C4": lower row lit
    int FilterInd = DefaultFilterIndex; // "FilterInd": 1-based save dialog filter
    int Wait = DefaultWait;             // "Wait": lockout in milliseconds, 0 .. MaxWait
    int ButtonLap = DefaultButtonLap;   // "ButtonLap": index into FinishButtonCaptions

    QString FinishCaption() const { return FinishButtonCaptions[size_t(ButtonLap)]; }

    bool operator==(const TivanoSettings &) const = default;
};

// The value names in the order they are read.
extern const std::array<const char *, 15> SettingsReadOrder;
// The value names in the order they are written.
extern const std::array<const char *, 15> SettingsWriteOrder;

// Reads the values in their order into `settings`; the first value that is
// missing or of another type ends the reading and it and all later values
// keep what `settings` held. A "ButtonLap" outside 0..4 or an "Acc" outside
// 0..2 is taken as its default, a "Wait" outside 0..MaxWait as the nearest
// limit, and the reading goes on. Returns the number of
// values read.
int ReadSettings(const SettingsKey &key, TivanoSettings &settings);

// Writes all fifteen values in the save order. A position the window does not
// have is written as 0. Stops at the first value that cannot be written and
// returns false; Close() of the key is the caller's.
bool WriteSettings(SettingsKey &key, const TivanoSettings &settings);

// Load at start: a missing store leaves `settings` as it is.
int LoadSettings(TivanoSettings &settings, const SettingsLocation &location = SettingsLocation::UserStore());
// Save at exit: false when the store could not be opened or written.
bool SaveSettings(const TivanoSettings &settings, const SettingsLocation &location = SettingsLocation::UserStore());
