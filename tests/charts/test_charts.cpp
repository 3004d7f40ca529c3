// The charts: code generation, lazy trees, the deletion rule, the editor
// windows' commands, the item dialogs and the printed chart.
#include "ui/AppContext.h"
#include "charts/PlanoNaJanela.h"
#include "charts/frmItemDet.h"
#include "charts/frmPlano.h"
#include "db/CDaoTrans.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/print/RecordingPrinter.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/UpperLineEdit.h"
#include "support/Paginas.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/SaldoInicial.h"
#include "support/ErrorOf.h"
#include "support/Oracle.h"
#include "support/LivroNovo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <sqlite3.h>

using testsupport::Script;
using value::Currency;

namespace {

const QString kDuplicado = QStringLiteral(
    "Erro: você está tentando realizar uma operação que duplicaria uma informação que deve ser única no banco de dados.");

class Charts : public testsupport::LivroNovo {
protected:
    void SetUp() override {
        LivroNovo::SetUp();
        ui::gTemDados = 0;
    }
    void TearDown() override {
        for (charts::frmPlano *f : janelas) {
            if (f->IsLoaded()) f->Unload();
            delete f;
        }
        EXPECT_EQ(testsupport::CheckBookText(*db, oracle).toStdString(), "");
        LivroNovo::TearDown();
    }
    void conta(const QString &codigo, const QString &des = QString(), bool inativa = false) {
        db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai, Inativa) VALUES ('%1', '%2', '%3', %4)")
                        .arg(des.isEmpty() ? QStringLiteral("C ") + QString(codigo).remove(QLatin1Char('.')) : des, codigo, CodigoPai(codigo),
                             inativa ? QStringLiteral("True") : QStringLiteral("False")));
    }
    void tipo(const QString &codigo, const QString &des = QString()) {
        db->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai, Inativo) "
                                   "VALUES ('%1', '%2', '%3', False)")
                        .arg(des.isEmpty() ? QStringLiteral("TIPO ") + codigo : des, codigo, CodigoPai(codigo)));
    }
    long lancar(const QString &c, const QString &t, double v, QDate d, const QString &hist = QStringLiteral("H")) {
        core::escrita::Lancamento l;
        l.codConta = c;
        l.codRecDesp = t;
        l.valor = Currency::fromUnits(std::llround(v * 10000));
        l.data = d;
        l.historico = hist;
        l.idUsuario = 1;
        core::escrita::Gravado g;
        db::CDaoTrans trans;
        trans.BegTrans();
        EXPECT_EQ(core::escrita::GravarLancamento(*db, l, &g), core::escrita::Resultado::Gravado);
        trans.ComTrans();
        return g.id;
    }
    void inicial(const QString &c, double v, QDate d) {
        db::CDaoTrans trans;
        trans.BegTrans();
        QString recusa;
        core::escrita::LancarSaldoInicial(*db, c, Currency::fromUnits(std::llround(v * 10000)), d, 1, recusa);
        EXPECT_EQ(recusa, QString());
        trans.ComTrans();
    }
    qint64 contagem(const QString &sql) { return db->OpenRecordset(sql, dao::dbOpenSnapshot)->Field(0).toInt(); }
    template <typename F>
    F *abrir() {
        auto *f = new F();
        janelas.push_back(f);
        f->Load();
        return f;
    }
    static QStringList filhos(widgets::Node *n) {
        QStringList out;
        for (widgets::Node *c : n->ChildList()) out << c->Key();
        return out;
    }

    std::vector<charts::frmPlano *> janelas;
    testsupport::OracleOptions oracle;
};

} // namespace

// ---- codes -------------------------------------------------------------------

TEST_F(Charts, NewCodesFollowTheHighestChildAndStayInsideTheFormat) {
    struct Caso {
        const char *nome;
        std::vector<const char *> contas; // created first
        const char *pai;
        const char *esperado; // nullptr: refused
        QString mensagem;
    };
    const QString oito = QStringLiteral("001.001.001.001.001.001.001.001");
    const Caso casos[] = {
        {"first account", {}, "000", "001", {}},
        {"first child", {"003"}, "003", "003.001", {}},
        {"after two children", {"003", "003.001", "003.002"}, "003", "003.003", {}},
        {"gap not refilled", {"001", "002", "004"}, "000", "005", {}},
        {"inactive child counts", {"001", "001.007"}, "001", "001.008", {}},
        {"full level", {"002", "002.999"}, "002", nullptr, core::arvores::kMsgNivelCheio},
        {"full first level", {"999"}, "000", nullptr, core::arvores::kMsgNivelCheio},
        {"eight levels deep", {"001", "001.001", "001.001.001", "001.001.001.001", "001.001.001.001.001",
                               "001.001.001.001.001.001", "001.001.001.001.001.001.001", "001.001.001.001.001.001.001.001"},
         "001.001.001.001.001.001.001.001", nullptr, core::arvores::kMsgProfundidade},
    };
    for (const Caso &c : casos) {
        db->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo <> '000'"));
        for (const char *k : c.contas) conta(QString::fromLatin1(k));
        Script s;
        if (!c.esperado) s.ok();
        QString novo;
        const long e = testsupport::errorOf([&] { novo = charts::ObterNovoCodigoContas(QString::fromLatin1(c.pai)); });
        if (c.esperado) {
            EXPECT_EQ(e, 0) << c.nome;
            EXPECT_EQ(novo, QString::fromLatin1(c.esperado)) << c.nome;
        } else {
            EXPECT_EQ(e, err::kErrCancel) << c.nome;
            EXPECT_EQ(s.shownTexts(), QStringList{c.mensagem}) << c.nome;
        }
    }
    Q_UNUSED(oito);
    // The type chart starts after its two system types.
    EXPECT_EQ(charts::ObterNovoCodigoRecDesp(QStringLiteral("000")), QStringLiteral("003"));
    // Deleting the highest child gives its code again.
    db->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo <> '000'"));
    for (const char *k : {"001", "002", "004"}) conta(QString::fromLatin1(k));
    charts::ExcluirConta(QStringLiteral("004"));
    EXPECT_EQ(charts::ObterNovoCodigoContas(QStringLiteral("000")), QStringLiteral("003"));
}

// ---- lazy trees ----------------------------------------------------------------

TEST_F(Charts, TreeLoadsOneLevelAtATimeWithPlaceholders) {
    conta(QStringLiteral("001"), QStringLiteral("caixa"));
    conta(QStringLiteral("001.001"), QStringLiteral("Banco"));
    conta(QStringLiteral("001.001.001"), QStringLiteral("POUPANÇA"));
    conta(QStringLiteral("001.002"), QStringLiteral("Água"), true);
    conta(QStringLiteral("002"), QStringLiteral("CARTÃO"));
    auto *f = abrir<charts::frmContas>();
    widgets::TreeView &tv = *f->tv;
    widgets::Node *raiz = tv.Item(QStringLiteral("_000"));
    ASSERT_NE(raiz, nullptr);
    EXPECT_EQ(raiz->Text(), QStringLiteral("TODAS AS CONTAS"));
    EXPECT_TRUE(raiz->Expanded());
    EXPECT_EQ(raiz->SelectedImage(), QStringLiteral("IMG_CONTASELEXP"));
    EXPECT_EQ(tv.LineStyle(), widgets::tvwTreeLines);
    // Sorted by text, ignoring case: "caixa" before "CARTÃO".
    EXPECT_EQ(filhos(raiz), (QStringList{QStringLiteral("_001"), QStringLiteral("_002")}));
    widgets::Node *n001 = tv.Item(QStringLiteral("_001"));
    EXPECT_EQ(filhos(n001), QStringList{QStringLiteral("D_001")});
    EXPECT_EQ(n001->Child()->Text(), QStringLiteral("Dummy"));
    EXPECT_EQ(n001->Child()->Image(), QString());
    EXPECT_EQ(tv.Item(QStringLiteral("_002"))->Children(), 0);
    EXPECT_EQ(tv.Item(QStringLiteral("_001.001")), nullptr);
    EXPECT_EQ(n001->Tag(), QStringLiteral("2"));
    // Expanding loads exactly the node's children ("Água" sorts before "Banco").
    n001->setExpanded(true);
    EXPECT_EQ(filhos(n001), (QStringList{QStringLiteral("_001.002"), QStringLiteral("_001.001")}));
    EXPECT_EQ(tv.Item(QStringLiteral("_001.002"))->Image(), QStringLiteral("IMG_CONTAINAT"));
    EXPECT_EQ(tv.Item(QStringLiteral("_001.002"))->ExpandedImage(), QStringLiteral("IMG_CONTAINATEXP"));
    EXPECT_EQ(filhos(tv.Item(QStringLiteral("_001.001"))), QStringList{QStringLiteral("D_001.001")});
    EXPECT_EQ(n001->SelectedImage(), QStringLiteral("IMG_CONTASELEXP"));
    // Collapsing drops the branch and puts the placeholder back.
    n001->setExpanded(false);
    EXPECT_EQ(filhos(n001), QStringList{QStringLiteral("D_001")});
    EXPECT_EQ(tv.Item(QStringLiteral("_001.001")), nullptr);
    EXPECT_EQ(n001->SelectedImage(), QStringLiteral("IMG_CONTASEL"));
    raiz->setExpanded(false);
    EXPECT_EQ(filhos(raiz), QStringList{QStringLiteral("D_000")});
    EXPECT_EQ(tv.LineStyle(), widgets::tvwRootLines);
}

TEST_F(Charts, EmptyChartShowsTheRootAloneAndTheTypeEditorHidesSystemTypes) {
    auto *c = abrir<charts::frmContas>();
    widgets::Node *raiz = c->tv->Item(QStringLiteral("_000"));
    EXPECT_FALSE(raiz->Expanded());
    EXPECT_EQ(raiz->Children(), 0);
    EXPECT_EQ(raiz->SelectedImage(), QStringLiteral("IMG_CONTASEL"));
    EXPECT_EQ(c->tv->Count(), 1);
    auto *t = abrir<charts::frmMovimentacoes>();
    EXPECT_EQ(t->tv->Count(), 1); // "001" and "002" are never shown
    tipo(QStringLiteral("003"));
    auto *t2 = abrir<charts::frmMovimentacoes>();
    EXPECT_EQ(filhos(t2->tv->Item(QStringLiteral("_000"))), QStringList{QStringLiteral("_003")});
}

// ---- deletion rule -------------------------------------------------------------

TEST_F(Charts, DeletionIsRefusedByPostingsBelowAndCascadesOtherwise) {
    for (const char *k : {"001", "001.001", "001.001.001", "002"}) conta(QString::fromLatin1(k));
    for (const char *k : {"003", "003.001", "004"}) tipo(QString::fromLatin1(k));
    db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, TipoObjeto, IdObjeto, Permissoes) "
                               "VALUES (1, 2, 5, 3)"));
    lancar(QStringLiteral("002"), QStringLiteral("003.001"), 10, QDate(2020, 1, 1));
    const QString recusaTipo = QStringLiteral(
        "Este item não pode ser excluído por haver lançamentos feitos usando seu código ou de um subitem seu.");
    {
        Script s;
        s.ok();
        EXPECT_EQ(testsupport::errorOf([] { charts::ExcluirRecDesp(QStringLiteral("003")); }), err::kErrCancel);
        EXPECT_EQ(s.shownTexts(), QStringList{recusaTipo});
        EXPECT_EQ(s.shown()[0].style, 64);
    }
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM TiposMovimentacoes WHERE Codigo LIKE '003*'")), 2);
    // Unused type: gone, and its permission rows stay.
    charts::ExcluirRecDesp(QStringLiteral("004"));
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM TiposMovimentacoes WHERE Codigo = '004'")), 0);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM PermissoesDeUsuarios")), 1);
    // A posting on a deep account blocks its ancestors.
    lancar(QStringLiteral("001.001.001"), QStringLiteral("003"), 5, QDate(2020, 1, 2));
    {
        Script s;
        s.ok();
        EXPECT_EQ(testsupport::errorOf([] { charts::ExcluirConta(QStringLiteral("001")); }), err::kErrCancel);
        EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Esta conta não pode ser excluída por haver lançamentos "
                                                             "feitos usando seu código ou o código de uma de suas subcontas.")});
    }
    // A code that no longer exists: nothing happens, nothing is shown.
    charts::ExcluirConta(QStringLiteral("077"));
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas")), 5);
}

TEST_F(Charts, DeletingAccountsWithOnlyOpeningBalancesMovesLaterBalancesBack) {
    for (const char *k : {"001", "002", "002.001", "002.001.001", "003"}) conta(QString::fromLatin1(k));
    tipo(QStringLiteral("003"));
    lancar(QStringLiteral("001"), QStringLiteral("003"), 10, QDate(2020, 1, 1));
    inicial(QStringLiteral("002.001"), 100, QDate(2020, 1, 5));
    inicial(QStringLiteral("002.001.001"), -30, QDate(2020, 1, 3));
    lancar(QStringLiteral("002"), QStringLiteral("003"), 7, QDate(2020, 2, 1));
    inicial(QStringLiteral("003"), 55, QDate(2020, 1, 4));
    lancar(QStringLiteral("001"), QStringLiteral("002"), 1, QDate(2020, 3, 1));
    charts::ExcluirConta(QStringLiteral("002.001"));
    oracle.postingsDeleted = true;
    EXPECT_EQ(testsupport::CheckBookText(*db, oracle).toStdString(), "");
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas WHERE Codigo LIKE '002.001*'")), 0);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 4);
    // A history typed as "SALDO INICIAL" on an ordinary posting is an ordinary posting.
    lancar(QStringLiteral("003"), QStringLiteral("002"), 3, QDate(2020, 4, 1), QStringLiteral("SALDO INICIAL"));
    Script s;
    s.ok();
    EXPECT_EQ(testsupport::errorOf([] { charts::ExcluirConta(QStringLiteral("003")); }), err::kErrCancel);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas WHERE Codigo = '003'")), 1);
}

// ---- editor commands -------------------------------------------------------------

TEST_F(Charts, AddUnderExpandedAndCollapsedParentsSetsTheMaskAndBroadcasts) {
    auto *f = abrir<charts::frmContas>();
    widgets::TreeView &tv = *f->tv;
    tv.setSelectedItem(tv.Item(QStringLiteral("_000")));
    Script s;
    s.act([](QWidget &w) {
        auto &d = static_cast<charts::frmContaDet &>(w);
        d.Activate();
        d.txtConta()->setText(QStringLiteral("  BANCO  "));
        d.cmdOK_Click();
    });
    f->cmdAdd_Click();
    EXPECT_EQ(ui::gTemDados & ui::kTemContas, ui::kTemContas);
    // The root was collapsed (empty chart): reloaded and expanded.
    widgets::Node *banco = tv.Item(QStringLiteral("_001"));
    ASSERT_NE(banco, nullptr);
    EXPECT_EQ(banco->Text(), QStringLiteral("BANCO"));
    EXPECT_TRUE(tv.Item(QStringLiteral("_000"))->Expanded());
    // Under the expanded root a new node goes to its sorted place.
    s.act([](QWidget &w) {
        auto &d = static_cast<charts::frmContaDet &>(w);
        d.Activate();
        d.txtConta()->setText(QStringLiteral("ARMÁRIO"));
        d.cmdOK_Click();
    });
    f->cmdAdd_Click();
    EXPECT_EQ(filhos(tv.Item(QStringLiteral("_000"))), (QStringList{QStringLiteral("_002"), QStringLiteral("_001")}));
    EXPECT_EQ(tv.Item(QStringLiteral("_002"))->Tag(), QString::number(contagem(QStringLiteral("SELECT Id FROM Contas WHERE Codigo = '002'"))));
    // Cancelling changes nothing.
    s.act([](QWidget &w) { static_cast<charts::frmContaDet &>(w).cmdCancel_Click(); });
    f->cmdAdd_Click();
    EXPECT_EQ(tv.Count(), 3);
}

TEST_F(Charts, DeactivationCoversTheSubtreeAndReactivationOnlyTheItem) {
    for (const char *k : {"001", "001.001", "001.001.001", "0011"}) conta(QString::fromLatin1(k));
    db->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo = '0011'"));
    auto *f = abrir<charts::frmContas>();
    widgets::TreeView &tv = *f->tv;
    widgets::Node *n = tv.Item(QStringLiteral("_001"));
    n->setExpanded(true);
    tv.setSelectedItem(n);
    Script s;
    s.yes();
    f->cmdDesativar_Click();
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas WHERE Inativa = True")), 3);
    EXPECT_EQ(n->Image(), QStringLiteral("IMG_CONTAINAT"));
    EXPECT_EQ(n->SelectedImage(), QStringLiteral("IMG_CONTAINATSEL"));
    EXPECT_EQ(tv.Item(QStringLiteral("_001.001"))->Image(), QStringLiteral("IMG_CONTAINAT"));
    // The node click offers reactivation.
    f->tv_NodeClick(n);
    EXPECT_EQ(f->cmdDesativar->text(), QStringLiteral("Ati&var"));
    // A child of an inactive item cannot be reactivated first.
    tv.setSelectedItem(tv.Item(QStringLiteral("_001.001")));
    s.ok();
    f->cmdDesativar_Click();
    EXPECT_EQ(s.shownTexts().last(),
              QStringLiteral("Item filho de item inativo não pode ser ativado antes da ativação do item pai."));
    // Adding under an inactive item is refused.
    s.ok();
    f->cmdAdd_Click();
    EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Não é permitido adicionar item filho a conta inativa."));
    // Reactivating the parent leaves its children inactive.
    tv.setSelectedItem(n);
    s.ok();
    f->cmdDesativar_Click();
    EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Item ativado. Os itens filhos não são ativados automaticamente."));
    EXPECT_EQ(n->Image(), QStringLiteral("IMG_CONTA"));
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas WHERE Inativa = True")), 2);
    // The root is refused.
    tv.setSelectedItem(tv.Item(QStringLiteral("_000")));
    s.ok();
    f->cmdDesativar_Click();
    EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Este item não pode ser alterado."));
}

TEST_F(Charts, DeletingTheLastItemClearsTheMaskAndCollapsesTheParent) {
    conta(QStringLiteral("001"));
    conta(QStringLiteral("001.001"));
    ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
    auto *f = abrir<charts::frmContas>();
    widgets::TreeView &tv = *f->tv;
    tv.Item(QStringLiteral("_001"))->setExpanded(true);
    tv.setSelectedItem(tv.Item(QStringLiteral("_001.001")));
    Script s;
    s.yes();
    f->cmdExcluir_Click();
    EXPECT_EQ(tv.Item(QStringLiteral("_001"))->Children(), 0);
    EXPECT_FALSE(tv.Item(QStringLiteral("_001"))->Expanded());
    EXPECT_EQ(ui::gTemDados, ui::kTemContas | ui::kTemRecDesp);
    tv.setSelectedItem(tv.Item(QStringLiteral("_001")));
    s.no();
    f->cmdExcluir_Click();
    EXPECT_EQ(tv.Count(), 2);
    s.yes();
    f->cmdExcluir_Click();
    EXPECT_EQ(tv.Count(), 1);
    EXPECT_EQ(ui::gTemDados, ui::kTemRecDesp);
    EXPECT_EQ(tv.Item(QStringLiteral("_000"))->SelectedImage(), QStringLiteral("IMG_CONTASEL"));
}

// ---- item dialogs --------------------------------------------------------------

TEST_F(Charts, AccountDialogValidatesBeforeWritingAnything) {
    conta(QStringLiteral("001"), QStringLiteral("CAIXA"));
    struct Caso {
        const char *nome;
        QString descricao, valor, data, mensagem;
    };
    const Caso casos[] = {
        {"blank", QStringLiteral("   "), {}, {}, QStringLiteral("Erro: faltando informar conta.")},
        {"apostrophe", QStringLiteral("D'ÁGUA"), {}, {}, QStringLiteral("Erro: descrição de conta não pode conter aspas simples ou duplas.")},
        {"double quote", QStringLiteral("A\"B"), {}, {}, QStringLiteral("Erro: descrição de conta não pode conter aspas simples ou duplas.")},
        {"nine-character date", QStringLiteral("NOVA"), QStringLiteral("10,00"), QStringLiteral("01/02/202"),
         QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa.")},
        {"no date", QStringLiteral("NOVA"), QStringLiteral("10,00"), {},
         QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa.")},
        {"31st of February", QStringLiteral("NOVA"), QStringLiteral("1.234,56"), QStringLiteral("31/02/2020"), QStringLiteral("Data inválida.")},
        // The opening balance is a posting: the maximum holds on its magnitude.
        {"opening balance past the maximum", QStringLiteral("NOVA"), QStringLiteral("100000000,00"), QStringLiteral("15/03/2021"),
         QStringLiteral("O valor máximo para saldo inicial é de 99.999.999,99")},
        {"negative opening balance past the maximum", QStringLiteral("NOVA"), QStringLiteral("-999999999999"),
         QStringLiteral("15/03/2021"), QStringLiteral("O valor máximo para saldo inicial é de 99.999.999,99")},
        {"duplicate description, other case", QStringLiteral("caixa"), {}, {}, kDuplicado},
        {"NUL character", QStringLiteral("A") + QChar(u'\0') + QStringLiteral("B"), {}, {},
         QStringLiteral("O nome contém um caractere nulo, que não pode ser gravado.")},
    };
    for (const Caso &c : casos) {
        charts::frmContaDet d;
        d.Load();
        d.SetMode(1);
        d.CodPai = QStringLiteral("000");
        Script s;
        s.act([&](QWidget &) {
            d.Activate();
            d.txtConta()->setText(c.descricao);
            d.txtSaldoInicial->setValueText(c.valor);
            d.txtData->setText(c.data);
            d.cmdOK_Click();
            EXPECT_TRUE(d.IsLoaded()) << c.nome;
            d.cmdCancel_Click();
        });
        s.ok();
        d.ShowModal();
        EXPECT_EQ(s.shownTexts().value(1), c.mensagem) << c.nome;
        EXPECT_TRUE(d.Cancelado) << c.nome;
        EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas")), 2) << c.nome;
        EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 0) << c.nome;
    }
}

TEST_F(Charts, AccountDialogWritesTheAccountWithItsOpeningBalance) {
    tipo(QStringLiteral("003"));
    conta(QStringLiteral("001"));
    lancar(QStringLiteral("001"), QStringLiteral("003"), 50, QDate(2021, 6, 1));
    struct Caso { const char *descricao; const char *valor; const char *data; qint64 postings; };
    const Caso casos[] = {{"SEM SALDO", "", "", 0}, {"SALDO ZERO", "0,00", "99/99", 0},
                          {"COM SALDO", "1.234,56", "15/03/2021", 1}, {"DOIS DIGITOS", "-10,5", "15/03/21", 1},
                          {"NO MAXIMO NEGATIVO", "-99.999.999,99", "16/03/2021", 1}};
    for (const Caso &c : casos) {
        const qint64 antes = contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos"));
        charts::frmContaDet d;
        d.Load();
        d.SetMode(1);
        d.CodPai = QStringLiteral("001");
        Script s;
        s.act([&](QWidget &) {
            d.Activate();
            d.txtConta()->setText(QString::fromUtf8(c.descricao));
            d.txtSaldoInicial->setValueText(QString::fromLatin1(c.valor));
            d.txtData->setText(QString::fromLatin1(c.data));
            d.cmdOK_Click();
        });
        d.ShowModal();
        EXPECT_FALSE(d.Cancelado) << c.descricao;
        EXPECT_EQ(d.DesConta(), QString::fromUtf8(c.descricao));
        EXPECT_EQ(contagem(QStringLiteral("SELECT Id FROM Contas WHERE Codigo = '%1'").arg(d.Codigo)), d.IdConta());
        EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")) - antes, c.postings) << c.descricao;
    }
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE CodConta = '001.003' AND Data = #3/15/2021#")), 1);
}

namespace {

// The statements a connection had prepared when its write transaction began
// (BEGIN IMMEDIATE takes the write lock), and those run inside it that were
// prepared only after: what was translated and prepared under the lock.
class PreparadasSobATrava {
public:
    explicit PreparadasSobATrava(sqlite3 *db) : db_(db) { sqlite3_trace_v2(db_, SQLITE_TRACE_STMT, &visto, this); }
    ~PreparadasSobATrava() { sqlite3_trace_v2(db_, 0, nullptr, nullptr); }
    PreparadasSobATrava(const PreparadasSobATrava &) = delete;
    PreparadasSobATrava &operator=(const PreparadasSobATrava &) = delete;

    bool comecou = false;
    QStringList sobATrava; // their texts, in the order they ran
    QStringList naTransacao; // every statement run inside it

private:
    static int visto(unsigned, void *self, void *p, void *x) {
        auto *t = static_cast<PreparadasSobATrava *>(self);
        auto *st = static_cast<sqlite3_stmt *>(p);
        const QString texto = QString::fromUtf8(sqlite3_sql(st)).simplified();
        if (QString::fromUtf8(static_cast<const char *>(x)).startsWith(QLatin1String("--"))) return 0; // a trigger's line
        if (texto.startsWith(QLatin1String("BEGIN IMMEDIATE"), Qt::CaseInsensitive)) {
            t->comecou = t->dentro = true;
            for (sqlite3_stmt *s = sqlite3_next_stmt(t->db_, nullptr); s; s = sqlite3_next_stmt(t->db_, s))
                if (s != st) t->antes.insert(s, QString::fromUtf8(sqlite3_sql(s)).simplified());
            return 0;
        }
        if (!t->dentro) return 0;
        if (texto.startsWith(QLatin1String("COMMIT"), Qt::CaseInsensitive) ||
            texto.startsWith(QLatin1String("ROLLBACK"), Qt::CaseInsensitive) ||
            texto.startsWith(QLatin1String("END"), Qt::CaseInsensitive)) {
            t->dentro = false;
            return 0;
        }
        t->naTransacao << texto;
        // A statement finalized meanwhile may leave its address to a new one: the text tells them apart.
        if (t->antes.value(st) != texto) t->sobATrava << texto;
        return 0;
    }
    sqlite3 *db_;
    bool dentro = false;
    QHash<sqlite3_stmt *, QString> antes;
};

} // namespace

// A new account with an opening balance, made in the chart window on a
// connection that never wrote a posting: the posting's statements were
// prepared before the write transaction began, so the write lock is held for
// the writing, not for preparing them (the account row's own statements,
// whose text holds the new name, can only be prepared there).
TEST_F(Charts, TheAccountWindowPreparesItsOpeningBalanceBeforeItsTransaction) {
    conta(QStringLiteral("001"), QStringLiteral("BANCOS"));
    auto *f = abrir<charts::frmContas>();
    f->tv->setSelectedItem(f->tv->Item(QStringLiteral("_001")));
    PreparadasSobATrava trava(db->handle());
    Script s;
    s.act([](QWidget &w) {
        auto &d = static_cast<charts::frmContaDet &>(w);
        d.Activate();
        d.txtConta()->setText(QStringLiteral("POUPANCA"));
        d.txtSaldoInicial->setValueText(QStringLiteral("1.234,56"));
        d.txtData->setText(QStringLiteral("15/03/2021"));
        d.cmdOK_Click();
    });
    f->cmdAdd_Click();
    ASSERT_NE(f->tv->Item(QStringLiteral("_001.001")), nullptr);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE CodConta = '001.001' AND Valor = 1234.56")), 1);
    ASSERT_TRUE(trava.comecou) << "the window wrote in a transaction";
    EXPECT_TRUE(std::any_of(trava.naTransacao.cbegin(), trava.naTransacao.cend(),
                            [](const QString &t) { return t.contains(QLatin1String("LANCAMENTOS"), Qt::CaseInsensitive); }))
        << "the opening balance was written inside the window's transaction";
    // The posting's statements are the ones on the postings and their counter.
    QStringList daPostagem;
    for (const QString &t : trava.sobATrava)
        if (t.contains(QLatin1String("LANCAMENTOS"), Qt::CaseInsensitive) || t.contains(QLatin1String("SERIAL"), Qt::CaseInsensitive))
            daPostagem << t.left(100) + QStringLiteral("…");
    EXPECT_TRUE(daPostagem.isEmpty()) << "prepared under the write lock:\n" << daPostagem.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Charts, TypeDialogRenamesAndReportsDuplicates) {
    tipo(QStringLiteral("003"), QStringLiteral("ALUGUEL"));
    tipo(QStringLiteral("004"), QStringLiteral("LUZ"));
    const long id = long(contagem(QStringLiteral("SELECT Id FROM TiposMovimentacoes WHERE Codigo = '004'")));
    auto renomear = [&](const QString &para, Script &s, bool falha) {
        charts::frmMovDet d;
        d.Load();
        d.SetMode(2);
        d.SetDesTipo(QStringLiteral("LUZ"));
        d.SetIdTipo(id);
        s.act([&](QWidget &) {
            d.Activate();
            EXPECT_EQ(d.txtTipo()->text(), QStringLiteral("LUZ"));
            d.txtTipo()->setText(para);
            d.cmdOK_Click();
            if (d.IsLoaded()) d.cmdCancel_Click();
        });
        if (falha) s.ok();
        d.ShowModal();
        return std::make_pair(d.Cancelado, d.DesTipo());
    };
    {
        Script s;
        const auto r = renomear(QStringLiteral("aluguel"), s, true);
        EXPECT_TRUE(r.first);
        EXPECT_EQ(s.shownTexts().value(1), kDuplicado);
    }
    {
        Script s;
        const auto r = renomear(QStringLiteral(" ENERGIA "), s, false);
        EXPECT_FALSE(r.first);
        EXPECT_EQ(r.second, QStringLiteral("ENERGIA"));
        EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM TiposMovimentacoes WHERE DesMovimentacao = 'ENERGIA'")), 1);
    }
}

// ---- printing --------------------------------------------------------------------

TEST_F(Charts, PrintedChartIndentsByLevelAndBreaksPages) {
    // 001 with a deep branch, then enough first-level items for a second page.
    conta(QStringLiteral("001"), QStringLiteral("AAA"));
    conta(QStringLiteral("001.001"), QStringLiteral("AAA FILHA"));
    conta(QStringLiteral("001.001.001"), QStringLiteral("AAA NETA"));
    for (int i = 2; i <= 120; ++i) conta(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("ITEM %1").arg(i, 3, 10, QLatin1Char('0')));
    auto *f = abrir<charts::frmContas>();
    print::RecordingPrinter p;
    Script s;
    s.ok();
    f->ImprimeContas(p);
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Impressão concluída.")});
    const QStringList textos = p.texts();
    ASSERT_GE(textos.size(), 8);
    EXPECT_EQ(textos[0], QStringLiteral("1"));
    EXPECT_EQ(textos[1], QStringLiteral("CADASTRO DE CONTAS"));
    EXPECT_EQ(textos[3], QStringLiteral("CONTAS"));
    EXPECT_EQ(textos.mid(4, 4), (QStringList{QStringLiteral("AAA"), QStringLiteral("AAA FILHA"), QStringLiteral("AAA NETA"), QStringLiteral("ITEM 002")}));
    double x[3] = {0, 0, 0};
    double largura = 0;
    int paginas = 0, quebras = 0;
    for (const print::PrintOp &o : p.ops()) {
        if (o.kind == print::PrintOp::Text) {
            if (o.text == QStringLiteral("AAA")) x[0] = o.x, largura = 0;
            if (o.text == QStringLiteral("AAA FILHA")) x[1] = o.x;
            if (o.text == QStringLiteral("AAA NETA")) x[2] = o.x;
            if (o.text == QStringLiteral("CADASTRO DE CONTAS")) ++paginas;
            EXPECT_EQ(o.font, o.text.startsWith(QStringLiteral("AAA")) || o.text.startsWith(QStringLiteral("ITEM"))
                                  ? QStringLiteral("Courier New")
                                  : QStringLiteral("Times New Roman"));
        }
        if (o.kind == print::PrintOp::NewPage) ++quebras;
    }
    print::RecordingPrinter medida;
    medida.setFontName(QStringLiteral("Courier New"));
    medida.setFontSize(8);
    largura = medida.TextWidth(QStringLiteral("A"));
    EXPECT_NEAR(x[1] - x[0], 3 * largura, 0.01);
    EXPECT_NEAR(x[2] - x[0], 6 * largura, 0.01);
    EXPECT_GE(paginas, 2);
    EXPECT_EQ(quebras, paginas - 1);
    EXPECT_EQ(p.documentsEnded(), 1);
    // Every item printed exactly once, the header on every page.
    EXPECT_EQ(textos.count(QStringLiteral("ITEM 120")), 1);
    EXPECT_EQ(textos.count(QStringLiteral("CONTAS")), paginas);
}

TEST_F(Charts, PrintedChartStaysInsideThePrintableAreaOrStopsWhenAPageHoldsNoLine) {
    for (int i = 1; i <= 150; ++i) conta(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("ITEM %1").arg(i, 3, 10, QLatin1Char('0')));
    auto *f = abrir<charts::frmContas>();
    testsupport::ConfereFolhasEmRetrato([&] { f->cmdImprimir_Click(); }, [](const print::RecordingPrinter &p) {
        EXPECT_EQ(p.texts().count(QStringLiteral("ITEM 150")), 1);
    });
}

TEST_F(Charts, EmptyChartPrintsNothingButStillReportsCompletion) {
    auto *f = abrir<charts::frmMovimentacoes>();
    print::RecordingPrinter p;
    Script s;
    s.ok();
    f->ImprimeContas(p);
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Impressão concluída.")});
    // The type chart's system types are printed like any item: only they show.
    EXPECT_EQ(p.texts().mid(4), (QStringList{QStringLiteral("AJUSTES DE SALDOS"), QStringLiteral("TRANSFERÊNCIAS ENTRE CONTAS")}));
    auto *c = abrir<charts::frmContas>();
    print::RecordingPrinter vazio;
    s.ok();
    c->ImprimeContas(vazio);
    EXPECT_TRUE(vazio.texts().isEmpty());
}

// The windows are placed for a narrower font than the one shown here: every
// label must still show its whole text, and nothing may lie on top of it.
TEST_F(Charts, LabelsShowTheirWholeTextInTheEditorsAndDialogs) {
    charts::frmContas contas;
    charts::frmMovimentacoes tipos;
    charts::frmContaDet contaDet;
    charts::frmMovDet movDet;
    for (platform::ui::Form *janela : std::initializer_list<platform::ui::Form *>{&contas, &tipos, &contaDet, &movDet}) {
        for (QLabel *rotulo : janela->findChildren<QLabel *>()) {
            SCOPED_TRACE(janela->objectName().toStdString() + " " + rotulo->text().toStdString());
            const int precisa = rotulo->wordWrap() ? rotulo->heightForWidth(rotulo->width()) : rotulo->sizeHint().height();
            EXPECT_LE(precisa, rotulo->height()) << "text cut off at the bottom";
            if (!rotulo->wordWrap()) {
                EXPECT_LE(rotulo->sizeHint().width(), rotulo->width()) << "text cut off at the right";
            }
            for (QWidget *w : janela->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
                if (w != rotulo && !qobject_cast<QLabel *>(w)) {
                    // The text's own lines, not the label's spare pixels.
                    const QRect texto(rotulo->pos(), QSize(rotulo->width(), precisa));
                    EXPECT_FALSE(w->geometry().intersects(texto)) << w->objectName().toStdString();
                }
            }
            EXPECT_TRUE(janela->rect().contains(rotulo->geometry()));
        }
    }
}

TEST_F(Charts, EscInTheItemDialogsCancels) {
    charts::frmContaDet contaDet;
    charts::frmMovDet movDet;
    for (charts::frmItemDet *d : std::initializer_list<charts::frmItemDet *>{&contaDet, &movDet}) {
        SCOPED_TRACE(d->objectName().toStdString());
        d->Load();
        d->SetMode(1);
        d->CodPai = QStringLiteral("000");
        Script s;
        s.act([d](QWidget &) {
            d->Activate();
            d->txtDescricao->setText(QStringLiteral("NOVA"));
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(d->txtDescricao, &esc);
        });
        d->ShowModal();
        EXPECT_FALSE(d->IsLoaded());
        EXPECT_TRUE(d->Cancelado);
    }
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas")), 1);
}
