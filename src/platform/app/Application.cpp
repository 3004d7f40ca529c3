#include "platform/app/Application.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

namespace platform {
namespace {
QString &titleStore() {
    static QString t = QStringLiteral("Finoteca");
    return t;
}
int gPointer = vbDefault;

Qt::CursorShape shapeFor(int pointer) {
    switch (pointer) {
    case 11: return Qt::WaitCursor;
    case 13: return Qt::BusyCursor;
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 12: return Qt::ForbiddenCursor;
    case 99: case 1: default: return Qt::ArrowCursor;
    }
}
} // namespace

QString App::Title() { return titleStore(); }
void App::setTitle(const QString &title) { titleStore() = title; }
// The version is the project's, given by the build (CMakeLists.txt).
int App::Major() { return FIN_VERSION_MAJOR; }
int App::Minor() { return FIN_VERSION_MINOR; }
int App::Revision() { return FIN_VERSION_PATCH; }
QString App::Version() { return QStringLiteral("%1.%2.%3").arg(Major()).arg(Minor()).arg(Revision()); }

QString App::Path() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral(".")).absoluteFilePath();
}

QString App::EXEName() {
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("finoteca");
}

int Screen::MousePointer() { return gPointer; }

void Screen::setMousePointer(int pointer) {
    gPointer = pointer;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (pointer == vbDefault) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return;
    }
    const QCursor c(shapeFor(pointer));
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(c);
    else
        QGuiApplication::setOverrideCursor(c);
}

static double twipsPerPixel(bool x) {
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 15.0;
    QScreen *s = QGuiApplication::primaryScreen();
    if (!s)
        return 15.0;
    const double dpi = x ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}
double Screen::TwipsPerPixelX() { return twipsPerPixel(true); }
double Screen::TwipsPerPixelY() { return twipsPerPixel(false); }

} // namespace platform
