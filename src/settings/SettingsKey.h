#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// One open key of the per-user settings store. A read of a value that is
// missing or of another type answers std::nullopt; a write answers whether
// the value could be stored.
class SettingsKey
{
public:
    virtual ~SettingsKey() = default;

    virtual std::optional<qint32> readInteger(const QString &name) const = 0;
    virtual std::optional<bool> readBool(const QString &name) const = 0;
    virtual std::optional<QString> readString(const QString &name) const = 0;
    virtual bool writeInteger(const QString &name, qint32 value) = 0;
    virtual bool writeBool(const QString &name, bool value) = 0;
    // Makes the written values permanent; false when that failed.
    virtual bool close() = 0;
};
