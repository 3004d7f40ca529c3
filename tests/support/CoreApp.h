#pragma once
// The application object of tests that show no window: a QCoreApplication,
// or the one already made (a window test's QApplication).
#include <QCoreApplication>

namespace testsupport {

inline QCoreApplication &coreApp() {
    static int argc = 1;
    static char arg0[] = "fin-test";
    static char *argv[] = {arg0, nullptr};
    if (QCoreApplication *existing = QCoreApplication::instance()) return *existing;
    static QCoreApplication *app = new QCoreApplication(argc, argv);
    return *app;
}

} // namespace testsupport
