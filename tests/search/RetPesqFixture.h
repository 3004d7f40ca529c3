#pragma once
// A book on disk with a small chart and postings, the signed-in user, and
// result windows opened on it inside an MDI area, as the program opens them.
#include "core/escrita/Operacoes.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/DataControl.h"
#include "platform/widgets/DataGrid.h"
#include "search/frmRetPesq.h"
#include "support/Oracle.h"
#include "support/LivroNovo.h"
#include "ui/AppContext.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>
#include <vector>

class RetPesq : public testsupport::LivroNovo {
protected:
    void SetUp() override {
        LivroNovo::SetUp();
        if (ui::gMsgGridResize == 0) ui::RegistrarMensagens();
        area.resize(1100, 700);
        platform::ui::Forms::setMdiArea(&area);
        area.show();
    }
    void TearDown() override {
        for (QPointer<search::frmRetPesq> &f : janelas)
            if (f && f->IsLoaded()) f->Unload();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
        platform::ui::Forms::setMdiArea(nullptr);
        LivroNovo::TearDown();
    }

    static QString u(const char *s) { return QString::fromUtf8(s); }

    long item(const QString &tabela, const QString &campo, const QString &inativo, const QString &codigo,
              const QString &des) {
        const QString pai = CodigoPai(codigo);
        db->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai, %3) VALUES ('%4', '%5', '%6', False)")
                        .arg(tabela, campo, inativo, des, codigo, pai));
        return long(numero(QStringLiteral("SELECT Id FROM %1 WHERE Codigo = '%2'").arg(tabela, codigo)));
    }
    long conta(const QString &codigo, const QString &des) {
        return item(u("Contas"), u("DesConta"), u("Inativa"), codigo, des);
    }
    long tipo(const QString &codigo, const QString &des) {
        return item(u("TiposMovimentacoes"), u("DesMovimentacao"), u("Inativo"), codigo, des);
    }
    // Accounts CAIXA (001) with CAIXA EMPRESA (001.001) below it and BANCO
    // (002); types SALARIO (003) with BONUS (003.001) below it and MERCADO (004).
    void plano() {
        conta(u("001"), u("CAIXA"));
        conta(u("001.001"), u("CAIXA EMPRESA"));
        conta(u("002"), u("BANCO"));
        tipo(u("003"), u("SALARIO"));
        tipo(u("003.001"), u("BONUS"));
        tipo(u("004"), u("MERCADO"));
    }
    long lancar(const char *conta, const char *tipo, const QDate &data, qint64 centavos, const char *doc,
                const char *hist = "H") {
        core::escrita::NovoLancamento l;
        l.codConta = u(conta);
        l.codRecDesp = u(tipo);
        l.valor = value::Currency::fromUnits(centavos * 100);
        l.data = data;
        l.documento = u(doc);
        l.historico = u(hist);
        core::escrita::Feito f;
        EXPECT_EQ(core::escrita::Lancar(*db, {"teste", "lancar"}, l, 1, &f), core::escrita::Desfecho::Gravado);
        return f.id;
    }
    core::escrita::TransferenciaFeita transferir(const char *de, const char *para, const QDate &data, qint64 centavos,
                                                 const char *doc = "T") {
        core::escrita::Transferencia t;
        t.codContaOrig = u(de);
        t.codContaDest = u(para);
        t.docSaida = t.docEntrada = u(doc);
        t.data = data;
        t.valor = value::Currency::fromUnits(centavos * 100);
        t.historicoSaida = t.historicoEntrada = u("TRANSF");
        core::escrita::TransferenciaFeita feita;
        EXPECT_EQ(core::escrita::Transferir(*db, {"teste", "transferir"}, t, 1, &feita), core::escrita::Desfecho::Gravado);
        return feita;
    }
    qint64 numero(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Eof() ? -1 : rs->Field(0).toInt();
    }
    QString texto(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Eof() ? QString() : rs->Field(0).toString();
    }

    // An account statement of a period as the statement command builds it
    // for an administrator without a chosen item.
    static QString extrato(const QString &de, const QString &ate, int mode = 1) {
        return QStringLiteral("SELECT DISTINCT L.Id, L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, "
                              "L.Data, L.Historico, L.Estorno, L.DataId, %3, L.SaldoGlobal, L.Estornado, "
                              "L.Realizado, U.IdLogin, C.DesConta, T.DesMovimentacao FROM ((Lancamentos AS L INNER "
                              "JOIN Contas AS C ON (L.Data Between %1 And %2  And L.CodConta = C.Codigo )) INNER JOIN "
                              "TiposMovimentacoes AS T ON L.CodRecDesp = T.Codigo) INNER JOIN Usuarios AS U ON "
                              "L.IdUsuario = U.Id  ORDER BY L.DataId;")
            .arg(de, ate, mode == 2 ? QStringLiteral("L.SaldoRecDesp") : QStringLiteral("L.SaldoConta"));
    }

    struct Abertura {
        long mode = 1;
        QString sql;
        QString contas;
        bool soNaoRealizados = false;
        QString historico;
        QString titulo = QStringLiteral("TÍTULO");
        bool ativar = true;
    };
    // Opens a window as the statement commands do: values first, Mode last,
    // shown, then activated.
    search::frmRetPesq *abrir(const Abertura &a) {
        auto *f = new search::frmRetPesq();
        f->Load();
        f->ExpressaoNoHistorico = a.historico;
        f->SoNaoRealizados = a.soNaoRealizados;
        f->TituloRelatorio = a.titulo;
        f->SQL = a.sql;
        f->Contas = a.contas;
        f->setMode(a.mode);
        f->ShowModeless();
        janelas.emplace_back(f);
        if (a.ativar) ativar(f);
        return janelas.back().data(); // null when the window closed itself

    }
    void ativar(search::frmRetPesq *f) {
        area.setActiveSubWindow(f->SubWindow());
        if (platform::ui::Forms::ActiveChild() == f && f->Activations() == 0) f->Activate();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    // The DataId column of the rows the grid shows, top to bottom.
    static QStringList dataIds(search::frmRetPesq *f) {
        QStringList out;
        dao::Recordset *rs = f->Recordset();
        auto c = rs->Clone();
        for (c->MoveFirst(); !c->Eof(); c->MoveNext()) out << c->Field(QStringLiteral("DataId")).toString();
        return out;
    }
    // Selects the row of the posting `id` as a click does.
    static void selecionar(search::frmRetPesq *f, long id) {
        dao::Recordset *rs = f->Recordset();
        rs->FindFirst(QStringLiteral("Id = %1").arg(id));
        ASSERT_FALSE(rs->NoMatch()) << id;
        auto &sel = f->DBGrid1->SelBookmarks();
        while (sel.Count() > 0) sel.Remove(0);
        f->DBGrid1->setBookmark(rs->GetBookmark());
        sel.Add(rs->GetBookmark());
        rs->MoveFirst(); // the command must position the recordset itself
    }
    QString realizado(long id) { return texto(QStringLiteral("SELECT Realizado FROM Lancamentos WHERE Id = %1").arg(id)); }
    static QString campoSelecionado(search::frmRetPesq *f, const char *campo) {
        auto &sel = f->DBGrid1->SelBookmarks();
        if (sel.Count() != 1) return QStringLiteral("<%1 selecionados>").arg(sel.Count());
        auto c = f->Recordset()->Clone();
        c->SetBookmark(sel.Item(0));
        return c->Field(QString::fromUtf8(campo)).toString();
    }
    // Clicks a visible row of the grid as the user does (press and release).
    void clicarLinha(search::frmRetPesq *f, int linhaVisivel, Qt::MouseButton b = Qt::LeftButton) {
        QTableView *v = f->DBGrid1->view();
        const int r = v->rowAt(0) + linhaVisivel;
        const QPoint p(v->columnViewportPosition(2) + 5, v->rowViewportPosition(r) + f->DBGrid1->RowHeight() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, p, v->viewport()->mapToGlobal(p), b, b, {});
        QApplication::sendEvent(v->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, v->viewport()->mapToGlobal(p), b, Qt::NoButton, {});
        QApplication::sendEvent(v->viewport(), &release);
        QCoreApplication::sendPostedEvents();
    }

    QApplication &app = testsupport::qtApp(); // before any widget
    QMdiArea area;
    std::vector<QPointer<search::frmRetPesq>> janelas;
};
