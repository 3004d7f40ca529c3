#pragma once
// The per-user settings store. Values live under an application name and a
// section; key names are matched without regard to case, so a value read as
// "DBPath" and written as "DbPath" is one and the same value.
#include <QString>

namespace settings {

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
void SaveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value);
void DeleteSetting(const QString &appName, const QString &section, const QString &key);

// Puts the whole store under another folder (tests use a temporary one).
void setStoreLocation(const QString &folder);

} // namespace settings
