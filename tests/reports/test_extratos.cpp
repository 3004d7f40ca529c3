// The statement SQL against a small book: which postings every combination
// lists, computed here from the book, and the field list.
#include "LivroDeExtratos.h"
#include "reports/SqlExtrato.h"

#include <QSet>
#include <algorithm>

namespace {

struct Marcas {
    const char *nome;
    QStringList contas, tipos;
};

const std::vector<Marcas> kMarcas = {
    {"nenhuma", {}, {}},
    {"uma", {"001"}, {"003"}},
    {"varias", {"001", "002"}, {"002", "003"}},
    {"aninhadas", {"001", "001.001.001"}, {"003", "003.001"}},
};

core::consultas::ItensMarcados marcados(const QStringList &codigos) {
    core::consultas::ItensMarcados m;
    for (const QString &c : codigos) m.lista += QStringLiteral("'%1',").arg(c);
    m.lista.chop(1);
    m.contagem = long(codigos.size());
    return m;
}

class Extratos : public LivroDeExtratos {
protected:
    void SetUp() override {
        LivroDeExtratos::SetUp();
        escrever();
    }

    QList<qint64> linhas(const QString &sql, QStringList *campos = nullptr) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        if (campos)
            for (int i = 0; i < rs->FieldCount(); ++i) *campos << rs->FieldName(i);
        QList<qint64> ids;
        for (; !rs->Eof(); rs->MoveNext()) ids << qint64(rs->Field(QStringLiteral("Id")).toInt());
        return ids;
    }

    // What the statement must list, from the book alone.
    QList<qint64> esperado(const reports::PedidoDeExtrato &p, const QStringList &marcas) {
        std::vector<const LancamentoDoLivro *> sel;
        for (const auto &x : livro) {
            if (x.p.data < p.dataIni || x.p.data > p.dataFim) continue;
            if (!p.historico.isEmpty() && !x.historico.toUpper().contains(p.historico.toUpper())) continue;
            if (p.soNaoRealizados && x.p.realizado != QStringLiteral("N") && x.p.realizado != QStringLiteral("E")) continue;
            const int tipoObjeto = p.mode == 1 ? 1 : 2;
            const QString codigo = p.mode == 1 ? x.p.codConta : x.p.codRecDesp;
            const QString outro = p.mode == 1 ? x.p.codRecDesp : x.p.codConta;
            bool dentro;
            if (marcas.isEmpty()) dentro = !p.usuarioComum || legivel(tipoObjeto, codigo);
            else if (!p.comSubItens) dentro = marcas.contains(codigo);
            else
                dentro = std::any_of(marcas.begin(), marcas.end(), [&](const QString &m) { return codigo.startsWith(m); }) &&
                         (!p.usuarioComum || legivel(tipoObjeto, codigo));
            if (!dentro) continue;
            if (p.usuarioComum && !legivel(3 - tipoObjeto, outro)) continue;
            sel.push_back(&x);
        }
        std::sort(sel.begin(), sel.end(), [](auto *a, auto *b) { return a->p.dataId() < b->p.dataId(); });
        QList<qint64> ids;
        for (auto *x : sel) ids << x->p.id;
        return ids;
    }
};

} // namespace

TEST_F(Extratos, EveryCombinationListsThePostingsTheBookHoldsInDataIdOrder) {
    int vazios = 0, casos = 0;
    for (int mode : {1, 2})
        for (bool comum : {false, true})
            for (const Marcas &m : kMarcas)
                for (bool subs : {false, true})
                    for (bool soNR : {false, true})
                        for (const QString &hist : {QString(), QStringLiteral("NF #3"), QStringLiteral("[A]"),
                                                    QStringLiteral("transf")}) {
                            reports::PedidoDeExtrato p;
                            p.mode = mode;
                            p.dataIni = QDate(2025, 1, 1);
                            p.dataFim = QDate(2025, 1, 31);
                            const QStringList marcas = mode == 1 ? m.contas : m.tipos;
                            p.marcados = marcados(marcas);
                            p.historico = hist;
                            p.soNaoRealizados = soNR;
                            p.comSubItens = subs;
                            p.usuarioComum = comum;
                            p.idUsuario = comum ? kZe : 1;
                            SCOPED_TRACE(QStringLiteral("mode %1 comum %2 marcas %3 subs %4 soNR %5 hist '%6'")
                                             .arg(mode).arg(comum).arg(QLatin1String(m.nome)).arg(subs).arg(soNR).arg(hist)
                                             .toStdString());
                            const QList<qint64> quer = esperado(p, marcas);
                            EXPECT_EQ(linhas(reports::SqlDoExtrato(p)), quer);
                            ++casos;
                            vazios += quer.isEmpty();
                        }
    // The table is only worth something if most cases list postings.
    EXPECT_LT(vazios, casos / 2);
}

TEST_F(Extratos, FieldsComeInTheOrderTheResultWindowReads) {
    for (int mode : {1, 2}) {
        reports::PedidoDeExtrato p;
        p.mode = mode;
        p.dataIni = QDate(2025, 1, 1);
        p.dataFim = QDate(2025, 1, 31);
        QStringList campos;
        linhas(reports::SqlDoExtrato(p), &campos);
        EXPECT_EQ(campos, (QStringList{"Id", "Transferencia", "CodConta", "CodRecDesp", "Documento", "Valor", "Data",
                                       "Historico", "Estorno", "DataId", mode == 1 ? "SaldoConta" : "SaldoRecDesp",
                                       "SaldoGlobal", "Estornado", "Realizado", "IdLogin", "DesConta",
                                       "DesMovimentacao"}));
    }
}

TEST_F(Extratos, BothBoundsOfThePeriodAreIncluded) {
    reports::PedidoDeExtrato p;
    p.dataIni = QDate(2025, 1, 1);
    p.dataFim = QDate(2025, 1, 1);
    EXPECT_EQ(linhas(reports::SqlDoExtrato(p)), QList<qint64>{2});
    p.dataIni = p.dataFim = QDate(2025, 1, 31);
    EXPECT_EQ(linhas(reports::SqlDoExtrato(p)), QList<qint64>{9});
}

TEST_F(Extratos, ACommonUserDoesNotSeeSubItemsHeMayNotRead) {
    // ZE may read 001 but not 001.001: marking 001 with its sub-items leaves
    // out the postings of 001.001 (2 and 11, whose types he may read).
    reports::PedidoDeExtrato p;
    p.dataIni = QDate(2025, 1, 1);
    p.dataFim = QDate(2025, 1, 31);
    p.marcados = marcados({"001"});
    p.comSubItens = true;
    p.usuarioComum = true;
    p.idUsuario = kZe;
    EXPECT_EQ(linhas(reports::SqlDoExtrato(p)), (QList<qint64>{5, 9}));
    // The types twin: 003.002 (no permission) stays out under 003, also
    // posting 13 in an account he may read.
    p.mode = 2;
    p.marcados = marcados({"003"});
    EXPECT_EQ(linhas(reports::SqlDoExtrato(p)), (QList<qint64>{4, 9}));
    // The administrator sees them all.
    p.usuarioComum = false;
    p.idUsuario = 1;
    EXPECT_EQ(linhas(reports::SqlDoExtrato(p)), (QList<qint64>{2, 12, 13, 4, 9}));
}

TEST(FiltroDeHistorico, TypedTextMatchesItselfAndGoesInAsOneLiteral) {
    struct Caso {
        const char *digitado, *esperado;
    } casos[] = {
        {"", ""},
        {"NF 3", " AND L.Historico LIKE '*NF 3*' "},
        {"NF #3", " AND L.Historico LIKE '*NF [#]3*' "},
        {"[A]", " AND L.Historico LIKE '*[[]A]*' "},
        {"#[#", " AND L.Historico LIKE '*[#][[][#]*' "},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.digitado);
        EXPECT_EQ(core::consultas::FiltroDeHistorico(QString::fromLatin1(c.digitado)), QString::fromLatin1(c.esperado));
    }
    EXPECT_EQ(core::consultas::FiltroDeHistorico(QStringLiteral("X"), QStringLiteral("H")), QStringLiteral(" AND H LIKE '*X*' "));
}
