#pragma once
// Checks of a printed report's pages on the recording printer.
#include "platform/err/AppError.h"
#include "platform/print/RecordingPrinter.h"
#include "platform/ui/GuiTest.h"
#include "ui/Impressao.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace testsupport {

// The pages of a PDF file the program wrote (0 when there is no file).
inline int PaginasDoPdf(const QString &arquivo) {
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray pdf = f.readAll();
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"));
}

inline int PaginasImpressas(const print::RecordingPrinter &p) {
    int paginas = 0;
    for (const print::PrintOp &o : p.ops()) paginas = std::max(paginas, o.page);
    return paginas;
}

// Where a printed text's ink lies on its page, in twips, and the width of a
// blank in its font.
struct Mancha {
    print::PrintOp op;
    double esquerda, direita, topo, pe, branco;
};

inline Mancha MedirTexto(const print::PrintOp &o) {
    print::RecordingPrinter medida;
    medida.setFontName(o.font);
    medida.setFontSize(o.size);
    medida.setFontBold(o.bold);
    medida.setFontUnderline(o.underline);
    // The ink: blanks at either end are the text's own spacing.
    qsizetype inicio = 0, fim = o.text.size();
    while (inicio < fim && o.text[inicio] == QLatin1Char(' ')) ++inicio;
    while (fim > inicio && o.text[fim - 1] == QLatin1Char(' ')) --fim;
    return {o, o.x + medida.TextWidth(o.text.left(inicio)), o.x + medida.TextWidth(o.text.left(fim)), o.y,
            o.y + medida.TextHeight(o.text), medida.TextWidth(QStringLiteral(" "))};
}

// No two texts of one line overprint each other: wherever two texts' heights
// overlap on a page, a blank of the left one's font at least stands between
// them (one twip allowed for positions taken to whole twips).
inline void ConfereSemSobreposicao(const print::RecordingPrinter &p) {
    std::vector<Mancha> m;
    for (const print::PrintOp &o : p.ops())
        if (o.kind == print::PrintOp::Text && !o.text.trimmed().isEmpty()) m.push_back(MedirTexto(o));
    for (std::size_t i = 0; i < m.size(); ++i)
        for (std::size_t j = i + 1; j < m.size(); ++j) {
            const Mancha &a = m[i].esquerda <= m[j].esquerda ? m[i] : m[j];
            const Mancha &b = &a == &m[i] ? m[j] : m[i];
            if (a.op.page != b.op.page || a.pe <= b.topo || b.pe <= a.topo) continue;
            EXPECT_GE(b.esquerda - a.direita, a.branco - 1)
                << "page " << a.op.page << ": \"" << a.op.text.toStdString() << "\" and \"" << b.op.text.toStdString()
                << "\"";
        }
}

// A printer whose every new page fails, as a printer that has gone away.
class ImpressoraSemNovaPagina : public print::RecordingPrinter {
public:
    void NewPage() override { throw err::AppError(482, QStringLiteral("Printer"), QStringLiteral("Erro de impressora")); }
};

// A job whose second page could not be started ended with the printer's
// error, after the first page only, and sent nothing.
inline void ConfereFalhaDeNovaPagina(const print::RecordingPrinter &p, const QStringList &mostrados) {
    ASSERT_EQ(mostrados.size(), 1);
    EXPECT_TRUE(mostrados[0].startsWith(QStringLiteral("482 'Erro de impressora'"))) << mostrados[0].toStdString();
    ASSERT_FALSE(p.ops().empty());
    EXPECT_EQ(p.ops().back().kind, print::PrintOp::KillDoc);
    EXPECT_EQ(p.documentsEnded(), 0);
    for (const print::PrintOp &o : p.ops()) EXPECT_EQ(o.page, 1);
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
    EXPECT_EQ(mostrados, QStringList{ui::kMsgPaginaPequena});
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
