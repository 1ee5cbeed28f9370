#include "settings/NativeSettings.h"

std::unique_ptr<QSettings> openNativeSettings(const QString &name)
{
    // The key itself: an organisation and application name would nest it one level deeper.
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\") + name,
                                       QSettings::NativeFormat);
}

QString nativeSettingsFile(const QString &)
{
    return QString();
}

bool nativeSettingsKeepTypes()
{
    return true;
}
