// The balance read's stored texts read through the indexes; the texts they
// replaced summed every later posting of the branch. Both must give the same
// row for every account, type and date of each book below, in both forms of
// ParQrySerialESaldos, and both must agree with the balances computed here.
#include "db/ConstruirBanco.h"
#include "db/SavedQueries.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "support/Book.h"
#include "support/Oracle.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

using testsupport::Posting;
using value::Currency;

namespace {

// The texts as they stood before the reads were bounded by the date.
const std::map<QString, QString> &textosAnteriores() {
    static const std::map<QString, QString> t = [] {
        auto ult = [](const char *saldo, const char *upper, const char *maxQ, const char *col, const char *param,
                      const char *alias) {
            return QStringLiteral("PARAMETERS [DATAOP] DateTime, [%5] Text ( 255 );"
                                  "SELECT IIF(ISNULL(SUM(L.%1)), 0, SUM(L.%2)) + (SELECT IIF(ISNULL(SUM(L2.VALOR)), 0, SUM(L2.VALOR))  "
                                  "FROM LANCAMENTOS AS L2 INNER JOIN %3 AS P2 ON (L2.DataId > P2.MaxDataId AND L2.%4 LIKE [%5] & '*' "
                                  "AND L2.Data <= [DATAOP] AND (L2.Realizado <> 'N' OR L2.Realizado Is Null))) AS %6 "
                                  "FROM LANCAMENTOS AS L INNER JOIN %3 AS M ON L.DATAID = M.MAXDATAID;")
                .arg(QLatin1String(saldo), QLatin1String(upper), QLatin1String(maxQ), QLatin1String(col),
                     QLatin1String(param), QLatin1String(alias));
        };
        return std::map<QString, QString>{
            {QStringLiteral("ParQryMaxDataIdContas"),
             QStringLiteral("PARAMETERS [DATAOP] DateTime, [CODCON] Text ( 255 );SELECT IIF(IsNull(Max(DataId)),'',Max(DataId)) "
                            "AS MaxDataId From Lancamentos WHERE CodConta = [CODCON]  and data <=[DATAOP];")},
            {QStringLiteral("ParQryMaxDataIdRecDesp"),
             QStringLiteral("PARAMETERS [DATAOP] DateTime, [CODRECDES] Text ( 255 );SELECT IIF(IsNull(Max(DataId)),'',Max(DataId)) "
                            "AS MaxDataId From Lancamentos WHERE CodRecDesp = [CODRECDES]  and data <=[DATAOP];")},
            {QStringLiteral("ParQryUltSaldoConta"),
             ult("SaldoConta", "SALDOCONTA", "ParQryMaxDataIdContas", "CodConta", "CODCON", "USALDOCONTA")},
            {QStringLiteral("ParQryUltSaldoRecDesp"),
             ult("SaldoRecDesp", "SALDORECDESP", "ParQryMaxDataIdRecDesp", "CodRecDesp", "CODRECDES", "USaldoRecDesp")},
        };
    }();
    return t;
}

struct Lanc {
    const char *conta;
    const char *tipo;
    int reais;
    const char *realizado; // "E<" a reversed posting, "E>" the reversal
    int dia;               // of March 2026
};

struct Caso {
    const char *nome;
    std::vector<const char *> contas; // besides those posted to
    std::vector<Lanc> lancamentos;   // Ids in this order
};

void PrintTo(const Caso &c, std::ostream *os) { *os << c.nome; }

// Every fixture has codes on three levels (one on four), so each account and
// type is probed as a leaf, a heading and an item in between.
const Caso kCasos[] = {
    {"a reversal after the heading's own last posting",
     {},
     {{"001.001", "003.001", 100, "E<", 2}, {"001", "003", 10, "?", 3}, {"001.001", "003.001", -100, "E>", 5},
      {"001.001.001", "004", 7, "S", 5}, {"001", "003.001", 1, "?", 8}}},
    {"postings settled as not realised, before and after the last own posting",
     {},
     {{"001", "003", 50, "N", 1}, {"001.001", "003.001", 20, "S", 2}, {"001", "003", 5, "?", 3},
      {"001.001", "003.001", 30, "N", 4}, {"001.001.001", "003.001.001", -8, "?", 4}, {"002", "004", 3, "N", 9}}},
    {"sub-accounts on every level, several postings a day",
     {},
     {{"001.001.001", "003.001.001", 11, "?", 1}, {"001.001", "003.001", 22, "S", 1}, {"001", "003", 33, "?", 1},
      {"001.002", "004", -44, "?", 2}, {"001.001.001", "003", 55, "S", 2}, {"002", "003.001.001", 66, "?", 2},
      {"001.001", "004", -7, "?", 6}, {"001.002", "003.001", 9, "S", 6}}},
    {"a heading with no posting of its own, over a child without postings of its own too",
     {"001.003", "002.001"},
     {{"001.001", "003.001", 100, "?", 1}, {"001.002.001", "003.001.001", 40, "S", 2}, {"001.001", "003.001", -30, "?", 3},
      {"001.002.001", "003.001.001", 5, "N", 4}, {"001.001.001", "004", 2, "?", 4}, {"001.002.001", "003.001.001", 6, "?", 7}}},
    // As a real chart has it: nothing on first-level items, postings on the
    // leaves and on some second-level items, before and after theirs.
    {"first-level headings without postings over second-level items with and without postings of their own",
     {"001.003", "003.003"},
     {{"001.001.001", "003.001.001", 10, "?", 1}, {"001.001", "003.001", 200, "S", 2}, {"001.001.002", "003.002.001", 3, "?", 2},
      {"001.002.001", "003.001.002", 40, "E<", 3}, {"001.001.001", "003.001.001", -4, "N", 3}, {"001.001", "003.001", 7, "?", 4},
      {"001.002.001", "003.001.002", -40, "E>", 5}, {"001.001.002", "003.002.001", 11, "S", 5}, {"002.001", "004.001", 9, "?", 6},
      {"002.001.001", "004.001.001", 1, "N", 6}, {"001.001.001", "003.001", -2, "?", 8}, {"001.001", "003.002.001", 5, "N", 9}}},
    {"a heading with postings of its own over children and grandchildren with theirs",
     {},
     {{"001", "003", 1000, "S", 1}, {"001.001.001", "003.001.001", 10, "?", 1}, {"001.001", "003.001", 20, "?", 2},
      {"001.002.001", "003.002.001", 30, "E<", 2}, {"001", "003", -5, "N", 3}, {"001.001.001", "003.001.001", 40, "S", 3},
      {"001.002.001", "003.002.001", -30, "E>", 4}, {"001.001", "003.001", 6, "N", 5}, {"001", "003", 7, "?", 6},
      {"001.001.002", "003.001.002", 8, "?", 6}, {"001.002", "003.002", 9, "?", 7}, {"001.001.001", "003", 1, "?", 9}}},
    {"four levels: postings below the grandchildren, with and without postings on the grandchildren",
     {"001.002.001.001"},
     {{"001.001.001.001", "003.001.001.001", 10, "?", 1}, {"001.001.001", "003.001.001", 100, "S", 2},
      {"001.001.001.001", "003.001.001.001", 20, "N", 2}, {"001.001.002.001", "003.001.002.001", 5, "?", 3},
      {"001.001.001.001", "003.001.001.001", 30, "E<", 4}, {"001.001", "003.001", 50, "?", 4},
      {"001.001.001.001", "003.001.001.001", -30, "E>", 5}, {"001.001.002.001", "003.001.002.001", 6, "S", 6},
      {"001.001.001", "003.001.001", -1, "?", 7}, {"001.001.001.001", "003.001.001.001", 2, "?", 8}}},
    {"four levels with postings of their own on every level, interleaved",
     {},
     {{"001.001.001.001", "003.001.001.001", 10, "?", 1}, {"001.001.001", "003.001.001", 5, "S", 1},
      {"001.001.001.001", "003.001.001.001", 20, "?", 2}, {"001.001", "003.001", 7, "?", 2},
      {"001.001.001.001", "003.001.001.001", 30, "N", 3}, {"001", "003", 100, "S", 3},
      {"001.001.001.001", "003.001.001.001", 40, "?", 4}, {"001.001.001", "003.001.001", -3, "?", 4},
      {"001.001", "003.001", 8, "?", 5}, {"001.001.001.001", "003.001.001.001", 50, "E<", 5},
      {"001", "003", 1, "?", 6}, {"001.001.001.001", "003.001.001.001", -50, "E>", 6},
      {"001.001.001.001", "003.001.001.001", 60, "?", 7}, {"001.001", "003.001", 9, "S", 7},
      {"001.001.001.001", "003.001.001.001", 70, "?", 8}, {"001", "003", 2, "?", 9},
      {"001.001.001.001", "003.001.001.001", 80, "S", 9}}},
};

QString pai(const QString &codigo) {
    const int dot = codigo.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringLiteral("000") : codigo.left(dot);
}

class BalanceTexts : public ::testing::TestWithParam<Caso> {
protected:
    struct Linha {
        qint64 serial;
        Currency conta, recDesp, global;
        bool operator==(const Linha &) const = default;
    };

    void SetUp() override { db = db::ConstruirBancoDeDados(tmp.file(QStringLiteral("b.mdb"))); }

    void plano(const char *tabela, const char *des, const std::set<QString> &codigos) {
        for (const QString &c : codigos) // parents sort before their children
            db->Execute(QStringLiteral("INSERT INTO %1 (Codigo, CodPai, %2) VALUES ('%3', '%4', 'D%3')")
                            .arg(QLatin1String(tabela), QLatin1String(des), c, pai(c)));
    }
    static void comAncestrais(std::set<QString> &s, QString c) {
        for (; c != QStringLiteral("000"); c = pai(c)) s.insert(c);
    }

    Linha ler(const QString &conta, const QString &tipo, const QDate &d) {
        auto q = db->QueryDefs(QStringLiteral("ParQrySerialESaldos"));
        q->SetParameter(0, conta);
        q->SetParameter(1, tipo);
        q->SetParameter(2, QDateTime(d, QTime(0, 0), Qt::UTC));
        auto rs = q->OpenRecordset(dao::dbOpenSnapshot);
        EXPECT_EQ(rs->RecordCount(), 1);
        return {rs->Field(QStringLiteral("Serial")).toInt(), rs->Field(QStringLiteral("SaldoConta")).toCurrency(),
                rs->Field(QStringLiteral("SaldoRecDesp")).toCurrency(), rs->Field(QStringLiteral("saldoglobal")).toCurrency()};
    }
    void guardar(const QString &nome, const QString &sql) {
        db->DeleteQueryDef(nome);
        db->CreateQueryDef(nome)->SetSQL(sql);
    }
    void textos(bool anteriores, bool subSelect) {
        for (const auto &[nome, sql] : textosAnteriores()) guardar(nome, anteriores ? sql : db::TextoDaConsulta(nome));
        guardar(QStringLiteral("ParQrySerialESaldos"),
                subSelect ? db::ParQrySerialESaldosSubSelect() : db::TextoDaConsulta(QStringLiteral("ParQrySerialESaldos")));
    }

    testsupport::TempDir tmp;
    std::unique_ptr<dao::Database> db;
};

TEST_P(BalanceTexts, EarlierAndBoundedTextsGiveTheSameRowInBothForms) {
    const Caso &caso = GetParam();
    std::set<QString> contas, tipos;
    std::vector<Posting> livro;
    for (const char *c : caso.contas) comAncestrais(contas, QString::fromUtf8(c));
    for (const Lanc &l : caso.lancamentos) {
        Posting p;
        p.id = qint64(livro.size()) + 1;
        p.codConta = QString::fromUtf8(l.conta);
        p.codRecDesp = QString::fromUtf8(l.tipo);
        p.valor = Currency::fromWhole(l.reais);
        p.realizado = QString::fromUtf8(l.realizado).left(1);
        p.estornado = QString::fromUtf8(l.realizado) == QStringLiteral("E<");
        p.estorno = QString::fromUtf8(l.realizado) == QStringLiteral("E>");
        p.data = QDate(2026, 3, l.dia);
        comAncestrais(contas, p.codConta);
        comAncestrais(tipos, p.codRecDesp);
        livro.push_back(p);
    }
    plano("Contas", "DesConta", contas);
    plano("TiposMovimentacoes", "DesMovimentacao", tipos);
    testsupport::computeBalances(livro);
    testsupport::insertPostings(*db, livro);
    ASSERT_EQ(testsupport::CheckBookText(*db).toStdString(), "") << "the fixture itself is a sound book";

    std::vector<std::tuple<QString, QString, QDate>> leituras;
    for (const QString &c : contas)
        for (const QString &t : tipos)
            for (int dia = 0; dia <= 10; ++dia) leituras.emplace_back(c, t, QDate(2026, 3, 1).addDays(dia - 1));

    std::vector<Linha> esperado;
    for (const auto &[c, t, d] : leituras) {
        // What a posting dated d would follow: everything dated up to d.
        std::vector<Posting> com = livro;
        Posting sonda;
        sonda.id = qint64(livro.size()) + 1;
        sonda.codConta = c;
        sonda.codRecDesp = t;
        sonda.data = d;
        com.push_back(sonda);
        testsupport::computeBalances(com);
        esperado.push_back({qint64(livro.size()), com.back().saldoConta, com.back().saldoRecDesp, com.back().saldoGlobal});
    }
    for (const bool anteriores : {true, false})
        for (const bool subSelect : {false, true}) {
            textos(anteriores, subSelect);
            for (std::size_t i = 0; i < leituras.size(); ++i) {
                const auto &[c, t, d] = leituras[i];
                SCOPED_TRACE(QStringLiteral("%1 / %2 on %3, %4 texts, %5 form")
                                 .arg(c, t, d.toString(Qt::ISODate), anteriores ? QStringLiteral("earlier") : QStringLiteral("bounded"),
                                      subSelect ? QStringLiteral("sub-select") : QStringLiteral("joined"))
                                 .toStdString());
                EXPECT_EQ(ler(c, t, d), esperado[i]);
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BalanceTexts, ::testing::ValuesIn(kCasos),
                         [](const ::testing::TestParamInfo<Caso> &i) { return "Case" + std::to_string(i.index); });

TEST(BalanceTextsStored, ANewFileCarriesTheBoundedTexts) {
    testsupport::TempDir tmp;
    auto db = db::ConstruirBancoDeDados(tmp.file(QStringLiteral("n.mdb")));
    for (const auto &[nome, anterior] : textosAnteriores()) {
        SCOPED_TRACE(nome.toStdString());
        EXPECT_EQ(db->QueryDefs(nome)->SQL(), db::TextoDaConsulta(nome));
        EXPECT_NE(db->QueryDefs(nome)->SQL(), anterior);
    }
}

} // namespace
