#include "WidgetsMain.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <vector>

namespace benchsupport {

static std::vector<std::function<void()>> &pendentes() {
    static std::vector<std::function<void()>> p;
    return p;
}

void antesDeEncerrar(std::function<void()> f) { pendentes().push_back(std::move(f)); }

} // namespace benchsupport

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto &f : benchsupport::pendentes()) f();
    return 0;
}
