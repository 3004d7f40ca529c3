#include "postings/frmLancamentos.h"

#include "postings/frmLancamentosComum.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/EditCombo.h"
#include "platform/widgets/UpperLineEdit.h"
#include "ui/Campos.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "ui/CHourGlass.h"
#include "platform/value/CaractereNulo.h"

#include <QPushButton>

namespace postings {

using core::escrita::AcimaDoMaximo;
using core::escrita::CRowData;
using core::escrita::ContarDocumento;
using core::escrita::Desfecho;
using core::escrita::Feito;
using core::escrita::Lancar;
using core::escrita::MensagemDeLancamentoRecusado;
using core::escrita::NovoLancamento;
using core::escrita::kMsgAspasHistorico;

using value::Currency;
using value::RecusaDeCaractereNulo;

// ---- clearing and validation ---------------------------------------------------

void frmLancamentos::Limpar() {
    try {
        txtDoc->clear();
        txtData->setText(QString());
        txtEntrada->setValueText(QString());
        txtSaida->setValueText(QString());
        txtHistorico->clear();
        cbContas->setListIndex(-1);
        cbTiposMov->setListIndex(-1);
        cbTiposMov->setRemembered(-1);
        cbContas->setRemembered(-1);
        cmdConfirmar->setEnabled(true);
        cbContas->setFocus();
    } catch (...) {
        FIN_TRAP_RERAISE("frmLancamentos", "Limpar");
    }
}

void frmLancamentos::cmdLimpar_Click() {
    try {
        Limpar();
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdLimpar_Click");
    }
}

void frmLancamentos::cmdCancel_Click() { Unload(); }

bool frmLancamentos::Validar() {
    try {
        auto falha = [](QWidget *campo, const QString &msg, int estilo = platform::ui::vbOKOnly) {
            ui::MsgBox(msg, estilo);
            if (campo) campo->setFocus();
            return false;
        };
        if (cbContas->ListIndex() < 0) {
            if (!cbContas->Text().trimmed().isEmpty()) return falha(cbContas, QStringLiteral("Conta inválida."));
            return falha(cbContas, QStringLiteral("Faltando informar a conta."), platform::ui::vbInformation);
        }
        if (cbTiposMov->ListIndex() < 0) {
            if (!cbTiposMov->Text().trimmed().isEmpty())
                return falha(cbTiposMov, QStringLiteral("Receita/Despesa inválida."));
            return falha(cbTiposMov, QStringLiteral("Faltando informar o tipo de receita/despesa."), platform::ui::vbInformation);
        }
        const QString data = txtData->Text();
        if (!(data.size() == 8 || data.size() >= 10))
            return falha(txtData, QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa."));
        if (!widgets::DateBox::Parse(data)) return falha(txtData, QStringLiteral("Data inválida."));
        const QString doc = txtDoc->text().trimmed();
        if (!doc.isEmpty() && temAspas(doc))
            return falha(txtDoc, QStringLiteral("Caracteres de aspas duplas ou simples não são permitidos em documento."));
        // Before the document is looked up: the search would meet the same
        // character the write refuses.
        if (const QString r = RecusaDeCaractereNulo(doc, QStringLiteral("O documento")); !r.isEmpty()) return falha(txtDoc, r);
        for (widgets::AmountBox *b : {txtEntrada, txtSaida})
            if (!b->Value()) b->setValueText(QString());
        const Currency e = txtEntrada->Value().value_or(Currency());
        const Currency s = txtSaida->Value().value_or(Currency());
        const Currency zero;
        if (e == zero && s == zero) return falha(nullptr, QStringLiteral("Faltando informar valor."));
        if (e != zero && s != zero)
            return falha(nullptr,
                         QStringLiteral("Erro: valor deve ser informado ou para entrada ou para saída, nunca para ambos."));
        if (AcimaDoMaximo(e))
            return falha(txtEntrada, QStringLiteral("O valor máximo para entrada é de 99.999.999,99"), platform::ui::vbInformation);
        if (AcimaDoMaximo(s))
            return falha(txtSaida, QStringLiteral("O valor máximo para saída é de 99.999.999,99"), platform::ui::vbInformation);
        const QString hist = txtHistorico->text().trimmed();
        if (hist.isEmpty()) return falha(txtHistorico, QStringLiteral("Faltando informar histórico."));
        if (temAspas(hist)) return falha(txtHistorico, kMsgAspasHistorico);
        if (const QString r = RecusaDeCaractereNulo(hist, QStringLiteral("O histórico")); !r.isEmpty()) return falha(txtHistorico, r);
        return true;
    } catch (...) {
        FIN_TRAP_RERAISE("frmLancamentos", "Validar");
    }
}

// ---- after a commit ----------------------------------------------------------------

void frmLancamentos::depoisDeGravar(const std::function<void()> &tela) {
    bool falhou = false;
    long numero = 0;
    QString descricao;
    auto guardar = [&](const std::function<void()> &passo) {
        try {
            passo();
        } catch (const err::AppError &e) {
            if (!falhou) numero = e.number(), descricao = e.description();
            falhou = true;
        } catch (const std::exception &e) {
            if (!falhou) numero = err::kErrGeneric, descricao = QString::fromLocal8Bit(e.what());
            falhou = true;
        } catch (...) {
            if (!falhou) numero = err::kErrGeneric;
            falhou = true;
        }
    };
    guardar([&] {
        if (AposGravar) AposGravar();
        tela();
    });
    guardar([&] { Limpar(); });
    if (falhou) {
        // What was written must not be written again by a second confirm.
        guardar([&] { txtEntrada->setValueText(QString()); });
        guardar([&] { txtSaida->setValueText(QString()); });
        guardar([&] { txtHistorico->clear(); });
    }
    long hint = ui::kHintLancamentos;
    try {
        ui::UpdateAllViews(hint, this);
    } catch (...) {
    }
    if (falhou)
        ui::MsgBox(QStringLiteral("A operação foi gravada, mas a janela não pôde ser atualizada: %1 '%2'.")
                       .arg(numero)
                       .arg(descricao),
                   platform::ui::vbInformation);
}

// ---- the posting ----------------------------------------------------------------

void frmLancamentos::cmdConfirmar_Click() {
    try {
        if (!Validar()) return;
        const QString doc = txtDoc->text().trimmed();
        if (!doc.isEmpty() && ContarDocumento(*ui::gDB, {"frmLancamentos", "ContarDocumento"}, doc) > 0) {
            if (ui::MsgBox(QStringLiteral("Consta informação de que um lançamento com este documento já foi feito. Tem "
                                          "certeza de que quer fazer este novo lançamento?"),
                           platform::ui::vbYesNo | platform::ui::vbQuestion) == platform::ui::vbNo) {
                Limpar();
                return;
            }
        }
        ui::CHourGlass hg;
        hg.Show(true);
        const Currency e = txtEntrada->Value().value_or(Currency());
        const Currency s = txtSaida->Value().value_or(Currency());
        NovoLancamento l;
        l.valor = e != Currency() ? (e < Currency() ? -e : e) : (s < Currency() ? s : -s);
        rsContas->SetAbsolutePosition(cbContas->ItemData(cbContas->ListIndex()));
        l.codConta = rsContas->Field(QStringLiteral("Codigo")).toString();
        l.idConta = long(rsContas->Field(QStringLiteral("Id")).toInt());
        rsRecDesp->SetAbsolutePosition(cbTiposMov->ItemData(cbTiposMov->ListIndex()));
        l.codRecDesp = rsRecDesp->Field(QStringLiteral("Codigo")).toString();
        l.idRecDesp = long(rsRecDesp->Field(QStringLiteral("Id")).toInt());
        l.data = *widgets::DateBox::Parse(txtData->Text());
        l.documento = doc;
        l.historico = txtHistorico->text().trimmed();
        Feito f;
        const Desfecho d = Lancar(*ui::gDB, {"frmLancamentos", "cmdConfirmar_Click"}, l, ui::gIdUsuario, &f);
        const QString conta = cbContas->Text(), tipo = cbTiposMov->Text();
        if (!Gravou(d, f.recusa, MensagemDeLancamentoRecusado(f.barrado, conta, tipo), hg)) {
            // The list still offers the item another user changed or removed:
            // it is read again, and the choice goes with it.
            if (d == Desfecho::Mudado) {
                if (f.barrado == core::escrita::Barrado::ContaMudada) EncheListaContas();
                else EncheListaRecDesp();
            }
            return;
        }
        depoisDeGravar([&] {
            CRowData r;
            r.CodConta = l.codConta;
            r.Serial = f.id;
            r.CodRecDesp = l.codRecDesp;
            adicionarLinha(QStringList{QString(), l.data.toString(QStringLiteral("dd/MM/yyyy")), l.valor.toBr(), conta,
                                       tipo, doc, l.historico}
                               .join(QLatin1Char('\t')),
                           r);
            cmdEstornar->setEnabled(true);
            removerLinhaVazia();
            mostrarUltimaLinha(true);
        });
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdConfirmar_Click");
    }
}

} // namespace postings
