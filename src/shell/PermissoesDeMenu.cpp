// Menu permissions: which menus, entries and toolbar buttons the signed-in
// user reaches, decided once when the main window loads. A coarse gate: each
// window applies the user's permission rows again to what it shows.
#include "shell/MainForm.h"

#include "db/Schema.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"

#include <QAction>
#include <QMenu>
#include <memory>

namespace shell {

using ui::gDB;
using ui::gIdUsuario;
using ui::gTipoUsuario;

void MainForm::HabilitaTudo() {
    try {
        mnuSeguranca->menuAction()->setVisible(true);
        mnuCadastros->menuAction()->setVisible(true);
        mnuSeguranca->menuAction()->setEnabled(true);
        mnuBD->menuAction()->setVisible(true);
        for (QAction *a : {Botao(QStringLiteral("SALDOSCONTAS")), mnuOperPesqSaldosContas,
                           Botao(QStringLiteral("SALDOSRECDESP")), mnuOperPesqSaldosRecDesp,
                           Botao(QStringLiteral("PESQDOC")), mnuOperPesqDoc, Botao(QStringLiteral("USUARIOS")),
                           mnuOperLancamentos, Botao(QStringLiteral("LANCAMENTOS")), mnuOperExtratosContas,
                           Botao(QStringLiteral("EXTRACON")), mnuOperExtratosRecDesp,
                           Botao(QStringLiteral("EXTRARECDESP")), mnuOperBalContas, Botao(QStringLiteral("BALCONTAS")),
                           mnuOperBalRecDesp, Botao(QStringLiteral("BALRECDESP")), mnuOperPendencias,
                           Botao(QStringLiteral("BAIXAS")), mnuCadTiposRecDesp, Botao(QStringLiteral("RECDESP")),
                           mnuCadContas, Botao(QStringLiteral("CONTAS"))})
            a->setEnabled(true);
        mnuOperBar4->setVisible(false);
        mnuOperSair->setVisible(false);
    } catch (...) {
        FIN_TRAP_RERAISE("MainForm", "HabilitaTudo");
    }
}

void MainForm::AjustaAPermissoes() {
    std::unique_ptr<dao::Recordset> rs;
    try {
        if (gTipoUsuario == db::kAdministrador) {
            HabilitaTudo();
            return;
        }
        const QString usuario = QStringLiteral("SELECT Count(Id) AS Contagem From PermissoesDeUsuarios ") +
                                QStringLiteral("WHERE IdUsuario = ") + QString::number(gIdUsuario);
        const QString sql = QStringLiteral("SELECT (") + usuario + QStringLiteral(" AND Permissoes = 1") +
                            QStringLiteral(") As Ler, (") + usuario + QStringLiteral(" AND Permissoes = 2") +
                            QStringLiteral(") As Gravar, (") + usuario +
                            QStringLiteral(" AND Permissoes = 3 AND IdObjeto <> 1") +
                            QStringLiteral(") As Total FROM PermissoesDeUsuarios");
        rs = gDB->OpenRecordset(sql, dao::dbOpenSnapshot);
        try {
            rs->MoveNext();
            rs->MoveFirst();
        } catch (...) {
        }
        // The outer query yields one row per row of the whole table, so an
        // empty table yields none: that reads as zero counts.
        const long ler = db::LerContagem(*rs, QStringLiteral("Ler"));
        const long gravar = db::LerContagem(*rs, QStringLiteral("Gravar"));
        const long total = db::LerContagem(*rs, QStringLiteral("Total"));

        const auto ocultarRestritos = [this] {
            mnuCadastros->menuAction()->setVisible(false);
            mnuSeguranca->menuAction()->setVisible(false);
            mnuBD->menuAction()->setVisible(false);
        };
        const auto ocultarBotoesRestritos = [this] {
            for (const char *key : {"USUARIOS", "CONTAS", "RECDESP"})
                Botao(QString::fromLatin1(key))->setVisible(false);
        };
        if (total != 0) {
            HabilitaTudo();
            ocultarRestritos();
            mnuOperBar3->setVisible(true);
            mnuOperBar4->setVisible(true);
            mnuOperSair->setVisible(true);
            ocultarBotoesRestritos();
        } else {
            ocultarRestritos();
            ocultarBotoesRestritos();
            const struct {
                QAction *a, *b;
                long contagem;
            } pares[] = {
                {Botao(QStringLiteral("SALDOSCONTAS")), mnuOperPesqSaldosContas, ler | total},
                {Botao(QStringLiteral("SALDOSRECDESP")), mnuOperPesqSaldosRecDesp, ler | total},
                {mnuOperLancamentos, Botao(QStringLiteral("LANCAMENTOS")), gravar | total},
                {mnuOperPendencias, Botao(QStringLiteral("BAIXAS")), ler | total},
                {mnuOperExtratosContas, Botao(QStringLiteral("EXTRACON")), ler | total},
                {mnuOperExtratosRecDesp, Botao(QStringLiteral("EXTRARECDESP")), ler | total},
                {mnuOperBalContas, Botao(QStringLiteral("BALCONTAS")), ler | total},
                {mnuOperBalRecDesp, Botao(QStringLiteral("BALRECDESP")), ler | total},
                {mnuOperPesqDoc, Botao(QStringLiteral("PESQDOC")), ler | total},
            };
            for (const auto &p : pares) {
                p.a->setEnabled(p.contagem != 0);
                p.b->setEnabled(p.contagem != 0);
            }
        }
        db::FecharRecordset(rs);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("MainForm", "AjustaAPermissoes");
    }
}

} // namespace shell
