#include "platform/settings/Settings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settings::setStoreLocation(dir.path());
    }
    // Every stored line that names the key, whatever its case.
    QStringList storedLines() const {
        QStringList out;
        QDirIterator it(dir.path(), {"*.ini"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            f.open(QIODevice::ReadOnly);
            for (const QByteArray &l : f.readAll().split('\n'))
                if (l.toLower().startsWith("dbpath"))
                    out << QString::fromUtf8(l);
        }
        return out;
    }
    QTemporaryDir dir;
    const QString app = QStringLiteral("Finoteca");
    const QString sec = QStringLiteral("Settings");
};
} // namespace

TEST_F(SettingsTest, KeysMatchWithoutRegardToCase) {
    EXPECT_EQ(settings::GetSetting(app, sec, "DBPath"), QString()); // absent reads as ""
    EXPECT_EQ(settings::GetSetting(app, sec, "DBPath", "x"), QStringLiteral("x"));

    settings::SaveSetting(app, sec, "DbPath", "/dados/um.mdb");
    for (const char *k : {"DBPath", "DbPath", "dbpath", "DBPATH"})
        EXPECT_EQ(settings::GetSetting(app, sec, k), QStringLiteral("/dados/um.mdb")) << k;

    settings::SaveSetting(app, sec, "DBPATH", "/dados/dois.mdb");
    EXPECT_EQ(settings::GetSetting(app, sec, "DBPath"), QStringLiteral("/dados/dois.mdb"));
    EXPECT_EQ(storedLines().size(), 1) << storedLines().join('|').toStdString(); // one value, not two

    settings::DeleteSetting(app, sec, "dbPATH");
    EXPECT_EQ(settings::GetSetting(app, sec, "DBPath", "none"), QStringLiteral("none"));
}

TEST_F(SettingsTest, SectionsAndApplicationsAreSeparate) {
    settings::SaveSetting(app, sec, "DbPath", "a");
    settings::SaveSetting(app, "Outra", "DbPath", "b");
    settings::SaveSetting("OutroApp", sec, "DbPath", "c");
    EXPECT_EQ(settings::GetSetting(app, sec, "DBPath"), QStringLiteral("a"));
    EXPECT_EQ(settings::GetSetting(app, "Outra", "DBPath"), QStringLiteral("b"));
    EXPECT_EQ(settings::GetSetting("OutroApp", sec, "DBPath"), QStringLiteral("c"));
}
