#pragma once
// The application object of the benchmarks that open windows: one for the
// run, on the headless platform unless another is asked for.
#include <QApplication>

namespace benchsupport {

inline QApplication &app() {
    static int argc = 1;
    static char arg0[] = "bench";
    static char *argv[] = {arg0, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication a(argc, argv);
    return a;
}

} // namespace benchsupport
