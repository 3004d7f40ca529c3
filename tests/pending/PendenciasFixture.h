#pragma once
// A book with postings due up to today, the signed-in user, and pending
// lists opened on it as the main window's command opens them.
#include "postings/LancamentosFixture.h"
#include "pending/SqlPendencias.h"
#include "pending/frmPendencias.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "pending/frmPendenciasComum.h"
#include "platform/ui/MessageBox.h"
#include "ui/Views.h"

#include <QMdiArea>
#include <QPushButton>

class Pendencias : public Lancamentos {
protected:
    void SetUp() override {
        Lancamentos::SetUp();
        ui::RegistrarMensagens(); // the window posts itself "$MSG_GRID_RESIZE$"
    }
    void TearDown() override {
        for (QPointer<pending::frmPendencias> &f : listas)
            if (f && f->IsLoaded()) f->Unload();
        Lancamentos::TearDown();
    }
    static inline const core::escrita::Chamador kOnde{"frmTeste", "Teste"};
    static QDate hoje() { return QDate::currentDate(); }
    static value::Currency reais(qint64 centavos) { return value::Currency::fromUnits(centavos * 100); }
    long lancar(const QString &conta, const QString &tipo, qint64 centavos, QDate d, const QString &doc = QString()) {
        core::escrita::NovoLancamento l;
        l.codConta = conta;
        l.codRecDesp = tipo;
        l.valor = reais(centavos);
        l.data = d;
        l.documento = doc;
        l.historico = QStringLiteral("HIST %1").arg(centavos);
        core::escrita::Feito f;
        EXPECT_EQ(core::escrita::Lancar(*db, kOnde, l, 1, &f), core::escrita::Desfecho::Gravado);
        return f.id;
    }
    core::escrita::TransferenciaFeita transferir(const QString &de, const QString &para, qint64 centavos, QDate d,
                                                 const QString &docSaida = QString()) {
        core::escrita::Transferencia t;
        t.codContaOrig = de;
        t.codContaDest = para;
        t.valor = reais(centavos);
        t.data = d;
        t.docSaida = docSaida;
        t.historicoSaida = QStringLiteral("SAIDA");
        t.historicoEntrada = QStringLiteral("ENTRADA");
        core::escrita::TransferenciaFeita f;
        EXPECT_EQ(core::escrita::Transferir(*db, kOnde, t, 1, &f), core::escrita::Desfecho::Gravado);
        return f;
    }
    // Signs a common user in (Id 2), with his permission rows.
    void comum() {
        db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('ZE','ZE','X',2)"));
        ui::gIdUsuario = 2;
        ui::gTipoUsuario = 2;
    }
    void permissao(int tipoObjeto, const QString &codigo, int valor) {
        const QString tabela = tipoObjeto == 1 ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes");
        db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                   "SELECT 2, Id, %1, %2 FROM %3 WHERE Codigo = '%4'")
                        .arg(tipoObjeto).arg(valor).arg(tabela, codigo));
    }
    pending::frmPendencias *abrirLista() {
        auto *f = new pending::frmPendencias();
        f->setAttribute(Qt::WA_DeleteOnClose, false);
        f->Load();
        f->setSQL(pending::SqlPendencias(ui::gIdUsuario, int(ui::gTipoUsuario), hoje()));
        f->show();
        f->Activate();
        listas.emplace_back(f);
        return f;
    }
    // A list opened as the main window's command opens it, in the area given
    // that size; null when it closed itself.
    pending::frmPendencias *abrirNaArea(QMdiArea &area, QSize tamanho) {
        area.resize(tamanho);
        area.show();
        platform::ui::Forms::setMdiArea(&area);
        auto *f = pending::AbrirPendencias(pending::SqlPendencias(1, 1, hoje()), &area);
        if (!f) return nullptr;
        f->Activate();
        listas.emplace_back(f);
        return f;
    }
    // The grid row showing the posting.
    static int linhaDe(pending::frmPendencias *f, long serial) {
        for (int r = 1; r < f->Fgrid->Rows(); ++r) {
            auto it = f->Linhas().find(QString::number(f->Fgrid->RowData(r)));
            if (it != f->Linhas().end() && it->Serial == serial) return r;
        }
        return -1;
    }
    static void selecionar(pending::frmPendencias *f, long serial) {
        const int r = linhaDe(f, serial);
        ASSERT_GT(r, 0) << "posting " << serial << " not listed";
        f->Fgrid->setRow(r);
    }
    QString codigo(long id) { return texto(QStringLiteral("SELECT Realizado FROM Lancamentos WHERE Id = %1").arg(id)); }
    std::vector<long> listados(pending::frmPendencias *f) {
        std::vector<long> ids;
        for (int r = 1; r < f->Fgrid->Rows(); ++r) {
            auto it = f->Linhas().find(QString::number(f->Fgrid->RowData(r)));
            if (it != f->Linhas().end()) ids.push_back(it->Serial);
        }
        return ids;
    }
    void oraculo() { ASSERT_EQ(testsupport::CheckBookText(*db).toStdString(), ""); }

    std::vector<QPointer<pending::frmPendencias>> listas;
};
