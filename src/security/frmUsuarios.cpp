#include "security/frmUsuarios.h"

#include "core/permissoes/Usuarios.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "security/frmDetUsuario.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>

namespace security {

using core::permissoes::TipoDoUsuario;
using core::permissoes::kMsgUsuarioNaoExisteMais;
using core::permissoes::kOutroAdministradorAtivo;
using core::permissoes::kUsuarioExistente;
using core::permissoes::kUsuarioNovo;

namespace {

const QString kSelecao = QStringLiteral(
    "Select U.*, IIf(Tipo = 1,'ADMINISTRADOR', 'COMUM') As DesTipo from Usuarios As U where U.Inativo = %1 order by "
    "U.DesUsuario");

// The designed width of the "Usuário" column.
constexpr int kLarguraDoNome = 225;

[[noreturn]] void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

// A command of the main window, found by its object name.
QAction *entradaPrincipal(const QString &nome) {
    if (ui::MainForm)
        if (auto *a = ui::MainForm->findChild<QAction *>(nome)) return a;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *a = w->findChild<QAction *>(nome)) return a;
    return nullptr;
}

long inteiro(const value::Value &v) { return v.isNull() ? 0 : long(v.toInt()); }

} // namespace

frmUsuarios::frmUsuarios(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmUsuarios"));
    const QString textos[2] = {QStringLiteral("Ver Ativos"), QStringLiteral("Ver Inativos")};
    for (int i = 0; i < 2; ++i) {
        opUsuarios[i] = new QRadioButton(this);
        opUsuarios[i]->setObjectName(QStringLiteral("opUsuarios%1").arg(i));
        opUsuarios[i]->setGeometry(12 + i * 140, 12, 20, 20);
        lblUsuarios[i] = new QLabel(textos[i], this);
        lblUsuarios[i]->setObjectName(QStringLiteral("lblUsuarios%1").arg(i));
        lblUsuarios[i]->setGeometry(34 + i * 140, 12, 100, 20);
        lblUsuarios[i]->installEventFilter(this);
        connect(opUsuarios[i], &QRadioButton::toggled, this, [this, i](bool marcado) {
            if (marcado) opUsuarios_Click(i);
        });

        dtUsu[i] = new widgets::DataControl(this);
        dtUsu[i]->setObjectName(QStringLiteral("dtUsu%1").arg(i));
        DBGrid1[i] = new widgets::DataGrid(this);
        DBGrid1[i]->setObjectName(QStringLiteral("DBGrid1%1").arg(i));
        DBGrid1[i]->setGeometry(12, 40, 486, 300);
        DBGrid1[i]->setDataSource(dtUsu[i]);
        DBGrid1[i]->setCaption(i == 0 ? QStringLiteral("Usuários ativos") : QStringLiteral("Usuários inativos"));
        DBGrid1[i]->setColumnCount(3);
        const char *cols[3][2] = {{"Usuário", "DesUsuario"}, {"Id. Login", "IdLogin"}, {"Tipo", "DesTipo"}};
        const int larguras[3] = {kLarguraDoNome, 100, 115};
        for (int c = 0; c < 3; ++c) {
            DBGrid1[i]->Columns(c).setCaption(QString::fromUtf8(cols[c][0]));
            DBGrid1[i]->Columns(c).setDataField(QString::fromUtf8(cols[c][1]));
            DBGrid1[i]->Columns(c).setWidth(larguras[c]);
        }
        connect(DBGrid1[i], &widgets::DataGrid::SelChange, this, [this, i] { DBGrid1_SelChange(i); });
        // A click on a row's cell selects the row as a click on its selector does.
        connect(DBGrid1[i], &widgets::DataGrid::MouseDown, this, [this, i](int botao, int shift, int, int y) {
            if (botao != 1 || shift != 0) return;
            const int r = DBGrid1[i]->RowContaining(y);
            if (r < 0) return;
            widgets::SelBookmarksCollection &sel = DBGrid1[i]->SelBookmarks();
            while (sel.Count() > 0) sel.Remove(sel.Count() - 1);
            sel.Add(DBGrid1[i]->RowBookmark(r));
            DBGrid1_SelChange(i);
        });
        // The arrow and page keys select the row they move to, as a click does:
        // the commands act on the selected row, not on the current one.
        DBGrid1[i]->setSelecaoSegueTeclas(true);
    }
    const char *nomes[5] = {"cmdAdd", "cmdAlterar", "cmdDesativar", "cmdExcluir", "cmdFechar"};
    const QString legendas[5] = {QStringLiteral("&Novo ..."), QStringLiteral("&Alterar"), QStringLiteral("Desati&var"),
                                 QStringLiteral("E&xcluir"), QStringLiteral("&Fechar")};
    QPushButton **botoes[5] = {&cmdAdd, &cmdAlterar, &cmdDesativar, &cmdExcluir, &cmdFechar};
    for (int i = 0; i < 5; ++i) {
        *botoes[i] = new QPushButton(legendas[i], this);
        (*botoes[i])->setObjectName(QString::fromLatin1(nomes[i]));
        (*botoes[i])->setGeometry(510, i < 4 ? 40 + i * 36 : 312, 104, 28);
    }
    cmdAlterar->setEnabled(false);
    cmdDesativar->setEnabled(false);
    cmdExcluir->setEnabled(false);
    setCancelButton(cmdFechar);
    connect(cmdAdd, &QPushButton::clicked, this, &frmUsuarios::cmdAdd_Click);
    connect(cmdAlterar, &QPushButton::clicked, this, &frmUsuarios::cmdAlterar_Click);
    connect(cmdDesativar, &QPushButton::clicked, this, &frmUsuarios::cmdDesativar_Click);
    connect(cmdExcluir, &QPushButton::clicked, this, &frmUsuarios::cmdExcluir_Click);
    connect(cmdFechar, &QPushButton::clicked, this, &frmUsuarios::cmdFechar_Click);
    // Never smaller than designed; larger (maximised too), the lists take
    // the room, the "Usuário" column the width, and the buttons keep to the
    // right edge, "Fechar" to the bottom corner.
    resize(626, 352);
    setMinimumSize(size());
    desenho_ = size();
    for (QWidget *w : std::initializer_list<QWidget *>{DBGrid1[0], DBGrid1[1], cmdAdd, cmdAlterar, cmdDesativar,
                                                        cmdExcluir, cmdFechar})
        lugares_.push_back({w, w->geometry()});
    larguraUsuario_ = DBGrid1[0]->Columns(0).Width();
}

void frmUsuarios::resizeEvent(QResizeEvent *e) {
    platform::ui::Form::resizeEvent(e);
    if (lugares_.empty()) return; // still being built
    const int dx = std::max(0, width() - desenho_.width()), dy = std::max(0, height() - desenho_.height());
    for (const auto &[w, r] : lugares_) {
        if (auto *g = qobject_cast<widgets::DataGrid *>(w)) g->setGeometry(r.adjusted(0, 0, dx, dy));
        else w->setGeometry(r.translated(dx, w == cmdFechar ? dy : 0));
    }
    ajustarColunaDoNome();
}

// Every name shows whole, up to its 40 characters: the "Usuário" column is
// as wide as the longest name of its list needs, and never narrower than
// designed or than the width the window gained over its designed size; when
// the columns are then wider than the list, the list scrolls sideways to them.
// Called whenever the lists are filled and whenever the window is resized.
void frmUsuarios::ajustarColunaDoNome() {
    const int ganho = std::max(0, width() - desenho_.width());
    for (widgets::DataGrid *g : DBGrid1) {
        const QAbstractItemView *vista = g->view();
        g->Columns(0).setWidth(std::max(larguraUsuario_ + ganho, vista->sizeHintForColumn(0)));
    }
}

frmUsuarios::~frmUsuarios() = default;

void frmUsuarios::entradaDoMenu(bool habilitada) {
    if (QAction *a = entradaPrincipal(QStringLiteral("mnuSegContas"))) a->setEnabled(habilitada);
}

void frmUsuarios::Form_Load() {
    try {
        entradaDoMenu(false);
        if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
        setWindowTitle(platform::App::Title() + QStringLiteral(" - Usuários"));
        AtualizarDados();
        for (QRadioButton *op : opUsuarios) {
            QPalette p = op->palette();
            p.setColor(QPalette::Window, palette().color(QPalette::Window));
            op->setPalette(p);
        }
        if (opUsuarios[0]->isChecked()) opUsuarios_Click(0);
        else opUsuarios[0]->setChecked(true);
    } catch (...) {
        FIN_TRAP_REPORT("frmUsuarios", "Form_Load");
    }
}

void frmUsuarios::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        entradaDoMenu(true);
    } catch (...) {
    }
}

void frmUsuarios::cmdFechar_Click() { Unload(platform::ui::vbFormCode); }

void frmUsuarios::UpdateView(long &msg) {
    try {
        if (msg == ui::kHintUsuarios) AtualizarDados();
    } catch (...) {
        FIN_TRAP_RERAISE("frmUsuarios", "UpdateView");
    }
}

void frmUsuarios::AtualizarDados() {
    for (int i = 0; i < 2; ++i) {
        dtUsu[i]->setRecordset(
            ui::gDB->OpenRecordset(kSelecao.arg(i == 0 ? QStringLiteral("False") : QStringLiteral("True")), dao::dbOpenSnapshot));
        widgets::SelBookmarksCollection &sel = DBGrid1[i]->SelBookmarks();
        while (sel.Count() > 0) sel.Remove(sel.Count() - 1);
    }
    ajustarColunaDoNome();
}

bool frmUsuarios::eventFilter(QObject *o, QEvent *e) {
    if (e->type() == QEvent::MouseButtonPress)
        for (int i = 0; i < 2; ++i)
            if (o == lblUsuarios[i]) opUsuarios[i]->setChecked(true);
    return platform::ui::Form::eventFilter(o, e);
}

void frmUsuarios::opUsuarios_Click(int i) {
    try {
        frente_ = i;
        DBGrid1[i]->show();
        DBGrid1[i]->raise();
        DBGrid1[1 - i]->hide();
        cmdDesativar->setText(i == 1 ? QStringLiteral("Ati&var") : QStringLiteral("Desati&var"));
        HabilitarDesabilitar();
    } catch (...) {
        FIN_TRAP_REPORT("frmUsuarios", "opUsuarios_Click");
    }
}

void frmUsuarios::DBGrid1_SelChange(int i) {
    try {
        widgets::SelBookmarksCollection &sel = DBGrid1[i]->SelBookmarks();
        if (sel.Count() > 1) {
            const dao::Bookmark ultimo = sel.Item(sel.Count() - 1);
            while (sel.Count() > 0) sel.Remove(sel.Count() - 1);
            sel.Add(ultimo);
        }
        HabilitarDesabilitar();
    } catch (...) {
        FIN_TRAP_REPORT("frmUsuarios", "DBGrid1_SelChange");
    }
}

void frmUsuarios::HabilitarDesabilitar() {
    const bool um = DBGrid1[frente_]->SelBookmarks().Count() == 1;
    cmdAlterar->setEnabled(um);
    cmdDesativar->setEnabled(um);
    cmdExcluir->setEnabled(um);
}

void frmUsuarios::broadcast() {
    long hint = ui::kHintUsuarios;
    ui::UpdateAllViews(hint, this);
}

bool frmUsuarios::linhaSelecionada() {
    widgets::DataGrid *g = DBGrid1[frente_];
    if (g->SelBookmarks().Count() == 0) return false;
    g->setBookmark(g->SelBookmarks().Item(0));
    return true;
}

dao::Recordset &frmUsuarios::linha() const { return *dtUsu[frente_]->Recordset(); }

// ---- commands -------------------------------------------------------------------

void frmUsuarios::mostrar(frmDetUsuario &dlg) {
    dlg.ShowModal();
    // A user another copy deleted is no longer listed either.
    if (!dlg.Cancelado || dlg.UsuarioRemovido) aposMudanca();
}

void frmUsuarios::cmdAdd_Click() {
    try {
        frmDetUsuario dlg;
        dlg.Load();
        dlg.setMode(kUsuarioNovo);
        mostrar(dlg);
    } catch (...) {
        FIN_TRAP_REPORT("frmUsuarios", "cmdAdd_Click");
    }
}

void frmUsuarios::cmdAlterar_Click() {
    try {
        if (!linhaSelecionada()) {
            ui::MsgBox(QStringLiteral("Nenhum usuário selecionado para ser alterado."), platform::ui::vbOKOnly);
            return;
        }
        dao::Recordset &rs = linha();
        frmDetUsuario dlg;
        dlg.Load();
        dlg.setMode(kUsuarioExistente);
        dlg.DesUsuario = rs.Field(QStringLiteral("DesUsuario")).toString();
        dlg.IdUsuario = inteiro(rs.Field(QStringLiteral("id")));
        dlg.IdLogin = rs.Field(QStringLiteral("IdLogin")).toString();
        const value::Value senha = rs.Field(QStringLiteral("Senha"));
        dlg.SenhaAnterior = senha.isNull() ? QString() : senha.toString();
        dlg.Tipo = inteiro(rs.Field(QStringLiteral("tipo")));
        mostrar(dlg);
    } catch (...) {
        FIN_TRAP_REPORT("frmUsuarios", "cmdAlterar_Click");
    }
}

void frmUsuarios::cmdDesativar_Click() {
    try {
        if (!linhaSelecionada()) {
            ui::MsgBox(QStringLiteral("Nenhum usuário está selecionado."), platform::ui::vbOKOnly);
            return;
        }
        if (frente_ == 0) desativar();
        else reativar();
    } catch (...) {
        FIN_TRAP_REPORT("frmUsuarios", "cmdDesativar_Click");
    }
}

void frmUsuarios::desativar() {
    const long id = inteiro(linha().Field(QStringLiteral("id")));
    if (id == ui::gIdUsuario) {
        ui::MsgBox(QStringLiteral("Um usuário não pode desativar a si mesmo."), platform::ui::vbInformation);
        cancelar();
    }
    if (ui::MsgBox(QStringLiteral("Tem certeza de que pretende desativar o usuário '") +
                       linha().Field(QStringLiteral("DesUsuario")).toString() + QStringLiteral("'?"),
                   platform::ui::vbYesNo | platform::ui::vbQuestion) == platform::ui::vbNo)
        return;
    // The type is read from the row as it is now, in the statement itself.
    ui::gDB->Execute(QStringLiteral("Update Usuarios Set Inativo = True Where Id =") + QString::number(id) +
                         QStringLiteral(" AND (Tipo <> 1 OR ") + kOutroAdministradorAtivo + QLatin1Char(')'),
                     dao::dbFailOnError);
    if (ui::gDB->RecordsAffected() == 0) {
        if (TipoDoUsuario(id)) {
            ui::MsgBox(kMsgUltimoAdministrador, platform::ui::vbInformation);
            return;
        }
        ui::MsgBox(kMsgUsuarioNaoExisteMais, platform::ui::vbInformation);
    }
    aposMudanca();
}

void frmUsuarios::reativar() {
    ui::gDB->Execute(QStringLiteral("Update Usuarios Set Inativo = false Where Id =") +
                         QString::number(inteiro(linha().Field(QStringLiteral("id")))),
                     dao::dbFailOnError);
    // The statement has no other guard: no row changed, no such user.
    if (ui::gDB->RecordsAffected() == 0) ui::MsgBox(kMsgUsuarioNaoExisteMais, platform::ui::vbInformation);
    aposMudanca();
}

void frmUsuarios::aposMudanca() {
    AtualizarDados();
    HabilitarDesabilitar();
    broadcast();
}

void frmUsuarios::cmdExcluir_Click() {
    std::unique_ptr<dao::Recordset> contagem;
    try {
        if (!linhaSelecionada()) {
            ui::MsgBox(QStringLiteral("Nenhum usuário foi selecionado para exclusão."), platform::ui::vbInformation);
            return;
        }
        const long id = inteiro(linha().Field(QStringLiteral("id")));
        // Deleting oneself would leave this copy writing postings whose author is gone.
        if (id == ui::gIdUsuario) {
            ui::MsgBox(QStringLiteral("Um usuário não pode excluir a si mesmo."), platform::ui::vbInformation);
            cancelar();
        }
        if (ui::MsgBox(QStringLiteral("Tem certeza de que pretende excluir o usuário '") +
                           linha().Field(QStringLiteral("DesUsuario")).toString() + QStringLiteral("'?"),
                       platform::ui::vbYesNo | platform::ui::vbQuestion) == platform::ui::vbNo)
            return;
        // One statement: a posting another copy writes meanwhile, or the last
        // active administrator, keeps the row (the cascade would take the
        // postings with it).
        const QString n = QString::number(id);
        ui::gDB->Execute(QStringLiteral("Delete * From Usuarios Where Id = ") + n +
                             QStringLiteral(" AND (SELECT Count(*) FROM Lancamentos WHERE IdUsuario = ") + n +
                             QStringLiteral(") = 0 AND (Tipo <> 1 OR Inativo = True OR ") + kOutroAdministradorAtivo +
                             QLatin1Char(')'),
                         dao::dbFailOnError);
        if (ui::gDB->RecordsAffected() > 0) {
            long hint = ui::kHintUsuarios;
            UpdateView(hint);
            broadcast();
        } else {
            contagem = ui::gDB->OpenRecordset(
                QStringLiteral("Select count(*) as contagem from lancamentos where IdUsuario=") + n, dao::dbOpenSnapshot);
            const long lancamentos = db::LerContagem(*contagem, QStringLiteral("Contagem"));
            db::FecharRecordset(contagem);
            const bool existe = TipoDoUsuario(id).has_value();
            if (lancamentos > 0)
                ui::MsgBox(QStringLiteral("O usuário selecionado não pode ser excluído por já haverem lançamentos feitos por ele."),
                           platform::ui::vbInformation);
            else if (existe)
                ui::MsgBox(QStringLiteral("Este é o último usuário ativo com permissões de administrador e por isto não "
                                          "pode ser excluído."),
                           platform::ui::vbInformation);
            else {
                ui::MsgBox(kMsgUsuarioNaoExisteMais, platform::ui::vbInformation);
                aposMudanca();
            }
        }
        HabilitarDesabilitar();
    } catch (...) {
        db::FecharRecordset(contagem);
        FIN_TRAP_REPORT("frmUsuarios", "cmdExcluir_Click");
    }
}

frmUsuarios *AbrirUsuarios(QMdiArea *area) {
    if (area && !platform::ui::Forms::mdiArea()) platform::ui::Forms::setMdiArea(area);
    auto *f = new frmUsuarios();
    f->ShowModeless();
    return f;
}

} // namespace security
