#include "db/Schema.h"

namespace db {

using dao::FieldDef;
using dao::IndexDef;
using dao::TableDef;
using value::DataType;
using value::Value;

namespace {

FieldDef autoId() { return {QStringLiteral("Id"), DataType::Long, 0, dao::dbAutoIncrField, true, false, std::nullopt}; }
FieldDef longF(const QString &n, bool required, std::optional<Value> def = std::nullopt) {
    return {n, DataType::Long, 0, 0, required, false, def};
}
FieldDef textF(const QString &n, int size, bool required, bool zeroLength) {
    return {n, DataType::Text, size, 0, required, zeroLength, std::nullopt};
}
FieldDef typed(const QString &n, DataType t, bool required, std::optional<Value> def) {
    return {n, t, 0, 0, required, false, def};
}
IndexDef uniqueIx(const QString &n) { return {n, {n}, false, true, true, false}; }
IndexDef clustered(IndexDef ix) {
    ix.clustered = true;
    return ix;
}
IndexDef primary() { return {QStringLiteral("PrimaryKey"), {QStringLiteral("Id")}, true, true, true, false}; }

TableDef chart(const QString &name, const QString &des, const QString &inativo) {
    return {name,
            {autoId(), textF(QStringLiteral("Codigo"), 31, true, false), textF(QStringLiteral("CodPai"), 31, true, false),
             textF(des, 30, true, false), typed(inativo, DataType::Boolean, false, Value(0))},
            {uniqueIx(des), uniqueIx(QStringLiteral("Codigo")), primary()}};
}

} // namespace

std::vector<TableDef> TabelasDoSistema() {
    std::vector<TableDef> t;
    t.push_back(chart(QStringLiteral("Contas"), QStringLiteral("DesConta"), QStringLiteral("Inativa")));
    t.push_back(chart(QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"), QStringLiteral("Inativo")));
    t.push_back({QStringLiteral("Lancamentos"),
                 {longF(QStringLiteral("Id"), true), textF(QStringLiteral("CodConta"), 31, true, false),
                  textF(QStringLiteral("CodRecDesp"), 31, false, true), textF(QStringLiteral("Documento"), 20, false, true),
                  typed(QStringLiteral("Valor"), DataType::Currency, true, Value(0)),
                  typed(QStringLiteral("Data"), DataType::Date, true, std::nullopt),
                  textF(QStringLiteral("Historico"), 50, true, false),
                  typed(QStringLiteral("Estorno"), DataType::Boolean, false, Value(0)),
                  textF(QStringLiteral("DataId"), 17, true, false),
                  typed(QStringLiteral("SaldoConta"), DataType::Currency, true, Value(0)),
                  typed(QStringLiteral("SaldoRecDesp"), DataType::Currency, false, Value(0)),
                  typed(QStringLiteral("SaldoGlobal"), DataType::Currency, true, Value(0)),
                  typed(QStringLiteral("Estornado"), DataType::Boolean, false, Value(0)),
                  {QStringLiteral("Realizado"), DataType::Text, 1, 0, false, false, Value(QStringLiteral("'?'"))},
                  typed(QStringLiteral("Transferencia"), DataType::Byte, false, Value(0)),
                  longF(QStringLiteral("IdUsuario"), true)},
                 // The rows stay on disk in DataId order whatever order postings are
                 // typed in, so that moving the balances after a back-dated posting
                 // rewrites only the pages of the later postings.
                 {clustered(uniqueIx(QStringLiteral("DataId"))), primary(),
                  // Not part of the original engine's file: this engine needs them to find
                  // the last posting of an account, a type or a date without a scan.
                  {QStringLiteral("ContaDataId"), {QStringLiteral("CodConta"), QStringLiteral("DataId")}, false, false, false, false},
                  {QStringLiteral("RecDespDataId"), {QStringLiteral("CodRecDesp"), QStringLiteral("DataId")}, false, false, false, false},
                  {QStringLiteral("DataOrdem"), {QStringLiteral("Data"), QStringLiteral("Id")}, false, false, false, false},
                  // The search by document reads the documents that start as the typed text does.
                  {QStringLiteral("Documento"), {QStringLiteral("Documento")}, false, false, false, false},
                  // The pending list reads the few unsettled postings of each account.
                  {QStringLiteral("RealizadoConta"), {QStringLiteral("Realizado"), QStringLiteral("CodConta")}, false, false, false, false},
                  // Sums over the postings after a date read this index alone, in order.
                  {QStringLiteral("DataIdValores"), {QStringLiteral("DataId"), QStringLiteral("CodConta"), QStringLiteral("CodRecDesp"),
                                                     QStringLiteral("Data"), QStringLiteral("Realizado"), QStringLiteral("Valor")}, false, false, false, false}}});
    t.push_back({QStringLiteral("PermissoesDeUsuarios"),
                 {autoId(), longF(QStringLiteral("IdUsuario"), true), longF(QStringLiteral("IdObjeto"), true),
                  typed(QStringLiteral("TipoObjeto"), DataType::Byte, true, std::nullopt),
                  typed(QStringLiteral("Permissoes"), DataType::Byte, true, std::nullopt)},
                 {{QStringLiteral("IdUsuario"), {QStringLiteral("IdUsuario")}, false, false, true, false}, primary(),
                  // Not part of the original engine's file: a user's row of one item is
                  // read back after each insert and looked for before it.
                  {QStringLiteral("UsuarioObjeto"), {QStringLiteral("IdUsuario"), QStringLiteral("TipoObjeto"),
                                                     QStringLiteral("IdObjeto")}, false, false, false, false}}});
    t.push_back({QStringLiteral("Serial"), {longF(QStringLiteral("Serial"), true, Value(0))}, {}});
    t.push_back({QStringLiteral("Transferencias"),
                 {autoId(), longF(QStringLiteral("SerialSai"), true), longF(QStringLiteral("SerialEntra"), true)},
                 {primary()}});
    t.push_back({QStringLiteral("Usuarios"),
                 {autoId(), textF(QStringLiteral("DesUsuario"), 40, true, false),
                  textF(QStringLiteral("IdLogin"), 12, true, false), textF(QStringLiteral("Senha"), 12, true, false),
                  typed(QStringLiteral("Tipo"), DataType::Byte, true, std::nullopt),
                  typed(QStringLiteral("Inativo"), DataType::Boolean, false, Value(0))},
                 {primary(), uniqueIx(QStringLiteral("IdLogin"))}});
    return t;
}

std::vector<dao::RelationDef> RelacoesDoSistema() {
    auto rel = [](const char *name, const char *table, const char *key, const char *foreign, const char *fcol) {
        return dao::RelationDef{QString::fromUtf8(name), QString::fromUtf8(table), QString::fromUtf8(foreign),
                                {{QString::fromUtf8(key), QString::fromUtf8(fcol)}}, dao::dbRelationDeleteCascade};
    };
    return {rel("Self_Contas", "Contas", "Codigo", "Contas", "CodPai"),
            rel("Self_TiposMovimentacoes", "TiposMovimentacoes", "Codigo", "TiposMovimentacoes", "CodPai"),
            rel("CONTAS_LANCAMENTOS", "Contas", "Codigo", "Lancamentos", "CodConta"),
            rel("TIPOSMOVIMENTACOES_LANCAMENTOS", "TIPOSMOVIMENTACOES", "Codigo", "Lancamentos", "CodRecDesp"),
            rel("USUARIOS_LANCAMENTOS", "Usuarios", "Id", "Lancamentos", "IdUsuario"),
            rel("LANCAMENTOS_TRANSFERENCIAS1", "Lancamentos", "Id", "Transferencias", "SerialSai"),
            rel("LANCAMENTOS_TRANSFERENCIAS2", "Lancamentos", "Id", "Transferencias", "SerialEntra"),
            rel("USUARIOS_PERMISSOESDEUSUARIOS", "Usuarios", "Id", "PermissoesDeUsuarios", "IdUsuario")};
}

} // namespace db
