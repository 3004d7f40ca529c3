#pragma once
// The entry point of the benchmarks that show windows: the application lives
// in main(), and what a benchmark registers here goes before it does (a window
// outliving its application takes the input devices down with it).
#include <functional>

namespace benchsupport {

void antesDeEncerrar(std::function<void()> f);

} // namespace benchsupport
