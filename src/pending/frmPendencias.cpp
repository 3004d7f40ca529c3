#include "pending/frmPendencias.h"

#include "pending/frmPendenciasComum.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/CLockWindowUpdate.h"
#include "ui/Errors.h"
#include "ui/FileiraDeBotoes.h"
#include "ui/MsgBox.h"
#include "core/escrita/Permissoes.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/widgets/FlexGrid.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSet>
#include <QStyle>
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
    auto botao = [this](const char *nome, const QString &texto) {
        auto *b = new QPushButton(texto, picBotton);
        b->setObjectName(QString::fromLatin1(nome));
        return b;
    };
    cmdImprimir = botao("cmdImprimir", QStringLiteral("&Imprimir"));
    cmdEstornar = botao("cmdEstornar", QStringLiteral("Est&ornar"));
    cmdBaixar = botao("cmdBaixar", QStringLiteral("&Baixar"));
    cmdRemBaixa = botao("cmdRemBaixa", QStringLiteral("&Remover Baixa"));
    cmdCancel = botao("cmdCancel", QStringLiteral("&Fechar"));
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
    arrumarBotoes();
    Fgrid->setGeometry(0, 0, width(), picBotton->y());
}

frmPendencias::~frmPendencias() = default;

QSize frmPendencias::sizeHint() const { return QSize(10035 / kTwips, 5340 / kTwips); }

// ---- load, activation, unload -------------------------------------------------

void frmPendencias::Form_Load() {
    try {
        ui::InstalarWindowProc(this, ui::FormWindowProc);
        setWindowTitle(QStringLiteral("Lançamentos Pendentes e Baixas"));
        podeTransferir_ = core::escrita::PodeOperarTransferencias(*ui::gDB, ui::gIdUsuario, int(ui::gTipoUsuario));
        if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
        ConfigurarGrid();
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmPendencias", "Form_Load");
    }
}

void frmPendencias::Form_Activate() {
    // The message of an empty list lets the window system run, which activates
    // the list again before its close arrives: only the first activation does
    // the work, whether it succeeded or not (a failure closes the window).
    if (ativacaoTentada_) return;
    ativacaoTentada_ = true;
    try {
        linhas_.clear();
        // Unavailable to the user until the query has given its rows.
        setEnabled(false);
        ExibirPendencias();
        Fgrid->setCol(2);
        jaAtivada_ = true;
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmPendencias", "Form_Activate");
    }
}

void frmPendencias::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        ui::RemoverWindowProc(this);
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
        ui::CHourGlass hg;
        hg.Show(true);
        rs = ui::gDB->OpenRecordset(sql_, dao::dbOpenSnapshot);
        try {
            rs->MoveNext();
            rs->MoveFirst();
        } catch (...) {
        }
        if (rs->RecordCount() == 0) {
            ui::MsgBox(kMsgNadaPendente, platform::ui::vbInformation, platform::App::Title());
            cancelar();
        }
        setEnabled(true);
        ui::CLockWindowUpdate trava;
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
        // The widest texts of the columns whose width follows what they show.
        QSet<QString> nomes[2];
        QString maisLongo[2]; // amount, document: the longest by characters
        const int cId = coluna("Id"), cConta = coluna("CodConta"), cTipo = coluna("CodRecDesp"), cEstorno = coluna("Estorno"),
                  cEstornado = coluna("Estornado"), cRealizado = coluna("Realizado"), cTransf = coluna("Transferencia"),
                  cDataId = coluna("DataId"), cData = coluna("Data"), cValor = coluna("Valor"), cDesConta = coluna("DesConta"),
                  cDesTipo = coluna("DesMovimentacao"), cDoc = coluna("Documento"), cHist = coluna("Historico");
        for (; !rs->Eof(); rs->MoveNext()) {
            const value::Value doc = rs->Field(cDoc);
            core::escrita::CRowData r;
            r.Serial = long(rs->Field(cId).toInt());
            r.CodConta = rs->Field(cConta).toString();
            r.CodRecDesp = rs->Field(cTipo).toString();
            r.Estorno = rs->Field(cEstorno).toBool();
            r.Estornado = rs->Field(cEstornado).toBool();
            r.Realizado = rs->Field(cRealizado).toString();
            r.Transferencia = std::uint8_t(rs->Field(cTransf).toInt());
            r.DataId = rs->Field(cDataId).toString();
            const QString valor = rs->Field(cValor).toCurrency().toBr(), desConta = rs->Field(cDesConta).toString(),
                          desTipo = rs->Field(cDesTipo).toString(), documento = doc.isNull() ? QString() : doc.toString();
            celulas << QString() + tab + r.Realizado + tab + ddmmaaaa(rs->Field(cData).toDate().date()) + tab + valor +
                           tab + desConta + tab + desTipo + tab + documento + tab + rs->Field(cHist).toString();
            nomes[0].insert(desConta);
            nomes[1].insert(desTipo);
            if (valor.size() > maisLongo[0].size()) maisLongo[0] = valor;
            if (documento.size() > maisLongo[1].size()) maisLongo[1] = documento;
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
        medirTexto(3, maisLongo[0]);
        for (int i = 0; i < 2; ++i)
            for (const QString &nome : std::as_const(nomes[i])) medirTexto(4 + i, nome);
        medirTexto(6, maisLongo[1]);
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
        // The rows added may need the vertical scroll bar, which takes width
        // from the columns: they are fitted again and the bars settled before
        // the last row is brought into view, so that no bar appears over it.
        ajustarGrade();
        Fgrid->setTopRow(std::max(1, Fgrid->Rows() - 10));
        // Fewer than ten rows may fit the window.
        Fgrid->scrollTo(Fgrid->model()->index(ultima, 1));
        Fgrid->setRow(ultima);
        Fgrid->setRowSel(ultima);
    } catch (...) {
    }
}

long frmPendencias::adicionarLinha(const QStringList &celulas, const core::escrita::CRowData &registro) {
    for (int c = 3; c <= 6 && c < celulas.size(); ++c) medirTexto(c, celulas[c]);
    Fgrid->AddItem(celulas.join(QLatin1Char('\t')));
    ++contador_;
    linhas_.insert(QString::number(contador_), registro);
    Fgrid->setRowData(Fgrid->Rows() - 1, contador_);
    return contador_;
}

core::escrita::CRowData *frmPendencias::registroSelecionado() {
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
        if (const core::escrita::CRowData *r = registroSelecionado()) {
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
    if (minimizada || height() * kTwips < ui::kAlturaDoLeiaute || width() * kTwips < ui::kLarguraDoLeiaute) return;
    // The panel follows at once; the grid once the resize has finished.
    arrumarBotoes();
    ui::PostarGridResize(this);
}

// The buttons follow the window's width as in the result windows
// (ui::ArrumarBotoes): at the designed width they stand where they were
// drawn (no caption needs more than its button's designed width gives it),
// narrower they take the width their captions need, then a second row.
void frmPendencias::arrumarBotoes() {
    static const ui::MedidasDosBotoes kMedidas{.esquerda = 240 / kTwips,
                                               .direita = (10035 - 8220 - 1665) / kTwips,
                                               .espaco = 330 / kTwips,
                                               .entre = 60 / kTwips,
                                               .topo = 60 / kTwips,
                                               .baixo = (kAlturaPainel - 60 - 375) / kTwips,
                                               .altura = 375 / kTwips,
                                               .largura = 1665 / kTwips,
                                               .ar = 16,
                                               .larguraDoLeiaute = (ui::kLarguraDoLeiaute + kTwips - 1) / kTwips};
    ui::ArrumarBotoes(picBotton, {cmdImprimir, cmdEstornar, cmdBaixar, cmdRemBaixa, cmdCancel}, kMedidas);
}

void frmPendencias::ResizeGrid() {
    try {
        // What the user sees stays where it is: the first row and column
        // shown, and the current row when it was in view (the first size
        // comes after the load, which brought the last row into view).
        const int topo = Fgrid->verticalScrollBar()->value();
        const int esquerda = Fgrid->horizontalScrollBar()->value();
        const bool atualAVista = linhaAVista(Fgrid->Row());
        Fgrid->setGeometry(0, 0, width(), height() - picBotton->height());
        ajustarGrade();
        Fgrid->verticalScrollBar()->setValue(topo);
        Fgrid->horizontalScrollBar()->setValue(esquerda);
        if (atualAVista) trazerLinha(Fgrid->Row());
        Fgrid->Refresh();
    } catch (...) {
    }
}

bool frmPendencias::linhaAVista(int linha) const {
    if (linha < 1 || linha >= Fgrid->Rows()) return false;
    const int y = Fgrid->rowViewportPosition(linha);
    return y >= Fgrid->rowHeight(0) && y + Fgrid->rowHeight(linha) <= Fgrid->viewport()->height();
}

// Scrolls up or down, no more than needed, until the whole row shows below the fixed row.
void frmPendencias::trazerLinha(int linha) {
    if (linha < 1 || linha >= Fgrid->Rows() || linhaAVista(linha)) return;
    QScrollBar *barra = Fgrid->verticalScrollBar();
    const int y = Fgrid->rowViewportPosition(linha), h = Fgrid->rowHeight(linha);
    if (y < Fgrid->rowHeight(0)) barra->setValue(barra->value() - (Fgrid->rowHeight(0) - y));
    else barra->setValue(barra->value() + (y + h - Fgrid->viewport()->height()));
}

// The columns fitted to the width inside the grid, less the vertical scroll
// bar when the rows need it; then the grid shows or hides its scroll bars at
// once (it would otherwise do so later, and a bar that appears after a row was
// brought into view covers it).
void frmPendencias::ajustarGrade() {
    const QSize livre = Fgrid->maximumViewportSize();
    const int barra = Fgrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Fgrid);
    int altura = 0;
    for (int r = 0; r < Fgrid->Rows(); ++r) altura += Fgrid->rowHeight(r);
    bool vertical = altura > livre.height();
    const long largura = AjustarColunas(long(livre.width() - (vertical ? barra : 0)) * kTwips);
    // Columns wider than the grid bring the horizontal bar, which may bring the vertical one.
    if (!vertical && largura > long(livre.width()) * kTwips && altura > livre.height() - barra) {
        vertical = true;
        AjustarColunas(long(livre.width() - barra) * kTwips);
    }
    Fgrid->doItemsLayout();
    QCoreApplication::sendPostedEvents(Fgrid, QEvent::MetaCall);
}

// The width a column needs for this text whole, kept when it is the widest so far.
void frmPendencias::medirTexto(int coluna, const QString &texto) {
    if (coluna < 0 || coluna >= 8 || texto.isEmpty()) return;
    const long w = long(Fgrid->fontMetrics().horizontalAdvance(texto) + 8) * kTwips;
    conteudo_[std::size_t(coluna)] = std::max(conteudo_[std::size_t(coluna)], w);
}

// With room to spare every column keeps the width its header was drawn for
// (or what its widest text needs, when more) and the history takes the rest,
// at least as wide as the account. With less, no column goes below its
// caption, the dates and amounts below the widest the list can show, the
// account and type names below their widest text (up to 20 characters); the
// width left over goes to the names first, so that two
// accounts are told apart. Narrower still, the columns keep those widths and
// the grid scrolls sideways.
// Returns the width of all columns, in twips.
long frmPendencias::AjustarColunas(long dentro) {
    const int n = Fgrid->Cols();
    if (larguras_.size() != std::size_t(n) || n != 8) return 0;
    const QFontMetrics fm = Fgrid->fontMetrics();
    auto twips = [&fm](const QString &t) { return long(fm.horizontalAdvance(t) + 8) * kTwips; };
    std::vector<long> proprias = larguras_;
    std::vector<long> minimas(larguras_.size());
    for (int c = 3; c <= 6; ++c) proprias[std::size_t(c)] = std::max(proprias[std::size_t(c)], conteudo_[std::size_t(c)]);
    proprias[7] = std::min(proprias[7], proprias[4]);
    minimas[0] = proprias[0];
    for (int c = 1; c < n; ++c) minimas[std::size_t(c)] = std::min(proprias[std::size_t(c)], twips(Fgrid->TextMatrix(0, c)));
    minimas[2] = std::max(minimas[2], twips(QStringLiteral("00/00/0000")));
    minimas[3] = std::max({minimas[3], twips(QStringLiteral("-99.999.999,99")), conteudo_[3]});
    // A name is cut only past 20 characters.
    const QString amostra = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const long nome = long(fm.horizontalAdvance(amostra) * 20 / amostra.size() + 8) * kTwips;
    for (int c = 4; c <= 5; ++c)
        minimas[std::size_t(c)] = std::max(minimas[std::size_t(c)], std::min(conteudo_[std::size_t(c)], nome));
    for (int c = 1; c < n; ++c) proprias[std::size_t(c)] = std::max(proprias[std::size_t(c)], minimas[std::size_t(c)]);
    long somaProprias = 0, somaMinimas = 0;
    for (int c = 0; c < n; ++c) somaProprias += proprias[std::size_t(c)], somaMinimas += minimas[std::size_t(c)];

    if (dentro >= somaProprias) {
        long usado = 0;
        for (int c = 0; c < 7; ++c) {
            Fgrid->setColWidth(c, proprias[std::size_t(c)]);
            usado += Fgrid->ColWidth(c);
        }
        Fgrid->setColWidth(7, dentro - usado);
        return usado + Fgrid->ColWidth(7);
    }
    // Each column at its least; what is left goes first to the names, then to
    // the document, then to the code, date and amount, the rest to the history.
    std::vector<long> w = minimas;
    long sobra = std::max(0L, dentro - somaMinimas);
    for (std::initializer_list<int> grupo : {std::initializer_list<int>{4, 5}, {6}, {1, 2, 3}}) {
        long folga = 0;
        for (int c : grupo) folga += proprias[std::size_t(c)] - w[std::size_t(c)];
        if (folga <= 0 || sobra <= 0) continue;
        const long dado = std::min(sobra, folga);
        for (int c : grupo) {
            long mais = (proprias[std::size_t(c)] - w[std::size_t(c)]) * dado / folga;
            mais -= mais % kTwips; // the grid keeps whole pixels (the least widths are whole pixels)
            w[std::size_t(c)] += mais;
            sobra -= mais;
        }
    }
    long usado = 0;
    for (int c = 0; c < 7; ++c) {
        Fgrid->setColWidth(c, w[std::size_t(c)]);
        usado += Fgrid->ColWidth(c);
    }
    Fgrid->setColWidth(7, std::max(dentro - usado, minimas[7]));
    return usado + Fgrid->ColWidth(7);
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
