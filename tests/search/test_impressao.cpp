// The printed statement and search on the recording printer.
#include <QRegularExpression>
#include "RetPesqFixture.h"

#include "platform/print/RecordingPrinter.h"
#include "support/Paginas.h"
#include "ui/Impressao.h"

#include <functional>

namespace {

using print::PrintOp;

class Impressao : public RetPesq {
protected:
    void SetUp() override {
        RetPesq::SetUp();
        plano();
    }
    search::frmRetPesq *extratoTodo(int mode = 1, const QString &contas = QString()) {
        Abertura a;
        a.mode = mode;
        a.contas = contas;
        a.titulo = u("Extrato de teste");
        a.sql = extrato(u("#01/01/2020#"), u("#12/31/2030#"), mode);
        return abrir(a);
    }
    // Prints and answers the closing message; the texts the user was shown.
    QStringList imprimir(search::frmRetPesq *f, int respostas = 1) {
        testsupport::Script s;
        for (int i = 0; i < respostas; ++i) s.ok();
        print::ScopedPrinter uso(impressora);
        f->cmdImprimir_Click();
        return s.shownTexts();
    }
    std::vector<PrintOp> textos(const QString &texto) const {
        std::vector<PrintOp> out;
        for (const PrintOp &o : impressora.ops())
            if (o.kind == PrintOp::Text && o.text == texto) out.push_back(o);
        return out;
    }
    const PrintOp *primeiro(const QString &texto) const {
        for (const PrintOp &o : impressora.ops())
            if (o.kind == PrintOp::Text && o.text == texto) return &o;
        return nullptr;
    }
    // The right edge of a printed text.
    double fim(const PrintOp &o) const {
        print::RecordingPrinter medida;
        medida.setFontName(o.font);
        medida.setFontSize(o.size);
        medida.setFontBold(o.bold);
        return o.x + medida.TextWidth(o.text);
    }
    print::RecordingPrinter impressora;
};

TEST_F(Impressao, LinhasDeDataCabecalhoEColunaGlobal) {
    lancar("001", "003", QDate(2024, 1, 10), 100000, "A1", "PRIMEIRO");
    lancar("002", "004", QDate(2024, 1, 10), -2550, "A2", "SEGUNDO");
    lancar("001.001", "003.001", QDate(2024, 1, 11), 700, "A3", "TERCEIRO");
    for (bool global : {true, false}) {
        SCOPED_TRACE(global);
        impressora.clear();
        search::frmRetPesq *f = extratoTodo(1, global ? QString() : u("'001'"));
        ASSERT_EQ(f->ColunaGlobalVisivel(), global);
        EXPECT_EQ(imprimir(f), QStringList{u("Impressão concluída.")});
        EXPECT_EQ(impressora.documentsEnded(), 1);
        EXPECT_EQ(impressora.Orientation(), print::vbPRORLandscape);
        EXPECT_EQ(f->TituloRelatorio, u("EXTRATO DE TESTE"));
        // One bold date line per day.
        ASSERT_EQ(textos(u("10/01/2024")).size(), 1u);
        EXPECT_TRUE(textos(u("10/01/2024"))[0].bold);
        EXPECT_EQ(textos(u("11/01/2024")).size(), 1u);
        // The settlement code and the account, then the type, document and history.
        EXPECT_NE(primeiro(u("? CAIXA")), nullptr);
        EXPECT_NE(primeiro(u("SALARIO")), nullptr);
        EXPECT_NE(primeiro(u("A2")), nullptr);
        EXPECT_EQ(primeiro(u("SALDO GLOBAL")) != nullptr, global);
        EXPECT_EQ(primeiro(search::kRotuloSaldoAnterior) != nullptr, global);
        EXPECT_NE(primeiro(u("SALDO CONTA")), nullptr);
        // Amounts end at their column's edge: value at 129 or 143 characters, balance 14 further.
        const PrintOp *rotulo = primeiro(u("? CAIXA"));
        const PrintOp *v = primeiro(u("-25,50"));
        ASSERT_NE(v, nullptr);
        print::RecordingPrinter medida;
        medida.setFontName(u("Courier New"));
        medida.setFontSize(8);
        const double largura = medida.TextWidth(u("A"));
        EXPECT_NEAR(fim(*v) - rotulo->x, (global ? 129 : 143) * largura, 1.0);
        const PrintOp *cabecalhoValor = primeiro(u("VALOR"));
        EXPECT_NEAR(fim(*cabecalhoValor) - rotulo->x, (global ? 127 : 141) * largura, 1.0);
    }
}

TEST_F(Impressao, Modo2EModo5) {
    lancar("001", "003", QDate(2024, 1, 10), 100, "X1", "H");
    search::frmRetPesq *f = extratoTodo(2);
    imprimir(f);
    const PrintOp *primeiraColuna = primeiro(u("RECEITA/DESPESA")), *segunda = primeiro(u("CONTA"));
    ASSERT_TRUE(primeiraColuna && segunda);
    EXPECT_LT(primeiraColuna->x, segunda->x);
    EXPECT_NE(primeiro(u("SALDO REC/DESP")), nullptr);
    EXPECT_NE(primeiro(u("? SALARIO")), nullptr);

    impressora.clear();
    search::frmRetPesq *p = search::AbrirPesquisaPorDocumento(&area, u("X1"));
    janelas.emplace_back(p);
    ativar(p);
    imprimir(p);
    EXPECT_EQ(primeiro(u("SALDO GLOBAL")), nullptr);
    EXPECT_EQ(primeiro(search::kRotuloSaldoAnterior), nullptr);
    EXPECT_NE(primeiro(u("? CAIXA")), nullptr);
    EXPECT_NE(primeiro(search::kTituloPesquisaPorDocumento), nullptr);
    // Value ends at 143 characters, the account balance at 157.
    print::RecordingPrinter medida;
    medida.setFontName(u("Courier New"));
    medida.setFontSize(8);
    const double largura = medida.TextWidth(u("A"));
    const double margem = primeiro(u("? CAIXA"))->x;
    const std::vector<PrintOp> uns = textos(u("1,00"));
    ASSERT_EQ(uns.size(), 2u);
    EXPECT_NEAR(fim(uns[0]) - margem, 143 * largura, 1.0);
    EXPECT_NEAR(fim(uns[1]) - margem, 157 * largura, 1.0);
    EXPECT_NEAR(fim(*primeiro(u("SALDO CONTA"))) - margem, 157 * largura, 1.0);
}

TEST_F(Impressao, ValoresDe14CaracteresInteiros) {
    lancar("001", "003", QDate(2024, 1, 10), 1234567890, "A", "H");
    lancar("002", "004", QDate(2024, 1, 11), -2469135780, "B", "H");
    search::frmRetPesq *f = extratoTodo();
    imprimir(f);
    EXPECT_NE(primeiro(u("12.345.678,90")), nullptr);
    EXPECT_NE(primeiro(u("-24.691.357,80")), nullptr);
    EXPECT_NE(primeiro(u("-12.345.678,90")), nullptr); // balances after the second
    EXPECT_EQ(primeiro(u("-24.691.357,8")), nullptr);
}

TEST_F(Impressao, LinhaQueNaoCabeVaiInteiraParaAProximaPagina) {
    // Rows of one day whose history wraps into two lines.
    const QString longo = u("UM HISTORICO COMPRIDO QUE QUEBRA EM DUAS LINHAS NA");
    for (int i = 0; i < 70; ++i) lancar("001", "003", QDate(2024, 1, 10), 100 + i, "D", longo.toUtf8().constData());
    search::frmRetPesq *f = extratoTodo();
    imprimir(f);
    int paginas = 0;
    for (const PrintOp &o : impressora.ops()) paginas = std::max(paginas, o.page);
    ASSERT_GT(paginas, 2);
    // Each row's two history lines are on one page.
    const QStringList partes = ui::QuebraLinha(longo, 35 * 96, 96);
    ASSERT_EQ(partes.size(), 2);
    const std::vector<PrintOp> a = textos(partes[0]), b = textos(partes[1]);
    ASSERT_EQ(a.size(), 70u);
    ASSERT_EQ(b.size(), 70u);
    print::RecordingPrinter medida;
    medida.setFontName(u("Courier New"));
    medida.setFontSize(8);
    const double fundo = impressora.ScaleHeight(); // nothing below the printable area
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].page, b[i].page) << i;
        EXPECT_GT(b[i].y, a[i].y);
        EXPECT_LE(b[i].y + medida.TextHeight(u("A")), fundo) << i;
    }
    // Every page holds at most the lines that fit under its header: the
    // rule's height plus 100 starts the body, 900 is kept at the bottom.
    for (int pagina = 1; pagina <= paginas; ++pagina) {
        double regua = 0;
        for (const PrintOp &o : impressora.ops())
            if (o.kind == PrintOp::Line && o.page == pagina) regua = o.y;
        const long limite = ui::CalculaLimiteDeLinhas(float(medida.TextHeight(u("A")) + 20),
                                                      float(impressora.ScaleHeight() - (regua + 100) - 900));
        long linhas = pagina == 1 ? 1 : 0; // the date line
        for (const PrintOp &o : a) linhas += o.page == pagina ? 2 : 0;
        EXPECT_LE(linhas, limite) << pagina;
        if (pagina < paginas) {
            // and a page before the last is full: the next row, 20 twips down, would pass the reserve
            EXPECT_GT(impressora.lowestInk(pagina) + 20 + 2 * (medida.TextHeight(u("A")) + 20),
                      impressora.ScaleHeight() - 900)
                << pagina;
        }
    }
    // A single date line: the day does not change.
    EXPECT_EQ(textos(u("10/01/2024")).size(), 1u);
    // A second print gives the same pages.
    const std::vector<PrintOp> antes = impressora.ops();
    impressora.clear();
    imprimir(f);
    ASSERT_EQ(impressora.ops().size(), antes.size());
    // The header's clock may have passed a second between the two prints.
    static const QRegularExpression hora(QStringLiteral("\\d{1,2}:\\d{2}(:\\d{2})?"));
    for (std::size_t i = 0; i < antes.size(); ++i) {
        if (!antes[i].text.contains(hora)) {
            EXPECT_EQ(impressora.ops()[i].text, antes[i].text);
        }
        EXPECT_EQ(impressora.ops()[i].page, antes[i].page);
    }
}

TEST_F(Impressao, NadaPassaDaAreaImprimivelComFaixaInferiorLargaOuEstreita) {
    // Days of several rows, some wrapping: each row starts 20 twips under the
    // last one, which the line count leaves out.
    const QString longo = u("UM HISTORICO COMPRIDO QUE QUEBRA EM DUAS LINHAS NA");
    for (int i = 0; i < 90; ++i)
        lancar("001", "003", QDate(2024, 1, 1 + i / 7), 100 + i, "D", i % 5 == 0 ? longo.toUtf8().constData() : "CURTO");
    search::frmRetPesq *f = extratoTodo();
    struct Caso {
        const char *nome;
        int inferiorPx; // on landscape paper the portrait left strip is the foot
        double reserva;
    };
    for (const Caso &c : {Caso{"faixa estreita", 100, 900}, Caso{"faixa larga", 400, 0}}) {
        SCOPED_TRACE(c.nome);
        print::RecordingPrinter::Device d;
        d.leftPx = c.inferiorPx;
        impressora.setDevice(d);
        impressora.clear();
        imprimir(f);
        ASSERT_EQ(impressora.documentsEnded(), 1);
        ASSERT_GT(testsupport::PaginasImpressas(impressora), 2);
        print::RecordingPrinter medida;
        medida.setFontName(u("Courier New"));
        medida.setFontSize(8);
        // Full, not cut short: a page before the last leaves less than a wrapped row free.
        testsupport::ConfereRodapes(impressora, c.reserva, 3 * (medida.TextHeight(u("A")) + 20));
        // Every row printed once, its two history lines on one page.
        const QStringList partes = ui::QuebraLinha(longo, 35 * 96, 96);
        const std::vector<PrintOp> a = textos(partes[0]), b = textos(partes[1]);
        ASSERT_EQ(a.size(), 18u);
        ASSERT_EQ(b.size(), 18u);
        for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].page, b[i].page) << i;
    }
}

TEST_F(Impressao, NadaParaImprimirEPalavraLargaDemaisParaOTrabalho) {
    search::frmRetPesq *f = extratoTodo();
    EXPECT_EQ(imprimir(f), QStringList{u("Nada há para ser impresso.")});
    EXPECT_TRUE(impressora.ops().empty());

    lancar("001", "003", QDate(2024, 1, 10), 100, "A", "PALAVRASEMESPACOSQUENAOCABENACOLUNAXX");
    f->cmdAtualizar_Click();
    EXPECT_EQ(imprimir(f), QStringList{u("Largura de palavra maior que a largura do campo de impressão na linha.")});
    EXPECT_EQ(impressora.documentsEnded(), 0);
    bool cancelado = false;
    for (const PrintOp &o : impressora.ops()) cancelado = cancelado || o.kind == PrintOp::KillDoc;
    EXPECT_TRUE(cancelado);
}

TEST_F(Impressao, PaginaQueNaoComportaUmaLinhaParaOTrabalho) {
    lancar("001", "003", QDate(2024, 1, 10), 100, "A", "H");
    search::frmRetPesq *f = extratoTodo();
    print::RecordingPrinter::Device baixa;
    baixa.rightPx = 3900; // on landscape paper: little height left under the header
    impressora.setDevice(baixa);
    EXPECT_EQ(imprimir(f), QStringList{u("A área de impressão da página não comporta uma linha do relatório.")});
    EXPECT_EQ(impressora.documentsEnded(), 0);
    int paginas = 0;
    for (const PrintOp &o : impressora.ops()) paginas = std::max(paginas, o.page);
    EXPECT_EQ(paginas, 1);
}

// Amounts of a billion and a global balance of ten billion less a cent, in
// both statements and the search, stand whole in their fields, and documents
// of 20 characters wrap inside their column: no text of a line overprints
// another.
TEST_F(Impressao, ValoresGrandesEDocumentosLongosNaoSobrepoemOsVizinhos) {
    lancar("001", "004", QDate(2024, 1, 10), -100000000000, "NF 2024/000123-AB9", "HISTORICO DO PRIMEIRO");
    lancar("002", "003", QDate(2024, 1, 10), 1099999999999, "DOCUMENTO12345678901", "HISTORICO DO SEGUNDO");
    lancar("001", "003", QDate(2024, 1, 11), 100, "A3", "HISTORICO DO TERCEIRO");
    struct Caso {
        const char *nome;
        std::function<search::frmRetPesq *()> abrir;
        bool global;
    };
    const Caso casos[] = {
        {"extrato com a coluna global", [&] { return extratoTodo(1); }, true},
        {"extrato sem a coluna global", [&] { return extratoTodo(1, u("'001'")); }, false},
        {"extrato de receitas e despesas", [&] { return extratoTodo(2); }, true},
        {"pesquisa por documento",
         [&] {
             search::frmRetPesq *p = search::AbrirPesquisaPorDocumento(&area, u("NF 2024/000123-AB9"));
             janelas.emplace_back(p);
             ativar(p);
             return p;
         },
         false},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        impressora.clear();
        search::frmRetPesq *f = c.abrir();
        ASSERT_TRUE(f);
        ASSERT_EQ(imprimir(f), QStringList{u("Impressão concluída.")});
        testsupport::ConfereSemSobreposicao(impressora);
        const PrintOp *valor = primeiro(u("-1.000.000.000,00"));
        ASSERT_NE(valor, nullptr);
        EXPECT_LT(valor->size, 8);
        EXPECT_NE(primeiro(u("NF")), nullptr);
        EXPECT_NE(primeiro(u("2024/000123-AB9")), nullptr);
        if (c.global) {
            ASSERT_NE(primeiro(u("9.999.999.999,99")), nullptr);
            // ends at the global column's edge, as its heading does
            EXPECT_NEAR(fim(*primeiro(u("9.999.999.999,99"))), fim(*primeiro(u("SALDO GLOBAL"))), 1.0);
        }
    }
}

TEST_F(Impressao, NovaPaginaQueFalhaEncerraOTrabalhoComOErroDaImpressora) {
    for (int i = 0; i < 70; ++i) lancar("001", "003", QDate(2024, 1, 10), 100 + i, "D", "H");
    search::frmRetPesq *f = extratoTodo();
    testsupport::ImpressoraSemNovaPagina falha;
    testsupport::Script s;
    s.ok();
    {
        print::ScopedPrinter uso(falha);
        f->cmdImprimir_Click();
    }
    testsupport::ConfereFalhaDeNovaPagina(falha, s.shownTexts());
}

} // namespace
