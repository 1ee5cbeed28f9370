#include "settings/NativeSettings.h"

#include <QStandardPaths>

std::unique_ptr<QSettings> openNativeSettings(const QString &name)
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, name, name);
}

QString nativeSettingsFile(const QString &name)
{
    // Where QSettings keeps a user's settings for this organisation and application.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + name
        + QLatin1Char('/') + name + QStringLiteral(".conf");
}

bool nativeSettingsKeepTypes()
{
    return false;
}
