// The statement commands end to end: the selection dialog, then a result
// window given the dialog's values.
#include "reports/LivroDeExtratos.h"
#include "reports/SqlExtrato.h"
#include "reports/frmExtra.h"
#include "search/frmRetPesq.h"
#include "shell/AberturaDeJanelas.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/TreeView.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QPushButton>

using testsupport::Script;

namespace {

class ComandosDeExtrato : public LivroDeExtratos {
protected:
    void SetUp() override {
        LivroDeExtratos::SetUp();
        escrever();
        ui::RegistrarMensagens();
        ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
    }
    void TearDown() override {
        for (search::frmRetPesq *f : resultados())
            if (f->IsLoaded()) f->Unload();
        QApplication::processEvents();
        LivroDeExtratos::TearDown();
    }
    static QList<search::frmRetPesq *> resultados() {
        QList<search::frmRetPesq *> out;
        for (platform::ui::Form *f : platform::ui::Forms::Loaded())
            if (auto *r = qobject_cast<search::frmRetPesq *>(f)) out << r;
        return out;
    }
    // What the user does in the dialog: marks the nodes, fills the fields, OK.
    static std::function<void(QWidget &)> escolher(QStringList nos, bool subs, bool naoRealizados, QString hist) {
        return [=](QWidget &w) {
            auto &d = dynamic_cast<reports::frmExtra &>(w);
            for (const QString &k : nos) {
                d.tv_NodeClick(d.tv->Item(k));
                QApplication::processEvents();
            }
            if (subs) d.ckSubItens->setValue(1);
            if (naoRealizados) d.ckNaoRealizados->setValue(1);
            d.txtDataIni->setText(QStringLiteral("01/01/2025"));
            d.txtDataFim->setText(QStringLiteral("31/01/25"));
            d.txtHistoricos->setText(hist);
            d.cmdOK->click();
        };
    }
    static QList<qint64> ids(search::frmRetPesq &f) {
        QList<qint64> out;
        dao::Recordset *rs = f.Recordset();
        if (!rs) return out;
        rs->MoveFirst();
        for (; !rs->Eof(); rs->MoveNext()) out << qint64(rs->Field(QStringLiteral("Id")).toInt());
        return out;
    }
};

} // namespace

TEST_F(ComandosDeExtrato, TheResultWindowGetsTheDialogsValuesAndListsThePostings) {
    {
        Script s;
        s.act(escolher({QStringLiteral("_001")}, true, false, QStringLiteral("  nf ")));
        shell::AbrirRelatorio(1);
    }
    ASSERT_EQ(resultados().size(), 1);
    search::frmRetPesq &f = *resultados().front();
    EXPECT_EQ(f.Mode(), 1);
    EXPECT_EQ(f.ExpressaoNoHistorico, QStringLiteral("nf"));
    EXPECT_FALSE(f.SoNaoRealizados);
    EXPECT_EQ(f.DataIni.date(), QDate(2025, 1, 1));
    EXPECT_EQ(f.DataFim.date(), QDate(2025, 1, 31));
    EXPECT_EQ(f.TituloRelatorio, QStringLiteral("EXTRATO DE CONTAS  DE 01/01/2025 a 31/01/2025"));
    EXPECT_EQ(f.Contas, QStringLiteral("'001'"));
    reports::PedidoDeExtrato p;
    p.dataIni = QDate(2025, 1, 1);
    p.dataFim = QDate(2025, 1, 31);
    p.marcados = {QStringLiteral("'001'"), 1};
    p.historico = QStringLiteral("nf");
    p.comSubItens = true;
    p.idUsuario = 1;
    EXPECT_EQ(f.SQL, reports::SqlDoExtrato(p));
    // The query runs at the first activation.
    f.Activate();
    EXPECT_EQ(ids(f), (QList<qint64>{2, 9}));
}

TEST_F(ComandosDeExtrato, ACommonUsersTypeStatementWithNothingMarked) {
    ui::gIdUsuario = kZe;
    ui::gTipoUsuario = 2;
    {
        Script s;
        s.act(escolher({}, false, true, QString()));
        shell::AbrirRelatorio(2);
    }
    ASSERT_EQ(resultados().size(), 1);
    search::frmRetPesq &f = *resultados().front();
    EXPECT_EQ(f.Mode(), 2);
    EXPECT_TRUE(f.SoNaoRealizados);
    EXPECT_EQ(f.Contas, QString());
    EXPECT_EQ(f.TituloRelatorio, QStringLiteral("PREVISÕES NÃO REALIZADAS  DE 01/01/2025 a 31/01/2025"));
    f.Activate();
    // Settled 'N' or reversed, of types and accounts he may read: 4 (002,
    // 003.001) and 11 (001.001 is not readable: out).
    EXPECT_EQ(ids(f), (QList<qint64>{4}));
}

TEST_F(ComandosDeExtrato, ACancelledDialogOpensNothing) {
    Script s;
    s.act([](QWidget &w) { dynamic_cast<reports::frmExtra &>(w).cmdCancel->click(); });
    shell::AbrirRelatorio(2);
    EXPECT_TRUE(resultados().isEmpty());
}
