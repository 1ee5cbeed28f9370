#include "settings/QtSettingsKey.h"

#include "settings/NativeSettings.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <limits>

namespace {

// A 32-bit value as the store keeps it: signed or unsigned 32-bit numbers are
// both accepted (colours use the full unsigned range); anything wider is not.
std::optional<qint32> to32Bit(qlonglong value)
{
    if (value < std::numeric_limits<qint32>::min() || value > qlonglong(std::numeric_limits<quint32>::max()))
        return std::nullopt;
    return qint32(quint32(value));
}

// `fromText`: a store that keeps no types holds every number as its text; a store that
// keeps them (the registry) holds 32-bit numbers only as such (DWORD).
std::optional<qint32> integerFromVariant(const QVariant &value, bool fromText)
{
    bool ok = false;
    if (!fromText)
        return value.typeId() == QMetaType::Int || value.typeId() == QMetaType::UInt
            ? std::optional<qint32>(qint32(value.toUInt()))
            : std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return to32Bit(value.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > std::numeric_limits<quint32>::max())
            return std::nullopt;
        return qint32(quint32(unsignedValue));
    }
    case QMetaType::QString: {
        // The text formats (INI) keep no type: a value is an integer when its
        // whole text is a decimal integer.
        const QString text = value.toString();
        if (text.isEmpty() || text.trimmed() != text)
            return std::nullopt;
        const qlonglong parsed = text.toLongLong(&ok, 10);
        if (!ok)
            return std::nullopt;
        return to32Bit(parsed);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

QString executableBaseName()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QCoreApplication::applicationName();
    return name;
}

std::unique_ptr<QtSettingsKey> QtSettingsKey::open(const SettingsLocation &location, bool create)
{
    // A pipe or a device in the settings file's place would hang the start or feed it
    // without end, as QSettings reads its file when it is made: the store counts as
    // missing and is not written.
    const QString file
        = location.filePath.isEmpty() ? nativeSettingsFile(executableBaseName()) : location.filePath;
    const QFileInfo info(file);
    if (!file.isEmpty() && info.exists() && (!info.isFile() || info.size() > MaxFileSize))
        return nullptr;
    std::unique_ptr<QSettings> settings;
    if (location.filePath.isEmpty()) {
        settings = openNativeSettings(executableBaseName());
    } else {
        settings = std::make_unique<QSettings>(location.filePath, QSettings::IniFormat);
    }
    if (!create && settings->allKeys().isEmpty())
        return nullptr; // the key does not exist (or holds nothing)
    if (create && !settings->isWritable())
        return nullptr;
    return std::make_unique<QtSettingsKey>(std::move(settings));
}

QtSettingsKey::QtSettingsKey(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings))
    , m_numbersAsText(m_settings->format() != QSettings::NativeFormat || !nativeSettingsKeepTypes())
{ }

std::optional<qint32> QtSettingsKey::readInteger(const QString &name) const
{
    const QVariant value = m_settings->value(name);
    if (!value.isValid())
        return std::nullopt;
    return integerFromVariant(value, m_numbersAsText);
}

std::optional<bool> QtSettingsKey::readBool(const QString &name) const
{
    const QVariant value = m_settings->value(name);
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (const std::optional<qint32> number = integerFromVariant(value, m_numbersAsText))
        return *number != 0;
    if (m_numbersAsText && value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

std::optional<QString> QtSettingsKey::readString(const QString &name) const
{
    const QVariant value = m_settings->value(name);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

bool QtSettingsKey::writeInteger(const QString &name, qint32 value)
{
    if (!m_settings->isWritable())
        return false;
    m_settings->setValue(name, value);
    return true;
}

bool QtSettingsKey::writeBool(const QString &name, bool value)
{
    return writeInteger(name, value ? 1 : 0);
}

bool QtSettingsKey::close()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
