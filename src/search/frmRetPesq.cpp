#include "search/frmRetPesq.h"

#include "core/consultas/ModosDeRelatorio.h"
#include "db/Schema.h"
#include "search/SaldoAnterior.h"

#include "core/escrita/Permissoes.h"
#include "db/Module1.h"
#include "db/SqlTexto.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/widgets/DataControl.h"
#include "platform/widgets/DataGrid.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/FileiraDeBotoes.h"
#include "ui/MsgBox.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QResizeEvent>
#include <QLayout>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

namespace search {

namespace {
// The window is drawn in twips of a 15-twips-per-pixel screen.
constexpr int kTw = 15;
QRect tw(int l, int t, int w, int h) { return QRect(l / kTw, t / kTw, w / kTw, h / kTw); }

constexpr int kLarguraDeProjeto = 10080;
constexpr int kAlturaTopo = 375;
constexpr int kAlturaRodape = 600;
// A refresh that finds the grid without a visible row is tried again this
// many times at most.
constexpr int kMaxReconsultas = 2;

struct ColunaDeProjeto {
    const char *caption;
    const char *campo;
    const char *formato;
    int largura; // twips
};
const ColunaDeProjeto kColunas[] = {
    {"", "Realizado", "", 300},
    {"Data", "Data", "Short Date", 1080},
    {"Conta", "DesConta", "", 1950},
    {"Receita/Despesa", "DesMovimentacao", "", 1950},
    {"Documento", "Documento", "", 1350},
    {"Histórico", "Historico", "", 2550},
    {"Valor", "Valor", "Currency", 1575},
    {"Saldo Conta", "SaldoConta", "Currency", 1575},
    {"Saldo Global", "SaldoGlobal", "Currency", 1575},
};
} // namespace

frmRetPesq::frmRetPesq(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmRetPesq"));
    resize(kLarguraDeProjeto / kTw, 6600 / kTw);

    picTop = new QWidget(this);
    picTop->setObjectName(QStringLiteral("picTop"));
    picTop->setGeometry(tw(0, 0, kLarguraDeProjeto, kAlturaTopo));
    lblTop = new QLabel(QStringLiteral("Saldo global anterior:"), picTop);
    lblTop->setObjectName(QStringLiteral("lblTop"));
    lblTop->setGeometry(tw(120, 60, kLarguraDeProjeto - 240, 255));
    QFont negrito = lblTop->font();
    negrito.setBold(true);
    lblTop->setFont(negrito);

    Data1 = new widgets::DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));

    DBGrid1 = new widgets::DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(tw(0, kAlturaTopo, kLarguraDeProjeto, 6600 - kAlturaTopo - kAlturaRodape));
    DBGrid1->setDataSource(Data1);
    DBGrid1->setColumnCount(int(std::size(kColunas)));
    // Dates and amounts are never cut: their columns are at least as wide as
    // the longest text they show in the font shown.
    const QFontMetrics fm = DBGrid1->view()->fontMetrics();
    const int larguraData = fm.horizontalAdvance(QStringLiteral("00/00/0000")) + 12;
    const int larguraValor = fm.horizontalAdvance(QStringLiteral("-R$ 00.000.000,00")) + 12;
    for (int i = 0; i < int(std::size(kColunas)); ++i) {
        widgets::DataGridColumn c = DBGrid1->Columns(i);
        c.setCaption(QString::fromUtf8(kColunas[i].caption));
        c.setDataField(QString::fromUtf8(kColunas[i].campo));
        const QString formato = QString::fromUtf8(kColunas[i].formato);
        c.setNumberFormat(formato);
        int largura = kColunas[i].largura / kTw;
        if (formato == QStringLiteral("Short Date")) largura = std::max(largura, larguraData);
        if (formato == QStringLiteral("Currency")) largura = std::max(largura, larguraValor);
        c.setWidth(largura);
    }

    picBotton = new QWidget(this);
    picBotton->setObjectName(QStringLiteral("picBotton"));
    picBotton->setGeometry(tw(0, 6600 - kAlturaRodape, kLarguraDeProjeto, kAlturaRodape));
    auto botao = [&](const char *nome, const char *texto) {
        auto *b = new QPushButton(QString::fromUtf8(texto), picBotton);
        b->setObjectName(QString::fromLatin1(nome));
        return b;
    };
    cmdBaixar = botao("cmdBaixar", "&Baixar");
    cmdRemBaixa = botao("cmdRemBaixa", "&Remover Baixa");
    cmdEstornar = botao("cmdEstornar", "Est&ornar");
    cmdImprimir = botao("cmdImprimir", "&Imprimir");
    cmdAtualizar = botao("cmdAtualizar", "&Atualizar Pesquisa");
    cmdCancel = botao("cmdCancel", "&Fechar");
    setCancelButton(cmdCancel);
    arrumarBotoes();
    // Only the row's cells select it; the keys that move the current row select it too.
    DBGrid1->setSelecaoPeloSeletor(false);
    DBGrid1->setSelecaoSegueTeclas(true);

    connect(cmdBaixar, &QPushButton::clicked, this, &frmRetPesq::cmdBaixar_Click);
    connect(cmdRemBaixa, &QPushButton::clicked, this, &frmRetPesq::cmdRemBaixa_Click);
    connect(cmdEstornar, &QPushButton::clicked, this, &frmRetPesq::cmdEstornar_Click);
    connect(cmdImprimir, &QPushButton::clicked, this, &frmRetPesq::cmdImprimir_Click);
    connect(cmdAtualizar, &QPushButton::clicked, this, &frmRetPesq::cmdAtualizar_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRetPesq::cmdCancel_Click);
    connect(DBGrid1, &widgets::DataGrid::SelChange, this, &frmRetPesq::DBGrid1_SelChange);
    connect(DBGrid1, &widgets::DataGrid::MouseDown, this, &frmRetPesq::DBGrid1_MouseDown);
    connect(DBGrid1, &widgets::DataGrid::MouseUp, this, &frmRetPesq::DBGrid1_MouseUp);
}

frmRetPesq::~frmRetPesq() = default;

dao::Recordset *frmRetPesq::Recordset() const { return Data1->Recordset(); }

bool frmRetPesq::ColunaGlobalVisivel() const { return DBGrid1->Columns(8).Visible(); }

// ---- Mode ---------------------------------------------------------------------------

void frmRetPesq::ocultarTopo() {
    picTop->setVisible(false);
    DBGrid1->move(0, 0);
    DBGrid1->resize(DBGrid1->width(), height() - picBotton->height());
    DBGrid1->Columns(8).setVisible(false);
}

void frmRetPesq::setMode(long mode) {
    try {
        mode_ = mode;
        const bool semFiltro =
            Contas.isEmpty() && ui::gTipoUsuario == db::kAdministrador && !SoNaoRealizados && ExpressaoNoHistorico.isEmpty();
        switch (mode) {
        case core::consultas::kExtratoDeContas:
        case core::consultas::kExtratoDeTipos:
            setWindowTitle(mode == core::consultas::kExtratoDeContas ? QStringLiteral("EXTRATO DE CONTAS DE CAPITAL")
                                             : QStringLiteral("EXTRATO DE RECEITAS E DESPESAS"));
            if (mode == core::consultas::kExtratoDeTipos) {
                DBGrid1->Columns(7).setCaption(QStringLiteral("Saldo Rec/Desp"));
                DBGrid1->Columns(7).setDataField(QStringLiteral("SaldoRecDesp"));
            }
            if (!semFiltro) ocultarTopo();
            rotuloSaldoAnterior_ = kRotuloSaldoAnterior;
            break;
        case core::consultas::kPesquisaPorDocumento:
            setWindowTitle(kTituloPesquisaPorDocumento);
            ocultarTopo();
            cmdRemBaixa->setVisible(false);
            arrumarBotoes();
            break;
        default:
            break;
        }
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "Mode");
    }
}

// ---- load, activation, unload ---------------------------------------------------

void frmRetPesq::Form_Load() {
    try {
        if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
        ui::InstalarWindowProc(this, ui::FormWindowProc);
        podeOperarTransferencias_ =
            core::escrita::PodeOperarTransferencias(*ui::gDB, ui::gIdUsuario, int(ui::gTipoUsuario));
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmRetPesq", "Form_Load");
    }
}

void frmRetPesq::Form_Activate() {
    try {
        if (atualizacaoPendente_) {
            long hint = ui::kHintLancamentos;
            UpdateView(hint);
        }
        if (!jaAtivado_) {
            jaAtivado_ = true;
            FazConsulta();
            for (QPushButton *b : findChildren<QPushButton *>())
                b->setProperty("Tag", QString::number(b->x() * kTw - kLarguraDeProjeto));
            // The first activation may come while the MDI area is still adding
            // the window: its frame is then the parent already.
            if (auto *moldura = SubWindow() ? SubWindow() : qobject_cast<QMdiSubWindow *>(parentWidget()))
                moldura->showMaximized();
            else if (isWindow() && isVisible())
                showMaximized();
        }
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmRetPesq", "Form_Activate");
    }
}

void frmRetPesq::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        ui::RemoverWindowProc(this);
    } catch (...) {
    }
}

// ---- query ---------------------------------------------------------------------------

void frmRetPesq::FazConsulta() {
    try {
        QString chavePrimeira, chaveSelecionada;
        if (dao::Recordset *anterior = Data1->Recordset()) {
            if (anterior->RecordCount() > 0) {
                anterior->SetBookmark(DBGrid1->FirstRow());
                chavePrimeira = anterior->Field(QStringLiteral("DataId")).toString();
            }
            if (DBGrid1->SelBookmarks().Count() > 0) {
                anterior->SetBookmark(DBGrid1->SelBookmarks().Item(0));
                chaveSelecionada = anterior->Field(QStringLiteral("DataId")).toString();
            }
        }
        ui::CHourGlass hg;
        hg.Show(true);
        widgets::FecharControlesData(this);

        auto rs = ui::gDB->OpenRecordset(SQL, dao::dbOpenDynaset);
        try {
            rs->MoveLast();
            rs->MoveFirst();
        } catch (const err::AppError &) {
        }
        Data1->setRecordset(std::move(rs));
        DBGrid1->setCaption(TituloRelatorio);
        DBGrid1->Refresh();
        dao::Recordset &atual = *Data1->Recordset();

        if (core::consultas::EExtrato(mode_)) LerSaldoAnterior();

        if (atual.RecordCount() > 0) {
            const auto procurar = [&](const QString &chave) {
                atual.FindFirst(QStringLiteral("DataId =") + db::SqlTexto(chave));
                return !atual.NoMatch();
            };
            if (!chavePrimeira.isEmpty() && procurar(chavePrimeira)) {
                DBGrid1->setBookmark(atual.GetBookmark());
                DBGrid1->setFirstRow(atual.GetBookmark());
            }
            if (!chaveSelecionada.isEmpty() && procurar(chaveSelecionada)) {
                DBGrid1->setBookmark(atual.GetBookmark());
                DBGrid1->SelBookmarks().Add(atual.GetBookmark());
            }
            // A grid that shows no row for a result with rows is refreshed
            // again, a few times at most.
            if (DBGrid1->isVisible() && DBGrid1->VisibleRows() == 0 && consultasSemLinhaVisivel_ < kMaxReconsultas) {
                ++consultasSemLinhaVisivel_;
                cmdAtualizar_Click();
            }
        }
        consultasSemLinhaVisivel_ = 0;
        // The rows may have brought or taken away the scroll bar: the history
        // column takes the width that is left again.
        Form_Resize();
    } catch (...) {
        consultasSemLinhaVisivel_ = 0;
        FIN_TRAP_REPORT_CLOSE(this, "frmRetPesq", "FazConsulta");
    }
}

// The global balance before the first posting listed, over every posting.
void frmRetPesq::LerSaldoAnterior() {
    dao::Recordset &atual = *Data1->Recordset();
    if (atual.RecordCount() == 0) {
        lblTop->setText(kMsgSemLancamentos);
        saldoGlobalAnterior_ = value::Currency();
        return;
    }
    atual.MoveFirst();
    const std::optional<value::Currency> saldo =
        SaldoGlobalAntesDe(*ui::gDB, atual.Field(QStringLiteral("DataId")).toString());
    saldoGlobalAnterior_ = saldo.value_or(value::Currency());
    lblTop->setText(saldo ? rotuloSaldoAnterior_ + QStringLiteral(" ") + saldo->toBr()
                          : rotuloSaldoAnterior_ + QStringLiteral(" 0,00"));
}

// ---- selection -----------------------------------------------------------------------

void frmRetPesq::DBGrid1_SelChange() {
    try {
        auto &sel = DBGrid1->SelBookmarks();
        if (sel.Count() > 0) {
            const dao::Bookmark ultimo = sel.Item(sel.Count() - 1);
            while (sel.Count() > 0) sel.Remove(0);
            sel.Add(ultimo);
        }
        HabilitarDesabilitar();
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "DBGrid1_SelChange");
    }
}

void frmRetPesq::DBGrid1_MouseDown(int button, int shift, int x, int y) {
    (void)shift;
    try {
        if (button != 1) return;
        long linha = DBGrid1->RowContaining(y);
        const int coluna = DBGrid1->ColContaining(x);
        if (coluna < 0 || coluna >= DBGrid1->VisibleCols() || linha < 0 || linha >= DBGrid1->VisibleRows()) return;
        auto &sel = DBGrid1->SelBookmarks();
        while (sel.Count() > 0) sel.Remove(0);
        SelCurLine(linha);
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "DBGrid1_MouseDown");
    }
}

void frmRetPesq::DBGrid1_MouseUp(int button, int shift, int x, int y) {
    (void)shift;
    try {
        if (button != 1) return;
        const long linha = DBGrid1->RowContaining(y);
        const int coluna = DBGrid1->ColContaining(x);
        if (coluna < 0 || coluna >= DBGrid1->VisibleCols() || linha < 0 || linha >= DBGrid1->VisibleRows()) return;
        auto &sel = DBGrid1->SelBookmarks();
        while (sel.Count() > 0) sel.Remove(0);
        ui::PostarGridSelLine(this, linha);
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "DBGrid1_MouseUp");
    }
}

void frmRetPesq::SelCurLine(long &lngRow) {
    try {
        const dao::Bookmark b = DBGrid1->RowBookmark(int(lngRow));
        DBGrid1->setBookmark(b);
        DBGrid1->SelBookmarks().Add(b);
        HabilitarDesabilitar();
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "SelCurLine");
    }
}

bool frmRetPesq::posicionarNaSelecao(const QString &mensagemSemSelecao) {
    dao::Recordset *rs = Data1->Recordset();
    if (!rs || DBGrid1->SelBookmarks().Count() == 0) {
        ui::MsgBox(mensagemSemSelecao, platform::ui::vbOKOnly, QString());
        return false;
    }
    rs->SetBookmark(DBGrid1->SelBookmarks().Item(0));
    return true;
}

// ---- layout --------------------------------------------------------------------------

void frmRetPesq::resizeEvent(QResizeEvent *e) {
    platform::ui::Form::resizeEvent(e);
    Form_Resize();
}

void frmRetPesq::Form_Resize() {
    try {
        const QWidget *moldura = SubWindow() ? static_cast<QWidget *>(SubWindow()) : window();
        if (moldura->isMinimized()) return;
        if (height() * kTw < ui::kAlturaDoLeiaute) return;
        if (width() * kTw < ui::kLarguraDoLeiaute) return;
        ui::PostarGridResize(this);
    } catch (...) {
    }
}

// The buttons follow the window's width (ui::ArrumarBotoes); the panel keeps
// to the bottom of the window.
void frmRetPesq::arrumarBotoes() {
    static const ui::MedidasDosBotoes kMedidas{.esquerda = 120 / kTw,
                                               .direita = 120 / kTw,
                                               .espaco = 75 / kTw,
                                               .entre = 75 / kTw,
                                               .topo = 105 / kTw,
                                               .baixo = (kAlturaRodape - 375 - 105) / kTw,
                                               .altura = 375 / kTw,
                                               .largura = 1575 / kTw,
                                               .ar = 24,
                                               .larguraDoLeiaute = (ui::kLarguraDoLeiaute + kTw - 1) / kTw};
    ui::ArrumarBotoes(picBotton, {cmdBaixar, cmdRemBaixa, cmdEstornar, cmdImprimir, cmdAtualizar, cmdCancel}, kMedidas);
}

void frmRetPesq::ResizeGrid() {
    try {
        picTop->resize(width(), picTop->height());
        picBotton->resize(width(), picBotton->height());
        arrumarBotoes();
        const int topo = picTop->isVisible() ? picTop->height() : 0;
        DBGrid1->setGeometry(0, topo, width(), height() - picBotton->height() - topo);
        DBGrid1->layout()->activate(); // the table inside takes its new size now, not later
        if (core::consultas::EExtrato(mode_) || mode_ == core::consultas::kPesquisaPorDocumento) {
            QTableView *v = DBGrid1->view();
            // Room taken by the frame, the record selectors and, when the rows
            // do not all fit, the vertical scroll bar.
            const int linhas = v->model()->rowCount();
            const bool rola = DBGrid1->height() < DBGrid1->RowHeight() * (linhas + 2);
            const int barra = rola ? v->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, v) : 0;
            const int margem = DBGrid1->width() - v->viewport()->width() -
                               (v->verticalScrollBar()->isVisible() ? v->verticalScrollBar()->width() : 0);
            int soma = 0;
            for (int c = 0; c < DBGrid1->ColumnCount(); ++c)
                if (DBGrid1->Columns(c).Visible()) soma += DBGrid1->Columns(c).Width();
            widgets::DataGridColumn historico = DBGrid1->Columns(5);
            historico.setWidth(std::max(60, historico.Width() + (DBGrid1->width() - soma - margem - 2) - barra));
        }
        DBGrid1->view()->viewport()->update();
    } catch (...) {
    }
}

// ---- view broadcast, refresh, close ---------------------------------------------------

void frmRetPesq::UpdateView(long &msg) {
    (void)msg;
    try {
        if (platform::ui::Forms::ActiveChild() == this) {
            cmdAtualizar_Click();
            atualizacaoPendente_ = false;
        } else {
            atualizacaoPendente_ = true;
        }
    } catch (...) {
        FIN_TRAP_RERAISE("frmRetPesq", "UpdateView");
    }
}

void frmRetPesq::cmdAtualizar_Click() {
    try {
        DBGrid1->Refresh();
        FazConsulta();
        HabilitarDesabilitar();
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "cmdAtualizar_Click");
    }
}

void frmRetPesq::cmdCancel_Click() { Unload(); }

} // namespace search
