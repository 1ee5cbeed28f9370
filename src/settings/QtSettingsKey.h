#pragma once

#include "settings/SettingsKey.h"

#include <QSettings>

#include <memory>

// Where the settings live: by default the platform's per-user store named after
// the executable (~/.config/<exe>/<exe>.conf on Linux, the registry key
// HKCU\Software\<exe> on Windows). Tests give a file of their own.
struct SettingsLocation
{
    QString filePath; // empty: the user's native store

    static SettingsLocation userStore() { return {}; }
    static SettingsLocation file(const QString &path) { return {path}; }
};

// The executable's file name without its extension.
QString executableBaseName();

// A SettingsKey over QSettings. Integers are stored as 32-bit numbers and the
// boolean as 0 or 1; a text that does not read as such a number counts as a
// value of another type.
class QtSettingsKey final : public SettingsKey
{
public:
    // The largest settings file read; a few hundred bytes are usual.
    static constexpr qint64 MaxFileSize = qint64(1) << 20;

    // Opens the key; `create` false leaves a missing store missing. A settings file that
    // is no regular file or larger than MaxFileSize is neither read nor written.
    static std::unique_ptr<QtSettingsKey> open(const SettingsLocation &location, bool create);

    explicit QtSettingsKey(std::unique_ptr<QSettings> settings);

    std::optional<qint32> readInteger(const QString &name) const override;
    std::optional<bool> readBool(const QString &name) const override;
    std::optional<QString> readString(const QString &name) const override;
    bool writeInteger(const QString &name, qint32 value) override;
    bool writeBool(const QString &name, bool value) override;
    bool close() override;

    QSettings &settings() { return *m_settings; }

private:
    std::unique_ptr<QSettings> m_settings;
    // Numbers may come as their text (a store that keeps no types).
    bool m_numbersAsText;
};
