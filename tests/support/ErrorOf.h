#pragma once
// The error number a call raises, or 0 when it returns normally.
#include "platform/err/AppError.h"

#include <functional>

namespace testsupport {

inline long errorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const err::AppError &e) {
        return e.number();
    }
    return 0;
}

} // namespace testsupport
