#pragma once
// The new book of the window tests: LivroSemJanelas with the window
// application made first.
#include "platform/ui/GuiTest.h"
#include "support/LivroSemJanelas.h"

namespace testsupport {

class LivroNovo : public LivroSemJanelas {
protected:
    void SetUp() override {
        qtApp();
        LivroSemJanelas::SetUp();
    }
};

} // namespace testsupport
