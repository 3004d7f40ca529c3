// Two copies of the program on one book: this copy's chart window still shows
// what it loaded while the other copy deletes items, gives a freed code to a
// new item or deactivates a parent. Every write of the window acts only on
// the item it loaded; otherwise it says so, writes nothing and reloads the
// branch.
#include "charts/frmItemDet.h"
#include "charts/frmPlano.h"
#include "core/arvores/Arvores.h"
#include "db/CDaoTrans.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/UpperLineEdit.h"
#include "support/LivroNovo.h"
#include "support/Oracle.h"

using db::Plano;
using testsupport::Script;

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

class OutraCopia : public testsupport::LivroNovo {
protected:
    void SetUp() override {
        LivroNovo::SetUp();
        outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
    }
    void TearDown() override {
        fechar();
        outra.reset();
        EXPECT_EQ(testsupport::CheckBookText(*db, oracle).toStdString(), "");
        LivroNovo::TearDown();
    }

    static QString tabela(Plano p) { return p == Plano::Contas ? u("Contas") : u("TiposMovimentacoes"); }
    static QString descricao(Plano p) { return p == Plano::Contas ? u("DesConta") : u("DesMovimentacao"); }
    static QString inativo(Plano p) { return p == Plano::Contas ? u("Inativa") : u("Inativo"); }
    // The first-level item the cases work under: the account chart starts at
    // "001", the type chart after its two system types.
    static QString pai(Plano p) { return p == Plano::Contas ? u("001") : u("003"); }
    // Every item but the root (and the type chart's system types).
    void limpar(Plano p) {
        db->Execute(u("DELETE FROM %1 WHERE Codigo > '%2'").arg(tabela(p), p == Plano::Contas ? u("000") : u("002")));
    }

    // Written by this copy, before its window loads.
    void item(Plano p, const QString &codigo, const QString &des, bool inativa = false) {
        db->Execute(u("INSERT INTO %1 (%2, Codigo, CodPai, %3) VALUES ('%4', '%5', '%6', %7)")
                        .arg(tabela(p), descricao(p), inativo(p), des, codigo, CodigoPai(codigo),
                             inativa ? u("True") : u("False")));
    }
    // The item stored under a code, as the book has it now: its Id, its
    // description and whether it is active; Id 0 when there is none.
    struct Linha {
        long id = 0;
        QString des;
        bool inativa = false;
    };
    Linha linha(Plano p, const QString &codigo) {
        auto rs = db->OpenRecordset(u("SELECT Id, %1, %2 FROM %3 WHERE Codigo = '%4'")
                                        .arg(descricao(p), inativo(p), tabela(p), codigo),
                                    dao::dbOpenSnapshot);
        if (rs->Eof()) return {};
        return {long(rs->Field(0).toInt()), rs->Field(1).toString(), rs->Field(2).toBool()};
    }
    qint64 contagem(const QString &sql) { return db->OpenRecordset(sql, dao::dbOpenSnapshot)->Field(0).toInt(); }

    charts::frmPlano *abrir(Plano p) {
        fechar();
        if (p == Plano::Contas) janela = std::make_unique<charts::frmContas>();
        else janela = std::make_unique<charts::frmMovimentacoes>();
        janela->Load();
        return janela.get();
    }
    void fechar() {
        if (janela && janela->IsLoaded()) janela->Unload();
        janela.reset();
    }
    // The texts of the message boxes shown (not the dialogs).
    static QStringList mensagens(const Script &s) {
        QStringList out;
        for (const platform::ui::ModalRequest &r : s.shown())
            if (r.kind == platform::ui::ModalKind::MessageBox) out << r.text;
        return out;
    }
    // The item dialog, as the user fills it and presses OK.
    static std::function<void(QWidget &)> preencher(const QString &des, const QString &saldo = QString(),
                                                    const QString &data = QString()) {
        return [=](QWidget &w) {
            auto &d = static_cast<charts::frmItemDet &>(w);
            d.Activate();
            d.txtDescricao->setText(des);
            if (auto *c = qobject_cast<charts::frmContaDet *>(&d); c && d.Mode() == charts::kIncluirItem) {
                c->txtSaldoInicial->setValueText(saldo);
                c->txtData->setText(data);
            }
            d.cmdOK_Click();
        };
    }

    dao::Workspace ws;
    std::unique_ptr<dao::Database> outra; // the other copy of the program
    std::unique_ptr<charts::frmPlano> janela;
    testsupport::OracleOptions oracle;
};

enum class Comando { Renomear, Desativar, Ativar, Excluir, Nova };

const char *nomeDe(Comando c) {
    switch (c) {
    case Comando::Renomear: return "rename";
    case Comando::Desativar: return "deactivate";
    case Comando::Ativar: return "activate";
    case Comando::Excluir: return "delete";
    case Comando::Nova: return "new child";
    }
    return "";
}

} // namespace

// The other copy deletes the six items under a parent, the first of which
// this window shows selected, and (in half the cases) makes a new item, which
// takes the freed first code. Whatever this window then does to its node
// acts on neither: it says the item was changed or removed, writes nothing,
// and its branch shows the book as it is.
TEST_F(OutraCopia, AWriteOnAnItemAnotherCopyDeletedOrWhoseCodeItGaveAwayWritesNothing) {
    const Comando comandos[] = {Comando::Renomear, Comando::Desativar, Comando::Ativar, Comando::Excluir,
                                Comando::Nova};
    for (Plano plano : {Plano::Contas, Plano::RecDesp}) {
        for (bool novoNoLugar : {true, false}) {
            for (Comando comando : comandos) {
                SCOPED_TRACE(std::string(plano == Plano::Contas ? "accounts, " : "types, ") +
                             (novoNoLugar ? "code given to a new item, " : "item deleted, ") + nomeDe(comando));
                limpar(plano);
                db->Execute(u("DELETE FROM Lancamentos"));
                const QString p = pai(plano);
                const QString velho = p + u(".001");
                item(plano, p, u("BANCOS"));
                // Activating needs an inactive node.
                item(plano, velho, u("CONTA VELHA"), comando == Comando::Ativar);
                for (int i = 2; i <= 6; ++i) item(plano, p + u(".00%1").arg(i), u("IRMA %1").arg(i));
                charts::frmPlano *f = abrir(plano);
                widgets::TreeView &tv = *f->tv;
                tv.Item(u("_") + p)->setExpanded(true);
                widgets::Node *n = tv.Item(u("_") + velho);
                ASSERT_NE(n, nullptr);
                tv.setSelectedItem(n);

                // The other copy, last to first, and then its new item.
                for (int i = 6; i >= 1; --i)
                    outra->Execute(u("DELETE FROM %1 WHERE Codigo = '%2.00%3'").arg(tabela(plano), p).arg(i));
                Linha dela;
                if (novoNoLugar) {
                    QString recusa;
                    ASSERT_EQ(core::arvores::NovoCodigo(plano, p, recusa), velho);
                    outra->Execute(u("INSERT INTO %1 (%2, Codigo, CodPai, %3) VALUES ('NOVA DE A', '%4', '%5', False)")
                                       .arg(tabela(plano), descricao(plano), inativo(plano), velho, p));
                    dela = linha(plano, velho);
                }
                const qint64 itens = contagem(u("SELECT COUNT(*) FROM %1").arg(tabela(plano)));

                Script s;
                switch (comando) {
                case Comando::Renomear:
                    s.act(preencher(u("FANTASMA"))).ok();
                    f->cmdAlterar_Click();
                    break;
                case Comando::Desativar:
                    s.yes().ok();
                    f->cmdDesativar_Click();
                    break;
                case Comando::Ativar:
                    s.ok();
                    f->cmdDesativar_Click();
                    break;
                case Comando::Excluir:
                    s.yes().ok();
                    f->cmdExcluir_Click();
                    break;
                case Comando::Nova:
                    s.act(preencher(u("FILHA DE B"), u("100,00"), u("01/02/2020"))).ok();
                    f->cmdAdd_Click();
                    break;
                }
                // One message, the last; no "Item ativado.", no engine error.
                const QStringList m = mensagens(s);
                EXPECT_EQ(m.value(m.size() - 1), core::arvores::MensagemDeItemMudado(plano, u("CONTA VELHA")));
                EXPECT_EQ(m.size(), comando == Comando::Desativar || comando == Comando::Excluir ? 2 : 1) << m.join(u(" | ")).toStdString();

                // Nothing written: the other copy's item is as it made it.
                EXPECT_EQ(contagem(u("SELECT COUNT(*) FROM %1").arg(tabela(plano))), itens);
                EXPECT_EQ(contagem(u("SELECT COUNT(*) FROM %1 WHERE %2 IN ('FANTASMA', 'FILHA DE B')")
                                       .arg(tabela(plano), descricao(plano))),
                          0);
                EXPECT_EQ(contagem(u("SELECT COUNT(*) FROM Lancamentos")), 0);
                const Linha agora = linha(plano, velho);
                EXPECT_EQ(agora.id, dela.id);
                if (novoNoLugar) {
                    EXPECT_EQ(agora.des, u("NOVA DE A"));
                    EXPECT_FALSE(agora.inativa);
                }

                // The branch shows the book: the other copy's item under the
                // code, or nothing left under the parent.
                widgets::Node *pn = tv.Item(u("_") + p);
                widgets::Node *noCodigo = tv.Item(u("_") + velho);
                EXPECT_EQ(tv.Item(u("_") + p + u(".002")), nullptr);
                if (novoNoLugar) {
                    EXPECT_NE(noCodigo, nullptr);
                    if (!noCodigo) continue;
                    EXPECT_EQ(noCodigo->Text(), u("NOVA DE A"));
                    EXPECT_EQ(noCodigo->Tag(), QString::number(dela.id));
                    EXPECT_EQ(noCodigo->Image(), plano == Plano::Contas ? u("IMG_CONTA") : u("IMG_RECDESP"));
                    EXPECT_EQ(tv.SelectedItem(), noCodigo);
                } else {
                    EXPECT_EQ(noCodigo, nullptr);
                    EXPECT_EQ(pn ? pn->Children() : -1, 0);
                    EXPECT_EQ(tv.SelectedItem(), pn);
                }
            }
        }
    }
}

// Once the window shows the other copy's item, it writes on it as on any
// other: a new child with an opening balance (written in the same
// transaction), renamed, deactivated, deleted.
TEST_F(OutraCopia, AfterTheReloadTheWindowWritesOnTheItemItNowShows) {
    db->Execute(u("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai, Inativo) VALUES ('T', '003', '000', False)"));
    item(Plano::Contas, u("001"), u("BANCOS"));
    item(Plano::Contas, u("001.001"), u("CONTA VELHA"));
    charts::frmPlano *f = abrir(Plano::Contas);
    widgets::TreeView &tv = *f->tv;
    tv.Item(u("_001"))->setExpanded(true);
    tv.setSelectedItem(tv.Item(u("_001.001")));
    outra->Execute(u("DELETE FROM Contas WHERE Codigo = '001.001'"));
    outra->Execute(u("INSERT INTO Contas (DesConta, Codigo, CodPai, Inativa) VALUES ('NOVA DE A', '001.001', '001', False)"));
    {
        Script s;
        s.act(preencher(u("FILHA"), u("100,00"), u("01/02/2020"))).ok();
        f->cmdAdd_Click();
    }
    ASSERT_EQ(tv.SelectedItem(), tv.Item(u("_001.001")));
    {
        Script s;
        s.act(preencher(u("FILHA"), u("100,00"), u("01/02/2020")));
        f->cmdAdd_Click();
        EXPECT_TRUE(mensagens(s).isEmpty());
    }
    EXPECT_EQ(linha(Plano::Contas, u("001.001.001")).des, u("FILHA"));
    EXPECT_EQ(contagem(u("SELECT COUNT(*) FROM Lancamentos WHERE CodConta = '001.001.001' AND Valor = 100")), 1);
    tv.setSelectedItem(tv.Item(u("_001.001")));
    {
        Script s;
        s.act(preencher(u("RENOMEADA")));
        f->cmdAlterar_Click();
    }
    EXPECT_EQ(linha(Plano::Contas, u("001.001")).des, u("RENOMEADA"));
    {
        Script s;
        s.yes();
        f->cmdDesativar_Click();
    }
    EXPECT_TRUE(linha(Plano::Contas, u("001.001.001")).inativa);
    {
        Script s;
        s.yes();
        f->cmdExcluir_Click();
        EXPECT_EQ(mensagens(s).size(), 1);
    }
    EXPECT_EQ(linha(Plano::Contas, u("001.001")).id, 0);
    // The opening balance went with its account.
    EXPECT_EQ(contagem(u("SELECT COUNT(*) FROM Lancamentos")), 0);
    oracle.postingsDeleted = true;
}

// The other copy deactivates the parent this window still shows active: a
// new child under it, or activating one of its children, is refused with the
// message for an inactive parent, nothing is written, and the parent shows
// inactive.
TEST_F(OutraCopia, AParentAnotherCopyDeactivatedTakesNoNewChildAndNoActivatedChild) {
    for (Plano plano : {Plano::Contas, Plano::RecDesp}) {
        for (bool ativarFilho : {false, true}) {
            SCOPED_TRACE(std::string(plano == Plano::Contas ? "accounts, " : "types, ") +
                         (ativarFilho ? "activate a child" : "new child"));
            limpar(plano);
            const QString p = pai(plano);
            item(plano, p, u("BANCOS"));
            item(plano, p + u(".001"), u("FILHA"), true);
            charts::frmPlano *f = abrir(plano);
            widgets::TreeView &tv = *f->tv;
            tv.Item(u("_") + p)->setExpanded(true);
            tv.setSelectedItem(tv.Item(u("_") + p + (ativarFilho ? u(".001") : QString())));
            outra->Execute(u("UPDATE %1 SET %2 = True WHERE Codigo = '%3'").arg(tabela(plano), inativo(plano), p));
            const qint64 itens = contagem(u("SELECT COUNT(*) FROM %1").arg(tabela(plano)));
            Script s;
            if (ativarFilho) {
                s.ok();
                f->cmdDesativar_Click();
            } else {
                s.act(preencher(u("NOVA FILHA"))).ok();
                f->cmdAdd_Click();
            }
            EXPECT_EQ(mensagens(s), QStringList{ativarFilho ? core::arvores::kMsgAtivarSobInativo
                                                            : core::arvores::MensagemDePaiInativo(plano)});
            EXPECT_EQ(contagem(u("SELECT COUNT(*) FROM %1").arg(tabela(plano))), itens);
            EXPECT_TRUE(linha(plano, p + u(".001")).inativa);
            EXPECT_EQ(tv.Item(u("_") + p)->Image(), plano == Plano::Contas ? u("IMG_CONTAINAT") : u("IMG_RECDESPINAT"));
        }
    }
}

// The other copy deleted the parent with its children: the window reloads
// from the nearest item still stored as it loaded it (here the root), so the
// parent goes too.
TEST_F(OutraCopia, WhenTheParentIsGoneTooTheReloadStartsHigherUp) {
    for (Plano plano : {Plano::Contas, Plano::RecDesp}) {
        SCOPED_TRACE(plano == Plano::Contas ? "accounts" : "types");
        limpar(plano);
        const QString p = pai(plano);
        item(plano, p, u("BANCOS"));
        item(plano, p + u(".001"), u("CONTA VELHA"));
        item(plano, plano == Plano::Contas ? u("002") : u("004"), u("OUTRA"));
        charts::frmPlano *f = abrir(plano);
        widgets::TreeView &tv = *f->tv;
        tv.Item(u("_") + p)->setExpanded(true);
        tv.setSelectedItem(tv.Item(u("_") + p + u(".001")));
        outra->Execute(u("DELETE FROM %1 WHERE Codigo LIKE '%2*'").arg(tabela(plano), p));
        Script s;
        s.yes().ok();
        f->cmdDesativar_Click();
        EXPECT_EQ(mensagens(s).value(1), core::arvores::MensagemDeItemMudado(plano, u("CONTA VELHA")));
        EXPECT_EQ(tv.Item(u("_") + p), nullptr);
        widgets::Node *raiz = tv.Item(u("_000"));
        ASSERT_EQ(raiz->Children(), 1);
        EXPECT_EQ(raiz->Child()->Text(), u("OUTRA"));
        EXPECT_EQ(tv.SelectedItem(), raiz);
    }
}

// Two copies adding under one parent at once: the code read before the write
// lock may be taken by the other copy before this one writes. The code is
// read again under the lock, so the new item takes the next one instead of
// failing on a duplicate code, and a parent the other copy filled is refused
// with the full level's message.
TEST_F(OutraCopia, ANewItemTakesTheCodeStillFreeUnderTheWriteLock) {
    using core::arvores::Escrita;
    for (const Plano p : {Plano::Contas, Plano::RecDesp}) {
        SCOPED_TRACE(tabela(p).toStdString());
        limpar(p);
        item(p, pai(p), u("PAI"));
        const long idPai = linha(p, pai(p)).id;
        auto daOutra = [&](const QString &codigo) {
            outra->Execute(u("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('DA OUTRA %3', '%3', '%4')")
                               .arg(tabela(p), descricao(p), codigo, pai(p)));
        };
        QString recusa;
        QString codigo = core::arvores::NovoCodigo(p, pai(p), recusa);
        ASSERT_EQ(codigo, pai(p) + u(".001"));
        daOutra(codigo);
        long id = 0;
        {
            db::CDaoTrans t;
            t.BegTrans();
            EXPECT_EQ(core::arvores::IncluirItem(*db, p, pai(p), idPai, u("DESTA"), codigo, id, recusa), Escrita::Gravado);
            t.ComTrans();
        }
        EXPECT_EQ(codigo, pai(p) + u(".002"));
        EXPECT_EQ(linha(p, pai(p) + u(".001")).des, u("DA OUTRA ") + pai(p) + u(".001"));
        EXPECT_EQ(linha(p, codigo).des, u("DESTA"));
        EXPECT_EQ(linha(p, codigo).id, id);

        codigo = core::arvores::NovoCodigo(p, pai(p), recusa);
        daOutra(pai(p) + u(".999"));
        {
            db::CDaoTrans t;
            t.BegTrans();
            EXPECT_EQ(core::arvores::IncluirItem(*db, p, pai(p), idPai, u("DESTA"), codigo, id, recusa), Escrita::Recusado);
            t.RollBack();
        }
        EXPECT_EQ(recusa, core::arvores::kMsgNivelCheio);
        EXPECT_EQ(contagem(u("SELECT COUNT(*) FROM %1 WHERE CodPai = '%2'").arg(tabela(p), pai(p))), 3) << "nothing written";
    }
}
