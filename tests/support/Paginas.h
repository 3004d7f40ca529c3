#pragma once
// Checks of a printed report's pages on the recording printer.
#include "platform/print/RecordingPrinter.h"
#include "ui/Impressao.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>

namespace testsupport {

inline int PaginasImpressas(const print::RecordingPrinter &p) {
    int paginas = 0;
    for (const print::PrintOp &o : p.ops()) paginas = std::max(paginas, o.page);
    return paginas;
}

// Nothing is drawn past the printable area less the bottom reserve, and
// every page before the last is full: it leaves less than `folga` free.
inline void ConfereRodapes(const print::RecordingPrinter &p, double reserva, double folga) {
    const int paginas = PaginasImpressas(p);
    for (int pagina = 1; pagina <= paginas; ++pagina) {
        EXPECT_LE(p.lowestInk(pagina), p.ScaleHeight() - reserva) << "page " << pagina;
        if (pagina < paginas) {
            EXPECT_GT(p.lowestInk(pagina) + folga, p.ScaleHeight() - reserva) << "page " << pagina;
        }
    }
}

// A job whose page holds no line stopped with one message, abandoned on its
// first page.
inline void ConfereParadaPorPaginaPequena(const print::RecordingPrinter &p, const QStringList &mostrados) {
    EXPECT_EQ(mostrados, QStringList{fin::kMsgPaginaPequena});
    ASSERT_FALSE(p.ops().empty());
    EXPECT_EQ(p.ops().back().kind, print::PrintOp::KillDoc);
    EXPECT_EQ(p.documentsEnded(), 0);
    EXPECT_EQ(PaginasImpressas(p), 1);
}

} // namespace testsupport
