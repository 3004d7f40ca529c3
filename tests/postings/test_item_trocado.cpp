// The posting window of copy B while copy A (a second connection on the same
// book) deletes the account or type B has chosen and, the code being free,
// makes a new item that takes it. B's write must not land on A's item; B is
// told and its list is read again.
#include "LancamentosFixture.h"

#include "core/arvores/Arvores.h"
#include "core/escrita/Operacoes.h"
#include "db/Planos.h"
#include "db/Schema.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Workspace.h"
#include "postings/frmTrans.h"
#include "ui/Views.h"

#include <functional>

using core::arvores::MensagemDeItemMudado;
using testsupport::Script;

namespace {

class ItemTrocadoNaJanela : public Lancamentos {
protected:
    void SetUp() override {
        Lancamentos::SetUp();
        plano();
        conta(QStringLiteral("002.001"), QStringLiteral("CAIXA COM LANCAMENTO"));
        a = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), wsA);
    }
    void TearDown() override {
        a.reset();
        Lancamentos::TearDown();
    }
    // Copy A deletes the item under `codigo` and, when `novo` is given, makes
    // a new one, which takes the same code.
    void excluirEmA(bool eConta, const QString &codigo, const QString &novo = QString()) {
        const QString tabela = eConta ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes");
        a->Execute(QStringLiteral("DELETE FROM %1 WHERE Codigo = '%2'").arg(tabela, codigo));
        if (!novo.isEmpty())
            a->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('%3', '%4', '%5')")
                           .arg(tabela, eConta ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao"), novo,
                                codigo, CodigoPai(codigo)));
    }
    static bool oferece(widgets::EditCombo *cb, const QString &des) {
        const int i = cb->FindString(des);
        return i >= 0 && cb->List(i) == des;
    }

    dao::Workspace wsA;
    std::unique_ptr<dao::Database> a; // copy A
};

} // namespace

TEST_F(ItemTrocadoNaJanela, APostingOnAnAccountAnotherCopyReplacedSaysSoWritesNothingAndReloadsTheList) {
    auto *f = abrir();
    // One posting in the book, so that one date is the latest and the other
    // moves it: both ways of writing a posting are guarded.
    Script s;
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("1,00"),
              {}, QStringLiteral("ANTES"));
    f->cmdConfirmar_Click();
    ASSERT_EQ(lancamentos(), 1);
    for (const QString &data : {QStringLiteral("20/03/2008"), QStringLiteral("01/03/2008")}) {
        SCOPED_TRACE(data.toStdString());
        const int linhas = f->Fgrid->Rows();
        preencher(f, QStringLiteral("CAIXA COM LANCAMENTO"), QStringLiteral("SALARIO"), data, QStringLiteral("10.000,00"),
                  {}, QStringLiteral("DE B"));
        excluirEmA(true, QStringLiteral("002.001"), QStringLiteral("CAIXA NOVA A"));
        s.ok();
        f->cmdConfirmar_Click();
        ASSERT_EQ(s.shown().size(), 1u);
        EXPECT_EQ(s.shown()[0].text, MensagemDeItemMudado(db::Plano::Contas, QStringLiteral("CAIXA COM LANCAMENTO")));
        s.clear();
        EXPECT_EQ(lancamentos(), 1) << "nothing written";
        EXPECT_EQ(serial(), 1);
        EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE CodConta = '002.001'")), 0)
            << "A's new account has no posting";
        EXPECT_EQ(f->Fgrid->Rows(), linhas) << "no grid row";
        // The list now offers what the book holds; the other fields are kept.
        EXPECT_FALSE(oferece(f->cbContas, QStringLiteral("CAIXA COM LANCAMENTO")));
        EXPECT_TRUE(oferece(f->cbContas, QStringLiteral("CAIXA NOVA A")));
        EXPECT_EQ(f->cbContas->ListIndex(), -1);
        EXPECT_EQ(f->txtHistorico->text(), QStringLiteral("DE B"));
        // Back to B's account's description for the next date.
        a->Execute(QStringLiteral("UPDATE Contas SET DesConta = 'CAIXA COM LANCAMENTO' WHERE Codigo = '002.001'"));
        long hint = ui::kHintContas;
        f->UpdateView(hint);
    }
    // Chosen again from the reloaded list, the posting goes on A's account.
    preencher(f, QStringLiteral("CAIXA COM LANCAMENTO"), QStringLiteral("SALARIO"), QStringLiteral("20/03/2008"),
              QStringLiteral("10.000,00"), {}, QStringLiteral("DE B"));
    f->cmdConfirmar_Click();
    EXPECT_TRUE(s.shown().empty());
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE CodConta = '002.001'")), 1);
}

TEST_F(ItemTrocadoNaJanela, APostingOnATypeAnotherCopyChangedNamesTheType) {
    struct Caso {
        const char *nome;
        std::function<void()> copiaA;
        QString mensagem;
        bool listaRelida;
    };
    const QString mudado = MensagemDeItemMudado(db::Plano::RecDesp, QStringLiteral("MERCADO"));
    const std::vector<Caso> casos = {
        {"deleted and its code given to a new type",
         [&] { excluirEmA(false, QStringLiteral("004"), QStringLiteral("MERCADO NOVO")); }, mudado, true},
        {"deleted", [&] { excluirEmA(false, QStringLiteral("004")); }, mudado, true},
        {"deactivated", [&] { a->Execute(QStringLiteral("UPDATE TiposMovimentacoes SET Inativo = True WHERE Codigo = '004'")); },
         core::escrita::kMsgLancamentoTipoDesativado, false},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        auto *f = abrir();
        preencher(f, QStringLiteral("BANCO"), QStringLiteral("MERCADO"), QStringLiteral("10/03/2008"), {},
                  QStringLiteral("5,00"), QStringLiteral("DE B"));
        c.copiaA();
        Script s;
        s.ok();
        f->cmdConfirmar_Click();
        ASSERT_EQ(s.shown().size(), 1u);
        EXPECT_EQ(s.shown()[0].text, c.mensagem);
        EXPECT_FALSE(s.shown()[0].text.contains(QStringLiteral("a conta foi desativada")));
        EXPECT_EQ(lancamentos(), 0);
        EXPECT_EQ(serial(), 0);
        EXPECT_EQ(oferece(f->cbTiposMov, QStringLiteral("MERCADO")), !c.listaRelida);
        f->Unload();
        // The type as it was, for the next case.
        a->Execute(QStringLiteral("DELETE FROM TiposMovimentacoes WHERE Codigo = '004'"));
        a->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES ('MERCADO', '004', '000')"));
    }
}

TEST_F(ItemTrocadoNaJanela, ATransferOnAnAccountAnotherCopyReplacedSaysSoAndWritesNeitherLeg) {
    for (const bool origem : {true, false}) {
        SCOPED_TRACE(origem ? "origin" : "destination");
        auto *f = abrir();
        Script s;
        s.act([&](QWidget &w) {
            auto &t = static_cast<postings::frmTrans &>(w);
            t.txtData->setText(QStringLiteral("05/03/2008"));
            t.txtValor->setValueText(QStringLiteral("40,00"));
            t.cbContaOrig->setListIndex(t.cbContaOrig->FindString(origem ? QStringLiteral("CAIXA COM") : QStringLiteral("BANCO")));
            t.cbContaDest->setListIndex(t.cbContaDest->FindString(origem ? QStringLiteral("BANCO") : QStringLiteral("CAIXA COM")));
            t.txtHistSaida->setText(QStringLiteral("S"));
            t.txtHistEntrada->setText(QStringLiteral("E"));
            // While the dialog is open, A deletes the account and makes a new one on its code.
            excluirEmA(true, QStringLiteral("002.001"), QStringLiteral("CAIXA NOVA A"));
            t.cmdOK_Click();
        });
        s.ok();
        f->cmdTransferencia_Click();
        ASSERT_EQ(s.shown().size(), 2u);
        EXPECT_EQ(s.shown()[1].text, MensagemDeItemMudado(db::Plano::Contas, QStringLiteral("CAIXA COM LANCAMENTO")));
        EXPECT_EQ(lancamentos(), 0);
        EXPECT_EQ(serial(), 0);
        EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Transferencias")), 0);
        EXPECT_FALSE(oferece(f->cbContas, QStringLiteral("CAIXA COM LANCAMENTO"))) << "the window's account list is read again";
        EXPECT_TRUE(oferece(f->cbContas, QStringLiteral("CAIXA NOVA A")));
        f->Unload();
        a->Execute(QStringLiteral("UPDATE Contas SET DesConta = 'CAIXA COM LANCAMENTO' WHERE Codigo = '002.001'"));
    }
}
