#pragma once

#include "SettingsKey.h"

#include <QSettings>

#include <memory>

// Where the settings live: by default QSettings in the native format, user
// scope, organisation and application both named after the executable
// (~/.config/<exe>/<exe>.conf on Linux, HKCU\Software\<exe>\<exe> on Windows).
// Tests give a file of their own.
struct SettingsLocation
{
    QString filePath; // empty: the user's native store

    static SettingsLocation UserStore() { return {}; }
    static SettingsLocation File(const QString &path) { return {path}; }
};

// The executable's file name without its extension.
QString ExecutableBaseName();

// A SettingsKey over QSettings. Integers are stored as 32-bit numbers and the
// boolean as 0 or 1; a text that does not read as such a number counts as a
// value of another type.
class QtSettingsKey final : public SettingsKey
{
public:
    // Opens the key; `create` false leaves a missing store missing.
    static std::unique_ptr<QtSettingsKey> Open(const SettingsLocation &location, bool create);

    explicit QtSettingsKey(std::unique_ptr<QSettings> settings);

    std::optional<qint32> ReadInteger(const QString &name) const override;
    std::optional<bool> ReadBool(const QString &name) const override;
    std::optional<QString> ReadString(const QString &name) const override;
    bool WriteInteger(const QString &name, qint32 value) override;
    bool WriteBool(const QString &name, bool value) override;
    bool Close() override;

    QSettings &Settings() { return *m_settings; }

private:
    std::unique_ptr<QSettings> m_settings;
};
