#include "platform/widgets/DataGrid.h"

#include "platform/err/AppError.h"
#include "platform/widgets/CodigosDoMouse.h"
#include "platform/widgets/DataControl.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace widgets {

namespace {
const QString kFonte = QStringLiteral("DataGrid");
constexpr long kErrSubscrito = 381;

err::AppError semRegistro() { return {err::db::kNoCurrentRecord, kFonte, QStringLiteral("Nenhum registro atual.")}; }
err::AppError foraDoIntervalo() { return {kErrSubscrito, kFonte, QStringLiteral("Índice fora do intervalo.")}; }
err::AppError indicadorInvalido() { return {err::db::kInvalidBookmark, kFonte, QStringLiteral("Indicador inválido.")}; }

bool eMoeda(const QString &format) { return format.compare(QStringLiteral("Currency"), Qt::CaseInsensitive) == 0; }

} // namespace

QString FormatarCampo(const value::Value &v, const QString &format) {
    if (v.isNull()) return QString();
    if (format.compare(QStringLiteral("Short Date"), Qt::CaseInsensitive) == 0) return value::toBr(v.toDate());
    if (eMoeda(format)) {
        value::Currency c;
        try {
            c = v.toCurrency();
        } catch (const err::AppError &) {
            // A figure past the range of money (a sum the engine widened) is
            // shown as the number it is; a cell is drawn, never an error raised.
            return v.toString();
        }
        // The sign goes before the symbol. The text is cut rather than the
        // amount negated: the most negative amount has no opposite.
        QString t = c.toBr();
        if (t.startsWith(QLatin1Char('-'))) t.remove(0, 1);
        return c < value::Currency() ? QStringLiteral("-R$ ") + t : QStringLiteral("R$ ") + t;
    }
    return v.toString();
}

// Reads the rows through a clone of the bound recordset, so that painting
// never moves the recordset's current row; the clone shares the rows.
class DataGridModel : public QAbstractTableModel {
public:
    explicit DataGridModel(DataGrid *grid) : QAbstractTableModel(grid), grid_(grid) {}

    void reset(const dao::Recordset *rs) {
        beginResetModel();
        rows_.reset();
        count_ = 0;
        current_ = -1;
        if (rs && rs->isOpen()) {
            try {
                rows_ = rs->Clone();
                count_ = rows_->RecordCount();
            } catch (const err::AppError &) {
                rows_.reset();
                count_ = 0;
            }
        }
        bindFields();
        endResetModel();
    }
    void setCurrent(long row) {
        if (row == current_) return;
        const long old = current_;
        current_ = row;
        if (old >= 0 && old < count_) emit headerDataChanged(Qt::Vertical, int(old), int(old));
        if (row >= 0 && row < count_) emit headerDataChanged(Qt::Vertical, int(row), int(row));
    }
    void captionsChanged() {
        if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
    void cellsChanged() {
        bindFields();
        if (count_ > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(int(count_) - 1, columnCount() - 1));
    }

    long count() const { return count_; }
    dao::Recordset *rows() const { return rows_.get(); }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(count_); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : grid_->ColumnCount(); }
    QVariant data(const QModelIndex &ix, int role) const override {
        if (!ix.isValid() || ix.column() >= grid_->ColumnCount()) return {};
        const QString &fmt = grid_->cols_[std::size_t(ix.column())].format;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignVCenter | (eMoeda(fmt) ? Qt::AlignRight : Qt::AlignLeft));
        if (role != Qt::DisplayRole) return {};
        const std::size_t c = std::size_t(ix.column());
        if (!rows_ || c >= fieldIdx_.size() || fieldIdx_[c] < 0) return QString();
        try {
            rows_->SetAbsolutePosition(ix.row());
            return FormatarCampo(rows_->Field(fieldIdx_[c]), fmt);
        } catch (const err::AppError &) {
            return QString();
        }
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role == Qt::TextAlignmentRole && o == Qt::Horizontal) return QVariant::fromValue(Qt::AlignCenter);
        if (role != Qt::DisplayRole) return {};
        if (o == Qt::Horizontal)
            return section >= 0 && section < columnCount() ? grid_->cols_[std::size_t(section)].caption : QString();
        return section == current_ ? QStringLiteral("\u25B8") : QString();
    }

    void resetColumns() {
        beginResetModel();
        bindFields();
        endResetModel();
    }

private:
    void bindFields() {
        fieldIdx_.assign(grid_->cols_.size(), -1);
        if (!rows_) return;
        const int n = rows_->FieldCount();
        for (std::size_t c = 0; c < grid_->cols_.size(); ++c)
            for (int i = 0; i < n; ++i)
                if (!grid_->cols_[c].field.isEmpty() &&
                    rows_->FieldName(i).compare(grid_->cols_[c].field, Qt::CaseInsensitive) == 0) {
                    fieldIdx_[c] = i;
                    break;
                }
    }

    DataGrid *grid_;
    std::unique_ptr<dao::Recordset> rows_;
    long count_ = 0;
    long current_ = -1;
    std::vector<int> fieldIdx_;
};

// The table of the grid: tells the grid while a key of the user moves it.
class VistaDaGrade : public QTableView {
public:
    VistaDaGrade(DataGrid *grid) : QTableView(grid), grid_(grid) {}

protected:
    void keyPressEvent(QKeyEvent *e) override {
        grid_->teclando_ = true;
        QTableView::keyPressEvent(e);
        grid_->teclando_ = false;
    }

private:
    DataGrid *grid_;
};

// ---- columns ----

QString DataGridColumn::Caption() const { return grid_->cols_.at(std::size_t(index_)).caption; }
QString DataGridColumn::DataField() const { return grid_->cols_.at(std::size_t(index_)).field; }
QString DataGridColumn::NumberFormat() const { return grid_->cols_.at(std::size_t(index_)).format; }
int DataGridColumn::Width() const { return grid_->cols_.at(std::size_t(index_)).width; }
bool DataGridColumn::Visible() const { return grid_->cols_.at(std::size_t(index_)).visible; }

void DataGridColumn::setCaption(const QString &caption) {
    grid_->cols_.at(std::size_t(index_)).caption = caption;
    grid_->model_->captionsChanged();
}
void DataGridColumn::setDataField(const QString &field) {
    grid_->cols_.at(std::size_t(index_)).field = field;
    grid_->model_->cellsChanged();
}
void DataGridColumn::setNumberFormat(const QString &format) {
    grid_->cols_.at(std::size_t(index_)).format = format;
    grid_->model_->cellsChanged();
}
void DataGridColumn::setWidth(int pixels) {
    grid_->cols_.at(std::size_t(index_)).width = std::max(0, pixels);
    grid_->applyColumn(index_);
}
void DataGridColumn::setVisible(bool visible) {
    grid_->cols_.at(std::size_t(index_)).visible = visible;
    grid_->applyColumn(index_);
}
QString DataGridColumn::Text() const {
    dao::Recordset *rs = grid_->data_ ? grid_->data_->Recordset() : nullptr;
    if (!rs) throw semRegistro();
    const QString field = DataField();
    return FormatarCampo(field.isEmpty() ? value::Value() : rs->Field(field), NumberFormat());
}

// ---- selected bookmarks ----

dao::Bookmark SelBookmarksCollection::Item(int i) const {
    if (i < 0 || i >= Count()) throw foraDoIntervalo();
    return marks_[std::size_t(i)];
}

void SelBookmarksCollection::Add(dao::Bookmark b) {
    if (grid_->rowOf(b) < 0) throw indicadorInvalido();
    if (std::find(marks_.begin(), marks_.end(), b) == marks_.end()) marks_.push_back(b);
    grid_->applySelection();
}

void SelBookmarksCollection::Remove(int i) {
    if (i < 0 || i >= Count()) throw foraDoIntervalo();
    marks_.erase(marks_.begin() + i);
    grid_->applySelection();
}

// ---- grid ----

DataGrid::DataGrid(QWidget *parent) : QFrame(parent), sel_(this) {
    setFrameShape(QFrame::StyledPanel);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(1, 1, 1, 1);
    lay->setSpacing(0);
    caption_ = new QLabel(this);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setContentsMargins(0, 2, 0, 2);
    caption_->setFrameShape(QFrame::Panel);
    caption_->setFrameShadow(QFrame::Raised);
    caption_->hide();
    view_ = new VistaDaGrade(this);
    model_ = new DataGridModel(this);
    lay->addWidget(caption_);
    lay->addWidget(view_);

    view_->setModel(model_);
    view_->setSelectionMode(QAbstractItemView::NoSelection); // the grid keeps the selection itself
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setWordWrap(false);
    view_->setCornerButtonEnabled(false);
    QHeaderView *vh = view_->verticalHeader();
    vh->setSectionResizeMode(QHeaderView::Fixed);
    vh->setMinimumSectionSize(1);
    vh->setDefaultSectionSize(fontMetrics().height() + 4);
    vh->setFixedWidth(16);
    vh->setHighlightSections(false);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setMinimumSectionSize(1); // a column is as wide as it is set

    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &cur, const QModelIndex &) { onCurrentChanged(cur.row(), cur.column()); });
    connect(vh, &QHeaderView::sectionPressed, this,
            [this](int row) { selecionarPeloSeletor(row, teclasDoClique_); });

    for (QWidget *w : {static_cast<QWidget *>(view_->viewport()), static_cast<QWidget *>(vh->viewport()),
                       static_cast<QWidget *>(view_->horizontalHeader()->viewport()),
                       static_cast<QWidget *>(this)})
        w->installEventFilter(this);
}

DataGrid::~DataGrid() {
    // The view goes first: while the base class closes it, it must not call
    // back into a grid already taken apart. Its parts still reach this
    // grid's filter as they go, when what is left of the view is no longer a
    // table, so the grid forgets it before it goes.
    removeEventFilter(this);
    delete std::exchange(view_, nullptr);
}

void DataGrid::setDataSource(DataControl *data) {
    if (data_) disconnect(data_, nullptr, this, nullptr);
    data_ = data;
    if (data_) connect(data_, &DataControl::RecordsetChanged, this, &DataGrid::rebind);
    rebind();
}

QString DataGrid::Caption() const { return caption_->text(); }

void DataGrid::setCaption(const QString &caption) {
    caption_->setText(caption);
    caption_->setVisible(!caption.isEmpty());
}

void DataGrid::setColumnCount(int n) {
    cols_.resize(std::size_t(std::max(0, n)));
    model_->resetColumns();
    for (int i = 0; i < ColumnCount(); ++i) applyColumn(i);
    syncCurrentFromRecordset();
    applySelection();
}

DataGridColumn DataGrid::Columns(int i) {
    if (i < 0 || i >= ColumnCount()) throw foraDoIntervalo();
    return {this, i};
}

DataGridColumn DataGrid::Columns(int i) const { return const_cast<DataGrid *>(this)->Columns(i); }

void DataGrid::applyColumn(int i) {
    const Coluna &c = cols_[std::size_t(i)];
    view_->setColumnWidth(i, c.width);
    view_->setColumnHidden(i, !c.visible);
}

void DataGrid::requireRecordset() const {
    if (!data_ || !data_->Recordset() || !model_->rows()) throw semRegistro();
}

long DataGrid::rowOf(dao::Bookmark b) const {
    dao::Recordset *rows = model_->rows();
    if (!rows) return -1;
    try {
        rows->SetBookmark(b);
        return rows->AbsolutePosition();
    } catch (const err::AppError &) {
        return -1;
    }
}

dao::Bookmark DataGrid::bookmarkAt(long row) const {
    requireRecordset();
    if (row < 0 || row >= model_->count()) throw semRegistro();
    model_->rows()->SetAbsolutePosition(row);
    return model_->rows()->GetBookmark();
}

void DataGrid::rebind() {
    sel_.marks_.clear();
    model_->reset(data_ ? data_->Recordset() : nullptr);
    for (int i = 0; i < ColumnCount(); ++i) applyColumn(i);
    view_->verticalScrollBar()->setValue(0);
    syncCurrentFromRecordset();
    applySelection();
}

void DataGrid::Refresh() {
    const int topo = view_->verticalScrollBar()->value();
    const int esquerda = view_->horizontalScrollBar()->value();
    model_->reset(data_ ? data_->Recordset() : nullptr);
    for (int i = 0; i < ColumnCount(); ++i) applyColumn(i);
    std::erase_if(sel_.marks_, [this](dao::Bookmark b) { return rowOf(b) < 0; });
    view_->doItemsLayout();
    view_->verticalScrollBar()->setValue(topo);
    view_->horizontalScrollBar()->setValue(esquerda);
    syncCurrentFromRecordset();
    applySelection();
}

void DataGrid::applySelection() {
    QItemSelection s;
    if (model_->columnCount() > 0)
        for (dao::Bookmark b : sel_.marks_) {
            const long r = rowOf(b);
            if (r >= 0) s.select(model_->index(int(r), 0), model_->index(int(r), model_->columnCount() - 1));
        }
    view_->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
}

void DataGrid::syncCurrentFromRecordset() {
    dao::Recordset *rs = data_ ? data_->Recordset() : nullptr;
    long pos = -1;
    if (rs && rs->isOpen() && model_->rows()) pos = rs->AbsolutePosition();
    syncing_ = true;
    if (pos >= 0 && pos < model_->count()) {
        int col = view_->currentIndex().column();
        if (col < 0) {
            col = 0;
            while (col < ColumnCount() - 1 && view_->isColumnHidden(col)) ++col;
        }
        if (ColumnCount() > 0) {
            view_->selectionModel()->setCurrentIndex(model_->index(int(pos), col), QItemSelectionModel::NoUpdate);
            view_->scrollTo(model_->index(int(pos), col), QAbstractItemView::EnsureVisible);
        }
    } else {
        view_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        pos = -1;
    }
    model_->setCurrent(pos);
    syncing_ = false;
}

void DataGrid::onCurrentChanged(int row, int col) {
    if (syncing_) return;
    (void)col;
    dao::Recordset *rs = data_ ? data_->Recordset() : nullptr;
    bool selecionar = false;
    if (rs && rs->isOpen() && row >= 0 && row < rs->RecordCount()) {
        rs->SetAbsolutePosition(row);
        model_->setCurrent(row);
        if (teclando_ && selecaoSegueTeclas_) {
            const dao::Bookmark b = rs->GetBookmark();
            selecionar = sel_.marks_.size() != 1 || sel_.marks_.front() != b;
            if (selecionar) {
                sel_.marks_.assign(1, b);
                applySelection();
            }
        }
    }
    emit RowColChange();
    if (selecionar) emit SelChange();
}

void DataGrid::selecionarPeloSeletor(int row, Qt::KeyboardModifiers mods) {
    if (row < 0 || row >= model_->count()) return;
    const dao::Bookmark b = bookmarkAt(row);
    if (mods & Qt::ControlModifier) {
        auto it = std::find(sel_.marks_.begin(), sel_.marks_.end(), b);
        if (it != sel_.marks_.end()) sel_.marks_.erase(it);
        else sel_.marks_.push_back(b);
    } else {
        sel_.marks_.assign(1, b);
    }
    data_->Recordset()->SetBookmark(b);
    syncCurrentFromRecordset();
    applySelection();
    emit SelChange();
}

dao::Bookmark DataGrid::Bookmark() const {
    requireRecordset();
    return data_->Recordset()->GetBookmark();
}

void DataGrid::setBookmark(dao::Bookmark b) {
    requireRecordset();
    if (rowOf(b) < 0) throw indicadorInvalido();
    data_->Recordset()->SetBookmark(b);
    view_->doItemsLayout();
    syncCurrentFromRecordset();
    emit RowColChange();
}

int DataGrid::firstVisibleIndex() const {
    if (model_->count() == 0) return -1;
    const int r = view_->rowAt(0);
    return r < 0 ? 0 : r;
}

int DataGrid::Row() const {
    dao::Recordset *rs = data_ ? data_->Recordset() : nullptr;
    if (!rs || !rs->isOpen() || !model_->rows()) return -1;
    const long pos = rs->AbsolutePosition();
    if (pos < 0) return -1;
    const long rel = pos - firstVisibleIndex();
    return rel >= 0 && rel < VisibleRows() ? int(rel) : -1;
}

void DataGrid::setRow(int visibleRow) {
    requireRecordset();
    if (visibleRow < 0 || visibleRow >= VisibleRows()) throw foraDoIntervalo();
    data_->Recordset()->SetAbsolutePosition(firstVisibleIndex() + visibleRow);
    syncCurrentFromRecordset();
    emit RowColChange();
}

int DataGrid::Col() const { return view_->currentIndex().column(); }

dao::Bookmark DataGrid::FirstRow() const {
    requireRecordset();
    return bookmarkAt(firstVisibleIndex());
}

void DataGrid::setFirstRow(dao::Bookmark b) {
    requireRecordset();
    const long r = rowOf(b);
    if (r < 0) throw indicadorInvalido();
    view_->doItemsLayout();
    view_->verticalScrollBar()->setValue(int(r));
}

dao::Bookmark DataGrid::RowBookmark(int visibleRow) const {
    requireRecordset();
    if (visibleRow < 0 || visibleRow >= VisibleRows()) throw foraDoIntervalo();
    return bookmarkAt(firstVisibleIndex() + visibleRow);
}

int DataGrid::VisibleRows() const {
    const int first = firstVisibleIndex();
    const int h = view_->viewport()->height();
    if (first < 0 || h <= 0) return 0;
    int last = view_->rowAt(h - 1);
    if (last < 0) last = int(model_->count()) - 1;
    return last - first + 1;
}

int DataGrid::VisibleCols() const {
    const int w = view_->viewport()->width();
    int n = 0;
    for (int c = 0; c < ColumnCount(); ++c) {
        if (view_->isColumnHidden(c)) continue;
        const int x = view_->columnViewportPosition(c);
        if (x < w && x + view_->columnWidth(c) > 0) ++n;
    }
    return n;
}

int DataGrid::RowHeight() const { return view_->verticalHeader()->defaultSectionSize(); }

void DataGrid::setRowHeight(int pixels) { view_->verticalHeader()->setDefaultSectionSize(std::max(1, pixels)); }

int DataGrid::RowContaining(int y) const {
    const QPoint o = view_->viewport()->mapTo(this, QPoint(0, 0));
    const int vy = y - o.y();
    if (vy < 0 || vy >= view_->viewport()->height()) return -1;
    const int r = view_->rowAt(vy);
    return r < 0 ? -1 : r - firstVisibleIndex();
}

int DataGrid::ColContaining(int x) const {
    const QPoint o = view_->viewport()->mapTo(this, QPoint(0, 0));
    const int vx = x - o.x();
    if (vx < 0 || vx >= view_->viewport()->width()) return -1;
    return view_->columnAt(vx);
}

bool DataGrid::eventFilter(QObject *obj, QEvent *ev) {
    const bool seletor = view_ && obj == view_->verticalHeader()->viewport();
    const bool celulas = view_ && obj == view_->viewport();
    if (ev->type() == QEvent::MouseButtonPress || ev->type() == QEvent::MouseButtonRelease) {
        auto *w = static_cast<QWidget *>(obj);
        auto *me = static_cast<QMouseEvent *>(ev);
        teclasDoClique_ = me->modifiers();
        const QPoint p = w == this ? me->position().toPoint() : w->mapTo(this, me->position().toPoint());
        if (ev->type() == QEvent::MouseButtonPress)
            emit MouseDown(CodigoDoBotao(me->button()), CodigoDasTeclas(me->modifiers()), p.x(), p.y());
        else
            emit MouseUp(CodigoDoBotao(me->button()), CodigoDasTeclas(me->modifiers()), p.x(), p.y());
        // The table itself would make the row under any button current, and
        // a record selector's row selected: what the grid does not do stops here.
        if ((celulas || seletor) && me->button() != Qt::LeftButton) return true;
        if (seletor && !selecaoPeloSeletor_) return true;
    }
    if (ev->type() == QEvent::MouseButtonDblClick && (celulas || seletor)) {
        auto *me = static_cast<QMouseEvent *>(ev);
        if (me->button() != Qt::LeftButton || (seletor && !selecaoPeloSeletor_)) return true;
    }
    return QFrame::eventFilter(obj, ev);
}

} // namespace widgets
