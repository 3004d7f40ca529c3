// Users and permissions on large charts: 5,000 accounts in three levels and
// 1,000 types. Opening either editor for a user with a row on every item
// (load, tree, list); the insert of a common user whose trees are all "Tudo"
// (about 6,000 rows) beside the bare engine inserting as many rows; "Tudo"
// given at once to every first-level account from the list, for a user with
// rows on every item and for one without any.
#include "core/permissoes/CarregarPermissoes.h"
#include "db/CDaoTrans.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Modal.h"
#include "platform/widgets/ListView.h"
#include "security/frmDetUsuario.h"
#include "security/frmPermissoes.h"
#include "ui/AppContext.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

using core::permissoes::CPermissao;

void focoNaLista(security::frmPermissoes &f) {
    QFocusEvent foco(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(f.lv, &foco);
}

struct Livro {
    QTemporaryDir dir;
    std::unique_ptr<dao::Database> db;
    long comLinhas = 0, semLinhas = 0;
    int contas = 0, tipos = 0;
};

// Codes under a parent: n children "001".."n".
void plano(dao::Database &db, const QString &tabela, const QString &campo, const std::vector<int> &porNivel, int primeiro,
           int &total) {
    QStringList nivel{QString()};
    for (std::size_t n = 0; n < porNivel.size(); ++n) {
        QStringList proximo;
        for (const QString &pai : nivel)
            for (int i = n == 0 ? primeiro : 1; i < (n == 0 ? primeiro : 1) + porNivel[n]; ++i) {
                const QString codigo = (pai.isEmpty() ? QString() : pai + QLatin1Char('.')) +
                                       QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
                db.Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('ITEM %3', '%3', '%4')")
                               .arg(tabela, campo, codigo, pai.isEmpty() ? QStringLiteral("000") : pai));
                proximo << codigo;
                ++total;
            }
        nivel = proximo;
    }
}

Livro &livro() {
    static Livro *l = [] {
        auto *l = new Livro;
        l->db = db::ConstruirBancoDeDados(l->dir.filePath(QStringLiteral("seg.mdb")));
        dao::Database &db = *l->db;
        ui::gDB = &db;
        ui::gTemDados = 3;
        db::CDaoTrans t;
        t.BegTrans();
        plano(db, QStringLiteral("Contas"), QStringLiteral("DesConta"), {20, 12, 20}, 1, l->contas);
        plano(db, QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"), {10, 10, 9}, 3, l->tipos);
        db.Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('COM', 'COM', 'X', 2)"));
        db.Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('SEM', 'SEM', 'X', 2)"));
        auto id = [&](const char *login) {
            auto rs = db.OpenRecordset(QStringLiteral("SELECT Id FROM Usuarios WHERE IdLogin = '%1'").arg(QString::fromLatin1(login)),
                                       dao::dbOpenSnapshot);
            return long(rs->Field(0).toInt());
        };
        l->comLinhas = id("COM");
        l->semLinhas = id("SEM");
        for (const char *tab : {"Contas", "TiposMovimentacoes"})
            db.Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) SELECT %1, Id, "
                                      "%2, 1 FROM %3")
                           .arg(l->comLinhas)
                           .arg(QString::fromLatin1(tab) == QStringLiteral("Contas") ? 1 : 2)
                           .arg(QString::fromLatin1(tab)));
        t.ComTrans();
        return l;
    }();
    return *l;
}


void BM_AbrirEditor(benchmark::State &state) {
    Livro &l = livro();
    const bool tipos = state.range(0) == 1;
    long itens = 0;
    for (auto _ : state) {
        std::shared_ptr<CPermissao> raiz;
        std::unique_ptr<security::frmPermissoes> f;
        QString recusa;
        if (tipos) {
            recusa = core::permissoes::CarregarPermissoesEmMovimentacoes(2, l.comLinhas, raiz);
            f = std::make_unique<security::frmPermMov>();
        } else {
            recusa = core::permissoes::CarregarPermissoesEmContas(2, l.comLinhas, raiz);
            f = std::make_unique<security::frmPermContas>();
        }
        if (!recusa.isEmpty()) state.SkipWithError("a stored value refused");
        f->setRaiz(raiz);
        f->setMode(2);
        f->Load();
        f->Activate();
        itens = f->tv->Count();
        benchmark::DoNotOptimize(f->lv->Count());
        state.PauseTiming();
        f.reset();
        raiz.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = double(itens);
}
BENCHMARK(BM_AbrirEditor)->Arg(0)->Arg(1)->ArgName("tipos")->Unit(benchmark::kMillisecond)->Iterations(5);

// The dialog's confirmation of a new common user whose trees are all "Tudo".
void BM_IncluirUsuarioComTudo(benchmark::State &state) {
    Livro &l = livro();
    long linhas = 0, n = 0;
    const auto tudo = [](QWidget &w) {
        auto &e = static_cast<security::frmPermissoes &>(w);
        e.Activate();
        focoNaLista(e);
        for (widgets::ListItem *i : e.lv->Items()) i->setSelected(true);
        e.cmdTudo_Click();
        e.cmdFechar_Click();
    };
    for (auto _ : state) {
        state.PauseTiming();
        security::frmDetUsuario f;
        f.Load();
        f.setMode(1);
        const QString login = QStringLiteral("NOVO%1").arg(++n);
        f.txtNome->setText(login);
        f.txtIdLogin->setText(login);
        f.cbTipo->setCurrentIndex(1);
        f.txtSenha[0]->setText(QStringLiteral("X"));
        f.txtSenha[1]->setText(QStringLiteral("X"));
        {
            platform::ui::ScriptedModals s;
            s.act(tudo);
            f.cmdPermContas_Click();
            s.act(tudo);
            f.cmdPermMov_Click();
            s.no();
            state.ResumeTiming();
            f.cmdOK_Click();
            state.PauseTiming();
        }
        auto rs = l.db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios P INNER JOIN Usuarios U ON U.Id = "
                                                     "P.IdUsuario WHERE U.IdLogin = '%1'")
                                          .arg(login),
                                      dao::dbOpenSnapshot);
        linhas = long(rs->Field(0).toInt());
        if (linhas < l.contas + l.tipos) state.SkipWithError("not every row written");
        state.ResumeTiming();
    }
    state.counters["rows"] = double(linhas);
}
BENCHMARK(BM_IncluirUsuarioComTudo)->Unit(benchmark::kMillisecond)->Iterations(5);

// The bare engine writing as many rows, one prepared INSERT in one transaction.
void BM_MotorPuroInsereLinhas(benchmark::State &state) {
    Livro &l = livro();
    const int n = l.contas + l.tipos + 2;
    sqlite3 *h = l.db->handle();
    for (auto _ : state) {
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(h, "INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (?,?,?,3)", -1,
                           &st, nullptr);
        for (int i = 0; i < n; ++i) {
            sqlite3_bind_int(st, 1, 999999);
            sqlite3_bind_int(st, 2, i);
            sqlite3_bind_int(st, 3, i % 2 + 1);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    state.counters["rows"] = double(n);
}
BENCHMARK(BM_MotorPuroInsereLinhas)->Unit(benchmark::kMillisecond)->Iterations(5);

// "Tudo" from the list on every first-level account, saved at once.
void BM_TudoNoPrimeiroNivel(benchmark::State &state) {
    Livro &l = livro();
    const bool comLinhas = state.range(0) == 1;
    const long usuario = comLinhas ? l.comLinhas : l.semLinhas;
    long selecionados = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (comLinhas)
            l.db->Execute(QStringLiteral("UPDATE PermissoesDeUsuarios SET Permissoes = 1 WHERE IdUsuario = %1").arg(usuario));
        else
            l.db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios WHERE IdUsuario = %1").arg(usuario));
        std::shared_ptr<CPermissao> raiz;
        if (!core::permissoes::CarregarPermissoesEmContas(2, usuario, raiz).isEmpty()) state.SkipWithError("a stored value refused");
        security::frmPermContas f;
        f.setRaiz(raiz);
        f.setMode(2);
        f.Load();
        f.Activate();
        focoNaLista(f);
        selecionados = f.lv->Count();
        for (widgets::ListItem *i : f.lv->Items()) i->setSelected(true);
        state.ResumeTiming();
        f.cmdTudo_Click();
        state.PauseTiming();
        auto rs = l.db->OpenRecordset(
            QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios WHERE IdUsuario = %1 AND TipoObjeto = 1 AND Permissoes = 3")
                .arg(usuario),
            dao::dbOpenSnapshot);
        if (rs->Field(0).toInt() < l.contas) state.SkipWithError("not every row written");
        state.ResumeTiming();
    }
    state.counters["first_level"] = double(selecionados);
}
BENCHMARK(BM_TudoNoPrimeiroNivel)->Arg(1)->Arg(0)->ArgName("com_linhas")->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
