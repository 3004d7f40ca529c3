#pragma once
// Checks of a printed report's pages on the recording printer.
#include "platform/print/RecordingPrinter.h"
#include "platform/ui/GuiTest.h"
#include "ui/Impressao.h"

#include <QStringList>
#include <algorithm>
#include <functional>
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

// Prints a portrait report (imprimir prints to the printer in place) on a
// narrow strip at the foot, on one wider than the reserve and on a page too
// short for one line: within the printable area in the first two, full pages
// but the last, and a stopped job in the third. `conferir` looks at the
// texts of a finished job.
inline void ConfereFolhasEmRetrato(const std::function<void()> &imprimir,
                                   const std::function<void(const print::RecordingPrinter &)> &conferir) {
    print::RecordingPrinter medida;
    medida.setFontName(QStringLiteral("Courier New"));
    medida.setFontSize(8);
    const double linha = medida.TextHeight(QStringLiteral("A")) + 20;
    struct Caso {
        const char *nome;
        int superiorPx, inferiorPx; // portrait strips, pixels of 2.4 twips
        double reserva;             // kept free at the foot; -1: no page holds a line
    };
    const Caso casos[] = {
        {"narrow strip at the foot", 100, 100, 900},
        {"strip at the foot wider than the reserve", 100, 400, 0},
        {"page too short for a line", 6000, 100, -1},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        print::RecordingPrinter::Device d;
        d.topPx = c.superiorPx;
        d.bottomPx = c.inferiorPx;
        print::RecordingPrinter p(d);
        Script s;
        s.ok();
        {
            print::ScopedPrinter uso(p);
            imprimir();
        }
        if (c.reserva < 0) {
            ConfereParadaPorPaginaPequena(p, s.shownTexts());
            continue;
        }
        EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Impressão concluída.")});
        EXPECT_EQ(p.documentsEnded(), 1);
        ASSERT_GE(PaginasImpressas(p), 2);
        // a page before the last holds all the lines its count allows
        ConfereRodapes(p, c.reserva, 4 * linha);
        conferir(p);
    }
}

} // namespace testsupport
