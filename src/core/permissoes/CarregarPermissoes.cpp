#include "core/permissoes/CarregarPermissoes.h"

#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "ui/AppContext.h"
#include "ui/ErrorTrap.h"

namespace core::permissoes {

namespace {

long inteiro(const value::Value &v) { return v.isNull() ? 0 : long(v.toInt()); }

QString carregar(const QString &sql, const QString &campoInativo, long idUsuario, std::shared_ptr<CPermissao> &arvore) {
    std::unique_ptr<dao::Recordset> rs = ui::gDB->OpenRecordset(sql, dao::dbOpenSnapshot);
    QString recusa;
    try {
        try {
            rs->MoveLast();
            rs->MoveFirst();
        } catch (...) {
        }
        auto raiz = CPermissao::Novo();
        raiz->setId(inteiro(rs->Field(QStringLiteral("id"))));
        raiz->setCodObjeto(kCodigoRaiz);
        raiz->setDesObjeto(QStringLiteral("TODAS AS PERMISSÕES"));
        raiz->setIdObjeto(inteiro(rs->Field(QStringLiteral("IdObjeto"))));
        raiz->setTipoObjeto(inteiro(rs->Field(QStringLiteral("TipoObjeto"))));
        raiz->setIdUsuario(idUsuario);
        raiz->setIsDeleted(false);
        raiz->setIsNew(raiz->id() == 0);
        raiz->setIsDirty(false);
        arvore = raiz;
        CPermissao *anterior = raiz.get();
        for (rs->MoveNext(); !rs->Eof(); rs->MoveNext()) {
            auto item = CPermissao::Novo();
            item->setId(inteiro(rs->Field(QStringLiteral("id"))));
            item->setDesObjeto(rs->Field(QStringLiteral("DesObjeto")).toString());
            item->setIdObjeto(inteiro(rs->Field(QStringLiteral("IdObjeto"))));
            const QString codigo = rs->Field(QStringLiteral("Codigo")).toString();
            item->setCodObjeto(codigo);
            item->setInativa(rs->Field(campoInativo).toBool());
            item->setTipoObjeto(inteiro(rs->Field(QStringLiteral("TipoObjeto"))));
            item->setIdUsuario(idUsuario);
            item->setIsDeleted(false);
            item->setIsNew(item->id() == 0);
            item->setIsDirty(false);
            const int ponto = codigo.lastIndexOf(QLatin1Char('.'));
            CPermissao *pai = ponto < 0 ? raiz.get() : anterior->FindUpward(codigo.left(ponto));
            pai->SubItens().Add(item, codigo);
            recusa = item->setPermissoes(inteiro(rs->Field(QStringLiteral("Permissoes"))));
            if (!recusa.isEmpty()) break;
            item->setIsDirty(false);
            anterior = item.get();
        }
    } catch (...) {
        db::FecharRecordset(rs);
        throw;
    }
    db::FecharRecordset(rs);
    return recusa;
}

} // namespace

QString CarregarPermissoesEmContas(long mode, long idUsuario, std::shared_ptr<CPermissao> &arvore) {
    try {
        const QString sql =
            mode == kUsuarioExistente ? QStringLiteral("SELECT P.Id, C.Codigo, C.DesConta as DesObjeto, C.Inativa, C.Id As IdObjeto, 1 As "
                                       "TipoObjeto, P.Permissoes FROM  CONTAS AS C LEFT JOIN (SELECT * FROM "
                                       "PERMISSOESDEUSUARIOS WHERE IdUsuario =") +
                            QString::number(idUsuario) +
                            QStringLiteral(" And TipoObjeto = 1) AS P ON P.IdObjeto = C.Id ORDER BY C.Codigo")
                      : QStringLiteral("SELECT 0 As Id, C.Codigo, C.DesConta As DesObjeto, C.Inativa, C.Id As IdObjeto, 1 "
                                       "As TipoObjeto, 0 As Permissoes FROM CONTAS AS C ORDER BY C.Codigo");
        return carregar(sql, QStringLiteral("Inativa"), idUsuario, arvore);
    } catch (...) {
        FIN_TRAP_RERAISE("frmDetUsuario", "CarregarPermissoesEmContas");
    }
}

QString CarregarPermissoesEmMovimentacoes(long mode, long idUsuario, std::shared_ptr<CPermissao> &arvore) {
    try {
        const QString sql =
            mode == kUsuarioExistente ? QStringLiteral("SELECT P.Id, M.Codigo, M.DesMovimentacao as DesObjeto, M.Inativo, M.Id As "
                                       "IdObjeto, 2 As TipoObjeto, P.Permissoes FROM  TiposMovimentacoes AS M LEFT JOIN "
                                       "(SELECT * FROM PERMISSOESDEUSUARIOS WHERE IdUsuario = ") +
                            QString::number(idUsuario) +
                            QStringLiteral(" AND TipoObjeto = 2) AS P ON P.IdObjeto = M.Id ORDER BY M.Codigo")
                      : QStringLiteral("SELECT 0 As Id, M.Codigo, M.DesMovimentacao As DesObjeto, M.Inativo, M.Id As "
                                       "IdObjeto, 2 As TipoObjeto, 0 As Permissoes FROM TiposMovimentacoes As M ORDER BY "
                                       "M.Codigo");
        return carregar(sql, QStringLiteral("Inativo"), idUsuario, arvore);
    } catch (...) {
        FIN_TRAP_RERAISE("frmDetUsuario", "CarregarPermissoesEmMovimentacoes");
    }
}

} // namespace core::permissoes
