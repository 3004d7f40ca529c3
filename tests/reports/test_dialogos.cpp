// The selection dialogs: layout per Mode, validation, titles and the values
// they hand back, and the item tree with its marks.
#include "LivroDeExtratos.h"
#include "core/consultas/Selecao.h"
#include "core/permissoes/CPermissao.h"
#include "reports/frmExtra.h"
#include "platform/ui/Input.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/TreeView.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QScreen>
#include <QTimer>
#include <QMouseEvent>
#include <QPushButton>

using testsupport::Script;

namespace {

std::unique_ptr<reports::frmExtra> novo(bool deTipos) {
    std::unique_ptr<reports::frmExtra> d;
    if (deTipos) d = std::make_unique<reports::frmExtraRec>();
    else d = std::make_unique<reports::frmExtraCon>();
    d->setAttribute(Qt::WA_DeleteOnClose, false);
    return d;
}

// Position of a control in twips.
QPoint twips(const QWidget *w) { return QPoint(w->x() * 15, w->y() * 15); }

class Dialogos : public LivroDeExtratos {
protected:
    void SetUp() override {
        LivroDeExtratos::SetUp();
        ui::RegistrarMensagens();
    }
    // A loaded dialog in a Mode, on screen and active.
    std::unique_ptr<reports::frmExtra> abrir(bool deTipos, long mode) {
        auto d = novo(deTipos);
        d->Load();
        d->setMode(mode);
        d->show();
        d->activateWindow();
        QApplication::processEvents();
        return d;
    }
    static void datas(reports::frmExtra &d, const QString &ini, const QString &fim, const QString &hist = QString()) {
        d.txtDataIni->setText(ini);
        d.txtDataFim->setText(fim);
        d.txtHistoricos->setText(hist);
    }
    // A click as the control reports it; the mark follows when the deferred
    // message comes back.
    static void clicar(reports::frmExtra &d, const QString &chave) {
        d.tv_NodeClick(d.tv->Item(chave));
        QApplication::processEvents();
    }
    static QStringList nos(const widgets::TreeView &tv) {
        QStringList out;
        std::function<void(widgets::Node *, int)> visitar = [&](widgets::Node *n, int nivel) {
            out << QString(nivel, QLatin1Char(' ')) + n->Key().mid(1) + QLatin1Char(' ') + n->Text();
            for (widgets::Node *c : n->ChildList()) visitar(c, nivel + 1);
        };
        for (widgets::Node *n : tv.TopNodes()) visitar(n, 0);
        return out;
    }
};

} // namespace

// ---- layout -------------------------------------------------------------------

TEST_F(Dialogos, EachModeLaysTheDialogOut) {
    struct Caso {
        bool deTipos;
        long mode;
        const char *titulo;
        int altura; // 0: the design's
    } casos[] = {
        {false, 1, "EXTRATOS DE CONTAS DE CAPITAL", 7500},
        {true, 2, "EXTRATOS DE RECEITAS/DESPESAS", 7500},
        {false, 3, "BALANÇOS DE CONTAS DE CAPITAL", 0},
        {true, 4, "BALANÇOS DE RECEITAS/DESPESAS", 0},
        {false, 6, "SALDOS DE CONTAS DE CAPITAL", 6350},
        {true, 7, "SALDOS DE RECEITAS/DESPESAS", 6350},
        {false, 2, nullptr, 0}, // not a Mode of this dialog: nothing changes
        {true, 6, nullptr, 0},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(QStringLiteral("%1 Mode %2").arg(c.deTipos ? "frmExtraRec" : "frmExtraCon").arg(c.mode).toStdString());
        auto projeto = novo(c.deTipos);
        auto d = novo(c.deTipos);
        d->setMode(c.mode);
        EXPECT_EQ(d->Mode(), c.mode);
        EXPECT_EQ(d->windowTitle(), c.titulo ? QString::fromUtf8(c.titulo) : projeto->windowTitle());
        // Twips land on whole pixels (15 twips each).
        EXPECT_NEAR(d->AlturaTwips(), c.altura ? c.altura : projeto->AlturaTwips(), 14);
        const bool extrato = c.altura == 7500, saldos = c.altura == 6350;
        // Hidden controls.
        auto *p = projeto.get();
        auto *x = d.get();
        const std::vector<std::pair<QWidget *, QWidget *>> pares = {
            {p->lblBalSemSubs, x->lblBalSemSubs}, {p->ckBalSemSubs, x->ckBalSemSubs},
            {p->lblNaoRealizados, x->lblNaoRealizados}, {p->ckNaoRealizados, x->ckNaoRealizados},
            {p->lblHistoricos, x->lblHistoricos}, {p->txtHistoricos, x->txtHistoricos},
            {p->lblDataIni, x->lblDataIni}, {p->txtDataIni, x->txtDataIni}};
        for (std::size_t i = 0; i < pares.size(); ++i) {
            const bool oculto = saldos || (extrato && i < 2);
            EXPECT_EQ(pares[i].second->isHidden(), oculto) << pares[i].second->objectName().toStdString();
            // Moved 300 up in the statement layout, else in place.
            if (!saldos) {
                EXPECT_EQ(twips(pares[i].second), twips(pares[i].first) - QPoint(0, extrato && i >= 2 ? 300 : 0))
                    << pares[i].second->objectName().toStdString();
            }
        }
        EXPECT_FALSE(x->tv->isHidden());
        EXPECT_FALSE(x->ckSubItens->isHidden());
        EXPECT_EQ(twips(x->tv), twips(p->tv));
        if (saldos) {
            EXPECT_EQ(x->lblDataFim->text(), QStringLiteral("&Data:"));
            EXPECT_NEAR(twips(x->lblDataFim).x(), (x->width() * 15 - x->txtDataFim->width() * 15) / 2, 14);
            EXPECT_EQ(twips(x->lblDataFim).y(), twips(p->lblNaoRealizados).y() - 300);
            EXPECT_EQ(twips(x->txtDataFim), twips(x->lblDataFim) + QPoint(0, x->lblDataFim->height() * 15));
        } else {
            EXPECT_EQ(x->lblDataFim->text(), p->lblDataFim->text());
            EXPECT_EQ(twips(x->txtDataFim), twips(p->txtDataFim) - QPoint(0, extrato ? 300 : 0));
        }
        if (extrato || saldos)
            EXPECT_NEAR(twips(x->cmdOK).y(), twips(x->txtDataFim).y() + x->txtDataFim->height() * 15 + 200, 14);
        else
            EXPECT_EQ(twips(x->cmdOK), twips(p->cmdOK));
        EXPECT_EQ(twips(x->cmdCancel).y(), twips(x->cmdOK).y());
        // Nothing is cut off at the bottom.
        EXPECT_LE(x->cmdOK->geometry().bottom(), x->height());
    }
}

// ---- validation ---------------------------------------------------------------

TEST_F(Dialogos, ValidationRefusesWithItsMessageAndPutsTheFocusBack) {
    const QString faltaIni = QStringLiteral("Faltando informar data inicial. Deve ser no formato dd/mm/aa ou dd/mm/aaaa.");
    const QString faltaFim = QStringLiteral("Faltando informar data final. Deve ser no formato dd/mm/aa ou dd/mm/aaaa.");
    const QString aspas = QStringLiteral("Texto a pesquisar nos históricos não pode conter aspas simples ou duplas.");
    const QString faltaData =
        QStringLiteral("Faltando informar data para a pesquisa. Deve ser no formato dd/mm/aa ou dd/mm/aaaa.");
    struct Caso {
        long mode;
        const char *ini, *fim, *hist;
        QString mensagem; // empty: accepted
        const char *foco;
    } casos[] = {
        {1, "", "31/01/2025", "", faltaIni, "txtDataIni"},
        {1, "01/01/2", "31/01/2025", "", faltaIni, "txtDataIni"},   // half-typed
        {1, "01/01/202", "31/01/2025", "", faltaIni, "txtDataIni"}, // 9 characters
        {1, "31/02/2025", "31/01/2025", "", QStringLiteral("Data inicial inválida."), "txtDataIni"},
        {1, "01/13/25", "31/01/2025", "", QStringLiteral("Data inicial inválida."), "txtDataIni"},
        {1, "01/01/25", "", "", faltaFim, "txtDataFim"},
        {1, "01/01/25", "31/1", "", faltaFim, "txtDataFim"},
        {1, "01/01/25", "32/01/2025", "", QStringLiteral("Data final inválida."), "txtDataFim"},
        {1, "01/01/25", "31/01/25", "O'BRIEN", aspas, "txtHistoricos"},
        {1, "01/01/25", "31/01/25", "DIZ \"OI\"", aspas, "txtHistoricos"},
        {1, "01/01/25", "31/01/2025", "NF #3", QString(), nullptr},
        {3, "29/02/2024", "28/02/25", "", QString(), nullptr},
        // The date-only Mode looks at the one date and nothing else.
        {6, "", "", "O'BRIEN", faltaData, "txtDataFim"},
        {6, "", "31/01/2", "", faltaData, "txtDataFim"},
        {6, "xx", "29/02/2023", "", QStringLiteral("Data para pesquisa inválida."), "txtDataFim"},
        {6, "", "29/02/24", "O'BRIEN", QString(), nullptr},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(QStringLiteral("Mode %1 '%2' '%3' '%4'").arg(c.mode).arg(c.ini, c.fim, c.hist).toStdString());
        auto d = abrir(false, c.mode);
        datas(*d, QString::fromUtf8(c.ini), QString::fromUtf8(c.fim), QString::fromUtf8(c.hist));
        d->cmdOK->setFocus();
        QApplication::processEvents();
        Script s;
        if (!c.mensagem.isEmpty()) s.ok();
        const bool ok = c.mode == 6 ? d->ValidarPesqSaldos() : d->Validar();
        EXPECT_EQ(ok, c.mensagem.isEmpty());
        EXPECT_EQ(s.shownTexts(), c.mensagem.isEmpty() ? QStringList() : QStringList{c.mensagem});
        if (c.foco) {
            EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(c.foco));
        }
        // A refused OK stores nothing and leaves the dialog open.
        if (!c.mensagem.isEmpty()) {
            s.ok();
            d->cmdOK_Click();
            EXPECT_TRUE(d->IsLoaded());
            EXPECT_TRUE(d->Cancelada);
            EXPECT_TRUE(d->retCaption.isEmpty());
        }
    }
}

// ---- OK and its values ----------------------------------------------------------

TEST_F(Dialogos, OkBuildsTheTitleOfTheModeAndHandsTheValuesBack) {
    struct Caso {
        bool deTipos;
        long mode;
        bool naoRealizados;
        const char *titulo;
    } casos[] = {
        {false, 1, false, "EXTRATO DE CONTAS  DE 01/01/2025 a 31/01/2025"},
        {false, 1, true, "PREVISÕES NÃO REALIZADAS  DE 01/01/2025 a 31/01/2025"},
        {true, 2, false, "EXTRATO DE RECEITAS E DESPESAS  DE 01/01/2025 a 31/01/2025"},
        {true, 2, true, "PREVISÕES NÃO REALIZADAS  DE 01/01/2025 a 31/01/2025"},
        {false, 3, false, "BALANÇO DE CONTAS  DE 01/01/2025 a 31/01/2025"},
        {false, 3, true, "BALANÇO DE PREVISÕES NÃO REALIZADAS  DE 01/01/2025 a 31/01/2025"},
        {true, 4, false, "BALANÇO DE RECEITAS E DESPESAS  DE 01/01/2025 a 31/01/2025"},
        {true, 4, true, "BALANÇO DE PREVISÕES NÃO REALIZADAS  DE 01/01/2025 a 31/01/2025"},
        {false, 6, false, "SALDOS DE CONTAS EM 31/01/2025"},
        {true, 7, false, "SALDOS DE RECEITAS E DESPESAS EM 31/01/2025"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(QStringLiteral("Mode %1 %2").arg(c.mode).arg(c.naoRealizados).toStdString());
        auto d = abrir(c.deTipos, c.mode);
        datas(*d, QStringLiteral("01/01/25"), QStringLiteral("31/01/2025"), QStringLiteral("  nf #3 "));
        if (c.naoRealizados) d->lblNaoRealizados->Box()->setValue(1);
        EXPECT_EQ(d->SoNaoRealizados, c.naoRealizados);
        d->cmdOK_Click();
        EXPECT_FALSE(d->IsLoaded());
        EXPECT_FALSE(d->Cancelada);
        EXPECT_EQ(d->retCaption, QString::fromUtf8(c.titulo));
        EXPECT_EQ(d->DataFim, QDate(2025, 1, 31));
        if (c.mode >= 6) {
            EXPECT_EQ(d->DataIni, QDate()) << "the start date keeps its value";
            EXPECT_EQ(d->Historico, QString());
        } else {
            EXPECT_EQ(d->DataIni, QDate(2025, 1, 1));
            EXPECT_EQ(d->Historico, QStringLiteral("nf #3"));
        }
    }
}

TEST_F(Dialogos, CheckBoxesSetTheirValuesAsTheyChange) {
    auto d = abrir(false, 3);
    struct {
        widgets::CheckLabel *rotulo;
        bool &valor;
    } caixas[] = {{d->lblNaoRealizados, d->SoNaoRealizados}, {d->lblBalSemSubs, d->BalSemSubs}};
    for (auto &c : caixas) {
        SCOPED_TRACE(c.rotulo->objectName().toStdString());
        const QPoint p = c.rotulo->rect().center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(p), c.rotulo->mapToGlobal(QPointF(p)), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(c.rotulo, &e);
        }
        EXPECT_TRUE(c.valor);
        EXPECT_TRUE(c.rotulo->Box()->hasFocus());
        EXPECT_TRUE(c.rotulo->Highlighted());
        c.rotulo->Box()->setValue(0);
        EXPECT_FALSE(c.valor);
    }
    // OK reads the values, not the boxes again.
    d->ckNaoRealizados->setValue(1);
    d->SoNaoRealizados = false;
    datas(*d, QStringLiteral("01/01/25"), QStringLiteral("31/01/25"));
    d->cmdOK_Click();
    EXPECT_EQ(d->retCaption, QStringLiteral("BALANÇO DE CONTAS  DE 01/01/2025 a 31/01/2025"));
}

TEST_F(Dialogos, EnterInTheEndDateRunsOk) {
    auto d = abrir(true, 2);
    datas(*d, QStringLiteral("01/01/25"), QStringLiteral("31/01/25"));
    d->txtDataFim->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(d->txtDataFim, &enter);
    EXPECT_FALSE(d->IsLoaded());
    EXPECT_FALSE(d->Cancelada);
    EXPECT_EQ(d->DataFim, QDate(2025, 1, 31));
}

namespace {
// Answers the message box and, while it is up, lets the user click OK again.
class CliqueDuranteAMensagem : public platform::ui::ModalDriver {
public:
    explicit CliqueDuranteAMensagem(reports::frmExtra &d) : d_(d), anterior_(platform::ui::SetModalDriver(this)) {}
    ~CliqueDuranteAMensagem() override { platform::ui::SetModalDriver(anterior_); }
    platform::ui::ModalAnswer answer(const platform::ui::ModalRequest &r) override {
        mensagens << r.text;
        d_.cmdOK->click();
        return platform::ui::ModalAnswer::Button(1);
    }
    QStringList mensagens;

private:
    reports::frmExtra &d_;
    platform::ui::ModalDriver *anterior_;
};
} // namespace

TEST_F(Dialogos, OkClickedAgainWhileItRunsActsOnce) {
    auto d = abrir(false, 1);
    datas(*d, QStringLiteral("01/01/25"), QString());
    {
        CliqueDuranteAMensagem usuario(*d);
        d->cmdOK->click();
        EXPECT_EQ(usuario.mensagens.size(), 1);
    }
    EXPECT_TRUE(d->IsLoaded());
    // The flag was cleared on the way out: the next OK runs.
    d->txtDataFim->setText(QStringLiteral("31/01/25"));
    d->cmdOK->click();
    EXPECT_FALSE(d->IsLoaded());
    const QString titulo = d->retCaption;
    // A click after the dialog closed changes nothing.
    d->txtDataFim->setText(QStringLiteral("28/02/25"));
    d->cmdOK_Click();
    EXPECT_EQ(d->retCaption, titulo);
    EXPECT_EQ(d->DataFim, QDate(2025, 1, 31));
}

TEST_F(Dialogos, CancelEscAndTheCloseBoxLeaveCanceladaTrue) {
    const std::vector<std::pair<const char *, std::function<void(reports::frmExtra &)>>> saidas = {
        {"cancelar", [](reports::frmExtra &d) { d.cmdCancel->click(); }},
        {"esc",
         [](reports::frmExtra &d) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(d.txtDataIni, &esc);
         }},
        {"fechar", [](reports::frmExtra &d) { d.close(); }},
    };
    for (const auto &[nome, sair] : saidas) {
        SCOPED_TRACE(nome);
        auto d = novo(false);
        d->setMode(1);
        Script s;
        s.act([&](QWidget &) {
            datas(*d, QStringLiteral("01/01/25"), QStringLiteral("31/01/25"));
            sair(*d);
        });
        d->ShowModal();
        EXPECT_FALSE(d->IsLoaded());
        EXPECT_TRUE(d->Cancelada);
    }
}

// ---- the item tree --------------------------------------------------------------

TEST_F(Dialogos, AdministratorSeesEveryItemWithoutTheRootInactiveOnesToo) {
    auto contas = abrir(false, 1);
    EXPECT_EQ(nos(*contas->tv), (QStringList{"001 CAIXA", " 001.001 CAIXA FILHA", "  001.001.001 CAIXA NETA",
                                             "002 BANCO", "003 CARTAO"}));
    EXPECT_EQ(contas->tv->Item(QStringLiteral("_001"))->Image(), QStringLiteral("IMG_CONTA"));
    auto tipos = abrir(true, 2);
    EXPECT_EQ(nos(*tipos->tv),
              (QStringList{"001 TRANSFERÊNCIAS ENTRE CONTAS", "002 AJUSTES DE SALDOS", "003 SALARIO", " 003.001 BONUS",
                           " 003.002 HORAS EXTRAS", "004 MERCADO"}));
    for (const QString k : {"_001", "_003.002"}) {
        widgets::Node *n = tipos->tv->Item(k);
        EXPECT_EQ(n->Image(), QStringLiteral("IMG_RECDESP"));
        EXPECT_EQ(n->SelectedImage(), QStringLiteral("IMG_RECDESP"));
        EXPECT_EQ(n->ExpandedImage(), QStringLiteral("IMG_RECDESP"));
    }
    EXPECT_EQ(contas->Marcados(), 0);
    auto carregado = novo(false);
    carregado->Load();
    EXPECT_EQ(carregado->tv->SelectedItem(), nullptr) << "nothing is selected after loading";
    EXPECT_FALSE(contas->ckSubItens->isEnabled());
    EXPECT_FALSE(contas->lblSubItens->isEnabled());
    // The items keep their flags.
    EXPECT_TRUE(contas->ContasSel().Item(QStringLiteral("003"))->Inativa());
    EXPECT_FALSE(contas->ContasSel().Item(QStringLiteral("001"))->Inativa());
}

TEST_F(Dialogos, ACommonUserSeesWhatHeMayReadAndAnItemWithoutItsParentAtTheTop) {
    ui::gIdUsuario = kZe;
    ui::gTipoUsuario = 2;
    // 001.001.001 may be read while its parent 001.001 may not (two copies
    // changed the permissions at once): it stands at the top, no error.
    Script s;
    auto contas = abrir(false, 1);
    EXPECT_EQ(nos(*contas->tv), (QStringList{"001 CAIXA", "001.001.001 CAIXA NETA", "002 BANCO"}));
    auto tipos = abrir(true, 4);
    EXPECT_EQ(nos(*tipos->tv),
              (QStringList{"001 TRANSFERÊNCIAS ENTRE CONTAS", "002 AJUSTES DE SALDOS", "003 SALARIO", " 003.001 BONUS"}));
    EXPECT_TRUE(s.shownTexts().isEmpty());
    // The orphan is in the item collection, under its own code, and can be marked.
    clicar(*contas, QStringLiteral("_001.001.001"));
    EXPECT_TRUE(contas->ContasSel().Item(QStringLiteral("001.001.001"))->Selecionada());
    EXPECT_EQ(core::consultas::MarcadosDe(contas->ContasSel()).lista, QStringLiteral("'001.001.001'"));
}

TEST_F(Dialogos, NothingToReadShowsItsMessageAndAnEmptyTree) {
    db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('NINGUEM','NADA','N',2)"));
    ui::gIdUsuario = 3;
    ui::gTipoUsuario = 2;
    for (bool deTipos : {false, true}) {
        Script s;
        s.ok();
        auto d = abrir(deTipos, deTipos ? 2 : 1);
        EXPECT_EQ(s.shownTexts(),
                  QStringList{deTipos ? QStringLiteral("Não há informação de permissões de leitura em receitas/despesas "
                                                       "para este usuário ou o cadastro de tipos de receitas e despesas "
                                                       "está vazio.")
                                      : QStringLiteral("Não há informação de permissões de leitura em contas para este "
                                                       "usuário ou o cadastro de contas está vazio.")});
        EXPECT_TRUE(d->IsLoaded()) << "the dialog still opens";
        EXPECT_EQ(d->tv->Count(), 0);
        EXPECT_EQ(d->ContasSel().Count(), 0);
    }
    // An administrator on a chart that holds only its root.
    ui::gIdUsuario = 1;
    ui::gTipoUsuario = 1;
    db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios"));
    db->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo <> '000'"));
    Script s;
    s.ok();
    auto d = abrir(false, 3);
    EXPECT_EQ(s.shownTexts().size(), 1);
    EXPECT_EQ(d->tv->Count(), 0);
}

TEST_F(Dialogos, AClickMarksWhenTheDeferredMessageComesBackASecondUnmarks) {
    auto d = abrir(false, 1);
    widgets::Node *caixa = d->tv->Item(QStringLiteral("_001"));
    d->tv_NodeClick(caixa);
    // The control's call only posts the message: nothing marked yet.
    EXPECT_EQ(caixa->Image(), QStringLiteral("IMG_CONTA"));
    EXPECT_EQ(d->Marcados(), 0);
    QApplication::processEvents();
    EXPECT_EQ(caixa->Image(), QStringLiteral("IMG_CONTASEL"));
    EXPECT_EQ(caixa->SelectedImage(), QStringLiteral("IMG_CONTASEL"));
    EXPECT_EQ(caixa->ExpandedImage(), QStringLiteral("IMG_CONTASEL"));
    EXPECT_EQ(d->Marcados(), 1);
    EXPECT_TRUE(d->ContasSel().Item(QStringLiteral("001"))->Selecionada());
    // Marks live on the items: the children are not marked with their parent.
    EXPECT_FALSE(d->ContasSel().Item(QStringLiteral("001"))->SubItens().Item(1)->Selecionada());
    EXPECT_EQ(d->tv->Item(QStringLiteral("_001.001"))->Image(), QStringLiteral("IMG_CONTA"));
    clicar(*d, QStringLiteral("_001.001.001"));
    EXPECT_EQ(core::consultas::MarcadosDe(d->ContasSel()).lista, QStringLiteral("'001','001.001.001'"));
    EXPECT_EQ(d->Marcados(), 2);
    clicar(*d, QStringLiteral("_001"));
    EXPECT_EQ(caixa->Image(), QStringLiteral("IMG_CONTA"));
    EXPECT_FALSE(d->ContasSel().Item(QStringLiteral("001"))->Selecionada());
    EXPECT_EQ(d->Marcados(), 1);
    // Marks stay readable after the dialog closed.
    datas(*d, QStringLiteral("01/01/25"), QStringLiteral("31/01/25"));
    d->cmdOK_Click();
    ASSERT_FALSE(d->IsLoaded());
    const core::consultas::ItensMarcados m = core::consultas::MarcadosDe(d->ContasSel());
    EXPECT_EQ(m.lista, QStringLiteral("'001.001.001'"));
    EXPECT_EQ(m.contagem, 1);
}

TEST_F(Dialogos, TheSubItemsBoxIsOnExactlyWhileSomethingIsMarked) {
    auto d = abrir(true, 4);
    EXPECT_FALSE(d->ckSubItens->isEnabled());
    clicar(*d, QStringLiteral("_003"));
    clicar(*d, QStringLiteral("_004"));
    EXPECT_TRUE(d->ckSubItens->isEnabled());
    EXPECT_TRUE(d->lblSubItens->isEnabled());
    d->ckSubItens->setValue(1);
    EXPECT_TRUE(d->ComSubItens);
    clicar(*d, QStringLiteral("_003"));
    EXPECT_TRUE(d->ckSubItens->isEnabled());
    EXPECT_EQ(d->ckSubItens->Value(), 1);
    // Unmarking the last one unchecks the box even though the user ticked it.
    clicar(*d, QStringLiteral("_004"));
    EXPECT_FALSE(d->ckSubItens->isEnabled());
    EXPECT_FALSE(d->lblSubItens->isEnabled());
    EXPECT_EQ(d->ckSubItens->Value(), 0);
    EXPECT_FALSE(d->ComSubItens);
}

TEST_F(Dialogos, ADoubleClickMarksNothing) {
    auto d = abrir(false, 1);
    widgets::Node *caixa = d->tv->Item(QStringLiteral("_001"));
    QWidget *vp = d->tv->viewport();
    const QPoint p = d->tv->visualItemRect(caixa->item()).center();
    auto rato = [&](QEvent::Type t, bool postar) {
        auto *e = new QMouseEvent(t, QPointF(p), vp->mapToGlobal(QPointF(p)), Qt::LeftButton,
                                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        if (postar) return QCoreApplication::postEvent(vp, e);
        QApplication::sendEvent(vp, e);
        delete e;
    };
    // The second click is already queued while the first one waits.
    rato(QEvent::MouseButtonRelease, true);
    rato(QEvent::MouseButtonDblClick, true);
    rato(QEvent::MouseButtonRelease, true);
    rato(QEvent::MouseButtonPress, false);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(caixa->Image(), QStringLiteral("IMG_CONTA"));
    EXPECT_FALSE(d->ContasSel().Item(QStringLiteral("001"))->Selecionada());
    EXPECT_EQ(d->Marcados(), 0);
    EXPECT_TRUE(caixa->Expanded()) << "the double click still opens the node";
    // A single click afterwards marks as usual.
    rato(QEvent::MouseButtonPress, false);
    rato(QEvent::MouseButtonRelease, false);
    QApplication::processEvents();
    EXPECT_EQ(caixa->Image(), QStringLiteral("IMG_CONTASEL"));
    EXPECT_EQ(d->Marcados(), 1);
}

// Opening a heading by its arrow to mark an item below it marks that item
// only, also when the heading is the node the tree selected as it took the
// focus; closing it marks nothing either.
TEST_F(Dialogos, TheExpandArrowMarksNothing) {
    auto d = abrir(false, 1);
    widgets::Node *caixa = d->tv->Item(QStringLiteral("_001"));
    caixa->setExpanded(false);
    caixa->setSelected(true); // where the focus left the tree
    QWidget *vp = d->tv->viewport();
    auto clique = [&](const QPoint &p) {
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(p), vp->mapToGlobal(QPointF(p)), Qt::LeftButton,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(vp, &e);
        }
        QApplication::processEvents();
    };
    auto seta = [&](widgets::Node *n) {
        const QRect r = d->tv->visualItemRect(n->item());
        return QPoint(r.left() - d->tv->indentation() / 2, r.center().y());
    };
    clique(seta(caixa));
    ASSERT_TRUE(caixa->Expanded());
    widgets::Node *corrente = d->tv->Item(QStringLiteral("_001.001"));
    clique(d->tv->visualItemRect(corrente->item()).center());
    clique(seta(caixa));
    EXPECT_FALSE(caixa->Expanded());
    EXPECT_EQ(core::consultas::MarcadosDe(d->ContasSel()).lista, QStringLiteral("'001.001'"));
    EXPECT_EQ(caixa->Image(), QStringLiteral("IMG_CONTA"));
    EXPECT_EQ(d->Marcados(), 1);
}

// Whatever height its Mode gives it, the dialog opens over the middle of the
// main window, as every modal form does.
TEST_F(Dialogos, EveryModeOpensCentredOnTheMainWindow) {
    const QRect tela = QGuiApplication::primaryScreen()->geometry();
    QMainWindow principal;
    auto *area = new QMdiArea(&principal);
    principal.setCentralWidget(area);
    platform::ui::Forms::setMdiArea(area);
    principal.setGeometry(tela.x() + 40, tela.y() + 30, 760, 620);
    principal.show();
    for (bool deTipos : {false, true})
        for (long mode = 1; mode <= 4; ++mode) {
            SCOPED_TRACE(std::to_string(deTipos) + " mode " + std::to_string(mode));
            auto d = novo(deTipos);
            d->Load();
            d->setMode(mode);
            const QRect onde = testsupport::OndeAbre(*d);
            EXPECT_LE((onde.center() - principal.frameGeometry().center()).manhattanLength(), 2)
                << "at " << onde.x() << "," << onde.y() << " size " << onde.width() << "x" << onde.height();
        }
    platform::ui::Forms::setMdiArea(nullptr);
}

// A NUL character pasted into the history filter of a statement or a balance:
// the field's message, the dialog open with the text, and nothing asked of
// the book.
TEST_F(Dialogos, CaractereNuloNoTextoAPesquisarDizOCampoEODialogoFica) {
    const QString nulo = QStringLiteral("NF") + QChar(u'\0') + QStringLiteral("1");
    for (long mode : {1L, 3L}) {
        SCOPED_TRACE(mode);
        auto d = abrir(false, mode);
        datas(*d, QStringLiteral("01/01/25"), QStringLiteral("31/01/25"));
        testsupport::Colar(d->txtHistoricos, nulo);
        ASSERT_EQ(d->txtHistoricos->text(), nulo);
        d->cmdOK->setFocus();
        QApplication::processEvents();
        Script s;
        s.ok();
        d->cmdOK_Click();
        EXPECT_EQ(s.shownTexts(),
                  QStringList{QStringLiteral("O texto a pesquisar contém um caractere nulo, que não pode ser pesquisado.")});
        EXPECT_TRUE(d->IsLoaded());
        EXPECT_TRUE(d->Cancelada);
        EXPECT_EQ(d->txtHistoricos->text(), nulo);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("txtHistoricos"));
    }
}
