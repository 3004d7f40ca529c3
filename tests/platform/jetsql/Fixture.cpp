#include "Fixture.h"

#include <gtest/gtest.h>

namespace jetsql::testing {

using value::DataType;

namespace {

TableDef makeTable(const char *name, std::vector<ColumnDef> cols) {
    TableDef t;
    t.name = QString::fromUtf8(name);
    t.columns = std::move(cols);
    return t;
}

ColumnDef col(const char *name, DataType t, int size = 0) { return ColumnDef{QString::fromUtf8(name), t, size}; }

// The stored texts of the saved queries, as the database creation writes them.
const char *const kQueries[][2] = {
    {"ParQryLastSaldoGlobal",
     "PARAMETERS [DATAOP] DateTime;SELECT IIF(IsNull(Sum(L.SaldoGlobal)),0,Sum(L.SaldoGlobal)) AS SaldoTotal "
     "FROM Lancamentos AS L INNER JOIN (SELECT TOP 1 * From Lancamentos Where Data <= [DATAOP] ORDER BY data DESC , id DESC) AS T ON L.Id = T.Id;"},
    {"ParQryMaxDataIdContas",
     "PARAMETERS [DATAOP] DateTime, [CODCON] Text ( 255 );SELECT IIF(IsNull(Max(DataId)),'',Max(DataId)) AS MaxDataId "
     "From Lancamentos WHERE CodConta = [CODCON]  and data <=[DATAOP];"},
    {"ParQryMaxDataIdRecDesp",
     "PARAMETERS [DATAOP] DateTime, [CODRECDES] Text ( 255 );SELECT IIF(IsNull(Max(DataId)),'',Max(DataId)) AS MaxDataId "
     "From Lancamentos WHERE CodRecDesp = [CODRECDES]  and data <=[DATAOP];"},
    {"ParQryUltSaldoConta",
     "PARAMETERS [DATAOP] DateTime, [CODCON] Text ( 255 );SELECT IIF(ISNULL(SUM(L.SaldoConta)), 0, SUM(L.SALDOCONTA)) + "
     "(SELECT IIF(ISNULL(SUM(L2.VALOR)), 0, SUM(L2.VALOR))  FROM LANCAMENTOS AS L2 INNER JOIN ParQryMaxDataIdContas AS P2 ON "
     "(L2.DataId > P2.MaxDataId AND L2.CodConta LIKE [CODCON] & '*' AND L2.Data <= [DATAOP] AND (L2.Realizado ='S' OR L2.Realizado = '?'))) AS USALDOCONTA "
     "FROM LANCAMENTOS AS L INNER JOIN ParQryMaxDataIdContas AS M ON L.DATAID = M.MAXDATAID;"},
    {"ParQryUltSaldoRecDesp",
     "PARAMETERS [DATAOP] DateTime, [CODRECDES] Text ( 255 );SELECT IIF(ISNULL(SUM(L.SaldoRecDesp)), 0, SUM(L.SALDORECDESP)) + "
     "(SELECT IIF(ISNULL(SUM(L2.VALOR)), 0, SUM(L2.VALOR))  FROM LANCAMENTOS AS L2 INNER JOIN ParQryMaxDataIdRecDesp AS P2 ON "
     "(L2.DataId > P2.MaxDataId AND L2.CodRecDesp LIKE [CODRECDES] & '*' AND L2.Data <= [DATAOP] AND (L2.Realizado ='S' OR L2.Realizado = '?'))) AS USaldoRecDesp "
     "FROM LANCAMENTOS AS L INNER JOIN ParQryMaxDataIdRecDesp AS M ON L.DATAID = M.MAXDATAID;"},
    {"ParQrySerialESaldos",
     "PARAMETERS [CODCON] Text ( 255 ), [CODRECDES] Text ( 255 ), [DATAOP] DateTime;"
     "SELECT S.Serial, SC.USaldoConta AS SaldoConta, SR.USaldoRecDesp AS SaldoRecDesp, SG.SaldoTotal AS SaldoGlobal "
     "FROM SERIAL AS S LEFT JOIN ((ParQryUltSaldoConta AS SC LEFT JOIN ParQryLastSaldoGlobal AS SG ON (SC.USaldoConta - SC.USaldoConta) + SG.SaldoTotal + 1 <> SG.SaldoTotal) "
     "LEFT JOIN ParQryUltSaldoRecDesp AS SR ON (SC.USaldoConta - SC.USaldoConta)  + SR.USaldoRecDesp + 1 <> SR.USaldoRecDesp) ON S.Serial + SC.USaldoConta +1 <>  SC.USaldoConta"},
    {"ParQryContaPermissoes",
     "PARAMETERS [paridusu] Long, [parcodcon] Text ( 255 ), [parcodrecdesp] Text ( 255 );"
     "SELECT sum(s.contagem) AS total FROM (Select 0 as ordem, Count(P.Id) As Contagem  from PermissoesDeUsuarios as P Inner Join Contas as C On "
     "(P.IdUsuario = [paridusu] and C.Codigo = [parcodcon] and C.Id = P.IdObjeto And P.TipoObjeto = 1 And (P.Permissoes = 2 or P.Permissoes = 3)) "
     "Union Select 1 as ordem, Count(P1.Id) As Contagem from PermissoesDeUsuarios as P1 Inner Join TiposMovimentacoes as T On "
     "(P1.IdUsuario = [paridusu] and T.Codigo = [parcodrecdesp] and T.Id = P1.IdObjeto And P1.TipoObjeto = 2 And (P1.Permissoes = 2 or P1.Permissoes = 3))) AS S;"},
    {"ParQryContaPermissaoEmTransferencia",
     "PARAMETERS [paridusu] Long, [parID] Long;SELECT L.*, C.DesConta, P.Permissoes FROM ((LANCAMENTOS AS L INNER JOIN TRANSFERENCIAS AS T ON "
     "((L.ID = T.SerialSai Or L.ID = T.SerialEntra)   and   (T.SerialEntra = [parID] OR T.SerialSai = [parID]))) INNER JOIN Contas AS C ON L.CodConta = C.Codigo) "
     "LEFT JOIN PERMISSOESDEUSUARIOS AS P ON  (P.TipoObjeto = 1 AND P.IdObjeto = C.Id And P.IdUsuario = [paridusu]);"},
    {"ParQryMaxFilhoContas", "PARAMETERS [PAICOD] Text ( 255 );SELECT Max(Codigo) AS MaxFilho From Contas WHERE CodPai = [PAICOD];"},
    {"ParQryContaFilhos", "PARAMETERS [PAICOD] Text ( 255 );SELECT Count(*) AS Contagem From Contas WHERE CodPai=[PAICOD];"},
};

QString sqlType(const ColumnDef &c) {
    switch (c.type) {
    case DataType::Text: return QStringLiteral("TEXT COLLATE JETTEXT");
    case DataType::Date: return QStringLiteral("TEXT");
    case DataType::Double:
    case DataType::Single: return QStringLiteral("REAL");
    default: return QStringLiteral("INTEGER");
    }
}

// Postings: Id, CodConta, CodRecDesp, Documento, Valor (units), Data, Historico,
// Estorno, DataId, SaldoConta, SaldoRecDesp, SaldoGlobal, Estornado, Realizado, Transferencia, IdUsuario.
const char *const kFixture = R"SQL(
INSERT INTO Usuarios VALUES (1, 'ADMINISTRADOR', 'ADMIN', 'TOQUE', 1, 0);
INSERT INTO Usuarios VALUES (2, 'José Comum', 'ZE', 'X', 2, 0);
INSERT INTO Usuarios VALUES (3, 'ana antiga', 'ANA', 'Y', 2, -1);
INSERT INTO Serial VALUES (6);
INSERT INTO Contas VALUES (1, '000', '000', ' ', 0);
INSERT INTO Contas VALUES (2, '001', '000', 'BANCOS', 0);
INSERT INTO Contas VALUES (3, '001.001', '001', 'Banco Ávila', 0);
INSERT INTO Contas VALUES (4, '001.002', '001', 'banco beta', 0);
INSERT INTO Contas VALUES (5, '002', '000', 'CARTEIRA', -1);
INSERT INTO Contas VALUES (6, '001.020', '001', 'Ação Poupança', 0);
INSERT INTO TiposMovimentacoes VALUES (1, '000', '000', ' ', 0);
INSERT INTO TiposMovimentacoes VALUES (2, '001', '000', 'TRANSFERÊNCIAS ENTRE CONTAS', 0);
INSERT INTO TiposMovimentacoes VALUES (3, '002', '000', 'AJUSTES DE SALDOS', 0);
INSERT INTO TiposMovimentacoes VALUES (4, '003', '000', 'ALIMENTAÇÃO', 0);
INSERT INTO TiposMovimentacoes VALUES (5, '003.001', '003', 'almoço', 0);
INSERT INTO Lancamentos VALUES (1, '001.001', '002', 'D1', 1000000, '2025-01-05 00:00:00', 'SALDO INICIAL', 0, '20250105000000001', 1000000, 1000000, 1000000, 0, 'S', 0, 1);
INSERT INTO Lancamentos VALUES (2, '001.002', '003.001', NULL, -125000, '2025-01-05 00:00:00', 'almoço', 0, '20250105000000002', -125000, -125000, 875000, 0, '?', 0, 1);
INSERT INTO Lancamentos VALUES (3, '001.001', '003.001', 'd3', -1000, '2025-01-10 00:00:00', 'CAFÉ', 0, '20250110000000003', 999000, -126000, 874000, 0, 'S', 0, 2);
INSERT INTO Lancamentos VALUES (4, '001.002', '003', 'D4', 3000, '2025-01-03 00:00:00', 'Ação X', 0, '20250103000000004', 3000, 3000, 3000, 0, 'N', 0, 1);
INSERT INTO Lancamentos VALUES (5, '001.001', '001', NULL, -2000000, '2025-02-01 00:00:00', 'TRANSF', 0, '20250201000000005', -1001000, -2000000, -1126000, 0, '?', 1, 1);
INSERT INTO Lancamentos VALUES (6, '001.002', '001', NULL, 2000000, '2025-02-01 00:00:00', 'TRANSF', 0, '20250201000000006', 1875000, 0, 874000, 0, '?', 2, 1);
INSERT INTO Transferencias VALUES (1, 5, 6);
INSERT INTO PermissoesDeUsuarios VALUES (1, 2, 3, 1, 3);
INSERT INTO PermissoesDeUsuarios VALUES (2, 2, 4, 1, 1);
INSERT INTO PermissoesDeUsuarios VALUES (3, 2, 5, 2, 2);
INSERT INTO PermissoesDeUsuarios VALUES (4, 2, 2, 2, 3);
INSERT INTO PermissoesDeUsuarios VALUES (5, 3, 3, 1, 2);
)SQL";

} // namespace

TestCatalog::TestCatalog() {
    const auto T = DataType::Text, L = DataType::Long, B = DataType::Boolean, Y = DataType::Byte,
               C = DataType::Currency, D = DataType::Date;
    tables_.push_back(makeTable("Contas", {col("Id", L), col("Codigo", T, 31), col("CodPai", T, 31), col("DesConta", T, 30), col("Inativa", B)}));
    tables_.push_back(makeTable("TiposMovimentacoes", {col("Id", L), col("Codigo", T, 31), col("CodPai", T, 31), col("DesMovimentacao", T, 30), col("Inativo", B)}));
    tables_.push_back(makeTable("Lancamentos", {col("Id", L), col("CodConta", T, 31), col("CodRecDesp", T, 31), col("Documento", T, 20),
                                                col("Valor", C), col("Data", D), col("Historico", T, 50), col("Estorno", B), col("DataId", T, 17),
                                                col("SaldoConta", C), col("SaldoRecDesp", C), col("SaldoGlobal", C), col("Estornado", B),
                                                col("Realizado", T, 1), col("Transferencia", Y), col("IdUsuario", L)}));
    tables_.push_back(makeTable("PermissoesDeUsuarios", {col("Id", L), col("IdUsuario", L), col("IdObjeto", L), col("TipoObjeto", Y), col("Permissoes", Y)}));
    tables_.push_back(makeTable("Serial", {col("Serial", L)}));
    tables_.push_back(makeTable("Transferencias", {col("Id", L), col("SerialSai", L), col("SerialEntra", L)}));
    tables_.push_back(makeTable("Usuarios", {col("Id", L), col("DesUsuario", T, 40), col("IdLogin", T, 12), col("Senha", T, 12), col("Tipo", Y), col("Inativo", B)}));
    for (const auto &q : kQueries) queries_[QString::fromUtf8(q[0]).toLower()] = QString::fromUtf8(q[1]);
}

const TableDef *TestCatalog::table(const QString &name) const {
    for (const TableDef &t : tables_)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

std::optional<QString> TestCatalog::savedQuery(const QString &name) const {
    const auto it = queries_.constFind(name.toLower());
    if (it == queries_.constEnd()) return std::nullopt;
    return it.value();
}

Db::Db(const TestCatalog &catalog) {
    EXPECT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    EXPECT_EQ(registerSqliteFunctions(db_), SQLITE_OK);
    for (const TableDef &t : catalog.tables()) {
        QStringList cols;
        for (const ColumnDef &c : t.columns) {
            QString def = QStringLiteral("\"%1\" %2").arg(c.name, sqlType(c));
            if (c.name == QLatin1String("Id") && t.name != QLatin1String("Lancamentos")) def += QStringLiteral(" PRIMARY KEY");
            if (t.name == QLatin1String("Lancamentos") && c.name == QLatin1String("Realizado")) def += QStringLiteral(" DEFAULT '?'");
            if (c.type == DataType::Boolean || c.type == DataType::Byte) def += QStringLiteral(" DEFAULT 0");
            cols << def;
        }
        exec(QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(t.name, cols.join(QStringLiteral(", "))));
    }
    exec(QStringLiteral("CREATE UNIQUE INDEX LancDataId ON Lancamentos (DataId); CREATE INDEX LancCodConta ON Lancamentos (CodConta);"
                        "CREATE UNIQUE INDEX ContasCodigo ON Contas (Codigo)"));
    exec(QString::fromUtf8(kFixture));
}

Db::~Db() { sqlite3_close(db_); }

void Db::exec(const QString &sql) const {
    char *msg = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    EXPECT_EQ(rc, SQLITE_OK) << (msg ? msg : "") << "\n" << sql.toStdString();
    sqlite3_free(msg);
}

namespace {

QString rows(sqlite3_stmt *st, bool &ok) {
    QStringList lines;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList f;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            if (sqlite3_column_type(st, i) == SQLITE_NULL) f << QStringLiteral("NULL");
            else f << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
        }
        lines << f.join(QLatin1Char('|'));
    }
    ok = rc == SQLITE_DONE;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString Db::query(const QString &sql) const {
    sqlite3_stmt *st = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr);
    EXPECT_EQ(rc, SQLITE_OK) << sqlite3_errmsg(db_) << "\n" << sql.toStdString();
    if (rc != SQLITE_OK) return QStringLiteral("<prepare failed>");
    bool ok = false;
    QString out = rows(st, ok);
    EXPECT_TRUE(ok) << sqlite3_errmsg(db_);
    sqlite3_finalize(st);
    return out;
}

QString Db::run(const Translation &t, const Params &params) const {
    sqlite3_stmt *st = nullptr;
    const int rc = sqlite3_prepare_v2(db_, t.sql.toUtf8().constData(), -1, &st, nullptr);
    EXPECT_EQ(rc, SQLITE_OK) << sqlite3_errmsg(db_) << "\n" << t.sql.toStdString();
    if (rc != SQLITE_OK) return QStringLiteral("<prepare failed>");
    for (size_t i = 0; i < t.bindOrder.size(); ++i) {
        const int idx = int(i) + 1;
        bool bound = false;
        for (const auto &[name, v] : params) {
            if (name.compare(t.bindOrder[i], Qt::CaseInsensitive) != 0) continue;
            bound = true;
            if (v.typeId() == QMetaType::QString) {
                const QByteArray u = v.toString().toUtf8();
                sqlite3_bind_text(st, idx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            } else if (v.typeId() == QMetaType::Double) {
                sqlite3_bind_double(st, idx, v.toDouble());
            } else if (v.isNull()) {
                sqlite3_bind_null(st, idx);
            } else {
                sqlite3_bind_int64(st, idx, v.toLongLong());
            }
        }
        EXPECT_TRUE(bound) << "parameter not set: " << t.bindOrder[i].toStdString();
    }
    bool ok = false;
    QString out = rows(st, ok);
    EXPECT_TRUE(ok) << sqlite3_errmsg(db_) << "\n" << t.sql.toStdString();
    sqlite3_finalize(st);
    if (t.kind != StatementKind::Select) return QStringLiteral("changes=%1").arg(sqlite3_changes(db_));
    return out;
}

} // namespace jetsql::testing
