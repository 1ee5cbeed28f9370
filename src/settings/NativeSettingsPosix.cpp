#include "settings/NativeSettings.h"

std::unique_ptr<QSettings> openNativeSettings(const QString &name)
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, name, name);
}

bool nativeSettingsKeepTypes()
{
    return false;
}
