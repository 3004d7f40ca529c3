#include "platform/settings/Settings.h"
#include <memory>

#include <QSettings>
#include <QStringList>

namespace settings {
namespace {
// One INI file per application name; the organisation is the application too.
std::unique_ptr<QSettings> open(const QString &appName) {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, appName, appName);
}

// The stored spelling of a key, found without regard to case; empty when absent.
QString storedKey(QSettings &s, const QString &key) {
    const QStringList keys = s.childKeys();
    for (const QString &k : keys)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return k;
    return {};
}
} // namespace

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue) {
    auto s = open(appName);
    s->beginGroup(section);
    const QString k = storedKey(*s, key);
    if (k.isEmpty())
        return defaultValue;
    return s->value(k, defaultValue).toString();
}

void SaveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value) {
    auto s = open(appName);
    s->beginGroup(section);
    const QString k = storedKey(*s, key);
    s->setValue(k.isEmpty() ? key : k, value);
    s->endGroup();
    s->sync();
}

void DeleteSetting(const QString &appName, const QString &section, const QString &key) {
    auto s = open(appName);
    s->beginGroup(section);
    for (QString k = storedKey(*s, key); !k.isEmpty(); k = storedKey(*s, key))
        s->remove(k);
    s->endGroup();
    s->sync();
}

void setStoreLocation(const QString &folder) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

} // namespace settings
