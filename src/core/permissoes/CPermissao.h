#pragma once
// One user's permissions on the items of one chart, as a tree of items that
// mirrors the chart: CPermissao is one item, CPermissoes the ordered, keyed
// collection of the items directly below one item, and CCanalEventos the
// channel through which an item or a collection finds the container above
// it without owning it. An item owns its channel and its SubItens; a
// collection owns its channel and its items; nothing owns what is above it,
// so releasing the root releases the whole tree.
//
// Without any permission the same classes are the plain item tree of the
// selection dialogs and the balance window (code, description, inactive and
// selected flags, SubItens, Add, FindUpward).
//
// Items are always held by std::shared_ptr (make them with CPermissao::Novo).
#include "db/Schema.h"

#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace core::permissoes {

// The Modes of the user dialog, which its permission editors and the routines
// below share: a user being created (nothing saved until OK) or an existing
// one (every change saved at once).
constexpr long kUsuarioNovo = 1;
constexpr long kUsuarioExistente = 2;

class CPermissao;

// What a channel's listener answers: both containers climb with FindUpward.
class IContainer {
public:
    virtual ~IContainer() = default;
    virtual CPermissao *FindUpward(const QString &codigo) = 0;
};

// The parent-lookup channel: GetParent answers with the container that
// created it, or nothing once that container is gone.
class CCanalEventos {
public:
    explicit CCanalEventos(IContainer *ouvinte) : ouvinte_(ouvinte) {}
    IContainer *GetParent() const { return ouvinte_; }
    // The listener clears its link when it is released.
    void Desligar() { ouvinte_ = nullptr; }

private:
    IContainer *ouvinte_;
};

class CPermissoes;

// What a write of a user's permission rows came to.
enum class Gravacao {
    Feita,
    UsuarioRemovido // the user is no longer in the file: nothing written
};

// Permission values and object kinds.
using db::kPermNenhuma;
using db::kPermPesquisa;
using db::kPermLancamentos;
using db::kPermTodas;
constexpr long kObjConta = 1;
constexpr long kObjRecDesp = 2;

inline const QString kCodigoRaiz = QStringLiteral("000");

class CPermissao : public IContainer, public std::enable_shared_from_this<CPermissao> {
public:
    static std::shared_ptr<CPermissao> Novo() { return std::make_shared<CPermissao>(); }
    CPermissao();
    ~CPermissao() override;
    CPermissao(const CPermissao &) = delete;
    CPermissao &operator=(const CPermissao &) = delete;

    const std::shared_ptr<CCanalEventos> &DisparadorDeEventos() const { return disparador_; }
    void setDisparadorDeEventos(std::shared_ptr<CCanalEventos> c) { disparador_ = std::move(c); }
    const std::shared_ptr<CCanalEventos> &RespondedorDeEventos() const { return respondedor_; }

    // Write state: no row (IsNew), rows to delete (IsDeleted), rows to update (IsDirty).
    bool IsNew() const { return isNew_; }
    void setIsNew(bool v) { isNew_ = v; }
    bool IsDeleted() const { return isDeleted_; }
    void setIsDeleted(bool v) { isDeleted_ = v; }
    bool IsDirty() const { return isDirty_; }
    void setIsDirty(bool v) { isDirty_ = v; }

    long IdUsuario() const { return idUsuario_; }
    void setIdUsuario(long v) { idUsuario_ = v; }
    long IdObjeto() const { return idObjeto_; }
    void setIdObjeto(long v) { idObjeto_ = v; }
    const QString &DesObjeto() const { return desObjeto_; }
    void setDesObjeto(const QString &v) { desObjeto_ = v; }
    // The row's number in PermissoesDeUsuarios; 0 without a row.
    long id() const { return id_; }
    void setId(long v) { id_ = v; }
    long TipoObjeto() const { return tipoObjeto_; }
    void setTipoObjeto(long v) { tipoObjeto_ = v; }
    const QString &CodObjeto() const { return codObjeto_; }
    void setCodObjeto(const QString &v) { codObjeto_ = v; }
    bool Inativa() const { return inativa_; }
    void setInativa(bool v) { inativa_ = v; }
    bool Selecionada() const { return selecionada_; }
    void setSelecionada(bool v) { selecionada_ = v; }

    // The root ("000") reads 3 whatever is stored.
    long Permissoes() const;
    // Checked against the parent's value: a refused value changes nothing and
    // gives the message to show (kMsgPermissaoIncompativel and the item's
    // description); an accepted one gives "", goes to the whole subtree and
    // moves items with a row to changed or removed.
    [[nodiscard]] QString setPermissoes(long valor);
    long PermissoesGuardadas() const { return permissoes_; }
    QString DesPermissoes() const;
    bool HasAnyPermission() const;

    // Created empty on the first reading, the same collection afterwards.
    CPermissoes &SubItens() const;

    // This item when its code is the one asked, else the search goes on in
    // its container; an item in no collection fails unless its code matches.
    CPermissao *FindUpward(const QString &codigo) override;

    // Writes what the item's state asks for. Without InTrans the write runs in
    // a transaction of its own (nested in the caller's, if any), which first
    // makes sure the user is still in the file: another copy of the program
    // may have deleted him, his rows with him, while this one shows his
    // trees; then nothing is written and the item keeps its state. Within
    // the caller's transaction (InTrans) the caller has checked that.
    [[nodiscard]] Gravacao Persist(std::optional<long> idUsuario = std::nullopt, bool inTrans = false);
    void ObjectInsert(bool inTrans);
    void ObjectUpdate(bool inTrans);
    void ObjectDelete(bool inTrans);

    // What a tree node's tag holds: a number that names this item for the
    // life of the program and is never given to another (ObjetoDoPonteiro).
    quint64 Ponteiro() const { return ponteiro_; }

private:
    friend class EstadoDaArvore;
    void semLinha();
    // Persist's choice of write, inside a transaction already checked.
    void persistir(std::optional<long> idUsuario, bool inTrans);
    // The value, unchecked, on the item and its whole subtree.
    void atribuir(long valor);
    void persistirCobertos(long valor);

    std::shared_ptr<CCanalEventos> disparador_;
    std::shared_ptr<CCanalEventos> respondedor_;
    mutable std::unique_ptr<CPermissoes> subItens_;
    bool isNew_ = false, isDeleted_ = false, isDirty_ = false;
    long idUsuario_ = 0, idObjeto_ = 0, permissoes_ = 0, id_ = 0, tipoObjeto_ = 0;
    QString desObjeto_, codObjeto_;
    bool inativa_ = false, selecionada_ = false;
    quint64 ponteiro_;
};

class CPermissoes : public IContainer {
public:
    CPermissoes();
    ~CPermissoes() override;
    CPermissoes(const CPermissoes &) = delete;
    CPermissoes &operator=(const CPermissoes &) = delete;

    const std::shared_ptr<CCanalEventos> &DisparadorDeEventos() const { return disparador_; }
    void setDisparadorDeEventos(std::shared_ptr<CCanalEventos> c) { disparador_ = std::move(c); }

    // Links the item to this collection and appends it under the key; a key
    // already present fails and changes nothing.
    std::shared_ptr<CPermissao> Add(std::shared_ptr<CPermissao> item, const QString &chave);
    // By position (from 1) or by key; an unknown one fails.
    const std::shared_ptr<CPermissao> &Item(long indice) const;
    const std::shared_ptr<CPermissao> &Item(const QString &chave) const;
    long Count() const { return long(itens_.size()); }
    void Remove(long indice);
    void Remove(const QString &chave);

    // In the order the items were added.
    auto begin() const { return itens_.cbegin(); }
    auto end() const { return itens_.cend(); }

    // Each item in a transaction of its own (a window calling it holds the
    // busy pointer), up to the first that finds the user gone.
    [[nodiscard]] Gravacao Persist(std::optional<long> idUsuario = std::nullopt);
    CPermissao *FindUpward(const QString &codigo) override;
    bool HasAnyPermission() const;

private:
    std::shared_ptr<CCanalEventos> disparador_;
    std::shared_ptr<CCanalEventos> proprio_;
    std::vector<std::shared_ptr<CPermissao>> itens_;
    QHash<QString, long> chaves_; // key -> position from 0
};

// The values and write state of every item of a subtree, kept before a
// write so that a failed one can put the tree back as the file still is.
class EstadoDaArvore {
public:
    explicit EstadoDaArvore(CPermissao &raiz);
    void Restaurar() const;

private:
    struct Guardado {
        std::shared_ptr<CPermissao> item;
        long permissoes, id, idUsuario;
        bool isNew, isDeleted, isDirty;
    };
    void guardar(CPermissao &item);
    std::vector<Guardado> itens_;
};

// Messages.
inline const QString kMsgPermissaoIncompativel = QStringLiteral(
    "Erro: um item de mais alto nível não tem permissão compatível com a que está sendo dada para o item '");

} // namespace core::permissoes
