#pragma once
// A fresh folder for one test's files, removed with the test.
#include <QDir>
#include <QTemporaryDir>
#include <QString>

namespace testsupport {

class TempDir {
public:
    TempDir() : dir_(QStringLiteral("%1/fin-XXXXXX").arg(base())) {}
    QString file(const QString &name) const { return dir_.filePath(name); }
    QString path() const { return dir_.path(); }

private:
    static QString base() {
        const QByteArray env = qgetenv("FIN_TEST_TMP");
        return env.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(env);
    }
    QTemporaryDir dir_;
};

} // namespace testsupport
