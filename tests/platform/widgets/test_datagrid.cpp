// The data control and the data-bound grid over a recordset.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/DataControl.h"
#include "platform/widgets/DataGrid.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>

using testsupport::errorOf;
using value::Currency;
using value::Value;
using widgets::DataGrid;

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

class Grade : public ::testing::Test {
protected:
    void SetUp() override {
        db = dao::DBEngine::CreateDatabase(tmp.file(u("g.mdb")), u(";pwd=x"));
        db->CreateTable({u("T"),
                         {{u("Id"), value::DataType::Long, 0, 0, true, false, std::nullopt},
                          {u("Nome"), value::DataType::Text, 20, 0, false, false, std::nullopt},
                          {u("Valor"), value::DataType::Currency, 0, 0, false, false, std::nullopt},
                          {u("Dt"), value::DataType::Date, 0, 0, false, false, std::nullopt}},
                         {{u("PrimaryKey"), {u("Id")}, true, true, true, false}}});
        for (int i = 1; i <= 40; ++i)
            db->Execute(u("INSERT INTO T (Id, Nome, Valor, Dt) VALUES (%1, 'N%1', %2, #12/%3/2026#)")
                            .arg(i)
                            .arg(i % 2 ? QString::number(i * 1000.5, 'f', 2) : QString::number(-i * 10.25, 'f', 2))
                            .arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                        dao::dbFailOnError);
        grid.setDataSource(&data);
        grid.setColumnCount(4);
        const char *campos[][3] = {{"", "Id", ""}, {"Data", "Dt", "Short Date"}, {"Nome", "Nome", ""}, {"Valor", "Valor", "Currency"}};
        for (int c = 0; c < 4; ++c) {
            grid.Columns(c).setCaption(u(campos[c][0]));
            grid.Columns(c).setDataField(u(campos[c][1]));
            grid.Columns(c).setNumberFormat(u(campos[c][2]));
            grid.Columns(c).setWidth(90);
        }
        grid.setCaption(u("TÍTULO"));
        grid.resize(420, 240);
        grid.show();
        abrir(u("SELECT * FROM T ORDER BY Id"));
    }
    void abrir(const QString &sql) { data.setRecordset(db->OpenRecordset(sql, dao::dbOpenDynaset)); }
    dao::Recordset &rs() { return *data.Recordset(); }
    QString celula(int row, int col) { return grid.view()->model()->index(row, col).data().toString(); }
    long idAtual() { return long(rs().Field(u("Id")).toInt()); }
    // Presses and releases a mouse button at a point of a widget inside the grid.
    void clicar(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), b, b, m);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), b, Qt::NoButton, m);
        QApplication::sendEvent(w, &release);
    }
    // The centre of a visible row's cell, in the viewport and in the grid.
    QPoint noViewport(int visibleRow, int col) {
        QTableView *v = grid.view();
        const int r = v->rowAt(0) + visibleRow;
        return {v->columnViewportPosition(col) + 5, v->rowViewportPosition(r) + grid.RowHeight() / 2};
    }
    QPoint naGrade(int visibleRow, int col) { return grid.view()->viewport()->mapTo(&grid, noViewport(visibleRow, col)); }

    QApplication &app = testsupport::qtApp();
    testsupport::TempDir tmp;
    std::unique_ptr<dao::Database> db;
    widgets::DataControl data;
    DataGrid grid;
};

TEST(FormatoDeCampo, DatasEMoedaComoNoBrasil) {
    struct Caso { Value v; const char *formato; const char *texto; };
    const Caso casos[] = {
        {Value(Currency::fromUnits(12345000)), "Currency", "R$ 1.234,50"},
        {Value(Currency::fromUnits(-5000)), "Currency", "-R$ 0,50"},
        {Value(Currency()), "Currency", "R$ 0,00"},
        {Value(Currency::fromWhole(-12345678)), "Currency", "-R$ 12.345.678,00"},
        {Value(value::makeDate(2026, 12, 9, 14, 7, 3)), "Short Date", "09/12/2026"},
        {Value(), "Currency", ""},
        {Value(), "Short Date", ""},
        {Value(u("S")), "", "S"},
    };
    for (const Caso &c : casos) EXPECT_EQ(widgets::FormatarCampo(c.v, u(c.formato)), u(c.texto)) << c.texto;
}

TEST_F(Grade, ColunasLigadasPorNomeMostramOsCamposFormatados) {
    EXPECT_EQ(grid.view()->model()->rowCount(), 40);
    EXPECT_EQ(celula(0, 0), u("1"));
    EXPECT_EQ(celula(0, 1), u("02/12/2026"));
    EXPECT_EQ(celula(0, 2), u("N1"));
    EXPECT_EQ(celula(0, 3), u("R$ 1.000,50"));
    EXPECT_EQ(celula(1, 3), u("-R$ 20,50"));
    EXPECT_EQ(grid.view()->model()->headerData(1, Qt::Horizontal).toString(), u("Data"));
    EXPECT_EQ(grid.Caption(), u("TÍTULO"));
    // A narrow column is as wide as it is set, not as wide as the style would like.
    grid.Columns(0).setWidth(8);
    EXPECT_EQ(grid.view()->columnWidth(0), 8);
    // Rebinding a column to another field shows that field; an unknown field shows nothing.
    grid.Columns(2).setDataField(u("Id"));
    EXPECT_EQ(celula(4, 2), u("5"));
    grid.Columns(2).setDataField(u("NaoExiste"));
    EXPECT_EQ(celula(4, 2), QString());
}

TEST_F(Grade, PintarNaoMoveOsRegistrosEAsLinhasSaoLidasDoRecordset) {
    abrir(u("T"));
    rs().SetAbsolutePosition(6);
    grid.setBookmark(rs().GetBookmark());
    for (int r = 0; r < 40; ++r) celula(r, 2);
    grid.view()->viewport()->repaint();
    EXPECT_EQ(rs().AbsolutePosition(), 6);
    // A row changed in the recordset shows at the next read, without copying.
    rs().Edit();
    rs().SetField(u("Nome"), Value(u("MUDOU")));
    rs().Update();
    grid.Refresh();
    EXPECT_EQ(celula(6, 2), u("MUDOU"));
}

TEST_F(Grade, LinhaAtualEOIndicadorDoRecordsetAndamJuntos) {
    int mudancas = 0;
    QObject::connect(&grid, &DataGrid::RowColChange, [&] { ++mudancas; });
    EXPECT_EQ(grid.Row(), 0);
    clicar(grid.view()->viewport(), noViewport(3, 2));
    EXPECT_EQ(idAtual(), 4);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_GE(mudancas, 1);
    // The program moves the grid by bookmark: the recordset follows and the row comes into view.
    rs().SetAbsolutePosition(29);
    const dao::Bookmark b = rs().GetBookmark();
    rs().MoveFirst();
    grid.setBookmark(b);
    EXPECT_EQ(idAtual(), 30);
    EXPECT_EQ(grid.Bookmark(), b);
    EXPECT_EQ(grid.view()->currentIndex().row(), 29);
    EXPECT_GE(grid.Row(), 0);
    EXPECT_EQ(grid.RowBookmark(grid.Row()), b);
    // Keys move the recordset too.
    QKeyEvent baixo(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(grid.view(), &baixo);
    EXPECT_EQ(idAtual(), 31);
    EXPECT_EQ(errorOf([&] { grid.setBookmark(9999); }), 3159);
}

TEST_F(Grade, ColecaoDeIndicadoresSelecionados) {
    auto &sel = grid.SelBookmarks();
    rs().SetAbsolutePosition(2);
    const dao::Bookmark b2 = rs().GetBookmark();
    rs().SetAbsolutePosition(5);
    const dao::Bookmark b5 = rs().GetBookmark();
    sel.Add(b2);
    sel.Add(b5);
    sel.Add(b5); // once only
    ASSERT_EQ(sel.Count(), 2);
    EXPECT_EQ(sel.Item(0), b2);
    EXPECT_TRUE(grid.view()->selectionModel()->isRowSelected(2, {}));
    EXPECT_TRUE(grid.view()->selectionModel()->isRowSelected(5, {}));
    sel.Remove(0);
    EXPECT_EQ(sel.Item(0), b5);
    EXPECT_FALSE(grid.view()->selectionModel()->isRowSelected(2, {}));
    EXPECT_EQ(errorOf([&] { sel.Item(1); }), 381);
    EXPECT_EQ(errorOf([&] { sel.Remove(-1); }), 381);
    EXPECT_EQ(errorOf([&] { sel.Add(12345); }), 3159);
    // A click on a cell moves the current row and leaves the selection alone.
    clicar(grid.view()->viewport(), noViewport(7, 1));
    EXPECT_EQ(sel.Count(), 1);
    EXPECT_EQ(sel.Item(0), b5);
}

TEST_F(Grade, SeletorDeRegistroSelecionaALinhaEAvisa) {
    int avisos = 0;
    QObject::connect(&grid, &DataGrid::SelChange, [&] { ++avisos; });
    QHeaderView *vh = grid.view()->verticalHeader();
    const auto naLinha = [&](int r) { return QPoint(4, vh->sectionViewportPosition(r) + grid.RowHeight() / 2); };
    clicar(vh->viewport(), naLinha(4));
    ASSERT_EQ(grid.SelBookmarks().Count(), 1);
    EXPECT_EQ(idAtual(), 5);
    EXPECT_EQ(avisos, 1);
    clicar(vh->viewport(), naLinha(6), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(grid.SelBookmarks().Count(), 2);
    clicar(vh->viewport(), naLinha(2));
    EXPECT_EQ(grid.SelBookmarks().Count(), 1);
    EXPECT_EQ(idAtual(), 3);
    EXPECT_EQ(avisos, 3);
}

TEST_F(Grade, PrimeiraLinhaVisivelELinhasNaTela) {
    const int visiveis = grid.VisibleRows();
    ASSERT_GT(visiveis, 3);
    EXPECT_LT(visiveis, 40);
    rs().SetAbsolutePosition(20);
    const dao::Bookmark b = rs().GetBookmark();
    grid.setFirstRow(b);
    EXPECT_EQ(grid.FirstRow(), b);
    EXPECT_EQ(grid.RowBookmark(0), b);
    EXPECT_EQ(grid.view()->rowAt(0), 20);
    EXPECT_EQ(errorOf([&] { grid.RowBookmark(visiveis); }), 381);
    EXPECT_EQ(errorOf([&] { grid.setFirstRow(-7); }), 3159);
    // Fewer rows than fit: only those count.
    abrir(u("SELECT * FROM T WHERE Id <= 2"));
    EXPECT_EQ(grid.VisibleRows(), 2);
    abrir(u("SELECT * FROM T WHERE Id < 0"));
    EXPECT_EQ(grid.VisibleRows(), 0);
    EXPECT_EQ(errorOf([&] { grid.FirstRow(); }), 3021);
    EXPECT_EQ(grid.Row(), -1);
}

TEST_F(Grade, LinhaEColunaSobUmPonto) {
    grid.Columns(1).setVisible(false);
    EXPECT_EQ(grid.VisibleCols(), 3);
    const QPoint p = naGrade(2, 2);
    EXPECT_EQ(grid.RowContaining(p.y()), 2);
    EXPECT_EQ(grid.ColContaining(p.x()), 2);
    EXPECT_EQ(grid.ColContaining(naGrade(2, 3).x()), 3);
    // Caption bar, column headers, record selector: no row or no column.
    EXPECT_EQ(grid.RowContaining(3), -1);
    const QPoint cabecalho = grid.view()->horizontalHeader()->mapTo(&grid, QPoint(5, 3));
    EXPECT_EQ(grid.RowContaining(cabecalho.y()), -1);
    const QPoint seletor = grid.view()->verticalHeader()->mapTo(&grid, QPoint(3, 3));
    EXPECT_EQ(grid.ColContaining(seletor.x()), -1);
    EXPECT_EQ(grid.RowHeight(), grid.view()->rowHeight(0));
    grid.setRowHeight(30);
    EXPECT_EQ(grid.view()->rowHeight(0), 30);
    // Below the last row of a short result.
    abrir(u("SELECT * FROM T WHERE Id <= 2"));
    const QPoint abaixo = grid.view()->viewport()->mapTo(&grid, QPoint(20, 2 * 30 + 10));
    EXPECT_EQ(grid.RowContaining(abaixo.y()), -1);
    EXPECT_EQ(grid.ColContaining(grid.width() - 3), -1);
}

TEST_F(Grade, BotoesDoMouseComCoordenadasDaGrade) {
    std::vector<std::array<int, 5>> eventos; // down/up, button, shift, x, y
    QObject::connect(&grid, &DataGrid::MouseDown, [&](int b, int s, int x, int y) { eventos.push_back({0, b, s, x, y}); });
    QObject::connect(&grid, &DataGrid::MouseUp, [&](int b, int s, int x, int y) { eventos.push_back({1, b, s, x, y}); });
    const QPoint p = naGrade(1, 2);
    clicar(grid.view()->viewport(), noViewport(1, 2), Qt::RightButton, Qt::ShiftModifier);
    clicar(grid.view()->viewport(), noViewport(1, 2));
    ASSERT_EQ(eventos.size(), 4u);
    EXPECT_EQ(eventos[0], (std::array<int, 5>{0, 2, 1, p.x(), p.y()}));
    EXPECT_EQ(eventos[1], (std::array<int, 5>{1, 2, 1, p.x(), p.y()}));
    EXPECT_EQ(eventos[2], (std::array<int, 5>{0, 1, 0, p.x(), p.y()}));
    EXPECT_EQ(grid.RowContaining(eventos[2][4]), 1);
}

TEST_F(Grade, NovoRecordsetReligaAGradeEFecharControlesLimpa) {
    grid.SelBookmarks().Add(grid.RowBookmark(1));
    grid.setFirstRow(grid.RowBookmark(3));
    abrir(u("SELECT * FROM T WHERE Id > 30 ORDER BY Id DESC"));
    EXPECT_EQ(grid.view()->model()->rowCount(), 10);
    EXPECT_EQ(celula(0, 0), u("40"));
    EXPECT_EQ(grid.SelBookmarks().Count(), 0); // bookmarks of the old rows name nothing
    EXPECT_EQ(grid.view()->rowAt(0), 0);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.Columns(3).Text(), u("-R$ 410,00"));

    QWidget janela;
    auto *d = new widgets::DataControl(&janela);
    d->setRecordset(db->OpenRecordset(u("T"), dao::dbOpenDynaset));
    grid.setDataSource(d);
    EXPECT_EQ(grid.view()->model()->rowCount(), 40);
    widgets::FecharControlesData(&janela);
    EXPECT_EQ(d->Recordset(), nullptr);
    EXPECT_EQ(grid.view()->model()->rowCount(), 0);
    EXPECT_EQ(errorOf([&] { grid.Bookmark(); }), 3021);
    widgets::FecharControlesData(&janela); // twice is harmless
    grid.setDataSource(&data);
}

TEST_F(Grade, RefreshMantemRolagemLinhaAtualESelecaoQueAindaExistem) {
    abrir(u("T"));
    rs().SetAbsolutePosition(10);
    grid.setFirstRow(rs().GetBookmark());
    rs().SetAbsolutePosition(12);
    const dao::Bookmark fica = rs().GetBookmark();
    grid.setBookmark(fica);
    grid.SelBookmarks().Add(fica);
    rs().SetAbsolutePosition(11);
    const dao::Bookmark sai = rs().GetBookmark();
    grid.SelBookmarks().Add(sai);
    rs().Delete();
    rs().SetBookmark(fica);
    grid.Refresh();
    EXPECT_EQ(grid.view()->model()->rowCount(), 39);
    EXPECT_EQ(grid.view()->rowAt(0), 10);
    EXPECT_EQ(grid.SelBookmarks().Count(), 1);
    EXPECT_EQ(grid.SelBookmarks().Item(0), fica);
    EXPECT_EQ(idAtual(), 13);
    EXPECT_EQ(grid.view()->currentIndex().row(), 11);
}

} // namespace
