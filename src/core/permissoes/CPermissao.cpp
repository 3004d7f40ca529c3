#include "core/permissoes/CPermissao.h"

#include "core/permissoes/Usuarios.h"

#include "db/CDaoTrans.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "ui/AppContext.h"
#include "ui/ErrorTrap.h"

#include <atomic>

namespace core::permissoes {

namespace {

// A collection that cannot climb further, or a key that is not there: the
// same numbers the container of the original platform raised.
constexpr long kErrSemObjeto = 91;
constexpr long kErrChaveRepetida = 457;
constexpr long kErrForaDosLimites = 9;
constexpr long kErrItemInexistente = 5;

quint64 proximoPonteiro() {
    static std::atomic<quint64> n{0};
    return ++n;
}

[[noreturn]] void falha(long numero, const QString &descricao) {
    throw err::AppError(numero, QString(), descricao);
}

// The statements run once per item: their text is fixed (translated and
// prepared once per session) and the numbers go in as parameters.
std::unique_ptr<dao::QueryDef> consulta(const QString &sql) { return ui::gDB->CreateQueryDef(QString(), sql); }

void parametro(dao::QueryDef &q, const char *nome, long v) {
    q.SetParameter(QString::fromLatin1(nome), value::Value(qlonglong(v)));
}

// The user's rows of the chart item and of every item whose code begins with
// its code: the condition of the update and the deletion, one statement over
// the whole subtree. Written as a list of ids rather than a join, so that
// the engine finds the subtree once per statement, not once per row.
QString daSubarvore(long tipoObjeto) {
    if (tipoObjeto == kObjConta)
        return QStringLiteral(" WHERE IdUsuario = [pUsu] AND TipoObjeto = 1 AND IdObjeto IN (SELECT C2.Id From Contas as C1 "
                              "Inner Join Contas As C2 On (C1.Id = [pObj] AND C2.Codigo LIKE C1.Codigo & '*'))");
    return QStringLiteral(" WHERE IdUsuario = [pUsu] AND TipoObjeto = 2 AND IdObjeto IN (SELECT M2.Id From TiposMovimentacoes "
                          "as M1 Inner Join TiposMovimentacoes As M2 On (M1.Id = [pObj] AND M2.Codigo LIKE M1.Codigo & '*'))");
}

long tipoGravado(long tipoObjeto) { return tipoObjeto == kObjConta ? kObjConta : kObjRecDesp; }

} // namespace

// ---- CPermissao -----------------------------------------------------------------

CPermissao::CPermissao() : respondedor_(std::make_shared<CCanalEventos>(this)), ponteiro_(proximoPonteiro()) {}

CPermissao::~CPermissao() { respondedor_->Desligar(); }

long CPermissao::Permissoes() const { return codObjeto_ == kCodigoRaiz ? kPermTodas : permissoes_; }

QString CPermissao::setPermissoes(long valor) {
    try {
        if (codObjeto_ == kCodigoRaiz) return QString();
        const int ponto = codObjeto_.lastIndexOf(QLatin1Char('.'));
        if (ponto >= 0) {
            IContainer *container = disparador_ ? disparador_->GetParent() : nullptr;
            if (!container) falha(kErrSemObjeto, QStringLiteral("Item sem item pai na árvore de permissões."));
            CPermissao *pai = container->FindUpward(codObjeto_.left(ponto));
            const long p = pai->Permissoes();
            const bool recusado = (valor == kPermTodas && p < kPermTodas) ||
                                  (valor == kPermPesquisa && p != kPermPesquisa && p < kPermTodas) ||
                                  (valor == kPermLancamentos && p != kPermLancamentos && p < kPermTodas);
            if (recusado) return kMsgPermissaoIncompativel + desObjeto_ + QStringLiteral("'.");
        }
        atribuir(valor);
        return QString();
    } catch (...) {
        FIN_TRAP_RERAISE("CPermissao", "Permissoes");
    }
}

// The children take their parent's value, which the rule never refuses.
void CPermissao::atribuir(long valor) {
    permissoes_ = valor;
    for (const auto &sub : SubItens()) sub->atribuir(valor);
    if (!isNew_) {
        isDeleted_ = valor == 0;
        isDirty_ = valor != 0;
    }
}

QString CPermissao::DesPermissoes() const {
    switch (permissoes_) {
    case kPermNenhuma: return QStringLiteral("Nenhuma");
    case kPermPesquisa: return QStringLiteral("Pesquisa");
    case kPermLancamentos: return QStringLiteral("Fazer Lançamentos");
    default: return QStringLiteral("Todas");
    }
}

bool CPermissao::HasAnyPermission() const { return permissoes_ != 0 || (subItens_ && subItens_->HasAnyPermission()); }

CPermissoes &CPermissao::SubItens() const {
    if (!subItens_) {
        subItens_ = std::make_unique<CPermissoes>();
        subItens_->setDisparadorDeEventos(respondedor_);
    }
    return *subItens_;
}

CPermissao *CPermissao::FindUpward(const QString &codigo) {
    if (codObjeto_ == codigo) return this;
    IContainer *container = disparador_ ? disparador_->GetParent() : nullptr;
    if (!container)
        falha(kErrSemObjeto, QStringLiteral("Item de código '") + codigo + QStringLiteral("' não encontrado acima do item '") +
                                 codObjeto_ + QStringLiteral("'."));
    return container->FindUpward(codigo);
}

Gravacao CPermissao::Persist(std::optional<long> idUsuario, bool inTrans) {
    try {
        const bool escreve = (isNew_ && !isDeleted_) || (isDeleted_ && !isNew_) || isDirty_;
        if (inTrans || !escreve) {
            persistir(idUsuario, inTrans);
            return Gravacao::Feita;
        }
        // The user is read under the write lock this transaction takes at its
        // start, so no other copy deletes him before the commit. Without him
        // the engine would refuse the insert (no related user), find no row to
        // update, or delete nothing and call it done.
        db::CDaoTrans trans;
        trans.BegTrans();
        const long usuario = isNew_ && !isDeleted_ && idUsuario ? *idUsuario : idUsuario_;
        if (!UsuarioExiste(usuario)) return Gravacao::UsuarioRemovido;
        persistir(idUsuario, true);
        trans.ComTrans();
        return Gravacao::Feita;
    } catch (...) {
        FIN_TRAP_RERAISE("CPermissao", "Persist");
    }
}

void CPermissao::persistir(std::optional<long> idUsuario, bool inTrans) {
    if (isNew_ && !isDeleted_) {
        if (idUsuario) idUsuario_ = *idUsuario;
        ObjectInsert(inTrans);
    } else if (isDeleted_ && !isNew_) {
        ObjectDelete(inTrans);
    } else if (isDirty_) {
        ObjectUpdate(inTrans);
    }
}

void CPermissao::ObjectInsert(bool inTrans) {
    try {
        if (!isNew_) falha(err::kErrGeneric, QStringLiteral("Tentando incluir permissão com código já existente."));
        const long valor = Permissoes();
        if (valor == 0) return;
        db::CDaoTrans trans;
        if (!inTrans) trans.BegTrans();
        auto q = consulta(QStringLiteral(
            "PARAMETERS [pUsu] Long, [pObj] Long, [pTipo] Long, [pPerm] Long;"
            "INSERT INTO PERMISSOESDEUSUARIOS (IdUsuario,IdObjeto, TipoObjeto,Permissoes) "
            "VALUES ([pUsu], [pObj], [pTipo], [pPerm])"));
        parametro(*q, "pUsu", idUsuario_);
        parametro(*q, "pObj", idObjeto_);
        parametro(*q, "pTipo", tipoGravado(tipoObjeto_));
        parametro(*q, "pPerm", valor);
        q->Execute(dao::dbFailOnError);
        auto ler = consulta(QStringLiteral("PARAMETERS [pUsu] Long, [pObj] Long, [pTipo] Long;"
                                           "Select Id From PermissoesdeUsuarios where idusuario = [pUsu] and "
                                           "IdObjeto = [pObj] and TipoObjeto = [pTipo]"));
        parametro(*ler, "pUsu", idUsuario_);
        parametro(*ler, "pObj", idObjeto_);
        parametro(*ler, "pTipo", tipoGravado(tipoObjeto_));
        std::unique_ptr<dao::Recordset> rs = ler->OpenRecordset(dao::dbOpenSnapshot);
        const long linhas = rs->RecordCount();
        long novoId = 0;
        try {
            if (linhas > 0) novoId = long(rs->Field(QStringLiteral("id")).toInt());
        } catch (...) {
            db::FecharRecordset(rs);
            throw;
        }
        db::FecharRecordset(rs);
        // Exactly the row just written, or another copy with the same user's
        // dialog open wrote one before: then this write is undone, so that the
        // user never has two rows for one item (every later load of his trees
        // would fail on them). The transaction holds the file's write lock
        // from its start, so no row can come in after the read. The row goes
        // in by its values: an insert of one row writes no statement journal,
        // which on an encrypted file costs more than the row itself.
        if (q->RecordsAffected() == 0 || linhas != 1)
            falha(err::kErrGeneric, QStringLiteral("Falha na atribuição de permissão '") + DesPermissoes() +
                                        QStringLiteral("' para '") + desObjeto_ + QStringLiteral("' ao usuário."));
        for (const auto &sub : SubItens()) sub->persistir(idUsuario_, true);
        id_ = novoId;
        if (!inTrans) trans.ComTrans();
        isNew_ = false;
        isDirty_ = false;
    } catch (...) {
        FIN_TRAP_RERAISE("CPermissao", "ObjectInsert");
    }
}

void CPermissao::ObjectUpdate(bool inTrans) {
    try {
        if (!isDirty_) return;
        if (Permissoes() == 0) {
            isDeleted_ = true;
            isDirty_ = false;
            ObjectDelete(inTrans);
            return;
        }
        const long valor = permissoes_;
        db::CDaoTrans trans;
        if (!inTrans) trans.BegTrans();
        auto q = consulta(QStringLiteral("PARAMETERS [pObj] Long, [pUsu] Long, [pPerm] Long;"
                                         "UPDATE PERMISSOESDEUSUARIOS SET Permissoes = [pPerm]") +
                          daSubarvore(tipoObjeto_));
        parametro(*q, "pObj", idObjeto_);
        parametro(*q, "pUsu", idUsuario_);
        parametro(*q, "pPerm", valor);
        q->Execute(dao::dbFailOnError);
        // Nothing changed: the rows went away meanwhile. The transaction is
        // not committed, so nothing of this write stays.
        if (q->RecordsAffected() == 0)
            falha(err::kErrGeneric, QStringLiteral("Falha na atualização de permissão '") + DesPermissoes() +
                                        QStringLiteral("' para '") + desObjeto_ + QStringLiteral("' ao usuário."));
        // The statement gave the whole subtree this value: the sub-items that
        // only took it from here need no statement of their own; the others
        // (no row yet, removed, or a value of their own) write after it, so
        // their value is the one that stays.
        persistirCobertos(valor);
        if (!inTrans) trans.ComTrans();
        isDirty_ = false;
    } catch (...) {
        FIN_TRAP_RERAISE("CPermissao", "ObjectUpdate");
    }
}

void CPermissao::persistirCobertos(long valor) {
    for (const auto &sub : SubItens()) {
        if (sub->isDirty_ && !sub->isDeleted_ && !sub->isNew_ && sub->permissoes_ == valor) {
            sub->isDirty_ = false;
            sub->persistirCobertos(valor);
        } else {
            sub->persistir(idUsuario_, true);
        }
    }
}

void CPermissao::ObjectDelete(bool inTrans) {
    try {
        if (id_ == 0) return;
        db::CDaoTrans trans;
        if (!inTrans) trans.BegTrans();
        auto q = consulta(QStringLiteral("PARAMETERS [pObj] Long, [pUsu] Long;DELETE * FROM PERMISSOESDEUSUARIOS") +
                          daSubarvore(tipoObjeto_));
        parametro(*q, "pObj", idObjeto_);
        parametro(*q, "pUsu", idUsuario_);
        q->Execute(dao::dbFailOnError);
        if (!inTrans) trans.ComTrans();
        // The statement took the rows of the whole subtree.
        semLinha();
    } catch (...) {
        FIN_TRAP_RERAISE("CPermissao", "ObjectDelete");
    }
}

void CPermissao::semLinha() {
    if (id_ == 0) return;
    isNew_ = true;
    isDeleted_ = false;
    isDirty_ = false;
    id_ = 0;
    if (subItens_)
        for (const auto &sub : *subItens_) sub->semLinha();
}

// ---- CPermissoes ----------------------------------------------------------------

CPermissoes::CPermissoes() : proprio_(std::make_shared<CCanalEventos>(this)) {}

CPermissoes::~CPermissoes() { proprio_->Desligar(); }

std::shared_ptr<CPermissao> CPermissoes::Add(std::shared_ptr<CPermissao> item, const QString &chave) {
    if (chaves_.contains(chave))
        falha(kErrChaveRepetida, QStringLiteral("Esta chave já está associada a um elemento desta coleção: ") + chave);
    item->setDisparadorDeEventos(proprio_);
    chaves_.insert(chave, long(itens_.size()));
    itens_.push_back(item);
    return item;
}

const std::shared_ptr<CPermissao> &CPermissoes::Item(long indice) const {
    if (indice < 1 || indice > Count()) falha(kErrForaDosLimites, QStringLiteral("Índice fora do intervalo."));
    return itens_[std::size_t(indice - 1)];
}

const std::shared_ptr<CPermissao> &CPermissoes::Item(const QString &chave) const {
    const auto it = chaves_.constFind(chave);
    if (it == chaves_.cend()) falha(kErrItemInexistente, QStringLiteral("Item inexistente na coleção: ") + chave);
    return itens_[std::size_t(*it)];
}

void CPermissoes::Remove(long indice) {
    if (indice < 1 || indice > Count()) falha(kErrForaDosLimites, QStringLiteral("Índice fora do intervalo."));
    const long pos = indice - 1;
    itens_.erase(itens_.begin() + pos);
    for (auto it = chaves_.begin(); it != chaves_.end();) {
        if (*it == pos) {
            it = chaves_.erase(it);
            continue;
        }
        if (*it > pos) --*it;
        ++it;
    }
}

void CPermissoes::Remove(const QString &chave) {
    const auto it = chaves_.constFind(chave);
    if (it == chaves_.cend()) falha(kErrItemInexistente, QStringLiteral("Item inexistente na coleção: ") + chave);
    Remove(*it + 1);
}

Gravacao CPermissoes::Persist(std::optional<long> idUsuario) {
    try {
        for (const auto &item : itens_)
            if (item->Persist(idUsuario, false) == Gravacao::UsuarioRemovido) return Gravacao::UsuarioRemovido;
        return Gravacao::Feita;
    } catch (...) {
        FIN_TRAP_RERAISE("CPermissoes", "Persist");
    }
}

CPermissao *CPermissoes::FindUpward(const QString &codigo) {
    IContainer *dono = disparador_ ? disparador_->GetParent() : nullptr;
    if (!dono)
        falha(kErrSemObjeto, QStringLiteral("Item de código '") + codigo + QStringLiteral("' não encontrado na árvore."));
    return dono->FindUpward(codigo);
}

bool CPermissoes::HasAnyPermission() const {
    for (const auto &item : itens_)
        if (item->HasAnyPermission()) return true;
    return false;
}

// ---- EstadoDaArvore -------------------------------------------------------------

EstadoDaArvore::EstadoDaArvore(CPermissao &raiz) { guardar(raiz); }

void EstadoDaArvore::guardar(CPermissao &item) {
    itens_.push_back({item.shared_from_this(), item.PermissoesGuardadas(), item.id(), item.IdUsuario(), item.IsNew(),
                      item.IsDeleted(), item.IsDirty()});
    for (const auto &sub : item.SubItens()) guardar(*sub);
}

void EstadoDaArvore::Restaurar() const {
    // Stored directly: the values obeyed the parent rule when they were kept.
    for (const Guardado &g : itens_) {
        CPermissao &i = *g.item;
        i.permissoes_ = g.permissoes;
        i.isNew_ = g.isNew;
        i.isDeleted_ = g.isDeleted;
        i.isDirty_ = g.isDirty;
        i.id_ = g.id;
        i.idUsuario_ = g.idUsuario;
    }
}

} // namespace core::permissoes
