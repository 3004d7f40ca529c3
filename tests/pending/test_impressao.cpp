// The printed pending list on the recording printer.
#include "PendenciasFixture.h"

#include "platform/print/QtPrinter.h"
#include "platform/print/RecordingPrinter.h"
#include "platform/ui/Input.h"
#include "support/Paginas.h"
#include "ui/Impressao.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>

using testsupport::Script;

namespace {

const QString kConcluida = QStringLiteral("Impressão concluída.");

struct Impresso {
    QString texto;
    int pagina;
    double x, y;
};

// The Courier texts (the rows), in print order.
std::vector<Impresso> linhas(const print::RecordingPrinter &p) {
    std::vector<Impresso> v;
    for (const print::PrintOp &o : p.ops())
        if (o.kind == print::PrintOp::Text && o.font == QStringLiteral("Courier New") && !o.bold)
            v.push_back({o.text, o.page, o.x, o.y});
    return v;
}

const Impresso *achar(const std::vector<Impresso> &v, const QString &texto) {
    for (const Impresso &i : v)
        if (i.texto == texto) return &i;
    return nullptr;
}
// The answer points into the rows: they must outlive it.
const Impresso *achar(std::vector<Impresso> &&, const QString &) = delete;

} // namespace

class Impressao : public Pendencias {
protected:
    // `n` postings due, each with its own history "LINHA k".
    pending::frmPendencias *lista(int n) {
        plano();
        for (int k = 1; k <= n; ++k) {
            core::escrita::NovoLancamento l;
            l.codConta = QStringLiteral("001");
            l.codRecDesp = QStringLiteral("003");
            l.valor = reais(100 * k);
            l.data = hoje().addDays(-n + k);
            l.historico = QStringLiteral("LINHA %1").arg(k);
            EXPECT_EQ(core::escrita::Lancar(*db, kOnde, l, 1), core::escrita::Desfecho::Gravado);
        }
        return abrirLista();
    }
    static double lc(print::Printer &p) {
        p.setFontName(QStringLiteral("Courier New"));
        p.setFontSize(8);
        p.setFontBold(false);
        return p.TextWidth(QStringLiteral("A"));
    }
};

TEST_F(Impressao, AShortListPrintsOnePageAndSaysSo) {
    auto *f = lista(3);
    print::RecordingPrinter p;
    Script s;
    s.ok();
    f->ImprimePendencias(p);
    EXPECT_EQ(s.shownTexts(), QStringList{kConcluida});
    EXPECT_EQ(s.shown()[0].style, platform::ui::vbInformation);
    EXPECT_EQ(p.Orientation(), print::vbPRORLandscape);
    EXPECT_EQ(p.PaperSize(), print::vbPRPSA4);
    EXPECT_EQ(p.documentsEnded(), 1);
    for (const print::PrintOp &o : p.ops()) EXPECT_NE(o.kind, print::PrintOp::NewPage);
    const QList<QString> textos = p.texts(1);
    EXPECT_TRUE(textos.contains(QStringLiteral("1")));
    EXPECT_TRUE(textos.contains(QStringLiteral("LANÇAMENTOS PENDENTES PARA BAIXA EM ") +
                                QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"))));
    for (const char *t : {"DATA", "VALOR", "CONTA", "RECEITA/DESPESA", "DOCUMENTO", "HISTÓRICO", "LINHA 1", "LINHA 3", "3,00"})
        EXPECT_TRUE(textos.contains(QString::fromUtf8(t))) << t;
    EXPECT_EQ(f->Fgrid->Rows(), 4) << "printing leaves the grid alone";
}

TEST_F(Impressao, MarginsFollowThePrintersStrips) {
    struct Caso {
        const char *nome;
        int esquerdaPx, superiorPx, inferiorPx; // landscape strips, in pixels of 2.4 twips
        double margemEsquerda, topo, margemInferior;
    };
    const Caso casos[] = {
        {"narrow strips", 100, 100, 100, 1200 - 240, 500 - 240, 900},
        {"wide strips", 600, 250, 400, 0, 0, 0},
    };
    auto *f = lista(60);
    for (const Caso &c : casos) {
        print::RecordingPrinter::Device d;
        d.topPx = c.esquerdaPx; // landscape turns the sheet: the portrait top is the left strip
        d.rightPx = c.superiorPx;
        d.leftPx = c.inferiorPx;
        print::RecordingPrinter p(d);
        Script s;
        s.ok();
        f->ImprimePendencias(p);
        const double largura = lc(p);
        for (const print::PrintOp &o : p.ops()) {
            if (o.kind != print::PrintOp::Text) continue;
            if (o.text == QStringLiteral("DATA")) {
                EXPECT_NEAR(o.x, std::round(2 * largura + c.margemEsquerda), 0.5) << c.nome;
            }
            if (o.page == 1 && o.font == QStringLiteral("Times New Roman") && o.text == QStringLiteral("1")) {
                EXPECT_EQ(o.y, c.topo) << c.nome;
            }
        }
        double maisBaixa = 0;
        for (const Impresso &i : linhas(p)) maisBaixa = std::max(maisBaixa, i.y);
        p.setFontName(QStringLiteral("Courier New"));
        EXPECT_LE(maisBaixa + p.TextHeight(QStringLiteral("A")), p.ScaleHeight() - c.margemInferior) << c.nome;
        EXPECT_GT(maisBaixa + 3 * (p.TextHeight(QStringLiteral("A")) + 20), p.ScaleHeight() - c.margemInferior)
            << c.nome << ": the page is filled";
    }
}

TEST_F(Impressao, ARowThatWouldPassThePagesEndGoesWholeToTheNext) {
    auto *f = lista(80);
    print::RecordingPrinter p;
    Script s;
    s.ok();
    f->ImprimePendencias(p);
    // Rows of one line each: how many the first page holds.
    int porPagina = 0;
    for (const Impresso &i : linhas(p))
        if (i.pagina == 1 && i.texto.startsWith(QStringLiteral("LINHA "))) ++porPagina;
    ASSERT_GT(porPagina, 10);
    // The last-but-one row of the page now needs three lines.
    const int r = porPagina - 1;
    f->Fgrid->setTextMatrix(r, 4, QStringLiteral("CONTA DE MOVIMENTO DA EMPRESA NA AGENCIA CENTRAL DA CIDADE"));
    p.clear();
    s.ok();
    f->ImprimePendencias(p);
    const auto v = linhas(p);
    const Impresso *antes = achar(v, QStringLiteral("LINHA %1").arg(r - 1));
    const Impresso *movida = achar(v, QStringLiteral("LINHA %1").arg(r));
    ASSERT_TRUE(antes && movida);
    EXPECT_EQ(antes->pagina, 1);
    EXPECT_EQ(movida->pagina, 2);
    for (const char *parte : {"CONTA DE MOVIMENTO DA", "EMPRESA NA AGENCIA", "CENTRAL DA CIDADE"}) {
        const Impresso *i = achar(v, QString::fromLatin1(parte));
        ASSERT_TRUE(i) << parte;
        EXPECT_EQ(i->pagina, 2) << parte;
    }
    // On the new page the wrapped row's lines follow each other and the next row starts below the lowest.
    const Impresso *l1 = achar(v, QStringLiteral("CONTA DE MOVIMENTO DA"));
    const Impresso *l3 = achar(v, QStringLiteral("CENTRAL DA CIDADE"));
    const Impresso *seguinte = achar(v, QStringLiteral("LINHA %1").arg(r + 1));
    p.setFontName(QStringLiteral("Courier New"));
    p.setFontSize(8);
    const double passo = p.TextHeight(QStringLiteral("A")) + 20;
    EXPECT_EQ(l1->y, movida->y);
    EXPECT_NEAR(l3->y, movida->y + 2 * passo, 0.01);
    EXPECT_NEAR(seguinte->y, std::round(movida->y + 3 * passo + 20), 1.0);
    EXPECT_EQ(p.documentsEnded(), 1);
}

TEST_F(Impressao, AnAmountOfFourteenCharactersPrintsWholeUnderItsTitle) {
    plano();
    lancar("001", "004", -9999999999, hoje());
    lancar("001", "003", 100, hoje());
    auto *f = abrirLista();
    print::RecordingPrinter p;
    Script s;
    s.ok();
    f->ImprimePendencias(p);
    const double largura = lc(p);
    const auto v = linhas(p);
    const Impresso *longo = achar(v, QStringLiteral("-99.999.999,99"));
    const Impresso *curto = achar(v, QStringLiteral("1,00"));
    ASSERT_TRUE(longo && curto);
    // The longer one is set smaller to fit the field: each measured in its own font.
    double fimDoLongo = 0;
    for (const print::PrintOp &o : p.ops())
        if (o.kind == print::PrintOp::Text && o.text == longo->texto) fimDoLongo = testsupport::MedirTexto(o).direita;
    EXPECT_NEAR(fimDoLongo, curto->x + 4 * largura, 0.5) << "both end at the column's edge";
    const Impresso *data = achar(v, hoje().toString(QStringLiteral("dd/MM/yyyy")));
    ASSERT_TRUE(data);
    EXPECT_NEAR(curto->x + 4 * largura, std::round(data->x + 11 * largura) + 13 * largura, 0.5);
}

TEST_F(Impressao, AWordWiderThanItsColumnStopsTheJobSilently) {
    auto *f = lista(3);
    f->Fgrid->setTextMatrix(2, 5, QStringLiteral("DESPESASEXTRAORDINARIASDIVERSAS"));
    print::RecordingPrinter p;
    Script s;
    {
        print::ScopedPrinter troca(p);
        s.ok();
        f->cmdImprimir_Click();
    }
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Largura de palavra maior que a largura do campo de impressão na linha.")});
    EXPECT_EQ(p.ops().back().kind, print::PrintOp::KillDoc);
    EXPECT_EQ(p.documentsEnded(), 0);
    EXPECT_TRUE(f->IsLoaded());
}

TEST_F(Impressao, APageThatHoldsNoRowStopsInsteadOfStartingPagesWithoutEnd) {
    auto *f = lista(3);
    print::RecordingPrinter::Device d;
    d.rightPx = 2200;
    d.leftPx = 2200;
    print::RecordingPrinter p(d);
    Script s;
    s.ok();
    {
        print::ScopedPrinter troca(p);
        f->cmdImprimir_Click();
    }
    EXPECT_EQ(s.shownTexts(), QStringList{ui::kMsgPaginaPequena});
    EXPECT_EQ(p.ops().back().kind, print::PrintOp::KillDoc);
    EXPECT_EQ(p.documentsEnded(), 0);
    int paginas = 0;
    for (const print::PrintOp &o : p.ops()) paginas += o.kind == print::PrintOp::NewPage;
    EXPECT_EQ(paginas, 0);
}

// Amounts past the 13-character field (a billion, a balance of ten billion
// less a cent, the currency's widest) and a document of the transfer
// dialog's 20 characters stay whole inside their own columns.
TEST_F(Impressao, LongAmountsAndDocumentsStayInsideTheirColumns) {
    plano();
    lancar("001", "004", -100000000000, hoje(), QStringLiteral("NF 2024/000123-AB9"));
    lancar("002", "003", 1099999999999, hoje(), QStringLiteral("DOCUMENTO12345678901"));
    lancar("001", "003", 100, hoje());
    lancar("001", "003", 200, hoje());
    auto *f = abrirLista();
    ASSERT_EQ(f->Fgrid->Rows(), 5);
    const QString maior = QStringLiteral("-922.337.203.685.477,58");
    for (int r = 1; r < 5; ++r)
        if (f->Fgrid->TextMatrix(r, 3) == QStringLiteral("2,00")) f->Fgrid->setTextMatrix(r, 3, maior);
    print::RecordingPrinter p;
    Script s;
    s.ok();
    f->ImprimePendencias(p);
    ASSERT_EQ(s.shownTexts(), QStringList{kConcluida});
    testsupport::ConfereSemSobreposicao(p);
    const double largura = lc(p);
    const std::vector<Impresso> impressos = linhas(p);
    const Impresso *data = achar(impressos, hoje().toString(QStringLiteral("dd/MM/yyyy")));
    ASSERT_TRUE(data);
    const double inicioDoCampo = std::round(data->x + 11 * largura), fimDoCampo = inicioDoCampo + 13 * largura;
    struct Valor {
        QString texto;
        double tamanho; // the font's size: 8 when the field holds it
    };
    for (const Valor &v : {Valor{QStringLiteral("1,00"), 8}, Valor{QStringLiteral("-1.000.000.000,00"), 6.1},
                           Valor{QStringLiteral("10.999.999.999,99"), 6.1}, Valor{maior, 4.5}}) {
        const print::PrintOp *o = nullptr;
        for (const print::PrintOp &op : p.ops())
            if (op.kind == print::PrintOp::Text && op.text == v.texto) o = &op;
        ASSERT_TRUE(o) << v.texto.toStdString();
        const testsupport::Mancha m = testsupport::MedirTexto(*o);
        EXPECT_EQ(o->font, QStringLiteral("Courier New"));
        EXPECT_DOUBLE_EQ(o->size, v.tamanho) << v.texto.toStdString();
        EXPECT_NEAR(m.direita, fimDoCampo, 0.5) << v.texto.toStdString();
        EXPECT_GE(m.esquerda, inicioDoCampo - 0.5) << v.texto.toStdString();
        // on its row's line, beside the row's date
        const Impresso *dataDaLinha = nullptr;
        for (const Impresso &i : impressos)
            if (i.texto == data->texto && i.y <= m.topo && m.topo < i.y + p.TextHeight(QStringLiteral("A"))) dataDaLinha = &i;
        ASSERT_TRUE(dataDaLinha) << v.texto.toStdString();
        EXPECT_LE(m.pe, dataDaLinha->y + p.TextHeight(QStringLiteral("A")) + 0.5);
    }
    // Documents wrap inside their column, whose 16 characters keep a blank
    // before the history.
    const auto v = linhas(p);
    for (const char *parte : {"NF", "2024/000123-AB9", "DOCUMENTO123456", "78901"}) EXPECT_TRUE(achar(v, QString::fromLatin1(parte))) << parte;
    const Impresso *doc1 = achar(v, QStringLiteral("DOCUMENTO123456")), *doc2 = achar(v, QStringLiteral("78901"));
    ASSERT_TRUE(doc1 && doc2);
    EXPECT_EQ(doc1->x, doc2->x);
    EXPECT_NEAR(doc2->y, doc1->y + p.TextHeight(QStringLiteral("A")) + 20, 0.01);
}

TEST_F(Impressao, ANewPageThatFailsEndsTheJobWithThePrinterError) {
    auto *f = lista(80);
    testsupport::ImpressoraSemNovaPagina p;
    Script s;
    {
        print::ScopedPrinter troca(p);
        s.ok();
        f->cmdImprimir_Click();
    }
    testsupport::ConfereFalhaDeNovaPagina(p, s.shownTexts());
}

// The job is handed to the printer only when complete: one stopped on its
// second page (a word too wide for its column) leaves no file behind, where
// the whole list writes every page.
TEST_F(Impressao, AJobStoppedOnItsSecondPageSendsNothing) {
    auto *f = lista(80);
    QTemporaryDir dir;
    const QString arquivo = dir.filePath(QStringLiteral("pendencias.pdf"));
    print::QtPrinter pdf(arquivo);
    {
        print::ScopedPrinter troca(pdf);
        Script s;
        s.ok();
        f->cmdImprimir_Click();
        EXPECT_EQ(s.shownTexts(), QStringList{kConcluida});
    }
    ASSERT_TRUE(QFile::exists(arquivo));
    EXPECT_EQ(testsupport::PaginasDoPdf(arquivo), 2);
    QFile::remove(arquivo);

    f->Fgrid->setTextMatrix(75, 5, QStringLiteral("DESPESASEXTRAORDINARIASDIVERSAS"));
    {
        print::ScopedPrinter troca(pdf);
        Script s;
        s.ok();
        f->cmdImprimir_Click();
        EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Largura de palavra maior que a largura do campo de impressão na linha.")});
    }
    EXPECT_FALSE(QFile::exists(arquivo));
}
