#pragma once
// SegurancaFixture for the window tests: the window application made before
// the book's.
#include "core/permissoes/SegurancaFixture.h"
#include "platform/ui/GuiTest.h"

namespace testsupport {

class SegurancaComJanelas : public SegurancaFixture {
protected:
    void SetUp() override {
        qtApp();
        SegurancaFixture::SetUp();
    }
};

} // namespace testsupport
