// The search by document: its query and the window it opens.
#include "db/SqlTexto.h"
#include "core/consultas/ModosDeRelatorio.h"
#include "db/Schema.h"
#include "search/frmRetPesq.h"
#include "ui/AppContext.h"
#include "core/consultas/Selecao.h"

#include <QMdiArea>

namespace search {

namespace {
// The postings whose document matches, read first: the engine reads them
// through the document's index (a typed text's fixed start bounds it) and
// joins the few it finds, instead of walking every posting in DataId order
// or every posting of a permitted type. DISTINCT keeps the engine from
// merging this read into the joins around it.
QString documentos(const QString &padrao) {
    return QStringLiteral("(SELECT DISTINCT * FROM Lancamentos WHERE Documento LIKE ") + padrao +
           QStringLiteral(") AS L");
}
} // namespace

// The typed text is a LIKE pattern and keeps its wildcards (* ? # [...]); its
// apostrophes are doubled, so that a document such as O'BRIEN is searched for
// as it is written and no typed text can change the query.
QString SqlPesquisaPorDocumento(const QString &texto, long tipoUsuario, long idUsuario) {
    const QString l = documentos(db::SqlTexto(texto));
    if (tipoUsuario == db::kAdministrador)
        return QStringLiteral("SELECT DISTINCT L.Id, L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, "
                              "L.Valor, L.Data, L.Historico, L.Estorno, L.DataId, L.SaldoConta, L.SaldoGlobal, "
                              "L.Estornado, L.Realizado,"
                              "U.IdLogin, C.DesConta, T.DesMovimentacao FROM "
                              "((") +
               l +
               QStringLiteral(" INNER JOIN (Contas AS C INNER JOIN (SELECT CODIGO FROM CONTAS ) AS K "
                              "ON C.Codigo LIKE K.Codigo & '*') ON (L.CodConta = C.Codigo)) "
                              "INNER JOIN TiposMovimentacoes AS T ON L.CodRecDesp = T.Codigo) INNER JOIN "
                              "Usuarios AS U ON L.IdUsuario = U.Id  ORDER BY L.DataId;");
    const QString u = QString::number(idUsuario);
    return QStringLiteral("SELECT DISTINCT L.Id, L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, "
                          "L.Data, L.Historico, L.Estorno, L.DataId, L.SaldoConta, L.SaldoGlobal, L.Estornado, "
                          "L.Realizado, "
                          "U.IdLogin, C.DesConta, T.DesMovimentacao FROM "
                          "(((") +
           l +
           QStringLiteral(" INNER JOIN (Contas AS C INNER JOIN (SELECT CODIGO FROM CONTAS "
                          "INNER JOIN PERMISSOESDEUSUARIOS AS P ON  (P.TipoObjeto = 1 AND P.IdObjeto = Contas.Id And "
                          "P.IdUsuario = ") +
           u +
           QStringLiteral(" and ") + core::consultas::CondicaoDeLeitura(QStringLiteral("P.Permissoes")) + QStringLiteral(") ) AS K ON "
                          "C.Codigo LIKE K.Codigo & '*') ON (L.CodConta = C.Codigo)) "
                          "INNER JOIN TiposMovimentacoes AS T ON "
                          "L.CodRecDesp = T.Codigo) INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id ) "
                          "INNER JOIN PERMISSOESDEUSUARIOS AS P ON  (P.TipoObjeto = 2 AND "
                          "P.IdObjeto = T.Id And P.IdUsuario = ") +
           u +
           QStringLiteral(" and ") + core::consultas::CondicaoDeLeitura(QStringLiteral("P.Permissoes")) +
           QStringLiteral(")  ORDER BY L.DataId;");
}

frmRetPesq *AbrirPesquisaPorDocumento(QMdiArea *area, const QString &documento) {
    if (area && !platform::ui::Forms::mdiArea()) platform::ui::Forms::setMdiArea(area);
    auto *f = new frmRetPesq();
    f->Load();
    f->setMode(core::consultas::kPesquisaPorDocumento);
    f->SQL = SqlPesquisaPorDocumento(documento, ui::gTipoUsuario, ui::gIdUsuario);
    f->TituloRelatorio = kTituloPesquisaPorDocumento;
    f->ShowModeless();
    return f;
}

} // namespace search
