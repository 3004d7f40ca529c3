#include "pending/frmPendencias.h"

#include "pending/frmPendenciasComum.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/CLockWindowUpdate.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "core/escrita/Permissoes.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Messages.h"
#include "platform/widgets/FlexGrid.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>

namespace pending {

namespace {

constexpr int kTwips = 15; // the window is laid out at 15 twips a pixel
constexpr int kAlturaPainel = 495;

// "dd/mm/yyyy", written for every row of a long list.
QString ddmmaaaa(const QDate &d) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d/%02d/%04d", d.day(), d.month(), d.year());
    return QString::fromLatin1(b);
}

} // namespace

frmPendencias::frmPendencias(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmPendencias"));
    setWindowTitle(QStringLiteral("Pendências"));
    Fgrid = new widgets::FlexGrid(this);
    Fgrid->setObjectName(QStringLiteral("Fgrid"));
    picBotton = new QWidget(this);
    picBotton->setObjectName(QStringLiteral("picBotton"));
    auto botao = [this](const char *nome, const QString &texto, int esquerda) {
        auto *b = new QPushButton(texto, picBotton);
        b->setObjectName(QString::fromLatin1(nome));
        b->setGeometry(esquerda / kTwips, 60 / kTwips, 1665 / kTwips, 375 / kTwips);
        return b;
    };
    cmdImprimir = botao("cmdImprimir", QStringLiteral("&Imprimir"), 240);
    cmdEstornar = botao("cmdEstornar", QStringLiteral("Est&ornar"), 2235);
    cmdBaixar = botao("cmdBaixar", QStringLiteral("&Baixar"), 4230);
    cmdRemBaixa = botao("cmdRemBaixa", QStringLiteral("&Remover Baixa"), 6225);
    cmdCancel = botao("cmdCancel", QStringLiteral("&Fechar"), 8220);
    cmdEstornar->setEnabled(false);
    cmdBaixar->setEnabled(false);
    cmdRemBaixa->setEnabled(false);
    setCancelButton(cmdCancel);
    QWidget *ordem[] = {Fgrid, cmdImprimir, cmdEstornar, cmdBaixar, cmdRemBaixa, cmdCancel};
    for (std::size_t i = 0; i + 1 < std::size(ordem); ++i) setTabOrder(ordem[i], ordem[i + 1]);
    connect(cmdImprimir, &QPushButton::clicked, this, &frmPendencias::cmdImprimir_Click);
    connect(cmdEstornar, &QPushButton::clicked, this, &frmPendencias::cmdEstornar_Click);
    connect(cmdBaixar, &QPushButton::clicked, this, &frmPendencias::cmdBaixar_Click);
    connect(cmdRemBaixa, &QPushButton::clicked, this, &frmPendencias::cmdRemBaixa_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPendencias::cmdCancel_Click);
    connect(Fgrid, &widgets::FlexGrid::SelChange, this, &frmPendencias::Fgrid_SelChange);
    // The grid over the panel's top; ResizeGrid fits it once the window is shown.
    resize(10035 / kTwips, 5340 / kTwips);
    Fgrid->setGeometry(0, 0, width(), height() - kAlturaPainel / kTwips);
    picBotton->setGeometry(0, height() - kAlturaPainel / kTwips, width(), kAlturaPainel / kTwips);
}

frmPendencias::~frmPendencias() = default;

QSize frmPendencias::sizeHint() const { return QSize(10035 / kTwips, 5340 / kTwips); }

// ---- load, activation, unload -------------------------------------------------

void frmPendencias::Form_Load() {
    try {
        fin::InstalarWindowProc(this, fin::FormWindowProc);
        setWindowTitle(QStringLiteral("Lançamentos Pendentes e Baixas"));
        podeTransferir_ = postings::PodeOperarTransferencias(*fin::gDB, fin::gIdUsuario, int(fin::gTipoUsuario));
        if (fin::MainForm) setWindowIcon(fin::MainForm->windowIcon());
        ConfigurarGrid();
    } catch (...) {
        FIN_TRAP_REPORT("frmPendencias", "Form_Load");
        platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
    }
}

void frmPendencias::Form_Activate() {
    if (jaAtivada_) return;
    try {
        linhas_.clear();
        // Unavailable to the user until the query has given its rows.
        setEnabled(false);
        ExibirPendencias();
        Fgrid->setCol(2);
        jaAtivada_ = true;
    } catch (...) {
        FIN_TRAP_REPORT("frmPendencias", "Form_Activate");
        platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
    }
}

void frmPendencias::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        fin::RemoverWindowProc(this);
        linhas_.clear();
    } catch (...) {
    }
}

void frmPendencias::cmdCancel_Click() { Unload(); }

void frmPendencias::UpdateView(long &msg) { (void)msg; }

// ---- the list -------------------------------------------------------------------

void frmPendencias::ConfigurarGrid() {
    try {
        Fgrid->setFormatString(kFormatoGridPendencias);
        larguras_.clear();
        for (int c = 0; c < Fgrid->Cols(); ++c) larguras_.push_back(Fgrid->ColWidth(c));
        Fgrid->setRows(2);
        Fgrid->setRowData(1, 0);
    } catch (...) {
        FIN_TRAP_RERAISE("frmPendencias", "ConfigurarGrid");
    }
}

void frmPendencias::ExibirPendencias() {
    std::unique_ptr<dao::Recordset> rs;
    try {
        fin::CHourGlass hg;
        hg.Show(true);
        rs = fin::gDB->OpenRecordset(sql_, dao::dbOpenSnapshot);
        try {
            rs->MoveNext();
            rs->MoveFirst();
        } catch (...) {
        }
        if (rs->RecordCount() == 0) {
            fin::MsgBox(kMsgNadaPendente, platform::ui::vbInformation, platform::App::Title());
            cancelar();
        }
        setEnabled(true);
        fin::CLockWindowUpdate trava;
        trava.LockWindow(Fgrid);
        // The rows go in at once after the read; each row's number is its key.
        const QString tab(QLatin1Char('\t'));
        QStringList celulas;
        std::vector<long> chaves;
        celulas.reserve(rs->RecordCount());
        // Each column found by its name once, read by its place in every row.
        auto coluna = [&](const char *nome) {
            for (int i = 0; i < rs->FieldCount(); ++i)
                if (rs->FieldName(i).compare(QLatin1String(nome), Qt::CaseInsensitive) == 0) return i;
            (void)rs->Field(QString::fromLatin1(nome)); // the engine's "item not found"
            return -1;
        };
        const int cId = coluna("Id"), cConta = coluna("CodConta"), cTipo = coluna("CodRecDesp"), cEstorno = coluna("Estorno"),
                  cEstornado = coluna("Estornado"), cRealizado = coluna("Realizado"), cTransf = coluna("Transferencia"),
                  cDataId = coluna("DataId"), cData = coluna("Data"), cValor = coluna("Valor"), cDesConta = coluna("DesConta"),
                  cDesTipo = coluna("DesMovimentacao"), cDoc = coluna("Documento"), cHist = coluna("Historico");
        for (; !rs->Eof(); rs->MoveNext()) {
            const value::Value doc = rs->Field(cDoc);
            postings::CRowData r;
            r.Serial = long(rs->Field(cId).toInt());
            r.CodConta = rs->Field(cConta).toString();
            r.CodRecDesp = rs->Field(cTipo).toString();
            r.Estorno = rs->Field(cEstorno).toBool();
            r.Estornado = rs->Field(cEstornado).toBool();
            r.Realizado = rs->Field(cRealizado).toString();
            r.Transferencia = std::uint8_t(rs->Field(cTransf).toInt());
            r.DataId = rs->Field(cDataId).toString();
            celulas << QString() + tab + r.Realizado + tab +
                           ddmmaaaa(rs->Field(cData).toDate().date()) + tab +
                           rs->Field(cValor).toCurrency().toBr() + tab + rs->Field(cDesConta).toString() + tab +
                           rs->Field(cDesTipo).toString() + tab + (doc.isNull() ? QString() : doc.toString()) + tab +
                           rs->Field(cHist).toString();
            ++contador_;
            linhas_.insert(QString::number(contador_), r);
            chaves.push_back(contador_);
        }
        // The blank row the grid starts with takes the first posting.
        int primeira = Fgrid->Rows();
        if (primeira == 2 && Fgrid->RowData(1) == 0) {
            const QStringList c = celulas.takeFirst().split(tab);
            for (int i = 0; i < Fgrid->Cols(); ++i) Fgrid->setTextMatrix(1, i, i < c.size() ? c[i] : QString());
            primeira = 1;
        }
        Fgrid->AddItems(celulas);
        for (std::size_t i = 0; i < chaves.size(); ++i) Fgrid->setRowData(primeira + int(i), chaves[i]);
        // The newest row in view, current and selected: once, after the rows.
        mostrarUltimaLinha();
        db::FecharRecordset(rs);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("frmPendencias", "ExibirPendencias");
    }
}

void frmPendencias::mostrarUltimaLinha() {
    try {
        const int ultima = Fgrid->Rows() - 1;
        // Rows just added are not yet in the scroll range until the view lays
        // itself out; without this the list would not scroll to them.
        Fgrid->doItemsLayout();
        Fgrid->setTopRow(std::max(1, Fgrid->Rows() - 10));
        // Fewer than ten rows may fit the window.
        Fgrid->scrollTo(Fgrid->model()->index(ultima, 1));
        Fgrid->setRow(ultima);
        Fgrid->setRowSel(ultima);
    } catch (...) {
    }
}

long frmPendencias::adicionarLinha(const QStringList &celulas, const postings::CRowData &registro) {
    Fgrid->AddItem(celulas.join(QLatin1Char('\t')));
    ++contador_;
    linhas_.insert(QString::number(contador_), registro);
    Fgrid->setRowData(Fgrid->Rows() - 1, contador_);
    return contador_;
}

postings::CRowData *frmPendencias::registroSelecionado() {
    const long chave = Fgrid->RowData(Fgrid->RowSel());
    if (chave == 0) return nullptr;
    auto it = linhas_.find(QString::number(chave));
    return it == linhas_.end() ? nullptr : &*it;
}

void frmPendencias::marcarLinha(long serial, const QString &codigo, bool estornado) {
    for (int r = 1; r < Fgrid->Rows(); ++r) {
        auto it = linhas_.find(QString::number(Fgrid->RowData(r)));
        if (it == linhas_.end() || it->Serial != serial) continue;
        it->Realizado = codigo;
        if (estornado) it->Estornado = true;
        Fgrid->setTextMatrix(r, 1, codigo);
        return;
    }
}

void frmPendencias::Fgrid_SelChange() {
    if (selecionando_) return;
    try {
        selecionando_ = true;
        Fgrid->setRow(Fgrid->RowSel());
        Fgrid->setRowSel(Fgrid->Row());
        Fgrid->setCol(0);
        Fgrid->setColSel(Fgrid->Cols() - 1);
        if (const postings::CRowData *r = registroSelecionado()) {
            cmdEstornar->setEnabled(true);
            cmdBaixar->setEnabled(r->Realizado != QStringLiteral("E"));
            cmdRemBaixa->setEnabled(r->Realizado == QStringLiteral("S") || r->Realizado == QStringLiteral("N"));
        }
        selecionando_ = false;
    } catch (...) {
        selecionando_ = false;
        FIN_TRAP_REPORT("frmPendencias", "Fgrid_SelChange");
    }
}

// ---- size -----------------------------------------------------------------------

void frmPendencias::resizeEvent(QResizeEvent *e) {
    platform::ui::Form::resizeEvent(e);
    Form_Resize();
}

void frmPendencias::changeEvent(QEvent *e) {
    platform::ui::Form::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) Form_Resize();
}

void frmPendencias::Form_Resize() {
    const bool minimizada = isMinimized() || (SubWindow() && SubWindow()->isMinimized());
    if (minimizada || height() * kTwips < 2000 || width() * kTwips < 5200) return;
    // The panel follows at once; the grid once the resize has finished.
    picBotton->setGeometry(0, height() - kAlturaPainel / kTwips, width(), kAlturaPainel / kTwips);
    fin::PostarGridResize(this);
}

void frmPendencias::ResizeGrid() {
    try {
        Fgrid->setGeometry(0, 0, width(), height() - picBotton->height());
        // What the grid shows inside its frame and beside its scroll bar.
        int dentro = Fgrid->maximumViewportSize().width();
        if (Fgrid->verticalScrollBar()->isVisible()) dentro -= Fgrid->verticalScrollBar()->width();
        AjustarColunas(long(dentro) * kTwips);
        // The current row stays in view: the first size comes after the load,
        // whose scrolling happened before the grid had its size.
        Fgrid->scrollTo(Fgrid->model()->index(Fgrid->Row(), 1));
        Fgrid->Refresh();
    } catch (...) {
    }
}

// The columns fill the grid's width and no more, so the rows never scroll
// sideways. With room to spare every column keeps the width its header was
// drawn for and the history takes the rest (at least as wide as the account).
// With less, each column keeps its caption whole (and a date, an amount) and
// the columns share what is left in the proportion of what they gave up.
void frmPendencias::AjustarColunas(long dentro) {
    const int n = Fgrid->Cols();
    if (larguras_.size() != std::size_t(n) || n != 8) return;
    const QFontMetrics fm = Fgrid->fontMetrics();
    auto twips = [&fm](const QString &t) { return long(fm.horizontalAdvance(t) + 8) * kTwips; };
    std::vector<long> proprias = larguras_;
    std::vector<long> minimas(larguras_.size());
    proprias[7] = std::min(proprias[7], proprias[4]);
    minimas[0] = proprias[0];
    for (int c = 1; c < n; ++c) minimas[std::size_t(c)] = std::min(proprias[std::size_t(c)], twips(Fgrid->TextMatrix(0, c)));
    minimas[2] = std::max(minimas[2], std::min(proprias[2], twips(QStringLiteral("00/00/0000"))));
    minimas[3] = std::max(minimas[3], std::min(proprias[3], twips(QStringLiteral("-000.000,00"))));
    long somaProprias = 0, somaMinimas = 0;
    for (int c = 0; c < n; ++c) somaProprias += proprias[std::size_t(c)], somaMinimas += minimas[std::size_t(c)];
    if (dentro >= somaProprias) {
        for (int c = 0; c < 7; ++c) Fgrid->setColWidth(c, proprias[std::size_t(c)]);
        Fgrid->setColWidth(7, dentro - (somaProprias - proprias[7]));
        return;
    }
    const long cedido = somaProprias - somaMinimas, falta = somaProprias - std::max(dentro, somaMinimas);
    long usado = 0;
    for (int c = 0; c < 7; ++c) {
        const long folga = proprias[std::size_t(c)] - minimas[std::size_t(c)];
        long w = proprias[std::size_t(c)] - (cedido > 0 ? folga * falta / cedido : 0);
        w -= w % kTwips; // the grid keeps whole pixels
        Fgrid->setColWidth(c, w);
        usado += w;
    }
    Fgrid->setColWidth(7, std::max(dentro, somaMinimas) - usado);
}

// ---- opening ----------------------------------------------------------------------

frmPendencias *AbrirPendencias(const QString &sql, QMdiArea *area) {
    if (area && !platform::ui::Forms::mdiArea()) platform::ui::Forms::setMdiArea(area);
    auto *f = new frmPendencias();
    f->Load();
    f->setSQL(sql);
    f->ShowModeless();
    return f;
}

} // namespace pending
