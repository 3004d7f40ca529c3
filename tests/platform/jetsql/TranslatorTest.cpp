#include "Fixture.h"

#include "platform/err/AppError.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace jetsql::testing {
namespace {

using value::DataType;

struct Case {
    const char *name;
    const char *jet;
    Params params;
    const char *expected;     // rows of a SELECT, or "changes=N" for the others
    const char *check = nullptr; // SQLite text run after an action statement
    const char *checkRows = nullptr;
};

QString u(const char *s) { return QString::fromUtf8(s); }

const Params kBalanceAt = {{u("DATAOP"), u("2025-01-31 00:00:00")}, {u("CODCON"), u("001")}};

// One row per construct the program writes.
const std::vector<Case> &cases() {
    static const std::vector<Case> c = {
        {"date_literal", "SELECT Id FROM Lancamentos WHERE Data = #1/5/2025# ORDER BY Id", {}, "1\n2"},
        {"date_literal_with_time", "SELECT Id FROM Lancamentos WHERE Data >= #1/5/2025 00:00:00# AND Data < #1/10/2025# ORDER BY Id", {}, "1\n2"},
        {"time_literal", "SELECT #13:45:00# AS T FROM Serial", {}, "1899-12-30 13:45:00"},
        {"iif_isnull", "SELECT Id, IIF(IsNull(Documento), 'sem', Documento) AS Doc FROM Lancamentos WHERE Id <= 2 ORDER BY Id", {}, "1|D1\n2|sem"},
        {"abs_of_comparison", "SELECT Id, Abs(CodConta = '001.001') AS A, Abs('001.001.005' LIKE CodConta & '*') AS B FROM Lancamentos WHERE Id IN (1,2) ORDER BY Id", {}, "1|1|1\n2|0|0"},
        {"comparison_as_value", "SELECT (SUM(S.CContas) > 1) As TemContas, (SUM(S.CRecDesp) > 9) As TemRecDesp FROM  (SELECT COUNT(*) as CContas , 0 As CRecDesp FROM CONTAS UNION  SELECT 0 as CContas, COUNT(*) As CRecDesp FROM TIPOSMOVIMENTACOES) As S", {}, "-1|0"},
        {"concat_null_rule", "SELECT Documento & 'x' AS A, Documento & Null AS B, Valor & '' AS C, Data & '' AS D, Id & '-' & Realizado AS E FROM Lancamentos WHERE Id = 2", {}, "x|NULL|-12.5|05/01/2025|2-?"},
        {"plus_on_texts_propagates_null", "SELECT Documento + 'x' AS A, Historico + '!' AS B FROM Lancamentos WHERE Id = 2", {}, "NULL|almoço!"},
        {"like_star", "SELECT Codigo FROM Contas WHERE Codigo LIKE '001*' ORDER BY Codigo", {}, "001\n001.001\n001.002\n001.020"},
        {"like_question", "SELECT Codigo FROM Contas WHERE Codigo LIKE '001.00?' ORDER BY Codigo", {}, "001.001\n001.002"},
        {"like_hash", "SELECT Codigo FROM Contas WHERE Codigo LIKE '00#' ORDER BY Codigo", {}, "000\n001\n002"},
        {"like_sets", "SELECT Codigo FROM Contas WHERE Codigo LIKE '001.00[!1]' OR Codigo LIKE '001.0[1-9]0' OR Codigo LIKE '00[2]' ORDER BY Codigo", {}, "001.002\n001.020\n002"},
        {"like_case_and_accents", "SELECT DesConta FROM Contas WHERE DesConta LIKE '*ÁVILA' OR DesConta LIKE 'aÇÃo*' OR DesConta LIKE 'BANCO A*' OR DesConta LIKE 'acao*' ORDER BY Id", {}, "Banco Ávila\nAção Poupança"},
        {"not_like", "SELECT Codigo FROM Contas WHERE Codigo NOT LIKE '001*' ORDER BY Codigo", {}, "000\n002"},
        {"like_parameter_pattern", "PARAMETERS [CODCON] Text ( 255 );SELECT L.Id FROM Lancamentos AS L WHERE L.CodConta LIKE [CODCON] & '*' ORDER BY L.Id", {{u("codcon"), u("001.001")}}, "1\n3\n5"},
        {"like_column_pattern", "SELECT Codigo FROM Contas WHERE '001.002.003' LIKE Codigo & '*' ORDER BY Codigo", {}, "001\n001.002"},
        {"text_equal_ignores_case_and_accent_case", "SELECT Id FROM TiposMovimentacoes WHERE DesMovimentacao = 'ALMOÇO' OR 'alimentação' = DesMovimentacao OR DesMovimentacao = 'almoco' ORDER BY Id", {}, "4\n5"},
        {"text_equal_between_expressions", "SELECT Id FROM TiposMovimentacoes WHERE UCase(DesMovimentacao) = 'almoço' & ''", {}, "5"},
        {"order_portuguese", "SELECT DesConta FROM Contas WHERE Codigo <> '000' ORDER BY DesConta", {}, "Ação Poupança\nBanco Ávila\nbanco beta\nBANCOS\nCARTEIRA"},
        {"order_by_alias_desc", "SELECT DesConta AS Nome, Codigo FROM Contas WHERE Codigo LIKE '001.*' ORDER BY Nome DESC", {}, "banco beta|001.002\nBanco Ávila|001.001\nAção Poupança|001.020"},
        {"order_by_position", "SELECT Codigo, DesConta FROM Contas WHERE Codigo LIKE '001.*' ORDER BY 2", {}, "001.020|Ação Poupança\n001.001|Banco Ávila\n001.002|banco beta"},
        {"top", "SELECT TOP 2 Id FROM Lancamentos ORDER BY Data DESC, Id DESC", {}, "6\n5"},
        {"distinct_expression_ignores_case", "SELECT Count(*) AS N FROM (SELECT DISTINCT Left(DesConta, 5) AS P FROM Contas WHERE Codigo LIKE '001.*') AS D", {}, "2"},
        {"group_by_expression", "SELECT UCase(Left(DesConta, 5)) AS P, Count(*) AS N FROM Contas WHERE Codigo LIKE '001.*' GROUP BY UCase(Left(DesConta, 5)) ORDER BY 1", {}, "AÇÃO |1\nBANCO|2"},
        {"union_parenthesised_ordered_members", "(SELECT 0 as Ordem, DesConta AS DesObjeto, Codigo FROM Contas WHERE Codigo LIKE '001.*' ORDER BY DesConta) UNION (SELECT 1 as Ordem, 'TOTAL' AS DesObjeto, '9999' AS Codigo FROM Serial) ORDER BY Ordem, Codigo", {}, "0|Banco Ávila|001.001\n0|banco beta|001.002\n0|Ação Poupança|001.020\n1|TOTAL|9999"},
        {"union_scales_whole_to_money", "SELECT 1 AS V FROM Serial UNION ALL SELECT Valor AS V FROM Lancamentos WHERE Id = 2", {}, "10000\n-125000"},
        {"derived_table_without_alias", "SELECT 1 as Ordem, IIF(IsNull(BalanT),0,BalanT) As Balanco FROM (Select Sum(L.Valor) As BalanT FROM Lancamentos As L WHERE L.Realizado <> 'N')", {}, "1|874000"},
        {"derived_tables_without_alias_in_union", "(SELECT 0 as Ordem, Codigo FROM Contas WHERE Codigo = '002') UNION (SELECT 1 as Ordem, '9999' As Codigo FROM (Select Count(*) As N FROM (SELECT Serial FROM Serial))) ORDER BY Ordem, Codigo", {}, "0|002\n1|9999"},
        {"nested_joins", "SELECT L.Id, C.DesConta, T.DesMovimentacao, U.IdLogin FROM ((Lancamentos AS L INNER JOIN (Contas AS C INNER JOIN (SELECT CODIGO FROM CONTAS WHERE Codigo IN ('001')) AS K ON C.Codigo LIKE K.Codigo & '*') ON (L.CodConta = C.Codigo AND L.Data Between #1/1/2025# And #2/28/2025#)) INNER JOIN TiposMovimentacoes AS T ON L.CodRecDesp = T.Codigo) LEFT JOIN Usuarios AS U ON (L.IdUsuario = U.Id AND U.Tipo = 2) ORDER BY L.DataId", {}, "4|banco beta|ALIMENTAÇÃO|NULL\n1|Banco Ávila|AJUSTES DE SALDOS|NULL\n2|banco beta|almoço|NULL\n3|Banco Ávila|almoço|ZE\n5|Banco Ávila|TRANSFERÊNCIAS ENTRE CONTAS|NULL\n6|banco beta|TRANSFERÊNCIAS ENTRE CONTAS|NULL"},
        {"star_of_alias", "SELECT L.*, C.DesConta FROM Lancamentos AS L INNER JOIN Contas AS C ON L.CodConta = C.Codigo WHERE L.Id = 3", {}, "3|001.001|003.001|d3|-1000|2025-01-10 00:00:00|CAFÉ|0|20250110000000003|999000|-126000|874000|0|S|0|2|Banco Ávila"},
        {"iif_users_list", "Select U.*, IIf(Tipo = 1,'ADMINISTRADOR', 'COMUM') As DesTipo from Usuarios As U where U.Inativo = False order by U.DesUsuario", {}, "1|ADMINISTRADOR|ADMIN|TOQUE|1|0|ADMINISTRADOR\n2|José Comum|ZE|X|2|0|COMUM"},
        {"money_sums_exact", "SELECT Sum(Valor) AS S, Sum(Valor) + 1 AS S1, Max(Valor) AS M, Sum(Valor) / Count(*) AS A FROM Lancamentos WHERE Realizado <> 'N'", {}, "874000|884000|2000000|17.48"},
        {"max_and_min_alone_keep_aggregate_results", "SELECT Max(DataId) AS MaxD, Min(Valor), IIF(IsNull(Max(Documento)), '-', Max(Documento)) AS Doc FROM Lancamentos WHERE CodConta = '001.001' AND Data <= #1/31/2025#", {}, "20250110000000003|-1000|d3"},
        {"max_alone_over_no_rows_is_null", "SELECT Max(DataId) AS M, IIF(IsNull(Max(DataId)),'',Max(DataId)) AS E FROM Lancamentos WHERE CodConta = '999'", {}, "NULL|"},
        {"like_parameter_pattern_with_wildcards", "PARAMETERS [P] Text ( 255 );SELECT Codigo FROM Contas WHERE Codigo LIKE [P] & '*' ORDER BY Codigo", {{u("P"), u("00?.0")}}, "001.001\n001.002\n001.020"},
        {"money_literals_compare", "SELECT Id FROM Lancamentos WHERE Valor = -12.50 OR Valor > 150 ORDER BY Id", {}, "2\n6"},
        {"money_between_and_in", "SELECT Id FROM Lancamentos WHERE Valor BETWEEN -1 AND 1 OR Valor IN (100, -0.10) ORDER BY Id", {}, "1\n3\n4"},
        {"money_iif_branch_scaled", "SELECT IIF(Valor > 0, Valor, 0) AS P, IIF(Valor > 0, 1, Valor) AS Q FROM Lancamentos WHERE Id = 2", {}, "0|-125000"},
        {"booleans", "SELECT Codigo FROM Contas WHERE (Inativa = True OR NOT Inativa) AND Codigo LIKE '00?' AND Inativa <> False", {}, "002"},
        {"group_by_having", "SELECT CodConta, Sum(Valor) AS Total FROM Lancamentos GROUP BY CodConta HAVING Sum(Valor) > 0 ORDER BY CodConta", {}, "001.002|1878000"},
        {"exists_and_in_subquery", "SELECT Codigo FROM Contas AS C WHERE EXISTS (SELECT * FROM Lancamentos AS L WHERE L.CodConta = C.Codigo) AND C.Id IN (SELECT IdObjeto FROM PermissoesDeUsuarios WHERE IdUsuario = 2 AND TipoObjeto = 1) ORDER BY Codigo", {}, "001.001\n001.002"},
        {"is_null_and_not", "SELECT Id FROM Lancamentos WHERE Documento IS NULL AND NOT (Transferencia = 1) ORDER BY Id", {}, "2\n6"},
        {"text_functions", "SELECT Len(Codigo) AS N, Left(Codigo, 3) AS A, Mid(Codigo, 5, 3) AS B, Right(Codigo, 3) AS R, Year(Data) AS Y, Month(Data) AS M, Trim('  x ') AS T FROM Contas AS C INNER JOIN Lancamentos AS L ON L.CodConta = C.Codigo WHERE L.Id = 3", {}, "7|001|001|001|2025|1|x"},
        {"parameters_declared_and_not", "PARAMETERS [x] Long; SELECT Id FROM Lancamentos WHERE Id = [X] OR Id = [y] OR Id = x ORDER BY Id", {{u("x"), 1}, {u("Y"), 2}}, "1\n2"},
        {"date_parameter", "PARAMETERS [D] DateTime; SELECT Count(*) FROM Lancamentos WHERE Data <= [D]", {{u("D"), u("2025-01-05 00:00:00")}}, "3"},
        {"saved_query_as_table", "SELECT MaxDataId FROM ParQryMaxDataIdContas", {{u("DATAOP"), u("2025-01-31 00:00:00")}, {u("CODCON"), u("001.001")}}, "20250110000000003"},
        {"saved_query_as_scalar_subselect", "SELECT S.Serial, (Select USaldoConta From ParQryUltSaldoConta) AS SaldoConta FROM SERIAL AS S", kBalanceAt, "6|874000"},
        {"saved_query_with_star_and_join", "SELECT Id, DesConta, Permissoes FROM ParQryContaPermissaoEmTransferencia ORDER BY Id", {{u("paridusu"), 2}, {u("parID"), 6}}, "5|Banco Ávila|3\n6|banco beta|1"},
        {"permission_count_union_keeps_equal_rows", "SELECT total FROM ParQryContaPermissoes", {{u("paridusu"), 2}, {u("parcodcon"), u("001.001")}, {u("parcodrecdesp"), u("003.001")}}, "2"},
        {"insert_select_fills_by_alias",
         "INSERT INTO LANCAMENTOS Select 7 As Id, '001.002' As CodConta,'003' As CodRecDesp, NULL As Documento,-12.50 As Valor,#2/3/2025# As Data,'X' As Historico,"
         "'20250203000000007' As DataId,0 As SaldoGlobal,1 As SaldoConta, 2.5 As SaldoRecDesp, 1 As IdUsuario FROM Contas As C INNER JOIN TiposMovimentacoes As T ON "
         "(C.Codigo = '001.002' AND C.Inativa = False AND T.Codigo = '003' AND T.Inativo = False AND Len(C.Codigo) * 0 = Len(T.Codigo) * 0)",
         {}, "changes=1",
         "SELECT Id, CodConta, Valor, Data, SaldoGlobal, SaldoConta, SaldoRecDesp, Realizado, Estorno, Transferencia FROM Lancamentos WHERE Id = 7",
         "7|001.002|-125000|2025-02-03 00:00:00|0|10000|25000|?|0|0"},
        {"insert_select_guard_inactive_account",
         "INSERT INTO LANCAMENTOS Select 8 As Id, 0 As Transferencia, '002' As CodConta,'002' As CodRecDesp, NULL As Documento,1.00 As Valor,#2/3/2025# As Data,"
         "'SALDO INICIAL' As Historico,'20250203000000008' As DataId,0 As SaldoGlobal,0 As SaldoConta, 0 As SaldoRecDesp, 'S' As Realizado,1 As IdUsuario FROM CONTAS WHERE Codigo = '002' AND Inativa = False",
         {}, "changes=0", "SELECT count(*) FROM Lancamentos", "6"},
        {"insert_select_booleans_and_texts",
         "INSERT INTO LANCAMENTOS SELECT 9 As Id,'001.001' As CodConta, '003' As CodRecDesp, 'D9' As Documento,-0.10 As Valor,#2/4/2025# As Data,'ESTORNO' As Historico, True As Estorno,'20250204000000009' As DataId,"
         "1.5 As SaldoGlobal,2 As SaldoConta, 3 As SaldoRecDesp,  'E' As Realizado, 2 As IdUsuario, 1 As Transferencia FROM Contas As C WHERE C.Codigo = '001.001' AND C.Inativa = False",
         {}, "changes=1", "SELECT Estorno, Realizado, SaldoGlobal, SaldoConta, SaldoRecDesp, Transferencia, Valor FROM Lancamentos WHERE Id = 9", "-1|E|15000|20000|30000|1|-1000"},
        {"insert_values", "INSERT INTO TIPOSMOVIMENTACOES (DESMOVIMENTACAO, CODIGO, CODPAI, INATIVO) VALUES ('LAZER','004','000', FALSE)", {}, "changes=1",
         "SELECT Id, DesMovimentacao, Inativo FROM TiposMovimentacoes WHERE Codigo = '004'", "6|LAZER|0"},
        {"insert_values_money_column", "INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Valor, Data, Historico, DataId, SaldoConta, SaldoGlobal, IdUsuario) VALUES (10, '002', '002', 0, #3/1/2025#, 'H', '20250301000000010', 5, -1.25, 1)",
         {}, "changes=1", "SELECT Valor, SaldoConta, SaldoGlobal, Realizado FROM Lancamentos WHERE Id = 10", "0|50000|-12500|?"},
        {"update_rebalance",
         "UPDATE Lancamentos Set SaldoConta = SaldoConta + Abs('001.001' LIKE CodConta & '*') * -12.50, SaldoRecDesp = SaldoRecDesp + Abs('003.001' LIKE CodRecDesp & '*') * -12.50, "
         "SaldoGlobal = SaldoGlobal + -12.50 where DataId > '20250110000000003'",
         {}, "changes=2", "SELECT Id, SaldoConta, SaldoRecDesp, SaldoGlobal FROM Lancamentos WHERE Id >= 5 ORDER BY Id", "5|-1126000|-2000000|-1251000\n6|1875000|0|749000"},
        {"update_guarded_flags", "UPDATE LANCAMENTOS SET ESTORNADO = TRUE, REALIZADO='E' WHERE Id = 2 AND REALIZADO <> 'N' AND ESTORNADO = FALSE", {}, "changes=1",
         "SELECT Estornado, Realizado FROM Lancamentos WHERE Id = 2", "-1|E"},
        {"update_counter_lock", "UPDATE Serial Set Serial = Serial + 1 where Serial = 6", {}, "changes=1", "SELECT Serial FROM Serial", "7"},
        {"update_self_subselect", "Update Usuarios Set Inativo = True Where Id =1 AND (Select count(*) From Usuarios WHERE Inativo = FALSE AND TIPO = 1) > 1", {}, "changes=0",
         "SELECT Inativo FROM Usuarios WHERE Id = 1", "0"},
        {"update_alias_join_subtree",
         "UPDATE PERMISSOESDEUSUARIOS AS P INNER JOIN (SELECT C2.Id From Contas as C1 Inner Join Contas As C2 On (C1.Id = 2 AND C2.Codigo LIKE C1.Codigo & '*')) As C ON (P.IdObjeto = C.Id And P.TipoObjeto = 1) SET Permissoes = 0 WHERE P.IdUsuario = 2",
         {}, "changes=2", "SELECT Id, Permissoes FROM PermissoesDeUsuarios ORDER BY Id", "1|0\n2|0\n3|2\n4|3\n5|2"},
        {"update_join_value_from_joined_row", "UPDATE Lancamentos AS L INNER JOIN Transferencias AS T ON L.Id = T.SerialSai SET L.IdUsuario = T.SerialEntra", {}, "changes=1",
         "SELECT Id, IdUsuario FROM Lancamentos WHERE Id IN (5, 6) ORDER BY Id", "5|6\n6|1"},
        {"update_alias_without_join", "UPDATE Contas AS X SET X.Inativa = True WHERE X.Codigo LIKE '001.0*'", {}, "changes=3",
         "SELECT Codigo FROM Contas WHERE Inativa = -1 ORDER BY Codigo", "001.001\n001.002\n001.020\n002"},
        {"delete_alias_star_join",
         "DELETE P.* FROM PERMISSOESDEUSUARIOS AS P INNER JOIN (SELECT M2.Id From TiposMovimentacoes as M1 Inner Join TiposMovimentacoes As M2 On (M1.Id = 4 AND M2.Codigo LIKE M1.Codigo & '*')) As M ON (P.IdObjeto = M.Id And P.TipoObjeto = 2) WHERE P.IdUsuario = 2",
         {}, "changes=1", "SELECT Id FROM PermissoesDeUsuarios ORDER BY Id", "1\n2\n4\n5"},
        {"delete_star_with_count_guard",
         "DELETE * FROM CONTAS WHERE CODIGO = '001.020' AND (SELECT COUNT(*) FROM LANCAMENTOS WHERE HISTORICO <> 'SALDO INICIAL' AND CODCONTA LIKE '001.020*') = 0",
         {}, "changes=1", "SELECT count(*) FROM Contas", "5"},
        {"delete_plain", "DELETE FROM Transferencias WHERE SerialSai = 5", {}, "changes=1", "SELECT count(*) FROM Transferencias", "0"},
    };
    return c;
}

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class TranslatorCases : public ::testing::TestWithParam<Case> {};

TEST_P(TranslatorCases, RunsOnFixture) {
    const Case &c = GetParam();
    TestCatalog catalog;
    Db db(catalog);
    Translator tr(catalog);
    std::shared_ptr<const Translation> t;
    try {
        t = tr.translate(u(c.jet));
    } catch (const err::AppError &e) {
        FAIL() << e.what();
    }
    EXPECT_EQ(db.run(*t, c.params).toStdString(), std::string(c.expected)) << t->sql.toStdString();
    if (c.check) {
        EXPECT_EQ(db.query(u(c.check)).toStdString(), std::string(c.checkRows)) << t->sql.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Jet, TranslatorCases, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case> &i) { return std::string(i.param.name); });

// Outside string literals and quoted names, nothing of the Jet dialect may be left.
TEST(TranslatorOutput, NoJetSyntaxSurvives) {
    TestCatalog catalog;
    Translator tr(catalog);
    for (const Case &c : cases()) {
        const QString sql = tr.translate(u(c.jet))->sql;
        QString bare;
        QChar quote;
        for (const QChar ch : sql) {
            if (!quote.isNull()) {
                if (ch == quote) quote = QChar();
                continue;
            }
            if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) { quote = ch; bare += QLatin1Char(' '); continue; }
            bare += ch;
        }
        EXPECT_FALSE(bare.contains(QLatin1Char('&'))) << c.name << ": " << sql.toStdString();
        EXPECT_FALSE(bare.contains(QLatin1Char('#'))) << c.name << ": " << sql.toStdString();
        EXPECT_FALSE(bare.contains(QLatin1Char('['))) << c.name << ": " << sql.toStdString();
        for (const char *w : {"TRUE", "FALSE", "IIF", "ISNULL", "TOP"}) {
            const QRegularExpression re(QStringLiteral("\\b%1\\b").arg(QLatin1String(w)), QRegularExpression::CaseInsensitiveOption);
            EXPECT_FALSE(re.match(bare).hasMatch()) << c.name << " keeps " << w << ": " << sql.toStdString();
        }
    }
}

} // namespace
} // namespace jetsql::testing
