#pragma once

#include <QSettings>

#include <memory>

// The platform's per-user store, named after the executable: the registry key
// HKEY_CURRENT_USER\Software\<name> on Windows, ~/.config/<name>/<name>.conf elsewhere.
std::unique_ptr<QSettings> openNativeSettings(const QString &name);

// The file that store lives in; empty where it is no file (the registry).
QString nativeSettingsFile(const QString &name);

// Whether the native store keeps each value's type (the registry does; a text file keeps
// only text, so there an integer is a text of digits).
bool nativeSettingsKeepTypes();
