#pragma once
// A fresh database with two common users besides ADMIN and small charts:
// accounts 001 > 001.001 > 001.001.001, 001.002 and 002 (inactive), types
// 003 > 003.001 besides the system types. It makes no window application;
// the window tests use SegurancaComJanelas (tests/security/SegurancaComJanelas.h).
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "support/LivroSemJanelas.h"
#include "ui/AppContext.h"

#include <gtest/gtest.h>
#include <map>

namespace testsupport {

class SegurancaFixture : public LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
        ui::gTemDados = 3;
        ana = usuario(QStringLiteral("ANA"), QStringLiteral("ANA"), 2);
        bia = usuario(QStringLiteral("BIA"), QStringLiteral("BIA"), 2);
        conta(QStringLiteral("001"), QStringLiteral("BANCO"));
        conta(QStringLiteral("001.001"), QStringLiteral("CORRENTE"));
        conta(QStringLiteral("001.001.001"), QStringLiteral("CHEQUES"));
        conta(QStringLiteral("001.002"), QStringLiteral("APLICACAO"));
        conta(QStringLiteral("002"), QStringLiteral("CARTEIRA"), true);
        tipo(QStringLiteral("003"), QStringLiteral("SALARIO"));
        tipo(QStringLiteral("003.001"), QStringLiteral("BONUS"));
    }
    long usuario(const QString &nome, const QString &login, int tipo, bool inativo = false) {
        db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo, Inativo) VALUES ('%1', '%2', "
                                   "'SENHA', %3, %4)")
                        .arg(nome, login)
                        .arg(tipo)
                        .arg(inativo ? QStringLiteral("True") : QStringLiteral("False")));
        return valor(QStringLiteral("SELECT Id FROM Usuarios WHERE IdLogin = '%1'").arg(login));
    }
    void conta(const QString &codigo, const QString &des, bool inativa = false) {
        db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai, Inativa) VALUES ('%1', '%2', '%3', %4)")
                        .arg(des, codigo, CodigoPai(codigo), inativa ? QStringLiteral("True") : QStringLiteral("False")));
    }
    void tipo(const QString &codigo, const QString &des) {
        db->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai, Inativo) "
                                   "VALUES ('%1', '%2', '%3', False)")
                        .arg(des, codigo, CodigoPai(codigo)));
    }
    long idConta(const QString &codigo) {
        return valor(QStringLiteral("SELECT Id FROM Contas WHERE Codigo = '%1'").arg(codigo));
    }
    long idTipo(const QString &codigo) {
        return valor(QStringLiteral("SELECT Id FROM TiposMovimentacoes WHERE Codigo = '%1'").arg(codigo));
    }
    // A permission row written as another copy of the program would.
    void permissao(long usu, long tipoObjeto, long idObjeto, long valor) {
        db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                   "VALUES (%1, %2, %3, %4)")
                        .arg(usu)
                        .arg(idObjeto)
                        .arg(tipoObjeto)
                        .arg(valor));
    }
    long valor(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Eof() ? -1 : long(rs->Field(0).toInt());
    }
    // The user's rows of one kind: chart code -> value.
    std::map<QString, long> linhas(long usu, long tipoObjeto) {
        const QString tabela = tipoObjeto == 1 ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes");
        auto rs = db->OpenRecordset(QStringLiteral("SELECT C.Codigo, P.Permissoes FROM PermissoesDeUsuarios AS P INNER JOIN "
                                                   "%1 AS C ON C.Id = P.IdObjeto WHERE P.IdUsuario = %2 AND P.TipoObjeto = %3")
                                        .arg(tabela)
                                        .arg(usu)
                                        .arg(tipoObjeto),
                                    dao::dbOpenSnapshot);
        std::map<QString, long> out;
        for (; !rs->Eof(); rs->MoveNext()) out[rs->Field(0).toString()] = long(rs->Field(1).toInt());
        return out;
    }
    long contagem(long usu) {
        return valor(QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios WHERE IdUsuario = %1").arg(usu));
    }

    long ana = 0, bia = 0;
};

} // namespace testsupport
