#include "security/frmDetUsuario.h"

#include "platform/value/CaractereNulo.h"
#include "db/Schema.h"
#include "core/permissoes/CarregarPermissoes.h"
#include "core/permissoes/Usuarios.h"
#include "db/CDaoTrans.h"
#include "db/Module1.h"
#include "db/SqlTexto.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Input.h"
#include "platform/widgets/UpperLineEdit.h"
#include "security/PermissoesNaArvore.h"
#include "security/frmPermissoes.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "ui/Views.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace security {

using core::permissoes::CPermissao;
using core::permissoes::CarregarPermissoesEmContas;
using core::permissoes::CarregarPermissoesEmMovimentacoes;
using core::permissoes::EstadoDaArvore;
using core::permissoes::TipoDoUsuario;
using core::permissoes::UnicoAdministradorAtivo;
using core::permissoes::UsuarioExiste;
using core::permissoes::kMsgUsuarioNaoExisteMais;
using core::permissoes::kOutroAdministradorAtivo;
using core::permissoes::kUsuarioExistente;
using core::permissoes::kUsuarioNovo;

namespace {

void cor(QWidget *w, bool foco) {
    // A list that cannot be typed into is drawn in the button colour, a text
    // box in the base colour.
    auto *lista = qobject_cast<QComboBox *>(w);
    const QPalette::ColorRole papel = lista && !lista->isEditable() ? QPalette::Button : QPalette::Base;
    QPalette p = w->palette();
    p.setColor(papel, foco ? QColor(255, 255, 0) : QApplication::palette(w).color(papel));
    w->setPalette(p);
}

bool iguais(const QString &a, const QString &b) { return a.toLower() == b.toLower(); }

// Refused in a login or password: it would break the statement it goes
// into, or the sign-in, which refuses it, would never accept it.
QString msgCaractereRecusado(const QString &campo) {
    return campo + QStringLiteral(" não pode conter apóstrofo ('), aspas (\"), ponto e vírgula (;) nem caractere nulo.");
}

[[noreturn]] void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

const QString kUltimoAdministrador = QStringLiteral(
    "Este é o último usuário ativo com permissões de administrador e por isto não pode passar a ser usuário comum.");

} // namespace

frmDetUsuario::frmDetUsuario(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmDetUsuario"));
    setWindowTitle(QStringLiteral("Conta de Usuário"));
    auto rotulo = [this](const QString &texto, int y) {
        auto *l = new QLabel(texto, this);
        l->setGeometry(12, y + 3, 148, 20);
        return l;
    };
    auto caixa = [this](const char *nome, int y, int largura, int limite) {
        auto *t = new widgets::UpperLineEdit(this);
        t->setObjectName(QString::fromLatin1(nome));
        t->setGeometry(164, y, largura, 24);
        t->setMaxLength(limite);
        t->selectOnFocus = true;
        t->installEventFilter(this);
        return t;
    };
    lblNome = rotulo(QStringLiteral("&Nome:"), 12);
    txtNome = caixa("txtNome", 12, 300, 40);
    lblIdLogin = rotulo(QStringLiteral("&Identificação no login:"), 44);
    txtIdLogin = caixa("txtIdLogin", 44, 140, 12);
    lblTipo = rotulo(QStringLiteral("&Tipo de Usuário:"), 76);
    cbTipo = new QComboBox(this);
    cbTipo->setObjectName(QStringLiteral("cbTipo"));
    cbTipo->setGeometry(164, 76, 160, 24);
    cbTipo->addItem(QStringLiteral("Administrador"), 1);
    cbTipo->addItem(QStringLiteral("Comum"), 2);
    cbTipo->setCurrentIndex(-1);
    cbTipo->installEventFilter(this);
    lblSenAnt = rotulo(QStringLiteral("&Senha Anterior:"), 108);
    lblSenAnt->setObjectName(QStringLiteral("lblSenAnt"));
    txtSenhaAnt = caixa("txtSenhaAnt", 108, 140, 12);
    // A password already stored is no less secret than a new one.
    lblSenha = rotulo(QStringLiteral("No&va Senha:"), 140);
    txtSenha[0] = caixa("txtSenha0", 140, 140, 12);
    lblConfirmar = rotulo(QStringLiteral("Confir&mar Senha:"), 172);
    txtSenha[1] = caixa("txtSenha1", 172, 140, 12);
    // Every password box shows "*" for each character typed.
    for (auto *t : {txtSenhaAnt, txtSenha[0], txtSenha[1]}) {
        t->setEchoMode(QLineEdit::Password);
        t->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    }
    lblNome->setBuddy(txtNome);
    lblIdLogin->setBuddy(txtIdLogin);
    lblTipo->setBuddy(cbTipo);
    lblSenAnt->setBuddy(txtSenhaAnt);
    lblSenha->setBuddy(txtSenha[0]);
    lblConfirmar->setBuddy(txtSenha[1]);

    cmdPermContas = new QPushButton(QStringLiteral("&Permissões em Contas ..."), this);
    cmdPermContas->setObjectName(QStringLiteral("cmdPermContas"));
    cmdPermContas->setGeometry(12, 212, 452, 28);
    cmdPermMov = new QPushButton(QStringLiteral("Permissões em &Receitas e Despesas ..."), this);
    cmdPermMov->setObjectName(QStringLiteral("cmdPermMov"));
    cmdPermMov->setGeometry(12, 246, 452, 28);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(256, 290, 100, 28);
    cmdCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(364, 290, 100, 28);
    setCancelButton(cmdCancel);
    setFixedSize(476, 330);

    QWidget *ordem[] = {txtNome, txtIdLogin, cbTipo, txtSenhaAnt, txtSenha[0], txtSenha[1], cmdPermContas, cmdPermMov,
                        cmdOK, cmdCancel};
    for (std::size_t i = 0; i + 1 < std::size(ordem); ++i) setTabOrder(ordem[i], ordem[i + 1]);

    connect(cmdOK, &QPushButton::clicked, this, &frmDetUsuario::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDetUsuario::cmdCancel_Click);
    connect(cmdPermContas, &QPushButton::clicked, this, &frmDetUsuario::cmdPermContas_Click);
    connect(cmdPermMov, &QPushButton::clicked, this, &frmDetUsuario::cmdPermMov_Click);
}

frmDetUsuario::~frmDetUsuario() = default;

void frmDetUsuario::setMode(long m) {
    mode_ = m;
    if (m == 1) {
        lblSenAnt->setEnabled(false);
        txtSenhaAnt->setEnabled(false);
    }
}

void frmDetUsuario::Form_Load() {
    try {
        if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
        Cancelado = true;
    } catch (...) {
        FIN_TRAP_REPORT("frmDetUsuario", "Form_Load");
    }
}

void frmDetUsuario::Form_Activate() {
    try {
        if (!FirstActivation()) return;
        if (mode_ != kUsuarioNovo) {
            ui::CHourGlass hg;
            hg.Show(true);
            ExibirDados();
        }
    } catch (...) {
        FIN_TRAP_REPORT("frmDetUsuario", "Form_Activate");
    }
}

void frmDetUsuario::ExibirDados() {
    txtNome->setText(DesUsuario);
    txtIdLogin->setText(IdLogin);
    cbTipo->setCurrentIndex(int(Tipo) - 1);
}

bool frmDetUsuario::eventFilter(QObject *o, QEvent *e) {
    auto *w = qobject_cast<QWidget *>(o);
    if (w && (qobject_cast<QLineEdit *>(o) || o == cbTipo)) {
        if (e->type() == QEvent::FocusIn) cor(w, true);
        else if (e->type() == QEvent::FocusOut) cor(w, false);
        else if (e->type() == QEvent::KeyPress) {
            auto *k = static_cast<QKeyEvent *>(e);
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier) {
                platform::ui::SendTab();
                return true;
            }
        }
    }
    return platform::ui::Form::eventFilter(o, e);
}

long frmDetUsuario::tipoEscolhido() const {
    return cbTipo->currentIndex() < 0 ? 0 : cbTipo->currentData().toInt();
}

// ---- permission editors ----------------------------------------------------------

void frmDetUsuario::cmdPermContas_Click() {
    try {
        abrirEditor(false);
    } catch (...) {
        FIN_TRAP_REPORT("frmDetUsuario", "cmdPermContas_Click");
    }
}

void frmDetUsuario::cmdPermMov_Click() {
    try {
        abrirEditor(true);
    } catch (...) {
        FIN_TRAP_REPORT("frmDetUsuario", "cmdPermMov_Click");
    }
}

void frmDetUsuario::abrirEditor(bool recDesp) {
    if (tipoEscolhido() == 1) {
        ui::MsgBox(recDesp ? QStringLiteral("Usuário tipo Administrador já tem permissões totais para todas as receitas e despesas.")
                           : QStringLiteral("Usuário tipo Administrador já tem permissões totais para todas as contas."),
                   platform::ui::vbOKOnly);
        cbTipo->setFocus();
        return;
    }
    // An edited user another copy deleted has no permissions left to show.
    if (mode_ == kUsuarioExistente && !UsuarioExiste(IdUsuario)) {
        usuarioRemovido(true);
        return;
    }
    std::unique_ptr<frmPermissoes> f;
    if (recDesp) f = std::make_unique<frmPermMov>();
    else f = std::make_unique<frmPermContas>();
    f->setIdUsuario(IdUsuario);
    std::shared_ptr<CPermissao> &arvore = recDesp ? movimentacoes_ : contas_;
    if (!arvore) {
        if (recDesp) {
            MostrarRecusa(CarregarPermissoesEmMovimentacoes(mode_, IdUsuario, arvore));
        } else {
            ui::CHourGlass hg;
            hg.Show(true);
            MostrarRecusa(CarregarPermissoesEmContas(mode_, IdUsuario, arvore));
        }
    }
    f->setRaiz(arvore);
    f->setMode(mode_);
    f->ShowModal();
    // The editor said so already.
    if (f->UsuarioRemovido()) usuarioRemovido(false);
}

// Nothing of the dialog can be saved for a user who is no longer in the file:
// it closes without saving, and its opener reloads its lists.
void frmDetUsuario::usuarioRemovido(bool avisar) {
    if (avisar) ui::MsgBox(kMsgUsuarioNaoExisteMais, platform::ui::vbInformation);
    UsuarioRemovido = true;
    Unload(platform::ui::vbFormCode);
}

// ---- validation --------------------------------------------------------------------

bool frmDetUsuario::Validar() {
    auto falha = [](const QString &msg, QWidget *foco, int estilo = platform::ui::vbInformation) {
        ui::MsgBox(msg, estilo);
        if (foco) foco->setFocus();
        return false;
    };
    const long tipo = tipoEscolhido();
    if (tipo == 0) return falha(QStringLiteral("Faltando informar o tipo do novo usuário."), cbTipo);
    if (tipo == db::kUsuarioComum && ui::gTemDados != (ui::kTemContas | ui::kTemRecDesp))
        return falha(QStringLiteral("Só é possível cadastrar novos usuários comuns após o cadastramento de alguma conta e "
                                    "de algum tipo de receita/despesa."),
                     nullptr);
    if (txtNome->text().trimmed().isEmpty()) return falha(QStringLiteral("Faltando informar nome de usuário."), txtNome);
    if (const QString r = value::RecusaDeCaractereNulo(txtNome->text().trimmed(), QStringLiteral("O nome")); !r.isEmpty())
        return falha(r, txtNome);
    const QString login = txtIdLogin->text().trimmed();
    if (login.isEmpty()) return falha(QStringLiteral("Faltando informar identificação para o login."), txtIdLogin);
    if (db::TemCaractereRecusadoNoLogin(login))
        return falha(msgCaractereRecusado(QStringLiteral("A identificação no login")), txtIdLogin);
    const QString nova = txtSenha[0]->text().trimmed();
    const QString confirmacao = txtSenha[1]->text().trimmed();
    if (mode_ == kUsuarioExistente) {
        if ((!nova.isEmpty() || !confirmacao.isEmpty()) && !iguais(txtSenhaAnt->text().trimmed(), SenhaAnterior))
            return falha(QStringLiteral("Informação de senha anterior não é correta."), txtSenhaAnt);
    } else if (mode_ == kUsuarioNovo) {
        if (nova.isEmpty()) return falha(QStringLiteral("Faltando informar a senha do novo usuário."), txtSenha[0]);
    }
    if (!iguais(nova, confirmacao))
        return falha(QStringLiteral("Senha de confirmação não confere com senha informada."), txtSenha[1]);
    if (db::TemCaractereRecusadoNoLogin(nova)) return falha(msgCaractereRecusado(QStringLiteral("A nova senha")), txtSenha[0]);
    // An administrator made a common user signs in only with permissions
    // of his own, as a new common user does: the trees are asked for before
    // the change is saved (they are the user's stored ones; the editors
    // write each change as it is made).
    // A user another copy deleted is no administrator: nothing is asked for
    // him, and the write says he is gone.
    const bool deAdministradorAComum = mode_ != kUsuarioNovo && tipo == db::kUsuarioComum &&
                                       TipoDoUsuario(IdUsuario) == db::kAdministrador;
    if (deAdministradorAComum) {
        // Refused anyway when saving: said before any permission is asked for.
        if (UnicoAdministradorAtivo(IdUsuario))
            return falha(kUltimoAdministrador, cbTipo);
        if (!movimentacoes_) MostrarRecusa(CarregarPermissoesEmMovimentacoes(mode_, IdUsuario, movimentacoes_));
        if (!contas_) MostrarRecusa(CarregarPermissoesEmContas(mode_, IdUsuario, contas_));
    }
    if ((mode_ == kUsuarioNovo && tipo == db::kUsuarioComum) || deAdministradorAComum) {
        if (!movimentacoes_ || !movimentacoes_->SubItens().HasAnyPermission())
            return falha(QStringLiteral("Faltando atribuir permissões em receitas e despesas para o usuário."), cmdPermMov,
                         platform::ui::vbOKOnly);
        if (!contas_ || !contas_->SubItens().HasAnyPermission())
            return falha(QStringLiteral("Faltando atribuir permissões em contas para o usuário."), cmdPermContas,
                         platform::ui::vbOKOnly);
    }
    return true;
}

// ---- confirmation ------------------------------------------------------------------

void frmDetUsuario::cmdOK_Click() {
    try {
        if (!Validar()) return;
        long hint = ui::kHintUsuarios;
        if (mode_ == kUsuarioNovo) {
            Incluir();
            if (ui::MsgBox(QStringLiteral("Usuário incluído com sucesso. Deseja incluir outro?"),
                           platform::ui::vbYesNo | platform::ui::vbQuestion) == platform::ui::vbYes) {
                LimparTudo();
                ui::UpdateAllViews(hint, this);
                return;
            }
        } else {
            if (!Alterar()) {
                usuarioRemovido(true);
                return;
            }
            ui::MsgBox(QStringLiteral("Usuário atualizado com sucesso!"), platform::ui::vbInformation);
        }
        Cancelado = false;
        ui::UpdateAllViews(hint, this);
        Unload(platform::ui::vbFormCode);
    } catch (...) {
        FIN_TRAP_REPORT("frmDetUsuario", "cmdOK_Click");
    }
}

void frmDetUsuario::cmdCancel_Click() { Unload(platform::ui::vbFormCode); }

void frmDetUsuario::Incluir() {
    ui::CHourGlass hg;
    hg.Show(true);
    std::unique_ptr<dao::Recordset> rs;
    db::CDaoTrans trans;
    // The trees as they are now: a write that fails puts them back, so the
    // next confirmation writes them whole again.
    std::optional<EstadoDaArvore> estadoMov, estadoContas;
    if (movimentacoes_) estadoMov.emplace(*movimentacoes_);
    if (contas_) estadoContas.emplace(*contas_);
    try {
        const long tipo = tipoEscolhido();
        const QString login = txtIdLogin->text().trimmed();
        const QString sql = QStringLiteral("INSERT INTO USUARIOS (DESUSUARIO,IDLOGIN,SENHA,TIPO) VALUES(") +
                            db::SqlTexto(txtNome->text().trimmed()) + QLatin1Char(',') + db::SqlTexto(login) +
                            QLatin1Char(',') + db::SqlTexto(txtSenha[0]->text().trimmed()) + QLatin1Char(',') +
                            QString::number(tipo) + QLatin1Char(')');
        trans.BegTrans();
        ui::gDB->Execute(sql, dao::dbFailOnError);
        if (ui::gDB->RecordsAffected() == 0) {
            ui::MsgBox(QStringLiteral("Erro: falha na inclusão de usuário. Motivo indeterminado."), platform::ui::vbOKOnly);
            cancelar();
        }
        if (tipo != 1) {
            rs = ui::gDB->OpenRecordset(QStringLiteral("SELECT ID FROM USUARIOS WHERE IDLOGIN =") + db::SqlTexto(login),
                                        dao::dbOpenSnapshot);
            try {
                rs->MoveNext();
                rs->MoveFirst();
            } catch (...) {
            }
            if (rs->RecordCount() == 0) {
                ui::MsgBox(QStringLiteral("Erro na obtenção da identificação do usuário recém incluído."),
                           platform::ui::vbInformation);
                cancelar();
            }
            const long id = long(rs->Field(QStringLiteral("id")).toInt());
            // Validar saw both trees with a permission. The user went in within
            // this transaction, which holds the write lock: he is there.
            (void)movimentacoes_->Persist(id, false);
            (void)contas_->Persist(id, false);
            db::FecharRecordset(rs);
        }
        trans.ComTrans();
    } catch (...) {
        db::FecharRecordset(rs);
        trans.RollBack();
        if (estadoMov) estadoMov->Restaurar();
        if (estadoContas) estadoContas->Restaurar();
        ui::Trap("frmDetUsuario", "Incluir", __LINE__);
        if (ui::gErrNumero == err::db::kDuplicateKey) {
            ui::MsgBox(QStringLiteral("Erro: possivelmente já existe usuário com identificação de login igual à do usuário "
                                      "que você está tentando incluir. Verifique também nos inativos."),
                       platform::ui::vbOKOnly);
            cancelar();
        }
        ui::Reraise();
    }
}

bool frmDetUsuario::Alterar() {
    const long tipo = tipoEscolhido();
    const QString nova = txtSenha[0]->text().trimmed();
    QString sql = QStringLiteral("UPDATE USUARIOS SET DESUSUARIO=") + db::SqlTexto(txtNome->text().trimmed()) +
                  QStringLiteral(",IDLOGIN = ") + db::SqlTexto(txtIdLogin->text().trimmed());
    if (!nova.isEmpty()) sql += QStringLiteral(", SENHA=") + db::SqlTexto(nova);
    sql += QStringLiteral(", TIPO=") + QString::number(tipo) + QStringLiteral(" WHERE ID = ") + QString::number(IdUsuario);
    // An administrator becomes a common user only while another active one
    // is left to keep users and charts; the test is part of the statement.
    if (tipo != 1)
        sql += QStringLiteral(" AND (Tipo <> 1 OR Inativo = True OR ") + kOutroAdministradorAtivo + QLatin1Char(')');
    db::CDaoTrans trans;
    trans.BegTrans();
    // Read under the write lock the transaction holds from its start: another
    // copy cannot delete the user between this and the commit.
    if (!UsuarioExiste(IdUsuario)) return false;
    ui::gDB->Execute(sql, dao::dbFailOnError);
    if (ui::gDB->RecordsAffected() == 0) {
        trans.RollBack();
        if (TipoDoUsuario(IdUsuario) == 1)
            ui::MsgBox(kUltimoAdministrador, platform::ui::vbInformation);
        else
            ui::MsgBox(QStringLiteral("Erro: falha na atualização de usuário. Motivo indeterminado."), platform::ui::vbOKOnly);
        cancelar();
    }
    trans.ComTrans();
    return true;
}

void frmDetUsuario::LimparTudo() {
    txtNome->clear();
    txtIdLogin->clear();
    txtSenhaAnt->clear();
    txtSenha[0]->clear();
    txtSenha[1]->clear();
    cbTipo->setCurrentIndex(-1);
    contas_.reset();
    movimentacoes_.reset();
    txtNome->setFocus();
}

} // namespace security
