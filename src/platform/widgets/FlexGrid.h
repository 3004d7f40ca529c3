#pragma once
// The grid of the posting and pending windows: a table of texts with one
// fixed header row and one fixed first column, a long of row data per row,
// the current cell (Row, Col) and the end of the selection (RowSel, ColSel),
// the first visible row (TopRow), and the event SelChange, raised whenever
// the selection changes, by the user or by the program.
//
// The keys move the current cell as the user sees it and the selection with
// it (Shift extends the selection from the current cell), raising SelChange;
// a cell set by the program is where the next key starts from.
//
// FormatString sets the columns at once: "|" separates them, a leading "<",
// "^" or ">" aligns a column left, centred or right, and each header's text
// with its blanks sets the column's initial width.
#include <QString>
#include <QTableView>
#include <QTableWidget>
#include <vector>

namespace widgets {

class FlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);

    void setFormatString(const QString &format);
    QString FormatString() const { return format_; }

    int Rows() const { return rowCount(); }
    void setRows(int n);
    int Cols() const { return columnCount(); }
    void setCols(int n);
    int FixedRows() const { return 1; }
    int FixedCols() const { return 1; }

    int Row() const { return row_; }
    void setRow(int r);
    int Col() const { return col_; }
    void setCol(int c);
    int RowSel() const { return rowSel_; }
    void setRowSel(int r);
    int ColSel() const { return colSel_; }
    void setColSel(int c);
    int TopRow() const;
    void setTopRow(int r);

    long RowData(int r) const;
    void setRowData(int r, long v);
    QString TextMatrix(int r, int c) const;
    void setTextMatrix(int r, int c, const QString &t);
    int ColAlignment(int c) const;
    // Column width in twips (the windows are laid out at 15 twips a pixel).
    long ColWidth(int c) const;
    void setColWidth(int c, long twips);
    // Redraws the grid now.
    void Refresh();

    // Adds one row made of tab-separated cell texts (at the end, or before `index`).
    void AddItem(const QString &item, int index = -1);
    // Adds many rows at the end at once, each as AddItem takes it: a long
    // list fills without the view following every cell.
    void AddItems(const QStringList &items);
    // Removes a row; the last data row is never removed (error 30015).
    void RemoveItem(int index);

    // The fixed row and column lie over the scrolling cells: a cell brought
    // into view comes out from under them.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    void SelChange();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent *e) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    QTableView *fixa(); // one view over a fixed band of cells
    void posicionarFixas();
    QTableView *fixaLinha_ = nullptr, *fixaColuna_ = nullptr, *fixaCanto_ = nullptr;

    void requireRow(int r) const;
    void requireCol(int c) const;
    void aplicarSelecao(bool completo = false);
    void pintar(int r, int c, bool sel);
    void aoClicar(int r, int c);
    // The view's current cell (the focus frame, where keys start) set to Row and Col.
    void sincronizarCelulaAtual();
    QTableWidgetItem *celula(int r, int c);
    QTableWidgetItem *celula(int r, int c) const;

    QString format_;
    std::vector<long> rowData_;
    std::vector<int> align_;
    int row_ = 1, col_ = 1, rowSel_ = 1, colSel_ = 1;
    int pintado_[4] = {1, 1, 1, 1}; // rows and columns last painted as selected
    bool teclando_ = false;          // a key is moving the current cell
    Qt::KeyboardModifiers teclas_;   // the modifiers of that key
    bool sincronizando_ = false;
};

} // namespace widgets
