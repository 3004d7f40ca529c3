#include "platform/widgets/FlexGrid.h"

#include "platform/err/AppError.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace widgets {

namespace {
constexpr long kErrSubscrito = 381;
constexpr long kErrUltimaLinha = 30015;
constexpr long kErrValorInvalido = 380;
constexpr long kTwipsPorPixel = 15;
const QColor kFixa(212, 208, 200);
const QColor kSelecao(10, 36, 106);
} // namespace

FlexGrid::FlexGrid(QWidget *parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    setRowCount(2);
    setColumnCount(2);
    rowData_.assign(2, 0);
    align_.assign(2, 0);
    // Pixel scrolling keeps the cells under the fixed bands in step with
    // them whatever the widths of the columns.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    fixaColuna_ = fixa();
    fixaLinha_ = fixa();
    fixaCanto_ = fixa();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, fixaColuna_->verticalScrollBar(), &QScrollBar::setValue);
    connect(fixaColuna_->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, fixaLinha_->horizontalScrollBar(), &QScrollBar::setValue);
    connect(fixaLinha_->horizontalScrollBar(), &QScrollBar::valueChanged, horizontalScrollBar(), &QScrollBar::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int w) {
        for (QTableView *v : {fixaLinha_, fixaColuna_, fixaCanto_}) v->setColumnWidth(c, w);
        posicionarFixas();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this, [this](int r, int, int h) {
        for (QTableView *v : {fixaLinha_, fixaColuna_, fixaCanto_}) v->setRowHeight(r, h);
        posicionarFixas();
    });
    connect(this, &QTableWidget::cellPressed, this, &FlexGrid::aoClicar);
    connect(this, &QTableWidget::cellEntered, this, [this](int r, int c) {
        if (!(QApplication::mouseButtons() & Qt::LeftButton) || r < 1) return;
        rowSel_ = r;
        colSel_ = std::max(c, 1);
        aplicarSelecao();
        emit SelChange();
    });
}

// ---- fixed row and column ----------------------------------------------------

QTableView *FlexGrid::fixa() {
    auto *v = new QTableView(this);
    v->setModel(model());
    v->horizontalHeader()->hide();
    v->verticalHeader()->hide();
    v->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    v->setFocusPolicy(Qt::NoFocus);
    v->setSelectionMode(QAbstractItemView::NoSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    v->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    v->setFrameShape(QFrame::NoFrame);
    v->setWordWrap(false);
    v->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    // A click on a fixed cell is a click on the grid.
    connect(v, &QTableView::pressed, this, [this](const QModelIndex &i) {
        setFocus();
        aoClicar(i.row(), i.column());
    });
    return v;
}

void FlexGrid::posicionarFixas() {
    if (!fixaCanto_) return;
    const QRect vp = viewport()->geometry();
    const int h = std::min(rowHeight(0), vp.height()), w = std::min(columnWidth(0), vp.width());
    fixaLinha_->setGeometry(vp.x(), vp.y(), vp.width(), h);
    fixaColuna_->setGeometry(vp.x(), vp.y(), w, vp.height());
    fixaCanto_->setGeometry(vp.x(), vp.y(), w, h);
    for (QTableView *v : {fixaLinha_, fixaColuna_, fixaCanto_}) {
        v->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        for (int c = 0; c < columnCount(); ++c) v->setColumnWidth(c, columnWidth(c));
    }
    fixaLinha_->verticalScrollBar()->setValue(0);
    fixaColuna_->horizontalScrollBar()->setValue(0);
    fixaColuna_->verticalScrollBar()->setValue(verticalScrollBar()->value());
    fixaLinha_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    fixaLinha_->raise();
    fixaColuna_->raise();
    fixaCanto_->raise();
}

void FlexGrid::resizeEvent(QResizeEvent *e) {
    QTableWidget::resizeEvent(e);
    posicionarFixas();
}

void FlexGrid::updateGeometries() {
    QTableWidget::updateGeometries();
    posicionarFixas();
}

void FlexGrid::scrollTo(const QModelIndex &index, ScrollHint hint) {
    QTableWidget::scrollTo(index, hint);
    if (!index.isValid()) return;
    const QRect r = visualRect(index);
    if (index.row() > 0 && r.top() < rowHeight(0))
        verticalScrollBar()->setValue(verticalScrollBar()->value() - (rowHeight(0) - r.top()));
    if (index.column() > 0 && r.left() < columnWidth(0))
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (columnWidth(0) - r.left()));
}

// ---- cells ----------------------------------------------------------------------

QTableWidgetItem *FlexGrid::celula(int r, int c) {
    QTableWidgetItem *it = item(r, c);
    if (!it) {
        it = new QTableWidgetItem();
        if (r == 0 || c == 0) it->setBackground(kFixa);
        if (c < int(align_.size()) && r > 0)
            it->setTextAlignment(Qt::AlignVCenter |
                                 (align_[std::size_t(c)] == 2   ? Qt::AlignRight
                                  : align_[std::size_t(c)] == 1 ? Qt::AlignHCenter
                                                                : Qt::AlignLeft));
        setItem(r, c, it);
    }
    return it;
}

QTableWidgetItem *FlexGrid::celula(int r, int c) const { return item(r, c); }

void FlexGrid::requireRow(int r) const {
    if (r < 0 || r >= rowCount())
        throw err::AppError(kErrSubscrito, QStringLiteral("FlexGrid"), QStringLiteral("Índice de linha inválido."));
}

void FlexGrid::requireCol(int c) const {
    if (c < 0 || c >= columnCount())
        throw err::AppError(kErrSubscrito, QStringLiteral("FlexGrid"), QStringLiteral("Índice de coluna inválido."));
}

void FlexGrid::setFormatString(const QString &format) {
    format_ = format;
    const QStringList cols = format.split(QLatin1Char('|'));
    setCols(int(cols.size()));
    align_.assign(cols.size(), 0);
    // The headers' widths were drawn for an 8-point font in which a blank is
    // half as wide as a character; in ours blanks are narrower against the
    // capitals the columns show, and the columns would hold fewer characters
    // than they were made for. A column holds as many of our characters as
    // its header has characters, counting each blank as half of one.
    const QFontMetrics fm = fontMetrics();
    const QString amostra = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    const double caractere = double(fm.horizontalAdvance(amostra)) / double(amostra.size());
    for (int c = 0; c < cols.size(); ++c) {
        QString h = cols[c];
        if (h.startsWith(QLatin1Char('<'))) h.remove(0, 1);
        else if (h.startsWith(QLatin1Char('^'))) align_[std::size_t(c)] = 1, h.remove(0, 1);
        else if (h.startsWith(QLatin1Char('>'))) align_[std::size_t(c)] = 2, h.remove(0, 1);
        const double brancos = double(h.count(QLatin1Char(' ')));
        const double caracteres = double(h.size()) - brancos / 2.0;
        setColumnWidth(c, std::max(fm.horizontalAdvance(h.trimmed()), int(std::lround(caracteres * caractere))) + 8);
        QTableWidgetItem *it = celula(0, c);
        it->setText(h.trimmed());
        it->setTextAlignment(Qt::AlignCenter);
        for (int r = 1; r < rowCount(); ++r)
            if (QTableWidgetItem *d = item(r, c))
                d->setTextAlignment(Qt::AlignVCenter | (align_[std::size_t(c)] == 2   ? Qt::AlignRight
                                                        : align_[std::size_t(c)] == 1 ? Qt::AlignHCenter
                                                                                      : Qt::AlignLeft));
    }
}

void FlexGrid::setRows(int n) {
    n = std::max(n, 2);
    setRowCount(n);
    rowData_.resize(std::size_t(n), 0);
    row_ = std::min(row_, n - 1);
    rowSel_ = std::min(rowSel_, n - 1);
    aplicarSelecao(true);
}

void FlexGrid::setCols(int n) {
    n = std::max(n, 2);
    setColumnCount(n);
    align_.resize(std::size_t(n), 0);
    col_ = std::min(col_, n - 1);
    colSel_ = std::min(colSel_, n - 1);
    aplicarSelecao();
}

void FlexGrid::setRow(int r) {
    requireRow(r);
    row_ = r;
    rowSel_ = r;
    aplicarSelecao();
    sincronizarCelulaAtual();
    emit SelChange();
}

void FlexGrid::setCol(int c) {
    requireCol(c);
    col_ = c;
    colSel_ = c;
    aplicarSelecao();
    sincronizarCelulaAtual();
    emit SelChange();
}

void FlexGrid::setRowSel(int r) {
    requireRow(r);
    rowSel_ = r;
    aplicarSelecao();
    emit SelChange();
}

void FlexGrid::setColSel(int c) {
    requireCol(c);
    colSel_ = c;
    aplicarSelecao();
    emit SelChange();
}

int FlexGrid::TopRow() const {
    // The first row wholly below the fixed row.
    const int y = rowHeight(0);
    int r = rowAt(y);
    if (r > 0 && rowViewportPosition(r) < y && r + 1 < rowCount()) ++r;
    return r < 1 ? 1 : r;
}

void FlexGrid::setTopRow(int r) {
    requireRow(r);
    if (r < 1) r = 1;
    scrollTo(model()->index(r, 0), QAbstractItemView::PositionAtTop);
}

long FlexGrid::RowData(int r) const {
    requireRow(r);
    return rowData_[std::size_t(r)];
}

void FlexGrid::setRowData(int r, long v) {
    requireRow(r);
    rowData_[std::size_t(r)] = v;
}

QString FlexGrid::TextMatrix(int r, int c) const {
    requireRow(r);
    requireCol(c);
    const QTableWidgetItem *it = celula(r, c);
    return it ? it->text() : QString();
}

void FlexGrid::setTextMatrix(int r, int c, const QString &t) {
    requireRow(r);
    requireCol(c);
    celula(r, c)->setText(t);
}

int FlexGrid::ColAlignment(int c) const {
    requireCol(c);
    return align_[std::size_t(c)];
}

long FlexGrid::ColWidth(int c) const {
    requireCol(c);
    return long(columnWidth(c)) * kTwipsPorPixel;
}

void FlexGrid::setColWidth(int c, long twips) {
    requireCol(c);
    if (twips < 0) throw err::AppError(kErrValorInvalido, QStringLiteral("FlexGrid"), QStringLiteral("Valor de propriedade inválido."));
    setColumnWidth(c, int(twips / kTwipsPorPixel));
}

void FlexGrid::Refresh() {
    viewport()->update();
    update();
}

void FlexGrid::AddItem(const QString &texto, int index) {
    const int r = index < 0 ? rowCount() : index;
    if (r < 1 || r > rowCount())
        throw err::AppError(kErrSubscrito, QStringLiteral("FlexGrid"), QStringLiteral("Índice de linha inválido."));
    insertRow(r);
    rowData_.insert(rowData_.begin() + r, 0);
    const QStringList cells = texto.split(QLatin1Char('\t'));
    for (int c = 0; c < columnCount(); ++c) celula(r, c)->setText(c < cells.size() ? cells[c] : QString());
    if (r < rowCount() - 1) {
        if (r <= row_) ++row_;
        if (r <= rowSel_) ++rowSel_;
        aplicarSelecao(true);
    }
}

void FlexGrid::AddItems(const QStringList &items) {
    if (items.isEmpty()) return;
    const int r0 = rowCount();
    setRowCount(r0 + int(items.size()));
    rowData_.resize(std::size_t(rowCount()), 0);
    {
        // The rows are in the view already; their cells need no signal each.
        const QSignalBlocker bloqueio(model());
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QStringList cells = items[i].split(QLatin1Char('\t'));
            for (int c = 0; c < columnCount(); ++c) celula(r0 + int(i), c)->setText(c < cells.size() ? cells[c] : QString());
        }
    }
    viewport()->update();
}

void FlexGrid::RemoveItem(int index) {
    requireRow(index);
    if (index < 1 || rowCount() <= 2)
        throw err::AppError(kErrUltimaLinha, QStringLiteral("FlexGrid"),
                            QStringLiteral("Não é possível remover a última linha não fixa."));
    removeRow(index);
    rowData_.erase(rowData_.begin() + index);
    row_ = std::clamp(row_ > index ? row_ - 1 : row_, 1, rowCount() - 1);
    rowSel_ = std::clamp(rowSel_ > index ? rowSel_ - 1 : rowSel_, 1, rowCount() - 1);
    aplicarSelecao(true);
}

void FlexGrid::aoClicar(int r, int c) {
    if (r < 1) return;
    row_ = rowSel_ = r;
    col_ = colSel_ = std::max(c, 1);
    aplicarSelecao();
    sincronizarCelulaAtual();
    emit SelChange();
}

// ---- keys -------------------------------------------------------------------------

void FlexGrid::sincronizarCelulaAtual() {
    if (row_ < 1 || row_ >= rowCount() || columnCount() < 2) return;
    const QModelIndex alvo = model()->index(row_, std::clamp(col_, 1, columnCount() - 1));
    if (currentIndex() == alvo) return;
    // Setting a cell from the program scrolls nothing, as before.
    const bool rolar = hasAutoScroll();
    setAutoScroll(false);
    sincronizando_ = true;
    selectionModel()->setCurrentIndex(alvo, QItemSelectionModel::NoUpdate);
    sincronizando_ = false;
    setAutoScroll(rolar);
}

void FlexGrid::keyPressEvent(QKeyEvent *e) {
    teclando_ = true;
    teclas_ = e->modifiers();
    QTableWidget::keyPressEvent(e);
    teclando_ = false;
}

// The keys never take the current cell into the fixed row or column.
QModelIndex FlexGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    QModelIndex i = QTableWidget::moveCursor(cursorAction, modifiers);
    if (!i.isValid() || rowCount() < 2 || columnCount() < 2) return i;
    return model()->index(std::max(i.row(), 1), std::max(i.column(), 1));
}

void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableWidget::currentChanged(current, previous);
    if (sincronizando_ || !teclando_ || !current.isValid() || current.row() < 1) return;
    rowSel_ = current.row();
    colSel_ = std::max(current.column(), 1);
    if (!(teclas_ & Qt::ShiftModifier)) {
        row_ = rowSel_;
        col_ = colSel_;
    }
    aplicarSelecao();
    emit SelChange();
}

void FlexGrid::pintar(int r, int c, bool sel) {
    QTableWidgetItem *it = item(r, c);
    if (!it && !sel) return;
    it = celula(r, c);
    it->setBackground(sel ? kSelecao : (c == 0 ? kFixa : QColor(Qt::white)));
    it->setForeground(sel ? QColor(Qt::white) : QColor(Qt::black));
}

void FlexGrid::aplicarSelecao(bool completo) {
    const int r0 = std::min(row_, rowSel_), r1 = std::max(row_, rowSel_);
    const int c0 = std::max(1, std::min(col_, colSel_)), c1 = std::max(col_, colSel_);
    auto dentro = [&](int r, int c) { return r >= r0 && r <= r1 && c >= c0 && c <= c1; };
    if (completo) {
        for (int r = 1; r < rowCount(); ++r)
            for (int c = 0; c < columnCount(); ++c) pintar(r, c, dentro(r, c));
    } else {
        // Only the cells of the old and the new selection change colour.
        for (int r = std::max(1, pintado_[0]); r <= std::min(pintado_[1], rowCount() - 1); ++r)
            for (int c = pintado_[2]; c <= std::min(pintado_[3], columnCount() - 1); ++c)
                if (!dentro(r, c)) pintar(r, c, false);
        for (int r = r0; r <= std::min(r1, rowCount() - 1); ++r)
            for (int c = c0; c <= std::min(c1, columnCount() - 1); ++c) pintar(r, c, true);
    }
    pintado_[0] = r0;
    pintado_[1] = r1;
    pintado_[2] = c0;
    pintado_[3] = c1;
}

} // namespace widgets
