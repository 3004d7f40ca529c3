// A NUL character pasted into a text box of the posting window or of the
// transfer dialog: the box's own message, nothing looked up or written, the
// window open with what the user typed.
#include "LancamentosFixture.h"

#include "postings/frmTrans.h"

#include <functional>

using testsupport::Script;

namespace {

const QString kComNulo = QStringLiteral("NF") + QChar(u'\0') + QStringLiteral("1");

} // namespace

TEST_F(Lancamentos, CaractereNuloColadoEmCadaCaixaDizOCampoENadaGrava) {
    plano();
    struct Caso {
        const char *caixa;
        bool transferencia;
        std::function<QLineEdit *(QWidget &)> qual;
        QString msg;
    };
    const auto gravado = [](const char *campo) {
        return QString::fromUtf8(campo) + QStringLiteral(" contém um caractere nulo, que não pode ser gravado.");
    };
    using L = postings::frmLancamentos;
    using T = postings::frmTrans;
    const Caso casos[] = {
        {"txtDoc", false, [](QWidget &w) -> QLineEdit * { return static_cast<L &>(w).txtDoc; }, gravado("O documento")},
        {"txtHistorico", false, [](QWidget &w) -> QLineEdit * { return static_cast<L &>(w).txtHistorico; }, gravado("O histórico")},
        {"txtDocSaida", true, [](QWidget &w) -> QLineEdit * { return static_cast<T &>(w).txtDocSaida; },
         gravado("O documento de saída")},
        {"txtHistSaida", true, [](QWidget &w) -> QLineEdit * { return static_cast<T &>(w).txtHistSaida; },
         gravado("O histórico de saída")},
        {"txtDocEntrada", true, [](QWidget &w) -> QLineEdit * { return static_cast<T &>(w).txtDocEntrada; },
         gravado("O documento de entrada")},
        {"txtHistEntrada", true, [](QWidget &w) -> QLineEdit * { return static_cast<T &>(w).txtHistEntrada; },
         gravado("O histórico de entrada")},
    };
    auto *f = abrir();
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.caixa);
        const qint64 serialAntes = serial();
        Script s;
        if (!c.transferencia) {
            preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("1,00"), {},
                      QStringLiteral("H"), QStringLiteral("D"));
            QLineEdit *caixa = c.qual(*f);
            testsupport::Colar(caixa, kComNulo);
            const QString digitado = caixa->text();
            ASSERT_TRUE(digitado.contains(QChar(u'\0')));
            s.ok();
            f->cmdConfirmar_Click();
            EXPECT_EQ(s.shownTexts(), QStringList{c.msg});
            EXPECT_TRUE(f->IsLoaded());
            EXPECT_EQ(caixa->text(), digitado) << "what the user typed stays, to be mended";
        } else {
            bool aberto = false;
            QString digitado, depois;
            s.act([&](QWidget &w) {
                auto &t = static_cast<postings::frmTrans &>(w);
                t.txtData->setText(QStringLiteral("05/03/2008"));
                t.txtValor->setValueText(QStringLiteral("40,00"));
                t.cbContaOrig->setListIndex(t.cbContaOrig->FindString(QStringLiteral("CAIXA")));
                t.cbContaDest->setListIndex(t.cbContaDest->FindString(QStringLiteral("BANCO")));
                t.txtDocSaida->setText(QStringLiteral("S1"));
                t.txtDocEntrada->setText(QStringLiteral("E1"));
                t.txtHistSaida->setText(QStringLiteral("SAIDA"));
                t.txtHistEntrada->setText(QStringLiteral("ENTRADA"));
                QLineEdit *caixa = c.qual(w);
                testsupport::Colar(caixa, kComNulo);
                digitado = caixa->text();
                t.cmdOK_Click();
                aberto = t.IsLoaded();
                depois = caixa->text();
                t.cmdCancel_Click();
            });
            s.ok();
            f->cmdTransferencia_Click();
            ASSERT_EQ(s.shown().size(), 2u);
            EXPECT_EQ(s.shown()[1].text, c.msg);
            EXPECT_TRUE(aberto) << "the dialog stays open";
            EXPECT_TRUE(digitado.contains(QChar(u'\0')));
            EXPECT_EQ(depois, digitado);
        }
        EXPECT_EQ(lancamentos(), 0);
        EXPECT_EQ(serial(), serialAntes);
    }
}
