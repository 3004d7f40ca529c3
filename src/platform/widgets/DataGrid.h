#pragma once
// The data-bound grid: shows the rows of a data control's recordset as they
// are kept by the recordset (nothing is copied into cells), under a caption
// bar. Columns are bound by field name and carry a caption, a number format
// ("Short Date", "Currency", as shown in Brazil), a width in pixels and a
// visibility.
//
// The current row is the recordset's current row: moving in the grid moves
// the recordset, and Bookmark/setBookmark tie the two by bookmark. Selected
// rows are a collection of bookmarks (SelBookmarks) kept apart from the
// current row; a click on a row's record selector selects that row and raises
// SelChange (unless the window turns that off). Only the left button moves the
// current row; the other buttons raise their mouse events and change nothing.
// A window whose commands act on the selected row may have the keys that move
// the current row select it as well. Rows are addressed on screen by their visible index, counted
// from the first visible row: RowBookmark, RowContaining, VisibleRows.
// Mouse coordinates are pixels of the grid widget, caption bar included.
#include "platform/dao/Recordset.h"

#include <QFrame>
#include <QString>
#include <vector>

class QLabel;
class QTableView;

namespace widgets {

class DataControl;
class DataGrid;
class DataGridModel;

// One column of a grid, by index; a handle that stays valid while the column exists.
class DataGridColumn {
public:
    DataGridColumn(DataGrid *grid, int index) : grid_(grid), index_(index) {}
    int ColIndex() const { return index_; }
    QString Caption() const;
    void setCaption(const QString &caption);
    QString DataField() const;
    void setDataField(const QString &field);
    QString NumberFormat() const;
    void setNumberFormat(const QString &format);
    int Width() const;
    void setWidth(int pixels);
    bool Visible() const;
    void setVisible(bool visible);
    // The text the column shows for the current row of the recordset.
    QString Text() const;

private:
    DataGrid *grid_;
    int index_;
};

// The selected rows, as bookmarks of the bound recordset, in the order added.
class SelBookmarksCollection {
public:
    explicit SelBookmarksCollection(DataGrid *grid) : grid_(grid) {}
    int Count() const { return int(marks_.size()); }
    dao::Bookmark Item(int i) const;
    void Add(dao::Bookmark b);
    void Remove(int i);
    const std::vector<dao::Bookmark> &all() const { return marks_; }

private:
    friend class DataGrid;
    DataGrid *grid_;
    std::vector<dao::Bookmark> marks_;
};

class DataGrid : public QFrame {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // Binds the grid to a data control; the grid follows its recordset from then on.
    void setDataSource(DataControl *data);
    DataControl *DataSource() const { return data_; }

    QString Caption() const;
    void setCaption(const QString &caption);

    // Columns: their count, and each one by index.
    int ColumnCount() const { return int(cols_.size()); }
    void setColumnCount(int n);
    DataGridColumn Columns(int i);
    DataGridColumn Columns(int i) const;

    // The current row's bookmark; setting it moves the current row and the recordset.
    dao::Bookmark Bookmark() const;
    void setBookmark(dao::Bookmark b);
    // Visible index of the current row (-1 when it is not on screen or there is none).
    int Row() const;
    void setRow(int visibleRow);
    int Col() const;

    // The first visible row, as a bookmark; setting it scrolls that row to the top.
    dao::Bookmark FirstRow() const;
    void setFirstRow(dao::Bookmark b);
    dao::Bookmark RowBookmark(int visibleRow) const;

    SelBookmarksCollection &SelBookmarks() { return sel_; }
    const SelBookmarksCollection &SelBookmarks() const { return sel_; }

    // Rows shown (a row partly shown counts) and visible columns.
    int VisibleRows() const;
    int VisibleCols() const;
    int RowHeight() const;
    void setRowHeight(int pixels);
    // The visible row index under y, or -1 (caption, header, below the last row).
    int RowContaining(int y) const;
    // The column index under x, or -1 (record selector, past the last column).
    int ColContaining(int x) const;

    // Reads the recordset again (rows added, deleted or requeried), keeping
    // the scroll position, the current row of the recordset and the selection
    // of the bookmarks still present.
    void Refresh();

    QTableView *view() const { return view_; }

    // A click on a row's record selector selects the row (true, the default)
    // or changes nothing at all.
    void setSelecaoPeloSeletor(bool seleciona) { selecaoPeloSeletor_ = seleciona; }
    // The keys that move the current row make it the one selected row and
    // raise SelChange (false by default).
    void setSelecaoSegueTeclas(bool segue) { selecaoSegueTeclas_ = segue; }

signals:
    void SelChange();
    void RowColChange();
    // Button (1 left, 2 right, 4 middle), shift state (1 Shift, 2 Ctrl, 4 Alt), x, y.
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    friend class DataGridColumn;
    friend class SelBookmarksCollection;
    friend class DataGridModel;
    struct Coluna {
        QString caption, field, format;
        int width = 100;
        bool visible = true;
    };
    void rebind();
    void applyColumn(int i);
    void applySelection();
    void syncCurrentFromRecordset();
    void onCurrentChanged(int row, int col);
    void selecionarPeloSeletor(int row, Qt::KeyboardModifiers mods);
    int firstVisibleIndex() const;
    long rowOf(dao::Bookmark b) const; // -1 when absent
    dao::Bookmark bookmarkAt(long row) const;
    void requireRecordset() const;

    DataControl *data_ = nullptr;
    QLabel *caption_;
    QTableView *view_;
    DataGridModel *model_;
    std::vector<Coluna> cols_;
    SelBookmarksCollection sel_;
    bool syncing_ = false;
    Qt::KeyboardModifiers teclasDoClique_;
    bool selecaoPeloSeletor_ = true;
    bool selecaoSegueTeclas_ = false;
    bool teclando_ = false; // a key is being handled by the view
    friend class VistaDaGrade;
};

// Field text as a grid column with this number format shows it.
QString FormatarCampo(const value::Value &v, const QString &format);

} // namespace widgets
