#include "app/Inicio.h"

#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "app/frmLogin.h"
#include "db/ConferirBanco.h"
#include "db/Module1.h"
#include "db/SavedQueries.h"
#include "db/Schema.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/settings/Settings.h"
#include "shell/MainForm.h"
#include "ui/Sessao.h"

#include <QDir>
#include <QWidget>

namespace app {

using shell::MostrarJanelaPrincipal;
using ui::CaminhoBancoPadrao;
using ui::Finalizar;
using ui::GetDBPath;
using ui::MsgBox;
using ui::RegistrarMensagens;
using ui::gDB;
using ui::gErrDescricao;
using ui::gErrNumero;
using ui::gIdLogin;
using ui::gIdUsuario;
using ui::gTemDados;
using ui::gTipoUsuario;
using ui::kTemContas;
using ui::kTemRecDesp;

namespace {

const QString kSecao = QStringLiteral("Settings");
const QString kConsultaSaldos = QStringLiteral("ParQrySerialESaldos");

void GravarCaminho(const QString &caminho) {
    settings::SaveSetting(platform::App::Title(), kSecao, QStringLiteral("DbPath"), caminho);
}

// Older files still open with the alternate password; they get the sub-select
// form of the balance query before the ordinary open. Only the failure to open
// is ignored: a file that opens but lacks the query is an error.
void AtualizarConsultaDeSaldos(const QString &caminho) {
    std::unique_ptr<dao::Database> antigo;
    try {
        // Recognised before anything is written: a file of another program
        // that happens to open with this password stays as it was.
        antigo = dao::DBEngine::OpenDatabase(caminho, false, false, db::ConnectString(db::kSenhaAlternativa),
                                             db::ProblemaDoBancoAntigo);
        gErrNumero = 0;
        gErrDescricao.clear();
    } catch (const err::AppError &e) {
        gErrNumero = e.number();
        gErrDescricao = e.description();
    } catch (...) {
        gErrNumero = err::kErrGeneric;
        gErrDescricao.clear();
    }
    if (gErrNumero != 0 || !antigo)
        return;
    antigo->DeleteQueryDef(kConsultaSaldos);
    antigo->CreateQueryDef(kConsultaSaldos)->SetSQL(db::ParQrySerialESaldosSubSelect());
    antigo->Close();
    antigo.reset();
}

// Opens the file with the database password, recognised as the book before
// anything is written to it. Deriving the key from a
// password is the slow part of an open, so the older files' treatment above
// is tried only for a file that refuses this password, and then the ordinary
// open runs again (and reports what it finds).
dao::Database *AbrirBanco(const QString &caminho) {
    try {
        return dao::DBEngine::OpenDatabase(caminho, false, false, db::ConnectString(db::kSenhaBanco), db::ProblemaDoBanco)
            .release();
    } catch (const err::AppError &e) {
        // A file that refuses the password is told as no book of this system.
        if (e.number() != err::db::kNotADatabase)
            throw;
    }
    AtualizarConsultaDeSaldos(caminho);
    return dao::DBEngine::OpenDatabase(caminho, false, false, db::ConnectString(db::kSenhaBanco), db::ProblemaDoBanco)
        .release();
}

void MoverUltimoEPrimeiro(dao::Recordset &rs) {
    try {
        rs.MoveLast();
        rs.MoveFirst();
    } catch (...) {
    }
}

bool Verdadeiro(const value::Value &v) { return !v.isNull() && v.toBool(); }

[[noreturn]] void Cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

} // namespace

bool Main() {
    try {
        RegistrarMensagens();

        const QString titulo = platform::App::Title();
        const QString armazenado = settings::GetSetting(titulo, kSecao, QStringLiteral("DBPath"), QString()).trimmed();
        QString caminho;
        if (!armazenado.isEmpty()) {
            if (db::FileExists(armazenado)) {
                caminho = armazenado;
            } else {
                caminho = GetDBPath(nullptr);
                if (caminho.isEmpty())
                    return false;
                GravarCaminho(caminho);
            }
        } else {
            caminho = CaminhoBancoPadrao();
            if (!db::FileExists(caminho)) {
                caminho = GetDBPath(nullptr);
                if (caminho.isEmpty())
                    return false;
            }
            GravarCaminho(caminho);
        }

        // A file that exists but does not open (another password, not a
        // database, damaged), or opens but cannot serve as the book (half
        // made, of another program, read-only), would otherwise stop every
        // later start too: the failure is reported and the user may point to
        // another file.
        for (;;) {
            try {
                gDB = AbrirBanco(caminho);
                break;
            } catch (...) {
                FIN_TRAP_REPORT("Module1", "Main");
                caminho = GetDBPath(nullptr);
                if (caminho.isEmpty())
                    return false;
                GravarCaminho(caminho);
            }
        }

        std::unique_ptr<dao::Recordset> rs = gDB->OpenRecordset(
            QStringLiteral("Select Count(*) as Contagem from Usuarios where Tipo = 1 And "
                           "(IdLogin <> 'ADMIN' OR Senha <> 'TOQUE')"),
            dao::dbOpenSnapshot);
        MoverUltimoEPrimeiro(*rs);
        const bool primeiroUso = db::LerContagem(*rs, QStringLiteral("Contagem")) == 0;
        db::FecharRecordset(rs);

        std::unique_ptr<frmLogin> login;
        for (;;) {
            login = std::make_unique<frmLogin>();
            login->Message = QStringLiteral("Informe o usuário e a senha:");
            login->SetLoginBeginner(primeiroUso);
            login->ShowModal();
            if (login->Cancelado)
                Cancelar();
            // As parameters: the typed login and password never become part
            // of a statement's text, which the program keeps for reuse.
            {
                auto q = gDB->CreateQueryDef(QString(), QStringLiteral("PARAMETERS [pLogin] Text ( 255 ), [pSenha] Text ( 255 );"
                                                                       "Select Id, Tipo, Inativo From Usuarios WHERE "
                                                                       "IdLogin = [pLogin] And Senha = [pSenha]"));
                q->SetParameter(QStringLiteral("pLogin"), login->IdLogin());
                q->SetParameter(QStringLiteral("pSenha"), login->Senha());
                rs = q->OpenRecordset(dao::dbOpenSnapshot);
            }
            MoverUltimoEPrimeiro(*rs);
            if (rs->RecordCount() == 0) {
                MsgBox(QStringLiteral("Erro: informação de senha ou de usuário inválida."), platform::ui::vbOKOnly, titulo);
                db::FecharRecordset(rs);
                login.reset();
                continue;
            }
            if (Verdadeiro(rs->Field(QStringLiteral("Inativo")))) {
                MsgBox(QStringLiteral("Esta conta de usuário está desativada. Procure um usuário administrador "
                                      "para ativá-la."),
                       platform::ui::vbInformation, titulo);
                db::FecharRecordset(rs);
                login.reset();
                Cancelar();
            }
            break;
        }

        gTipoUsuario = static_cast<long>(rs->Field(QStringLiteral("tipo")).toInt());
        gIdLogin = login->IdLogin();
        gIdUsuario = static_cast<long>(rs->Field(QStringLiteral("id")).toInt());
        db::FecharRecordset(rs);
        login.reset();

        rs = gDB->OpenRecordset(QStringLiteral("SELECT Count(P.Id) As Contagem From PermissoesDeUsuarios As P ") +
                                    QStringLiteral("WHERE P.IdUsuario = ") + QString::number(gIdUsuario),
                                dao::dbOpenSnapshot);
        if (db::LerContagem(*rs, QStringLiteral("Contagem")) == 0 && gTipoUsuario != db::kAdministrador) {
            MsgBox(QStringLiteral("Não foram definidas permissões para este usuário."), platform::ui::vbOKOnly, titulo);
            db::FecharRecordset(rs);
            Finalizar();
            return false;
        }
        db::FecharRecordset(rs);

        rs = gDB->OpenRecordset(
            QStringLiteral("SELECT (SUM(S.CContas) > 1) As TemContas, (SUM(S.CRecDesp) > 1) As TemRecDesp FROM  ") +
                QStringLiteral("(SELECT COUNT(*) as CContas , 0 As CRecDesp FROM CONTAS ") +
                QStringLiteral("UNION  SELECT 0 as CContas, COUNT(*) As CRecDesp FROM TIPOSMOVIMENTACOES) As S"),
            dao::dbOpenSnapshot);
        gTemDados = 0;
        if (!rs->Eof()) {
            if (Verdadeiro(rs->Field(QStringLiteral("TemContas"))))
                gTemDados = kTemContas;
            if (Verdadeiro(rs->Field(QStringLiteral("TemRecDesp"))))
                gTemDados += kTemRecDesp;
        }
        db::FecharRecordset(rs);

        return MostrarJanelaPrincipal();
    } catch (...) {
        FIN_TRAP_REPORT("Module1", "Main");
        Finalizar();
        return false;
    }
}

} // namespace app
